// An HTTP server on loopback that serves one package the way the maker's download
// server does (HEAD, byte ranges, a redirect from the default path to
// /<route>/<md5>/<file>) and misbehaves on request: bandwidth cap, dropped
// connections, a corrupted byte, ignored ranges, missing lengths, error statuses and
// stalls. Used by the tests and by velquin-demo-server.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace velquin_tools {

struct PackageServerOptions {
    std::string body;                       // the package bytes
    std::string fileName = "setup.exe";     // last path segment
    std::string route = "download_silent";  // first path segment after the redirect
    std::string defaultPath = "/software/222";
    int redirectHops = 1;          // 302s from defaultPath to the package path
    std::string md5Segment;        // the checksum segment; empty = the body's MD5
    bool omitMd5Segment = false;   // package path /<route>/<file>
    uint64_t bytesPerSecond = 0;   // per response, 0 = unlimited
    int64_t disconnectAfter = -1;  // drop a GET body after this many bytes …
    int disconnectTimes = 0;       // … this many times (-1 = every time)
    int64_t corruptAt = -1;        // flip this byte of every GET body
    bool ignoreRange = false;      // answer 200 with the whole body to Range
    bool noContentLength = false;  // chunked answers, HEAD without a length
    int status = 200;              // answer every request with this status
    int headStatus = 0;            // status of HEAD requests only (0 = as GET)
    int64_t stallAfter = -1;       // stop sending (without closing) after this many bytes …
    int stallTimes = -1;           // … this many times (-1 = every time)
};

struct RequestRecord {
    std::string method;
    std::string path;
    std::string range;  // the Range header, empty when none
};

class PackageServer {
public:
    explicit PackageServer(PackageServerOptions options);
    ~PackageServer();  // stops the server
    PackageServer(const PackageServer&) = delete;
    PackageServer& operator=(const PackageServer&) = delete;

    // Listens on 127.0.0.1 (port 0 = a free port) on a thread of its own. False when
    // the port cannot be bound.
    bool Start(int port = 0);
    // Stops listening and releases stalled responses.
    void Stop();
    int Port() const { return m_port; }

    // http://127.0.0.1:<port>/software/222 and the package path it redirects to.
    std::string DefaultUrl() const;
    std::string PackageUrl() const;
    std::string PackagePath() const;
    static std::string Md5Hex(const std::string& bytes);

    // Options can change between downloads; the next request sees them.
    void SetOptions(PackageServerOptions options);
    PackageServerOptions Options() const;

    std::vector<RequestRecord> Requests() const;
    void ClearRequests();

    // The underlying server, to mount further routes (an analytics collector) before Start.
    httplib::Server& Http() { return *m_http; }

private:
    void InstallRoutes();

    mutable std::mutex m_mutex;
    PackageServerOptions
        m_options;  // without the body: that lives in m_body, shared by the responses
    std::shared_ptr<const std::string> m_body;
    std::string m_bodyMd5;
    std::shared_ptr<const std::string>
        m_corruptBody;  // the body with the corrupted byte, when asked for
    int m_disconnectsDone = 0;
    int m_stallsDone = 0;
    std::vector<RequestRecord> m_requests;
    std::unique_ptr<httplib::Server> m_http;
    std::thread m_thread;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
};

}  // namespace velquin_tools
