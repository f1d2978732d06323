#!/usr/bin/env python3
"""Runs every kinpath-cli output the docs quote and fails when one has drifted.

Usage: check_docs.py --cli KINPATH_CLI [ROOT]   (ROOT: the repository, default
the folder above this script's)

In README.md and docs/*.md:
- a fenced block whose first line is "$ kinpath-cli ARGS" holds a command and
  its whole output (standard output, then standard error);
- a fenced block after a paragraph that names a command in backticks and ends
  in "excerpts):" holds parts of its output, separated by "..." lines, which
  must appear in that order;
- a fenced block after a paragraph that ends in ":" and names one `NAME.txt`
  is that file (numbered listings lose their numbers); the commands run in a
  scratch folder holding these files and the examples/ folder;
- FIGURES below are numbers quoted in prose or tables, each with the command
  output it must equal.
A size of the published page ("N bytes") need only come within
SIZE_TOLERANCE of what the check measures: it moves with every change to the
page's code, which the browser tests judge, not the docs.
Timings and memory figures (docs/performance.md and the like) are measured by
`make bench`, not here. Commands that publish need kinpath-page.html beside
kinpath-cli; without it they are skipped. Prints each drifted quote; exit
status 1 when there is one.
"""

import argparse
import glob
import gzip
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

SIZE_TOLERANCE = 0.01
BYTES = re.compile(r"([0-9][0-9,]*) bytes")


def same(quoted, actual, command):
    """Whether a quoted output or figure says what the command gave; the
    published page's sizes within SIZE_TOLERANCE."""
    if quoted == actual:
        return True
    if "--publish" not in command or actual is None or \
            BYTES.sub("#", quoted) != BYTES.sub("#", actual):
        return False
    pairs = zip(BYTES.findall(quoted), BYTES.findall(actual))
    return all(abs(int(q.replace(",", "")) - int(a.replace(",", ""))) <=
               SIZE_TOLERANCE * int(a.replace(",", "")) for q, a in pairs)


def grouped(n):
    return "{:,}".format(n)


def gzipped(folder, name):
    with open(os.path.join(folder, name), "rb") as f:
        return grouped(len(gzip.compress(f.read(), 9)))  # as bench/web/run.py measures it


# (document, pattern whose group is the figure (a size in bytes), command, and the pattern whose
# group is the figure in its output, or a function of the scratch folder).
FIGURES = [
    ("docs/performance.md", r"\| published sample, size \| ([0-9,]+) bytes \|",
     "kinpath-cli --publish examples/script.txt -o sample.html", r": ([0-9,]+) bytes,"),
    ("docs/performance.md", r"\| published sample, gzip-compressed \| ([0-9,]+) bytes \|",
     "kinpath-cli --publish examples/script.txt -o sample.html",
     lambda folder: gzipped(folder, "sample.html")),
]

FENCE = re.compile(r"^```")
NUMBERED = re.compile(r"^\s*\d+(?:  (.*))?$")


def blocks(path):
    """(paragraph before, lines) of each fenced block of a Markdown file."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    paragraph, current, i = [], [], 0
    while i < len(lines):
        if FENCE.match(lines[i]):
            end = next(j for j in range(i + 1, len(lines)) if FENCE.match(lines[j]))
            yield " ".join(current or paragraph), lines[i + 1:end]
            paragraph, current, i = [], [], end + 1
            continue
        if lines[i].strip():
            current.append(lines[i].strip())
        elif current:
            paragraph, current = current, []
        i += 1


def run(cli, folder, command):
    args = shlex.split(command)
    assert args[0] == "kinpath-cli", command
    done = subprocess.run([cli] + args[1:], cwd=folder, capture_output=True, timeout=600)
    return (done.stdout + done.stderr).decode("utf-8", "replace")


def in_order(text, parts):
    at = 0
    for part in parts:
        found = text.find(part, at)
        if found < 0:
            return part
        at = found + len(part)
    return None


def check(root, cli):
    folder = tempfile.mkdtemp(prefix="kinpath-docs-")
    problems = []
    try:
        os.symlink(os.path.join(root, "examples"), os.path.join(folder, "examples"))
        can_publish = os.path.isfile(os.path.join(os.path.dirname(cli), "kinpath-page.html"))
        quotes = []  # (document, command, expected lines, excerpts)
        for doc in ["README.md"] + sorted(glob.glob(os.path.join(root, "docs", "*.md"))):
            name = os.path.relpath(os.path.join(root, doc), root)
            for paragraph, lines in blocks(os.path.join(root, doc)):
                command = re.search(r"`(kinpath-cli [^`]*)`", paragraph)
                files = re.findall(r"`([^`/]+\.txt)`", paragraph)
                if lines and lines[0].startswith("$ kinpath-cli "):
                    quotes.append((name, lines[0][2:], lines[1:], False))
                elif command and paragraph.endswith("excerpts):"):
                    quotes.append((name, command.group(1), lines, True))
                elif paragraph.endswith(":") and len(files) == 1 and not command:
                    numbered = all(NUMBERED.match(l) for l in lines if l)
                    text = [NUMBERED.match(l).group(1) or "" if numbered else l for l in lines]
                    with open(os.path.join(folder, files[0]), "w", encoding="utf-8") as f:
                        f.write("\n".join(text) + "\n")
        for name, command, expected, excerpts in quotes:
            if "--publish" in command and not can_publish:
                print("skipped (no kinpath-page.html beside kinpath-cli): " + command)
                continue
            output = run(cli, folder, command)
            if excerpts:
                parts = "\n".join(expected).split("\n...\n")
                missing = in_order(output, parts)
                if missing is not None:
                    problems.append("%s: `%s` no longer prints, in this order:\n%s\n--- it prints:\n%s"
                                    % (name, command, missing, output))
            elif not same("\n".join(expected), output.rstrip("\n"), command):
                problems.append("%s: `%s` prints:\n%s--- the docs quote:\n%s"
                                % (name, command, output, "\n".join(expected)))
        for doc, pattern, command, produced in FIGURES:
            if "--publish" in command and not can_publish:
                continue
            with open(os.path.join(root, doc), encoding="utf-8") as f:
                quoted = re.findall(pattern, f.read())
            output = run(cli, folder, command)
            if callable(produced):
                actual = produced(folder)
            else:
                found = re.search(produced, output)
                actual = found and found.group(1)
            for figure in quoted:
                if not same(figure + " bytes", actual and actual + " bytes", command):
                    problems.append("%s: quotes %s where `%s` gives %s"
                                    % (doc, figure, command, actual))
            if not quoted:
                problems.append("%s: no figure matches %s" % (doc, pattern))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return problems


def main():
    parser = argparse.ArgumentParser(usage=__doc__)
    parser.add_argument("--cli", required=True)
    parser.add_argument("root", nargs="?",
                        default=os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir))
    args = parser.parse_args()
    problems = check(os.path.abspath(args.root), os.path.abspath(args.cli))
    for problem in problems:
        print(problem)
    if problems:
        print("check_docs.py: %d quote%s drifted from what the program prints"
              % (len(problems), "" if len(problems) == 1 else "s"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
