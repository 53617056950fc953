// Incremental MD5 (RFC 1321) as 32 lower-case hexadecimal characters.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace Utils {

class Md5 {
public:
    Md5();
    ~Md5();
    Md5(const Md5&) = delete;
    Md5& operator=(const Md5&) = delete;

    void Update(const void* data, size_t size);
    // The digest of everything given so far; empty when the digest could not be made.
    // The object is spent afterwards.
    std::string FinishHex();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace Utils
