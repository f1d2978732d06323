#!/usr/bin/env python3
"""The web page in a real headless Chromium, answered as a user would (clicks,
keys), what it saves compared with kinpath-cli's. Ends with "N passed, N failed".

Usage: web_test.py --page kinpath-page.html --cli kinpath-cli --examples DIR
                   [--only NAME] [--shots DIR] [--fail-fast]
"""

import argparse, base64, functools, http.server, os, shutil, subprocess, sys, tempfile
import threading, time, traceback

sys.dont_write_bytecode = True  # no cache files among the sources
try:
    import selenium
except ImportError:  # a Python of one's own beside Debian's: Debian's python3-selenium
    sys.path.append("/usr/lib/python3/dist-packages")
from selenium import webdriver
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

# Counts the page's timer callbacks, running intervals, errors and breaches of its policy.
COUNTERS = """
window.__calls = 0; window.__ticks = 0; window.__intervals = new Set();
window.__errors = []; window.__violations = []; window.__printed = 0;
for (const name of ['setTimeout', 'setInterval', 'requestAnimationFrame']) {
  const original = window[name];
  window[name] = (f, ...rest) => {
    const id = original.call(window, (...a) => {
      window.__calls++; window.__ticks += name === 'setInterval'; return f(...a); }, ...rest);
    if (name === 'setInterval') window.__intervals.add(id);
    return id;
  };
}
const clear = window.clearInterval;
window.clearInterval = (id) => { window.__intervals.delete(id); clear.call(window, id); };
addEventListener('error', (e) => window.__errors.push(e.message));
addEventListener('unhandledrejection', (e) => window.__errors.push(String(e.reason)));
document.addEventListener('securitypolicyviolation', (e) => window.__violations.push(e.blockedURI));
// The print dialog cannot be answered headless: WebDriver's print stands in.
window.print = () => window.__printed++;
"""

OK, SKIP, PANE, PRINT, HTML = 1, 3, 1009, 1010, 1011
KEYS = {"Enter": Keys.ENTER, "Escape": Keys.ESCAPE, "Tab": Keys.TAB, "Backspace": Keys.BACKSPACE,
        "Alt": Keys.ALT, "Control": Keys.CONTROL}


def wait_for(condition, timeout=60, what="condition"):
    """The condition's first true value (a loaded machine slows the page, never what it shows)."""
    end = time.monotonic() + timeout
    while not (value := condition()):
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)
    return value


def file_url(path):
    return "file://" + os.path.abspath(path)


def write(path, text):
    with open(path, "wb") as f:
        f.write(text if isinstance(text, bytes) else text.encode())


class Server:
    """A web server of one folder on 127.0.0.1 that logs the paths asked for;
    a path in held waits for its event, one in kinds is sent as that type."""

    def __init__(self, folder):
        self.requests, self.held, self.kinds = [], {}, {}
        server = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                pass

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

        # Its threads end with the test, answered or not.
        httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                                functools.partial(Handler, directory=folder))
        self.url = "http://127.0.0.1:%d/" % httpd.server_address[1]
        threading.Thread(target=httpd.serve_forever, daemon=True).start()


