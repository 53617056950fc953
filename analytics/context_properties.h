// ZvContextProperties: extra properties a caller attaches to selected event types.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "analytics/sdk/properties.h"
#include "analytics/zv_types.h"

namespace zorvane::telemetry {

// The A/B group property.
constexpr char kAbPropertyKey[] = "zvc_ab";

class ZvContextProperties {
public:
    struct Entry {
        std::shared_ptr<const std::string> value;  // shared with the registry
        int kind;                                  // 3: text (the only kind the installer uses)
        std::string key;
    };

    // Registers a text property for the listed event types. Throws ZvException for a
    // key registered before and for an event type of 15 or more (entries appended
    // before that type stay).
    void setProperty(const std::string& key, const std::string& value,
                     const std::vector<ZvEventType>& types);
    // The entries of one event type; throws for a type of 15 or more.
    const std::vector<Entry>& getEventProperties(ZvEventType type) const;
    // Puts the entries of `type` into `properties`; true when there were any.
    bool AddTo(ZvEventType type, analytics_sdk::PropertiesNode& properties) const;

    // One to three bytes: an upper-case letter, then upper-case letters or digits.
    // False for an empty value; throws ZvException for any other invalid value.
    static bool isValidABValue(const std::string& value);

private:
    std::map<std::string, std::shared_ptr<const std::string>> m_registry;
    std::vector<Entry> m_lists[kEventTypeCount];
};

}  // namespace zorvane::telemetry
