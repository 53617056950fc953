// A scratch home for a test: a fresh folder with HOME, XDG_* and TMPDIR pointing into
// it, so that nothing a test writes reaches the real user's files. Removed at the end.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "platform/files.h"

namespace testsupport {

class ScratchHome {
public:
    ScratchHome() {
        char tmpl[] = "/tmp/velquin-test-XXXXXX";
        const char* made = mkdtemp(tmpl);
        m_root = made != nullptr ? made : "/tmp";
        for (const char* sub : {"/home", "/config", "/data", "/runtime", "/tmp"}) {
            platform::MakeDirectory(m_root + sub);
        }
        setenv("HOME", (m_root + "/home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_root + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (m_root + "/data").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (m_root + "/runtime").c_str(), 1);
        setenv("TMPDIR", (m_root + "/tmp").c_str(), 1);
    }
    ~ScratchHome() { platform::RemoveTree(m_root); }
    ScratchHome(const ScratchHome&) = delete;
    ScratchHome& operator=(const ScratchHome&) = delete;

    const std::string& Root() const { return m_root; }
    std::string Path(const std::string& relative) const { return m_root + "/" + relative; }

private:
    std::string m_root;
};

}  // namespace testsupport
