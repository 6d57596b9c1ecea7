#!/usr/bin/env python3
"""Lists every Windows function and interface method the product calls, and the probes that compare it.

The functions are those the Linux door declares (platform/linux/*/w32*.h) that the product's object files leave
for the linker to find (their undefined symbols, so a call through a macro, a pointer, a cast or a helper of the
door counts as a call), and those the product looks up by name (GetProcAddress). An interface method, which no
linker sees, is found in the product's sources and keyed by the interface that declares it (IStream's Read is
ISequentialStream::Read, not IPropertyBag::Read): the interface of `x->Method(`, `x.Method(`, `(*x)->Method(`
or `x[i]->Method(` is the type x is declared with; a call on an `auto` variable or an unknown one cannot be told
and fails the run.

A name counts as compared through a compared line that names it after the call; whether that line's value comes
from the call is not checked (tests/conformance/README.md lists what passes unseen). Each call that ran on both
sides is tied to the first output line after it that names it (or names the call it is an argument of:
GetCurrentProcess() inside OpenProcessToken(...) shows through OpenProcessToken's line); a line names a call
when the function's or the method's name is one of the parts of its key (split at dots and blanks) or a word of
its value.
The call counts when that line was compared; a call no line names after it counts for nothing, whatever lines
follow it. The Linux probes record each function they call (trace.h, generated from the door's declarations)
and Wine's relay trace records the Windows side; an interface method, which no relay trace sees, is recorded by
the probe itself on both sides (PROBE_METHOD, probe.h), with the type it was called on, and named by the
interface that declares the method. Both sides note each output line as it is printed. A compared line is one
whose values agree, that wine-differences.txt does not list (a listed line is excused or checked against the
documentation, not compared) and that shows an answer: probe.h notes a line without arguments as constant, and
a line() of the probe's source whose arguments are all string literals prints a fixed text ("%s", "returned");
neither compares anything. A function that returns nothing is checked against the documentation only
(DOCUMENTATION_ONLY).

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
# Names whose lines Wine cannot stand for, so each of them is listed in wine-differences.txt and checked against
# Windows' documentation only (tests/conformance/README.md); reported apart from the compared count. Wine lacks
# the first ones (it answers E_NOTIMPL, ERROR_CALL_NOT_IMPLEMENTED or has no such class); the others answer
# nothing a line could compare, or Wine answers otherwise on every line.
DOCUMENTATION_ONLY = {
    "PowerGetActiveScheme": "Wine lacks it",
    "PowerSetActiveScheme": "Wine lacks it",
    "IDesktopWallpaper::SetWallpaper": "Wine lacks it",
    "IRegisteredTaskCollection::get_Count": "Wine lacks it",
    "IRegisteredTaskCollection::get_Item": "Wine lacks it",
    "SHChangeNotify": "it returns nothing",
    "CoTaskMemFree": "it returns nothing",
    "CoUninitialize": "it returns nothing",
    "SysFreeString": "it returns nothing",
    "IRegisteredTask::get_Xml": "Wine's answer lacks the task's action",
}
# Functions Wine's relay trace leaves out (its libraries mark them not to be traced): the Linux record of the
# call before a compared line stands for both sides.
# SetLastError is in Wine's default RelayExclude list.
UNTRACED = {"GetCurrentProcess", "SetLastError"}


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
    argument is noted first, as Wine's relay trace notes it), and notes before its arguments that it is entered,
    so that a call in an argument is known by its caller; a function reached through GetProcAddress notes
    itself."""
    _, functions, _ = read_interfaces(root)
    lines = ["// Generated by coverage.py --trace-header from the door's declarations; do not edit.",
             "#pragma once", "#include <cstdio>", "#include <utility>", '#include "linux/machine/calltrace.h"', "",
             "namespace probetrace {", "inline void called(const char *name)", "{",
             '    std::fprintf(stderr, "probe call: %s\\n", name);', "    std::fflush(stderr);", "}",
             "inline void entered(const char *name)", "{", '    std::fprintf(stderr, "probe enter: %s\\n", name);',
             "    std::fflush(stderr);", "}",
             "inline const bool recording = (calltrace::recorder = [](const char *name) { called(name); }, true);",
             "template <typename F> struct Traced", "{", "    const char *name;", "    F *function;",
             "    template <typename... A> decltype(auto) operator()(A &&...arguments) const", "    {",
             "        called(name);", "        return function(std::forward<A>(arguments)...);", "    }", "};",
             "template <typename F> Traced<F> traced(const char *name, F *function)", "{", "    entered(name);",
             "    return {name, function};", "}", "} // namespace probetrace", ""]
    for name in sorted(functions):
        lines.append(f"#define {name}(...) ::probetrace::traced(\"{name}\", &::{name})(__VA_ARGS__)")
    pathlib.Path(out).write_text("\n".join(lines) + "\n", encoding="utf-8")


RELAY = re.compile(r"^[0-9a-fA-F]+:Call (?:[\w.-]+)\.(\w+)\(")
MARK = re.compile(r"^probe (call|enter|method|line|constant line): (.*)$")


def trace_of(path, relay, interfaces):
    """(name, index of the next output line, the call it is an argument of or None) of each call, and whether
    each line is constant. A method is named by the interface that declares it (the probe notes the type it
    called it on). Wine's relay trace tells no caller."""
    calls, constant, index, entered = set(), [], 0, []
    for raw in pathlib.Path(path).read_text(encoding="utf-8", errors="surrogateescape").splitlines():
        raw = raw.rstrip("\r")
        m = RELAY.match(raw) if relay else None
        if m:
            calls.add((m.group(1), index, None))
            continue
        m = MARK.match(raw)
        if not m:
            continue
        kind, what = m.groups()
        if kind == "enter":
            entered.append(what)
        elif kind == "call":
            if entered and entered[-1] == what:
                entered.pop()
            if not relay:
                calls.add((what, index, entered[-1] if entered else None))
        elif kind == "method":
            interface, _, method = what.partition("::")
            calls.add((f"{declaring(interfaces, interface, method) or interface}::{method}", index, None))
        else:
            constant.append(kind == "constant line")
            index += 1
    return calls, constant


