#include "wtext.h"

#include <climits>
#include <cmath>

int textLength(const WCHAR *text)
{
    int n = 0;
    if (text)
        while (text[n])
            ++n;
    return n;
}

bool copyText(WCHAR *dst, int capacity, const WCHAR *src)
{
    if (!dst || capacity <= 0)
        return false;
    int i = 0;
    for (; src && src[i] && i < capacity - 1; ++i)
        dst[i] = src[i];
    dst[i] = 0;
    return !src || src[i] == 0;
}

bool appendText(WCHAR *dst, int capacity, const WCHAR *src)
{
    const int have = textLength(dst);
    const int add = textLength(src);
    if (have + add >= capacity)
        return false;
    for (int i = 0; i < add; ++i)
        dst[have + i] = src[i];
    dst[have + add] = 0;
    return true;
}

bool sameText(const WCHAR *a, const WCHAR *b)
{
    if (!a || !b)
        return a == b;
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

static WCHAR lowerAscii(WCHAR c)
{
    return (c >= 'A' && c <= 'Z') ? WCHAR(c - 'A' + 'a') : c;
}

bool sameTextNoCase(const WCHAR *a, const WCHAR *b)
{
    if (!a || !b)
        return a == b;
    while (*a && lowerAscii(*a) == lowerAscii(*b)) {
        ++a;
        ++b;
    }
    return lowerAscii(*a) == lowerAscii(*b);
}

bool startsWith(const WCHAR *text, const WCHAR *prefix)
{
    if (!text || !prefix)
        return false;
    while (*prefix) {
        if (*text != *prefix)
            return false;
        ++text;
        ++prefix;
    }
    return true;
}

static bool isBlank(WCHAR c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Steps over leading blanks and an optional sign; true for a minus.
static bool skipBlanksAndSign(const WCHAR *&text)
{
    while (isBlank(*text))
        ++text;
    const bool negative = *text == '-';
    if (*text == '+' || *text == '-')
        ++text;
    return negative;
}

int parseInteger(const WCHAR *text)
{
    if (!text)
        return 0;
    const bool negative = skipBlanksAndSign(text);
    long long value = 0;
    while (*text >= '0' && *text <= '9') {
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
        ++text;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

bool parseDecimal(const WCHAR *text, double *value)
{
    if (!text)
        return false;
    const bool negative = skipBlanksAndSign(text);
    double mantissa = 0;
    int scale = 0; // power of ten to apply to the mantissa
    int digits = 0;
    while (*text >= '0' && *text <= '9') {
        mantissa = mantissa * 10 + (*text - '0');
        ++digits;
        ++text;
    }
    if (*text == '.') {
        ++text;
        while (*text >= '0' && *text <= '9') {
            mantissa = mantissa * 10 + (*text - '0');
            --scale;
            ++digits;
            ++text;
        }
    }
    if (digits == 0)
        return false;
    if (*text == 'e' || *text == 'E') {
        ++text;
        bool expNegative = false;
        if (*text == '+' || *text == '-') {
            expNegative = *text == '-';
            ++text;
        }
        if (!(*text >= '0' && *text <= '9'))
            return false;
        int exponent = 0;
        while (*text >= '0' && *text <= '9') {
            if (exponent < 10000)
                exponent = exponent * 10 + (*text - '0');
            ++text;
        }
        scale += expNegative ? -exponent : exponent;
    }
    while (isBlank(*text))
        ++text;
    if (*text)
        return false;
    double result = scale < 0 ? mantissa / std::pow(10.0, -scale) : mantissa * std::pow(10.0, scale);
    if (!std::isfinite(result))
        return false;
    *value = negative ? -result : result;
    return true;
}

bool readDword(const WCHAR *subKey, const WCHAR *name, DWORD *value)
{
    DWORD data = 0;
    DWORD size = sizeof(data);
    // A REG_DWORD of another size than four bytes holds no number: it counts as absent, not as 0.
    if (RegGetValueW(HKEY_CURRENT_USER, subKey, name, RRF_RT_REG_DWORD, nullptr, &data, &size) != ERROR_SUCCESS ||
        size != sizeof(data))
        return false;
    *value = data;
    return true;
}

bool readText(const WCHAR *subKey, const WCHAR *name, WCHAR *buffer, DWORD capacity)
{
    if (!buffer || capacity == 0)
        return false;
    DWORD size = capacity * sizeof(WCHAR);
    if (RegGetValueW(HKEY_CURRENT_USER, subKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) {
        buffer[0] = 0;
        return false;
    }
    buffer[capacity - 1] = 0;
    return true;
}

bool writeDword(const WCHAR *subKey, const WCHAR *name, DWORD value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG rc = RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof(value));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}
