#!/usr/bin/env python3
"""Applies hand-picked one-line mutations to the core, one at a time, and
counts how many the test suite kills.

Each line of tools/mutations/*.txt is one mutation:
    path|original text|replacement|what it breaks
The original text must occur exactly once in the file. A mutation is killed
when the tests fail (or hang past the time limit) with it applied; one that no
longer compiles is reported as invalid and not counted. Mutations of the
Windows window (src/frontends/win32/) are tried in a cross build of their own
against its tests under Wine.

    tools/mutate.py [--build DIR] [--windows-build DIR] [--only SUBSTRING] [mutation files...]

The sources are always restored, also when interrupted. A mutation of the
web page (src/frontends/web/, but for the few sources of NATIVE_WEB, which the
native suites test) is built with emscripten in its own folder
(build-web-mutate/) and judged by the page's browser tests alone, by what the
page does (not by docs-quotes, whose quoted page sizes any change moves).
Those of studio.txt (the studio page, and the player's hook for it) are built
so too and judged by the studio's browser test alone.
"""
import argparse
import glob
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SUITES = ["kinpath_text_tests", "kinpath_platform_tests", "kinpath_script_tests",
          "kinpath_scoring_tests", "kinpath_flow_tests", "kinpath_app_tests", "kinpath_authoring_tests",
          "kinpath_term_tests", "kinpath_web_tests"]
QT_SOURCES = "src/frontends/qt/"
QT_SUITES = ["kinpath", "kinpath_qt_tests"]
WINDOWS_SOURCES = "src/frontends/win32/"
WINDOWS_SUITES = ["kinpath_win32_tests", "kinpath_win32_print_tests"]