def names(line, name):
    """Whether a line names a call: the function's name, or the method's, is one of its key's parts (split at
    dots and blanks) or a word of its value ("get_Name 0x00000000")."""
    key, value = line
    short = name.rpartition("::")[2]
    return short in re.split(r"[.\s]+", key) or short in re.findall(r"\w+", value)


LINE_CALL = re.compile(r"(?<![\w.>])(?:probe::)?line\s*\(")
STRING_TEXT = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
LITERAL = re.compile(r'^(?:\s*(?:u8|u|U|L)?"(?:[^"\\\n]|\\.)*"\s*)+$')


def arguments(text, open_paren):
    """The top-level arguments of the call whose "(" is at open_paren (string literals and nesting known)."""
    parts, depth, start, i = [], 0, open_paren + 1, open_paren
    while i < len(text):
        c = text[i]
        if c in "\"'":
            j = i + 1
            while j < len(text) and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            i = j
        elif c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
            if depth == 0:
                parts.append(text[start:i])
                return parts
        elif c == "," and depth == 1:
            parts.append(text[start:i])
            start = i + 1
        i += 1
    return parts


def fixed_keys(text):
    """The keys of a probe's lines that print only fixed texts: a line() whose every argument after the format is
    a string literal shows no answer, though its format has a conversion ("%s", "returned")."""
    keys = set()
    for m in LINE_CALL.finditer(text):
        args = arguments(text, m.end() - 1)
        if len(args) > 2 and LITERAL.match(args[0]) and all(LITERAL.match(a) for a in args[2:]):
            keys.add(STRING_TEXT.search(args[0]).group(1))
    return keys


def compared_lines(run, entries, interfaces, fixed=frozenset()):
    """The key of each compared line of a probe's run, by index, and the calls they show: a call that ran on
    both sides is tied to the first line after it that names it or the call it is an argument of, and counts
    when that line was compared."""
    wine, ours = compare.read_lines(run / "wine.txt"), compare.read_lines(run / "stand-in.txt")
    linux_calls, constant = trace_of(run / "stand-in.log", False, interfaces)
    wine_calls, _ = trace_of(run / "wine.log", True, interfaces)
    lines, compared = [], {}
    for i, (w, o) in enumerate(zip(wine, ours)):
        if w[0] != o[0]:
            break
        lines.append(o)
        if w[1] == o[1] and i < len(constant) and not constant[i] and w[0] not in entries and w[0] not in fixed:
            compared[i] = w[0]
    wine_calls = {(n, i) for n, i, _ in wine_calls}
    shown = set()
    for name, i, caller in linux_calls:
        if (name, i) not in wine_calls and name not in UNTRACED:
            continue
        # A call in another's argument shows its answer through that call's line too.
        tied = next((j for j in range(i, len(lines))
                     if names(lines[j], name) or (caller and names(lines[j], caller))), None)
        if tied in compared:
            shown.add((name, tied))
    return compared, shown


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
        probes[p.stem] = text
    differences = read_differences(conformance / "wine-differences.txt")
    declarations = variable_declarations([b for _, b in product_blank], interfaces)

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

    # What each probe's run compared, and the calls that the compared lines show.
    ran, calls_run, missing_runs, line_count, compared_count = {}, set(), [], 0, 0
    for probe in probes:
        run = runs / probe
        if not all((run / f).is_file() for f in ("wine.txt", "stand-in.txt", "wine.log", "stand-in.log")):
            missing_runs.append(probe)
            continue
        compared, shown = compared_lines(run, differences.get(probe, set()), interfaces, fixed_keys(probes[probe]))
        line_count += len(compare.read_lines(run / "stand-in.txt"))
        compared_count += len(compared)
        for name, _ in shown:
            ran.setdefault(name, set()).add(probe[len("probe_"):])
        calls_run |= {n for n, _, _ in trace_of(run / "stand-in.log", False, interfaces)[0]}

    compared_names, lacking, failing, missing = [], [], [], []
    for name in sorted(called):
        by = sorted(ran.get(name, ()))
        if by:
            compared_names.append(name)
            state = ", ".join(by)
        elif name in DOCUMENTATION_ONLY:
            lacking.append(name)
            state = f"checked against the documentation only: {DOCUMENTATION_ONLY[name]}"
        elif name in calls_run:
            failing.append(name)
            state = "NOT COMPARED: no compared line that names it shows its call"
        else:
            missing.append(name)
            state = "NOT COMPARED: no probe ran it"
        if listing or not by:
            print(f"{name}: {state}")
    for u in unknown:
        print(u)
    for probe in missing_runs:
        print(f"{probe}: no run to read in {runs} (run the conformance probes first)")
    print(f"{len(probes) - len(missing_runs)} probe runs read, {line_count} lines, {compared_count} compared (values "
          f"alike, not listed, showing an answer)")
    print(f"{len(called)} Windows functions and methods called by the product; {len(compared_names)} compared "
          f"with Wine, {len(lacking)} checked against the documentation only, "
          f"{len(failing) + len(missing)} not compared")
    return 1 if failing or missing or unknown or missing_runs else 0


if __name__ == "__main__":
    sys.exit(main())
