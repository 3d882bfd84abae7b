#!/usr/bin/env python3
"""The planted-fault check: each fault in faults/faults.txt, a small slip in
src/, is applied alone; its preset is built and the tests it names are run,
and one of them must fail. The check fails where a fault survives (no test
failed), does not build, or no longer matches the code (its text is not
found exactly once in its file), so the list follows the code.

    faults/run.py [--list] [PRESET | LINE]...

With PRESETs or LINEs (of faults.txt), only those faults run; --list checks that every fault still
matches, and builds and runs nothing. A preset's build tree is configured
where it is missing, built before its first fault and again after its last,
so it ends as the sources are. Every file is restored after its fault,
also when the run is interrupted.
"""
import json
import os
import re
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LIST = os.path.join(ROOT, "faults", "faults.txt")
# PRESET TESTS FILE `TEXT` `REPLACEMENT` WHAT BREAKS
LINE = re.compile(r"^(\S+)\s+(\S+)\s+(\S+)\s+`([^`]*)`\s+`([^`]*)`\s+(\S.*)$")


def unescape(text):
    return text.replace("\\n", "\n")


def read_faults():
    faults, errors = [], []
    with open(LIST, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            if not line.strip() or line.startswith("#"):
                continue
            m = LINE.match(line.rstrip("\n"))
            if not m:
                errors.append(f"faults.txt:{number}: not PRESET TESTS FILE `TEXT` `REPLACEMENT` WHAT")
                continue
            preset, tests, path, text, replacement, what = m.groups()
            fault = dict(line=number, preset=preset, tests=tests, path=path, what=what,
                         text=unescape(text), replacement=unescape(replacement))
            try:
                with open(os.path.join(ROOT, path), encoding="utf-8") as source:
                    found = source.read().count(fault["text"])
            except OSError:
                found = 0
            if found != 1:
                errors.append(f"faults.txt:{number}: `{text}` is in {path} {found} times, not once")
            faults.append(fault)
    return faults, errors


def run(args, log):
    return subprocess.run(args, cwd=ROOT, stdout=log, stderr=subprocess.STDOUT).returncode


def build(preset, log):
    if not os.path.exists(os.path.join(ROOT, "build", preset, "CMakeCache.txt")):
        if run(["cmake", "--preset", preset], log) != 0:
            return False
    return run(["cmake", "--build", os.path.join("build", preset), "--parallel"], log) == 0


def fixtures(preset):
    """The preset's fixture setup and cleanup tests (a wineserver, say), run
    once around all its faults rather than around each."""
    listing = subprocess.run(["ctest", "--test-dir", os.path.join("build", preset), "--show-only=json-v1"],
                             cwd=ROOT, capture_output=True, text=True).stdout
    found = {"FIXTURES_SETUP": [], "FIXTURES_CLEANUP": []}
    for test in json.loads(listing or '{"tests": []}')["tests"]:
        for prop in test.get("properties", []):
            if prop["name"] in found:
                found[prop["name"]].append(test["name"])
    return found["FIXTURES_SETUP"], found["FIXTURES_CLEANUP"]


def ctest(preset, log, *args):
    return run(["ctest", "--test-dir", os.path.join("build", preset), "--output-on-failure", *args], log)


def only(names):
    return "^(" + "|".join(re.escape(n) for n in names) + ")$"


def failed_tests(log_path):
    with open(log_path, encoding="utf-8", errors="replace") as f:
        return re.findall(r"^\s*\d+ - (\S+) \((?:Failed|Timeout|SEGFAULT|Subprocess aborted)", f.read(), re.M)


def plant(fault, log_path):
    """'caught by TEST', or what went wrong."""
    path = os.path.join(ROOT, fault["path"])
    with open(path, encoding="utf-8") as f:
        original = f.read()
    try:
        with open(path, "w", encoding="utf-8") as f:
            f.write(original.replace(fault["text"], fault["replacement"], 1))
        with open(log_path, "w", encoding="utf-8") as log:
            if not build(fault["preset"], log):
                return None, "does not build"
            rc = ctest(fault["preset"], log, "-R", fault["tests"], "-FS", ".", "-FC", ".",
                       "--stop-on-failure", "--no-tests=error")
        if rc == 0:
            with open(log_path, encoding="utf-8", errors="replace") as f:
                skipped = "***Skipped" in f.read()
            return None, f"SURVIVED: no test matching {fault['tests']} failed{' (some skipped)' if skipped else ''}"
        names = failed_tests(log_path)
        return f"caught by {', '.join(names) if names else 'ctest (status %d)' % rc}", None
    finally:
        with open(path, "w", encoding="utf-8") as f:
            f.write(original)


def stop(*_):
    raise KeyboardInterrupt


def main(argv):
    sys.stdout.reconfigure(line_buffering=True)  # each fault's line as it ends, also into CI's log
    list_only = "--list" in argv
    chosen = [a for a in argv if a != "--list"]
    faults, errors = read_faults()
    faults = [f for f in faults if not chosen or f["preset"] in chosen or str(f["line"]) in chosen]
    for error in errors:
        print(error)
    if list_only or errors:
        print(f"faults: {len(faults)} listed, {len(errors)} not matching the code")
        return 1 if errors else 0
    # A termination restores the file under change, as an interrupt does.
    signal.signal(signal.SIGTERM, stop)
    start = time.monotonic()
    caught, bad = 0, []
    for preset in dict.fromkeys(f["preset"] for f in faults):
        logs = os.path.join(ROOT, "build", "faults", preset)
        os.makedirs(logs, exist_ok=True)
        with open(os.path.join(logs, "build.log"), "w", encoding="utf-8") as log:
            if not build(preset, log):
                print(f"faults: {preset} does not build as it is (build/faults/{preset}/build.log)")
                return 1
            setup, cleanup = fixtures(preset)
            if setup and ctest(preset, log, "-R", only(setup)) != 0:
                print(f"faults: {preset}'s fixtures do not start (build/faults/{preset}/build.log)")
                return 1
        for fault in (f for f in faults if f["preset"] == preset):
            log_path = os.path.join(logs, f"line-{fault['line']}.log")
            t = time.monotonic()
            good, problem = plant(fault, log_path)
            where = f"faults.txt:{fault['line']} {preset} {fault['path']}: {fault['what']}"
            if good:
                caught += 1
                print(f"{where}: {good} ({time.monotonic() - t:.0f} s)")
            else:
                bad.append(where)
                print(f"{where}: {problem} (build/faults/{preset}/line-{fault['line']}.log)")
        with open(os.path.join(logs, "build.log"), "a", encoding="utf-8") as log:
            if cleanup:
                ctest(preset, log, "-R", only(cleanup))
            build(preset, log)
    for where in bad:
        print(f"NOT CAUGHT: {where}")
    print(f"faults: {caught} caught, {len(bad)} not, in {time.monotonic() - start:.0f} s")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
