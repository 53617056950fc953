// The tracker and its wrapper.
#include "analytics/tracker.h"

#include <chrono>
#include <iostream>
#include <thread>

#include "analytics/sdk/sdk.h"
#include "platform/files.h"
#include "utils/text.h"

namespace zorvane::telemetry {

const char kDefaultCollectionUrl[] = "https://collect.zorvanesoft.com/sa?project=pc";

namespace {

std::shared_ptr<ZvTrackerWrapper> g_shared;

std::string ExecutableFolder() {
    const std::string exe = platform::ExecutablePath();
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}

void PutIfNotEmpty(analytics_sdk::PropertiesNode& p, const std::string& key,
                   const std::string& value) {
    if (!value.empty()) {
        p.PutString(key, value);
    }
}

}  // namespace

std::string ToString(ZvResult value) {
    switch (value) {
        case ZvResult::Success:
            return "Success";
        case ZvResult::Cancelled:
            return "Cancelled";
        case ZvResult::Fail:
            return "Fail";
        case ZvResult::Unknown:
            return "Unknown";
    }
    throw ZvException("Unknown task result [" + std::to_string(static_cast<int>(value)) + "]!",
                      "toString");
}

std::string ToString(ClickType value) {
    switch (value) {
        case ClickType::Button:
            return "Button";
        case ClickType::Banner:
            return "Banner";
        case ClickType::Tutorial:
            return "Tutorial";
        case ClickType::File:
            return "File";
        case ClickType::Others:
            return "Others";
    }
    throw ZvException("Unknown ClickType [" + std::to_string(static_cast<int>(value)) + "]!",
                      "toString");
}

std::string ToString(ZvEdition value) {
    switch (value) {
        case ZvEdition::China:
            return "china";
        case ZvEdition::Overseas:
            return "overseas";
    }
    throw ZvException("Unknown edition [" + std::to_string(static_cast<int>(value)) + "]!",
                      "toString");
}

std::string ToUtf8Text(const std::string& text) {
    if (text.empty() || analytics_sdk::IsValidUtf8(text)) {
        return text;
    }
    return Utils::ToNarrow(Utils::ToWide(text, Utils::kCodePageAcp), Utils::kCodePageUtf8);
}

bool NativeTrackLogger::Open(const std::string& path) {
    m_file.open(path, std::ios::app);
    return m_file.is_open();
}

void NativeTrackLogger::Write(const std::string& text) {
    m_file << text;
}

void NativeTrackLogger::WriteLine(const std::string& text) {
    m_file << text << '\n';
}

ZvTrackerImpl::ZvTrackerImpl(TrackerOptions options) : m_options(std::move(options)) {
    m_options.appName = ToUtf8Text(m_options.appName);
    m_options.appVersion = ToUtf8Text(m_options.appVersion);
    m_options.appStore = ToUtf8Text(m_options.appStore);
    m_options.dlAppId = ToUtf8Text(m_options.dlAppId);
    m_options.dlAppVersion = ToUtf8Text(m_options.dlAppVersion);
}

ZvTrackerImpl::~ZvTrackerImpl() {
    if (!m_identityFile.empty()) {
        SaveIdentity(m_identityFile, m_identity);
    }
    if (m_pendingCount.load() > 0) {
        for (int i = 0; i < 3; ++i) {
            if (analytics_sdk::Sdk::FlushAll()) {
                m_pendingCount = 0;
                break;
            }
        }
    }
    if (m_sdkStarted) {
        analytics_sdk::Sdk::Shutdown();
    }
    m_logger.reset();
}

void ZvTrackerImpl::Init() {
    if (m_options.appName.empty()) {
        throw ZvException("appName is empty", "init", __FILE__, __LINE__);
    }
    if (m_options.appVersion.empty()) {
        throw ZvException("appVersion is empty", "init", __FILE__, __LINE__);
    }
    if (m_options.appStore.empty()) {
        throw ZvException("appStore is empty", "init", __FILE__, __LINE__);
    }
    m_pendingCount = 0;
    m_identityFile = IdentityFilePath(m_options.appName, ExecutableFolder());
    m_dataFolder = m_identityFile.substr(0, m_identityFile.rfind('/'));
    EnsureFolderPath(m_dataFolder);
    const std::string url =
        m_options.serverUrl.empty() ? std::string(kDefaultCollectionUrl) : m_options.serverUrl;

    LoadIdentity(m_identityFile, m_identity);
    if (m_identity.ServerUrl != url || m_identity.DistinctId.empty()) {
        m_identity.UserId.clear();
        m_identity.IsLogined = false;
        m_identity.DistinctId = NewDeviceId();
        m_identity.ServerUrl = url;
        SaveIdentity(m_identityFile, m_identity);
    }
    if (m_identity.UserId.empty()) {
        m_identity.IsLogined = false;
    }

    const std::string logFile = m_options.logFilePath.empty()
                                    ? m_dataFolder + "/" + m_options.appName + "_ZVSLog.txt"
                                    : m_options.logFilePath;
    m_logger = std::make_unique<NativeTrackLogger>();
    m_logger->Open(logFile);

    // Records that could not be sent wait here for the next start.
    m_stagingFile = m_dataFolder + "/" + m_options.appName + "_ZVSStaging.jsonl";
    const bool loggedIn = m_identity.IsLogined;
    if (!analytics_sdk::Sdk::Init(m_stagingFile, url,
                                  loggedIn ? m_identity.UserId : m_identity.DistinctId, loggedIn)) {
        throw ZvException("analytics_sdk::Sdk::Init is failed", "init", __FILE__, __LINE__);
    }
    m_sdkStarted = true;

    analytics_sdk::PropertiesNode common;
    common.PutString("zv_app_id", m_options.appName);
    common.PutString("$app_version", m_options.appVersion);
    common.PutString("$app_id", m_options.appName);
    common.PutString("zv_app_store", m_options.appStore);
    common.PutString("zv_edition", ToString(m_options.edition));
    PutIfNotEmpty(common, "zv_dlapp_id", m_options.dlAppId);
    PutIfNotEmpty(common, "zv_dlapp_version", m_options.dlAppVersion);
    common.PutString("zv_app_platform", "Windows");
    common.PutString("zv_track_type", "Client");
    common.PutString("zv_sdk_version", "3.3.4");
    common.PutString("zv_sdk", "WindowsCPP");
    std::string os, osVersion;
    GetAnalyticsOsVersion(os, osVersion);
    common.PutString("$os", os);
    common.PutString("$os_version", osVersion);
    std::string language, country, locale;
    if (!(SplitLocale(m_locale, language, country) && (locale = m_locale, true))) {
        GetUserLocale(language, country, locale);
    }
    common.PutString("zv_l10n_locale", locale);
    common.PutString("zv_l10n_language", language);
    common.PutString("zv_l10n_country", country);
    // No display is asked from here: the tracker runs before any window exists.
    common.PutInt("$screen_height", 0);
    common.PutInt("$screen_width", 0);
    PutIfNotEmpty(common, "zv_user_id", m_identity.UserId);
    analytics_sdk::Sdk::AddCommonProperties(common);

    WriteUninstallInfo(m_identityFile, m_options.appStore, m_options.appName, m_options.appVersion);
}

void ZvTrackerImpl::setLocale(const std::string& locale) {
    m_locale = ToUtf8Text(locale);
    std::string language, country;
    if (!SplitLocale(m_locale, language, country)) {
        std::string l;
        GetUserLocale(language, country, l);
    }
    analytics_sdk::PropertiesNode p;
    p.PutString("zv_l10n_locale", m_locale);
    p.PutString("zv_l10n_language", language);
    p.PutString("zv_l10n_country", country);
    analytics_sdk::Sdk::AddCommonProperties(p);
}

void ZvTrackerImpl::FlushImmediately() {
    for (int i = 0; i < 3; ++i) {
        if (analytics_sdk::Sdk::FlushAll()) {
            m_pendingCount = 0;
            return;
        }
    }
}

void ZvTrackerImpl::FlushDeferred(int weight) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_pendingCount += weight;
}

