// Facts about the machine the installer's decisions depend on: network state, free
// space, administrator facts, the console user, the installer's temporary folder,
// folder creation, GUID texts, file checksums and the stopwatch.
#pragma once

#include <cstdint>
#include <string>

#include "platform/network.h"

namespace Utils {

// Network state: low 16 bits connectivity flags, high 16 bits a code: 0 connected to
// the Internet (also when the network monitor cannot be asked), 1 no connectivity at
// all (the whole value is 65536), 2 connected but not to the Internet.
constexpr uint32_t kNetworkCodeConnected = 0;
constexpr uint32_t kNetworkCodeNone = 1;
constexpr uint32_t kNetworkCodeNoInternet = 2;
// The flags reported with a connected network (the IPv4-Internet bit, 0x40, and the
// IPv4-local-network bit, 0x20, of the network list manager's bit set).
constexpr uint32_t kConnectivityInternetFlags = 0x40;
constexpr uint32_t kConnectivityLocalFlags = 0x20;

// Any thread. Writes "GetConnectivity %d" or "get_IsConnectedToInternet:%d" to the
// log when the answer is not "connected".
uint32_t CheckNetwork();
// The network state value for what the network monitor answered (logs as above).
uint32_t NetworkStateFrom(platform::Connectivity connectivity);

class HardDiskManager {
public:
    virtual ~HardDiskManager() = default;
    // Fills the three fields for the file system of `folder` (its nearest existing
    // ancestor when it does not exist yet). On failure logs
    // "HardDiskManager::CheckFreeSpace FAIL code=%ld\r\n" and returns false.
    bool CheckFreeSpace(const std::wstring& folder);

    uint64_t FreeBytesAvailable = 0;
    uint64_t TotalBytes = 0;
    uint64_t TotalFreeBytes = 0;
};

bool IsUserAdmin();                                 // effective uid 0
bool IsAdminAccount(const std::wstring& userName);  // uid 0, or in sudo/wheel/admin
// The user of the active console session; false leaves `userName` unchanged.
bool GetConsoleUser(std::wstring& userName);

// The user's temporary folder followed by "/~ZorVaneTemp.92482B06FB471E17/", created
// (one level) when missing; empty when it cannot be created.
std::wstring GetInstallerTempFolder();

// Creates every missing folder along `path`. A path longer than 260 characters, or
// of exactly 260 ending in a separator, fails without creating anything.
bool CreateDirectoryPath(const std::wstring& path);

// 32 hexadecimal characters, "%08X%04X%04x%02X…": the third group lower case.
std::wstring NewGuidText();

// MD5 of a file's bytes as 32 lower-case hexadecimal characters; empty when the path
// is empty or the file cannot be read.
std::string FileMd5(const std::string& path);

struct Stopwatch {
    uint32_t StartTicks = 0;
    bool Running = false;

    void StartNow();
    // Seconds since StartTicks (unsigned 32-bit tick difference, so a wrap of the
    // counter still measures right); 0 when not running.
    float ElapsedSeconds() const;
};

}  // namespace Utils
