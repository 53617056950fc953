// CWndShadow: the soft drop shadow around a borderless window. This file holds its
// settings and the computation of the shadow bitmap from the window's outline; the
// click-through companion window that shows the bitmap belongs to the window backend.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// Per row of a window: the first x inside its outline and one past the last (start >=
// end for a row with nothing inside).
using RowAnchors = std::vector<std::pair<int, int>>;

// The anchors of a width × height rectangle with elliptic corners of radius rx, ry.
RowAnchors RoundRectAnchors(int width, int height, int rx, int ry);

struct ShadowBitmap {
    int width = 0;
    int height = 0;
    // Premultiplied BGRA, row 0 at the top: B | G << 8 | R << 16 | A << 24.
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    static uint8_t Alpha(uint32_t pixel) { return static_cast<uint8_t>(pixel >> 24); }
};

class CWndShadow {
public:
    virtual ~CWndShadow() = default;

    // Each refuses (false, value kept) a value outside its range.
    bool SetSize(int size);            // -20 … 20
    bool SetSharpness(int sharpness);  // 0 … 20
    bool SetDarkness(int darkness);    // 0 … 255
    bool SetPosition(int x, int y);    // each -20 … 20
    // Lowest byte red, then green, then blue; the top byte is ignored.
    void SetColor(uint32_t color) { Color = color; }

    // The shadow for a parent of width × height with the given outline; the shadow
    // window goes to (parent left + OffsetX − Size, parent top + OffsetY − Size).
    ShadowBitmap Compute(int width, int height, const RowAnchors& outline) const;

    uint8_t Darkness = 150;
    uint8_t Sharpness = 5;
    int8_t Size = 0;
    int8_t OffsetX = 5;
    int8_t OffsetY = 5;
    uint32_t Color = 0;
};

// The kernel opacity at distance d: full darkness inside the centre radius, fading
// over the sharpness, 0 beyond the kernel radius.
int ShadowKernelOpacity(double distance, int size, int sharpness, int darkness);
