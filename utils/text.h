// Wide/narrow text conversions and the small string routines the layers share.
#pragma once

#include <cstdint>
#include <string>

namespace Utils {

// Code pages, by their Windows numbers.
constexpr unsigned kCodePageAcp = 0;       // the locale's charset (UTF-8 under the C locale)
constexpr unsigned kCodePageGbk = 936;     // CP936 (GBK)
constexpr unsigned kCodePageUtf8 = 65001;  // UTF-8

// Conversions read the input up to its first null. The text survives bad input:
// an invalid UTF-8 sequence becomes U+FFFD, a byte invalid in another code page is
// dropped, and a character the target cannot hold is dropped. An unknown code page
// gives an empty string. Any thread.
std::wstring ToWide(const std::string& text, unsigned codePage);
std::string ToNarrow(const std::wstring& text, unsigned codePage);

// Whitespace is space, tab, line feed, vertical tab, form feed and carriage return.
std::wstring TrimLeft(const std::wstring& text);
std::wstring TrimRight(const std::wstring& text);
std::wstring Trim(const std::wstring& text);

bool StartsWith(const std::wstring& text, const std::wstring& prefix);

// Replaces every occurrence, searching again from the start after each replacement;
// the pattern must be non-empty and must not occur in the replacement.
std::wstring ReplaceAll(const std::wstring& text, const std::wstring& pattern,
                        const std::wstring& replacement);

std::wstring ToDecimalText(uint32_t number);

// Copies bytes 33..126, turns a blank into "+", and escapes every other byte as %XX.
std::string UrlEncode(const std::string& bytes);
std::wstring UrlEncodeWide(const std::wstring& text);

// The path segment in front of the last one: for scheme://host/dir/D/F it is D.
// Empty when the address has fewer than two "/".
std::string UrlParentSegment(const std::string& address);

}  // namespace Utils
