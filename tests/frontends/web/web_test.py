#!/usr/bin/env python3
"""The web page in a real headless Chromium, against kinpath-cli.

Usage: web_test.py --page kinpath-page.html --cli kinpath-cli --examples DIR
                   [--only NAME] [--shots DIR] [--fail-fast]

Every case answers through the page as a user would (clicks, keys), and what
the page saves or prints is compared with what kinpath-cli does for the same
answers. Ends with "N passed, N failed".
"""

import argparse
import base64
import functools
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import traceback

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

ASK_SCRIPT = """<QUESTION>
name=Do you like to fight up close?
text=Yes
text=No
<ANSWER>
type=1
explanationtext=You like to fight up close & loud.
warpts=50
ogrepts=20
</ANSWER>
<ANSWER>
type=no
wizpts=5
</ANSWER>
</QUESTION>
<QUESTION>
name=How much magic?
text=Lots
text=Some
text=None
<ANSWER>
type=2
clrpts=3
</ANSWER>
</QUESTION>
<FINAL>
recap=ask
</FINAL>
"""

MARKUP = '<b>bold</b> <img src=x onerror="window.pwned=1"> &amp; <script>window.pwned=1</script>'
MARKUP_SCRIPT = ("<QUESTION>\nname=%s\ntext=%s\n<ANSWER>\ntype=1\nexplanationtext=%s\nwarpts=1\n"
                 "</ANSWER>\n</QUESTION>\n<QUESTION>\nname=x\ntext=a\ntext=b\n</QUESTION>\n"
                 % (MARKUP, MARKUP, MARKUP))

# Counts every timer and animation-frame callback the page gets, the
# intervals it keeps running, and every breach of its content policy.
COUNTERS = """
window.__calls = 0; window.__violations = []; window.__intervals = new Set(); window.__ticks = 0;
for (const name of ['setTimeout', 'setInterval', 'requestAnimationFrame']) {
  const original = window[name];
  window[name] = function (f, ...rest) {
    const id = original.call(window, function () {
      window.__calls++;
      if (name === 'setInterval') window.__ticks++;
      return f.apply(this, arguments);
    }, ...rest);
    if (name === 'setInterval') window.__intervals.add(id);
    return id;
  };
}
window.__errors = [];
addEventListener('error', (e) => window.__errors.push(e.message));
addEventListener('unhandledrejection', (e) => window.__errors.push(String(e.reason)));
const clearInterval_ = window.clearInterval;
window.clearInterval = (id) => { window.__intervals.delete(id); clearInterval_.call(window, id); };
document.addEventListener('securitypolicyviolation', e =>
  window.__violations.push(e.violatedDirective + ' ' + e.blockedURI + ' ' + e.lineNumber));
// The browser's print dialog cannot be answered headless: the printer's view
// of the page is taken with WebDriver's own print instead.
window.__printed = 0; window.print = () => window.__printed++;
"""

OK, EXIT, SKIP, PRINT, HTML, PANE = 1, 2, 3, 1010, 1011, 1009
KEYS = {"Enter": Keys.ENTER, "Escape": Keys.ESCAPE, "Tab": Keys.TAB, "Backspace": Keys.BACKSPACE,
        "Alt": Keys.ALT, "Control": Keys.CONTROL, "F5": Keys.F5}


def wait_for(condition, timeout=60, what="condition"):
    """The condition's first true value, polled until timeout seconds passed
    (generous: a loaded machine slows the browser, never what it shows)."""
    end = time.monotonic() + timeout
    while not (value := condition()):
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)
    return value


def file_url(path):
    return "file://" + os.path.abspath(path)


