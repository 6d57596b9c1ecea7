#!/usr/bin/env python3
"""Compares a probe's output under Wine with its output on the stand-in, line by line.

  compare.py <differences list> <probe> <wine output> <stand-in output>
  compare.py --ran <differences list> <probe>...   (after a run of every probe: no entry names another probe)

Each line is "key: value". The two outputs must have the same keys in the same order. A line whose values differ
passes only when the list names it: "probe | key | Wine's value | the stand-in's value | reason", with both
values exactly as printed: a line is excused for the values it shows, never for any value. A line whose values
agree is listed too where Wine's answer stands for nothing (its call is a stub that makes nothing, or both
depart from Windows alike): it is then checked against the documentation, not compared. A list entry of this
probe that no line needed is reported, so the list stays true, and one entry explains one line only; the entries
under the list's "Open departures" heading are counted apart. A key that ends in a host's answer in parentheses,
"(host ...)", is printed so on a host that gives that answer (the account's privilege): its entries are owed a
line only by a run whose output names that answer. Every probe ends with the same last line
(probe::end, END here): an output without it stopped early, and fails. The outputs are compared as the bytes
printed (a byte that is not UTF-8 stays itself), and an output without a line compares nothing: it fails.
Prints the differences; exits 1 on any that the list does not explain.
"""
import re
import sys

# The last line of every probe (probe::end): an output that does not end with it stopped early.
END = ("end", "every line printed")
# The host's answer a key may end in: "SetPriorityClass.below (host may not raise)".
HOST_ANSWER = re.compile(r" \((host [^()]*)\)$")
# The heading of the list's last part: what follows it are the stand-in's known departures from Windows.
OPEN_DEPARTURES = "# Open departures:"


def read_lines(path):
    # surrogateescape keeps each byte that is not UTF-8 apart, so that two different ones never compare equal.
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        lines = [l.rstrip("\r\n") for l in f]
    out = []
    for l in lines:
        key, sep, value = l.partition(": ")
        out.append((key, value) if sep else (l, ""))
    return out


def read_list(path, probe):
    entries, departures = [], False
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            raw = raw.strip()
            departures |= raw.startswith(OPEN_DEPARTURES)
            if not raw or raw.startswith("#"):
                continue
            fields = [x.strip() for x in raw.split(" | ")]
            if len(fields) != 5 or not fields[4]:
                sys.exit(f"{path}:{number}: an entry is 'probe | key | Wine | stand-in | reason'")
            if "*" in (fields[2], fields[3]):
                sys.exit(f"{path}:{number}: an entry names both values as printed; '*' would excuse anything")
            if fields[0] == probe:
                entries.append({"key": fields[1], "wine": fields[2], "ours": fields[3], "line": number,
                                "used": False, "departure": departures})
    return entries


def shown(text):
    return text.encode("utf-8", errors="surrogateescape").decode("utf-8", errors="backslashreplace")


def ran(list_path, probes):
    """Entries of a probe that no longer runs explain nothing either."""
    gone = sorted(read_probes(list_path) - set(probes))
    for p in gone:
        print(f"differences list: entries of {p}, which no longer runs")
    return 1 if gone else 0


def read_probes(path):
    names = set()
    with open(path, encoding="utf-8") as f:
        for raw in f:
            raw = raw.strip()
            if raw and not raw.startswith("#"):
                names.add(raw.split(" | ")[0].strip())
    return names


def main():
    if sys.argv[1] == "--ran":
        return ran(sys.argv[2], sys.argv[3:])
    list_path, probe, wine_path, ours_path = sys.argv[1:5]
    wine, ours = read_lines(wine_path), read_lines(ours_path)
    entries = read_list(list_path, probe)
    bad, known, documented, departures = [], 0, 0, 0
    for side, lines in (("Wine", wine), ("stand-in", ours)):
        if not lines:
            bad.append(f"the {side} output has no line: nothing was compared")
        elif lines[-1] != END or lines.count(END) != 1:
            bad.append(f"the {side} output does not end with its own '{': '.join(END)}' line: the probe stopped "
                       f"early")
    for i in range(max(len(wine), len(ours))):
        w = wine[i] if i < len(wine) else None
        o = ours[i] if i < len(ours) else None
        if w is None or o is None or w[0] != o[0]:
            bad.append(f"line {i + 1}: Wine '{shown(': '.join(w)) if w else '(none)'}' / stand-in "
                       f"'{shown(': '.join(o)) if o else '(none)'}' (the keys differ: the outputs no longer line up)")
            break
        # One entry explains one line: a line printed twice with the same values needs two entries.
        entry = next((e for e in entries
                      if not e["used"] and e["key"] == w[0] and e["wine"] == w[1] and e["ours"] == o[1]), None)
        if w[1] == o[1]:
            # Listed with both values alike: Wine's answer stands for nothing there (a call that makes nothing),
            # so the line is checked against the documentation, not compared.
            if entry:
                entry["used"] = True
                if entry["departure"]:
                    departures += 1
                else:
                    documented += 1
            continue
        if entry:
            entry["used"] = True
            if entry["departure"]:
                departures += 1
            else:
                known += 1
        else:
            bad.append(f"{shown(w[0])}: Wine '{shown(w[1])}' / stand-in '{shown(o[1])}'")
    # An entry for another host's answer waits for a run on such a host.
    answers = {m.group(1) for key, _ in ours for m in [HOST_ANSWER.search(key)] if m}
    stale = [e for e in entries
             if not e["used"] and (not HOST_ANSWER.search(e["key"]) or HOST_ANSWER.search(e["key"]).group(1) in answers)]
    for e in stale:
        bad.append(f"differences list line {e['line']} ({e['key']}) explains no line any more")
    print(f"{probe}: {len(ours)} lines, {known} known Wine differences, {documented} alike lines checked against the "
          f"documentation only, {departures} open departures of the stand-in, {len(bad)} unexplained")
    for b in bad:
        print(f"  {b}")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
