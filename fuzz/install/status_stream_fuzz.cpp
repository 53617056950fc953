// Fuzz target: the status-stream parser, fed in pieces cut where the input says.
#include <cstdint>
#include <string>
#include <vector>

#include "install/status_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte chooses the stream and the read size, so boundaries move around.
    const auto kind = (data[0] & 1) != 0 ? StatusStreamParser::Kind::Package
                                         : StatusStreamParser::Kind::Uninstaller;
    const size_t piece = 1 + (data[0] >> 1);
    StatusStreamParser parser(kind);
    std::vector<StreamNotification> out;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    size_t left = size - 1;
    while (left > 0) {
        const size_t n = left < piece ? left : piece;
        parser.Feed(bytes, n, out);
        bytes += n;
        left -= n;
    }
    parser.Finish(out);
    for (const StreamNotification& n : out) {
        if (n.text.size() > StatusStreamParser::kMaxTextChars) {
            __builtin_trap();
        }
    }
    return 0;
}
