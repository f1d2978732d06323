#!/usr/bin/env python3
"""Checks that the sources stay readable: no file of src/ over 600 lines and no
function over 60 lines (from the line of its opening brace to its closing one);
and that the tests stay lean: the code lines of tests/ (C++ and Python) against
src/'s (every kind of code there), so that each behaviour is proved once, where
it lives. The goal is 0.40; the limit is lowered to it as the suite is cut.

Usage: check_sizes.py [SRC_DIR]   (default: the src/ beside this script's folder;
                                   the tests are in the tests/ beside it)

Functions are found by their shape in clang-formatted code: a brace that opens
a block after a closing parenthesis, outside any other function. Lambdas and
blocks inside a function count as the function's lines. Every file or
function over its limit is listed as file:line; the exit status is 1 when
there is any, 0 when there is none.
"""

import os
import re
import sys

FILE_LIMIT = 600
FUNCTION_LIMIT = 60
TESTS_RATIO = 0.40
# What counts as code, and how each kind writes a comment: (line, block start, block end).
CODE_SUFFIXES = {".h": ("//", "/*", "*/"), ".cpp": ("//", "/*", "*/"), ".css": (None, "/*", "*/"),
                 ".js": ("//", "/*", "*/"), ".html": (None, "<!--", "-->"),
                 ".py": ("#", '"""', '"""'), "CMakeLists.txt": ("#", "#[[", "]]")}
TEST_SUFFIXES = (".h", ".cpp", ".py")
SOURCE_SUFFIXES = (".h", ".cpp")
# A block that opens a scope holding functions rather than statements.
SCOPE = re.compile(r"^\s*(?:template\s*<.*>\s*)?(?:namespace|class|struct|union|enum|extern)\b")
CONTROL = re.compile(r"^\s*(?:}\s*)?(?:if|else|for|while|do|switch|try|catch)\b")


def strip(line):
    """The line without comments and string or character literals."""
    line = re.sub(r'"(?:\\.|[^"\\])*"', '""', line)
    line = re.sub(r"'(?:\\.|[^'\\])*'", "''", line)
    return line.split("//", 1)[0]


def long_functions(lines):
    """(first line number, length) of each function longer than the limit."""
    found = []
    stack = []  # per open brace: the line a function started on, or None
    head = ""   # the text since the last statement or block boundary
    for number, raw in enumerate(lines, 1):
        if raw.lstrip().startswith("#"):
            continue  # preprocessor lines open no block
        line = strip(raw)
        for char in line:
            if char == "{":
                in_function = any(start is not None for start in stack)
                is_function = (not in_function and ")" in head and not SCOPE.match(head)
                               and not CONTROL.match(head) and "=" not in head.split("(")[0])
                stack.append(number if is_function else None)
                head = ""
            elif char == "}":
                start = stack.pop() if stack else None
                if start is not None and number - start + 1 > FUNCTION_LIMIT:
                    found.append((start, number - start + 1))
                head = ""
            elif char == ";":
                head = ""
            else:
                head += char
        head += " "
    return found


def code_lines(lines, comments):
    """The lines that hold code: not blank, not only a comment."""
    line_mark, start, end = comments
    count, in_block = 0, False
    for raw in lines:
        line = raw.strip()
        if in_block:
            if end in line:
                in_block = False
            continue
        if not line or (line_mark and line.startswith(line_mark)):
            continue
        if line.startswith(start):
            # A block comment (or a docstring) on lines of its own.
            in_block = end not in line[len(start):]
            continue
        count += 1
    return count


def folder_code_lines(folder, suffixes):
    total = 0
    for directory, subdirectories, files in os.walk(folder):
        subdirectories[:] = [d for d in subdirectories if d != "__pycache__"]
        for name in files:
            suffix = name if name == "CMakeLists.txt" else os.path.splitext(name)[1]
            if suffix in suffixes:
                with open(os.path.join(directory, name), encoding="utf-8",
                          errors="replace") as f:
                    total += code_lines(f.readlines(), CODE_SUFFIXES[suffix])
    return total


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    src = argv[1] if len(argv) > 1 else os.path.join(here, os.pardir, "src")
    problems = []
    for directory, subdirectories, files in os.walk(src):
        subdirectories.sort()
        for name in sorted(f for f in files if f.endswith(SOURCE_SUFFIXES)):
            path = os.path.join(directory, name)
            with open(path, encoding="utf-8", errors="replace") as source:
                lines = source.readlines()
            if len(lines) > FILE_LIMIT:
                problems.append("%s:1: %d lines, more than %d" % (path, len(lines), FILE_LIMIT))
            for start, length in long_functions(lines):
                problems.append("%s:%d: a function of %d lines, more than %d"
                                % (path, start, length, FUNCTION_LIMIT))
    tests = os.path.normpath(os.path.join(src, os.pardir, "tests"))
    if os.path.isdir(tests):
        source_lines = folder_code_lines(src, CODE_SUFFIXES)
        test_lines = folder_code_lines(tests, TEST_SUFFIXES)
        print("tests: %d code lines, %.3f of src/'s %d" % (test_lines, test_lines / source_lines,
                                                          source_lines))
        if test_lines > TESTS_RATIO * source_lines:
            problems.append("%s: %d code lines, more than %.2f of src/'s %d"
                            % (tests, test_lines, TESTS_RATIO, source_lines))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
