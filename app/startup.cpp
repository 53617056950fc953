// The start-up and teardown sequence of velquin-installer.
#include "app/startup.h"

#include <curl/curl.h>

#include "app/instance_guard.h"
#include "app/log.h"
#include "analytics/installer_hooks.h"
#include "app/settings.h"
#include "app/front_end.h"
#include "platform/crash_hook.h"
#include "platform/environment.h"

void HardenLibraryLoading() {
    platform::HardenModuleLoading();
}

void CrashFilter() {
    zorvane::telemetry::ReportTask(L"崩溃退出", 0.0f, L"", {{L"AB", L"IN"}});
    zorvane::telemetry::ReportCrash();
}

int RunInstaller() {
    HardenLibraryLoading();
    platform::InstallCrashHook(&CrashFilter);

    if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) {
        Settings().IsCurlReady = false;
        // No tracker exists yet, so the hook drops this report.
        zorvane::telemetry::ReportTask(L"libcurl初始化失败", 0.0f, L"", {{L"AB", L"IN"}});
    }

    InstanceGuard guard(L"Installer_Velquin");
    guard.Acquire();
    if (!guard.Held()) {
        return kExitAnotherCopyRunning;
    }

    Settings().ApplyCommandLine();
    VQ_LOG(L"DownloadUrl=%ls DownloadType=%d", Settings().DownloadUrl.c_str(),
           Settings().DownloadType);
    zorvane::telemetry::InitAnalytics();

    // Framework set-up, the main window and its modal loop; the window object is
    // destroyed inside, before libcurl is cleaned up, so that no transfer handle of
    // its pipeline outlives the library.
    int code = RunMainWindow(Settings().Unattended, Settings().InstallDir);

    if (Settings().IsEnableAppSensors) {
        zorvane::telemetry::ShutdownAnalytics();
    }
    curl_global_cleanup();
    guard.Release();
    return code;
}
