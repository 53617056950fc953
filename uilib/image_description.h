// Image descriptions of the layout format: a plain archive path, or key='value' pairs
// (file, dest, corner, fade, mask, hole, xtiled, ytiled, source).
#pragma once

#include <cstdint>
#include <string>

#include "uilib/geometry.h"

namespace uilib {

struct ImageSpec {
    std::wstring file;
    bool hasDest = false;
    Rect dest;           // sub-rectangle of the control to draw into
    Rect corner;         // nine-grid borders that are not stretched
    uint8_t fade = 255;  // overall opacity
    bool hasMask = false;
    uint32_t mask = 0;   // RGB of pixels that become transparent
    bool hole = false;   // the nine-grid centre is not drawn
    bool xtiled = false;
    bool ytiled = false;
    bool hasSource = false;
    Rect source;         // part of the image to use
};

// Reads a description; an empty text gives an empty file name (nothing to draw).
// Unknown keys are ignored; a value without its closing quote ends the list.
ImageSpec ParseImageSpec(const std::wstring& text);

}  // namespace uilib
