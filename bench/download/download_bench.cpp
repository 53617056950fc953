// Download and runner benchmarks, reported as ratios measured in one run:
//
//   velquin_download_bench [MiB]        (default 1024)
//
// 1. CCurlDownloader against the curl command line tool, same file, loopback.
// 2. With each connection capped: CMTCurlDownloader against CCurlDownloader and
//    against aria2c -x2 -s2.
// 3. Peak resident memory of a process that only downloads (100 MiB and the full size).
// 4. Merging two parts and checking the MD5 against `cat` + `md5sum` of the same files.
// 5. CPU time of the install runner while a package runs silently for 10 seconds, and
//    the status-stream parser's throughput on 50 MB of status lines.
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <string>

#include <curl/curl.h>

#include "app/settings.h"
#include "download/curl_downloader.h"
#include "download/mt_curl_downloader.h"
#include "install/runners.h"
#include "install/status_stream.h"
#include "platform/files.h"
#include "tools/package_server/package_server.h"
#include "utils/system_queries.h"
#include "utils/text.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string RandomBytes(size_t size) {
    std::string s(size, '\0');
    std::mt19937_64 rng(42);
    for (size_t i = 0; i + 8 <= size; i += 8) {
        uint64_t v = rng();
        memcpy(&s[i], &v, 8);
    }
    return s;
}

// Runs a shell command; returns its wall time.
double TimeCommand(const std::string& cmd) {
    auto start = Clock::now();
    if (std::system(cmd.c_str()) != 0) {
        std::fprintf(stderr, "command failed: %s\n", cmd.c_str());
    }
    return Seconds(start);
}

// Downloads with one of our downloaders and waits for the end.
double TimeDownloader(int type, const std::string& url, const std::string& path) {
    std::mutex m;
    std::condition_variable cv;
    int final = 0;
    auto callback = [&](int code, double, const wchar_t*) {
        if (code == DL_CODE_SUCCESS || code == DL_CODE_FAIL) {
            std::lock_guard<std::mutex> lock(m);
            final = code;
            cv.notify_all();
        }
    };
    auto start = Clock::now();
    std::unique_ptr<CDownloader> d;
    const std::wstring wurl = Utils::ToWide(url, 65001), wpath = Utils::ToWide(path, 65001);
    if (type == 3) {
        d = std::make_unique<CMTCurlDownloader>(callback, wurl, wpath);
    } else {
        d = std::make_unique<CCurlDownloader>(callback, wurl, wpath);
    }
    d->Start();
    std::unique_lock<std::mutex> lock(m);
    cv.wait(lock, [&] { return final != 0; });
    const double took = Seconds(start);
    if (final != DL_CODE_SUCCESS) {
        std::fprintf(stderr, "download type %d failed\n", type);
    }
    return took;
}

// Peak RSS in MiB of a fresh process (this program in --client mode) that only runs
// one download; the child reads its own high-water mark (VmHWM), which belongs to the
// address space it got at exec and so does not count the parent's gigabyte.
double ChildPeakRssMiB(int type, const std::string& url, const std::string& path) {
    const std::string cmd = platform::ExecutablePath() + " --client " + std::to_string(type) +
                            " '" + url + "' '" + path + "'";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (pipe == nullptr) {
        return -1.0;
    }
    double kib = -1.0;
    if (std::fscanf(pipe, "%lf", &kib) != 1) {
        kib = -1.0;
    }
    pclose(pipe);
    return kib / 1024.0;
}

