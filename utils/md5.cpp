// Incremental MD5 on OpenSSL's EVP interface.
#include "utils/md5.h"

#include <openssl/evp.h>

#include <cstdio>

namespace Utils {

struct Md5::State {
    EVP_MD_CTX* ctx = nullptr;
    bool ok = false;
};

Md5::Md5() : m_state(std::make_unique<State>()) {
    m_state->ctx = EVP_MD_CTX_new();
    m_state->ok =
        m_state->ctx != nullptr && EVP_DigestInit_ex(m_state->ctx, EVP_md5(), nullptr) == 1;
}

Md5::~Md5() {
    EVP_MD_CTX_free(m_state->ctx);
}

void Md5::Update(const void* data, size_t size) {
    if (m_state->ok && size > 0) {
        m_state->ok = EVP_DigestUpdate(m_state->ctx, data, size) == 1;
    }
}

std::string Md5::FinishHex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    if (!m_state->ok || EVP_DigestFinal_ex(m_state->ctx, digest, &len) != 1) {
        m_state->ok = false;
        return {};
    }
    m_state->ok = false;
    std::string hex;
    char two[3];
    for (unsigned int i = 0; i < len; ++i) {
        snprintf(two, sizeof two, "%02x", digest[i]);
        hex += two;
    }
    return hex;
}

}  // namespace Utils
