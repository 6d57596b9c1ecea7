#!/usr/bin/env python3
"""Checks that coverage.py finds what a probe leaves out (run by ctest). Each case is a small source tree: a door
header, a product source (compiled, so that coverage.py reads what its object leaves to the linker), a probe
(compiled with the call record coverage.py generates and run, once as the Linux build and once as the Windows
build, whose record becomes a relay trace) and a differences list; coverage.py must pass or fail on it."""
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
PLATFORM = os.path.join(HERE, "..", "..", "platform")

HEADER = """#pragma once
typedef int BOOL;
typedef void *HANDLE;
typedef long HRESULT;
typedef unsigned long ULONG;
typedef unsigned long DWORD;
typedef char16_t WCHAR;
typedef const WCHAR *LPCWSTR;
typedef WCHAR *LPWSTR;
typedef union { long long QuadPart; } LARGE_INTEGER;
#define WINAPI
#define STDMETHODCALLTYPE
#define MAX_PATH 260
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define WSTR(s) u##s
BOOL WINAPI GetFileSizeEx(HANDLE hFile, LARGE_INTEGER *size);
HANDLE WINAPI OpenUrl(LPCWSTR url);
BOOL WINAPI CloseIt(HANDLE h);
DWORD WINAPI GetLastError();
DWORD WINAPI GetTempPathW(DWORD n, LPWSTR buffer);
BOOL WINAPI CreateDirectoryW(LPCWSTR path, void *security);
DWORD WINAPI GetFileAttributesW(LPCWSTR path);
class IUnknown
{
public:
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
};
class ISequentialStream : public IUnknown
{
public:
    virtual HRESULT STDMETHODCALLTYPE Read(void *pv, ULONG cb, ULONG *pcbRead) = 0;
};
class IStream : public ISequentialStream
{
public:
    virtual HRESULT STDMETHODCALLTYPE Seek(long to) = 0;
};
class IPropertyBag : public IUnknown
{
public:
    virtual HRESULT STDMETHODCALLTYPE Read(LPCWSTR name, void *value, void *log) = 0;
};
HRESULT WINAPI OpenStreamOn(IStream **stream);
HRESULT WINAPI OpenBag(IPropertyBag **bag);
"""

# The door (platform/win32.h of the small tree): the header, and a helper of its own that calls the door.
DOOR = """#pragma once
#include "linux/x/w32x.h"
inline bool machineUsable() { return true; }
inline BOOL closeQuietly(HANDLE h) { return CloseIt(h); }
"""

# What the probes run against: every call answers, the same on both "sides".
STAND_IN = r"""
#include "win32.h"
struct Stream : IStream {
    ULONG Release() override { return 0; }
    HRESULT Read(void *, ULONG cb, ULONG *got) override { if (got) *got = cb; return 0; }
    HRESULT Seek(long) override { return 0; }
} stream;
struct Bag : IPropertyBag {
    ULONG Release() override { return 0; }
    HRESULT Read(LPCWSTR, void *, void *) override { return 0; }
} bag;
BOOL GetFileSizeEx(HANDLE, LARGE_INTEGER *size) { size->QuadPart = 4; return 1; }
HANDLE OpenUrl(LPCWSTR) { return &stream; }
BOOL CloseIt(HANDLE) { return 1; }
DWORD GetLastError() { return 0; }
DWORD GetTempPathW(DWORD, LPWSTR buffer) { buffer[0] = u'/'; buffer[1] = u't'; buffer[2] = u'/'; buffer[3] = 0; return 3; }
BOOL CreateDirectoryW(LPCWSTR, void *) { return 1; }
DWORD GetFileAttributesW(LPCWSTR) { return 16; }
HRESULT OpenStreamOn(IStream **out) { *out = &stream; return 0; }
HRESULT OpenBag(IPropertyBag **out) { *out = &bag; return 0; }
"""

PRODUCT = """#include "win32.h"
void readBoth(IStream *stream, IPropertyBag *bag)
{
    char buffer[4];
    stream->Read(buffer, 4, nullptr);
    bag->Read(u"CLSID", nullptr, nullptr);
}
void size() { HANDLE h = OpenUrl(u"https://example.com/a"); LARGE_INTEGER n; GetFileSizeEx(h, &n); }
void open() { IStream *s = nullptr; OpenStreamOn(&s); IPropertyBag *b = nullptr; OpenBag(&b); }
"""

