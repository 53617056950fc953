// POSIX body of platform/guid.h: libuuid.
#include "platform/guid.h"

#include <uuid/uuid.h>

namespace platform {

Guid NewGuid() {
    uuid_t raw;
    uuid_generate_random(raw);
    Guid g{};
    g.data1 =
        (uint32_t{raw[0]} << 24) | (uint32_t{raw[1]} << 16) | (uint32_t{raw[2]} << 8) | raw[3];
    g.data2 = static_cast<uint16_t>((raw[4] << 8) | raw[5]);
    g.data3 = static_cast<uint16_t>((raw[6] << 8) | raw[7]);
    for (int i = 0; i < 8; ++i) {
        g.data4[i] = raw[8 + i];
    }
    return g;
}

}  // namespace platform
