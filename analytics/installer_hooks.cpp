// Placeholder hooks until the tracker exists: no tracker instance, so every report
// is dropped, as the hooks do before the tracker starts.
#include "analytics/installer_hooks.h"

namespace zorvane::telemetry {

void InitAnalytics() {}
void ShutdownAnalytics() {}
void ReportTask(const std::wstring&, float, const std::wstring&, AbMap) {}
void ReportClick(const std::wstring&, AbMap) {}
void ReportView(AbMap) {}
void ReportCrash() {}

}  // namespace zorvane::telemetry