PROBE = """#include "probe.h"
using namespace probe;
void bag(IPropertyBag *bag)
{
    line("IPropertyBag.Read", "%d", int(PROBE_METHOD(bag, Read)(u"x", nullptr, nullptr)));
}
void stream(IStream *s)
{
    char b[4];
    ULONG got = 0;
    PROBE_METHOD(s, Read)(b, 4, &got);
    line("IStream.Read", "%lu", got);
}
HANDLE url() { HANDLE h = OpenUrl(u"http://127.0.0.1/"); ok("OpenUrl", h != nullptr); return h; }
void size(HANDLE h) { LARGE_INTEGER n; ok("GetFileSizeEx", GetFileSizeEx(h, &n)); }
int main()
{
    IStream *s = nullptr;
    IPropertyBag *b = nullptr;
    hresult("OpenStreamOn", OpenStreamOn(&s));
    hresult("OpenBag", OpenBag(&b));
    bag(b);
    stream(s);
    size(url());
    /*MORE*/
    return 0;
}
"""


def probe_with(more):
    return PROBE.replace("/*MORE*/", more)


def product_with(more):
    return PRODUCT + more + "\n"


CLOSE = 'ok("CloseIt", CloseIt(url()));'
EXCUSED = "probe_x | GetFileSizeEx | failed error 1 | ok | Windows gives the size (documented)\n"
EXCUSED_OTHER = "probe_x | OpenUrl | failed error 1 | ok | Windows opens it (documented)\n"
EXCUSED_CLOSE = "probe_x | CloseIt | failed error 1 | ok | Windows closes it (documented)\n"
# Wine's answer where a listed line differs.
WINE_FAILS = {"GetFileSizeEx": "failed error 1", "OpenUrl": "failed error 1", "CloseIt": "failed error 1"}