class Browser:
    """Debian's Chromium, headless, under its chromedriver; ended by close()."""

    def __init__(self, profile, downloads):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        # The rest keeps a closed network from slowing it down.
        for arg in ("--headless", "--disable-gpu", "--disable-quic", "--no-first-run",
                    "--disable-background-networking", "--disable-component-update",
                    "--disable-sync", "--disable-dev-shm-usage", "--window-size=1280,900",
                    "--user-data-dir=" + profile) + (("--no-sandbox",) if os.geteuid() == 0 else ()):
            options.add_argument(arg)
        options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                                  "download.prompt_for_download": False})
        self.driver = d = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.go, self.js, self.back, self.forward = d.get, d.execute_script, d.back, d.forward
        self.refresh, self.close, self.screenshot = d.refresh, d.quit, d.save_screenshot
        self.find = lambda css: d.find_element(By.CSS_SELECTOR, css)
        self.cdp = lambda command, **params: d.execute_cdp_cmd(command, params)

    def click(self, css):
        self.find(css).click()

    def type_into(self, css, text):
        self.find(css).send_keys(text)

    def keys(self, *names):
        """Presses keys on whatever has the focus ("Enter", "Tab", "1", ...);
        "Alt+x" holds Alt (or Control) while x is pressed."""
        chain = ActionChains(self.driver)
        for name in names:
            down = [KEYS.get(k, k) for k in (name.split("+") if len(name) > 1 else [name])]
            for k in down:
                chain.key_down(k)
            for k in reversed(down):
                chain.key_up(k)
        chain.perform()

    def print_pdf(self):
        """The page as the printer gets it: US Letter, no margins."""
        options = PrintOptions()
        options.page_width, options.page_height, options.shrink_to_fit = 21.59, 27.94, False
        options.margin_top = options.margin_bottom = options.margin_left = options.margin_right = 0
        return base64.b64decode(self.driver.print_page(options))

    def fresh_tab(self):
        """Goes on in a new tab, the old one closed: no history, no session storage."""
        old = self.driver.current_window_handle
        self.driver.switch_to.new_window("tab")
        new = self.driver.current_window_handle
        self.driver.switch_to.window(old)
        self.driver.close()
        self.driver.switch_to.window(new)


