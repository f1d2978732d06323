#!/usr/bin/env python3
# The web page in headless Chromium, used by clicks and keys; what it saves is compared with
# kinpath-cli's. Usage: web_test.py --page HTML --cli CLI --examples DIR [--only NAME] [--shots DIR]
import argparse, base64, functools, http.server, os, shutil, subprocess, sys, tempfile
import threading, time, traceback

sys.dont_write_bytecode = True  # no cache files among the sources
sys.path.append("/usr/lib/python3/dist-packages")  # Debian's selenium, for a Python of one's own
from selenium import webdriver
from selenium.common.exceptions import StaleElementReferenceException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.common.print_page_options import PrintOptions

ASK_SCRIPT = ("<QUESTION>\nname=Do you like to fight up close?\ntext=Yes\ntext=No\n<ANSWER>\n"
              "type=1\nexplanationtext=You like to fight up close & loud.\nwarpts=50\nogrepts=20\n"
              "</ANSWER>\n<ANSWER>\ntype=no\nwizpts=5\n</ANSWER>\n</QUESTION>\n<QUESTION>\n"
              "name=How much magic?\ntext=Lots\ntext=Some\ntext=None\n<ANSWER>\ntype=2\n"
              "clrpts=3\n</ANSWER>\n</QUESTION>\n<FINAL>\nrecap=ask\n</FINAL>\n")

MARKUP = '<b>bold</b> <img src=x onerror="window.pwned=1"> &amp; <script>window.pwned=1</script>'
MARKUP_SCRIPT = ("<QUESTION>\nname=%s\ntext=%s\n<ANSWER>\ntype=1\nexplanationtext=%s\nwarpts=1\n"
                 "</ANSWER>\n</QUESTION>\n<QUESTION>\nname=x\ntext=a\ntext=b\n</QUESTION>\n"
                 % (MARKUP, MARKUP, MARKUP))

# Keeps the page's running intervals, errors and breaches of its policy.
COUNTERS = """
Object.assign(window, {__printed: 0, __intervals: new Set(), __errors: [], __violations: []});
window.setInterval = ((set) => (...a) => { const id = set.apply(window, a); window.__intervals.add(id);
  return id; })(window.setInterval);
window.clearInterval = ((clear) => (id) => (window.__intervals.delete(id), clear.call(window, id)))(
  window.clearInterval);
for (const kind of ['error', 'unhandledrejection'])
  addEventListener(kind, (e) => window.__errors.push(String(e.message || e.reason)));
document.addEventListener('securitypolicyviolation', (e) => window.__violations.push(e.blockedURI));
// The print dialog cannot be answered headless: WebDriver's print stands in.
window.print = () => window.__printed++;
"""
# A fresh tab starts with nothing kept from the cases before it.
FORGET = "if (!sessionStorage.__tab) { localStorage.clear(); sessionStorage.__tab = 1; }"

OK, SKIP, PANE, PRINT, HTML = 1, 3, 1009, 1010, 1011


def wait_for(condition, timeout=60, what="condition"):
    # A loaded machine slows the page, never changes what it shows.
    end = time.monotonic() + timeout
    while not (value := condition()):
        assert time.monotonic() < end, "timed out waiting for " + what
        time.sleep(0.05)
    return value


def file_url(path):
    return "file://" + os.path.abspath(path)


def write(path, text):
    open(path, "wb").write(text if isinstance(text, bytes) else text.encode())


class Server:
    # Serves a folder, logging paths; a path in held waits for its event, one in kinds is sent so.

    def __init__(self, folder):
        self.requests, self.held, self.kinds = [], {}, {}
        server = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            log_message = lambda *args: None

            def guess_type(self, path):
                return server.kinds.get(self.path) or super().guess_type(path)

            def do_GET(self):
                server.requests.append(self.path)
                if self.path in server.held:
                    server.held[self.path].wait(120)
                del self.headers["If-Modified-Since"]  # a draft rewritten within the second
                try:
                    super().do_GET()
                except (BrokenPipeError, ConnectionResetError):
                    pass  # the page went on without this answer

        httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                                functools.partial(Handler, directory=folder))
        self.url = "http://127.0.0.1:%d/" % httpd.server_address[1]
        threading.Thread(target=httpd.serve_forever, daemon=True).start()


