// Installation records, folder rules and the product launch.
#include "ui/install_records.h"

#include <clocale>
#include <vector>

#include "app/settings.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/process.h"
#include "utils/process.h"
#include "utils/profile.h"
#include "utils/system_queries.h"
#include "utils/text.h"

namespace {

std::string Narrow(const std::wstring& s) {
    return Utils::ToNarrow(s, Utils::kCodePageAcp);
}
std::wstring Wide(const std::string& s) {
    return Utils::ToWide(s, Utils::kCodePageAcp);
}

bool FileExists(const std::wstring& path) {
    return !path.empty() && platform::PathExists(Narrow(path));
}

std::wstring JoinFolder(const std::wstring& base, const std::wstring& name) {
    if (!base.empty() && base.back() == L'/') {
        return base + name;
    }
    return base + L"/" + name;
}

// Lexical normal form of an absolute or relative folder: no empty or "." parts,
// ".." folded into its parent, no trailing separator.
std::wstring NormalFolder(const std::wstring& path) {
    std::vector<std::wstring> parts;
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = path.find(L'/', i);
        if (j == std::wstring::npos) {
            j = path.size();
        }
        std::wstring part = path.substr(i, j - i);
        if (part == L"..") {
            if (!parts.empty() && parts.back() != L"..") {
                parts.pop_back();
            } else if (path.empty() || path[0] != L'/') {
                parts.push_back(part);
            }
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::wstring out = (!path.empty() && path[0] == L'/') ? L"/" : L"";
    for (size_t k = 0; k < parts.size(); ++k) {
        out += (k == 0 ? L"" : L"/") + parts[k];
    }
    return out;
}

}  // namespace

std::wstring UninstallEntryOf(const std::wstring& folder) {
    return JoinFolder(folder, L"uninst.ep");
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    // No relative path exists between an empty folder and anything.
    if (a.empty() || b.empty()) {
        return false;
    }
    return NormalFolder(a) == NormalFolder(b);
}

std::wstring ZorVaneDataDir() {
    return Wide(platform::DataFolder()) + L"/ZorVaneData/Velquin";
}

void CInstallRecords::ReadInstallRecord() {
    OldInstallPath.clear();
    OldUninstallEp.clear();
    uint32_t type = 0;
    Utils::ReadProductRegistryString(L"InstallPath", type, OldInstallPath);
    Utils::ReadProductRegistryString(L"UnInstallEp", type, OldUninstallEp);
    if (OldUninstallEp.empty() && !OldInstallPath.empty()) {
        OldUninstallEp = UninstallEntryOf(OldInstallPath);
    }
}

std::wstring CInstallRecords::DefaultInstallDir() {
    std::wstring user;
    ConsoleUserIsAdmin = Utils::GetConsoleUser(user) && Utils::IsAdminAccount(user);
    ProcessIsAdmin = Utils::IsUserAdmin();
    if (!OldInstallPath.empty() && FileExists(OldUninstallEp)) {
        return OldInstallPath;
    }
    const std::wstring base = (ConsoleUserIsAdmin && ProcessIsAdmin)
                                  ? JoinFolder(Wide(platform::DataFolder()), L"zorvane")
                                  : Wide(platform::ProgramFilesFolder());
    return JoinFolder(base, L"Velquin");
}

bool CInstallRecords::IsDefaultDir(const std::wstring& folder) {
    return SameFolder(DefaultInstallDir(), folder);
}

std::wstring CInstallRecords::CustomInstallDir(const std::wstring& folderBoxText) {
    if (IsDefaultDir(folderBoxText)) {
        return DefaultInstallDir();
    }
    return JoinFolder(folderBoxText, L"Velquin");
}

bool CInstallRecords::SkipOldUninstall(const std::wstring& folder) {
    if (!SameFolder(OldInstallPath, folder)) {
        return false;
    }
    const std::wstring value = Utils::GetPrivateProfileStringW(L"Uninstall", L"IsOverride", L"true",
                                                               20, JoinFolder(folder, L"set.ini"));
    return value == L"false";
}

void CInstallRecords::WriteInstallRecord() {
    Utils::WriteProductRegistryString(L"InstallPath", InstallPath);
    if (UninstEp.empty()) {
        UninstEp = UninstallEntryOf(InstallPath);
    }
    if (FileExists(UninstEp)) {
        Utils::WriteProductRegistryString(L"UnInstallEp", UninstEp);
    }
}

void CInstallRecords::WriteSetIni() {
    const std::wstring setIni = JoinFolder(InstallPath, L"set.ini");
    // The product reads its files with a UTF-8 runtime; on systems without that
    // locale the call fails and changes nothing.
    std::setlocale(LC_ALL, "en_GB.UTF-8");
    Utils::WritePrivateProfileStringW(L"Install", L"APPStore", Settings().ExeName, setIni);
    Utils::WritePrivateProfileStringW(L"Install", L"AppName", L"Velquin", setIni);
    Utils::WritePrivateProfileStringW(L"Install", L"DeviceID", Utils::NewGuidText(), setIni);

    const std::wstring dataDir = ZorVaneDataDir();
    if (!Utils::CreateDirectoryPath(dataDir)) {
        return;
    }
    const std::wstring timeFile = dataDir + L"/DUDudizuzOdizeduza.ini";
    Utils::WritePrivateProfileStringW(L"Install", L"DUDudizuzOdizeduzaIni", timeFile, setIni);
    const platform::LocalTime now = platform::NowLocal();
    wchar_t stamp[128];
    swprintf(stamp, 128, L"%d-%02d-%02d %02d:%02d:%02d", now.year, now.month, now.day, now.hour,
             now.minute, now.second);
    Utils::WritePrivateProfileStringW(L"Init", L"UpdateTime", stamp, timeFile);
}

void CInstallRecords::LaunchProduct(const std::function<void()>& pump) {
    if (StartUrl.size() > 5) {
        platform::OpenUri(Utils::ToNarrow(StartUrl, Utils::kCodePageUtf8));
    }
    if (FileExists(ProductExePath)) {
        if (pump) {
            pump();
        }
        const std::string exe = Narrow(ProductExePath);
        const size_t slash = exe.rfind('/');
        platform::LaunchDetached({exe},
                                 slash == std::string::npos ? std::string() : exe.substr(0, slash));
    }
}
