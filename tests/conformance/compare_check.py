#!/usr/bin/env python3
"""Checks that compare.py passes only what the differences list explains (run by ctest)."""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
LIST = "probe_x | Key.b | 5 | 7 | Windows gives 7 (documented)\n"
# Every probe's last line (probe::end); the cases' outputs end with it unless a case is about its lack.
END = "end: every line printed\n"
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
    ("both outputs empty", "", "", "", 1),
    ("different bytes that are not UTF-8", b"a: \xff\n", b"a: \xfe\n", "", 1),
    # A line whose values agree where Wine's answer stands for nothing is listed, and so checked, not compared.
    ("an alike line listed with its value", "Key.b: 7\n", "Key.b: 7\n", "probe_x | Key.b | 7 | 7 | a stub\n", 0),
    # One entry explains one line; the same line twice needs two.
    ("two lines excused by one entry", "Key.b: 5\nKey.b: 5\n", "Key.b: 7\nKey.b: 7\n", LIST, 1),
    ("two lines excused by two entries", "Key.b: 5\nKey.b: 5\n", "Key.b: 7\nKey.b: 7\n", LIST + LIST, 0),
    # Below the open departures' heading an entry is counted as one, not as a documented Wine difference.
    ("an open departure", "Key.b: 5\n", "Key.b: 7\n", "# Open departures: known\n" + LIST,
     (0, "0 known Wine differences, 0 alike lines checked against the documentation only, 1 open departures")),
    # An entry for a host's answer is owed a line by a run on such a host only, and explains only that line.
    ("a host answer's entry on another host", "Key.b (host may raise): 7\n", "Key.b (host may raise): 7\n",
     "probe_x | Key.b (host may not raise) | 7 | 5 | the host refuses\n", 0),
    ("a host answer's entry unused on its host", "Key.b (host may not raise): 7\n", "Key.b (host may not raise): 7\n",
     "probe_x | Key.b (host may not raise) | 7 | 5 | the host refuses\n", 1),
    ("a host answer's entry used", "Key.b (host may not raise): 7\n", "Key.b (host may not raise): 5\n",
     "probe_x | Key.b (host may not raise) | 7 | 5 | the host refuses\n", 0),
    ("another host's difference", "Key.b (host may raise): 7\n", "Key.b (host may raise): 5\n",
     "probe_x | Key.b (host may not raise) | 7 | 5 | the host refuses\n", 1),
]
# Outputs that stop before the probe's last line, the same way on both sides (the end line is not added).
EARLY = [
    ("both sides stopping early", "a: 1\n", "a: 1\n", "", 1),
    ("the end line before the last", "a: 1\n" + END + "b: 2\n", "a: 1\n" + END + "b: 2\n", "", 1),
    ("the end line twice", "a: 1\n" + END + END, "a: 1\n" + END + END, "", 1),
    ("the Wine side stopping early", "a: 1\n", "a: 1\n" + END, "", 1),
]


# (case, the command after the script, expected exit status, a text the output must hold): the run as a whole.
RUN_CASES = [
    ("the list names only probes that ran", ["compare.py", "--ran", "{list}", "probe_x", "probe_y"], 0, ""),
    ("an entry of a probe that no longer runs", ["compare.py", "--ran", "{list}", "probe_y"], 1, "probe_x"),
    # probe_b's source is there, its Linux build is not: the run fails before it starts any probe.
    ("a Linux probe build missing", ["run-probes.sh", "{tmp}/src", "{tmp}/linux", "{tmp}/windows", "{tmp}/work"], 1,
     "linux/probe_b is missing"),
]


def ending(output):
    """An output of a probe that printed all its lines (an empty one stays empty)."""
    if not output:
        return output
    return output + (END.encode() if isinstance(output, bytes) else END)


def check_runs(tmp):
    list_path = os.path.join(tmp, "runs-list")
    with open(list_path, "w", encoding="utf-8") as f:
        f.write(LIST)
    for folder, files in (("src/tests/conformance/probes", ["probe_a.cpp", "probe_b.cpp"]), ("linux", ["probe_a"]),
                          ("windows", ["probe_a.exe", "probe_b.exe"])):
        os.makedirs(os.path.join(tmp, folder), exist_ok=True)
        for name in files:
            open(os.path.join(tmp, folder, name), "w").close()
    failures = 0
    for name, command, expected, text in RUN_CASES:
        script = os.path.join(HERE, command[0])
        args = [a.format(list=list_path, tmp=tmp) for a in command[1:]]
        run = subprocess.run(([sys.executable] if script.endswith(".py") else []) + [script] + args,
                             capture_output=True, text=True)
        if run.returncode != expected or text not in run.stdout:
            failures += 1
            print(f"FAIL {name}: exit {run.returncode}, expected {expected} and '{text}'\n{run.stdout}{run.stderr}")
    return failures


def main():
    failures = 0
    with tempfile.TemporaryDirectory() as tmp:
        ended = [(n, ending(w), ending(o), listed, expected) for n, w, o, listed, expected in CASES]
        for name, wine, ours, listed, expected in ended + EARLY:
            paths = []
            for part, content in (("wine", wine), ("ours", ours), ("list", listed)):
                path = os.path.join(tmp, part)
                with open(path, "wb") as f:
                    f.write(content if isinstance(content, bytes) else content.encode("utf-8"))
                paths.append(path)
            run = subprocess.run([sys.executable, os.path.join(HERE, "compare.py"), paths[2], "probe_x", paths[0],
                                  paths[1]], capture_output=True, text=True)
            status, text = expected if isinstance(expected, tuple) else (expected, "")
            if run.returncode != status or text not in run.stdout:
                failures += 1
                print(f"FAIL {name}: exit {run.returncode}, expected {status} and '{text}'\n{run.stdout}")
        failures += check_runs(tmp)
    total = len(CASES) + len(EARLY) + len(RUN_CASES)
    print(f"{total - failures} of {total} cases as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
