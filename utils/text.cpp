// Text conversions (hand-written UTF-8, iconv for the other code pages) and string routines.
#include "utils/text.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstring>

namespace Utils {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;

std::string UpToNull(const std::string& s) {
    size_t n = s.find('\0');
    return n == std::string::npos ? s : s.substr(0, n);
}

std::wstring UpToNull(const std::wstring& s) {
    size_t n = s.find(L'\0');
    return n == std::wstring::npos ? s : s.substr(0, n);
}

std::wstring DecodeUtf8(const std::string& in) {
    std::wstring out;
    out.reserve(in.size());
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const size_t n = in.size();
    size_t i = 0;
    while (i < n) {
        unsigned c = p[i];
        if (c < 0x80) {
            out.push_back(static_cast<wchar_t>(c));
            ++i;
            continue;
        }
        int len = 0;
        unsigned cp = 0;
        unsigned min = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2, cp = c & 0x1F, min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3, cp = c & 0x0F, min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4, cp = c & 0x07, min = 0x10000;
        }
        if (len == 0) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        int k = 1;
        for (; k < len && i + static_cast<size_t>(k) < n; ++k) {
            unsigned cc = p[i + static_cast<size_t>(k)];
            if ((cc & 0xC0) != 0x80) {
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (k < len || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            // One replacement for the bad lead and its valid continuations.
            out.push_back(kReplacement);
            i += static_cast<size_t>(k);
            continue;
        }
        out.push_back(static_cast<wchar_t>(cp));
        i += static_cast<size_t>(len);
    }
    return out;
}

std::string EncodeUtf8(const std::wstring& in) {
    std::string out;
    out.reserve(in.size());
    for (wchar_t wc : in) {
        auto cp = static_cast<uint32_t>(wc);
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            cp = kReplacement;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

// The charset iconv knows a code page by; empty for UTF-8 (converted by hand) and
// for unknown code pages (`known` false).
std::string CharsetOf(unsigned codePage, bool& known) {
    known = true;
    if (codePage == kCodePageUtf8) {
        return {};
    }
    if (codePage == kCodePageGbk) {
        return "CP936";
    }
    if (codePage == kCodePageAcp) {
        // Linux file names are bytes, UTF-8 by convention; the C locale's plain ASCII
        // would lose every non-ASCII path, so it counts as UTF-8 too.
        const char* cs = nl_langinfo(CODESET);
        if (cs == nullptr || strcmp(cs, "UTF-8") == 0 || strcmp(cs, "ANSI_X3.4-1968") == 0) {
            return {};
        }
        return cs;
    }
    known = false;
    return {};
}

// Converts with iconv; bytes or characters that cannot be converted are skipped.
std::string IconvConvert(const char* to, const char* from, const char* data, size_t size,
                         bool& ok) {
    ok = false;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    std::string out;
    out.resize(size * 4 + 16);
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    size_t outPos = 0;
    const size_t unit = strcmp(from, "WCHAR_T") == 0 ? sizeof(wchar_t) : 1;
    while (inLeft > 0) {
        char* outPtr = out.data() + outPos;
        size_t outLeft = out.size() - outPos;
        size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        outPos = static_cast<size_t>(outPtr - out.data());
        if (r != static_cast<size_t>(-1)) {
            break;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
        } else if (errno == EILSEQ || errno == EINVAL) {
            // Skip the offending unit (EINVAL: an incomplete sequence at the end).
            size_t skip = unit < inLeft ? unit : inLeft;
            in += skip;
            inLeft -= skip;
        } else {
            break;
        }
    }
    // Flush any shift state.
    char* outPtr = out.data() + outPos;
    size_t outLeft = out.size() - outPos;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    outPos = static_cast<size_t>(outPtr - out.data());
    iconv_close(cd);
    out.resize(outPos);
    ok = true;
    return out;
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

}  // namespace

std::wstring ToWide(const std::string& text, unsigned codePage) {
    bool known = false;
    const std::string charset = CharsetOf(codePage, known);
    if (!known) {
        return {};
    }
    const std::string in = UpToNull(text);
    if (charset.empty()) {
        return DecodeUtf8(in);
    }
    bool ok = false;
    std::string raw = IconvConvert("WCHAR_T", charset.c_str(), in.data(), in.size(), ok);
    if (!ok) {
        return {};
    }
    return std::wstring(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / sizeof(wchar_t));
}

std::string ToNarrow(const std::wstring& text, unsigned codePage) {
    bool known = false;
    const std::string charset = CharsetOf(codePage, known);
    if (!known) {
        return {};
    }
    const std::wstring in = UpToNull(text);
    if (charset.empty()) {
        return EncodeUtf8(in);
    }
    bool ok = false;
    std::string out =
        IconvConvert(charset.c_str(), "WCHAR_T", reinterpret_cast<const char*>(in.data()),
                     in.size() * sizeof(wchar_t), ok);
    return ok ? out : std::string();
}

std::wstring TrimLeft(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    return text.substr(i);
}

std::wstring TrimRight(const std::wstring& text) {
    size_t n = text.size();
    while (n > 0 && IsBlank(text[n - 1])) {
        --n;
    }
    return text.substr(0, n);
}

std::wstring Trim(const std::wstring& text) {
    return TrimLeft(TrimRight(text));
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::wstring ReplaceAll(const std::wstring& text, const std::wstring& pattern,
                        const std::wstring& replacement) {
    if (pattern.empty()) {
        return text;
    }
    std::wstring result = text;
    // Searching again from the start after each replacement, as the callers expect;
    // the pattern never occurs in the replacement, so this ends.
    for (size_t pos = result.find(pattern); pos != std::wstring::npos; pos = result.find(pattern)) {
        result.replace(pos, pattern.size(), replacement);
    }
    return result;
}

std::wstring ToDecimalText(uint32_t number) {
    return std::to_wstring(number);
}

std::string UrlEncode(const std::string& bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        if (c >= 33 && c <= 126) {
            out.push_back(static_cast<char>(c));
        } else if (c == ' ') {
            out.push_back('+');
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0x0F]);
        }
    }
    return out;
}

std::wstring UrlEncodeWide(const std::wstring& text) {
    return ToWide(UrlEncode(ToNarrow(text, kCodePageUtf8)), kCodePageUtf8);
}

std::string UrlParentSegment(const std::string& address) {
    size_t last = address.rfind('/');
    if (last == std::string::npos) {
        return {};
    }
    const std::string head = address.substr(0, last);
    size_t prev = head.rfind('/');
    if (prev == std::string::npos) {
        return {};
    }
    return head.substr(prev + 1);
}

}  // namespace Utils