class Server:
    """A static web server for one folder on 127.0.0.1 that counts requests;
    a path in held is answered only once the test lets it go (release), a path
    in pages with (content type, bytes) and status 200."""

    def __init__(self, folder):
        self.requests, self.held, self.pages = [], {}, {}
        log, held, pages = self.requests, self.held, self.pages

        class Handler(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                try:
                    log.append(self.path)
                    if self.path in held:
                        held[self.path].wait(120)
                    if self.path not in pages:
                        return super().do_GET()
                    kind, body = pages[self.path]
                    self.send_response(200)
                    self.send_header("Content-Type", kind)
                    self.send_header("Content-Length", str(len(body)))
                    self.end_headers()
                    self.wfile.write(body)
                except (BrokenPipeError, ConnectionResetError):
                    pass  # the page went on without this answer

        handler = functools.partial(Handler, directory=folder)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.url = "http://127.0.0.1:%d/" % self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def hold(self, path):
        self.held[path] = threading.Event()

    def release(self, path):
        self.held.pop(path).set()

    def close(self):
        for event in self.held.values():
            event.set()
        self.httpd.shutdown()
        self.httpd.server_close()
        self.thread.join()


class Case:
    """What every test gets: the browser, a scratch folder and the programs."""

    def __init__(self, args, scratch):
        self.args, self.scratch = args, scratch
        self.downloads = os.path.join(scratch, "downloads")
        os.makedirs(self.downloads)
        self.browser = Browser(os.path.join(scratch, "profile"), self.downloads)
        # What every tab of the test is set up with, in order.
        self.setup = {"Page.addScriptToEvaluateOnNewDocument": {"source": COUNTERS}}
        self.browser.cdp("Page.addScriptToEvaluateOnNewDocument", source=COUNTERS)
        self.servers = []

    def emulate(self, command, **params):
        """A DevTools setting for this tab and the next ones; a clear... command
        takes back its set... command."""
        self.browser.cdp(command, **params)
        if ".clear" in command:
            self.setup.pop(command.replace(".clear", ".set"), None)
        else:
            self.setup[command] = params

    def close(self):
        for server in self.servers:
            server.close()
        self.browser.close()

    def folder(self, name, script=None, page=True):
        """A folder holding the page as index.html and the script, if any."""
        path = os.path.join(self.scratch, name)
        os.makedirs(path)
        if page:
            shutil.copy(self.args.page, os.path.join(path, "index.html"))
        if script is not None:
            with open(os.path.join(path, "script.txt"), "wb") as f:
                f.write(script if isinstance(script, bytes) else script.encode())
        return path

    def serve(self, folder):
        server = Server(folder)
        self.servers.append(server)
        return server

    def cli(self, folder, commands, *args):
        """kinpath-cli run in folder with the commands, one per line."""
        return subprocess.run([self.args.cli, *args], cwd=folder, capture_output=True,
                              input="".join(c + "\n" for c in commands).encode(), timeout=60)

    # --- The page
    def open(self, url, resume=False):
        """Opens the page; a run kept in the tab from before is resumed only
        when asked for."""
        if not resume:
            self.browser.fresh_tab()
            for command, params in self.setup.items():
                self.browser.cdp(command, **params)
        self.browser.go(url)
        wait_for(lambda: self.js("return !document.getElementById('window').hidden"
                                 " || document.getElementById('box').open"
                                 " || !document.getElementById('source').hidden"),
                 what="the page to start")

    def js(self, script, *args):
        return self.browser.js(script, *args)

    # --- By role and accessible name, as assistive technology finds them
    def ax_nodes(self):
        """(role, name, value, properties) of every node the page exposes."""
        out = []
        for n in self.browser.cdp("Accessibility.getFullAXTree")["nodes"]:
            if n.get("ignored"):
                continue
            props = {p["name"]: p["value"].get("value") for p in n.get("properties", [])}
            out.append((n.get("role", {}).get("value"), n.get("name", {}).get("value"),
                        n.get("value", {}).get("value"), props))
        return out

    def find_role(self, role, name):
        """The WebDriver element that has this role and accessible name, or None."""
        root = self.browser.cdp("DOM.getDocument", depth=0)["root"]["nodeId"]
        nodes = [n for n in self.browser.cdp("Accessibility.queryAXTree", nodeId=root,
                                             accessibleName=name, role=role)["nodes"]
                 if not n.get("ignored") and "backendDOMNodeId" in n]
        if not nodes:
            return None
        node = self.browser.cdp("DOM.resolveNode", backendNodeId=nodes[0]["backendDOMNodeId"])
        self.browser.cdp("Runtime.callFunctionOn", objectId=node["object"]["objectId"],
                         functionDeclaration="function () { this.setAttribute('data-found', ''); }")
        element = self.browser.find("[data-found]")
        self.js("document.querySelector('[data-found]').removeAttribute('data-found')")
        return element

    def press(self, role, name):
        """Clicks the control with this role and accessible name."""
        element = wait_for(lambda: self.find_role(role, name), what="%s %r" % (role, name))
        element.click()

    def usable(self, role, name):
        """Whether a control with this role and name is there and enabled."""
        return any(r == role and n == name and not p.get("disabled")
                   for r, n, _, p in self.ax_nodes())

    def progress(self):
        return self.js("const p = document.getElementById('progress');"
                       "return p.hidden ? '' : p.textContent")

    def focused(self):
        """The role and accessible name of what has the keyboard focus."""
        focused = [(r, n) for r, n, _, p in self.ax_nodes() if p.get("focused")]
        return focused[-1] if focused else None  # the control, not the page around it

    def control(self, id):
        return self.js("const c = document.getElementById('c' + arguments[0]);"
                       "const i = c.querySelector('input') || c;"
                       "return {text: c.textContent, value: c.value, enabled: !i.disabled,"
                       "        visible: !c.hidden};", id)

    def box(self):
        """The open box as (caption, text, buttons), or None."""
        return self.js("const b = document.getElementById('box'); if (!b.open) return null;"
                       "return [document.getElementById('box-caption').textContent,"
                       "        document.getElementById('box-text').textContent,"
                       "        [...b.querySelectorAll('button')].map(x => x.textContent)];")

    def answer_box(self, button):
        """Presses a button of the open box, and waits for it to go (the next
        box may take its place at once: it has buttons of its own)."""
        wait_for(self.box, what="a message box")
        self.js("const buttons = [...document.querySelectorAll('#box button')];"
                "buttons.forEach(b => b.old = true);"
                "buttons.find(b => b.textContent === arguments[0]).click()", button)
        wait_for(lambda: self.js("const b = document.querySelector('#box button');"
                                 "return !document.getElementById('box').open || !b.old"))

    def answer(self, answers, keys=False):
        """Each answer a choice number, or 's' to skip, by clicks or by keys."""
        for a in answers:
            wait_for(lambda: self.control(SKIP)["enabled"] or self.box(), what="a question")
            if a == "s":
                self.browser.click("#c%d" % SKIP)
            elif keys:
                self.browser.keys(str(a), "Enter")
            else:
                self.browser.click("#c%d input" % (999 + a))
                self.browser.click("#c%d" % OK)

    def saved_page(self):
        """Presses HTML and returns the bytes of the downloaded Kinpath.html."""
        for name in os.listdir(self.downloads):
            os.remove(os.path.join(self.downloads, name))
        wait_for(lambda: self.control(HTML)["enabled"], what="the results")
        self.browser.click("#c%d" % HTML)
        path = os.path.join(self.downloads, "Kinpath.html")
        wait_for(lambda: os.listdir(self.downloads) == ["Kinpath.html"], what="the download")
        with open(path, "rb") as f:
            return f.read()

    def cli_page(self, script, commands):
        folder = self.folder("cli-%d" % len(os.listdir(self.scratch)), script, page=False)
        self.cli(folder, commands + ["h"])
        with open(os.path.join(folder, "Kinpath.html"), "rb") as f:
            return f.read()

    def pdf_pages(self):
        """The printed PDF's pages, each a list of its non-blank lines."""
        pdf = os.path.join(self.scratch, "print.pdf")
        with open(pdf, "wb") as f:
            f.write(self.browser.print_pdf())
        text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True,
                              check=True).stdout.decode()
        pages = [[" ".join(l.split()) for l in page.splitlines() if l.strip()]
                 for page in text.split("\f")]
        return [p for p in pages if p]

    def settle(self, bar, value):
        """Waits until the bar shows value and the page's bar timer stopped
        (a rising bar passes its total on the way up to the overshoot)."""
        wait_for(lambda: self.js("return window.__intervals.size === 0 &&"
                                 " document.getElementById('c' + arguments[0])"
                                 ".getAttribute('aria-valuenow') === String(arguments[1])",
                                 bar, value), what="the bars to rest")

    def rest(self):
        """Waits until the bars rest: the page's bar timer stopped."""
        wait_for(lambda: self.js("return window.__intervals.size === 0"), what="the bars to rest")

    def idle_calls(self, seconds):
        before = self.js("return window.__calls")
        self.js("return new Promise(r => setTimeout(r, arguments[0] * 1000))", seconds)
        return self.js("return window.__calls") - before - 1  # less the wait's own timer


