#!/usr/bin/env python3
"""Checks that compare.py passes only what the differences list explains (run by ctest)."""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
LIST = "probe_x | Key.b | 5 | 7 | Windows gives 7 (documented)\n"
# (case, Wine's output, the stand-in's output, differences list, expected exit status)
CASES = [
    ("same", "a: 1\nb: 2\n", "a: 1\nb: 2\n", "", 0),
    ("carriage returns from Wine's console", "a: 1\r\n", "a: 1\n", "", 0),
    ("value differs", "a: 1\n", "a: 2\n", "", 1),
    ("listed difference", "Key.b: 5\n", "Key.b: 7\n", LIST, 0),
    ("listed for other values", "Key.b: 6\n", "Key.b: 7\n", LIST, 1),
    ("listed for another probe", "Key.b: 5\n", "Key.b: 7\n", LIST.replace("probe_x", "probe_y"), 1),
    ("no wildcard for Wine", "Key.b: anything\n", "Key.b: 7\n", "probe_x | Key.b | * | 7 | reason\n", 1),
    ("no wildcard for the stand-in", "Key.b: 5\n", "Key.b: 7\n", "probe_x | Key.b | 5 | * | reason\n", 1),
    ("entry explains nothing", "Key.b: 7\n", "Key.b: 7\n", LIST, 1),
    ("keys out of line", "a: 1\nb: 2\n", "b: 2\na: 1\n", "", 1),
    ("a line missing", "a: 1\nb: 2\n", "a: 1\n", "", 1),
]


def main():
    failures = 0
    with tempfile.TemporaryDirectory() as tmp:
        for name, wine, ours, listed, expected in CASES:
            paths = []
            for part, content in (("wine", wine), ("ours", ours), ("list", listed)):
                path = os.path.join(tmp, part)
                with open(path, "w", encoding="utf-8", newline="") as f:
                    f.write(content)
                paths.append(path)
            got = subprocess.run([sys.executable, os.path.join(HERE, "compare.py"), paths[2], "probe_x", paths[0],
                                  paths[1]], capture_output=True, text=True).returncode
            if got != expected:
                failures += 1
                print(f"FAIL {name}: exit {got}, expected {expected}")
    print(f"{len(CASES) - failures} of {len(CASES)} cases as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
