#!/usr/bin/env python3
"""Puts the studio page together, as make_page.py does the player page.

Usage: make_studio.py HTML STYLES SCRIPT WASM PLAYER SAMPLE BALANCE_HTML_CPP STUDIO

The styles take {{{ STYLE }}}, the author tools' module script {{{ SCRIPT }}}
(run by the page, and made into the balance's worker from the same text).
The WebAssembly, the player page and the sample script go in gzipped (mtime
0, so the file is the same each build) and in base64: the page's script gets
the exact bytes back, which publishing needs. Gzipped, the WebAssembly is
half the size of make_page.py's encoding, and the studio needs it only after
its first paint. The sealed policy also names the player's own scripts and
styles (they run in the Play frame, which inherits the policy) and the balance
report's style (its frame too), read from where that report is written.
"""

import base64
import gzip
import os
import re
import sys

sys.dont_write_bytecode = True  # no cache files among the sources
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import make_page  # noqa: E402
import seal_policy  # noqa: E402


def packed(data):
    return base64.b64encode(gzip.compress(data, 9, mtime=0)).decode()


def slot(name):
    return '<script type="application/octet-stream" id="%s"></script>' % name


def sha256(text):
    import hashlib
    return "'sha256-%s'" % base64.b64encode(hashlib.sha256(text.encode()).digest()).decode()


def player_hashes(player):
    """The hashes the player page's own policy names, by directive."""
    policy = re.search(r'http-equiv="Content-Security-Policy" content="([^"]*)"', player).group(1)
    found = {}
    for directive in ("script-src", "style-src"):
        sources = re.search(directive + r" ([^;]*)", policy).group(1).split()
        found[directive] = " ".join(s for s in sources if s.startswith("'sha256-"))
    return found


def report_style(source):
    """The balance report's style sheet, as BalanceHtml.cpp writes it."""
    match = re.search(r'constexpr const char\* Style = R"\((.*?)\)";', source, flags=re.S)
    if not match:
        sys.exit("make_studio.py: the balance report's Style is not found")
    return match.group(1)


def main():
    (html_path, styles_path, script_path, wasm_path, player_path, sample_path, report_path,
     studio_path) = sys.argv[1:9]
    read = lambda path, mode="r": open(path, mode, **({} if "b" in mode else {"encoding": "utf-8"}))
    with read(html_path) as f:
        page = f.read()
    with read(styles_path) as f:
        styles = f.read()
    with read(script_path) as f:
        script = f.read()
    with read(wasm_path, "rb") as f:
        wasm = f.read()
    with read(player_path, "rb") as f:
        player_bytes = f.read()
    with read(sample_path, "rb") as f:
        sample = f.read()
    with read(report_path) as f:
        report = report_style(f.read())
    slots = {"kinpath-wasm": packed(wasm), "kinpath-player": packed(player_bytes),
             "kinpath-sample": packed(sample)}
    for needed in ["{{{ STYLE }}}", "{{{ SCRIPT }}}"] + [slot(name) for name in slots]:
        if page.count(needed) != 1:
            sys.exit("make_studio.py: %s: no single %s" % (html_path, needed))
    page = page.replace("{{{ STYLE }}}", styles.strip())
    page = page.replace("{{{ SCRIPT }}}", "<script>" + script.strip() + "</script>")
    page = make_page.tidy_scripts(make_page.tidy_styles(page))
    for body in re.findall(r"<script>(.*?)</script>", page, flags=re.S):
        if "</script" in body.lower() or "<!--" in body:
            sys.exit("make_studio.py: a script holds text that would end its element")
    for name, data in slots.items():
        page = page.replace(slot(name), slot(name).replace("></", ">" + data + "</"))
    page = seal_policy.sealed(page, studio_path)
    player = player_hashes(player_bytes.decode("utf-8"))
    player["style-src"] += " " + sha256(report)
    for directive, hashes in player.items():
        page = page.replace(directive + " ", "%s %s " % (directive, hashes), 1)
    with open(studio_path, "w", encoding="utf-8", newline="") as f:
        f.write(page)


if __name__ == "__main__":
    main()