def sample():
    with open(os.path.join(ARGS.examples, "script.txt"), encoding="utf-8") as f:
        return f.read()


def questions(script):
    return sum(1 for line in script.splitlines() if line.strip() == "<QUESTION>")


# --- The cases

def test_clicks_and_keys_save_the_programs_page(t):
    script = sample()
    n = questions(script)
    answers = [(i % 2) + 1 if i % 5 else "s" for i in range(n)]
    expected = t.cli_page(script, [str(a) for a in answers])
    server = t.serve(t.folder("sample", script))
    for keys in (False, True):
        t.open(server.url)
        assert t.js("return document.title") == "Kinpath Race and Class chooser"
        if keys:
            # From a chosen answer, Tab reaches the pane and every usable button.
            t.browser.keys("1")
            order = []
            for _ in range(4):
                t.browser.keys("Tab")
                order.append(t.js("return document.activeElement.id"))
            assert order == ["c1009", "c1", "c3", "c2"], order
        t.answer(answers, keys)
        assert t.saved_page() == expected, "the saved page differs from kinpath-cli's"
    if ARGS.shots:
        t.emulate("Emulation.setDeviceMetricsOverride", width=1280, height=800,
                      deviceScaleFactor=1, mobile=False)
        t.open(server.url)
        t.answer(answers[:6])
        t.rest()
        t.browser.screenshot(os.path.join(ARGS.shots, "kinpath-web.png"))
        t.emulate("Emulation.clearDeviceMetricsOverride")


