#!/usr/bin/env python3
"""Checks that the folders of src/ depend on each other only downwards.

Usage: check_layers.py [SRC_DIR]   (default: the src/ beside this script's folder)

Each folder of src/ is a layer, and its sub-folders (authoring/check/) belong
to it. A file may include headers of its own layer and of lower layers; each
folder under frontends/ is a front end of its own at the top and includes no
other front end. Toolkit and system headers stay in the
front ends that own them. Beside src/, each folder of tests/ mirrors a folder
of src/ (tests/support holds what all suites share). Every broken rule is listed as file:line; the exit
status is 1 when there is any, 0 when there is none.
"""

import os
import re
import sys

# The layers, bottom to top. Every folder of src/ must be one of them; every
# folder under frontends/ is a layer of its own at the top. Folders in one
# tuple are siblings: they share a rank and include nothing of each other.
LAYERS = ["window", "text", "platform", "script", "scoring", "flow", ("app", "authoring"),
          "frontends"]
FRONTENDS = "frontends"

# Angle-bracket headers that only some folders may include. True: only inside
# an #ifdef _WIN32 block there.
RESTRICTED = [
    ("Qt headers", re.compile(r"^Q[A-Za-z]"), {"frontends/qt": False}),
    ("<windows.h>", re.compile(r"^windows\.h$", re.IGNORECASE),
     {"frontends/win32": False, "frontends/term": True}),
    ("emscripten headers", re.compile(r"^emscripten"), {"frontends/web": False}),
]
# Folders of tests/ that hold no layer's tests.
TEST_HELPERS = {"support"}

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".cxx", ".inl")
DIRECTIVE = re.compile(r"^\s*#\s*(\w+)\s*(.*?)\s*(?://.*|/\*.*)?$")
INCLUDE = re.compile(r'^([<"])([^>"]+)[>"]')
NAMES_WIN32 = re.compile(r"^(?:defined\s*\(\s*_WIN32\s*\)|defined\s+_WIN32|_WIN32)$")


def folder_of(relative_path):
    """The layer of a path relative to src/ ("flow", "frontends/qt"; "authoring" for
    authoring/check/...), or None."""
    parts = relative_path.replace(os.sep, "/").split("/")
    if parts[0] == FRONTENDS:
        return "/".join(parts[:2]) if len(parts) > 2 else None
    return parts[0] if len(parts) > 1 else None


def rank(folder):
    """Position in LAYERS (siblings and the front ends share one), or None when unlisted."""
    top = folder.split("/")[0]
    for position, layer in enumerate(LAYERS):
        if top == layer or (isinstance(layer, tuple) and top in layer):
            return position
    return None


def win32_branches(word, test):
    """For #if/#ifdef/#ifndef/#elif: (this branch is Windows-only, #else is)."""
    if word == "ifdef":
        return test == "_WIN32", False
    if word == "ifndef":
        return False, test == "_WIN32"
    if test.startswith("!"):
        return False, bool(NAMES_WIN32.match(test[1:].strip()))
    return bool(NAMES_WIN32.match(test)), False


