// Context properties.
#include "analytics/context_properties.h"

namespace zorvane::telemetry {
namespace {

bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool IsUpperOrDigit(char c) {
    return IsUpper(c) || (c >= '0' && c <= '9');
}

}  // namespace

void ZvContextProperties::setProperty(const std::string& key, const std::string& value,
                                      const std::vector<ZvEventType>& types) {
    if (m_registry.count(key) != 0) {
        throw ZvException("Property[" + key + "] already exist!", "setProperty", __FILE__,
                          __LINE__);
    }
    auto shared = std::make_shared<const std::string>(value);
    m_registry[key] = shared;
    for (ZvEventType type : types) {
        const int n = static_cast<int>(type);
        if (n < 0 || n >= kEventTypeCount) {
            throw ZvException("ZvEvent[" + std::to_string(n) + "] overflow!", "setProperty",
                              __FILE__, __LINE__);
        }
        m_lists[n].push_back({shared, 3, key});
    }
}

const std::vector<ZvContextProperties::Entry>& ZvContextProperties::getEventProperties(
    ZvEventType type) const {
    const int n = static_cast<int>(type);
    if (n < 0 || n >= kEventTypeCount) {
        throw ZvException("ZvEvent[" + std::to_string(n) + "] overflow!", "getEventProperties",
                          __FILE__, __LINE__);
    }
    return m_lists[n];
}

bool ZvContextProperties::AddTo(ZvEventType type, analytics_sdk::PropertiesNode& properties) const {
    const auto& list = getEventProperties(type);
    for (const Entry& e : list) {
        properties.PutString(e.key, *e.value);
    }
    return !list.empty();
}

bool ZvContextProperties::isValidABValue(const std::string& value) {
    if (value.empty()) {
        return false;
    }
    if (value.size() > 3) {
        throw ZvException("value's length is great than 3.", "isValidABValue", __FILE__, __LINE__);
    }
    if (!IsUpper(value[0])) {
        throw ZvException("First char is not in A to Z", "isValidABValue", __FILE__, __LINE__);
    }
    if (value.size() > 1 && !IsUpperOrDigit(value[1])) {
        throw ZvException("second char is not in A to Z and 0 to 9", "isValidABValue", __FILE__,
                          __LINE__);
    }
    if (value.size() > 2 && !IsUpperOrDigit(value[2])) {
        throw ZvException("third char is not in A to Z and 0 to 9", "isValidABValue", __FILE__,
                          __LINE__);
    }
    return true;
}

}  // namespace zorvane::telemetry
