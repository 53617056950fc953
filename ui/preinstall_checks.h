// What the installer checks before any byte is downloaded, and the failure-reason
// texts it reports: the pieces of the check sequence that do not need a window.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

constexpr wchar_t kProductProcessName[] = L"vuvIroridazaDirizode.exe";
constexpr wchar_t kUninstallerProcessName[] = L"Velquin_un_asa.exe";
constexpr wchar_t kTipCaption[] = L"温馨提示";
constexpr wchar_t kRunningProductText[] = L"安装程序检测到Velquin\r\n正在运行，请退出程序后再安装";
constexpr wchar_t kInvalidFolderText[] = L"无效路径";
constexpr wchar_t kLowSpaceText[] = L"当前磁盘剩余空间低于1GB，请修改安装路径";
constexpr wchar_t kPoorNetworkText[] = L"当前网络环境较差，请在网络通畅时进行安装";
constexpr uint64_t kBytesPerGigabyte = 1073741824ull;

// The pid of the first running process (lowest pid) whose executable's file name is
// exactly `name` (case matters), or 0.
int FindProcess(const std::wstring& name);

// An installation folder is usable when it is absolute, at most 260 characters,
// holds no double quote (it would break the package's command line), and every level
// exists or can be created; the check creates the missing levels.
bool IsUsableInstallFolder(const std::wstring& folder);

// Free bytes the user may use on the file system of a folder; false when unknown.
using FreeSpaceQuery = std::function<bool(const std::wstring& folder, uint64_t& freeBytes)>;
// The real query (statvfs of the folder or its nearest existing ancestor).
bool QueryFreeBytes(const std::wstring& folder, uint64_t& freeBytes);
// Free space in GB (2^30 bytes); a failed query counts as 0.
double FreeGigabytes(const std::wstring& folder, const FreeSpaceQuery& query = QueryFreeBytes);
// At least 1 GB free.
inline bool HasEnoughSpace(double gigabytes) {
    return gigabytes >= 1.0;
}

// The network check's answer is usable when its status half (the value shifted right
// by 16, sign kept) is 0.
inline bool IsNetworkUsable(uint32_t state) {
    return (static_cast<int32_t>(state) >> 16) == 0;
}

// The package file can be written: an existing one can be deleted, or a new one can
// be created (and is removed again).
bool IsPackagePathWritable(const std::wstring& packagePath);

// Failure-reason texts, each cut to 199 characters.
std::wstring FormatDownloadFailureReason(long code, const std::wstring& message,
                                         double freeGigabytes, bool writable,
                                         uint32_t networkState);
std::wstring FormatShortFailureReason(long code, const std::wstring& message);
