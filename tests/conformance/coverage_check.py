#!/usr/bin/env python3
"""Checks that coverage.py finds what a probe leaves out (run by ctest): each case is a small source tree with a
stand-in header, a product source, a probe and a differences list; coverage.py must pass or fail on it."""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

HEADER = """
BOOL WINAPI GetFileSizeEx(HANDLE hFile, LARGE_INTEGER *size);
HANDLE WINAPI OpenUrl(LPCWSTR url);
class ISequentialStream : public IUnknown
{
public:
    virtual HRESULT STDMETHODCALLTYPE Read(void *pv, ULONG cb, ULONG *pcbRead) = 0;
};
class IStream : public ISequentialStream
{
public:
    virtual HRESULT STDMETHODCALLTYPE Seek(LONG to) = 0;
};
class IPropertyBag : public IUnknown
{
public:
    virtual HRESULT STDMETHODCALLTYPE Read(LPCWSTR name, VARIANT *value, void *log) = 0;
};
"""

PRODUCT = """
void readBoth(IStream *stream, IPropertyBag *bag)
{
    char buffer[4];
    stream->Read(buffer, 4, nullptr);
    bag->Read(L"CLSID", nullptr, nullptr);
}
void size() { HANDLE h = OpenUrl(L"https://example.com/a"); LARGE_INTEGER n; GetFileSizeEx(h, &n); }
"""

PROBE_ALL = """
void bag(IPropertyBag *bag) { line("IPropertyBag.Read", "%d", int(bag->Read(L"x", nullptr, nullptr))); }
void stream(IStream *s) { char b[4]; ULONG got = 0; s->Read(b, 4, &got); line("IStream.Read", "%lu", got); }
void url() { ok("OpenUrl", OpenUrl(L"http://127.0.0.1/") != nullptr); }
void size(HANDLE h) { LARGE_INTEGER n; ok("GetFileSizeEx", GetFileSizeEx(h, &n)); }
"""

# The stream's Read left out: the property bag's Read must not stand for it.
PROBE_NO_STREAM = PROBE_ALL.replace("void stream(", "void unused(").replace("s->Read(b, 4, &got);", "")
# The size call only after a URL string on the same line (the "//" in it is no comment).
PROBE_SIZE_AFTER_URL = PROBE_ALL.replace(
    'void size(HANDLE h) { LARGE_INTEGER n; ok("GetFileSizeEx", GetFileSizeEx(h, &n)); }', "")
EXCUSED = "probe_x | GetFileSizeEx | failed error 1 | ok | Windows gives the size (documented)\n"
EXCUSED_OTHER = "probe_x | OpenUrl | failed error 1 | ok | Windows opens it (documented)\n"

# (case, product source, probe source, differences list, expected exit status)
CASES = [
    ("every call compared", PRODUCT, PROBE_ALL, "", 0),
    ("the stream's Read unprobed", PRODUCT, PROBE_NO_STREAM, "", 1),
    ("a call after a URL string unprobed", PRODUCT, PROBE_SIZE_AFTER_URL, "", 1),
    ("a name with only excused lines", PRODUCT, PROBE_ALL, EXCUSED, 1),
    ("another name's excused line", PRODUCT, PROBE_ALL, EXCUSED_OTHER, 1),
    ("an excused line beside a compared one", PRODUCT,
     PROBE_ALL + 'void again(HANDLE h) { LARGE_INTEGER n; ok("GetFileSizeEx.again", GetFileSizeEx(h, &n)); }\n',
     EXCUSED, 0),
]


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def main():
    failures = 0
    for name, product, probe, listed, expected in CASES:
        with tempfile.TemporaryDirectory() as root:
            write(os.path.join(root, "platform", "linux", "x", "w32x.h"), HEADER)
            write(os.path.join(root, "core", "a.cpp"), product)
            write(os.path.join(root, "tests", "conformance", "probes", "probe_x.cpp"), probe)
            write(os.path.join(root, "tests", "conformance", "wine-differences.txt"), listed)
            run = subprocess.run([sys.executable, os.path.join(HERE, "coverage.py"), root], capture_output=True,
                                 text=True)
            if run.returncode != expected:
                failures += 1
                print(f"FAIL {name}: exit {run.returncode}, expected {expected}\n{run.stdout}{run.stderr}")
    print(f"{len(CASES) - failures} of {len(CASES)} cases as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
