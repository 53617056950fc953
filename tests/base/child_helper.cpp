// A scripted child for the process tests. Arguments are steps run in order:
//   out:TEXT   write TEXT and a line feed to standard output
//   err:TEXT   write TEXT and a line feed to standard error
//   echo       copy standard input to standard output until it ends
//   flood:N    write N bytes of 'x' to standard output
//   sleep:MS   sleep MS milliseconds
//   exit:N     exit with code N
//   args       print each argument after this one on its own line, in brackets
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string step = argv[i];
        if (step.rfind("out:", 0) == 0) {
            std::printf("%s\n", step.c_str() + 4);
            std::fflush(stdout);
        } else if (step.rfind("err:", 0) == 0) {
            std::fprintf(stderr, "%s\n", step.c_str() + 4);
        } else if (step == "echo") {
            char buf[4096];
            ssize_t n;
            while ((n = read(0, buf, sizeof buf)) > 0) {
                fwrite(buf, 1, static_cast<size_t>(n), stdout);
            }
            std::fflush(stdout);
        } else if (step.rfind("flood:", 0) == 0) {
            long n = std::atol(step.c_str() + 6);
            std::string chunk(65536, 'x');
            while (n > 0) {
                size_t k = n < 65536 ? static_cast<size_t>(n) : chunk.size();
                fwrite(chunk.data(), 1, k, stdout);
                n -= static_cast<long>(k);
            }
            std::fflush(stdout);
        } else if (step.rfind("sleep:", 0) == 0) {
            usleep(static_cast<useconds_t>(std::atol(step.c_str() + 6)) * 1000);
        } else if (step.rfind("exit:", 0) == 0) {
            return std::atoi(step.c_str() + 5);
        } else if (step == "args") {
            for (int j = i + 1; j < argc; ++j) {
                std::printf("[%s]\n", argv[j]);
            }
            return 0;
        }
    }
    return 0;
}