class Case:
    """What every case gets: Debian's Chromium headless, a scratch folder, the programs."""

    def __init__(self, args, scratch):
        self.args, self.scratch, self.serve = args, scratch, Server
        self.downloads = os.path.join(scratch, "downloads")
        os.makedirs(self.downloads)
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        # The rest keeps a closed network from slowing it down.
        for arg in ("--headless", "--disable-gpu", "--disable-quic", "--no-first-run",
                    "--disable-background-networking", "--disable-component-update",
                    "--disable-sync", "--disable-dev-shm-usage", "--window-size=1280,900",
                    "--user-data-dir=" + os.path.join(scratch, "profile")) + (
                        ("--no-sandbox",) if os.geteuid() == 0 else ()):
            options.add_argument(arg)
        options.add_experimental_option("prefs", {"download.default_directory": self.downloads,
                                                  "download.prompt_for_download": False})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.js = self.driver.execute_script

    def reset(self):
        """DevTools settings of the tabs opened from now on, by command."""
        self.setup = {"Page.addScriptToEvaluateOnNewDocument": {"source": COUNTERS}}

    def cdp(self, command, **params):
        return self.driver.execute_cdp_cmd(command, params)

    def emulate(self, command, **params):
        self.setup[command] = params

    def folder(self, name, script=None, page=True):
        """A folder holding the page as index.html and the script, if any."""
        path = os.path.join(self.scratch, name)
        os.makedirs(path)
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
        with open(os.path.join(folder, "Kinpath.html"), "rb") as f:
            return f.read()

    def cli_boxes(self, folder):
        return self.cli(folder, []).stderr.decode().splitlines()

    # --- The page
    def fresh_tab(self):
        """Goes on in a new tab set up as asked (no history, no session storage)."""
        old = self.driver.current_window_handle
        self.driver.switch_to.new_window("tab")
        new = self.driver.current_window_handle
        self.driver.switch_to.window(old)
        self.driver.close()
        self.driver.switch_to.window(new)
        for command, params in self.setup.items():
            self.cdp(command, **params)

    def open(self, url, resume=False):
        """Opens the page, in a fresh tab unless the run kept in this one is to resume."""
        if not resume:
            self.fresh_tab()
        self.driver.get(url)
        wait_for(lambda: self.js("const $ = (id) => document.getElementById(id);"
                                 "return !$('window').hidden || !$('source').hidden || $('box').open"),
                 what="the page to start")

    def shown(self, id):
        return self.js("return !document.getElementById(arguments[0]).hidden", id)

    def pick(self, path):
        wait_for(lambda: self.shown("source"), what="the picker")
        self.driver.find_element(By.ID, "picker").send_keys(path)

    def click(self, css):
        self.driver.find_element(By.CSS_SELECTOR, css).click()

    def keys(self, *names):
        """Presses keys on what has the focus ("Enter", "1", "Alt+x", ...)."""
        chain = ActionChains(self.driver)
        for name in names:
            down = [KEYS.get(k, k) for k in (name.split("+") if len(name) > 1 else [name])]
            for k in down:
                chain.key_down(k)
            for k in reversed(down):
                chain.key_up(k)
        chain.perform()

    def ax_nodes(self):
        """(role, name, value, properties) of every node assistive technology sees."""
        return [(n.get("role", {}).get("value"), n.get("name", {}).get("value"),
                 n.get("value", {}).get("value"),
                 {p["name"]: p["value"].get("value") for p in n.get("properties", [])})
                for n in self.cdp("Accessibility.getFullAXTree")["nodes"] if not n.get("ignored")]

    def focused(self):
        focused = [(r, n) for r, n, _, p in self.ax_nodes() if p.get("focused")]
        return focused[-1] if focused else None  # the control, not the page around it

    def progress(self):
        return self.js("const p = document.getElementById('progress');"
                       "return p.hidden ? '' : p.textContent")

    def at(self, number, count):
        wait_for(lambda: self.progress() == "Question %d of %d" % (number, count),
                 what="question %d of %d" % (number, count))

    def control(self, id):
        return self.js("const c = document.getElementById('c' + arguments[0]);"
                       "const i = c.querySelector('input') || c;"
                       "return {text: c.textContent, value: c.value, enabled: !i.disabled};", id)

    def results(self):
        wait_for(lambda: self.control(HTML)["enabled"], what="the results")

    def box(self):
        """The open box as (caption, text, buttons), or None."""
        return self.js("const b = document.getElementById('box'); if (!b.open) return null;"
                       "return [document.getElementById('box-caption').textContent,"
                       "        document.getElementById('box-text').textContent,"
                       "        [...b.querySelectorAll('button')].map(x => x.textContent)];")

    def answer_box(self, button):
        """Presses a button of the open box and waits for it to go, or for the next one."""
        wait_for(self.box, what="a message box")
        self.js("const buttons = [...document.querySelectorAll('#box button')];"
                "buttons.forEach(b => b.old = true);"
                "buttons.find(b => b.textContent === arguments[0]).click()", button)
        wait_for(lambda: self.js("const b = document.querySelector('#box button');"
                                 "return !document.getElementById('box').open || !b.old"))

    def boxes(self, count):
        """The next count boxes as "caption: text", each answered OK."""
        shown = []
        while len(shown) < count:
            shown.append("%s: %s" % tuple(wait_for(self.box, what="a box")[:2]))
            self.answer_box("OK")
        return shown

    def answer(self, answers, keys=False):
        """Each answer a choice number, or 's' to skip, by clicks or by keys."""
        for a in answers:
            wait_for(lambda: self.control(SKIP)["enabled"] or self.box(), what="a question")
            if a == "s":
                self.click("#c%d" % SKIP)
            elif keys:
                self.keys(str(a), "Enter")
            else:
                self.click("#c%d input" % (999 + a))
                self.click("#c%d" % OK)

    def saved_page(self):
        """Presses HTML and returns the bytes of the downloaded Kinpath.html."""
        for name in os.listdir(self.downloads):
            os.remove(os.path.join(self.downloads, name))
        self.results()
        self.click("#c%d" % HTML)
        wait_for(lambda: os.listdir(self.downloads) == ["Kinpath.html"], what="the download")
        with open(os.path.join(self.downloads, "Kinpath.html"), "rb") as f:
            return f.read()

    def rest(self, bar=1037, value=None):
        """Waits for the bar timer to stop (and the bar to show value: it overshoots)."""
        wait_for(lambda: self.js("return window.__intervals.size === 0 && (arguments[1] === null"
                                 " || document.getElementById('c' + arguments[0])"
                                 ".getAttribute('aria-valuenow') === String(arguments[1]))",
                                 bar, value), what="the bars to rest")

    def shot(self, name):
        if self.args.shots and name:
            self.rest()
            self.driver.save_screenshot(os.path.join(self.args.shots, name))


