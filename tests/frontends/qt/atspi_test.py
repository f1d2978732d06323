#!/usr/bin/env python3
# The window as a screen reader meets it, over the desktop's accessibility bus: the tree that Qt's
# interface gives (window_test.cpp proves it) reaches the reader whole, every control named.
# Usage, in a session bus on an X display: atspi_test.py KINPATH SCRIPT
import os, re, shutil, subprocess, sys, tempfile, time

sys.dont_write_bytecode = True  # no cache files among the sources
import pyatspi  # noqa: E402

# The roles a reader says by name; fillers and scroll bars are the pane's frame.
NAMED = {"dialog", "label", "panel", "radio button", "text", "progress bar", "push button"}


def nodes(node):
    yield node
    for i in range(node.childCount):
        yield from nodes(node.getChildAtIndex(i))


def window_of(program, timeout=60):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        desktop.clear_cache()  # asked afresh: news of an application may not have come
        for app in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)):
            if app and app.name == program and app.childCount and app.getChildAtIndex(0).childCount:
                return app.getChildAtIndex(0)
        time.sleep(0.2)
    raise AssertionError("the window never reached the accessibility bus")


def main():
    with tempfile.TemporaryDirectory(prefix="kinpath-atspi-") as folder:
        shutil.copy(sys.argv[2], os.path.join(folder, "script.txt"))
        env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        pyatspi.Registry.getDesktop(0).childCount  # the bus and its registry up before the window
        program = subprocess.Popen([sys.argv[1]], cwd=folder, env=env)
        try:
            window = window_of(os.path.basename(sys.argv[1]))
            assert re.fullmatch(r"Question 1 of \d+", window.description), window.description
            shown = [n for n in nodes(window) if n.getState().contains(pyatspi.STATE_SHOWING)]
            said = [(n.getRoleName(), n.name) for n in shown]
            assert all(name for role, name in said if role in NAMED), said
            question = next(name for role, name in said if role == "label")
            group = next(n for n in shown if n.getRoleName() == "panel")
            choices = [group.getChildAtIndex(i) for i in range(group.childCount)]
            assert group.name == question and 0 < len(choices) < 8, (group.name, len(choices))
            assert [c.description for c in choices] == ["Press %d" % k for k in range(1, len(choices) + 1)]
            bars = [n for n in shown if n.getRoleName() == "progress bar"]
            labels = [name for role, name in said if role == "label"][1:]
            assert [b.name for b in bars] == labels and len(bars) == 27, [b.name for b in bars]
            assert all(b.queryValue().maximumValue > 0 for b in bars)
            assert ("text", "Results") in said
        finally:
            program.kill()
    print("PASS the window's accessibility tree over at-spi")


if __name__ == "__main__":
    main()
