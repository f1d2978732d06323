#!/usr/bin/env python3
"""Puts the page together: the shell, the program's script and its WebAssembly.

Usage: make_page.py SHELL STYLES SCRIPT WASM PAGE

The styles take the shell's {{{ STYLE }}} line and the program's script its
{{{ SCRIPT }}} line, inline; the
WebAssembly goes into the data element kinpath-wasm, from which the shell's
script makes the module itself (nothing is fetched: the page's policy
forbids it). The scripts are shortened with terser (Debian's node-terser)
and the styles lose their comments and indentation. Then the policy is
sealed (seal_policy.py).

The WebAssembly is written one byte a character: bytes 1 to 127 as
themselves, 128 to 255 as U+0080 to U+00FF, and the bytes the HTML parser
would change or that could end the element (0, CR, "<") as U+0100 plus the
byte. The page is UTF-8, so this takes 1.5 bytes a byte where base64 takes
1.33, but it keeps repeats repeats: compressed for the network it is a
sixth smaller.
"""

import os
import re
import subprocess
import sys

sys.dont_write_bytecode = True  # no cache files among the sources
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import seal_policy  # noqa: E402

WASM_SLOT = '<script type="application/octet-stream" id="kinpath-wasm"></script>'


SHIFTED = {0, 13, ord("<")}


def encoded(data):
    return "".join(chr(b + 256) if b in SHIFTED else chr(b) for b in data)


MINIFY = """
const terser = require('terser');
let code = '';
process.stdin.on('data', (d) => { code += d; });
process.stdin.on('end', async () => {
  const out = await terser.minify(code, {compress: {passes: 2}, mangle: true,
                                         format: {ascii_only: true}});
  process.stdout.write(out.code);
});
"""


def minified(script):
    """The script shortened by terser; its behaviour is the same."""
    env = dict(os.environ, NODE_PATH=os.environ.get("NODE_PATH", "/usr/share/nodejs"))
    try:
        run = subprocess.run(["node", "-e", MINIFY], input=script.encode(), capture_output=True,
                             env=env, check=True)
    except (OSError, subprocess.CalledProcessError) as error:
        sys.exit("make_page.py: terser (Debian's node-terser) is needed: %s" % error)
    return run.stdout.decode()


def tidy_styles(page):
    """Styles without comments or indentation."""
    def tidy(match):
        css = re.sub(r"/\*.*?\*/", "", match.group(2), flags=re.S)
        css = re.sub(r"\s*\n\s*", "\n", css).strip()
        return match.group(1) + "\n" + css + "\n" + match.group(3)
    return re.sub(r"(<style>)(.*?)(</style>)", tidy, page, flags=re.S)


def tidy_scripts(page):
    """The page's own inline scripts shortened (not the data slots)."""
    return re.sub(r"(<script>)(.*?)(</script>)",
                  lambda m: m.group(1) + minified(m.group(2)) + m.group(3), page, flags=re.S)


def main():
    shell_path, styles_path, script_path, wasm_path, page_path = sys.argv[1:6]
    with open(shell_path, encoding="utf-8") as f:
        page = f.read()
    with open(styles_path, encoding="utf-8") as f:
        styles = f.read()
    with open(script_path, encoding="utf-8") as f:
        script = f.read()
    with open(wasm_path, "rb") as f:
        wasm = encoded(f.read())
    for slot in ("{{{ STYLE }}}", "{{{ SCRIPT }}}", WASM_SLOT):
        if page.count(slot) != 1:
            sys.exit("make_page.py: %s: no single %s" % (shell_path, slot))
    page = page.replace("{{{ STYLE }}}", styles.strip())
    page = page.replace("{{{ SCRIPT }}}", "<script>" + script.strip() + "</script>")
    page = tidy_scripts(tidy_styles(page))
    # Nothing in a script may end its element early.
    for body in re.findall(r"<script>(.*?)</script>", page, flags=re.S):
        if "</script" in body.lower() or "<!--" in body:
            sys.exit("make_page.py: a script holds text that would end its element")
    page = page.replace(WASM_SLOT, WASM_SLOT.replace("></", ">" + wasm + "</"))
    page = seal_policy.sealed(page, page_path)
    with open(page_path, "w", encoding="utf-8", newline="") as f:
        f.write(page)


if __name__ == "__main__":
    main()
