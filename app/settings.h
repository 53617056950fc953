// InstallerSettings: the one process-wide settings record, filled from built-in
// defaults, the settings file beside the executable, and the command line.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The options of the command line: key → value, ordered by key. An argument
// "-key=value" gives the key "-key" (dash included) and the text after the first
// "="; any other argument is a key with an empty value. The first occurrence of a
// key counts.
class CommandLineArgs {
public:
    explicit CommandLineArgs(const std::vector<std::wstring>& arguments);

    bool Has(const std::wstring& key) const { return m_values.count(key) != 0; }
    // The value, empty when the key is absent.
    std::wstring GetString(const std::wstring& key) const;
    // Leading blanks, optional sign, decimal digits; 0 when absent or not a number.
    int32_t GetInt(const std::wstring& key) const;
    // True exactly when the value is "true".
    bool GetBool(const std::wstring& key) const;
    // The C library's string-to-double reading; `fallback` when absent or not a number.
    double GetDouble(const std::wstring& key, double fallback) const;

private:
    std::map<std::wstring, std::wstring> m_values;
};

// Splits a whole command-line text by the Windows rules and parses it.
CommandLineArgs ParseCommandLine(const std::wstring& commandLine);

struct OsVersion {
    std::wstring SystemName;   // "Windows", or "Linux" on this platform
    std::wstring VersionName;  // "XP", "7", "10", …, or the numeric form major.minor.build
};

// The Windows naming table: major, minor, build of the NT version numbers (build
// already cut to its low 16 bits) and whether the Server 2003 R2 metric is set.
std::wstring WindowsVersionName(uint32_t major, uint32_t minor, uint32_t build, bool serverR2);

// The running system: on Linux, "Linux" and the kernel release in numeric form
// (the Windows table does not apply, so the route is never the XP one).
OsVersion GetOsVersion();

// True when this (32-bit) program runs on a 64-bit system; a native 64-bit build
// never does.
bool IsWow64();

// Replaces every "${ROUTE}" by the route for this system and build.
std::wstring ResolveRoute(const std::wstring& address);
// The route rule itself, for a given version name and bitness.
std::wstring RouteFor(const std::wstring& versionName, bool wow64);

// The default package address (the maker's download server, path "/software/222").
extern const wchar_t kDefaultPackageAddress[];
// The settings file's name, beside the executable.
extern const wchar_t kSettingsFileName[];

class InstallerSettings {
public:
    // Built-in defaults, then LoadSettingsFile for the running executable.
    InstallerSettings();
    // For tests: defaults, then the settings file beside `executablePath`.
    explicit InstallerSettings(const std::wstring& executablePath);

    // Sets ExeName from the executable's path and reads the settings file beside it
    // when it exists.
    void LoadSettingsFile(const std::wstring& executablePath);
    // Applies the process's own command line (its arguments as started).
    void ApplyCommandLine();
    // Applies the given arguments (the program first).
    void ApplyCommandLine(const std::vector<std::wstring>& arguments);
    void SetDownloadUrl(const std::wstring& address);

    std::wstring AppName = L"Velquin";
    std::wstring AppVersion = L"1.7.9";
    std::wstring ExeName = L"NULL";
    std::wstring DlAppNameSuffix = L".downloader";
    std::wstring DlAppVersion;
    std::wstring InstCmd;
    std::wstring DownloadUrl;
    int32_t DownloadType = 1;
    bool IsCheckNet = false;
    bool IsEnableAppSensors = true;
    double DownloadScale = 0.7;
    bool IsCurlReady = true;
    std::wstring AbGroup = L"IN";

    // Extensions: the analytics collection address (file key "AnalyticsUrl", option
    // "-analyticsurl"; empty = the tracker's default), the unattended front end
    // ("-unattended=true") and its installation folder ("-installdir=PATH").
    std::wstring AnalyticsUrl;
    bool Unattended = false;
    std::wstring InstallDir;

    // Where the settings file was looked for.
    std::wstring SettingsFilePath;
};

// The process-wide record, built during static initialisation.
InstallerSettings& Settings();
