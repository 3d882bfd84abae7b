#!/usr/bin/env python3
"""CI's closing table: for each preset, how its tests ran (natively, or under
which emulator), how many passed, failed and were skipped, and why.

    .ci/summary.py PRESET... [-- PRESET...] [--no-32-bit PRESET...]

Reads build/PRESET/ctest-results.xml (ctest's JUnit file, which every test
preset writes) and build/PRESET/tests-run.txt (written at configure time).
A preset whose end-to-end tests were skipped never ran the tool it built:
it is named as not run, never counted as a pass.

The presets after "--" were run once more with the optional tools hidden
(.ci/without-optional-tools), as on a newcomer's machine: their rows come
from ctest-results-without-tools.xml and show what each skipped and why.
Those after "--no-32-bit" were run again as on a kernel that runs no 32-bit
programs (.ci/without-optional-tools --no-32-bit), into
ctest-results-no-32-bit.xml.

The last line is the total over every table, alone on its line:
"ci: N passed, N failed, N skipped".
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

# The Windows code that a machine without 32-bit support still runs.
STAND_IN = {
    "windows-x86": "windows-x64 (with and without its manifest) runs the same "
                   "Windows code under 64-bit Wine in its place",
}


def first_line(text):
    for line in (text or "").splitlines():
        if line.strip() and not re.match(r"^\w+\.sh: ", line):
            return line.strip()
    return "no reason given"


def read(preset, results="ctest-results.xml"):
    build = os.path.join("build", preset)
    try:
        suite = ET.parse(os.path.join(build, results)).getroot()
    except (OSError, ET.ParseError):
        return None
    try:
        with open(os.path.join(build, "tests-run.txt"), encoding="utf-8") as f:
            how = f.read().strip()
    except OSError:
        how = "natively"
    passed = failed = 0
    skipped = []        # (test, reason)
    cases_skipped = []  # (test, "SKIPPED: case (why)") inside a test that ran
    tool_ran = True
    for case in suite.iter("testcase"):
        name = case.get("name")
        out = case.findtext("system-out") or ""
        if case.get("status") == "notrun":
            skipped.append((name, first_line(out)))
            if name == "pngprobe_e2e":
                tool_ran = False
            continue
        if case.find("failure") is not None or case.get("status") == "fail":
            failed += 1
        else:
            passed += 1
        cases_skipped += [(name, m) for m in re.findall(r"^SKIPPED: .*$", out, re.M)]
    return how, passed, failed, skipped, cases_skipped, tool_ran


def rerun(title, presets, results):
    """A table of presets run again; returns its [passed, failed, skipped]."""
    totals = [0, 0, 0]
    print()
    print(title)
    for preset in presets:
        result = read(preset, results)
        if result is None:
            print(f"  {preset:<18} NOT RUN (not reached)")
            continue
        _, passed, failed, skipped, cases_skipped, _ = result
        totals = [totals[0] + passed, totals[1] + failed, totals[2] + len(skipped)]
        print(f"  {preset:<18} {'':<26} {passed:>6} {failed:>6} {len(skipped):>7}")
        for reason in sorted({reason for _, reason in skipped}):
            names = ", ".join(name for name, r in skipped if r == reason)
            print(f"      skipped {names}: {reason}")
        for line in sorted({line for _, line in cases_skipped}):
            count = sum(1 for _, other in cases_skipped if other == line)
            print(f"      {line}" + (f" (in {count} suites)" if count > 1 else ""))
    return totals


def main(presets):
    print()
    print("CI: how each preset's tests ran")
    print(f"  {'preset':<18} {'tests ran':<26} {'passed':>6} {'failed':>6} {'skipped':>7}")
    not_run = []
    totals = [0, 0, 0]
    for preset in presets:
        result = read(preset)
        if result is None:
            print(f"  {preset:<18} {'NOT RUN (not reached)':<26}")
            not_run.append((preset, "CI stopped before its tests"))
            continue
        how, passed, failed, skipped, cases_skipped, tool_ran = result
        if not tool_ran:
            how = "NOT RUN"
        totals[0] += passed
        totals[1] += failed
        totals[2] += len(skipped)
        print(f"  {preset:<18} {how:<26} {passed:>6} {failed:>6} {len(skipped):>7}")
        reasons = sorted({reason for _, reason in skipped})
        for reason in reasons:
            names = ", ".join(name for name, r in skipped if r == reason)
            print(f"      skipped {names}: {reason}")
        for name, line in cases_skipped:
            print(f"      {name}: {line}")
        if not tool_ran:
            stand_in = f"; {STAND_IN[preset]}" if preset in STAND_IN else ""
            print(f"      the tool it built was never run{stand_in}")
            why = reasons[0] if reasons else "its end-to-end tests were skipped"
            not_run.append((preset, why + stand_in))
    if not_run:
        for preset, why in not_run:
            print(f"NOT RUN: {preset}: {why}")
    else:
        print("Every preset's tests ran.")
    return totals


def split(args):
    """The presets before any mark, after "--" and after "--no-32-bit"."""
    lists = {"": [], "--": [], "--no-32-bit": []}
    current = lists[""]
    for arg in args:
        if arg in lists:
            current = lists[arg]
        else:
            current.append(arg)
    return lists[""], lists["--"], lists["--no-32-bit"]


if __name__ == "__main__":
    first, again, no_32_bit = split(sys.argv[1:])
    tables = [main(first)]
    if again:
        tables.append(rerun("CI: the same tests with strace, groff, tmux, Wine and qemu hidden",
                            again, "ctest-results-without-tools.xml"))
    if no_32_bit:
        tables.append(rerun("CI: as on a kernel that runs no 32-bit programs (Wine's 32-bit "
                            "programs refused)", no_32_bit, "ctest-results-no-32-bit.xml"))
    passed, failed, skipped = (sum(t[i] for t in tables) for i in range(3))
    print()
    print(f"ci: {passed} passed, {failed} failed, {skipped} skipped")
