#!/usr/bin/env python3
"""Lists every Windows function and interface method the product calls, and the probes that compare it.

The functions are those the Linux door declares (platform/linux/*/w32*.h); a name counts as called by the
product when a product source outside platform/, tests/ and bench/ calls it. An interface method is keyed by the
interface that declares it (IStream's Read is ISequentialStream::Read, not IPropertyBag::Read): the interface of
`x->Method(` is the type x is declared with.

A name counts as compared only when a probe line that exercises it is compared with Wine: a line listed in
wine-differences.txt is not. A call's lines are found by its keys: the key texts of the statements from the call
up to the next output call in the same function, or, when those take their key from a parameter, the key texts
the function's callers pass.

Exits 1 when a called name is not compared, or a method call's interface cannot be told.
  coverage.py <source folder> [--list]
"""
import pathlib
import re
import sys

PRODUCT_DIRS = ["app", "automation", "catalogue", "core", "dialogs", "helper", "pages", "resources", "tools"]
DECL = re.compile(r"^(?!typedef|return|#|using|struct|class|enum|static_assert)[A-Za-z_][\w\s\*&:<>,]*?[\s\*&]"
                  r"(?:WINAPI\s+|NTAPI\s+|APIENTRY\s+|STDMETHODCALLTYPE\s+)?([A-Za-z_]\w*)\s*\(", re.M)
METHOD = re.compile(r"virtual\s[^;{(]*?\b([A-Za-z_]\w*)\s*\(")
INTERFACE = re.compile(r"\bclass\s+(I[A-Za-z_]\w*)\s*(?::\s*public\s+(\w+)\s*)?\{")
# The probes' output calls (probe.h), whose first argument is the line's key.
OUTPUT = re.compile(r"(?<![\w.>])(?:probe::)?(?:line|ok|result|status|hresult|text)\s*\(")
# A key text: a name, dotted parts and blanks, no format and no leading blank or slash.
KEY = re.compile(r"^[A-Za-z_.][\w .-]*$")
# Names Wine lacks (it answers E_NOTIMPL, ERROR_CALL_NOT_IMPLEMENTED or has no such class), so every line of
# them is excused: they are checked against Windows' documentation only (README, "Tests"), listed, not counted.
WINE_LACKS = {"PowerGetActiveScheme", "PowerSetActiveScheme", "IDesktopWallpaper::SetWallpaper",
              "IRegisteredTaskCollection::get_Count", "IRegisteredTaskCollection::get_Item",
              "IRegisteredTask::get_Name", "IRegisteredTask::get_State", "IRegisteredTask::get_Xml"}
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


def method_calls(text, interfaces, methods, declarations):
    """(key "Interface::Method" or None, position, variable) for each `x->Method(` of a known method in text.
    The variable's interface is its nearest declaration before the call in the same text, else its only
    declaration anywhere (a member declared in a header)."""
    names = "|".join(sorted(interfaces))
    local = [(d.start(), d.group(2), d.group(1))
             for d in re.finditer(r"\b(" + names + r")\s*\*+\s*(?:const\s+)?(\w+)\b", text)]
    calls = []
    for m in re.finditer(r"(\w+)\s*->\s*(\w+)\s*\(", text):
        variable, method = m.group(1), m.group(2)
        if method not in methods or method in ("QueryInterface", "AddRef", "Release"):
            continue
        found = None
        for at, name, interface in local:
            if at < m.start() and name == variable:
                found = interface
        if found is None and len(declarations.get(variable, ())) == 1:
            found = next(iter(declarations[variable]))
        owner = declaring(interfaces, found, method) if found else None
        calls.append((f"{owner}::{method}" if owner else None, m.start(), variable + "->" + method))
    return calls


def variable_declarations(texts, interfaces):
    names = "|".join(sorted(interfaces))
    found = {}
    for text in texts:
        for d in re.finditer(r"\b(" + names + r")\s*\*+\s*(?:const\s+)?(\w+)\b", text):
            found.setdefault(d.group(2), set()).add(d.group(1))
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


