#!/usr/bin/env python3
"""The studio's figures in headless Chromium, printed beside their goals.

Usage: studio.py STUDIO_PAGE SCRIPT [EDITS]   (SCRIPT: the sample, examples/script.txt)

- First paint: the first contentful paint of the page opened from file://
  with the CPU slowed 4 times (DevTools' CPU throttling), median of 9 loads in
  a fresh profile (nothing kept in the browser yet).
- Checking as one types, in a fresh tab: from the last keystroke of an edit (its keydown's
  time stamp) to the page's 'kinpath-updated' event, which it sends once the
  diagnostics and the preview are drawn. Each edit types a character at the
  end of a question's text or takes it back; median of EDITS edits (default 9)
  on SCRIPT and on a script of about 1 MB made by repeating SCRIPT's questions;
  then on that script again once the browser keeps its accessibility tree (as
  it does for a screen reader), which a text area of 1 MB updates at each key.
- The balance in its worker: 100,000 runs of SCRIPT, from the click that
  starts it to the report loaded in its frame; runs a second.
- The file's size, and gzip-compressed (level 9, as the published page's).
"""

import gzip
import os
import re
import shutil
import statistics
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True  # no cache files among the sources
from run import Browser  # noqa: E402
from web_test import ActionChains, By, Keys, file_url, wait_for  # noqa: E402

RUNS = 100000
QUESTION = re.compile(r"^<QUESTION>$", re.M)
PAINTS = 9
# What the page does is timed in the page: the keys, the updates, the frames loaded, the clicks.
RECORDER = """
Object.assign(window, {__keys: [], __inputs: [], __updates: [], __frames: [], __clicks: []});
addEventListener('keydown', (e) => window.__keys.push(e.timeStamp), true);
// Last on the way back up: the page's own handling of the edit is done.
addEventListener('input', () => window.__inputs.push(performance.now()));
addEventListener('click', (e) => window.__clicks.push(e.timeStamp), true);
document.addEventListener('kinpath-updated', () => window.__updates.push(performance.now()));
// A frame's load does not bubble, but passes the document on its way down.
document.addEventListener('load', (e) => {
  if (e.target.tagName === 'IFRAME') window.__frames.push([performance.now(), e.target.title]);
}, true);
"""
FIRST_PAINT = ("return (performance.getEntriesByType('paint').find("
               "(e) => e.name === 'first-contentful-paint') || {}).startTime")
SET_TEXT = ("arguments[0].value = arguments[1];"
            "arguments[0].dispatchEvent(new Event('input', {bubbles: true}));")


def repeated(script, size):
    """SCRIPT with its questions repeated until it holds about SIZE bytes."""
    starts = [m.start() for m in QUESTION.finditer(script)]
    first, last = starts[0], script.rindex("\n</QUESTION>\n") + 13
    questions = script[first:last]
    times = max(1, round((size - len(script)) / len(questions)) + 1)
    return script[:first] + questions * times + script[last:]


def shown_named(browser, css, name):
    """The first element shown that matches css and whose accessible name matches name."""
    for element in browser.driver.find_elements(By.CSS_SELECTOR, css):
        if re.fullmatch(name, element.accessible_name.strip()):
            return element
    return None


def named(browser, css, name, timeout=30):
    return wait_for(lambda: shown_named(browser, css, name), timeout, "a control named " + name)


def first_paints(browser, page):
    times = []
    for _ in range(PAINTS):
        browser.cdp("Emulation.setCPUThrottlingRate", rate=4)
        browser.go(file_url(page))
        times.append(wait_for(lambda: browser.js(FIRST_PAINT), 60, "the first paint"))
    browser.cdp("Emulation.setCPUThrottlingRate", rate=1)
    return statistics.median(times)


def updated_after(browser, stamp):
    """The time of the first update after stamp, once there is one."""
    return wait_for(lambda: next((t for t in browser.js("return window.__updates")
                                  if t > stamp), None), 120, "kinpath-updated")


def set_text(browser, editor, text):
    """The editor's whole text replaced, as a paste does, and checked."""
    stamp = browser.js("return performance.now()")
    browser.js(SET_TEXT, editor, text)
    updated_after(browser, stamp)


def edit_times(browser, editor, text, edits):
    """Milliseconds from each edit's keystroke to the update it brought, and to the end of
    the page's handling of its input event (what typing waits for); medians."""
    set_text(browser, editor, text)
    # The end of the first question's text: the preview keeps its place there.
    at = text.index("\n", text.index("\nname=") + 1)
    browser.js("arguments[0].focus(); arguments[0].setSelectionRange(arguments[1], arguments[1]);",
               editor, at)
    times, typing = [], []
    for n in range(edits):
        ActionChains(browser.driver).send_keys(Keys.BACKSPACE if n % 2 else "x").perform()
        key = browser.js("return window.__keys[window.__keys.length - 1]")
        times.append(updated_after(browser, key) - key)
        typing.append(next(t for t in browser.js("return window.__inputs") if t > key) - key)
    return statistics.median(times), statistics.median(typing)