void ZvTrackerImpl::trackClick(const ZvEventClick& event, const ZvContextProperties& context) {
    if (event.name.empty()) {
        throw ZvException("zvEventClick.name is empty", "trackClick", __FILE__, __LINE__);
    }
    const std::string clickType = ToString(event.clickType);
    analytics_sdk::PropertiesNode p;
    PutIfNotEmpty(p, "zv_name", ToUtf8Text(event.name));
    p.PutString("zv_click_type", clickType);
    PutIfNotEmpty(p, "zv_aname", ToUtf8Text(event.aname));
    PutIfNotEmpty(p, "zv_title", ToUtf8Text(event.title));
    PutIfNotEmpty(p, "zv_position", ToUtf8Text(event.position));
    PutIfNotEmpty(p, "zv_module", ToUtf8Text(event.module));
    PutIfNotEmpty(p, "zv_tab_name", ToUtf8Text(event.tabName));
    if (event.tabIndex) {
        p.PutInt("zv_tab_index", *event.tabIndex);
    }
    PutIfNotEmpty(p, "zv_banner_name", ToUtf8Text(event.bannerName));
    if (event.bannerIndex) {
        p.PutInt("zv_banner_index", *event.bannerIndex);
    }
    p.PutBool("$is_first_time", true);
    context.AddTo(ZvEventType::Click, p);
    analytics_sdk::Sdk::TrackEvent("ZvEventClick", p);
    FlushDeferred(2);
}

