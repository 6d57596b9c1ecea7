// What every conformance probe shares: one plain line per result, the same on Windows and on the stand-in.
// A probe is a plain Win32 program; it prints "key: value" lines to stdout, and the two runs of the same source
// (Windows build under Wine, Linux build against the stand-in) are compared line by line. Print only what does
// not depend on the host: no handles, addresses, process ids, absolute paths or times, unless made relative or
// reduced to what the product relies on (e.g. "nonzero", "same", a path with the scratch folder cut off).
#pragma once

#ifndef HUSHDECK_PLAIN_WIN32
#define HUSHDECK_PLAIN_WIN32
#endif
#include "win32.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <typeinfo>

// The Linux build records each Windows function it calls (coverage.py reads the record; Wine's relay trace is
// the Windows build's): after every declaration, so that each call by name goes through it.
#ifdef HUSHDECK_TRACE_CALLS
#include "trace.h"
#endif

namespace probe {

// UTF-8 of a UTF-16 text of n code units (n < 0: up to the NUL); unpaired surrogates become U+FFFD.
inline std::string utf8(const WCHAR *s, long n = -1)
{
    std::string out;
    if (!s)
        return "(null)";
    for (long i = 0; n < 0 ? s[i] != 0 : i < n; ++i) {
        unsigned c = static_cast<unsigned>(s[i]);
        if (c >= 0xD800 && c < 0xDC00 && (n < 0 || i + 1 < n) && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<unsigned>(s[++i]) - 0xDC00);
        else if (c >= 0xD800 && c < 0xE000)
            c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

namespace detail {

// Prints one line and notes it on stderr, where the record of the calls before it is (see trace.h); a constant
// line (one that shows no answer) is noted as such, and compares nothing.
inline void emit(const char *key, bool constant, const char *format, ...)
{
    fprintf(stderr, "probe %s: %s\n", constant ? "constant line" : "line", key);
    fflush(stderr);
    char buf[4096];
    va_list args;
    va_start(args, format);
    vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    std::string value;
    for (const char *p = buf; *p; ++p) {
        if (static_cast<unsigned char>(*p) < 0x20) {
            char esc[8];
            snprintf(esc, sizeof esc, "\\x%02X", static_cast<unsigned char>(*p));
            value += esc;
        } else {
            value += *p;
        }
    }
    printf("%s: %s\n", key, value.c_str());
    fflush(stdout);
}

// The interface's name as the compiler spells the type (both builds mangle a class at namespace scope as
// <length><name>).
template <typename T> std::string interfaceName()
{
    const char *mangled = typeid(T).name();
    char *rest = nullptr;
    const unsigned long length = strtoul(mangled, &rest, 10);
    if (rest != mangled && length == strlen(rest))
        return rest;
    return mangled;
}

} // namespace detail

// One result line: "key: value". Control characters in the value are shown as \xNN so a line stays a line.
// A line shows an answer only through its arguments: one without any is constant and compares nothing, and so
// does one whose arguments are all fixed texts (coverage.py finds those in the probe's source).
template <typename... A> void line(const char *key, const char *format, A &&...arguments)
{
    detail::emit(key, sizeof...(A) == 0, format, arguments...);
}

// An interface method call the run records, as trace.h records a function (no relay trace sees a method):
// PROBE_METHOD(object, Method)(arguments) calls object->Method(arguments) and first notes
// "probe method: Interface::Method" on stderr, the interface being the type object points to.
template <typename T> T *method(T *object, const char *name)
{
    fprintf(stderr, "probe method: %s::%s\n", detail::interfaceName<T>().c_str(), name);
    fflush(stderr);
    return object;
}
#define PROBE_METHOD(object, name) (::probe::method((object), #name))->name

// The last line of every probe, printed when all its lines are: an output without it as its last line stopped
// early, and fails the comparison (compare.py). A probe's main ends with "return probe::end();".
inline int end()
{
    detail::emit("end", true, "%s", "every line printed");
    return 0;
}

// A call's outcome the way the product reads it: the returned value, and the last error where it failed.
inline void result(const char *key, long long returned, bool failed)
{
    if (failed)
        line(key, "%lld error %lu", returned, static_cast<unsigned long>(GetLastError()));
    else
        line(key, "%lld", returned);
}

// A BOOL call: "ok" or "failed error N".
inline void ok(const char *key, BOOL returned)
{
    if (returned)
        detail::emit(key, false, "ok"); // a value: what the call answered
    else
        line(key, "failed error %lu", static_cast<unsigned long>(GetLastError()));
}

// A registry-style status (LSTATUS, or any call returning a Windows error code).
inline void status(const char *key, long code)
{
    line(key, "status %ld", code);
}

// HRESULT is 32 bits everywhere; unsigned long is 64 bits on Linux, so the value goes through 32 bits unsigned.
inline void hresult(const char *key, HRESULT hr)
{
    line(key, "hr 0x%08X", static_cast<unsigned>(static_cast<uint32_t>(hr)));
}

// A wide text as UTF-8.
inline void text(const char *key, const WCHAR *s, long n = -1)
{
    line(key, "\"%s\"", utf8(s, n).c_str());
}

// A scratch folder of the probe's own (created empty under the temp folder), with a trailing backslash;
// the probe removes what it made. Exits when it cannot be made.
inline std::basic_string<WCHAR> scratch(const WCHAR *name)
{
    WCHAR temp[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH) {
        line("scratch", "GetTempPathW failed");
        exit(2);
    }
    std::basic_string<WCHAR> dir(temp, n);
    dir += name;
    CreateDirectoryW(dir.c_str(), nullptr);
    if (GetFileAttributesW(dir.c_str()) == INVALID_FILE_ATTRIBUTES) {
        line("scratch", "cannot make the scratch folder");
        exit(2);
    }
    return dir + WSTR("\\");
}

// Both programs ask this first; the probes do the same (the stand-in opens its machine here).
inline void start()
{
    if (!machineUsable()) {
        line("machine", "unusable");
        exit(2);
    }
}

} // namespace probe
