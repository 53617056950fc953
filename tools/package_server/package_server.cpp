// The package server on cpp-httplib.
#include "tools/package_server/package_server.h"

#include <httplib.h>
#include <openssl/evp.h>

#include <chrono>
#include <cstdio>

namespace velquin_tools {
namespace {

constexpr size_t kChunk = 16 * 1024;

}  // namespace

PackageServer::PackageServer(PackageServerOptions options)
    : m_http(std::make_unique<httplib::Server>()) {
    SetOptions(std::move(options));
    InstallRoutes();
}

PackageServer::~PackageServer() {
    Stop();
}

std::string PackageServer::Md5Hex(const std::string& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &len, EVP_md5(), nullptr);
    std::string hex;
    char two[3];
    for (unsigned int i = 0; i < len; ++i) {
        snprintf(two, sizeof two, "%02x", digest[i]);
        hex += two;
    }
    return hex;
}

std::string PackageServer::PackagePath() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_options.omitMd5Segment) {
        return "/" + m_options.route + "/" + m_options.fileName;
    }
    const std::string md5 = m_options.md5Segment.empty() ? m_bodyMd5 : m_options.md5Segment;
    return "/" + m_options.route + "/" + md5 + "/" + m_options.fileName;
}

std::string PackageServer::DefaultUrl() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return "http://127.0.0.1:" + std::to_string(m_port) + m_options.defaultPath;
}

std::string PackageServer::PackageUrl() const {
    return "http://127.0.0.1:" + std::to_string(m_port) + PackagePath();
}

void PackageServer::SetOptions(PackageServerOptions options) {
    // Bodies can be a gigabyte: they are hashed and copied once here, never per request.
    auto body = std::make_shared<const std::string>(std::move(options.body));
    options.body.clear();
    std::shared_ptr<const std::string> corrupt;
    if (options.corruptAt >= 0 && static_cast<size_t>(options.corruptAt) < body->size()) {
        auto copy = std::make_shared<std::string>(*body);
        (*copy)[static_cast<size_t>(options.corruptAt)] ^= 0x5A;
        corrupt = copy;
    }
    const bool sameBody = m_body && *m_body == *body;
    const std::string md5 = sameBody ? m_bodyMd5 : Md5Hex(*body);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_options = std::move(options);
    m_body = std::move(body);
    m_bodyMd5 = md5;
    m_corruptBody = std::move(corrupt);
    m_disconnectsDone = 0;
    m_stallsDone = 0;
}

PackageServerOptions PackageServer::Options() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    PackageServerOptions o = m_options;
    o.body = *m_body;
    return o;
}

std::vector<RequestRecord> PackageServer::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

void PackageServer::ClearRequests() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.clear();
}

void PackageServer::InstallRoutes() {
    // Everything goes through one handler: the path decides between the redirect
    // chain and the package.
    m_http->Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
        PackageServerOptions o;
        std::shared_ptr<const std::string> body;
        bool dropThisOne = false;
        bool stallThisOne = false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back({req.method, req.path, req.get_header_value("Range")});
            o = m_options;
            body = m_corruptBody ? m_corruptBody : m_body;
        }
        const bool head = req.method == "HEAD";
        const int status = head && o.headStatus != 0 ? o.headStatus : o.status;
        const std::string packagePath = PackagePath();

        // The redirect chain: /software/222 → /hop/1 → … → the package path.
        std::string next;
        if (req.path == o.defaultPath) {
            next = o.redirectHops > 1 ? "/hop/1" : packagePath;
        } else if (req.path.rfind("/hop/", 0) == 0) {
            int hop = std::atoi(req.path.c_str() + 5);
            next = hop + 1 < o.redirectHops ? "/hop/" + std::to_string(hop + 1) : packagePath;
        }
        if (!next.empty() && o.redirectHops > 0) {
            res.set_redirect(next, 302);
            return;
        }
        if (req.path != packagePath && req.path != o.defaultPath) {
            res.status = 404;
            return;
        }
        if (status != 200) {
            res.status = status;
            res.set_content("error", "text/plain");
            return;
        }
        if (o.ignoreRange) {
            // httplib would cut the body to the requested range; this server does not.
            const_cast<httplib::Request&>(req).ranges.clear();
        }
        if (!head) {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (o.disconnectAfter >= 0 &&
                (o.disconnectTimes < 0 || m_disconnectsDone < o.disconnectTimes)) {
                dropThisOne = true;
                ++m_disconnectsDone;
            }
            if (o.stallAfter >= 0 && (o.stallTimes < 0 || m_stallsDone < o.stallTimes)) {
                stallThisOne = true;
                ++m_stallsDone;
            }
        }
        auto sent = std::make_shared<int64_t>(0);
        auto provide = [this, o, body, sent, dropThisOne, stallThisOne](
                           size_t offset, size_t length, httplib::DataSink& sink) -> bool {
            const size_t n = std::min(length, kChunk);
            size_t allowed = n;
            if (dropThisOne && *sent + static_cast<int64_t>(n) > o.disconnectAfter) {
                allowed = static_cast<size_t>(o.disconnectAfter - *sent);
                if (allowed > 0) {
                    sink.write(body->data() + offset, allowed);
                }
                return false;  // the connection drops mid-body
            }
            if (stallThisOne && *sent + static_cast<int64_t>(n) > o.stallAfter) {
                allowed = static_cast<size_t>(o.stallAfter - *sent);
                if (allowed > 0) {
                    sink.write(body->data() + offset, allowed);
                    *sent += static_cast<int64_t>(allowed);
                }
                while (!m_stopping.load() && sink.is_writable()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                }
                return false;
            }
            if (!sink.write(body->data() + offset, n)) {
                return false;
            }
            *sent += static_cast<int64_t>(n);
            if (o.bytesPerSecond > 0) {
                std::this_thread::sleep_for(
                    std::chrono::microseconds(n * 1000000ull / o.bytesPerSecond));
            }
            return true;
        };
        if (o.noContentLength) {
            auto chunked = [provide, body](size_t offset, httplib::DataSink& sink) -> bool {
                if (offset >= body->size()) {
                    sink.done();
                    return true;
                }
                return provide(offset, body->size() - offset, sink);
            };
            res.set_chunked_content_provider("application/octet-stream", chunked);
        } else {
            res.set_content_provider(body->size(), "application/octet-stream", provide);
        }
    });
}

bool PackageServer::Start(int port) {
    if (port == 0) {
        m_port = m_http->bind_to_any_port("127.0.0.1");
    } else {
        m_port = m_http->bind_to_port("127.0.0.1", port) ? port : -1;
    }
    if (m_port <= 0) {
        return false;
    }
    m_thread = std::thread([this] { m_http->listen_after_bind(); });
    // Until the accept loop runs, stop() would not reach it.
    while (!m_http->is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void PackageServer::Stop() {
    m_stopping = true;
    if (m_http) {
        m_http->stop();
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

}  // namespace velquin_tools
