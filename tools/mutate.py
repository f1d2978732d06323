#!/usr/bin/env python3
"""Applies hand-picked one-line mutations to the core, one at a time, and
counts how many the test suite kills.

Each line of tools/mutations/*.txt is one mutation:
    path|original text|replacement|what it breaks
The original text must occur exactly once in the file. A mutation is killed
when the tests fail (or hang past the time limit) with it applied; one that no
longer compiles is reported as invalid and not counted.

    tools/mutate.py [--build DIR] [--only SUBSTRING] [mutation files...]

The sources are always restored, also when interrupted.
"""
import argparse
import glob
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SUITES = ["kinpath_text_tests", "kinpath_platform_tests", "kinpath_script_tests",
          "kinpath_scoring_tests", "kinpath_flow_tests", "kinpath_app_tests", "kinpath_authoring_tests",
          "kinpath_term_tests"]


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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build-mutate"))
    parser.add_argument("--only", default="")
    parser.add_argument("files", nargs="*")
    args = parser.parse_args()
    files = args.files or sorted(glob.glob(os.path.join(ROOT, "tools", "mutations", "*.txt")))
    mutations = [m for m in load(files) if args.only in m[0] or args.only in m[1]]

    subprocess.run(["cmake", "-S", ROOT, "-B", args.build, "-DCMAKE_BUILD_TYPE=Debug",
                    "-DKINPATH_BUILD_QT=OFF"], check=True, stdout=subprocess.DEVNULL)
    build = ["cmake", "--build", args.build, "-j", str(os.cpu_count() or 2), "--target",
             "kinpath-cli", *SUITES]
    if run(build, ROOT, None) != 0:
        sys.exit("the unmutated tree does not build")
    test = ["ctest", "--stop-on-failure", "-j", str(os.cpu_count() or 2), "-E",
            "include-layers|format|desktop|appstream|icon|launcher"]
    if run(test, args.build, 600) != 0:
        sys.exit("the unmutated tree does not pass its tests")

    killed, survivors, invalid = 0, [], []
    for where, path, original, replacement, why in mutations:
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
            outcome = run(test, args.build, 300)
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
