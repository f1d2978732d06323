#!/usr/bin/env python3
"""Puts the page together: the shell, the program's script and its WebAssembly.

Usage: make_page.py SHELL SCRIPT WASM PAGE

The program's script takes the shell's {{{ SCRIPT }}} line, inline; the
WebAssembly goes, in base64, into the data element kinpath-wasm, from which
the shell's script makes the module itself (nothing is fetched: the page's
policy forbids it). Then the policy is sealed (seal_policy.py).
"""

import base64
import os
import sys

sys.dont_write_bytecode = True  # no cache files among the sources
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import seal_policy  # noqa: E402

WASM_SLOT = '<script type="application/octet-stream" id="kinpath-wasm"></script>'


def main():
    shell_path, script_path, wasm_path, page_path = sys.argv[1:5]
    with open(shell_path, encoding="utf-8") as f:
        page = f.read()
    with open(script_path, encoding="utf-8") as f:
        script = f.read()
    with open(wasm_path, "rb") as f:
        wasm = base64.b64encode(f.read()).decode("ascii")
    # Nothing in the script may end its element early.
    if "</script" in script.lower() or "<!--" in script:
        sys.exit("make_page.py: the program's script holds text that would end its element")
    for slot in ("{{{ SCRIPT }}}", WASM_SLOT):
        if page.count(slot) != 1:
            sys.exit("make_page.py: %s: no single %s" % (shell_path, slot))
    page = page.replace("{{{ SCRIPT }}}", "<script>" + script.strip() + "</script>")
    page = page.replace(WASM_SLOT, WASM_SLOT.replace("></", ">" + wasm + "</"))
    page = seal_policy.sealed(page, page_path)
    with open(page_path, "w", encoding="utf-8", newline="") as f:
        f.write(page)


if __name__ == "__main__":
    main()
