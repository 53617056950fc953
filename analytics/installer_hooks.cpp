// The installer's telemetry hooks on the process-wide tracker.
#include "analytics/installer_hooks.h"

#include "analytics/tracker.h"
#include "app/settings.h"
#include "utils/text.h"

namespace zorvane::telemetry {
namespace {

std::string Utf8(const std::wstring& text) {
    return Utils::ToNarrow(text, Utils::kCodePageUtf8);
}

// The guard of every hook: analytics on and a tracker present. The copy keeps the
// tracker alive for the whole report even if ShutdownAnalytics runs meanwhile.
std::shared_ptr<ZvTrackerWrapper> Tracker() {
    if (!Settings().IsEnableAppSensors) {
        return nullptr;
    }
    return SharedTracker();
}

void ApplyAbGroup(const AbMap& ab, const std::vector<ZvEventType>& types,
                  ZvContextProperties& context) {
    auto it = ab.find(L"AB");
    if (it == ab.end()) {
        return;
    }
    const std::string value = Utf8(it->second);
    bool valid = false;
    try {
        valid = ZvContextProperties::isValidABValue(value);
    } catch (const ZvException&) {
        valid = false;
    }
    if (!valid) {
        return;
    }
    try {
        context.setProperty(kAbPropertyKey, value, types);
    } catch (const ZvException&) {
        // Registered already: the event keeps the first value.
    }
}

}  // namespace

void InitAnalytics() {
    const InstallerSettings& s = Settings();
    if (!s.IsEnableAppSensors) {
        return;
    }
    TrackerOptions options;
    options.appName = Utf8(s.AppName + s.DlAppNameSuffix);
    options.appVersion = Utf8(s.AppVersion);
    options.appStore = Utf8(s.ExeName);
    options.dlAppId = Utf8(s.AppName);
    options.dlAppVersion = Utf8(s.DlAppVersion);
    options.edition = ZvEdition::China;
    // Empty unless the settings file or the command line names a collector.
    options.serverUrl = Utf8(s.AnalyticsUrl);
    CreateTracker(options);
}

void ShutdownAnalytics() {
    ResetTracker();
}

void ReportTask(const std::wstring& taskName, float elapsedSeconds, const std::wstring& reason,
                AbMap ab) {
    auto tracker = Tracker();
    if (!tracker) {
        return;
    }
    ZvContextProperties context;
    ApplyAbGroup(ab, {ZvEventType::Task}, context);
    ZvEventTask task;
    task.name = Utf8(taskName);
    task.reason = Utf8(reason);
    task.elapsed = std::make_shared<float>(elapsedSeconds);
    task.result = std::make_shared<ZvResult>(ZvResult::Success);
    tracker->trackTask(task, context);
}

void ReportClick(const std::wstring& buttonName, AbMap ab) {
    auto tracker = Tracker();
    if (!tracker) {
        return;
    }
    ZvContextProperties context;
    ApplyAbGroup(ab, {ZvEventType::Click}, context);
    ZvEventClick click;
    click.name = Utf8(buttonName);
    click.clickType = ClickType::Button;
    tracker->trackClick(click, context);
}

void ReportView(AbMap ab) {
    auto tracker = Tracker();
    if (!tracker) {
        return;
    }
    ZvContextProperties context;
    ApplyAbGroup(ab, {ZvEventType::View}, context);
    ZvEventView view;
    view.name = "安装中";
    tracker->trackView(view, context);
}

void ReportCrash() {
    auto tracker = Tracker();
    if (!tracker) {
        return;
    }
    tracker->trackCrash("崩溃");
}

}  // namespace zorvane::telemetry
