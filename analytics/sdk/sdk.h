// The analytics SDK: one process-wide instance that assembles, validates and queues
// event and profile records. Refused values and records are reported on standard
// error only; nothing is thrown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analytics/sdk/properties.h"

namespace analytics_sdk {

// Name and id checks; each writes its message to standard error when it fails.
bool CheckName(const std::string& what, const std::string& name);
bool CheckIdText(const std::string& what, const std::string& text);
bool CheckPropertyKeys(const PropertiesNode& properties);

class Sdk {
public:
    // Creates the instance (false when the distinct id is refused; true without change
    // when it already exists).
    static bool Init(const std::string& stagingFilePath, const std::string& collectionUrl,
                     const std::string& distinctId, bool isLoginId);
    // Saves what is still queued to the staging file and frees the instance.
    static void Shutdown();
    static bool Exists();

    static void TrackEvent(const std::string& eventName, const PropertiesNode& properties);
    static void TrackWithInstallSource(const std::string& eventName,
                                       const PropertiesNode& properties);
    static void TrackSignUp(const std::string& loginId);
    static void SetProfile(const PropertiesNode& properties);
    static void SetProfile(const std::string& key, const std::string& value);
    static void SetProfile(const std::string& key, int64_t value);
    static void SetProfile(const std::string& key, double value);
    static void SetProfileOnce(const PropertiesNode& properties);
    static void SetProfileOnce(const std::string& key, const std::string& value);
    static void SetProfileOnce(const std::string& key, int64_t value);
    static void SetProfileOnce(const std::string& key, double value);
    static void IncrementProfile(const PropertiesNode& properties);
    static void IncrementProfile(const std::string& key, int64_t value);
    static void AppendProfile(const std::string& key, const std::string& value);
    static void AddCommonProperties(const PropertiesNode& properties);
    static void ResetCommonProperties();
    // Sends everything queued; true when the queue ended empty.
    static bool FlushAll();

    // For tests and the facade: the queued records, oldest first.
    static std::vector<std::string> QueuedRecords();
    static std::string DistinctId();

    // Builds, checks and queues one record; false when it was refused.
    static bool AddRecord(const std::string& type, const std::string& eventName,
                          const PropertiesNode& properties, const std::string& distinctId,
                          const std::string& originalId);
};

}  // namespace analytics_sdk
