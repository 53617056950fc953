// POSIX body of platform/users.h.
#include "platform/users.h"

#include <grp.h>
#include <pwd.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <vector>

namespace platform {
namespace {

bool UserName(uid_t uid, std::string& name) {
    passwd pw{};
    passwd* found = nullptr;
    std::vector<char> buf(16384);
    if (getpwuid_r(uid, &pw, buf.data(), buf.size(), &found) != 0 || found == nullptr) {
        return false;
    }
    name = found->pw_name;
    return true;
}

// Reads "KEY=value" from a logind state file.
std::string StateValue(const std::string& path, const std::string& key) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, key.size() + 1, key + "=") == 0) {
            return line.substr(key.size() + 1);
        }
    }
    return {};
}

}  // namespace

bool IsProcessAdmin() {
    return geteuid() == 0;
}

bool IsAdminAccount(const std::string& name) {
    passwd pw{};
    passwd* found = nullptr;
    std::vector<char> buf(16384);
    if (name.empty() || getpwnam_r(name.c_str(), &pw, buf.data(), buf.size(), &found) != 0 ||
        found == nullptr) {
        return false;
    }
    if (found->pw_uid == 0) {
        return true;
    }
    int count = 64;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    if (getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<size_t>(count));
        if (getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0) {
            return false;
        }
    }
    groups.resize(static_cast<size_t>(count));
    for (gid_t gid : groups) {
        group gr{};
        group* g = nullptr;
        std::vector<char> gbuf(16384);
        if (getgrgid_r(gid, &gr, gbuf.data(), gbuf.size(), &g) == 0 && g != nullptr) {
            std::string gname = g->gr_name;
            if (gname == "sudo" || gname == "wheel" || gname == "admin") {
                return true;
            }
        }
    }
    return false;
}

bool ConsoleUser(std::string& name) {
    // logind keeps the active session of each seat in /run/systemd/seats/<seat>.
    std::string session = StateValue("/run/systemd/seats/seat0", "ACTIVE");
    if (!session.empty()) {
        std::string uid = StateValue("/run/systemd/sessions/" + session, "UID");
        if (!uid.empty()) {
            char* end = nullptr;
            unsigned long value = std::strtoul(uid.c_str(), &end, 10);
            std::string found;
            if (end != uid.c_str() && *end == '\0' && UserName(static_cast<uid_t>(value), found)) {
                name = found;
                return true;
            }
        }
    }
    std::string found;
    if (UserName(getuid(), found)) {
        name = found;
        return true;
    }
    return false;
}

}  // namespace platform
