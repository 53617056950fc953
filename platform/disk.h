// Free space of the file system that holds a folder.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct DiskSpace {
    uint64_t freeBytesAvailable = 0;  // what an unprivileged caller may use
    uint64_t totalBytes = 0;
    uint64_t totalFreeBytes = 0;
};

// statvfs of `path`, or of its nearest existing ancestor when the folder does not
// exist yet (the installation folder is often created only later). False with *err
// set when nothing along the path can be queried.
bool QueryDiskSpace(const std::string& path, DiskSpace& out, int* err);

}  // namespace platform
