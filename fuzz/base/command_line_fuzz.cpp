// Fuzz target: command-line splitting and option parsing on arbitrary text.
#include <cstdint>
#include <string>

#include "app/settings.h"
#include "utils/command_line.h"
#include "utils/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring line =
        Utils::ToWide(std::string(reinterpret_cast<const char*>(data), size), Utils::kCodePageUtf8);
    const std::vector<std::wstring> args = Utils::SplitCommandLine(line);
    // Splitting never makes text up: the arguments together are no longer than the line.
    size_t total = 0;
    for (const std::wstring& a : args) {
        total += a.size();
    }
    if (total > line.size()) {
        __builtin_trap();
    }
    CommandLineArgs parsed(args);
    parsed.GetInt(L"-downloadtype");
    parsed.GetDouble(L"-downloadscale", 0.0);
    return 0;
}
