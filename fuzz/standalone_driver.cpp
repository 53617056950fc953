// Replays fuzz inputs without libFuzzer: each argument is a file or a folder of files,
// fed once to LLVMFuzzerTestOneInput. Used by the tests to replay the corpus.
#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int RunFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int failures = 0;
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        struct stat st {};
        if (stat(argv[i], &st) == 0 && S_ISDIR(st.st_mode)) {
            DIR* dir = opendir(argv[i]);
            while (dir != nullptr) {
                dirent* e = readdir(dir);
                if (e == nullptr) {
                    break;
                }
                if (e->d_name[0] != '.') {
                    failures += RunFile(std::string(argv[i]) + "/" + e->d_name);
                    ++count;
                }
            }
            if (dir != nullptr) {
                closedir(dir);
            }
        } else {
            failures += RunFile(argv[i]);
            ++count;
        }
    }
    std::printf("replayed %d inputs\n", count);
    return failures == 0 ? 0 : 1;
}
