#!/usr/bin/env python3
# The studio page in headless Chromium, its controls found by role and accessible name: that it
# hands the draft to the author tools and shows what they answer (their own tests prove the
# answers). Usage: studio_test.py --studio HTML --page HTML --cli CLI [--only NAME]
import argparse, contextlib, os, shutil, subprocess, sys, tempfile, traceback

sys.dont_write_bytecode = True  # no cache files among the sources
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from web_test import COUNTERS, FORGET, Case, file_url, wait_for, write  # noqa: E402
from player_test import script_of  # noqa: E402
from selenium.common.exceptions import NoAlertPresentException  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402

UPDATES = "window.__updates = 0; document.addEventListener('kinpath-updated', () => window.__updates++);"


class Studio(Case):
    def start(self, draft=None):  # a fresh tab on the studio, with this draft typed over the sample
        self.fresh_tab()
        self.driver.get(file_url(self.args.studio))
        self.settled()
        if draft is not None:
            self.type_draft(draft)

    def settled(self, before=0):  # the update after the one counted before
        wait_for(lambda: self.js("return window.__updates") > before, what="the draft's update")

    def control(self, role, name, within=None):
        for el in (within or self.driver).find_elements(By.CSS_SELECTOR, "button,textarea,input,[role]"
                                                                        ",progress,iframe"):
            if el.aria_role == role and el.accessible_name.startswith(name) and el.is_displayed():
                return el
        raise AssertionError("no %s named %r" % (role, name))

    def type_draft(self, text):  # replaced as the author would: select all, type (undo keeps it)
        before = self.js("return window.__updates")
        self.control("textbox", "Question script").click()
        self.js("const e = document.activeElement; e.select(); document.execCommand('insertText', false, "
                "arguments[0])", text)
        self.settled(before)

    def draft(self):
        return self.control("textbox", "Question script").get_attribute("value")

    def in_player(self, script):  # runs script inside the Play frame
        self.driver.switch_to.frame(self.driver.find_element(By.ID, "player"))
        try:
            return self.js(script)
        finally:
            self.driver.switch_to.default_content()

    def player_at(self):
        return self.in_player("return document.getElementById('progress').textContent")


def test_a_misspelt_key_is_shown_at_its_line_and_fixed_by_its_button(t):
    script = script_of(3)
    t.start(script.replace("wizpts=5", "wizptz=5", 1))
    item = wait_for(lambda: t.js("return document.querySelector('#diagnostics li')"), what="a diagnostic")
    assert item.text.startswith("line 8: error: ") and "unknown key 'wizptz" in item.text, item.text
    assert t.js("return [...document.querySelectorAll('#gutter .mark')].map(m => m.textContent)") == ["8"]
    assert t.shown("play-errors") and not t.shown("player")
    assert t.js("return document.querySelector('#overlay .tag').textContent") == "<QUESTION>"
    assert "1 error" in t.js("return document.getElementById('summary').textContent")
    # Its line takes the caret.
    t.control("link", "line 8").click()
    assert t.js("const e = document.activeElement; return e.value.slice(0, e.selectionStart).split('\\n').length") == 8
    before = t.js("return window.__updates")
    t.control("button", "Fix: wizpts=5").click()
    t.settled(before)
    assert t.draft() == script and not t.js("return document.querySelector('#diagnostics li')")
    assert t.shown("player") and t.player_at() == "Question 1 of 3"


def test_an_edit_keeps_the_players_place(t):
    script = script_of(4)
    t.start(script)
    for choice in (1, 2):
        t.in_player("document.querySelector('#c%d input').click(); document.getElementById('c1').click()"
                    % (999 + choice))
    wait_for(lambda: t.player_at() == "Question 3 of 4", what="question 3")
    t.type_draft(script.replace("text=Yes 4", "text=Yes, four"))
    wait_for(lambda: t.player_at() == "Question 3 of 4", what="question 3 again")
    assert t.js("return document.activeElement.id") == "editor"