# (case, product source, probe source, differences list, lines where Wine answers otherwise, expected status)
CASES = [
    ("every call compared", PRODUCT, PROBE, "", {}, 0),
    ("the stream's Read unprobed", PRODUCT,
     PROBE.replace("PROBE_METHOD(s, Read)(b, 4, &got);", ""), "", {}, 1),
    ("a name with only excused lines", PRODUCT, PROBE, EXCUSED, WINE_FAILS, 1),
    ("another name's excused line", PRODUCT, PROBE, EXCUSED_OTHER, WINE_FAILS, 1),
    ("an excused line beside a compared one", PRODUCT,
     probe_with('{ LARGE_INTEGER n; ok("GetFileSizeEx.again", GetFileSizeEx(url(), &n)); }'), EXCUSED,
     {"GetFileSizeEx": WINE_FAILS["GetFileSizeEx"]}, 0),
    ("a call compared", product_with("void c(HANDLE h) { CloseIt(h); }"), probe_with(CLOSE), "", {}, 0),
    # The product's calls that no text scan finds; the linker sees each. No probe calls CloseIt.
    ("a call through a function pointer", product_with("void c(HANDLE h) { auto f = &CloseIt; f(h); }"), PROBE, "",
     {}, 1),
    ("a call through a macro", product_with("#define SHUT CloseIt\nvoid c(HANDLE h) { SHUT (h); }"), PROBE, "", {},
     1),
    ("a call as ::Name", product_with("void c(HANDLE h) { ::CloseIt(h); }"), PROBE, "", {}, 1),
    ("a call through std::invoke",
     "#include <functional>\n" + product_with("void c(HANDLE h) { std::invoke(CloseIt, h); }"), PROBE, "", {}, 1),
    ("a call through a cast",
     product_with("void c(HANDLE h) { reinterpret_cast<BOOL (*)(HANDLE)>(&CloseIt)(h); }"), PROBE, "", {}, 1),
    ("a call through a helper of the door", product_with("void c(HANDLE h) { closeQuietly(h); }"), PROBE, "", {}, 1),
    # Interface methods no probe calls (IStream::Seek), reached in ways a plain `x->` scan misses.
    ("a method through (*pp)->", product_with("void c(IStream **pp) { (*pp)->Seek(0); }"), PROBE, "", {}, 1),
    ("a method through a reference", product_with("void c(IStream &ref) { ref.Seek(0); }"), PROBE, "", {}, 1),
    ("a method of an array element",
     product_with("void c() { IStream *streams[1] = {}; OpenStreamOn(&streams[0]); streams[0]->Seek(0); }"), PROBE,
     "", {}, 1),
    ("a stream's Read on an auto variable",
     product_with("void c(IPropertyBag *item) { item->Read(u\"x\", nullptr, nullptr); }\n"
                  "IStream *opened() { IStream *s = nullptr; OpenStreamOn(&s); return s; }\n"
                  "void d() { auto item = opened(); char b[2]; item->Read(b, 2, nullptr); }"),
     PROBE.replace("PROBE_METHOD(s, Read)(b, 4, &got);", ""), "", {}, 1),
    # Probe calls that compare nothing; the product calls CloseIt.
    ("a call with no output after it", product_with("void c(HANDLE h) { CloseIt(h); }"),
     probe_with("CloseIt(url());"), "", {}, 1),
    ("a call under if (false)", product_with("void c(HANDLE h) { CloseIt(h); }"),
     probe_with("if (false) " + CLOSE + ' line("after", "%d", 1);'), "", {}, 1),
    ("a call under #if 0", product_with("void c(HANDLE h) { CloseIt(h); }"),
     probe_with("#if 0\n" + CLOSE + "\n#endif\n"), "", {}, 1),
    ("a call on the Windows side only", product_with("void c(HANDLE h) { CloseIt(h); }"),
     probe_with("#ifdef WINDOWS_SIDE\n" + CLOSE + '\n#else\nok("CloseIt", 1);\n#endif\n'), "", {}, 1),
    ("a call followed by a constant line", product_with("void c(HANDLE h) { CloseIt(h); }"),
     probe_with('CloseIt(url()); line("CloseIt", "returned");'), "", {}, 1),
    # A compared line counts only for the calls its key names, and only where it shows a value.
    ("a call followed by an unrelated compared line", product_with("void c(HANDLE h) { CloseIt(h); }"),
     probe_with('CloseIt(url()); line("after", "%d", 1);'), "", {}, 1),
    ("a call whose line follows another", product_with("void c(HANDLE h) { CloseIt(h); }"),
     probe_with('BOOL closed = CloseIt(url()); line("after", "%d", 1); ok("CloseIt", closed);'), "", {}, 0),
    ("a call in another's argument, shown by that call's line", product_with("void c(HANDLE h) { CloseIt(h); }"),
     probe_with('{ LARGE_INTEGER n; HANDLE none = nullptr;\n'
                'ok("GetFileSizeEx.closed", GetFileSizeEx(CloseIt(url()) ? none : none, &n)); }'),
     "", {}, 0),
    ("a fixed text through %s", product_with("void c(HANDLE h) { CloseIt(h); }"),
     probe_with('CloseIt(url()); line("CloseIt", "%s", "returned");'), "", {}, 1),
    ("a fixed text beside another", product_with("void c(HANDLE h) { CloseIt(h); }"),
     probe_with('CloseIt(url()); line("CloseIt", "%s %s", "returned", "twice");'), "", {}, 1),
    # Interface methods count from the run's record of them, not from the probe's text (IStream::Seek).
    ("a method compared", product_with("void c(IStream *s) { s->Seek(0); }"),
     probe_with('hresult("IStream.Seek", PROBE_METHOD(s, Seek)(0));'), "", {}, 0),
    ("a method under #if 0", product_with("void c(IStream *s) { s->Seek(0); }"),
     probe_with('#if 0\nhresult("IStream.Seek", PROBE_METHOD(s, Seek)(0));\ns->Seek(0);\n#endif\n'
                'line("IStream.Seek", "%d", 0);'), "", {}, 1),
    ("a method under if (false)", product_with("void c(IStream *s) { s->Seek(0); }"),
     probe_with('if (false) { PROBE_METHOD(s, Seek)(0); s->Seek(0); }\nline("IStream.Seek", "%d", 0);'), "", {}, 1),
    ("a method called without the record", product_with("void c(IStream *s) { s->Seek(0); }"),
     probe_with('hresult("IStream.Seek", s->Seek(0));'), "", {}, 1),
    # Holder::thing is a property bag, though the parameter before its use is a stream: the bag's Read is not
    # the stream's (ISequentialStream::Read).
    ("a member named like an earlier parameter", PRODUCT,
     PROBE.replace("PROBE_METHOD(s, Read)(b, 4, &got);", "").replace(
         "int main()", 'struct Holder { IPropertyBag *thing; void go(); };\n'
         'void take(IStream *thing) { (void)thing; }\n'
         'void Holder::go() { line("IStream.Read", "%d", int(PROBE_METHOD(thing, Read)(u"x", nullptr, nullptr))); }\n'
         'int main()').replace("/*MORE*/", "Holder{b}.go();"), "", {}, 1),
    ("a call with a run-time key, its line excused", product_with("void c(HANDLE h) { CloseIt(h); }"),
     probe_with('char key[16]; snprintf(key, sizeof key, "%s", "CloseIt"); ok(key, CloseIt(url()));'), EXCUSED_CLOSE,
     WINE_FAILS, 1),
]
# A probe source CMake does not build (probe_*.cpp only) compares nothing.
C_PROBE = ('#include "probe.h"\nint main() { probe::ok("CloseIt", CloseIt(nullptr)); return 0; }\n')
CASES.append(("a call in a probe_*.c that is never built", product_with("void c(HANDLE h) { CloseIt(h); }"), PROBE,
              "", {}, 1))


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def compile_and_run(root, side, extra):
    """Builds the probe against the small door with the call record and runs it; (stdout, stderr)."""
    exe = os.path.join(root, "build", side)
    cmd = ["g++", "-std=c++17", "-w", "-DHUSHDECK_TRACE_CALLS", "-I", os.path.join(root, "platform"),
           "-I", PLATFORM, "-I", os.path.join(root, "build"), "-I", os.path.join(HERE), *extra,
           os.path.join(root, "tests", "conformance", "probes", "probe_x.cpp"), os.path.join(root, "standin.cpp"),
           "-o", exe]
    subprocess.run(cmd, check=True)
    run = subprocess.run([exe], capture_output=True, text=True)
    return run.stdout, run.stderr


