// NativeUserTracker: user-profile properties, each key bound to one profile operation
// (set once, increment, set), and the bundles the tracker runs after an activity, a
// launch, a login and a payment.
#pragma once

#include <cstdint>
#include <string>

#include "analytics/zv_types.h"

namespace zorvane::telemetry {

class NativeUserTracker {
public:
    enum Operation { kNotSupported = 0, kSetOnce = 1, kIncrement = 2, kSet = 3, kAppend = 4 };
    static Operation OperationOf(const std::string& key);

    // Each queues one profile record, or throws ZvException for a key or type the
    // table refuses.
    static void ProfileUserPropertyString(const std::string& key, const std::string& value);
    static void ProfileUserPropertyNumber(const std::string& key, int value);
    static void ProfileUserPropertyNumber(const std::string& key, double value);
    // Seconds, or milliseconds from 157789440000 on.
    static void ProfileUserPropertyDateTime(const std::string& key, int64_t time);

    static void VisitTimes(int64_t time);
    static void ActivityBundle(const std::string& appStore, const std::string& appName,
                               const std::string& appVersion);
    static void LoginBundle(const ZvUserInfo& info);
    static void PaymentBundle(float paidAmount);
};

// Milliseconds since 1970-01-01 UTC.
int64_t NowMilliseconds();

}  // namespace zorvane::telemetry