class Case:
    # What every case gets: Chromium headless, a scratch folder, the programs; setup holds the
    # DevTools commands of the tabs opened from now on.
    def __init__(self, args, scratch):
        self.args, self.scratch, self.serve = args, scratch, Server
        os.makedirs(downloads := os.path.join(scratch, "downloads"))
        self.downloads = downloads
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        # A reload stays in its process: headless, one moved to another may find a file://
        # page's storage empty. The rest keeps a closed network from slowing it down.
        for arg in ("headless", "disable-features=RenderDocument,ProactivelySwapBrowsingInstance",
                    "disable-gpu", "disable-quic", "no-first-run", "disable-sync",
                    "disable-background-networking", "disable-component-update",
                    "disable-dev-shm-usage", "window-size=1280,900", "no-sandbox",
                    "user-data-dir=" + os.path.join(scratch, "profile")):
            options.add_argument("--" + arg)
        options.add_experimental_option("prefs", {"download.default_directory": self.downloads})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.js = self.driver.execute_script

    def cdp(self, command, **params):
        return self.driver.execute_cdp_cmd(command, params)

    def folder(self, name, script=None, page=True):  # the page as index.html and script.txt
        os.makedirs(path := os.path.join(self.scratch, name))
        if page:
            shutil.copy(self.args.page, os.path.join(path, "index.html"))
        if script is not None:
            write(os.path.join(path, "script.txt"), script)
        return path

    def cli(self, folder, commands, *args):
        return subprocess.run([self.args.cli, *args], cwd=folder, capture_output=True,
                              input="".join(c + "\n" for c in commands).encode(), timeout=60)

    def cli_page(self, script, commands):
        folder = self.folder("cli-%d" % len(os.listdir(self.scratch)), script, page=False)
        self.cli(folder, commands + ["h"])
        return open(os.path.join(folder, "Kinpath.html"), "rb").read()

    def fresh_tab(self):
        """A new tab set up as asked: no history, no session storage."""
        old = self.driver.current_window_handle
        self.driver.switch_to.new_window("tab")
        self.cdp("Target.closeTarget", targetId=old)
        for command, params in self.setup.items():
            self.cdp(command, **params)

    def open(self, url, resume=False):  # resume: in this tab, whose run is kept
        if not resume:
            self.fresh_tab()
        self.driver.get(url)
        wait_for(lambda: self.js("const $ = (id) => document.getElementById(id);"
                                 "return !$('window').hidden || !$('source').hidden || $('box').open"
                                 " || !$('opening').hidden"),
                 what="the page to start")

    def shown(self, id):
        return self.js("return !document.getElementById(arguments[0]).hidden", id)

    def pick(self, path):
        wait_for(lambda: self.shown("source"), what="the picker")
        self.driver.find_element(By.ID, "picker").send_keys(path)

    def click(self, css, tries=3):  # found afresh when the page redrew it in between
        try:
            self.driver.find_element(By.CSS_SELECTOR, css).click()
        except StaleElementReferenceException:
            if tries == 1:
                raise
            self.click(css, tries - 1)

    def keys(self, *names):  # "Enter", "1", "Alt+x", ...
        chain = ActionChains(self.driver)
        for name in names:
            down = [getattr(Keys, k.upper(), k) for k in name.split("+")]
            for k in down:
                chain.key_down(k)
            for k in reversed(down):
                chain.key_up(k)
        chain.perform()

    def ax_nodes(self):  # (role, name, value, properties) of what assistive technology sees
        return [(n.get("role", {}).get("value"), n.get("name", {}).get("value"),
                 n.get("value", {}).get("value"),
                 {p["name"]: p["value"].get("value") for p in n.get("properties", [])})
                for n in self.cdp("Accessibility.getFullAXTree")["nodes"] if not n.get("ignored")]

    def focused(self):  # the control, not the page around it
        return ([None] + [(r, n) for r, n, _, p in self.ax_nodes() if p.get("focused")])[-1]

    def progress(self):
        return self.js("const p = document.getElementById('progress');"
                       "return p.hidden ? '' : p.textContent")

    def at(self, number, count):
        q = "Question %d of %d" % (number, count)
        wait_for(lambda: self.progress() == q, what=q)

    def control(self, id):
        return self.js("const c = document.getElementById('c' + arguments[0]);"
                       "const i = c.querySelector('input') || c;"
                       "return {text: c.textContent, value: c.value, enabled: !i.disabled};", id)

    def results(self):
        wait_for(lambda: self.control(HTML)["enabled"], what="the results")

    def box(self):  # the open box as [caption, text, buttons], or None
        return self.js("const b = document.getElementById('box'), t = (e) => e.textContent;"
                       "return b.open ? [t(b.querySelector('#box-caption')), t(b.querySelector("
                       "'#box-text')), [...b.querySelectorAll('button')].map(t)] : null")

    def answer_box(self, button):  # and waits for the box to go, or for the next one
        wait_for(self.box, what="a message box")
        self.js("const buttons = [...document.querySelectorAll('#box button')];"
                "buttons.forEach(b => b.old = true);"
                "buttons.find(b => b.textContent === arguments[0]).click()", button)
        wait_for(lambda: self.js("const b = document.querySelector('#box button');"
                                 "return !document.getElementById('box').open || !b.old"))

    def boxes(self, count):  # the next count boxes as "caption: text", each answered OK
        shown = []
        while len(shown) < count:
            shown.append("%s: %s" % tuple(wait_for(self.box, what="a box")[:2]))
            self.answer_box("OK")
        return shown

    def answer(self, answers, keys=False):  # choice numbers, or 's' to skip
        for a in answers:
            wait_for(lambda: self.control(SKIP)["enabled"] or self.box(), what="a question")
            if a == "s":
                self.click("#c%d" % SKIP)
            elif keys:
                self.keys(str(a), "Enter")
            else:
                self.click("#c%d input" % (999 + a))
                self.click("#c%d" % OK)

    def saved_page(self):  # the bytes HTML downloads
        self.results()
        self.click("#c%d" % HTML)
        path = os.path.join(self.downloads, "Kinpath.html")
        wait_for(lambda: os.path.exists(path), what="the download")
        data = open(path, "rb").read()
        os.remove(path)
        return data

    def rest(self, value=None):  # the bar timer stopped (and Warrior's at value: it overshoots)
        wait_for(lambda: self.js("return !window.__intervals.size && (arguments[0] === null || document"
                                 ".getElementById('c1037').getAttribute('aria-valuenow') == arguments[0])",
                                 value), what="the bars to rest")

    def shot(self, name):
        if self.args.shots and name:
            self.rest()
            self.driver.save_screenshot(os.path.join(self.args.shots, name))