void ZvTrackerImpl::trackView(const ZvEventView& event, const ZvContextProperties& context) {
    if (event.name.empty()) {
        throw ZvException("zvEventView.name is empty", "trackView", __FILE__, __LINE__);
    }
    analytics_sdk::PropertiesNode p;
    PutIfNotEmpty(p, "zv_name", ToUtf8Text(event.name));
    PutIfNotEmpty(p, "zv_aname", ToUtf8Text(event.aname));
    PutIfNotEmpty(p, "zv_title", ToUtf8Text(event.title));
    PutIfNotEmpty(p, "zv_position", ToUtf8Text(event.position));
    p.PutBool("$is_first_time", true);
    context.AddTo(ZvEventType::View, p);
    analytics_sdk::Sdk::TrackEvent("ZvEventView", p);
    FlushDeferred(2);
}

void ZvTrackerImpl::trackTask(const ZvEventTask& event, const ZvContextProperties& context) {
    if (event.name.empty()) {
        throw ZvException("zvEventTask.name is empty", "trackTask", __FILE__, __LINE__);
    }
    analytics_sdk::PropertiesNode p;
    PutIfNotEmpty(p, "zv_task_name", ToUtf8Text(event.name));
    if (event.elapsed) {
        p.PutNumber("zv_task_elapsed", static_cast<double>(*event.elapsed));
    }
    if (event.result && static_cast<int>(*event.result) >= 0 &&
        static_cast<int>(*event.result) <= 2) {
        p.PutString("zv_task_result", ToString(*event.result));
    }
    PutIfNotEmpty(p, "zv_aname", ToUtf8Text(event.aname));
    PutIfNotEmpty(p, "zv_reason", ToUtf8Text(event.reason));
    p.PutBool("$is_first_time", true);
    context.AddTo(ZvEventType::Task, p);
    analytics_sdk::Sdk::TrackEvent("ZvEventTask", p);
    FlushDeferred(1);
}

void ZvTrackerImpl::trackCrash(const std::string& reason) {
    analytics_sdk::PropertiesNode p;
    PutIfNotEmpty(p, "app_crashed_reason", ToUtf8Text(reason));
    analytics_sdk::Sdk::TrackEvent("AppCrashed", p);
    FlushImmediately();
}

template <typename F>
void ZvTrackerWrapper::Guarded(const char* name, F&& f) {
    try {
        f();
    } catch (...) {
        if (m_impl->getLogger() != nullptr) {
            std::cout << "Failed to " << name << std::endl;
        }
    }
}

void ZvTrackerWrapper::trackClick(const ZvEventClick& event, const ZvContextProperties& context) {
    Guarded("trackClick", [&] { m_impl->trackClick(event, context); });
}

void ZvTrackerWrapper::trackView(const ZvEventView& event, const ZvContextProperties& context) {
    Guarded("trackView", [&] { m_impl->trackView(event, context); });
}

void ZvTrackerWrapper::trackTask(const ZvEventTask& event, const ZvContextProperties& context) {
    Guarded("trackTask", [&] { m_impl->trackTask(event, context); });
}

void ZvTrackerWrapper::trackCrash(const std::string& reason) {
    Guarded("trackCrash", [&] { m_impl->trackCrash(reason); });
}

std::shared_ptr<ZvTrackerWrapper> SharedTracker() {
    return std::atomic_load(&g_shared);
}

void CreateTracker(const TrackerOptions& options) {
    auto impl = std::make_unique<ZvTrackerImpl>(options);
    try {
        impl->Init();
    } catch (...) {
        // A tracker that could not start is installed all the same; it queues nothing.
    }
    std::atomic_store(&g_shared, std::make_shared<ZvTrackerWrapper>(std::move(impl)));
}

void ResetTracker() {
    std::atomic_store(&g_shared, std::shared_ptr<ZvTrackerWrapper>());
}

}  // namespace zorvane::telemetry
