// Fuzz target: whatever keys and values a property set is given, its serialisation
// parses as JSON.
#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>

#include "analytics/sdk/properties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    analytics_sdk::PropertiesNode p;
    analytics_sdk::PropertiesNode inner;
    size_t i = 0;
    // Records of: kind byte, key length byte, key, value length byte, value.
    while (i + 3 <= size) {
        const uint8_t kind = data[i];
        const size_t keyLen = data[i + 1] % 16;
        if (i + 2 + keyLen + 1 > size) {
            break;
        }
        const std::string key(reinterpret_cast<const char*>(data + i + 2), keyLen);
        const size_t valueLen = data[i + 2 + keyLen] % 64;
        const size_t start = i + 3 + keyLen;
        const size_t end = std::min(size, start + valueLen);
        const std::string value(reinterpret_cast<const char*>(data + start), end - start);
        i = end;
        // Keys of property sets are names checked before they reach a record; the
        // fuzzer gives printable ones, values anything.
        bool keyOk = !key.empty();
        for (char c : key) {
            keyOk = keyOk && static_cast<unsigned char>(c) >= 0x20 &&
                    static_cast<unsigned char>(c) < 0x7F;
        }
        if (!keyOk) {
            continue;
        }
        switch (kind % 6) {
            case 0:
                p.PutString(key, value);
                break;
            case 1:
                p.PutNumber(key, value.empty() ? 0.0 : static_cast<double>(value[0]) / 3.0);
                break;
            case 2:
                p.PutInt(key, static_cast<int64_t>(value.size()) - 30);
                break;
            case 3:
                p.PutBool(key, (kind & 8) != 0);
                break;
            case 4:
                inner.PutString(key, value);
                p.PutObject("inner", inner);
                break;
            case 5:
                p.PutDateTime(key, static_cast<int64_t>(value.size()) * 86400,
                              static_cast<int>(kind) % 1000);
                break;
        }
    }
    const std::string json = p.ToJson();
    if (!nlohmann::json::accept(json)) {
        __builtin_trap();
    }
    return 0;
}
