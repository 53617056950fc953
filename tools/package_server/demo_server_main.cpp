// velquin-demo-server: serves a package file at the default path "/software/222",
// redirecting to /download_silent/<md5>/<file name>, on a loopback port it prints,
// and collects analytics at /sa on the same port, printing every record.
//
//   velquin-demo-server PACKAGE [--port=N] [--rate=BYTES_PER_SECOND]
//                       [--disconnect-after=N [--disconnect-times=K]] [--corrupt-at=N]
//                       [--ignore-range] [--no-length] [--status=CODE]
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/collector/collector.h"
#include "tools/package_server/package_server.h"

namespace {

volatile sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

bool Option(const char* arg, const char* name, std::string& value) {
    const size_t n = std::strlen(name);
    if (std::strncmp(arg, name, n) == 0 && arg[n] == '=') {
        value = arg + n + 1;
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: %s PACKAGE [--port=N] [--rate=B/s] [--disconnect-after=N] "
                     "[--disconnect-times=K] [--corrupt-at=N] [--ignore-range] [--no-length] "
                     "[--status=CODE]\n",
                     argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    velquin_tools::PackageServerOptions options;
    options.body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const char* slash = std::strrchr(argv[1], '/');
    options.fileName = slash != nullptr ? slash + 1 : argv[1];
    int port = 0;
    for (int i = 2; i < argc; ++i) {
        std::string v;
        if (Option(argv[i], "--port", v)) {
            port = std::atoi(v.c_str());
        } else if (Option(argv[i], "--rate", v)) {
            options.bytesPerSecond = std::strtoull(v.c_str(), nullptr, 10);
        } else if (Option(argv[i], "--disconnect-after", v)) {
            options.disconnectAfter = std::atoll(v.c_str());
            if (options.disconnectTimes == 0) {
                options.disconnectTimes = 1;
            }
        } else if (Option(argv[i], "--disconnect-times", v)) {
            options.disconnectTimes = std::atoi(v.c_str());
        } else if (Option(argv[i], "--corrupt-at", v)) {
            options.corruptAt = std::atoll(v.c_str());
        } else if (Option(argv[i], "--status", v)) {
            options.status = std::atoi(v.c_str());
        } else if (std::strcmp(argv[i], "--ignore-range") == 0) {
            options.ignoreRange = true;
        } else if (std::strcmp(argv[i], "--no-length") == 0) {
            options.noContentLength = true;
        } else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    velquin_tools::PackageServer server(options);
    // The same port collects analytics at /sa and prints each record it receives.
    velquin_tools::Collector collector;
    collector.SetEcho(true);
    collector.Mount(server.Http(), "/sa");
    if (!server.Start(port)) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("%s\n", server.DefaultUrl().c_str());
    std::printf("analytics: http://127.0.0.1:%d/sa\n", server.Port());
    std::fflush(stdout);
    signal(SIGINT, OnSignal);
    signal(SIGTERM, OnSignal);
    while (!g_stop) {
        pause();
    }
    server.Stop();
    return 0;
}
