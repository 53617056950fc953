// Rectangles, points and the attribute value readers shared by the framework.
#pragma once

#include <cstdint>
#include <string>

namespace uilib {

// Text alignment flags of a label (the platform's DT_ values).
constexpr unsigned kAlignLeft = 0x0;
constexpr unsigned kAlignCenter = 0x1;
constexpr unsigned kAlignRight = 0x2;
constexpr unsigned kAlignTop = 0x0;
constexpr unsigned kAlignVCenter = 0x4;
constexpr unsigned kAlignBottom = 0x8;
constexpr unsigned kAlignWordBreak = 0x10;
constexpr unsigned kAlignSingleLine = 0x20;

struct Point {
    int x = 0;
    int y = 0;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const Rect&) const = default;
};

// Attribute readers with the layout format's rules: decimal integers with an optional
// sign, comma lists read number by number each after one separator character,
// booleans true exactly for "true", colours as hexadecimal ARGB after an optional "#"
// (and an optional "0x").
int ParseInt(const std::wstring& text);
// Reads up to `count` numbers of a comma list into `out`; missing ones stay 0.
void ParseIntList(const std::wstring& text, int* out, int count);
Rect ParseRect(const std::wstring& text);
bool ParseBool(const std::wstring& text);
uint32_t ParseColor(const std::wstring& text);

bool EqualsIgnoringCase(const std::wstring& a, const std::wstring& b);

}  // namespace uilib