def test_balance_runs_and_cancels(t):
    t.start(script_of(3))
    t.control("tab", "Balance").click()
    runs = t.control("spinbutton", "Runs")
    runs.clear()
    runs.send_keys("300")
    t.control("button", "Run").click()
    wait_for(lambda: "Balance of" in (t.js("return document.getElementById('report').srcdoc") or ""),
             what="the report")
    assert t.shown("report")
    runs.clear()
    runs.send_keys("1000000000")
    t.control("button", "Run").click()
    wait_for(lambda: t.js("return document.getElementById('balance-progress').value") > 0, what="progress")
    t.control("button", "Cancel").click()
    assert not t.shown("balance-progress") and t.control("button", "Run").is_enabled()


def test_publish_downloads_the_page_the_terminal_publishes(t):
    examples = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "examples")
    t.start(open(os.path.join(examples, "lantern-guilds.txt"), encoding="utf-8").read())
    script = t.draft()  # as the editor holds it
    title = t.control("textbox", "Title")
    assert title.get_attribute("value") == "Which lantern guild of Harrowmere would take you?"
    title.clear()
    title.send_keys("T")
    t.control("button", "Publish").click()
    path = os.path.join(t.downloads, "script.html")
    wait_for(lambda: os.path.exists(path) and os.path.getsize(path), what="the download")
    folder = t.folder("publish", script, page=False)
    subprocess.run([t.args.cli, "--publish", "script.txt", "--title", "T", "-o", "cli.html"], cwd=folder,
                   check=True, capture_output=True, timeout=60)
    assert open(path, "rb").read() == open(os.path.join(folder, "cli.html"), "rb").read()
    os.remove(path)


def test_a_reload_restores_the_draft_and_a_file_reads_as_the_window_reads_it(t):
    t.start(script_of(2) + "# mine\n")
    t.js("window.__before_reload = 1")
    t.driver.refresh()
    with contextlib.suppress(NoAlertPresentException):
        t.driver.switch_to.alert.accept()  # the warning of unsaved changes
    # Refresh returns at the warning, before the new document exists.
    wait_for(lambda: t.js("return !window.__before_reload && window.__updates > 0"), what="the reloaded draft")
    assert t.draft() == script_of(2) + "# mine\n"
    # A file dropped in, in Windows-1252, reads as the window reads it.
    t.js("const d = new DataTransfer(); d.items.add(new File([new Uint8Array(arguments[0])], 'old.txt'));"
         "document.getElementById('editor').dispatchEvent(new DragEvent('drop', {dataTransfer: d, cancelable: true}))",
         list("# Caf\u00e9\n".encode("cp1252")))
    wait_for(lambda: t.draft() == "# Caf\u00e9\n", what="the file's text")
    assert not t.js("return window.__errors.concat(window.__violations)")


def main():
    parser = argparse.ArgumentParser()
    for name in ("--studio", "--page", "--cli", "--only"):
        parser.add_argument(name, required=name != "--only")
    args = parser.parse_args()
    cases = [(n, f) for n, f in globals().items() if n.startswith("test_") and (not args.only or args.only in n)]
    failed = 0
    with tempfile.TemporaryDirectory(prefix="kinpath-studio-") as scratch:
        os.mkdir(programs := os.path.join(scratch, "programs"))  # the CLI publishes the page beside it
        shutil.copy(args.page, os.path.join(programs, "kinpath-page.html"))
        args.cli = shutil.copy(args.cli, programs)
        t = Studio(args, scratch)
        t.setup = {"Page.addScriptToEvaluateOnNewDocument": {"source": COUNTERS + FORGET + UPDATES}}
        try:
            for name, case in cases:
                try:
                    case(t)
                    print("PASS", name, flush=True)
                except Exception:
                    failed += 1
                    print("FAIL", name, flush=True)
                    traceback.print_exc()
        finally:
            t.driver.quit()
    return 1 if failed or not cases else 0


if __name__ == "__main__":
    sys.exit(main())
