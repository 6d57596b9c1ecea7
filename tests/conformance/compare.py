#!/usr/bin/env python3
"""Compares a probe's output under Wine with its output on the stand-in, line by line.

  compare.py <differences list> <probe> <wine output> <stand-in output>

Each line is "key: value". The two outputs must have the same keys in the same order. A line whose values differ
passes only when the list names it: "probe | key | Wine's value | the stand-in's value | reason", with both
values exactly as printed: a line is excused for the values it shows, never for any value. A list entry of this probe that no line needed is reported, so the list stays true.
Prints the differences; exits 1 on any that the list does not explain.
"""
import sys


def read_lines(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        lines = [l.rstrip("\r\n") for l in f]
    out = []
    for l in lines:
        key, sep, value = l.partition(": ")
        out.append((key, value) if sep else (l, ""))
    return out


def read_list(path, probe):
    entries = []
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            raw = raw.strip()
            if not raw or raw.startswith("#"):
                continue
            fields = [x.strip() for x in raw.split(" | ")]
            if len(fields) != 5 or not fields[4]:
                sys.exit(f"{path}:{number}: an entry is 'probe | key | Wine | stand-in | reason'")
            if "*" in (fields[2], fields[3]):
                sys.exit(f"{path}:{number}: an entry names both values as printed; '*' would excuse anything")
            if fields[0] == probe:
                entries.append({"key": fields[1], "wine": fields[2], "ours": fields[3], "line": number,
                                "used": False})
    return entries


def main():
    list_path, probe, wine_path, ours_path = sys.argv[1:5]
    wine, ours = read_lines(wine_path), read_lines(ours_path)
    entries = read_list(list_path, probe)
    bad, known = [], 0
    for i in range(max(len(wine), len(ours))):
        w = wine[i] if i < len(wine) else None
        o = ours[i] if i < len(ours) else None
        if w is None or o is None or w[0] != o[0]:
            bad.append(f"line {i + 1}: Wine '{': '.join(w) if w else '(none)'}' / stand-in "
                       f"'{': '.join(o) if o else '(none)'}' (the keys differ: the outputs no longer line up)")
            break
        if w[1] == o[1]:
            continue
        entry = next((e for e in entries if e["key"] == w[0] and e["wine"] == w[1] and e["ours"] == o[1]), None)
        if entry:
            entry["used"] = True
            known += 1
        else:
            bad.append(f"{w[0]}: Wine '{w[1]}' / stand-in '{o[1]}'")
    stale = [e for e in entries if not e["used"]]
    for e in stale:
        bad.append(f"differences list line {e['line']} ({e['key']}) explains no line any more")
    print(f"{probe}: {len(ours)} lines, {known} known Wine differences, {len(bad)} unexplained")
    for b in bad:
        print(f"  {b}")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
