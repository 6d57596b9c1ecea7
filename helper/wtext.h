// Small helpers for fixed-size wide-character buffers and the registry values the helper reads and writes.
// Buffers are always left terminated; a text that does not fit is reported, never written past the end.
#pragma once

#include "win32.h"

int textLength(const WCHAR *text);
// Copies src into dst (capacity in characters); false when it had to be cut.
bool copyText(WCHAR *dst, int capacity, const WCHAR *src);
// Appends src to dst; false (dst unchanged) when the result would not fit.
bool appendText(WCHAR *dst, int capacity, const WCHAR *src);
bool sameText(const WCHAR *a, const WCHAR *b);
// Comparison that ignores the case of ASCII letters (enough for "." and ".." and our own names).
bool sameTextNoCase(const WCHAR *a, const WCHAR *b);
bool startsWith(const WCHAR *text, const WCHAR *prefix);

// A number as the C runtime's _wtoi reads it: leading blanks, an optional sign, digits; no digits gives 0,
// and values out of range saturate.
int parseInteger(const WCHAR *text);
// A decimal number with "." as decimal point and an optional exponent, blanks around it allowed; false when
// the text holds anything else. Independent of the process locale.
bool parseDecimal(const WCHAR *text, double *value);

// HKEY_CURRENT_USER values. The reads leave *value untouched on failure.
bool readDword(const WCHAR *subKey, const WCHAR *name, DWORD *value);
bool readText(const WCHAR *subKey, const WCHAR *name, WCHAR *buffer, DWORD capacity);
// Opens (creating when missing) the key for writing and sets a REG_DWORD.
bool writeDword(const WCHAR *subKey, const WCHAR *name, DWORD value);
