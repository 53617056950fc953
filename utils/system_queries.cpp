// System queries on top of platform/.
#include "utils/system_queries.h"

#include <cerrno>
#include <cstdio>

#include "app/log.h"
#include "platform/clock.h"
#include "platform/disk.h"
#include "platform/files.h"
#include "platform/guid.h"
#include "platform/network.h"
#include "platform/users.h"
#include "utils/md5.h"
#include "utils/text.h"

namespace Utils {

uint32_t CheckNetwork() {
    return NetworkStateFrom(platform::QueryConnectivity());
}

uint32_t NetworkStateFrom(platform::Connectivity connectivity) {
    switch (connectivity) {
        case platform::Connectivity::Unavailable:
            return 0;
        case platform::Connectivity::None:
            VQ_LOG_NOBREAK(L"GetConnectivity %d", 0);
            return kNetworkCodeNone << 16;
        case platform::Connectivity::Limited:
            VQ_LOG_NOBREAK(L"get_IsConnectedToInternet:%d", 0);
            return (kNetworkCodeNoInternet << 16) | kConnectivityLocalFlags;
        case platform::Connectivity::Full:
            return kConnectivityInternetFlags;
    }
    return 0;
}

bool HardDiskManager::CheckFreeSpace(const std::wstring& folder) {
    platform::DiskSpace space;
    int err = 0;
    if (!platform::QueryDiskSpace(ToNarrow(folder, kCodePageAcp), space, &err)) {
        VQ_LOG_NOBREAK(L"HardDiskManager::CheckFreeSpace FAIL code=%ld\r\n",
                       static_cast<long>(err));
        return false;
    }
    FreeBytesAvailable = space.freeBytesAvailable;
    TotalBytes = space.totalBytes;
    TotalFreeBytes = space.totalFreeBytes;
    return true;
}

bool IsUserAdmin() {
    return platform::IsProcessAdmin();
}

bool IsAdminAccount(const std::wstring& userName) {
    return platform::IsAdminAccount(ToNarrow(userName, kCodePageAcp));
}

bool GetConsoleUser(std::wstring& userName) {
    std::string name;
    if (!platform::ConsoleUser(name)) {
        return false;
    }
    userName = ToWide(name, kCodePageAcp);
    return true;
}

std::wstring GetInstallerTempFolder() {
    std::wstring path =
        ToWide(platform::TempFolder(), kCodePageAcp) + L"/~ZorVaneTemp.92482B06FB471E17/";
    const std::string narrow = ToNarrow(path, kCodePageAcp);
    if (platform::IsDirectory(narrow)) {
        return path;
    }
    return platform::MakeDirectory(narrow) ? path : std::wstring();
}

bool CreateDirectoryPath(const std::wstring& path) {
    constexpr size_t kMaxPath = 260;
    if (path.size() > kMaxPath || (path.size() == kMaxPath && path.back() == L'/')) {
        return false;
    }
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] != L'/' || i == 0) {
            continue;
        }
        const std::string prefix = ToNarrow(path.substr(0, i + 1), kCodePageAcp);
        if (!platform::PathExists(prefix) && !platform::MakeDirectory(prefix)) {
            return false;
        }
    }
    if (!path.empty() && path.back() != L'/') {
        const std::string whole = ToNarrow(path, kCodePageAcp);
        if (!platform::PathExists(whole) && !platform::MakeDirectory(whole)) {
            return false;
        }
    }
    return true;
}

std::wstring NewGuidText() {
    const platform::Guid g = platform::NewGuid();
    wchar_t buf[50];
    swprintf(buf, 50, L"%08X%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X", g.data1, g.data2, g.data3,
             g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6],
             g.data4[7]);
    return buf;
}

std::string FileMd5(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    platform::File file;
    if (!file.Open(path, platform::File::Mode::Read)) {
        return {};
    }
    // Large reads: the package is hashed right after it arrives, often a gigabyte.
    static constexpr size_t kChunk = 1 << 20;
    std::string buf(kChunk, '\0');
    Md5 md5;
    for (;;) {
        int64_t n = file.Read(buf.data(), buf.size());
        if (n < 0) {
            return {};
        }
        if (n == 0) {
            break;
        }
        md5.Update(buf.data(), static_cast<size_t>(n));
    }
    return md5.FinishHex();
}

void Stopwatch::StartNow() {
    StartTicks = platform::TickCountMs();
    Running = true;
}

float Stopwatch::ElapsedSeconds() const {
    if (!Running) {
        return 0.0f;
    }
    const uint32_t elapsed = platform::TickCountMs() - StartTicks;
    return static_cast<float>(elapsed) / 1000.0f;
}

}  // namespace Utils
