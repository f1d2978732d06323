#!/usr/bin/env python3
"""Narrows the page's content security policy to its own scripts and styles.

Usage: seal_policy.py PAGE   (rewritten in place)

The shell allows inline scripts and styles while it is built; once the page
is whole, the policy names the hash of each <script> and <style> element it
holds instead, so that nothing else could ever run in it. The data slots
(type="application/octet-stream": the script, the WebAssembly) are never run
and stay out of it.
"""

import base64
import hashlib
import re
import sys


def hashes(page, element):
    bodies = re.findall(r"<%s>(.*?)</%s>" % (element, element), page, flags=re.S)
    if not bodies:
        sys.exit("seal_policy.py: no <%s> element" % element)
    return " ".join("'sha256-%s'" % base64.b64encode(hashlib.sha256(b.encode()).digest()).decode()
                    for b in bodies)


def sealed(page, path):
    """The page with its policy naming its own scripts and styles."""
    for directive, element in (("script-src", "script"), ("style-src", "style")):
        allowed = "%s 'unsafe-inline'" % directive
        if page.count(allowed) != 1:
            sys.exit("seal_policy.py: %s: no single \"%s\"" % (path, allowed))
        page = page.replace(allowed, "%s %s" % (directive, hashes(page, element)))
    return page


def main():
    path = sys.argv[1]
    with open(path, encoding="utf-8", newline="") as f:
        page = f.read()
    page = sealed(page, path)
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(page)


if __name__ == "__main__":
    main()