// VmHWM of this process in KiB.
double OwnPeakKiB() {
    std::string status;
    platform::ReadWholeFile("/proc/self/status", status);
    const size_t at = status.find("VmHWM:");
    return at == std::string::npos ? -1.0 : std::atof(status.c_str() + at + 6);
}

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--client") {
        curl_global_init(CURL_GLOBAL_ALL);
        TimeDownloader(std::atoi(argv[2]), argv[3], argv[4]);
        std::printf("%.0f\n", OwnPeakKiB());
        return 0;
    }
    const size_t mib = argc > 1 ? static_cast<size_t>(std::atol(argv[1])) : 1024;
    curl_global_init(CURL_GLOBAL_ALL);
    char tmpl[] = "/tmp/velquin-bench-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    const std::string target = dir + "/pkg.exe";

    std::printf("preparing %zu MiB…\n", mib);
    velquin_tools::PackageServerOptions o;
    o.body = RandomBytes(mib * 1048576);
    velquin_tools::PackageServer server(o);
    server.Start();
    const std::string url = server.DefaultUrl();

    // 1. One stream against curl.
    const double curlCli = TimeCommand("curl -s -L -o " + dir + "/curl.bin '" + url + "'");
    platform::RemoveFile(dir + "/curl.bin");
    const double ours = TimeDownloader(1, url, target);
    platform::RemoveFile(target);
    std::printf("single stream: CCurlDownloader %.2f s, curl %.2f s, ratio %.3f (target <= 1.10)\n",
                ours, curlCli, ours / curlCli);

    // 2. Capped connections: 4 MiB/s each, on a 200 MiB (or smaller) file.
    const size_t cappedMiB = mib < 200 ? mib : 200;
    o.body = RandomBytes(cappedMiB * 1048576);
    o.bytesPerSecond = 32ull * 1048576;
    server.SetOptions(o);
    const double single = TimeDownloader(1, url, target);
    platform::RemoveFile(target);
    const double segmented = TimeDownloader(3, url, target);
    platform::RemoveFile(target);
    const double aria = TimeCommand("aria2c -q -x2 -s2 --allow-overwrite=true -d " + dir +
                                    " -o aria.bin '" + url + "'");
    std::printf(
        "capped %zu MiB at 32 MiB/s per connection: single %.2f s, segmented %.2f s (%.2fx faster, "
        "target >= 1.8), "
        "aria2c -x2 %.2f s (ratio %.3f, target <= 1.15)\n",
        cappedMiB, single, segmented, single / segmented, aria, segmented / aria);

    // 3. Peak memory of the downloading process.
    o.bytesPerSecond = 0;
    o.body = RandomBytes(100 * 1048576);
    server.SetOptions(o);
    const double rss100 = ChildPeakRssMiB(3, url, target);
    platform::RemoveFile(target);
    o.body = RandomBytes(mib * 1048576);
    server.SetOptions(o);
    const double rssFull = ChildPeakRssMiB(3, url, target);
    platform::RemoveFile(target);
    const double rssFullSingle = ChildPeakRssMiB(1, url, target);
    std::printf(
        "peak RSS of the download process: segmented %.1f MiB for 100 MiB, %.1f MiB for %zu MiB; "
        "single stream %.1f MiB for %zu MiB\n",
        rss100, rssFull, mib, rssFullSingle, mib);

    // 4. Merge and checksum against cat + md5sum.
    const std::string part0 = dir + "/m_0", part1 = dir + "/m_1";
    const std::string half = o.body.substr(0, o.body.size() / 2);
    platform::WriteFileAtomic(part0, half);
    platform::WriteFileAtomic(part1, o.body.substr(o.body.size() / 2));
    std::system("sync");
    auto start = Clock::now();
    {
        platform::File f;
        if (!f.Open(part0, platform::File::Mode::ReadWrite) || !f.AppendFileContents(part1)) {
            std::fprintf(stderr, "merge failed\n");
        }
    }
    Utils::FileMd5(part0);
    const double merge = Seconds(start);
    platform::WriteFileAtomic(part0, half);
    std::system("sync");
    const double catMd5 =
        TimeCommand("cat " + part1 + " >> " + part0 + " && md5sum " + part0 + " > /dev/null");
    std::printf("merge + md5: %.2f s, cat + md5sum %.2f s, ratio %.3f (target <= 1.25)\n", merge,
                catMd5, merge / catMd5);

    // 5a. The install runner while a package runs silently for 10 s.
    const std::string package = dir + "/package.sh";
    platform::WriteFileAtomic(package, "#!/bin/sh\necho Progress=1\nsleep 10\necho State=Success\n",
                              0755);
    const double cpuBefore = ProcessCpuSeconds();
    {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
        CInstallRunner runner(
            [&](int code, double, const wchar_t*) {
                if (code == IST_CODE_SUCCESS || code == IST_CODE_FAIL) {
                    std::lock_guard<std::mutex> lock(m);
                    done = true;
                    cv.notify_all();
                }
            },
            Utils::ToWide("\"" + package + "\"", 65001), L"", true, true, true);
        runner.Start();
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return done; });
    }
    std::printf("install runner CPU while the package ran 10 s: %.3f s (target < 0.2)\n",
                ProcessCpuSeconds() - cpuBefore);

    // 5b. Parser throughput.
    std::string lines;
    while (lines.size() < 50u * 1000 * 1000) {
        lines +=
            "Progress=42.5\r\nMessage=\xe5\xae\x89\xe8\xa3\x85\xe4\xb8\xad some "
            "text\r\nOther=ignored line\r\n";
    }
    StatusStreamParser parser(StatusStreamParser::Kind::Package);
    std::vector<StreamNotification> out;
    start = Clock::now();
    for (size_t i = 0; i < lines.size(); i += 65536) {
        out.clear();
        parser.Feed(lines.data() + i, std::min<size_t>(65536, lines.size() - i), out);
    }
    const double parse = Seconds(start);
    std::printf("status stream: 50 MB parsed in %.2f s (%.0f MB/s)\n", parse, 50.0 / parse);

    server.Stop();
    platform::RemoveTree(dir);
    return 0;
}
