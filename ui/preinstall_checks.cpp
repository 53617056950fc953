// Pre-install checks and failure-reason texts.
#include "ui/preinstall_checks.h"

#include <cstdarg>
#include <cwchar>

#include "platform/files.h"
#include "platform/process.h"
#include "utils/system_queries.h"
#include "utils/text.h"

namespace {

constexpr size_t kReasonBuffer = 200;

std::wstring Format(const wchar_t* format, ...) {
    std::wstring buf(kReasonBuffer, L'\0');
    va_list args;
    va_start(args, format);
    int n = vswprintf(buf.data(), buf.size(), format, args);
    va_end(args);
    if (n < 0) {
        // Too long for the buffer: keep what fits, as the fixed buffer did.
        buf.resize(wcsnlen(buf.c_str(), buf.size() - 1));
        return buf;
    }
    buf.resize(static_cast<size_t>(n));
    return buf;
}

}  // namespace

int FindProcess(const std::wstring& name) {
    const std::string wanted = Utils::ToNarrow(name, Utils::kCodePageAcp);
    for (const platform::RunningProcess& p : platform::RunningProcesses()) {
        if (p.exeName == wanted) {
            return p.pid;
        }
    }
    return 0;
}

bool IsUsableInstallFolder(const std::wstring& folder) {
    if (folder.empty() || folder[0] != L'/' || folder.size() > 260 ||
        folder.find(L'"') != std::wstring::npos) {
        return false;
    }
    return Utils::CreateDirectoryPath(folder);
}

bool QueryFreeBytes(const std::wstring& folder, uint64_t& freeBytes) {
    Utils::HardDiskManager disk;
    if (!disk.CheckFreeSpace(folder)) {
        return false;
    }
    freeBytes = disk.FreeBytesAvailable;
    return true;
}

double FreeGigabytes(const std::wstring& folder, const FreeSpaceQuery& query) {
    uint64_t bytes = 0;
    if (!query || !query(folder, bytes)) {
        bytes = 0;
    }
    return static_cast<double>(bytes) / static_cast<double>(kBytesPerGigabyte);
}

bool IsPackagePathWritable(const std::wstring& packagePath) {
    const std::string path = Utils::ToNarrow(packagePath, Utils::kCodePageAcp);
    if (platform::PathExists(path) && !platform::RemoveFile(path)) {
        return false;
    }
    platform::File file;
    if (!file.Open(path, platform::File::Mode::Truncate)) {
        return false;
    }
    file.Close();
    platform::RemoveFile(path);
    return true;
}

std::wstring FormatDownloadFailureReason(long code, const std::wstring& message,
                                         double freeGigabytes, bool writable,
                                         uint32_t networkState) {
    return Format(
        L"1.code=%ld；2.msg=%ls；3.缓存磁盘容量=%.2fG；4.缓存读写权限=%ls；5.服务器连接状态code=%d",
        code, message.c_str(), freeGigabytes, writable ? L"可读" : L"无权限",
        static_cast<int>(networkState));
}

std::wstring FormatShortFailureReason(long code, const std::wstring& message) {
    return Format(L":1.code=%ld；2.msg=%ls", code, message.c_str());
}
