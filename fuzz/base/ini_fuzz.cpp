// Fuzz target: the ini reader and writer on arbitrary file contents.
#include <unistd.h>

#include <cstdint>
#include <string>

#include "platform/files.h"
#include "utils/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        char tmpl[] = "/tmp/velquin-ini-fuzz-XXXXXX";
        const char* dir = mkdtemp(tmpl);
        return std::string(dir != nullptr ? dir : "/tmp") + "/f.ini";
    }();
    const std::string content(reinterpret_cast<const char*>(data), size);
    if (!platform::WriteFileAtomic(path, content)) {
        return 0;
    }
    // Section and key names taken from the input itself reach the interesting paths.
    const std::string name =
        content.substr(0, content.find('\n') == std::string::npos ? 8 : content.find('\n'));
    for (const std::string& section : {std::string("Install"), name}) {
        Utils::GetPrivateProfileStringA(section, "DownloadUrl", "d", 260, path);
        Utils::GetPrivateProfileIntA(section, name, 1, path);
        Utils::GetPrivateProfileStringW(L"install", L"x", L"", 20, L"/tmp/none-velquin.ini");
    }
    // A write must keep the file readable and hold the value written.
    if (Utils::WritePrivateProfileStringA("Install", "Fuzz", "value", path)) {
        if (Utils::GetPrivateProfileStringA("Install", "Fuzz", "", 260, path) != "value") {
            __builtin_trap();
        }
    }
    return 0;
}