def includes(path):
    """Yields (line, '<' or '"', header, inside an #ifdef _WIN32 block) per #include."""
    open_ifs = []  # per open #if: [this branch is Windows-only, #else is]
    with open(path, encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            directive = DIRECTIVE.match(line)
            if not directive:
                continue
            word, rest = directive.groups()
            if word in ("if", "ifdef", "ifndef"):
                open_ifs.append(list(win32_branches(word, rest)))
            elif word == "elif" and open_ifs:
                open_ifs[-1][0] = win32_branches(word, rest)[0] or open_ifs[-1][1]
            elif word == "else" and open_ifs:
                open_ifs[-1][0] = open_ifs[-1][1]
            elif word == "endif" and open_ifs:
                open_ifs.pop()
            elif word == "include":
                header = INCLUDE.match(rest)
                if header:
                    windows_only = any(branch[0] for branch in open_ifs)
                    yield number, header.group(1), header.group(2), windows_only


def resolve(src, directory, header):
    """The folder of a quoted include when it names a header of src/, else None."""
    for base in (directory, src):
        candidate = os.path.normpath(os.path.join(base, header))
        if os.path.isfile(candidate):
            relative = os.path.relpath(candidate, src)
            return None if relative.startswith("..") else folder_of(relative)
    # A header that is not there (any more) still names its folder.
    return folder_of(header) if rank(header.split("/")[0]) is not None else None


def check(src):
    """Problems as (path, line or 0, text), and the includes between folders."""
    problems = []
    edges = {}  # (from folder, to folder) -> the first (path, line, header) seen
    for directory, subdirectories, files in os.walk(src):
        subdirectories.sort()
        sources = sorted(f for f in files if f.endswith(SOURCE_SUFFIXES))
        if not sources:
            continue
        folder = folder_of(os.path.relpath(os.path.join(directory, sources[0]), src))
        if folder is None or rank(folder) is None:
            problems.append((directory, 0, "holds sources but is no layer folder (see LAYERS in %s)"
                             % os.path.basename(__file__)))
            continue
        for name in sources:
            path = os.path.join(directory, name)
            for number, kind, header, windows_only in includes(path):
                if kind == "<":
                    for what, pattern, allowed in RESTRICTED:
                        if not pattern.match(header):
                            continue
                        if folder not in allowed:
                            problems.append((path, number, "#include <%s>: %s only in %s"
                                             % (header, what, " and ".join(sorted(allowed)))))
                        elif allowed[folder] and not windows_only:
                            problems.append((path, number, "#include <%s>: in %s only inside "
                                             "#ifdef _WIN32" % (header, folder)))
                    continue
                to = resolve(src, directory, header)
                if to is None or to == folder:
                    continue
                edges.setdefault((folder, to), (path, number, header))
                quoted = '#include "%s"' % header
                if rank(to) is None:
                    problems.append((path, number, "%s: %s is no layer" % (quoted, to)))
                elif to.startswith(FRONTENDS + "/") and folder.startswith(FRONTENDS + "/"):
                    problems.append((path, number, "%s: front end %s includes front end %s"
                                     % (quoted, folder, to)))
                elif rank(to) > rank(folder):
                    problems.append((path, number, "%s: %s is above %s" % (quoted, to, folder)))
                elif rank(to) == rank(folder):
                    problems.append((path, number, "%s: %s and %s are siblings"
                                     % (quoted, folder, to)))
    for circle in circles(edges):
        steps = []
        for a, b in zip(circle, circle[1:] + circle[:1]):
            path, number, header = edges[(a, b)]
            steps.append('%s -> %s (%s:%d: #include "%s")' % (a, b, path, number, header))
        problems.append((None, 0, "folders in a circle: " + "; ".join(steps)))
    return problems


def circles(edges):
    """One circle of folders for each set of folders that all reach each other."""
    graph = {}
    for a, b in edges:
        graph.setdefault(a, set()).add(b)
        graph.setdefault(b, set())
    # Tarjan's strongly connected components; a dozen folders recurse shallowly.
    index, low, on_stack, stack, groups = {}, {}, set(), [], []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for following in sorted(graph[node]):
            if following not in index:
                visit(following)
                low[node] = min(low[node], low[following])
            elif following in on_stack:
                low[node] = min(low[node], index[following])
        if low[node] == index[node]:
            group = set()
            while node not in group:
                member = stack.pop()
                on_stack.discard(member)
                group.add(member)
            if len(group) > 1:
                groups.append(group)

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return [shortest_circle(graph, group) for group in groups]


def shortest_circle(graph, group):
    """A shortest circle through the lowest folder of the group."""
    start = min(group, key=lambda f: (len(LAYERS) if rank(f) is None else rank(f), f))
    previous, frontier = {start: None}, [start]
    while frontier:
        reached = []
        for node in frontier:
            for following in sorted(graph[node] & group):
                if following == start:
                    circle = [node]
                    while previous[circle[-1]] is not None:
                        circle.append(previous[circle[-1]])
                    return circle[::-1]
                if following not in previous:
                    previous[following] = node
                    reached.append(following)
        frontier = reached
    return [start]


def check_tests(src):
    """Problems with tests/ beside src/: each of its folders mirrors a folder of src/."""
    tests = os.path.join(os.path.dirname(src), "tests")
    if not os.path.isdir(tests):
        return []
    problems = []
    for directory, subdirectories, files in os.walk(tests):
        subdirectories.sort()
        relative = os.path.relpath(directory, tests).replace(os.sep, "/")
        if relative == "." or relative.split("/")[0] in TEST_HELPERS:
            continue
        if not any(f.endswith(SOURCE_SUFFIXES) for f in files):
            continue
        if not os.path.isdir(os.path.join(src, relative)):
            problems.append((directory, 0, "tests of no folder of src/: tests/ mirrors src/"))
    return problems


def main(argv):
    if len(argv) > 2 or (len(argv) == 2 and argv[1].startswith("-")):
        sys.stderr.write(__doc__)
        return 2
    here = os.path.dirname(os.path.abspath(__file__))
    src = argv[1] if len(argv) == 2 else os.path.join(here, os.pardir, "src")
    if not os.path.isdir(src):
        sys.stderr.write("check_layers.py: %s is not a folder\n" % src)
        return 2
    problems = check(os.path.normpath(src)) + check_tests(os.path.normpath(src))
    for path, number, text in problems:
        where = "%s:%d: " % (path, number) if number else ("%s: " % path if path else "")
        print(where + text)
    if problems:
        print("check_layers.py: %d problem%s (layers bottom to top: %s)"
              % (len(problems), "" if len(problems) == 1 else "s", ", ".join(
                  " and ".join(layer) if isinstance(layer, tuple) else layer for layer in LAYERS)))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
