#!/usr/bin/env python3
"""The lists of presets that scripts need, read from CMakePresets.json.

    cmake/presets.py tested    every workflow preset that runs tests, in order
    cmake/presets.py shipped   every preset whose executable a release ships,
                               as PRESET:DEB:CPU:QEMU (Debian architecture,
                               tarball's processor, the qemu-user that runs
                               it where this kernel cannot; empty: native)
"""
import json
import os
import sys


def main(what):
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "CMakePresets.json")
    with open(path, encoding="utf-8") as f:
        presets = json.load(f)
    if what == "tested":
        for workflow in presets["workflowPresets"]:
            if any(step["type"] == "test" for step in workflow["steps"]):
                print(workflow["name"])
    elif what == "shipped":
        for configure in presets["configurePresets"]:
            ships = configure.get("vendor", {}).get("pngprobe", {}).get("ships")
            if ships:
                print(":".join([configure["name"], ships["deb"], ships["cpu"], ships["qemu"]]))
    else:
        sys.exit("usage: cmake/presets.py tested|shipped")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) == 2 else "")
