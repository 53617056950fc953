// Reading image descriptions.
#include "uilib/image_description.h"

namespace uilib {

ImageSpec ParseImageSpec(const std::wstring& text) {
    ImageSpec desc;
    if (text.find(L'=') == std::wstring::npos || text.find(L'\'') == std::wstring::npos) {
        desc.file = text;
        return desc;
    }
    size_t pos = 0;
    for (;;) {
        while (pos < text.size() && (text[pos] == L' ' || text[pos] == L'\t')) ++pos;
        size_t eq = text.find(L'=', pos);
        if (eq == std::wstring::npos) break;
        std::wstring key = text.substr(pos, eq - pos);
        while (!key.empty() && key.back() == L' ') key.pop_back();
        size_t open = eq + 1;
        while (open < text.size() && text[open] == L' ') ++open;
        if (open >= text.size() || text[open] != L'\'') break;
        size_t close = text.find(L'\'', open + 1);
        if (close == std::wstring::npos) break;
        std::wstring value = text.substr(open + 1, close - open - 1);
        pos = close + 1;
        if (key == L"file") desc.file = value;
        else if (key == L"dest") { desc.dest = ParseRect(value); desc.hasDest = true; }
        else if (key == L"corner") desc.corner = ParseRect(value);
        else if (key == L"fade") {
            int fade = ParseInt(value);
            desc.fade = static_cast<uint8_t>(fade < 0 ? 0 : fade > 255 ? 255 : fade);
        } else if (key == L"mask") {
            desc.mask = ParseColor(value) & 0x00FFFFFFu;
            desc.hasMask = true;
        } else if (key == L"hole") desc.hole = ParseBool(value);
        else if (key == L"xtiled") desc.xtiled = ParseBool(value);
        else if (key == L"ytiled") desc.ytiled = ParseBool(value);
        else if (key == L"source") { desc.source = ParseRect(value); desc.hasSource = true; }
    }
    return desc;
}

}  // namespace uilib
