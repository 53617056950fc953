// The analytics collector.
#include "tools/collector/collector.h"

#include <httplib.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>

namespace velquin_tools {
namespace {

std::string UrlUnescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else if (s[i] == '+') {
            out += ' ';
        } else {
            out += s[i];
        }
    }
    return out;
}

bool Base64Decode(const std::string& in, std::string& out) {
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z')
            return c - 'A';
        if (c >= 'a' && c <= 'z')
            return c - 'a' + 26;
        if (c >= '0' && c <= '9')
            return c - '0' + 52;
        if (c == '+')
            return 62;
        if (c == '/')
            return 63;
        return -1;
    };
    if (in.size() % 4 != 0) {
        return false;
    }
    out.clear();
    for (size_t i = 0; i < in.size(); i += 4) {
        int v[4];
        for (int k = 0; k < 4; ++k) {
            v[k] =
                in[i + static_cast<size_t>(k)] == '=' ? 0 : value(in[i + static_cast<size_t>(k)]);
            if (v[k] < 0) {
                return false;
            }
        }
        const uint32_t n = (static_cast<uint32_t>(v[0]) << 18) |
                           (static_cast<uint32_t>(v[1]) << 12) |
                           (static_cast<uint32_t>(v[2]) << 6) | static_cast<uint32_t>(v[3]);
        out += static_cast<char>(n >> 16);
        if (in[i + 2] != '=')
            out += static_cast<char>((n >> 8) & 255);
        if (in[i + 3] != '=')
            out += static_cast<char>(n & 255);
    }
    return true;
}

bool Gunzip(const std::string& in, std::string& out) {
    z_stream zs{};
    if (inflateInit2(&zs, 31) != Z_OK) {
        return false;
    }
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = static_cast<uInt>(in.size());
    char buf[32768];
    int rc = Z_OK;
    while (rc == Z_OK) {
        zs.next_out = reinterpret_cast<Bytef*>(buf);
        zs.avail_out = sizeof buf;
        rc = inflate(&zs, Z_NO_FLUSH);
        out.append(buf, sizeof buf - zs.avail_out);
    }
    inflateEnd(&zs);
    return rc == Z_STREAM_END;
}

}  // namespace

bool DecodeDataList(const std::string& body, nlohmann::json& records) {
    const std::string prefix = "data_list=";
    const std::string suffix = "&gzip=1";
    if (body.rfind(prefix, 0) != 0 || body.size() < prefix.size() + suffix.size() ||
        body.compare(body.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    const std::string escaped =
        body.substr(prefix.size(), body.size() - prefix.size() - suffix.size());
    std::string compressed, text;
    if (!Base64Decode(UrlUnescape(escaped), compressed) || !Gunzip(compressed, text)) {
        return false;
    }
    records = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
    return records.is_array();
}

Collector::Collector() = default;

Collector::~Collector() {
    Stop();
}

void Collector::Mount(httplib::Server& server, const std::string& path) {
    server.Post(path, [this](const httplib::Request& req, httplib::Response& res) {
        nlohmann::json records;
        const bool ok = DecodeDataList(req.body, records);
        if (m_stallMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(m_stallMs.load()));
        }
        const int status = m_status.load();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bodies.push_back(req.body);
            m_batches.push_back(ok ? records.size() : 0);
            if (ok && status == 200) {
                for (auto& r : records) {
                    if (m_echo) {
                        std::printf("collector: %s\n", r.dump().c_str());
                        std::fflush(stdout);
                    }
                    m_records.push_back(r);
                }
            }
        }
        res.status = ok ? status : 400;
        res.set_content(ok ? "ok" : "bad body", "text/plain");
    });
}

bool Collector::Start(int port) {
    m_own = std::make_unique<httplib::Server>();
    Mount(*m_own);
    m_port = port == 0 ? m_own->bind_to_any_port("127.0.0.1")
                       : (m_own->bind_to_port("127.0.0.1", port) ? port : -1);
    if (m_port <= 0) {
        return false;
    }
    m_thread = std::thread([this] { m_own->listen_after_bind(); });
    while (!m_own->is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void Collector::Stop() {
    if (m_own) {
        m_own->stop();
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

std::string Collector::Url() const {
    return "http://127.0.0.1:" + std::to_string(m_port) + "/sa";
}

std::vector<nlohmann::json> Collector::Records() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_records;
}

std::vector<size_t> Collector::BatchSizes() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_batches;
}

std::vector<std::string> Collector::Bodies() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bodies;
}

int Collector::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_bodies.size());
}

}  // namespace velquin_tools
