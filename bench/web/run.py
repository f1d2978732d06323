#!/usr/bin/env python3
"""The published page's size, start-up, idle wakeups and memory in headless Chromium.

Usage: run.py SAMPLE_PAGE [RUNS]   (SAMPLE_PAGE: kinpath-cli --publish of the sample)

Start-up is the first contentful paint of the page, which is the first
question (the window stays hidden until the question is in it), against two
static pages with no script at all: a copy of the page as drawn at that
moment (the same controls, texts and styles: every control the player sees,
41 and more), and a plain page of those same controls in bare HTML. Each is
loaded in turn from file://, RUNS times (default 30); medians are printed.
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
from webdriver import Browser, file_url, wait_for  # noqa: E402

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


# The controls a player sees, as bare HTML: their texts, nothing styled.
PLAIN = """
const shown = (e) => e.getClientRects().length > 0;
const out = [];
for (const e of document.querySelectorAll('#window [data-id]')) {
  if (!shown(e)) continue;
  if (e.matches('.choice')) out.push('<label><input type="radio" name="c"> ' + e.textContent + '</label><br>');
  else if (e.tagName === 'BUTTON') out.push('<button>' + e.textContent + '</button>');
  else if (e.tagName === 'TEXTAREA') out.push('<textarea>' + e.value + '</textarea>');
  else if (e.matches('.bar')) out.push('<progress max="100" value="0"></progress><br>');
  else out.push('<div>' + e.textContent + '</div>');
}
return [out.length, '<!DOCTYPE html><html lang="en"><head><meta charset="utf-8"><title>' +
  document.title + '</title></head><body><h1>' + document.title + '</h1>' + out.join('') +
  '</body></html>'];
"""


def main():
    sample = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 30
    with open(sample, "rb") as f:
        page = f.read()
    print("Published sample: %d bytes (goal 300,000), %d gzip-compressed (goal 100,000)"
          % (len(page), len(gzip.compress(page, 9))))

    scratch = tempfile.mkdtemp(prefix="kinpath-web-bench-")
    browser = Browser(os.path.join(scratch, "profile"), scratch)
    try:
        browser.cdp("Page.addScriptToEvaluateOnNewDocument", source=COUNTERS)
        first_paint(browser, file_url(sample))
        # The static twin: the page as drawn, without its scripts.
        static = browser.js("return document.documentElement.outerHTML")
        static = re.sub(r"<script\b.*?</script>", "", static, flags=re.S)
        # The drawn controls carry their places in style attributes.
        static = re.sub(r'(http-equiv="Content-Security-Policy" content=")[^"]*',
                        r"\1default-src 'none'; style-src 'unsafe-inline'", static)
        static_path = os.path.join(scratch, "static.html")
        with open(static_path, "w", encoding="utf-8") as f:
            f.write("<!DOCTYPE html>" + static)
        controls, plain = browser.js(PLAIN)
        assert controls >= 41, controls
        plain_path = os.path.join(scratch, "plain.html")
        with open(plain_path, "w", encoding="utf-8") as f:
            f.write(plain)

        pages = {"page": sample, "static": static_path, "plain": plain_path}
        times = {k: [] for k in pages}
        for _ in range(runs):
            for name, path in pages.items():
                times[name].append(first_paint(browser, file_url(path)))
        page_ms, static_ms, plain_ms = (statistics.median(times[k]) for k in pages)
        print("Navigation to first question painted (median of %d): page %.1f ms; static copy "
              "as drawn (the same %d controls, texts and styles) %.1f ms, ratio %.2f (goal 1.30); "
              "plain page of the same controls %.1f ms, ratio %.2f"
              % (runs, page_ms, controls, static_ms, page_ms / static_ms, plain_ms,
                 page_ms / plain_ms))

        # Idle: after a first answer the bars climb, overshoot and settle.
        browser.go(file_url(sample))
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