def load(files):
    mutations = []
    for name in files:
        with open(name, encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                line = line.rstrip("\n")
                if not line.strip() or line.lstrip().startswith("#"):
                    continue
                parts = line.split("|")
                if len(parts) != 4:
                    sys.exit(f"{name}:{number}: expected path|original|replacement|why")
                mutations.append((f"{os.path.basename(name)}:{number}", *parts))
    return mutations


def run(command, cwd, timeout):
    try:
        return subprocess.run(command, cwd=cwd, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return "timeout"


def prepare(build_dir, windows, qt):
    """Configures and builds the unmutated tree; the build and test commands.
    The Qt window and its tests are built only for mutations of the window."""
    configure = ["cmake", "-S", ROOT, "-B", build_dir]
    if windows:
        configure += ["-DCMAKE_TOOLCHAIN_FILE=" +
                      os.path.join(ROOT, "cmake", "mingw-w64-x86_64.cmake"),
                      "-DCMAKE_BUILD_TYPE=Release", "-DKINPATH_WERROR=OFF"]
        targets = WINDOWS_SUITES
        # The window's tests run one at a time, each under Wine.
        test = ["ctest", "--stop-on-failure", "-R", "^win32-(window|print)$"]
    else:
        # Optimised: the property tests run many times faster than unoptimised,
        # which outweighs compiling the one mutated file more slowly.
        configure += ["-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DKINPATH_WERROR=OFF",
                      f"-DKINPATH_BUILD_QT={'ON' if qt else 'OFF'}"]
        targets = ["kinpath-cli", *SUITES, *(QT_SUITES if qt else [])]
        test = ["ctest", "--stop-on-failure", "-j", str(os.cpu_count() or 2), "-E",
                "include-layers|format|desktop|appstream|icon|launcher|web-page"]
    subprocess.run(configure, cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    build = ["cmake", "--build", build_dir, "-j", str(os.cpu_count() or 2), "--target", *targets]
    if run(build, ROOT, None) != 0:
        sys.exit("the unmutated tree does not build")
    if run(test, build_dir, 900 if windows else 600) != 0:
        sys.exit("the unmutated tree does not pass its tests")
    return build, test


WEB = "src/frontends/web/"
# The page's sources the native build compiles too, for kinpath_web_tests:
# their mutations are judged by the native suites, without a browser.
NATIVE_WEB = ("src/frontends/web/BrowserHistory.",)


def web_commands(args, studio=False):
    """The web page's build and browser test (or the studio's), as (build, test, folder)."""
    folder = os.path.join(ROOT, "build-web-mutate")
    env = dict(os.environ, NODE_PATH="/usr/share/nodejs")
    subprocess.run(["emcmake", "cmake", "-S", ROOT, "-B", folder, "-DCMAKE_BUILD_TYPE=MinSizeRel"],
                   check=True, stdout=subprocess.DEVNULL, env=env)
    build = ["env", "NODE_PATH=/usr/share/nodejs", "cmake", "--build", folder, "-j",
             str(os.cpu_count() or 2)]
    if run(build, ROOT, None) != 0:
        sys.exit("the unmutated web page does not build")
    page, cli = os.path.join(folder, "kinpath-page.html"), os.path.join(args.build, "kinpath-cli")
    if studio:
        test = ["python3", os.path.join(ROOT, "tests", "frontends", "web", "studio_test.py"),
                "--studio", os.path.join(folder, "kinpath-studio.html"), "--page", page, "--cli", cli]
    else:
        test = ["python3", os.path.join(ROOT, "tests", "frontends", "web", "web_test.py"),
                "--page", page, "--cli", cli, "--examples", os.path.join(ROOT, "examples"),
                "--fail-fast"]
    if run(test, ROOT, 3600) != 0:
        sys.exit("the unmutated web page does not pass its tests")
    return build, test, ROOT


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build-mutate"))
    parser.add_argument("--windows-build", default=os.path.join(ROOT, "build-mutate-windows"))
    parser.add_argument("--only", default="")
    parser.add_argument("files", nargs="*")
    args = parser.parse_args()
    files = args.files or sorted(glob.glob(os.path.join(ROOT, "tools", "mutations", "*.txt")))
    mutations = [m for m in load(files) if args.only in m[0] or args.only in m[1]]

    killed, survivors, invalid = 0, [], []
    studio = lambda m: m[0].startswith("studio.txt:")
    kinds = {"native": lambda p: not p.startswith((WINDOWS_SOURCES, WEB)) or p.startswith(NATIVE_WEB),
             "windows": lambda p: p.startswith(WINDOWS_SOURCES),
             "web": lambda p: p.startswith(WEB) and not p.startswith(NATIVE_WEB)}
    for kind, belongs in list(kinds.items()) + [("studio", None)]:
        group = [m for m in mutations if (studio(m) if belongs is None else belongs(m[1]) and not studio(m))]
        if not group:
            continue
        if kind in ("web", "studio"):
            # The browser tests run the terminal program too: only it is built.
            subprocess.run(["cmake", "-S", ROOT, "-B", args.build], check=True,
                           stdout=subprocess.DEVNULL)
            if run(["cmake", "--build", args.build, "--target", "kinpath-cli"], ROOT, None) != 0:
                sys.exit("kinpath-cli does not build")
            build, test, build_dir = web_commands(args, kind == "studio")
            limit = 1800
        else:
            windows = kind == "windows"
            build_dir = args.windows_build if windows else args.build
            qt = any(m[1].startswith(QT_SOURCES) for m in group)
            build, test = prepare(build_dir, windows, qt)
            limit = 900 if windows else 300
        for where, path, original, replacement, why in group:
            full = os.path.join(ROOT, path)
            with open(full, encoding="utf-8") as f:
                source = f.read()
            if source.count(original) != 1:
                invalid.append((where, path, why, "original text not found exactly once"))
                continue
            try:
                with open(full, "w", encoding="utf-8") as f:
                    f.write(source.replace(original, replacement))
                if run(build, ROOT, None) != 0:
                    invalid.append((where, path, why, "does not compile"))
                    continue
                outcome = run(test, build_dir, limit)
            finally:
                with open(full, "w", encoding="utf-8") as f:
                    f.write(source)
            if outcome == 0:
                survivors.append((where, path, why))
                print(f"SURVIVED {where} {path}: {why}", flush=True)
            else:
                killed += 1
                print(f"killed   {where} {path}: {why}", flush=True)
        run(build, ROOT, None)  # leave the build matching the sources

    counted = killed + len(survivors)
    print()
    for where, path, why, reason in invalid:
        print(f"invalid  {where} {path}: {why} ({reason})")
    score = 100.0 * killed / counted if counted else 0.0
    print(f"mutation score: {killed} of {counted} killed ({score:.1f} %), "
          f"{len(invalid)} invalid")
    return 0 if not invalid else 1


if __name__ == "__main__":
    sys.exit(main())
