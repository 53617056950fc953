// An analytics collector on loopback: accepts the SDK's form POST, undoes the URL
// escaping, Base64 and gzip of "data_list", parses the JSON array and keeps the
// records. It can answer with another status or stall, for the failure cases.
#pragma once

#include <nlohmann/json.hpp>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace velquin_tools {

// The records of one request body ("data_list=…&gzip=1"); false when it does not decode.
bool DecodeDataList(const std::string& body, nlohmann::json& records);

class Collector {
public:
    Collector();
    ~Collector();

    // Mounts POST `path` on a server of someone else's (before it starts listening).
    void Mount(httplib::Server& server, const std::string& path = "/sa");
    // Or listens on its own on 127.0.0.1 (port 0 = any). False when it cannot bind.
    bool Start(int port = 0);
    void Stop();
    std::string Url() const;  // http://127.0.0.1:<port>/sa

    void SetStatus(int status) { m_status = status; }
    void SetStallMs(int ms) { m_stallMs = ms; }
    // Prints every record to standard output as it arrives (the demo server does).
    void SetEcho(bool echo) { m_echo = echo; }

    std::vector<nlohmann::json> Records() const;  // every record accepted, in order
    std::vector<size_t> BatchSizes() const;       // records per request, including refused ones
    std::vector<std::string> Bodies() const;      // raw request bodies
    int Requests() const;

private:
    mutable std::mutex m_mutex;
    std::vector<nlohmann::json> m_records;
    std::vector<size_t> m_batches;
    std::vector<std::string> m_bodies;
    std::atomic<int> m_status{200};
    std::atomic<int> m_stallMs{0};
    std::atomic<bool> m_echo{false};
    std::unique_ptr<httplib::Server> m_own;
    std::thread m_thread;
    int m_port = 0;
};

}  // namespace velquin_tools
