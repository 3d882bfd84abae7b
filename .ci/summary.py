#!/usr/bin/env python3
"""CI's closing table: a row a run of a preset's tests (how they ran, Wine
natively or under qemu, passed, failed, skipped and why, NOT RUN), then
alone on the last line "ci: N passed, N failed, N skipped".

    .ci/summary.py [--none-skipped] PRESET[:RUN]...

A run's results are build/PRESET/ctest-results[-RUN].xml (ctest's JUnit
file), with build/PRESET/tests-run.txt and the "Wine runs ..." line of its
wine_start. --none-skipped fails where a test, or a case in one, skipped.
"""
import os
import re
import sys
import xml.etree.ElementTree as ET


def read(run):
    preset, _, name = run.partition(":")
    build = os.path.join("build", preset)
    try:
        cases = list(ET.parse(os.path.join(build, f"ctest-results{'-' + name if name else ''}.xml")).iter("testcase"))
    except (OSError, ET.ParseError):
        return None
    try:
        with open(os.path.join(build, "tests-run.txt"), encoding="utf-8") as f:
            how = f.read().strip()
    except OSError:
        how = "natively"  # a build without tests/ (fuzz) runs its own
    passed = failed = 0
    skipped = {}  # reason: [test or "test: SKIPPED: case (why)"]
    for case in cases:
        test, out = case.get("name"), case.findtext("system-out") or ""
        wine = re.search(r"^Wine runs (.*)$", out, re.M)
        if test == "wine_start" and wine:
            how += ", " + wine.group(1)
        if case.get("status") == "notrun":
            reason = next((line for line in out.splitlines() if line.strip()
                           and not re.match(r"^\w+\.sh: ", line)), "no reason given")
            skipped.setdefault(reason.strip(), []).append(test)
            if test == "pngprobe_e2e":
                how = "NOT RUN: the tool was never run"
        elif case.find("failure") is not None or case.get("status") == "fail":
            failed += 1
        else:
            passed += 1
            for line in re.findall(r"^SKIPPED: .*$", out, re.M):
                skipped.setdefault(f"{test}: {line}", [])
    return how, passed, failed, skipped


def print_skips(skipped):
    for reason, tests in skipped.items():
        print(f"      skipped {', '.join(tests)}: {reason}" if tests else f"      {reason}")


def none_skipped(runs):
    """1, after naming each, where a run was not reached or skipped anything."""
    skipped = {}
    for run in runs:
        result = read(run)
        skipped.update(result[3] if result else {f"{run}: NOT RUN (not reached)": []})
    print_skips(skipped)
    if skipped:
        print(f"ci: {' '.join(runs)}: every test must run here, and the above did not")
    return 1 if skipped else 0


def table(runs):
    totals = [0, 0, 0]
    print(f"\nCI: each run's tests\n  {'run':<32} {'how they ran':<44} passed failed skipped")
    for run in runs:
        how, passed, failed, skipped = read(run) or ("NOT RUN (not reached)", 0, 0, {})
        count = sum(len(tests) for tests in skipped.values())
        totals = [totals[0] + passed, totals[1] + failed, totals[2] + count]
        print(f"  {run:<32} {how:<44} {passed:>6} {failed:>6} {count:>7}")
        print_skips(skipped)
    print(f"\nci: {totals[0]} passed, {totals[1]} failed, {totals[2]} skipped")


if __name__ == "__main__":
    if sys.argv[1:2] == ["--none-skipped"]:
        sys.exit(none_skipped(sys.argv[2:]))
    table(sys.argv[1:])