def test_yes_no_box_decides_the_report_and_escape_ends(t):
    server = t.serve(t.folder("ask", ASK_SCRIPT))
    # The second run's last choice has no answer: its box comes first.
    for button, reply, last in (("Yes", "y", 2), ("No", "n", 1)):
        t.open(server.url)
        t.answer([1, last])
        if last == 1:
            assert t.box() == ["Error", "Unable to find the proper answer data for that answer",
                               ["OK"]]
            t.browser.keys("Escape")  # dismisses a box with OK alone
        wait_for(lambda: t.box() and t.box()[0] == "Output results?", what="the Yes/No box")
        assert t.box() == ["Output results?", "Would you like to review the results?",
                           ["Yes", "No"]]
        t.browser.keys("Escape")  # a Yes/No box has no cancel: it stays
        t.answer_box(button)
        assert t.saved_page() == t.cli_page(ASK_SCRIPT, ["1", str(last), reply])
    t.browser.keys("Escape")
    wait_for(lambda: t.js("return !document.getElementById('end').hidden"), what="the end")
    assert t.js("return document.getElementById('window').hidden")
    t.browser.click("#again")
    wait_for(lambda: t.control(OK - 0)["visible"] and t.control(1000)["text"] == "Yes",
             what="a new run")


def test_print_has_sixty_lines_a_page_and_the_selection_alone(t):
    script = sample()
    answers = [1] * questions(script)
    t.open(t.serve(t.folder("print", script)).url)
    t.answer(answers)
    wait_for(lambda: t.control(PRINT)["enabled"], what="the results")
    lines = t.js("return document.getElementById('c1009').value.split('\\n')")
    assert len(lines) > 60
    t.browser.click("#c%d" % PRINT)
    assert t.js("return window.__printed") == 1
    expected = [[" ".join(l.split()) for l in lines[k:k + 60] if l.strip()]
                for k in range(0, len(lines), 60)]
    assert t.pdf_pages() == expected
    # Three lines selected from the middle of the first to the middle of the third.
    start = sum(len(l) + 1 for l in lines[:4]) + 2
    end = sum(len(l) + 1 for l in lines[:6]) + 2
    t.js("document.getElementById('c1009').setSelectionRange(arguments[0], arguments[1])",
         start, end)
    t.browser.click("#c%d" % PRINT)
    assert t.pdf_pages() == [[" ".join(l.split()) for l in lines[4:7] if l.strip()]]


def test_narrow_screen_is_one_column_and_saves_the_same_page(t):
    script = sample()
    answers = [2] * questions(script)
    t.emulate("Emulation.setDeviceMetricsOverride", width=375, height=667,
                  deviceScaleFactor=2, mobile=True)
    try:
        t.open(t.serve(t.folder("narrow", script)).url)
        t.answer(answers[:3])
        layout = t.js("""
            const top = id => document.getElementById('c' + id).getBoundingClientRect().top;
            const sizes = [...document.querySelectorAll('#window *')]
              .filter(e => e.offsetParent && e.childElementCount === 0 && e.textContent.trim())
              .map(e => parseFloat(getComputedStyle(e).fontSize));
            return {scroll: document.documentElement.scrollWidth - innerWidth,
                    order: [top(1008), top(1000), top(1), top(1039)], smallest: Math.min(...sizes)};
        """)
        assert layout["scroll"] <= 0, layout
        assert layout["order"] == sorted(layout["order"]), layout
        assert layout["smallest"] >= 14, layout
        if ARGS.shots:
            t.rest()
            t.browser.screenshot(os.path.join(ARGS.shots, "kinpath-web-phone.png"))
        # The pane wraps on screen, yet each written line stays one line of the page.
        t.answer(answers[3:])
        assert t.saved_page() == t.cli_page(script, [str(a) for a in answers])
        # Scores at the 32-bit limits: the standings and "Why" fit as well.
        huge = "".join("%spts=%d\n" % (row, 2**31 - 1 if up else -2**31) for row, up in (
            ("war", 1), ("wiz", 0), ("ogre", 0), ("troll", 1), ("human", 0), ("good", 1)))
        t.open(t.serve(t.folder("huge", MARKUP_SCRIPT.replace("warpts=1\n", huge))).url)
        t.answer([1, "s"])
        wait_for(lambda: t.control(HTML)["enabled"], what="the results")
        assert t.js("return document.documentElement.scrollWidth") <= 375
    finally:
        t.emulate("Emulation.clearDeviceMetricsOverride")