def sample(t):
    script = open(os.path.join(t.args.examples, "script.txt"), encoding="utf-8").read()
    return script, sum(1 for line in script.splitlines() if line.strip() == "<QUESTION>")


# --- The cases

def test_clicks_and_keys_save_the_programs_page_and_print_it_or_the_selection(t):
    script, n = sample(t)
    answers = [(i % 2) + 1 if i % 5 else "s" for i in range(n)]
    t.open(t.serve(t.folder("sample", script)).url)
    t.answer(answers[:n // 2])
    t.answer(answers[n // 2:], keys=True)
    assert t.saved_page() == t.cli_page(script, [str(a) for a in answers])
    lines = t.control(PANE)["value"].split("\n")

    squeeze = lambda page: [" ".join(l.split()) for l in page if l.strip()]

    def printed():  # the printer's pages (US Letter, no margins)
        t.click("#c%d" % PRINT)
        options = PrintOptions()
        options.page_width, options.page_height, options.shrink_to_fit = 21.59, 27.94, False
        options.margin_top = options.margin_bottom = options.margin_left = options.margin_right = 0
        write(pdf := os.path.join(t.scratch, "print.pdf"), base64.b64decode(t.driver.print_page(options)))
        text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True).stdout.decode()
        return [p for p in (squeeze(page.splitlines()) for page in text.split("\f")) if p]

    # How the pages are cut is the print logic's (its tests); here, that the
    # pages reach the printer as the page draws them.
    assert printed()[0] == squeeze(lines[:60]) and t.js("return window.__printed") == 1
    # Three lines selected from the middle of the first to the middle of the third.
    t.js("document.getElementById('c1009').setSelectionRange(arguments[0], arguments[1])",
         *(sum(len(l) + 1 for l in lines[:k]) + 2 for k in (4, 6)))
    assert printed() == [squeeze(lines[4:7])]


def test_published_page_runs_offline_names_its_controls_and_its_boxes_take_their_buttons(t):
    script = ASK_SCRIPT.replace("fight up close", "Caf\u00e9 or th\u00e9").encode("cp1252")
    folder = t.folder("published", script, page=False)
    assert t.cli(folder, [], "--publish", "-o", "quiz.html").returncode == 0
    t.setup.update({"Network.enable": {}, "Network.emulateNetworkConditions": dict(
        offline=True, latency=0, downloadThroughput=-1, uploadThroughput=-1)})
    t.open(file_url(os.path.join(folder, "quiz.html")))
    # The opening, written by the publisher: the title, the length, the greeting, Start.
    assert t.js("return [...document.querySelectorAll('#opening h1, #opening-about p')].map(e => "
                "e.textContent)") == ["Kinpath Race and Class chooser", "2 questions", "Answer the questions.",
                                      "Skip any that you don't want to answer.",
                                      "At the end you will be given the answer!"]
    t.click("#begin")
    t.at(1, 2)
    assert t.control(1008)["text"] == "Do you like to Caf\u00e9 or th\u00e9?"
    nodes = t.ax_nodes()
    assert {("button", c) for c in ("OK", "Skip", "Print", "HTML", "Exit")} | {
        ("radio", "Yes"), ("radio", "No")} <= {n[:2] for n in nodes}
    assert [n[0] for n in nodes].count("progressbar") == 27 and ("textbox", True) in [
        (r, p.get("readonly")) for r, _, _, p in nodes] and "polite" in [p.get("live") for *_, p in nodes]
    t.answer([1])  # Warrior 50: the page's timer moves the bar there, then stops
    t.rest(value=50)
    t.answer([1])  # a choice without an answer: its box comes first
    assert wait_for(t.box) == ["Error", "Unable to find the proper answer data for that answer",
                               ["OK"]]
    t.keys("Escape")  # dismisses a box with OK alone
    assert wait_for(lambda: t.box()[0] != "Error" and t.box()) == [
        "Output results?", "Would you like to review the results?", ["Yes", "No"]]
    assert ("dialog", "Output results?", True) in [(r, n, p.get("modal")) for r, n, _, p in t.ax_nodes()]
    t.keys("Escape")  # a Yes/No box has no cancel: it stays
    t.answer_box("No")
    assert t.saved_page() == t.cli_page(script, ["1", "1", "n"])
    assert t.js("return performance.getEntriesByType('resource').concat(window.__violations)") == []


def test_script_texts_and_title_show_as_text_never_as_markup(t):
    folder = t.folder("markup", MARKUP_SCRIPT)
    title = 'Quiz <script>window.pwned=1</script> & "more"'
    t.cli(folder, [], "--publish", "-o", "markup.html", "--title", title)
    for url in (t.serve(folder).url, file_url(os.path.join(folder, "markup.html"))):
        t.open(url)
        if t.shown("opening"):
            t.click("#begin")
        wait_for(lambda: t.shown("window"), what="the questions")
        assert t.control(1008)["text"] == MARKUP and t.control(1000)["text"] == MARKUP
        t.answer([1, "s"])
        wait_for(lambda: MARKUP in t.control(PANE)["value"], what="the report")
        assert t.js("return !document.querySelector('#client b, #client img') &&"
                    " window.pwned === undefined && !window.__violations.length")
    assert t.js("const $ = (id) => document.getElementById(id);"
                "return [document.title, $('caption').textContent, $('opening-title').textContent]") == [title] * 3


def test_a_declared_game_titles_the_page_and_names_its_bars_and_pick(t):
    script = open(os.path.join(t.args.examples, "lantern-guilds.txt"), "rb").read()
    t.open(t.serve(t.folder("game", script)).url)
    assert t.js("return [document.title, document.getElementById('caption').textContent]") == [
        "Which lantern guild of Harrowmere would take you?"] * 2
    assert [n[0] for n in t.ax_nodes()].count("progressbar") == 5
    assert t.js("const $ = (id) => document.getElementById(id);"
                "return [$('races').firstChild.textContent, $('classes').hidden]") == ["Guilds", True]
    t.answer([1] * 5)
    t.results()
    assert t.js("return [...document.querySelectorAll('#verdict p, .standings h3')].filter(h => "
                "!h.parentNode.hidden).map(h => h.textContent)") == ["Your best guild", "Wickwrights: "
                "They make the wicks, and argue about them for hours.", "Guilds"]  # and what it is
    assert t.saved_page() == t.cli_page(script, ["1"] * 5)


def test_page_without_script_opens_a_chosen_file(t):
    t.open(file_url(os.path.join(folder := t.folder("picker"), "index.html")))
    mine = os.path.join(folder, "mine.txt")
    # Picked, picked again once changed, then dropped: each time the file's
    # own Windows-1252 bytes reach the questionnaire.
    for answer in ("Caf\u00e9", "Th\u00e9", "S\u00fbre"):
        wait_for(lambda: t.shown("source"), what="the picker")
        write(mine, ASK_SCRIPT.replace("text=Yes", "text=" + answer).encode("cp1252"))
        if answer == "S\u00fbre":
            t.js("const d = new DataTransfer(); d.items.add(new File([new Uint8Array(arguments[0])], 'x'));"
                 "document.dispatchEvent(new DragEvent('drop', {dataTransfer: d, cancelable: true}))",
                 list(open(mine, "rb").read()))
        else:
            t.pick(mine)
        wait_for(lambda: t.control(1000)["text"] == answer, what="the chosen script's question")
        t.keys("Escape")  # once it has ended, another file can be opened
        t.answer_box("Leave")
    # Picked again after a reload, it goes on where it was.
    t.pick(mine)
    t.answer([1])
    t.at(2, 2)
    t.driver.refresh()
    t.pick(mine)
    t.at(2, 2)


def main():
    parser = argparse.ArgumentParser()
    for name in ("--page", "--cli", "--examples", "--only", "--shots"):
        parser.add_argument(name, required=name in ("--page", "--cli", "--examples"))
    parser.add_argument("--fail-fast", action="store_true")
    args = parser.parse_args()
    import player_test  # noqa: E402 (the page as players meet it)
    cases = [(name, f) for name, f in list(globals().items()) + list(vars(player_test).items())
             if name.startswith("test_") and (not args.only or args.only in name)]
    passed = failed = 0
    with tempfile.TemporaryDirectory(prefix="kinpath-web-") as scratch:
        # kinpath-cli publishes the page beside it: there, the page under test.
        os.mkdir(programs := os.path.join(scratch, "programs"))
        args.page = shutil.copy(args.page, os.path.join(programs, "kinpath-page.html"))
        args.cli = shutil.copy(args.cli, programs)
        t = Case(args, scratch)
        try:
            for name, case in cases:
                t.setup = {"Page.addScriptToEvaluateOnNewDocument": {"source": COUNTERS + FORGET}}
                try:
                    case(t)
                    passed += 1
                    print("PASS", name, flush=True)
                except Exception:
                    failed += 1
                    print("FAIL", name, flush=True)
                    traceback.print_exc()
                    if args.fail_fast:
                        break
        finally:
            t.driver.quit()
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
