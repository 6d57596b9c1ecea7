#!/usr/bin/env python3
"""Lists every Windows function and interface method the product calls, and the probes that call it.

The functions are those the Linux door declares (platform/linux/*/w32*.h); a name counts as called by the
product when a product source outside platform/, tests/ and bench/ calls it. Exits 1 when a called function has
no probe, or when --list is not given and the table is wanted only for the missing ones.
  coverage.py <source folder> [--list]
"""
import pathlib
import re
import sys

PRODUCT_DIRS = ["app", "automation", "catalogue", "core", "dialogs", "helper", "pages", "resources", "tools"]
DECL = re.compile(r"^(?!typedef|return|#|using|struct|class|enum|static_assert)[A-Za-z_][\w\s\*&:<>,]*?[\s\*&]"
                  r"(?:WINAPI\s+|NTAPI\s+|APIENTRY\s+|STDMETHODCALLTYPE\s+)?([A-Za-z_]\w*)\s*\(", re.M)
METHOD = re.compile(r"virtual\s[^;{(]*?\b([A-Za-z_]\w*)\s*\(")


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    return re.sub(r"//[^\n]*", "", text)


def sources(root, dirs, suffixes=(".cpp", ".h", ".c")):
    for d in dirs:
        for p in sorted((root / d).rglob("*")):
            if p.suffix in suffixes and p.is_file():
                yield p


def main():
    root = pathlib.Path(sys.argv[1])
    listing = "--list" in sys.argv
    functions, methods = set(), set()
    for header in sorted((root / "platform" / "linux").glob("*/w32*.h")):
        text = strip_comments(header.read_text(encoding="utf-8"))
        for m in METHOD.finditer(text):
            methods.add(m.group(1))
        for m in DECL.finditer(text):
            name = m.group(1)
            if name not in methods and not name.startswith("operator"):
                functions.add(name)
    # Counting and lifetime of interfaces are not behaviour worth a probe line of their own.
    methods -= {"QueryInterface", "AddRef", "Release"}

    product = "\n".join(strip_comments(p.read_text(encoding="utf-8", errors="replace"))
                        for p in sources(root, PRODUCT_DIRS))
    probe_files = sorted((root / "tests" / "conformance" / "probes").glob("probe_*.c*"))
    probes = {p.stem[len("probe_"):]: strip_comments(p.read_text(encoding="utf-8")) for p in probe_files}

    called = []
    for name in sorted(functions):
        if re.search(r"(?<![\w.>:])" + name + r"\s*\(", product):
            called.append((name, r"(?<![\w.>:])" + name + r"\s*\("))
    for name in sorted(methods):
        if re.search(r"->\s*" + name + r"\s*\(", product) and not any(n == name for n, _ in called):
            called.append((name, r"->\s*" + name + r"\s*\("))

    # Functions the product looks up by name at run time (GetProcAddress) count as called.
    for name in sorted(set(re.findall(r'GetProcAddress\s*\([^;]*?"(\w+)"', product))):
        if not any(n == name for n, _ in called):
            called.append((name, r"\b" + name + r"\b"))

    missing = []
    for name, pattern in called:
        by = [probe for probe, text in probes.items() if re.search(pattern, text)]
        if not by:
            missing.append(name)
        if listing or not by:
            print(f"{name}: {', '.join(by) if by else 'NO PROBE'}")
    print(f"{len(called)} Windows functions and methods called by the product; {len(called) - len(missing)} probed, "
          f"{len(missing)} not")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
