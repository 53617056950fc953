// Random GUIDs.
#pragma once

#include <cstdint>

namespace platform {

struct Guid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

// A new random (version 4) GUID from the system's random source. Any thread.
Guid NewGuid();

}  // namespace platform
