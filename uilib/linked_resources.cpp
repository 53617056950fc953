// The table of resources linked into the executable (see linked_resources.S).
#include <cstring>

#include "uilib/resource_archive.h"

extern "C" {
extern const uint8_t velquin_res_zipres_147_begin[];
extern const uint8_t velquin_res_zipres_147_end[];
extern const uint8_t velquin_res_icon_145_begin[];
extern const uint8_t velquin_res_icon_145_end[];
}

namespace uilib {

std::span<const uint8_t> FindLinkedResource(const std::string& type, int id) {
    if (type == "ZIPRES" && id == 147) {
        return {velquin_res_zipres_147_begin,
                static_cast<size_t>(velquin_res_zipres_147_end - velquin_res_zipres_147_begin)};
    }
    if (type == "ICON" && id == 145) {
        return {velquin_res_icon_145_begin, static_cast<size_t>(velquin_res_icon_145_end - velquin_res_icon_145_begin)};
    }
    return {};
}

}  // namespace uilib
