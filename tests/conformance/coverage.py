#!/usr/bin/env python3
"""Lists every Windows function and interface method the product calls, and the probes that compare it.

The functions are those the Linux door declares (platform/linux/*/w32*.h) that the product's object files leave
for the linker to find (their undefined symbols, so a call through a macro, a pointer, a cast or a helper of the
door counts as a call), and those the product looks up by name (GetProcAddress). An interface method, which no
linker sees, is found in the product's sources and keyed by the interface that declares it (IStream's Read is
ISequentialStream::Read, not IPropertyBag::Read): the interface of `x->Method(`, `x.Method(`, `(*x)->Method(`
or `x[i]->Method(` is the type x is declared with; a call on an `auto` variable or an unknown one cannot be told
and fails the run.

A function counts as compared only when its call ran on both sides before a line that was compared: the Linux
probes record each call they make (trace.h, generated from the door's declarations), Wine's relay trace records
the Windows side, and both record each output line as it is printed. A compared line is one whose values agree
(a line of wine-differences.txt is excused, not compared) and that prints a value (a line with a fixed text
compares nothing). An interface method counts as compared when a probe line that its call prints (the key texts
of the statements from the call up to the next output call in the same function, or the key texts the
function's callers pass) is a compared line of the run.

Exits 1 when a called name is not compared, or a method call's interface cannot be told.
  coverage.py <source folder> <file listing the product's object files> <probe runs folder> [--list]
  coverage.py --trace-header <source folder> <output header>
"""
import pathlib
import re
import subprocess
import sys

import compare

PRODUCT_DIRS = ["app", "automation", "catalogue", "core", "dialogs", "helper", "pages", "resources", "tools"]
DECL = re.compile(r"^(?!typedef|return|#|using|struct|class|enum|static_assert)[A-Za-z_][\w\s\*&:<>,]*?[\s\*&]"
                  r"(?:WINAPI\s+|NTAPI\s+|APIENTRY\s+|STDMETHODCALLTYPE\s+)?([A-Za-z_]\w*)\s*\(", re.M)
METHOD = re.compile(r"virtual\s[^;{(]*?\b([A-Za-z_]\w*)\s*\(")
INTERFACE = re.compile(r"\bclass\s+(I[A-Za-z_]\w*)\s*(?::\s*public\s+(\w+)\s*)?\{")
# The probes' output calls (probe.h), whose first argument is the line's key.
OUTPUT = re.compile(r"(?<![\w.>])(?:probe::)?(?:line|ok|result|status|hresult|text)\s*\(")
# A key text: a name, dotted parts and blanks, no format and no leading blank or slash.
KEY = re.compile(r"^[A-Za-z_.][\w .-]*$")
# Names whose lines Wine cannot stand for, so each of them is listed in wine-differences.txt and checked against
# Windows' documentation only (README, "Tests"); reported apart from the compared count. Wine lacks the first
# ones (it answers E_NOTIMPL, ERROR_CALL_NOT_IMPLEMENTED or has no such class); the others answer nothing a
# line could compare, or Wine answers otherwise on every line.
DOCUMENTATION_ONLY = {
    "PowerGetActiveScheme": "Wine lacks it",
    "PowerSetActiveScheme": "Wine lacks it",
    "IDesktopWallpaper::SetWallpaper": "Wine lacks it",
    "IRegisteredTaskCollection::get_Count": "Wine lacks it",
    "IRegisteredTaskCollection::get_Item": "Wine lacks it",
    "SHChangeNotify": "it returns nothing",
    "IRegisteredTask::get_Xml": "Wine's answer lacks the task's action",
}
# Functions Wine's relay trace leaves out (its libraries mark them not to be traced): the Linux record of the
# call before a compared line stands for both sides.
# SetLastError is in Wine's default RelayExclude list.
UNTRACED = {"GetCurrentProcess", "SetLastError"}
STRING = re.compile(r'"((?:[^"\\\n]|\\.)*)"')