def sample(t):
    script = open(os.path.join(t.args.examples, "script.txt"), encoding="utf-8").read()
    return script, sum(1 for line in script.splitlines() if line.strip() == "<QUESTION>")


# --- The cases

def test_clicks_and_keys_save_the_programs_page(t):
    script, n = sample(t)
    answers = [(i % 2) + 1 if i % 5 else "s" for i in range(n)]
    t.open(t.serve(t.folder("sample", script)).url)
    t.answer(answers[:n // 2])
    t.answer(answers[n // 2:], keys=True)
    assert t.saved_page() == t.cli_page(script, [str(a) for a in answers])


def test_print_has_sixty_lines_a_page_and_the_selection_alone(t):
    script, n = sample(t)
    t.open(t.serve(t.folder("print", script)).url)
    t.answer([1] * n, keys=True)
    t.results()
    assert len(lines := t.control(PANE)["value"].split("\n")) > 60

    def printed():
        # The printer's pages (US Letter, no margins), each its non-blank lines.
        t.click("#c%d" % PRINT)
        options = PrintOptions()
        options.page_width, options.page_height, options.shrink_to_fit = 21.59, 27.94, False
        options.margin_top = options.margin_bottom = options.margin_left = options.margin_right = 0
        pdf = os.path.join(t.scratch, "print.pdf")
        write(pdf, base64.b64decode(t.driver.print_page(options)))
        text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True,
                              check=True).stdout.decode()
        return [p for p in ([" ".join(l.split()) for l in page.splitlines() if l.strip()]
                            for page in text.split("\f")) if p]

    assert printed() == [[" ".join(l.split()) for l in lines[k:k + 60] if l.strip()]
                         for k in range(0, len(lines), 60)]
    assert t.js("return window.__printed") == 1
    # Three lines selected from the middle of the first to the middle of the third.
    start, end = (sum(len(l) + 1 for l in lines[:k]) + 2 for k in (4, 6))
    t.js("document.getElementById('c1009').setSelectionRange(arguments[0], arguments[1])",
         start, end)
    assert printed() == [[" ".join(l.split()) for l in lines[4:7] if l.strip()]]


def test_published_page_runs_offline_and_its_boxes_take_their_buttons(t):
    script = ASK_SCRIPT.replace("fight up close", "Caf\u00e9 or th\u00e9").encode("cp1252")
    folder = t.folder("published", script, page=False)
    assert t.cli(folder, [], "--publish", "-o", "quiz.html").returncode == 0
    t.emulate("Network.enable")
    t.emulate("Network.emulateNetworkConditions", offline=True, latency=0,
              downloadThroughput=-1, uploadThroughput=-1)
    t.open(file_url(os.path.join(folder, "quiz.html")))
    assert t.control(1008)["text"] == "Do you like to Caf\u00e9 or th\u00e9?"
    t.answer([2, 1])  # the last choice has no answer: its box comes first
    assert wait_for(t.box) == ["Error", "Unable to find the proper answer data for that answer",
                               ["OK"]]
    t.keys("Escape")  # dismisses a box with OK alone
    wait_for(lambda: (t.box() or [0])[0] == "Output results?", what="the Yes/No box")
    assert t.box() == ["Output results?", "Would you like to review the results?", ["Yes", "No"]]
    t.keys("Escape")  # a Yes/No box has no cancel: it stays
    t.answer_box("No")
    assert t.saved_page() == t.cli_page(script, ["2", "1", "n"])
    assert t.js("return performance.getEntriesByType('resource').concat(window.__violations)") == []
    t.keys("Escape")
    wait_for(lambda: t.shown("end"), what="the end")
    assert not t.shown("window")
    t.click("#again")
    wait_for(lambda: t.control(1000)["text"] == "Yes", what="a new run")


def test_script_texts_and_title_show_as_text_never_as_markup(t):
    folder = t.folder("markup", MARKUP_SCRIPT)
    title = 'Quiz <script>window.pwned=1</script> & "more"'
    t.cli(folder, [], "--publish", "-o", "markup.html", "--title", title)
    for url in (t.serve(folder).url, file_url(os.path.join(folder, "markup.html"))):
        t.open(url)
        assert t.control(1008)["text"] == MARKUP and t.control(1000)["text"] == MARKUP
        t.answer([1, "s"])
        wait_for(lambda: MARKUP in t.control(PANE)["value"], what="the report")
        assert t.js("return !document.querySelector('#client b, #client img') &&"
                    " window.pwned === undefined && !window.__violations.length")
    assert t.js("return [document.title, document.getElementById('caption').textContent]") == \
        [title, title]


def test_accessibility_tree_names_every_control_and_bars_at_rest_wake_nothing(t):
    t.open(t.serve(t.folder("a11y", ASK_SCRIPT)).url)
    wait_for(lambda: t.control(1000)["text"] == "Yes", what="the first question")
    nodes = t.ax_nodes()
    named = {(role, name) for role, name, _, _ in nodes}
    assert {("button", c) for c in ("OK", "Skip", "Print", "HTML", "Exit")} | {
        ("radio", "Yes"), ("radio", "No")} <= named, named
    assert len([n for n in nodes if n[0] == "progressbar"]) == 27 and any(
        role == "textbox" and p.get("readonly") for role, _, _, p in nodes) and any(
        p.get("live") == "polite" for _, _, _, p in nodes)
    t.answer([1])  # Warrior 50, Ogre 20: the bar climbs, overshoots and settles
    t.rest(value=50)
    bars = {name: value for role, name, value, _ in t.ax_nodes() if role == "progressbar"}
    assert bars["Warrior"] == 50 and bars["Ogre"] == 20 and bars["Shad. Knight"] == 0, bars
    calls = t.js("return window.__calls")
    t.js("return new Promise(r => setTimeout(r, 2000))")
    assert t.js("return window.__calls") == calls + 1  # the wait's own timer alone
    t.answer([2])
    wait_for(t.box, what="the box")
    assert {("dialog", "Output results?", True), ("button", "Yes", None), ("button", "No", None)} \
        <= {(r, n, p.get("modal")) for r, n, _, p in t.ax_nodes()}


def test_page_without_script_opens_a_chosen_file(t):
    folder = t.folder("picker", None)
    mine = os.path.join(folder, "mine.txt")
    t.open(file_url(os.path.join(folder, "index.html")))
    # Picked, picked again once changed, then dropped: each time the file's
    # own Windows-1252 bytes reach the questionnaire.
    for answer in ("Caf\u00e9", "Th\u00e9", "S\u00fbre"):
        wait_for(lambda: t.shown("source"), what="the picker")
        write(mine, ASK_SCRIPT.replace("text=Yes", "text=" + answer).encode("cp1252"))
        if answer == "S\u00fbre":
            t.js("const d = new DataTransfer();"
                 "d.items.add(new File([new Uint8Array(arguments[0])], 'x'));"
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
    for name in ("--page", "--cli", "--examples"):
        parser.add_argument(name, required=True)
    for name in ("--only", "--shots"):
        parser.add_argument(name)
    parser.add_argument("--fail-fast", action="store_true", help="stop at the first failure")
    args = parser.parse_args()
    import player_test  # noqa: E402 (the page as players meet it)
    cases = [(name, f) for name, f in list(globals().items()) + list(vars(player_test).items())
             if name.startswith("test_") and (not args.only or args.only in name)]
    passed = failed = 0
    with tempfile.TemporaryDirectory(prefix="kinpath-web-") as scratch:
        # kinpath-cli publishes the page beside it: there, the page under test.
        programs = os.path.join(scratch, "programs")
        os.mkdir(programs)
        args.page = shutil.copy(args.page, os.path.join(programs, "kinpath-page.html"))
        args.cli = shutil.copy(args.cli, programs)
        t = Case(args, scratch)
        try:
            for name, case in cases:
                t.reset()
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