def test_missing_and_broken_script_show_the_programs_boxes(t):
    broken = "<QUESTION>\n<ANSWER>\n# note\nwrong\n</ANSWER>\n</QUESTION>\n"
    for name, script in (("missing", None), ("broken", broken)):
        folder = t.folder(name, script)
        expected = t.cli(folder, []).stderr.decode().splitlines()
        t.open(t.serve(folder).url)
        shown = []
        while len(shown) < len(expected):
            caption, text, buttons = wait_for(t.box, what="a box")
            shown.append("%s: %s" % (caption, text))
            t.answer_box("OK")
        assert shown == expected, (shown, expected)
        wait_for(lambda: t.js("return !document.getElementById('end').hidden"), what="the end")


def test_published_page_runs_offline_from_a_file_and_fetches_nothing(t):
    script = ASK_SCRIPT.replace("fight up close", "Caf\u00e9 or th\u00e9").encode("cp1252")
    folder = t.folder("published", script, page=False)
    run = t.cli(folder, [], "--publish", "-o", "quiz.html")
    assert run.returncode == 0 and b"quiz.html" in run.stdout, run
    server = t.serve(folder)
    t.open(server.url + "quiz.html")
    assert t.control(1008)["text"] == "Do you like to Caf\u00e9 or th\u00e9?"
    t.answer([1])
    assert server.requests == ["/quiz.html"], server.requests
    t.emulate("Network.enable")
    t.emulate("Network.emulateNetworkConditions", offline=True, latency=0,
                  downloadThroughput=-1, uploadThroughput=-1)
    try:
        t.open(file_url(os.path.join(folder, "quiz.html")))
        t.answer([2, 2])
        t.answer_box("Yes")
        assert t.saved_page() == t.cli_page(script, ["2", "2", "y"])
        assert t.js("return performance.getEntriesByType('resource').length") == 0
        assert t.js("return window.__violations") == []
    finally:
        t.emulate("Network.emulateNetworkConditions", offline=False, latency=0,
                      downloadThroughput=-1, uploadThroughput=-1)


def test_published_empty_script_shows_results_and_title_is_text(t):
    folder = t.folder("empty", "", page=False)
    title = 'Quiz <script>window.pwned=1</script> & "more"'
    run = t.cli(folder, [], "--publish", "-o", "empty.html", "--title", title)
    assert run.returncode == 0 and b"0 questions" in run.stdout, run
    server = t.serve(folder)
    for url in (server.url + "empty.html", file_url(os.path.join(folder, "empty.html"))):
        t.open(url)
        # An empty script is a script: the results at once, as kinpath-cli shows them.
        wait_for(lambda: t.control(HTML)["enabled"], what="the results")
        assert t.js("return document.title") == title
        assert t.js("return document.getElementById('caption').textContent") == title
        assert t.js("return window.pwned === undefined && window.__violations.length === 0")
    assert server.requests == ["/empty.html"], server.requests


def test_script_texts_show_as_text_never_as_markup(t):
    folder = t.folder("markup", MARKUP_SCRIPT)
    t.cli(folder, [], "--publish", "-o", "markup.html")
    for url in (t.serve(folder).url, file_url(os.path.join(folder, "markup.html"))):
        t.open(url)
        assert t.control(1008)["text"] == MARKUP and t.control(1000)["text"] == MARKUP
        t.answer([1, "s"])
        wait_for(lambda: MARKUP in t.control(PANE)["value"], what="the report")
        assert t.js("return document.querySelectorAll('#client b, #client img').length") == 0
        assert t.js("return window.pwned === undefined && window.__violations.length === 0")


