// Fuzz target: the staging-file loader on arbitrary file contents keeps only record
// lines, never more than fit, and leaves the file empty.
#include <unistd.h>

#include <cstdint>
#include <string>

#include "analytics/sdk/record_queue.h"
#include "platform/files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        char tmpl[] = "/tmp/velquin-staging-fuzz-XXXXXX";
        const char* dir = mkdtemp(tmpl);
        return std::string(dir != nullptr ? dir : "/tmp") + "/staging";
    }();
    platform::WriteFileAtomic(path, std::string(reinterpret_cast<const char*>(data), size));
    // Nothing listens on port 1: the send fails and the loaded records stay queued.
    analytics_sdk::RecordQueue queue(path, "http://127.0.0.1:1/sa");
    queue.Enqueue("{\"own\":1}");
    queue.SendBatch();
    const auto records = queue.Records();
    if (records.size() > analytics_sdk::RecordQueue::kMaximum) {
        __builtin_trap();
    }
    for (const std::string& r : records) {
        if (r.empty() || r.front() != '{' || r.back() != '}' || r.find('\n') != std::string::npos) {
            __builtin_trap();
        }
    }
    std::string left;
    if (platform::ReadWholeFile(path, left) && !left.empty()) {
        __builtin_trap();
    }
    return 0;
}
