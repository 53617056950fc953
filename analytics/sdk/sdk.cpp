// Record assembly, checks and the single SDK instance.
#include "analytics/sdk/sdk.h"

#include <chrono>
#include <iostream>
#include <memory>
#include <mutex>

#include "analytics/sdk/record_queue.h"

namespace analytics_sdk {
namespace {

struct Instance {
    PropertiesNode commonProperties;
    std::string distinctId;
    bool isLoginId = false;
    std::unique_ptr<RecordQueue> queue;
};

std::unique_ptr<Instance> g_instance;

bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '$' || c == '_';
}
bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

int64_t NowMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void ResetCommon(PropertiesNode& common) {
    common.Clear();
    common.PutString("$lib", "cpp");
    common.PutString("$lib_version", "0.7");
}

PropertiesNode OneEntry(const std::string& key, const std::string& value) {
    PropertiesNode p;
    p.PutString(key, value);
    return p;
}
PropertiesNode OneEntry(const std::string& key, int64_t value) {
    PropertiesNode p;
    p.PutInt(key, value);
    return p;
}
PropertiesNode OneEntry(const std::string& key, double value) {
    PropertiesNode p;
    p.PutNumber(key, value);
    return p;
}

}  // namespace

bool CheckName(const std::string& what, const std::string& name) {
    if (name.empty() || name.size() > 100) {
        std::cerr << "The " << what << " is empty or too long, max length is 100" << std::endl;
        return false;
    }
    bool ok = IsNameStart(name[0]);
    for (size_t i = 1; i < name.size() && ok; ++i) {
        ok = IsNameChar(name[i]);
    }
    if (!ok) {
        std::cerr << "The " << what << " need to be a valid variable name." << std::endl;
    }
    return ok;
}

bool CheckIdText(const std::string& what, const std::string& text) {
    if (text.empty()) {
        std::cerr << "The " << what << " is empty." << std::endl;
        return false;
    }
    if (text.size() >= 256) {
        std::cerr << "The " << what << " is too long, max length is 255." << std::endl;
        return false;
    }
    return true;
}

bool CheckPropertyKeys(const PropertiesNode& properties) {
    for (const auto& [key, value] : properties.Entries()) {
        if (!CheckName("Property Key", key)) {
            return false;
        }
        if (key == "$time" && value.kind != ValueKind::DateTime) {
            std::cerr << "The property '$time' should be DateTime type." << std::endl;
            return false;
        }
        if (key == "$project" && value.kind != ValueKind::String) {
            std::cerr << "The property '$project' should be String type." << std::endl;
            return false;
        }
    }
    return true;
}

bool Sdk::Init(const std::string& stagingFilePath, const std::string& collectionUrl,
               const std::string& distinctId, bool isLoginId) {
    if (!CheckIdText("Distinct ID", distinctId)) {
        return false;
    }
    if (g_instance) {
        return true;
    }
    auto instance = std::make_unique<Instance>();
    ResetCommon(instance->commonProperties);
    instance->distinctId = distinctId;
    instance->isLoginId = isLoginId;
    instance->queue = std::make_unique<RecordQueue>(stagingFilePath, collectionUrl);
    g_instance = std::move(instance);
    return true;
}

void Sdk::Shutdown() {
    if (!g_instance) {
        return;
    }
    g_instance->queue->Close();
    g_instance.reset();
}

bool Sdk::Exists() {
    return g_instance != nullptr;
}

