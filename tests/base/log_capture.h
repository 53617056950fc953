// Captures the diagnostic log of this test process: points VELQUIN_DEBUG_LOG at a
// scratch file before the first line is written (each test runs in its own process).
#pragma once

#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/files.h"

namespace testsupport {

class LogCapture {
public:
    explicit LogCapture(const std::string& path) : m_path(path) {
        setenv("VELQUIN_DEBUG_LOG", m_path.c_str(), 1);
    }
    std::vector<std::string> Lines() const {
        std::string content;
        platform::ReadWholeFile(m_path, content);
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < content.size()) {
            size_t end = content.find('\n', start);
            if (end == std::string::npos) {
                end = content.size();
            }
            lines.push_back(content.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }

private:
    std::string m_path;
};

}  // namespace testsupport