def main():
    root = pathlib.Path(sys.argv[1])
    listing = "--list" in sys.argv
    interfaces, functions, methods = read_interfaces(root)

    product_files = [(p, strip_comments(p.read_text(encoding="utf-8", errors="replace")))
                     for p in sources(root, PRODUCT_DIRS)]
    product_blank = [(p, strip_comments(t, keep_strings=False)) for p, t in product_files]
    conformance = root / "tests" / "conformance"
    probes = {}
    for p in sorted((conformance / "probes").glob("probe_*.c*")):
        text = strip_comments(p.read_text(encoding="utf-8"))
        probes[p.stem] = (text, strip_comments(text, keep_strings=False))
    differences = read_differences(conformance / "wine-differences.txt")
    declarations = variable_declarations([b for _, b in product_blank], interfaces)
    probe_declarations = variable_declarations([b for _, b in probes.values()], interfaces)

    called, unknown = {}, []
    product = "\n".join(b for _, b in product_blank)
    for name in sorted(functions):
        if re.search(r"(?<![\w.>:])" + name + r"\s*\(", product):
            called[name] = r"(?<![\w.>:])" + name + r"\s*\("
    for path, blank in product_blank:
        for key, position, what in method_calls(blank, interfaces, methods, declarations):
            if key is None:
                line = blank.count("\n", 0, position) + 1
                unknown.append(f"{path.relative_to(root)}:{line}: the interface of {what} cannot be told")
            else:
                called.setdefault(key, None)
    # Functions the product looks up by name at run time (GetProcAddress) count as called.
    kept = "\n".join(t for _, t in product_files)
    for name in sorted(set(re.findall(r'GetProcAddress\s*\([^;]*?"(\w+)"', kept))):
        called.setdefault(name, r"\b" + name + r"\b")

    # Where each probe calls each name: positions in its text.
    sites = {}
    for probe, (text, blank) in probes.items():
        for key, position, _ in method_calls(blank, interfaces, methods, probe_declarations):
            if key in called:
                sites.setdefault(key, []).append((probe, position))
        for name, pattern in called.items():
            if pattern is not None:
                search_in = text if pattern.startswith(r"\b") else blank
                for m in re.finditer(pattern, search_in):
                    sites.setdefault(name, []).append((probe, m.start()))

    missing, uncompared = [], []
    spans = {probe: functions_of(blank) for probe, (_, blank) in probes.items()}
    for name in sorted(called):
        # A name whose result no probe prints is compared through what it does to the lines after it.
        by, compared, silent, listed = [], False, False, False
        for probe, position in sites.get(name, []):
            text, blank = probes[probe]
            keys = call_keys(text, blank, position, spans[probe])
            # A call whose keys cannot be found counts as compared: only a listed key takes it out.
            if keys is None:
                silent = True
            elif not keys or any(not excused(k, differences.get(probe, set())) for k in keys):
                compared = True
            else:
                listed = True
            if probe[len("probe_"):] not in by:
                by.append(probe[len("probe_"):])
        if not by:
            missing.append(name)
        elif not compared and listed:
            uncompared.append(name)
        compared = compared or not listed
        if listing or not by or not compared:
            state = "NO PROBE" if not by else ", ".join(by)
            if by and not compared:
                state += " (not compared: Wine lacks it)" if name in WINE_LACKS else " (NOT COMPARED: every line excused)"
            print(f"{name}: {state}")
    for u in unknown:
        print(u)
    lacking = [n for n in uncompared if n in WINE_LACKS]
    failing = [n for n in uncompared if n not in WINE_LACKS]
    print(f"{len(called)} Windows functions and methods called by the product; "
          f"{len(called) - len(missing) - len(uncompared)} compared with Wine, {len(lacking)} probed but not "
          f"compared as Wine lacks them, {len(failing)} probed but never compared, {len(missing)} not probed")
    return 1 if missing or failing or unknown else 0


if __name__ == "__main__":
    sys.exit(main())
