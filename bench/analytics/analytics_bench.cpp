// Analytics benchmarks, reported as ratios measured side by side in one run:
//   1. building and serialising a typical task record against nlohmann-json;
//   2. encoding a 30-record batch against zlib's own level-9 gzip plus Base64;
//   3. flushing 1024 queued records to a loopback collector against posting the same
//      bodies with libcurl in a bare loop.
#include <curl/curl.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "analytics/sdk/record_queue.h"
#include "analytics/sdk/sdk.h"
#include "tools/collector/collector.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string OurRecord(int i) {
    analytics_sdk::PropertiesNode p;
    p.PutString("zv_task_name", "大包下载完毕");
    p.PutNumber("zv_task_elapsed", 12.5 + i);
    p.PutString("zv_task_result", "Success");
    p.PutString("zvc_ab", "IN");
    p.PutBool("$is_first_time", true);
    p.PutString("zv_app_id", "Velquin.downloader");
    p.PutString("$app_version", "1.7.9");
    p.PutString("$os", "Linux");
    analytics_sdk::utils::ObjectNode lib;
    lib.PutString("$lib", "cpp");
    lib.PutString("$lib_method", "code");
    lib.PutString("$lib_version", "0.7");
    analytics_sdk::utils::ObjectNode r;
    r.PutString("distinct_id", "7D1C2A9E-5B3F-4C1D-9E8F-0A1B2C3D4E5F");
    r.PutString("event", "ZvEventTask");
    r.PutObject("lib", lib);
    r.PutObject("properties", p);
    r.PutInt("time", 1765400000000 + i);
    r.PutString("type", "track");
    return r.ToJson();
}

std::string JsonRecord(int i) {
    nlohmann::json p = {{"zv_task_name", "大包下载完毕"}, {"zv_task_elapsed", 12.5 + i},
                        {"zv_task_result", "Success"},    {"zvc_ab", "IN"},
                        {"$is_first_time", true},         {"zv_app_id", "Velquin.downloader"},
                        {"$app_version", "1.7.9"},        {"$os", "Linux"}};
    nlohmann::json r = {
        {"distinct_id", "7D1C2A9E-5B3F-4C1D-9E8F-0A1B2C3D4E5F"},
        {"event", "ZvEventTask"},
        {"lib", {{"$lib", "cpp"}, {"$lib_method", "code"}, {"$lib_version", "0.7"}}},
        {"properties", p},
        {"time", 1765400000000LL + i},
        {"type", "track"}};
    return r.dump();
}

std::string GzipBase64(const std::string& text) {
    z_stream zs{};
    deflateInit2(&zs, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, text.size()) + 32, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    zs.avail_in = static_cast<uInt>(text.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return analytics_sdk::Base64Encode(out);
}

size_t Discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

}  // namespace

int main() {
    curl_global_init(CURL_GLOBAL_ALL);
    const int n = 100000;
    size_t sink = 0;
    auto start = Clock::now();
    for (int i = 0; i < n; ++i) {
        sink += OurRecord(i).size();
    }
    const double ours = Seconds(start);
    start = Clock::now();
    for (int i = 0; i < n; ++i) {
        sink += JsonRecord(i).size();
    }
    const double theirs = Seconds(start);
    std::printf(
        "record build + serialise: ours %.3f s, nlohmann-json %.3f s, ratio %.3f (target <= 1.0)\n",
        ours, theirs, ours / theirs);

    std::string batch = "[";
    for (int i = 0; i < 30; ++i) {
        if (i > 0) {
            batch += ',';
        }
        batch += OurRecord(i);
    }
    batch += "]";
    const int rounds = 2000;
    std::string body;
    start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        analytics_sdk::EncodeBatchBody(batch, body);
        sink += body.size();
    }
    const double encode = Seconds(start);
    start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        sink += GzipBase64(batch).size();
    }
    const double floor = Seconds(start);
    std::printf(
        "30-record batch: encode %.3f s, gzip-9 + Base64 %.3f s, ratio %.3f (target <= 1.2)\n",
        encode, floor, encode / floor);

    velquin_tools::Collector collector;
    collector.Start();
    char tmpl[] = "/tmp/velquin-abench-XXXXXX";
    const std::string staging = std::string(mkdtemp(tmpl)) + "/staging";
    analytics_sdk::RecordQueue queue(staging, collector.Url());
    // One warm-up round first (the first connection and the staging file's first
    // load), as the bare loop below runs warm too.
    for (int i = 0; i < 1024; ++i) {
        queue.Enqueue(OurRecord(i));
    }
    queue.FlushAll();
    const size_t warmBodies = collector.Bodies().size();
    for (int i = 0; i < 1024; ++i) {
        queue.Enqueue(OurRecord(i));
    }
    start = Clock::now();
    queue.FlushAll();
    const double flush = Seconds(start);
    auto bodies = collector.Bodies();
    bodies.erase(bodies.begin(), bodies.begin() + static_cast<std::ptrdiff_t>(warmBodies));
    start = Clock::now();
    for (const std::string& b : bodies) {
        CURL* h = curl_easy_init();
        curl_easy_setopt(h, CURLOPT_URL, collector.Url().c_str());
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, b.data());
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(b.size()));
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, Discard);
        curl_easy_perform(h);
        curl_easy_cleanup(h);
    }
    const double bare = Seconds(start);
    std::printf(
        "flush 1024 records (%zu bodies): %.3f s, bare libcurl posts %.3f s, ratio %.3f (target <= "
        "1.5)\n",
        bodies.size(), flush, bare, flush / bare);
    collector.Stop();
    return sink == 0 ? 1 : 0;
}