def balance_rate(browser):
    named(browser, "[role=tab]", "Balance").click()
    runs = named(browser, "input", "Runs")
    browser.js("arguments[0].value = arguments[1];"
               "arguments[0].dispatchEvent(new Event('input', {bubbles: true}));"
               "arguments[0].dispatchEvent(new Event('change', {bubbles: true}));", runs, RUNS)
    clicks = len(browser.js("return window.__clicks"))
    named(browser, "button", "Run").click()
    clicked = wait_for(lambda: browser.js("return window.__clicks")[clicks:], 10, "the click")[0]

    def report():  # the report's frame loaded since
        return next((t for t, title in browser.js("return window.__frames")
                     if t > clicked and title == "Balance report"), None)
    return RUNS / ((wait_for(report, 1800, "the balance report") - clicked) / 1000)


def row(what, value, goal="", met=None):
    verdict = "" if met is None else "met" if met else "not met"
    print("  %-58s %16s   %-12s %s" % (what, value, goal, verdict))


def main():
    page, sample = os.path.abspath(sys.argv[1]), sys.argv[2]
    edits = int(sys.argv[3]) if len(sys.argv) > 3 else 9
    with open(page, "rb") as f:
        size = len(f.read())
        f.seek(0)
        packed = len(gzip.compress(f.read(), 9))
    with open(sample, encoding="utf-8") as f:
        script = f.read()
    big = repeated(script, 1000000)
    questions = len(QUESTION.findall(script))

    scratch = tempfile.mkdtemp(prefix="kinpath-studio-bench-")
    browser = Browser(os.path.join(scratch, "profile"))
    try:
        browser.cdp("Page.addScriptToEvaluateOnNewDocument", source=RECORDER)
        paint = first_paints(browser, page)
        # Typing is timed in a tab of its own, as an author opens the studio: in the tab that
        # loaded it ten times above, an edit of 1 MB takes about 150 ms longer.
        old = browser.driver.current_window_handle
        browser.driver.switch_to.new_window("tab")
        browser.driver.switch_to.window(old)
        browser.driver.close()
        browser.driver.switch_to.window(browser.driver.window_handles[0])
        browser.cdp("Page.addScriptToEvaluateOnNewDocument", source=RECORDER)
        browser.go(file_url(page))
        wait_for(lambda: browser.js("return window.__updates.length"), 120, "the studio's start")
        # Found by CSS, not by its accessible name, which would turn the browser's accessibility
        # tree on: that is timed apart, as a screen reader has it.
        editor = wait_for(lambda: browser.driver.find_element(By.CSS_SELECTOR, "textarea"), 30, "the editor")
        small_ms, small_typing = edit_times(browser, editor, script, edits)
        big_ms, big_typing = edit_times(browser, editor, big, edits)
        assert re.match(r"(?i)(question )?script", editor.accessible_name)
        read_ms, _ = edit_times(browser, editor, big, edits)
        set_text(browser, editor, script)
        rate = balance_rate(browser)
    finally:
        browser.close()
        shutil.rmtree(scratch, ignore_errors=True)

    print("Studio (%s):" % os.path.basename(page))
    row("keystroke to diagnostics and preview, sample (%d questions)" % questions,
        "%.0f ms" % small_ms, "<= 100 ms", small_ms <= 100)
    row("the same on %s bytes (%d questions)" % ("{:,}".format(len(big.encode())),
                                                 len(QUESTION.findall(big))),
        "%.0f ms" % big_ms, "<= 500 ms", big_ms <= 500)
    row("  the same with a screen reader's accessibility tree on", "%.0f ms" % read_ms)
    row("  of which the key press's own handling, sample; 1 MB",
        "%.0f ms; %.0f ms" % (small_typing, big_typing))
    row("balance of the sample in the worker, %s runs" % "{:,}".format(RUNS),
        "{:,.0f} runs/s".format(rate), ">= 20,000", rate >= 20000)
    row("file size", "{:,} bytes".format(size), "<= 800,000", size <= 800000)
    row("gzip-compressed", "{:,} bytes".format(packed), "<= 250,000", packed <= 250000)
    row("first contentful paint, CPU slowed 4x (median of %d)" % PAINTS, "%.0f ms" % paint,
        "<= 1,000 ms", paint <= 1000)


if __name__ == "__main__":
    main()
