// Attribute value readers.
#include "uilib/geometry.h"

#include <cwchar>
#include <cwctype>

namespace uilib {
namespace {

// strtol-like: skips blanks, optional sign, digits; stops at the first other
// character. Wraps at 32 bits instead of failing on long input.
int ReadInt(const wchar_t*& p, int base) {
    while (*p == L' ' || *p == L'\t') ++p;
    bool negative = false;
    if (*p == L'+' || *p == L'-') negative = (*p++ == L'-');
    if (base == 16 && p[0] == L'0' && (p[1] == L'x' || p[1] == L'X')) p += 2;
    uint32_t value = 0;
    for (;; ++p) {
        int digit;
        if (*p >= L'0' && *p <= L'9') digit = *p - L'0';
        else if (base == 16 && *p >= L'a' && *p <= L'f') digit = *p - L'a' + 10;
        else if (base == 16 && *p >= L'A' && *p <= L'F') digit = *p - L'A' + 10;
        else break;
        value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
    }
    return static_cast<int>(negative ? 0u - value : value);
}

}  // namespace

int ParseInt(const std::wstring& text) {
    const wchar_t* p = text.c_str();
    return ReadInt(p, 10);
}

void ParseIntList(const std::wstring& text, int* out, int count) {
    for (int i = 0; i < count; ++i) out[i] = 0;
    const wchar_t* p = text.c_str();
    for (int i = 0; i < count; ++i) {
        out[i] = ReadInt(p, 10);
        if (*p == L'\0') break;
        ++p;  // one separator character
    }
}

Rect ParseRect(const std::wstring& text) {
    int v[4];
    ParseIntList(text, v, 4);
    return Rect{v[0], v[1], v[2], v[3]};
}

bool ParseBool(const std::wstring& text) {
    return text == L"true";
}

uint32_t ParseColor(const std::wstring& text) {
    const wchar_t* p = text.c_str();
    while (*p == L' ') ++p;
    if (*p == L'#') ++p;
    return static_cast<uint32_t>(ReadInt(p, 16));
}

bool EqualsIgnoringCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
    }
    return true;
}

}  // namespace uilib
