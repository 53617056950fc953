// Identity file, device ids, OS facts and locale.
#include "analytics/identity.h"

#include <cstdio>
#include <cstdlib>

#include "platform/environment.h"
#include "platform/files.h"
#include "platform/guid.h"
#include "platform/system_version.h"
#include "utils/profile.h"

namespace zorvane::telemetry {
namespace {

constexpr size_t kValueBuffer = 128;
constexpr unsigned kOwnerOnly = 0600;

}  // namespace

std::string AnalyticsWindowsVersionName(uint32_t major, uint32_t minor, uint32_t build, bool is64,
                                        bool serverR2) {
    if (major <= 4) {
        return "XP-";
    }
    if (major == 5) {
        switch (minor) {
            case 0:
                return "2K";
            case 1:
                return "XP";
            case 2:
                return is64 ? "XP64" : (serverR2 ? "Server 2003 R2" : "Server 2003");
            default:
                return "XP+";
        }
    }
    if (major == 6) {
        switch (minor) {
            case 0:
                return is64 ? "Vista64" : "Vista";
            case 1:
                return is64 ? "7" : "7-32";
            case 2:
                return is64 ? "8" : "8-32";
            case 3:
                return "8.1";
            default:
                return "8.1+";
        }
    }
    if (major == 10) {
        return minor == 0 ? "10" : "10+";
    }
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build);
}

void GetAnalyticsOsVersion(std::string& systemName, std::string& versionName) {
    const platform::SystemVersion v = platform::QuerySystemVersion();
    systemName = v.systemName;
    versionName =
        std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.build);
}

std::string BuildUserAgent() {
    std::string system, version;
    GetAnalyticsOsVersion(system, version);
    return "Mozilla/5.0(" + system + " " + version + "; Win" +
           (platform::Is64BitSystem() ? "64;)" : "32;)");
}

bool SplitLocale(const std::string& locale, std::string& language, std::string& country) {
    const size_t us = locale.find('_');
    if (us == std::string::npos) {
        return false;
    }
    language = locale.substr(0, us);
    country = locale.substr(us + 1);
    return true;
}

bool GetUserLocale(std::string& language, std::string& country, std::string& locale) {
    std::string value;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        value = platform::GetEnv(name);
        if (!value.empty()) {
            break;
        }
    }
    // "zh_CN.UTF-8@mod" → zh, CN
    const size_t cut = value.find_first_of(".@");
    if (cut != std::string::npos) {
        value.resize(cut);
    }
    std::string lang, ctry;
    if (!SplitLocale(value, lang, ctry) || lang.empty() || ctry.empty()) {
        return false;
    }
    language = lang;
    country = ctry;
    locale = lang + "_" + ctry;
    return true;
}

std::string NewDeviceId() {
    const platform::Guid g = platform::NewGuid();
    char buf[48];
    snprintf(buf, sizeof buf, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", g.data1, g.data2,
             g.data3, g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5],
             g.data4[6], g.data4[7]);
    return buf;
}

std::string FallbackDeviceId(std::mt19937& rng) {
    std::uniform_int_distribution<uint32_t> dist(0, 2147483646);
    uint32_t d[9];
    for (int i = 1; i <= 8; ++i) {
        d[i] = dist(rng);
    }
    char buf[96];
    snprintf(buf, sizeof buf, "%x%x-%x-%x-%x-%x%x%x", d[8], d[7], d[6], (d[5] & 0xFFFu) | 0x4000u,
             (d[4] % 16383u) + 32768u, d[3], d[2], d[1]);
    return buf;
}

bool EnsureFolderPath(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    if (platform::IsDirectory(path)) {
        return true;
    }
    std::string p = path;
    if (p.back() != '/') {
        p += '/';
    }
    for (size_t i = 1; i < p.size(); ++i) {
        if (p[i] == '/') {
            const std::string prefix = p.substr(0, i);
            if (!platform::IsDirectory(prefix) && !platform::MakeDirectory(prefix)) {
                return false;
            }
        }
    }
    return true;
}

std::string IdentityFilePath(const std::string& appName, const std::string& executableFolder) {
    const std::string setFile = executableFolder + "/Set.ini";
    std::string named;
    if (platform::IsRegularFile(setFile)) {
        named =
            Utils::GetPrivateProfileStringA("Install", "DUDudizuzOdizeduzaIni", "", 260, setFile);
    }
    if (named.find('/') == std::string::npos) {
        const std::string folder = platform::DataFolder() + "/ZVLocal/" + appName;
        EnsureFolderPath(folder);
        return folder + "/" + appName + "_ZVSConfigure.ini";
    }
    EnsureFolderPath(named.substr(0, named.rfind('/')));
    return named;
}

void LoadIdentity(const std::string& file, IdentityValues& identity) {
    identity = IdentityValues();
    if (platform::IsRegularFile(file)) {
        identity.DistinctId =
            Utils::GetPrivateProfileStringA("Base", "DistinctId", "", kValueBuffer, file);
        identity.UserId = Utils::GetPrivateProfileStringA("Base", "UserId", "", kValueBuffer, file);
        identity.UserVipLevel = Utils::GetPrivateProfileIntA("Base", "UserVipLevel", 0, file);
        identity.IsLogined =
            Utils::GetPrivateProfileStringA("Base", "isLogined", "", kValueBuffer, file) == "OK";
        identity.ServerUrl = Utils::GetPrivateProfileStringA("Base", "URL", "", kValueBuffer, file);
    }
    if (identity.DistinctId.empty()) {
        identity.DistinctId = NewDeviceId();
        SaveIdentity(file, identity);
    }
}

void SaveIdentity(const std::string& file, const IdentityValues& identity) {
    Utils::WritePrivateProfileStringA("Base", "DistinctId", identity.DistinctId, file, kOwnerOnly);
    Utils::WritePrivateProfileStringA("Base", "UserId", identity.UserId, file, kOwnerOnly);
    Utils::WritePrivateProfileStringA("Base", "UserVipLevel", std::to_string(identity.UserVipLevel),
                                      file, kOwnerOnly);
    Utils::WritePrivateProfileStringA("Base", "URL", identity.ServerUrl, file, kOwnerOnly);
    Utils::WritePrivateProfileStringA("Base", "isLogined", identity.IsLogined ? "OK" : "NG", file,
                                      kOwnerOnly);
}

void WriteUninstallInfo(const std::string& file, const std::string& appStore,
                        const std::string& appName, const std::string& appVersion) {
    Utils::WritePrivateProfileStringA("UninstallInfo", "AppStore", appStore, file, kOwnerOnly);
    Utils::WritePrivateProfileStringA("UninstallInfo", "AppName", appName, file, kOwnerOnly);
    Utils::WritePrivateProfileStringA("UninstallInfo", "AppVersion", appVersion, file, kOwnerOnly);
}

}  // namespace zorvane::telemetry
