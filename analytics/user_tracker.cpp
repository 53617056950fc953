// NativeUserTracker.
#include "analytics/user_tracker.h"

#include <chrono>
#include <map>

#include "analytics/identity.h"
#include "analytics/sdk/sdk.h"

namespace zorvane::telemetry {
namespace {

const std::map<std::string, NativeUserTracker::Operation>& KeyTable() {
    static const std::map<std::string, NativeUserTracker::Operation> table = [] {
        std::map<std::string, NativeUserTracker::Operation> t;
        for (const char* k : {"$first_visit_time", "zv_first_visit_date", "$ios_install_source",
                              "zv_first_paid_date"}) {
            t.emplace(k, NativeUserTracker::kSetOnce);
        }
        for (const char* k : {"zv_visit_count", "zv_paid_count", "zv_consumption"}) {
            t.emplace(k, NativeUserTracker::kIncrement);
        }
        for (const char* k : {"zv_label",
                              "zv_os",
                              "zv_os_version",
                              "zv_manufacturer",
                              "zv_model",
                              "zv_app_store",
                              "zv_app_platform",
                              "zv_last_app_id",
                              "zv_last_app_version",
                              "zv_carrier",
                              "zv_last_visit_date",
                              "aurora_pushid",
                              "zv_user_id",
                              "zv_user_name",
                              "zv_user_type",
                              "zv_user_nickname",
                              "zv_user_portrait",
                              "zv_user_mobilephone",
                              "zv_user_email",
                              "zv_user_weixin",
                              "zv_user_qq",
                              "zv_user_did",
                              "zv_user_created",
                              "zv_user_last_login",
                              "zv_user_last_ip",
                              "zv_user_vip_level",
                              "zv_user_vip_enddate",
                              "idfa",
                              "imei",
                              "android_id",
                              "oaid",
                              "zv_ip",
                              "zv_country_code",
                              "zv_country",
                              "zv_province",
                              "zv_city",
                              "zv_last_paid_date"}) {
            t.emplace(k, NativeUserTracker::kSet);  // emplace: the first listing wins
        }
        return t;
    }();
    return table;
}

[[noreturn]] void NotSupported(const std::string& key, const char* function) {
    throw ZvException("Not supported user property [" + key + "]!", function, __FILE__, __LINE__);
}

}  // namespace

int64_t NowMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

NativeUserTracker::Operation NativeUserTracker::OperationOf(const std::string& key) {
    auto it = KeyTable().find(key);
    return it == KeyTable().end() ? kNotSupported : it->second;
}

void NativeUserTracker::ProfileUserPropertyString(const std::string& key,
                                                  const std::string& value) {
    switch (OperationOf(key)) {
        case kSetOnce:
            analytics_sdk::Sdk::SetProfileOnce(key, value);
            return;
        case kIncrement:
            throw ZvException(
                "user property [" + key + "] is string type value, it cannot be accumulated!",
                "ProfileUserPropertyString", __FILE__, __LINE__);
        case kSet:
            analytics_sdk::Sdk::SetProfile(key, value);
            return;
        case kAppend:
            analytics_sdk::Sdk::AppendProfile(key, value);
            return;
        case kNotSupported:
            NotSupported(key, "ProfileUserPropertyString");
    }
}

void NativeUserTracker::ProfileUserPropertyNumber(const std::string& key, int value) {
    switch (OperationOf(key)) {
        case kSetOnce:
            analytics_sdk::Sdk::SetProfileOnce(key, int64_t{value});
            return;
        case kIncrement:
            analytics_sdk::Sdk::IncrementProfile(key, int64_t{value});
            return;
        case kSet:
            analytics_sdk::Sdk::SetProfile(key, int64_t{value});
            return;
        case kAppend:
            throw ZvException(
                "user property [" + key + "] is number value, it cannot be append to list!",
                "ProfileUserPropertyNumber", __FILE__, __LINE__);
        case kNotSupported:
            NotSupported(key, "ProfileUserPropertyNumber");
    }
}

void NativeUserTracker::ProfileUserPropertyNumber(const std::string& key, double value) {
    switch (OperationOf(key)) {
        case kSetOnce:
            analytics_sdk::Sdk::SetProfileOnce(key, value);
            return;
        case kIncrement: {
            analytics_sdk::PropertiesNode p;
            p.PutNumber(key, value);
            analytics_sdk::Sdk::IncrementProfile(p);
            return;
        }
        case kSet:
            analytics_sdk::Sdk::SetProfile(key, value);
            return;
        case kAppend:
            throw ZvException(
                "user property [" + key + "] is number value, it cannot be append to list!",
                "ProfileUserPropertyNumber", __FILE__, __LINE__);
        case kNotSupported:
            NotSupported(key, "ProfileUserPropertyNumber");
    }
}

void NativeUserTracker::ProfileUserPropertyDateTime(const std::string& key, int64_t time) {
    const bool millis = time >= 157789440000LL;
    analytics_sdk::PropertiesNode p;
    p.PutDateTime(key, millis ? time / 1000 : time, millis ? static_cast<int>(time % 1000) : 0);
    switch (OperationOf(key)) {
        case kSetOnce:
            analytics_sdk::Sdk::SetProfileOnce(p);
            return;
        case kIncrement:
            throw ZvException(
                "user property [" + key + "] is boolean value, it cannot be accumulative!",
                "ProfileUserPropertyDateTime", __FILE__, __LINE__);
        case kSet:
            analytics_sdk::Sdk::SetProfile(p);
            return;
        case kAppend:
            throw ZvException(
                "user property [" + key + "] is boolean value, it cannot be append to list!",
                "ProfileUserPropertyDateTime", __FILE__, __LINE__);
        case kNotSupported:
            NotSupported(key, "ProfileUserPropertyDateTime");
    }
}

void NativeUserTracker::VisitTimes(int64_t time) {
    ProfileUserPropertyDateTime("$first_visit_time", time);
    ProfileUserPropertyDateTime("zv_first_visit_date", time);
    ProfileUserPropertyDateTime("zv_last_visit_date", time);
}

void NativeUserTracker::ActivityBundle(const std::string& appStore, const std::string& appName,
                                       const std::string& appVersion) {
    VisitTimes(NowMilliseconds());
    std::string os, osVersion;
    GetAnalyticsOsVersion(os, osVersion);
    ProfileUserPropertyString("zv_os", os);
    ProfileUserPropertyString("zv_os_version", osVersion);
    ProfileUserPropertyString("zv_app_store", appStore);
    ProfileUserPropertyString("zv_app_platform", "Windows");
    ProfileUserPropertyString("zv_last_app_id", appName);
    ProfileUserPropertyString("zv_last_app_version", appVersion);
    ProfileUserPropertyString("$ios_install_source", "pwnmqbm_yo=715##okdh=3953##kzt=576");
}

void NativeUserTracker::LoginBundle(const ZvUserInfo& info) {
    const int64_t now = NowMilliseconds();
    ProfileUserPropertyString("zv_user_id", info.userId);
    ProfileUserPropertyString("zv_user_name", info.userName);
    ProfileUserPropertyNumber("zv_user_type", static_cast<int>(info.userType));
    const std::pair<const char*, const std::string*> texts[] = {
        {"zv_user_nickname", &info.nickname},
        {"zv_user_portrait", &info.portrait},
        {"zv_user_mobilephone", &info.mobilephone},
        {"zv_user_email", &info.email},
        {"zv_user_weixin", &info.weixin},
        {"zv_user_qq", &info.qq},
        {"zv_user_did", &info.did}};
    for (const auto& [key, value] : texts) {
        if (!value->empty()) {
            ProfileUserPropertyString(key, *value);
        }
    }
    if (info.created > 0) {
        ProfileUserPropertyDateTime("zv_user_created", info.created * 1000);
    }
    if (!info.lastIp.empty()) {
        ProfileUserPropertyString("zv_user_last_ip", info.lastIp);
    }
    if (info.lastLogin > 0) {
        ProfileUserPropertyDateTime("zv_user_last_login", info.lastLogin * 1000);
    }
    ProfileUserPropertyNumber("zv_user_vip_level", info.vipLevel);
    if (info.vipEndDate > 0) {
        ProfileUserPropertyDateTime("zv_user_vip_enddate", info.vipEndDate * 1000);
    }
    VisitTimes(now);
}

void NativeUserTracker::PaymentBundle(float paidAmount) {
    ProfileUserPropertyNumber("zv_paid_count", 1);
    ProfileUserPropertyNumber("zv_consumption", static_cast<double>(paidAmount));
    const int64_t now = NowMilliseconds();
    ProfileUserPropertyDateTime("zv_first_paid_date", now);
    ProfileUserPropertyDateTime("zv_last_paid_date", now);
}

}  // namespace zorvane::telemetry
