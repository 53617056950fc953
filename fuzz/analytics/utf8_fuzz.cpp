// Fuzz target: the UTF-8 check agrees with a decoder written from the code-point rules.
#include <cstdint>
#include <string>

#include "analytics/sdk/properties.h"

namespace {

// Independent reference: decode code points and apply the rules directly.
bool Reference(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            if (!(c == 0x09 || c == 0x0A || c == 0x0D || (c >= 0x20 && c <= 0x7E))) {
                return false;
            }
            ++i;
            continue;
        }
        int len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
        if (len == 0 || c > 0xF4 || i + static_cast<size_t>(len) > s.size()) {
            return false;
        }
        uint32_t cp = c & (0x7F >> len);
        for (int k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            if ((cc & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        const uint32_t min = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += static_cast<size_t>(len);
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string s(reinterpret_cast<const char*>(data), size);
    if (analytics_sdk::IsValidUtf8(s) != Reference(s)) {
        __builtin_trap();
    }
    return 0;
}
