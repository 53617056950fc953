// The tracker's identity and environment: the device identity kept in the identity
// file, where that file lives, the operating system, user agent and locale.
#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace zorvane::telemetry {

struct IdentityValues {
    std::string DistinctId;
    std::string UserId;
    int UserVipLevel = 0;
    std::string ServerUrl;
    bool IsLogined = false;
};

// The analytics version-name table (it shows the bitness, unlike the route's table).
std::string AnalyticsWindowsVersionName(uint32_t major, uint32_t minor, uint32_t build, bool is64,
                                        bool serverR2);
// The running system: "Linux" and the kernel release in numeric form.
void GetAnalyticsOsVersion(std::string& systemName, std::string& versionName);
std::string BuildUserAgent();
// Language and country from the user's locale (LC_ALL, LC_MESSAGES, LANG); false
// under the C or POSIX locale, leaving the outputs alone.
bool GetUserLocale(std::string& language, std::string& country, std::string& locale);
bool SplitLocale(const std::string& locale, std::string& language, std::string& country);

// "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X" of a new random GUID.
std::string NewDeviceId();
// The fallback form when no GUID can be had, drawn from `rng` (seeded from the
// system's random source by NewDeviceId, never from a fixed seed).
std::string FallbackDeviceId(std::mt19937& rng);

// Where the identity file is: the path named by "Set.ini" beside the executable
// (section Install, key DUDudizuzOdizeduzaIni) when it holds a separator, else
// "<data folder>/ZVLocal/<appName>/<appName>_ZVSConfigure.ini". The folder is created.
std::string IdentityFilePath(const std::string& appName, const std::string& executableFolder);
bool EnsureFolderPath(const std::string& path);

// Identity file sections "Base" and "UninstallInfo"; the file is owner-only.
void LoadIdentity(const std::string& file, IdentityValues& identity);
void SaveIdentity(const std::string& file, const IdentityValues& identity);
void WriteUninstallInfo(const std::string& file, const std::string& appStore,
                        const std::string& appName, const std::string& appVersion);

}  // namespace zorvane::telemetry