bool Sdk::AddRecord(const std::string& type, const std::string& eventName,
                    const PropertiesNode& properties, const std::string& distinctId,
                    const std::string& originalId) {
    if (!g_instance || !CheckPropertyKeys(properties)) {
        return false;
    }
    if (type == "track" && !CheckName("Event Name", eventName)) {
        return false;
    }
    if (type == "track_signup" && !CheckIdText("Original ID", originalId)) {
        return false;
    }
    PropertiesNode p;
    if (type.find("track") != std::string::npos) {
        p.MergeFrom(g_instance->commonProperties);
    }
    p.MergeFrom(properties);

    int64_t time = 0;
    if (const PropertyValue* t = p.Find("$time")) {
        time = t->seconds * 1000 + t->milliseconds;
        p.Remove("$time");
    } else {
        time = NowMilliseconds();
    }
    std::string project;
    if (const PropertyValue* pr = p.Find("$project")) {
        project = pr->text;
        p.Remove("$project");
    }
    if (g_instance->isLoginId) {
        p.PutBool("$is_login_id", true);
    }
    utils::ObjectNode lib;
    lib.PutString("$lib", "cpp");
    lib.PutString("$lib_version", "0.7");
    lib.PutString("$lib_method", "code");

    utils::ObjectNode record;
    record.PutString("distinct_id", distinctId);
    if (type == "track" || type == "track_signup") {
        record.PutString("event", eventName);
    }
    record.PutObject("lib", lib);
    if (type == "track_signup") {
        record.PutString("original_id", originalId);
    }
    if (!project.empty()) {
        record.PutString("project", project);
    }
    record.PutObject("properties", p);
    record.PutInt("time", time);
    record.PutString("type", type);
    g_instance->queue->Enqueue(record.ToJson());
    return true;
}

void Sdk::TrackEvent(const std::string& eventName, const PropertiesNode& properties) {
    if (g_instance) {
        AddRecord("track", eventName, properties, g_instance->distinctId, "");
    }
}

void Sdk::TrackWithInstallSource(const std::string& eventName, const PropertiesNode& properties) {
    if (!g_instance) {
        return;
    }
    PropertiesNode p;
    p.PutString("$ios_install_source", "");
    p.MergeFrom(properties);
    AddRecord("track", eventName, p, g_instance->distinctId, "");
}

void Sdk::TrackSignUp(const std::string& loginId) {
    if (!g_instance) {
        return;
    }
    const std::string original = g_instance->distinctId;
    AddRecord("track_signup", "$SignUp", PropertiesNode(), loginId, original);
    g_instance->distinctId = loginId;
    g_instance->isLoginId = true;
}

#define VQ_PROFILE_OPS(Name, type)                                       \
    void Sdk::Name(const PropertiesNode& properties) {                   \
        if (g_instance) {                                                \
            AddRecord(type, "", properties, g_instance->distinctId, ""); \
        }                                                                \
    }

VQ_PROFILE_OPS(SetProfile, "profile_set")
VQ_PROFILE_OPS(SetProfileOnce, "profile_set_once")
VQ_PROFILE_OPS(IncrementProfile, "profile_increment")
#undef VQ_PROFILE_OPS

void Sdk::SetProfile(const std::string& key, const std::string& value) {
    SetProfile(OneEntry(key, value));
}
void Sdk::SetProfile(const std::string& key, int64_t value) {
    SetProfile(OneEntry(key, value));
}
void Sdk::SetProfile(const std::string& key, double value) {
    SetProfile(OneEntry(key, value));
}
void Sdk::SetProfileOnce(const std::string& key, const std::string& value) {
    SetProfileOnce(OneEntry(key, value));
}
void Sdk::SetProfileOnce(const std::string& key, int64_t value) {
    SetProfileOnce(OneEntry(key, value));
}
void Sdk::SetProfileOnce(const std::string& key, double value) {
    SetProfileOnce(OneEntry(key, value));
}
void Sdk::IncrementProfile(const std::string& key, int64_t value) {
    IncrementProfile(OneEntry(key, value));
}

void Sdk::AppendProfile(const std::string& key, const std::string& value) {
    if (!g_instance) {
        return;
    }
    PropertiesNode p;
    p.PutList(key, {value});
    AddRecord("profile_append", "", p, g_instance->distinctId, "");
}

void Sdk::AddCommonProperties(const PropertiesNode& properties) {
    if (g_instance) {
        g_instance->commonProperties.MergeFrom(properties);
    }
}

void Sdk::ResetCommonProperties() {
    if (g_instance) {
        ResetCommon(g_instance->commonProperties);
    }
}

bool Sdk::FlushAll() {
    return g_instance ? g_instance->queue->FlushAll() : false;
}

std::vector<std::string> Sdk::QueuedRecords() {
    return g_instance ? g_instance->queue->Records() : std::vector<std::string>{};
}

std::string Sdk::DistinctId() {
    return g_instance ? g_instance->distinctId : std::string();
}

}  // namespace analytics_sdk