def make_tree(root, product, probe, listed, wine_answers):
    write(os.path.join(root, "platform", "linux", "x", "w32x.h"), HEADER)
    write(os.path.join(root, "platform", "win32.h"), DOOR)
    write(os.path.join(root, "standin.cpp"), STAND_IN)
    write(os.path.join(root, "core", "a.cpp"), product)
    write(os.path.join(root, "tests", "conformance", "probes", "probe_x.cpp"), probe)
    write(os.path.join(root, "tests", "conformance", "probes", "probe_y.c"), C_PROBE)
    write(os.path.join(root, "tests", "conformance", "wine-differences.txt"), listed)
    obj = os.path.join(root, "build", "a.o")
    os.makedirs(os.path.dirname(obj), exist_ok=True)
    subprocess.run(["g++", "-std=c++17", "-w", "-c", "-I", os.path.join(root, "platform"),
                    os.path.join(root, "core", "a.cpp"), "-o", obj], check=True)
    write(os.path.join(root, "build", "objects.txt"), obj + "\n")
    subprocess.run([sys.executable, os.path.join(HERE, "coverage.py"), "--trace-header", root,
                    os.path.join(root, "build", "trace.h")], check=True)
    run = os.path.join(root, "work", "probe_x")
    ours, ours_log = compile_and_run(root, "linux", [])
    wine, wine_log = compile_and_run(root, "windows", ["-DWINDOWS_SIDE"])
    # Wine's relay trace names the library with each call it records.
    wine_log = re.sub(r"^probe call: (\w+)$", r"0024:Call KERNEL32.\1() ret=140001000", wine_log, flags=re.M)
    wine = "".join(f"{k}: {wine_answers[k]}\n" if k in wine_answers else l + "\n"
                   for l in wine.splitlines() for k in [l.partition(": ")[0]])
    for name, text in (("stand-in.txt", ours), ("stand-in.log", ours_log), ("wine.txt", wine),
                       ("wine.log", wine_log)):
        write(os.path.join(run, name), text)


def main():
    failures = 0
    for name, product, probe, listed, wine_answers, expected in CASES:
        with tempfile.TemporaryDirectory() as root:
            make_tree(root, product, probe, listed, wine_answers)
            run = subprocess.run([sys.executable, os.path.join(HERE, "coverage.py"), root,
                                  os.path.join(root, "build", "objects.txt"), os.path.join(root, "work")],
                                 capture_output=True, text=True)
            if run.returncode != expected:
                failures += 1
                print(f"FAIL {name}: exit {run.returncode}, expected {expected}\n{run.stdout}{run.stderr}")
    print(f"{len(CASES) - failures} of {len(CASES)} cases as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
