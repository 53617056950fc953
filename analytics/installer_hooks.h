// The installer's telemetry hooks: start and stop the tracker, and turn the
// installer's moments (a step reached or failed, a button pressed, the installing
// page shown, a crash) into tracker calls with the installer's A/B group.
//
// Every hook does nothing when analytics is switched off or no tracker exists, so
// callers never check either. Hooks let no exception out. Any thread.
#pragma once

#include <map>
#include <string>

namespace zorvane::telemetry {

// The A/B map: only the key "AB" is looked at; its value is the A/B group.
using AbMap = std::map<std::wstring, std::wstring>;

void InitAnalytics();
void ShutdownAnalytics();
void ReportTask(const std::wstring& taskName, float elapsedSeconds, const std::wstring& reason,
                AbMap ab);
void ReportClick(const std::wstring& buttonName, AbMap ab);
void ReportView(AbMap ab);
void ReportCrash();

}  // namespace zorvane::telemetry
