#!/usr/bin/env python3
"""The published page's size, start-up, idle wakeups and memory in headless Chromium.

Usage: run.py SAMPLE_PAGE [RUNS]   (SAMPLE_PAGE: kinpath-cli --publish of the sample)

Start-up is the first contentful paint of the page, which is its opening
(the title, the number of questions, the greeting and Start, written into
the page by the publisher), against a static page with no script at all: a
copy of the page as drawn at that moment (the same texts and styles). Each
is loaded in turn from file://, RUNS times (default 30); medians are printed.
"""

import gzip
import os
import re
import shutil
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir,
                                os.pardir, "tests", "frontends", "web"))
sys.dont_write_bytecode = True  # no cache files among the sources
from web_test import file_url, wait_for, webdriver, By, Service  # noqa: E402


class Browser:
    """Chromium headless through Debian's selenium, as the browser tests drive it."""

    def __init__(self, profile):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for arg in ("headless", "disable-gpu", "no-first-run", "disable-sync", "no-sandbox",
                    "disable-background-networking", "disable-dev-shm-usage", "disable-features=BackForwardCache",
                    "user-data-dir=" + profile):
            options.add_argument("--" + arg)
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.js, self.go, self.close = (self.driver.execute_script, self.driver.get,
                                        self.driver.quit)

    def cdp(self, command, **params):
        return self.driver.execute_cdp_cmd(command, params)

    def click(self, css):
        self.driver.find_element(By.CSS_SELECTOR, css).click()

COUNTERS = """
window.__calls = 0;
for (const name of ['setTimeout', 'setInterval', 'requestAnimationFrame']) {
  const original = window[name];
  window[name] = function (f, ...rest) {
    return original.call(window, function () { window.__calls++; return f.apply(this, arguments); }, ...rest);
  };
}
"""
FIRST_PAINT = ("return (performance.getEntriesByName('first-contentful-paint')[0] || {})"
               ".startTime")


def first_paint(browser, url):
    browser.go(url)
    return wait_for(lambda: browser.js(FIRST_PAINT), 20, "the first paint")


def main():
    sample = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 30
    with open(sample, "rb") as f:
        page = f.read()
    print("Published sample: %d bytes (goal 300,000), %d gzip-compressed (goal 100,000)"
          % (len(page), len(gzip.compress(page, 9))))

    scratch = tempfile.mkdtemp(prefix="kinpath-web-bench-")
    browser = Browser(os.path.join(scratch, "profile"))
    try:
        browser.cdp("Page.addScriptToEvaluateOnNewDocument", source=COUNTERS)
        first_paint(browser, file_url(sample))
        # The static twin: the page as drawn, without its scripts.
        print("HEAP", browser.cdp("Runtime.getHeapUsage"))
        static = browser.js("return document.documentElement.outerHTML")
        static = re.sub(r"<script\b.*?</script>", "", static, flags=re.S)
        # The drawn controls carry their places in style attributes.
        static = re.sub(r'(http-equiv="Content-Security-Policy" content=")[^"]*',
                        r"\1default-src 'none'; style-src 'unsafe-inline'", static)
        static_path = os.path.join(scratch, "static.html")
        with open(static_path, "w", encoding="utf-8") as f:
            f.write("<!DOCTYPE html>" + static)
        assert "data-filled" in static, "the page opens on no opening"

        pages = {"page": sample, "static": static_path}
        times = {k: [] for k in pages}
        for _ in range(runs):
            for name, path in pages.items():
                times[name].append(first_paint(browser, file_url(path)))
        print("HEAP2", browser.cdp("Runtime.getHeapUsage")); print(sorted(times["page"])); print(sorted(times["static"]))
        page_ms, static_ms = (statistics.median(times[k]) for k in pages)
        print("Navigation to the opening painted (median of %d): page %.1f ms; static copy "
              "as drawn (the same texts and styles) %.1f ms, ratio %.2f (goal 1.10)"
              % (runs, page_ms, static_ms, page_ms / static_ms))

        # Idle: after a first answer the bars climb, overshoot and settle.
        browser.go(file_url(sample))
        wait_for(lambda: browser.js("return !document.getElementById('begin').hidden"))
        browser.click("#begin")
        wait_for(lambda: browser.js("return !document.getElementById('window').hidden"))
        browser.click("#c1000 input")
        browser.click("#c1")
        start = time.monotonic()
        wait_for(lambda: browser.js("return window.__calls") > 0, what="a tick")
        calls = -1
        while calls != browser.js("return window.__calls"):
            calls = browser.js("return window.__calls")
            time.sleep(0.5)
        moving = time.monotonic() - start - 0.5
        time.sleep(10)
        idle = browser.js("return window.__calls") - calls
        print("Bars moving after one answer: %d timer callbacks in %.1f s; at rest for 10 s: "
              "%d timer or animation-frame callbacks (goal 0)" % (calls, moving, idle))

        heap = browser.cdp("Runtime.getHeapUsage")
        wasm = browser.js("return Module.HEAP8.buffer.byteLength")
        print("Memory: JS heap %.1f MiB used (%.1f MiB allocated), WebAssembly memory %.1f MiB"
              % (heap["usedSize"] / 2**20, heap["totalSize"] / 2**20, wasm / 2**20))
    finally:
        browser.close()
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