def blanked(literal):
    return literal[0] + " " * (len(literal) - 2) + literal[-1] if len(literal) >= 2 else literal


def strip_comments(text, keep_strings=True):
    """Removes comments; knows string and character literals (a "//" inside a string is no comment).
    Without keep_strings the contents of literals are blanked too (the length kept, so that positions agree),
    so that text in them is never a call."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if c == "/" and text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif c == "/" and text.startswith("/*", i):
            j = text.find("*/", i + 2)
            i = n if j < 0 else j + 2
            out.append(" ")
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")
                                                       or text[i - 1] in "uUL8"):
            open_paren = text.find("(", i + 2)
            delim = text[i + 2:open_paren]
            end = text.find(")" + delim + '"', open_paren)
            end = n if open_paren < 0 or end < 0 else end + len(delim) + 2
            out.append(text[i:end] if keep_strings else blanked(text[i:end]))
            i = end
        elif c in "\"'":
            if c == "'" and i > 0 and (text[i - 1].isalnum() or text[i - 1] == "_"):
                # A digit separator (1'000) belongs to a number; a prefix (L'x', u8'x') starts a literal.
                start = i - 1
                while start > 0 and (text[start - 1].isalnum() or text[start - 1] in "_'."):
                    start -= 1
                if text[start].isdigit():
                    out.append(c)
                    i += 1
                    continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            out.append(text[i:j] if keep_strings else blanked(text[i:j]))
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


def sources(root, dirs, suffixes=(".cpp", ".h", ".c")):
    for d in dirs:
        for p in sorted((root / d).rglob("*")):
            if p.suffix in suffixes and p.is_file():
                yield p


def matching_brace(text, open_at):
    depth = 0
    for i in range(open_at, len(text)):
        if text[i] == "{":
            depth += 1
        elif text[i] == "}":
            depth -= 1
            if depth == 0:
                return i
    return len(text)


def read_interfaces(root):
    """Interface name -> (base, methods it declares itself); and the plain functions."""
    interfaces, functions, methods = {}, set(), set()
    for header in sorted((root / "platform" / "linux").glob("*/w32*.h")):
        text = strip_comments(header.read_text(encoding="utf-8"))
        for m in INTERFACE.finditer(text):
            body = text[m.end():matching_brace(text, m.end() - 1)]
            own = {x.group(1) for x in METHOD.finditer(body)}
            interfaces[m.group(1)] = (m.group(2), own)
        for m in METHOD.finditer(text):
            methods.add(m.group(1))
        for m in DECL.finditer(text):
            name = m.group(1)
            if name not in methods and not name.startswith("operator"):
                functions.add(name)
    return interfaces, functions, methods


def declaring(interfaces, interface, method):
    """The interface up the chain from `interface` that declares `method`, or None."""
    seen = set()
    while interface in interfaces and interface not in seen:
        seen.add(interface)
        base, own = interfaces[interface]
        if method in own:
            return interface
        interface = base
    return None


def declaration_pattern(interfaces):
    """A declaration of a variable of an interface: a pointer, a pointer to pointers, a reference, an array of
    pointers, a container of pointers; or `auto`, whose interface cannot be told here."""
    names = "|".join(sorted(interfaces))
    return re.compile(r"\b(?:(" + names + r")\s*(?:\*+|&)\s*(?:>\s*)?(?:const\s+)?|(auto)\s*[\*&]*\s*)(\w+)\b")


def method_calls(text, interfaces, methods, declarations):
    """(key "Interface::Method" or None, position, what) for each call of a known method in text, through `->`
    or `.`, on a variable, a dereferenced one or an element. The variable's interface is its nearest
    declaration before the call in the same text, else its only declaration anywhere (a member declared in a
    header); none, or `auto`, and the call cannot be told."""
    local = [(d.start(), d.group(3), d.group(1)) for d in declaration_pattern(interfaces).finditer(text)]
    calls = []
    for m in re.finditer(r"(->|\.)\s*(\w+)\s*\(", text):
        method = m.group(2)
        if method not in methods or method in ("QueryInterface", "AddRef", "Release"):
            continue
        # The object: a name, "(*name)" or "name[...]" just before the operator.
        before = text[:m.start()].rstrip()
        obj = re.search(r"(?:\(\s*\*+\s*(\w+)\s*\)|(\w+)\s*(?:\[[^\[\]]*\])*)$", before)
        variable = (obj.group(1) or obj.group(2)) if obj else None
        if variable is None:
            calls.append((None, m.start(), before[-20:].strip() + m.group(1) + method))
            continue
        found, told = None, False
        for at, name, interface in local:
            if at < m.start() and name == variable:
                found, told = interface, True
        if not told and len(declarations.get(variable, ())) == 1:
            found = next(iter(declarations[variable]))
        if found is None and m.group(1) == "." and not told:
            continue  # a method of some other class, named as an interface method is
        owner = declaring(interfaces, found, method) if found else None
        calls.append((f"{owner}::{method}" if owner else None, m.start(), variable + m.group(1) + method))
    return calls


def variable_declarations(texts, interfaces):
    found = {}
    for text in texts:
        for d in declaration_pattern(interfaces).finditer(text):
            found.setdefault(d.group(3), set()).add(d.group(1))
    return found


def functions_of(text):
    """(name, start, end) of each top-level function body in a stripped source."""
    spans = []
    for m in re.finditer(r"(\w+)\s*\([^;{}]*\)\s*(?:const\s*)?(?:override\s*)?\{", text):
        start = m.end() - 1
        if spans and start < spans[-1][2]:
            continue
        spans.append((m.group(1), start, matching_brace(text, start)))
    return spans


def keys_in(text):
    """Key texts: literals passed on (an argument, or a part of one), not values given to a variable or chosen."""
    return [m.group(1) for m in STRING.finditer(text)
            if KEY.match(m.group(1)) and not re.search(r"(?:[=?:]|\breturn)\s*$", text[:m.start()])]


def call_keys(text, blank, position, spans, depth=0):
    """The key texts of the lines a call at position prints (see the module's description); None when no output
    follows it in its function (a call whose result is never printed, such as putting a setting back)."""
    span = next((s for s in spans if s[1] <= position <= s[2]), None)
    end = span[2] if span else len(text)
    statement = max(text.rfind(";", 0, position), text.rfind("{", 0, position), text.rfind("}", 0, position)) + 1
    if depth:
        # A caller passes the key in the call's own statement.
        stop = text.find(";", position)
        return keys_in(text[statement:stop if stop >= 0 else end])
    out = OUTPUT.search(blank, statement, end)
    if not out:
        return None
    stop = text.find(";", out.end())
    keys = keys_in(text[statement:stop if stop >= 0 else end])
    if keys or not span or depth > 2:
        return keys
    # The key comes from a parameter: the keys the callers pass.
    for m in re.finditer(r"(?<![\w.>])" + span[0] + r"\s*\(", blank):
        if not span[1] - 200 < m.start() < span[1]:
            keys += call_keys(text, blank, m.start(), spans, depth + 1)
    return keys


def excused(key, entries):
    """Whether a key text belongs only to lines the differences list excuses."""
    return any(e == key or (key.startswith(".") and e.endswith(key)) or (key.endswith(".") and key in e)
               for e in entries)


def read_differences(path):
    entries = {}
    if path.is_file():
        for raw in path.read_text(encoding="utf-8").splitlines():
            fields = [x.strip() for x in raw.split(" | ")]
            if raw.strip() and not raw.lstrip().startswith("#") and len(fields) == 5:
                entries.setdefault(fields[0], set()).add(fields[1])
    return entries


def product_functions(objects, functions):
    """The door's functions that the product's object files leave for the linker (undefined symbols)."""
    found = set()
    for at in range(0, len(objects), 200):
        run = subprocess.run(["nm", "-u", "-C"] + objects[at:at + 200], capture_output=True, text=True)
        if run.returncode != 0:
            sys.exit(f"nm failed: {run.stderr.strip()}")
        for raw in run.stdout.splitlines():
            symbol = raw.strip()
            if not symbol.startswith("U "):
                continue
            name = symbol[2:].split("(", 1)[0].strip()
            if name in functions:
                found.add(name)
    return found


def trace_header(root, out):
    """The Linux probes' record of the functions they call: each call of a door function by name goes through
    a macro that notes it on stderr once its arguments are worked out, as the call starts (so that a call in an
    argument is noted first, as Wine's relay trace notes it); a function reached through GetProcAddress notes
    itself."""
    _, functions, _ = read_interfaces(root)
    lines = ["// Generated by coverage.py --trace-header from the door's declarations; do not edit.",
             "#pragma once", "#include <cstdio>", "#include <utility>", '#include "linux/machine/calltrace.h"', "",
             "namespace probetrace {", "inline void called(const char *name)", "{",
             '    std::fprintf(stderr, "probe call: %s\\n", name);', "    std::fflush(stderr);", "}",
             "inline const bool recording = (calltrace::recorder = [](const char *name) { called(name); }, true);",
             "template <typename F> struct Traced", "{", "    const char *name;", "    F *function;",
             "    template <typename... A> decltype(auto) operator()(A &&...arguments) const", "    {",
             "        called(name);", "        return function(std::forward<A>(arguments)...);", "    }", "};",
             "template <typename F> Traced<F> traced(const char *name, F *function)", "{",
             "    return {name, function};", "}", "} // namespace probetrace", ""]
    for name in sorted(functions):
        lines.append(f"#define {name}(...) ::probetrace::traced(\"{name}\", &::{name})(__VA_ARGS__)")
    pathlib.Path(out).write_text("\n".join(lines) + "\n", encoding="utf-8")


RELAY = re.compile(r"^[0-9a-fA-F]+:Call (?:[\w.-]+)\.(\w+)\(")
MARK = re.compile(r"^probe (call|line|constant line): (.*)$")


def trace_of(path, relay):
    """(name, index of the next output line) of each call, and whether each line prints a fixed text."""
    calls, constant, index = set(), [], 0
    for raw in pathlib.Path(path).read_text(encoding="utf-8", errors="surrogateescape").splitlines():
        raw = raw.rstrip("\r")
        m = RELAY.match(raw) if relay else None
        if m:
            calls.add((m.group(1), index))
            continue
        m = MARK.match(raw)
        if not m:
            continue
        if m.group(1) == "call":
            if not relay:
                calls.add((m.group(2), index))
        else:
            constant.append(m.group(1) == "constant line")
            index += 1
    return calls, constant


def compared_lines(run, probe, entries):
    """The index and key of each compared line of a probe's run, and the calls that ran before each line on
    both sides."""
    wine, ours = compare.read_lines(run / "wine.txt"), compare.read_lines(run / "stand-in.txt")
    linux_calls, constant = trace_of(run / "stand-in.log", False)
    wine_calls, _ = trace_of(run / "wine.log", True)
    compared = {}
    for i, (w, o) in enumerate(zip(wine, ours)):
        if w[0] != o[0]:
            break
        if w[1] == o[1] and i < len(constant) and not constant[i] and w[0] not in entries:
            compared[i] = w[0]
    both = {(n, i) for n, i in linux_calls if i in compared and ((n, i) in wine_calls or n in UNTRACED)}
    return compared, both


def main():
    if sys.argv[1] == "--trace-header":
        trace_header(pathlib.Path(sys.argv[2]), sys.argv[3])
        return 0
    root = pathlib.Path(sys.argv[1])
    objects = [x for x in re.split(r"[;\n]", pathlib.Path(sys.argv[2]).read_text()) if x.strip()]
    runs = pathlib.Path(sys.argv[3])
    listing = "--list" in sys.argv
    interfaces, functions, methods = read_interfaces(root)

    product_files = [(p, strip_comments(p.read_text(encoding="utf-8", errors="replace")))
                     for p in sources(root, PRODUCT_DIRS)]
    product_blank = [(p, strip_comments(t, keep_strings=False)) for p, t in product_files]
    conformance = root / "tests" / "conformance"
    probes = {}
    # What CMake builds, and so what runs.
    for p in sorted((conformance / "probes").glob("probe_*.cpp")):
        text = strip_comments(p.read_text(encoding="utf-8"))
        probes[p.stem] = (text, strip_comments(text, keep_strings=False))
    differences = read_differences(conformance / "wine-differences.txt")
    declarations = variable_declarations([b for _, b in product_blank], interfaces)
    probe_declarations = variable_declarations([b for _, b in probes.values()], interfaces)

    called, unknown = {}, []
    for name in product_functions(objects, functions):
        called[name] = "function"
    for path, blank in product_blank:
        for key, position, what in method_calls(blank, interfaces, methods, declarations):
            if key is None:
                line = blank.count("\n", 0, position) + 1
                unknown.append(f"{path.relative_to(root)}:{line}: the interface of {what} cannot be told")
            else:
                called.setdefault(key, "method")
    # Functions the product looks up by name at run time (GetProcAddress) count as called.
    kept = "\n".join(t for _, t in product_files)
    for name in sorted(set(re.findall(r'GetProcAddress\s*\([^;]*?"(\w+)"', kept))):
        called.setdefault(name, "function")

    # What each probe's run compared, and the functions that ran on both sides before a compared line.
    ran, compared_keys, missing_runs = {}, {}, []
    for probe in probes:
        run = runs / probe
        if not all((run / f).is_file() for f in ("wine.txt", "stand-in.txt", "wine.log", "stand-in.log")):
            missing_runs.append(probe)
            continue
        compared, both = compared_lines(run, probe, differences.get(probe, set()))
        compared_keys[probe] = set(compared.values())
        for name, _ in both:
            ran.setdefault(name, []).append(probe[len("probe_"):])

    # Where each probe calls each interface method, and whether a line it prints was compared.
    method_sites = {}
    spans = {probe: functions_of(blank) for probe, (_, blank) in probes.items()}
    for probe, (text, blank) in probes.items():
        for key, position, _ in method_calls(blank, interfaces, methods, probe_declarations):
            if called.get(key) != "method":
                continue
            keys = call_keys(text, blank, position, spans[probe]) or []
            done = compared_keys.get(probe, set())
            hit = any(k == d or (k.startswith(".") and d.endswith(k)) or (k.endswith(".") and k in d)
                      for k in keys for d in done)
            method_sites.setdefault(key, {}).setdefault(probe[len("probe_"):], False)
            method_sites[key][probe[len("probe_"):]] |= hit

    compared_names, lacking, failing, missing = [], [], [], []
    for name in sorted(called):
        if called[name] == "function":
            by = sorted(set(ran.get(name, [])))
            probed = bool(by)
        else:
            sites = method_sites.get(name, {})
            by = sorted(p for p, hit in sites.items() if hit)
            probed = bool(sites)
        if by:
            compared_names.append(name)
            state = ", ".join(by)
        elif name in DOCUMENTATION_ONLY:
            lacking.append(name)
            state = f"checked against the documentation only: {DOCUMENTATION_ONLY[name]}"
        elif probed:
            failing.append(name)
            state = "NOT COMPARED: no compared line of its call"
        else:
            missing.append(name)
            state = "NOT COMPARED: no probe ran it on both sides before a compared line"
        if listing or not by:
            print(f"{name}: {state}")
    for u in unknown:
        print(u)
    for probe in missing_runs:
        print(f"{probe}: no run to read in {runs} (run the conformance probes first)")
    print(f"{len(called)} Windows functions and methods called by the product; {len(compared_names)} compared "
          f"with Wine, {len(lacking)} checked against the documentation only, "
          f"{len(failing) + len(missing)} not compared")
    return 1 if failing or missing or unknown or missing_runs else 0


if __name__ == "__main__":
    sys.exit(main())