def test_accessibility_tree_names_every_control(t):
    t.open(t.serve(t.folder("a11y", ASK_SCRIPT)).url)
    wait_for(lambda: t.control(1000)["text"] == "Yes", what="the first question")

    def tree():
        """(role, name, value, properties) of every node."""
        out = []
        for n in t.browser.cdp("Accessibility.getFullAXTree")["nodes"]:
            props = {p["name"]: p["value"].get("value") for p in n.get("properties", [])}
            out.append((n.get("role", {}).get("value"), n.get("name", {}).get("value"),
                        n.get("value", {}).get("value"), props))
        return out

    nodes = tree()
    named = {(role, name) for role, name, _, _ in nodes}
    for caption in ("OK", "Skip", "Print", "HTML", "Exit"):
        assert ("button", caption) in named, caption
    assert ("radio", "Yes") in named and ("radio", "No") in named
    assert len([n for n in nodes if n[0] == "progressbar"]) == 27
    assert any(role == "textbox" and props.get("readonly") for role, _, _, props in nodes)
    assert any(props.get("live") == "polite" for _, _, _, props in nodes)
    # Warrior 50 and Ogre 20: the bars say so once they rest.
    t.answer([1])
    t.settle(1037, 50)
    bars = {name: value for role, name, value, _ in tree() if role == "progressbar"}
    assert bars["Warrior"] == 50 and bars["Ogre"] == 20 and bars["Shad. Knight"] == 0, bars
    t.answer([2])
    wait_for(t.box, what="the box")
    nodes = tree()
    assert any(role == "dialog" and name == "Output results?" and props.get("modal")
               for role, name, _, props in nodes)
    assert {("button", "Yes"), ("button", "No")} <= {(r, n) for r, n, _, _ in nodes}
    t.answer_box("No")


def test_bars_at_rest_wake_nothing(t):
    t.open(t.serve(t.folder("idle", ASK_SCRIPT)).url)
    t.answer([1])  # 50 points for Warrior: the bar climbs, overshoots and settles
    t.settle(1037, 50)
    assert t.idle_calls(2) == 0


def test_page_without_script_opens_a_chosen_file(t):
    folder = t.folder("picker", None)
    script = os.path.join(folder, "mine.txt")
    t.open(file_url(os.path.join(folder, "index.html")))
    # Picked, picked again once changed, then dropped: each time the file's
    # own Windows-1252 bytes reach the questionnaire.
    for answer in ("Caf\u00e9", "Th\u00e9", "S\u00fbre"):
        wait_for(lambda: t.js("return !document.getElementById('source').hidden"),
                 what="the picker")
        with open(script, "wb") as f:
            f.write(ASK_SCRIPT.replace("text=Yes", "text=" + answer).encode("cp1252"))
        if answer == "S\u00fbre":
            t.js("const d = new DataTransfer(), f = new File([new Uint8Array(arguments[0])], 'x');"
                 "d.items.add(f); document.dispatchEvent(new DragEvent('drop', {dataTransfer: d,"
                 " cancelable: true}))", list(open(script, "rb").read()))
        else:
            t.browser.type_into("#picker", script)
        wait_for(lambda: t.control(1000)["text"] == answer, what="the chosen script's question")
        # Once it has ended, another file can be opened.
        t.browser.keys("Escape")
        t.answer_box("Leave")


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--page", required=True)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--examples", required=True)
    parser.add_argument("--only")
    parser.add_argument("--shots")
    parser.add_argument("--fail-fast", action="store_true", help="stop at the first failure")
    ARGS = parser.parse_args()
    ARGS.page, ARGS.cli = os.path.abspath(ARGS.page), os.path.abspath(ARGS.cli)
    import player_test  # noqa: E402 (the page as players meet it)
    tests = list(globals().items()) + list(vars(player_test).items())
    cases = [(name, f) for name, f in tests
             if name.startswith("test_") and (not ARGS.only or ARGS.only in name)]
    passed = failed = 0
    scratch = tempfile.mkdtemp(prefix="kinpath-web-")
    try:
        # kinpath-cli publishes the page beside it: there, the page under test.
        programs = os.path.join(scratch, "programs")
        os.mkdir(programs)
        shutil.copy(ARGS.page, os.path.join(programs, "kinpath-page.html"))
        ARGS.cli = shutil.copy(ARGS.cli, programs)
        t = Case(ARGS, scratch)
        try:
            for name, case in cases:
                try:
                    case(t)
                    passed += 1
                    print("PASS", name, flush=True)
                except Exception:
                    failed += 1
                    print("FAIL", name, flush=True)
                    traceback.print_exc()
                    if ARGS.fail_fast:
                        break
        finally:
            t.close()
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
