// The settings record: defaults, settings file, command line, package-address route.
#include "app/settings.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cwchar>

#include "platform/files.h"
#include "platform/system_version.h"
#include "utils/command_line.h"
#include "utils/profile.h"
#include "utils/text.h"

const wchar_t kDefaultPackageAddress[] = L"http://dl.zorvanesoft.com/software/222";
const wchar_t kSettingsFileName[] = L"ZorvaneInstallerConfig.ini";

namespace {

constexpr wchar_t kSection[] = L"Install";
constexpr size_t kValueBuffer = 260;

// This build's identifier and the builds that get a 64-bit route.
constexpr int kBuildId = 475;
constexpr int kBuildsWith64BitRoute[] = {267, 385, 257, 335, 318};

// strtod-style reading: leading blanks skipped, trailing text ignored; `fallback`
// when no number starts the text.
double ReadDouble(const std::wstring& text, double fallback) {
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    double value = std::wcstod(begin, &end);
    return end == begin ? fallback : value;
}

// strtol-style reading into 32 bits; values beyond the range are clamped.
int32_t ReadInt(const std::wstring& text) {
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    long long value = std::wcstoll(begin, &end, 10);
    if (end == begin) {
        return 0;
    }
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

}  // namespace

CommandLineArgs::CommandLineArgs(const std::vector<std::wstring>& arguments) {
    for (const std::wstring& arg : arguments) {
        size_t eq = arg.find(L'=');
        if (!arg.empty() && arg[0] == L'-' && eq != std::wstring::npos) {
            m_values.emplace(arg.substr(0, eq), arg.substr(eq + 1));  // first one wins
        } else {
            m_values.emplace(arg, std::wstring());
        }
    }
}

std::wstring CommandLineArgs::GetString(const std::wstring& key) const {
    auto it = m_values.find(key);
    return it == m_values.end() ? std::wstring() : it->second;
}

int32_t CommandLineArgs::GetInt(const std::wstring& key) const {
    auto it = m_values.find(key);
    return it == m_values.end() ? 0 : ReadInt(it->second);
}

bool CommandLineArgs::GetBool(const std::wstring& key) const {
    auto it = m_values.find(key);
    return it != m_values.end() && it->second == L"true";
}

double CommandLineArgs::GetDouble(const std::wstring& key, double fallback) const {
    auto it = m_values.find(key);
    return it == m_values.end() ? fallback : ReadDouble(it->second, fallback);
}

CommandLineArgs ParseCommandLine(const std::wstring& commandLine) {
    return CommandLineArgs(Utils::SplitCommandLine(commandLine));
}

std::wstring WindowsVersionName(uint32_t major, uint32_t minor, uint32_t build, bool serverR2) {
    std::wstring name;
    if (major <= 4) {
        name = L"XP-";
    } else if (major == 5) {
        switch (minor) {
            case 0:
                name = L"2K";
                break;
            case 1:
                name = L"XP";
                break;
            case 2:
                name = serverR2 ? L"Server 2003 R2" : L"Server 2003";
                break;
            default:
                name = L"XP+";
                break;
        }
    } else if (major == 6) {
        switch (minor) {
            case 0:
                name = L"Vista";
                break;
            case 1:
                name = L"7";
                break;
            case 2:
                name = L"8";
                break;
            case 3:
                name = L"8.1";
                break;
            default:
                name = L"8.1+";
                break;
        }
    } else if (major == 10) {
        name = minor == 0 ? L"10" : L"10+";
    }
    if (name.empty()) {
        name =
            std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." + std::to_wstring(build);
    }
    return name;
}

OsVersion GetOsVersion() {
    const platform::SystemVersion v = platform::QuerySystemVersion();
    OsVersion os;
    os.SystemName = Utils::ToWide(v.systemName, Utils::kCodePageUtf8);
    os.VersionName = std::to_wstring(v.major) + L"." + std::to_wstring(v.minor) + L"." +
                     std::to_wstring(v.build);
    return os;
}

bool IsWow64() {
    return sizeof(void*) == 4 && platform::Is64BitSystem();
}

std::wstring RouteFor(const std::wstring& versionName, bool wow64) {
    if (versionName.find(L"XP") != std::wstring::npos) {
        return L"download_silent_xp";
    }
    for (int id : kBuildsWith64BitRoute) {
        if (id == kBuildId) {
            return wow64 ? L"download_silent_64" : L"download_silent";
        }
    }
    return L"download_silent";
}

std::wstring ResolveRoute(const std::wstring& address) {
    static const std::wstring kPlaceholder = L"${ROUTE}";
    if (address.find(kPlaceholder) == std::wstring::npos) {
        return address;
    }
    return Utils::ReplaceAll(address, kPlaceholder,
                             RouteFor(GetOsVersion().VersionName, IsWow64()));
}

InstallerSettings::InstallerSettings()
    : InstallerSettings(Utils::ToWide(platform::ExecutablePath(), Utils::kCodePageAcp)) {}

InstallerSettings::InstallerSettings(const std::wstring& executablePath) {
    DownloadUrl = ResolveRoute(kDefaultPackageAddress);
    LoadSettingsFile(executablePath);
}

void InstallerSettings::LoadSettingsFile(const std::wstring& executablePath) {
    const size_t slash = executablePath.rfind(L'/');
    ExeName = slash == std::wstring::npos ? executablePath : executablePath.substr(slash + 1);
    const std::wstring folder =
        slash == std::wstring::npos ? L"." : executablePath.substr(0, slash);
    SettingsFilePath = folder + L"/" + kSettingsFileName;

    if (platform::IsRegularFile(Utils::ToNarrow(SettingsFilePath, Utils::kCodePageAcp))) {
        auto text = [this](const wchar_t* key, const wchar_t* def) {
            return Utils::GetPrivateProfileStringW(kSection, key, def, kValueBuffer,
                                                   SettingsFilePath);
        };
        SetDownloadUrl(text(L"DownloadUrl", kDefaultPackageAddress));
        DownloadType = Utils::GetPrivateProfileIntW(kSection, L"DownloadType", 1, SettingsFilePath);
        IsCheckNet = text(L"IsCheckNet", L"true") == L"true";
        IsEnableAppSensors = text(L"IsEnableAppSensors", L"true") == L"true";
        DlAppNameSuffix = text(L"DlAppNameSuffix", L".downloader");
        DlAppVersion = text(L"m_DlAppVersion", L"");
        DownloadScale = ReadDouble(text(L"DownloadScale", L"0.7"), 0.0);
        InstCmd = text(L"InstCmd", L"");
        AnalyticsUrl = text(L"AnalyticsUrl", L"");
    }
    AppName = L"Velquin";
    AppVersion = L"1.7.9";
}

void InstallerSettings::ApplyCommandLine() {
    // /proc/self/cmdline holds the arguments as the process was started, NUL-separated.
    std::string raw;
    std::vector<std::wstring> args;
    if (platform::ReadWholeFile("/proc/self/cmdline", raw)) {
        size_t start = 0;
        while (start < raw.size()) {
            size_t end = raw.find('\0', start);
            if (end == std::string::npos) {
                end = raw.size();
            }
            args.push_back(Utils::ToWide(raw.substr(start, end - start), Utils::kCodePageAcp));
            start = end + 1;
        }
    }
    ApplyCommandLine(args);
}

void InstallerSettings::ApplyCommandLine(const std::vector<std::wstring>& arguments) {
    const CommandLineArgs args(arguments);
    if (args.Has(L"-downloadurl")) {
        SetDownloadUrl(args.GetString(L"-downloadurl"));
    }
    if (args.Has(L"-downloadtype")) {
        DownloadType = args.GetInt(L"-downloadtype");
    }
    if (args.Has(L"-downloadscale")) {
        DownloadScale = args.GetDouble(L"-downloadscale", std::nan(""));
    }
    if (args.Has(L"-ischecknet")) {
        IsCheckNet = args.GetBool(L"-ischecknet");
    }
    if (args.Has(L"-isenableappsensors")) {
        IsEnableAppSensors = args.GetBool(L"-isenableappsensors");
    }
    if (args.Has(L"-dlappnamesuffix")) {
        DlAppNameSuffix = args.GetString(L"-dlappnamesuffix");
    }
    if (args.Has(L"-dlappversion")) {
        DlAppVersion = args.GetString(L"-dlappversion");
    }
    if (args.Has(L"-instcmd")) {
        InstCmd = args.GetString(L"-instcmd");
    }
    if (args.Has(L"-analyticsurl")) {
        AnalyticsUrl = args.GetString(L"-analyticsurl");
    }
    if (args.Has(L"-unattended")) {
        Unattended = args.GetBool(L"-unattended");
    }
    if (args.Has(L"-installdir")) {
        InstallDir = args.GetString(L"-installdir");
    }
}

void InstallerSettings::SetDownloadUrl(const std::wstring& address) {
    DownloadUrl = ResolveRoute(address);
}

InstallerSettings& Settings() {
    static InstallerSettings settings;
    return settings;
}

namespace {
// Builds the record during static initialisation, before the entry point runs.
[[maybe_unused]] const InstallerSettings& g_settingsAtStart = Settings();
}  // namespace
