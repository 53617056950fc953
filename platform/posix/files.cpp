// POSIX body of platform/files.h.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

namespace platform {
namespace {

void SetErr(int* err, int value) {
    if (err != nullptr) {
        *err = value;
    }
}

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] == '/') {
        std::string s = value;
        while (s.size() > 1 && s.back() == '/') {
            s.pop_back();
        }
        return s;
    }
    return fallback;
}

bool WriteAll(int fd, const char* p, size_t left) {
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

std::string TempSibling(const std::string& path) {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    char suffix[32];
    snprintf(suffix, sizeof suffix, ".tmp%08llx",
             static_cast<unsigned long long>(rng() & 0xffffffffu));
    return path + suffix;
}

}  // namespace

std::string ErrorText(int err) {
    char buf[256];
    // GNU strerror_r may return a static text instead of filling buf.
    const char* text = strerror_r(err, buf, sizeof buf);
    return std::string("posix: ") + text;
}

std::string ExecutablePath() {
    std::string buf(4096, '\0');
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0 || static_cast<size_t>(n) >= buf.size()) {
        return {};
    }
    buf.resize(static_cast<size_t>(n));
    return buf;
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool MakeDirectory(const std::string& path, int* err) {
    if (mkdir(path.c_str(), 0755) == 0) {
        return true;
    }
    SetErr(err, errno);
    return false;
}

bool RemoveFile(const std::string& path, int* err) {
    if (unlink(path.c_str()) == 0) {
        return true;
    }
    SetErr(err, errno);
    return false;
}

bool RemoveTree(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        return errno == ENOENT;
    }
    if (!S_ISDIR(st.st_mode)) {
        return unlink(path.c_str()) == 0;
    }
    bool ok = true;
    for (const std::string& name : ListDirectory(path)) {
        ok = RemoveTree(path + "/" + name) && ok;
    }
    return rmdir(path.c_str()) == 0 && ok;
}

bool RenameFile(const std::string& from, const std::string& to, int* err) {
    if (rename(from.c_str(), to.c_str()) == 0) {
        return true;
    }
    SetErr(err, errno);
    return false;
}

bool CopyFile(const std::string& from, const std::string& to, int* err) {
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        SetErr(err, errno);
        return false;
    }
    struct stat st {};
    if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        SetErr(err, S_ISREG(st.st_mode) ? errno : EINVAL);
        close(in);
        return false;
    }
    const std::string tmp = TempSibling(to);
    int out =
        open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, st.st_mode & 07777);
    if (out < 0) {
        SetErr(err, errno);
        close(in);
        return false;
    }
    char buf[65536];
    bool ok = true;
    for (;;) {
        ssize_t n = read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) {
            break;
        }
        if (!WriteAll(out, buf, static_cast<size_t>(n))) {
            ok = false;
            break;
        }
    }
    int savedErr = errno;
    close(in);
    ok = (close(out) == 0) && ok;
    if (ok && rename(tmp.c_str(), to.c_str()) == 0) {
        return true;
    }
    SetErr(err, ok ? errno : savedErr);
    unlink(tmp.c_str());
    return false;
}

bool SetExecutable(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        return false;
    }
    return chmod(path.c_str(), (st.st_mode & 07777) | S_IXUSR) == 0;
}

bool ReadWholeFile(const std::string& path, std::string& out, int* err) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetErr(err, errno);
        return false;
    }
    std::string data;
    char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            SetErr(err, errno);
            close(fd);
            return false;
        }
        if (n == 0) {
            break;
        }
        data.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    out.swap(data);
    return true;
}

bool WriteFileAtomic(const std::string& path, const std::string& data, unsigned mode, int* err) {
    const std::string tmp = TempSibling(path);
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd < 0) {
        SetErr(err, errno);
        return false;
    }
    // The umask may have narrowed the bits; the caller's mode is what it asked for.
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, data.data(), data.size()) && fsync(fd) == 0;
    int savedErr = errno;
    ok = (close(fd) == 0) && ok;
    if (ok && rename(tmp.c_str(), path.c_str()) == 0) {
        return true;
    }
    SetErr(err, ok ? errno : savedErr);
    unlink(tmp.c_str());
    return false;
}

File::~File() {
    Close();
}

File::File(File&& other) noexcept : m_fd(other.m_fd) {
    other.m_fd = -1;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

bool File::Open(const std::string& path, Mode mode, unsigned perms, int* err) {
    Close();
    int flags = O_CLOEXEC | O_NOFOLLOW;
    switch (mode) {
        case Mode::Read:
            flags |= O_RDONLY;
            break;
        case Mode::ReadWrite:
            flags |= O_RDWR | O_CREAT;
            break;
        case Mode::Truncate:
            flags |= O_WRONLY | O_CREAT | O_TRUNC;
            break;
        case Mode::Append:
            flags |= O_WRONLY | O_CREAT | O_APPEND;
            break;
    }
    m_fd = open(path.c_str(), flags, perms);
    if (m_fd < 0) {
        SetErr(err, errno);
        return false;
    }
    struct stat st {};
    if (fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        SetErr(err, EINVAL);
        Close();
        return false;
    }
    return true;
}

void File::Close() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}

bool File::Write(const void* data, size_t size) {
    return m_fd >= 0 && WriteAll(m_fd, static_cast<const char*>(data), size);
}

int64_t File::Read(void* data, size_t size) {
    if (m_fd < 0) {
        return -1;
    }
    for (;;) {
        ssize_t n = read(m_fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return n;
    }
}

bool File::Seek(int64_t offset) {
    return m_fd >= 0 && lseek(m_fd, offset, SEEK_SET) == offset;
}

int64_t File::Size() const {
    struct stat st {};
    if (m_fd < 0 || fstat(m_fd, &st) != 0) {
        return -1;
    }
    return st.st_size;
}

bool File::Truncate(int64_t size) {
    return m_fd >= 0 && ftruncate(m_fd, size) == 0;
}

bool File::Sync() {
    return m_fd >= 0 && fsync(m_fd) == 0;
}

bool File::AppendFileContents(const std::string& path) {
    if (m_fd < 0) {
        return false;
    }
    int in = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0) {
        return false;
    }
    if (lseek(m_fd, 0, SEEK_END) < 0) {
        close(in);
        return false;
    }
    bool ok = true;
    bool kernelCopy = true;
    for (;;) {
        ssize_t n = -1;
        if (kernelCopy) {
            n = copy_file_range(in, nullptr, m_fd, nullptr, size_t{1} << 30, 0);
            if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                          errno == EOPNOTSUPP || errno == EBADF)) {
                kernelCopy = false;  // another file system or an old kernel: copy by hand
                continue;
            }
        } else {
            char buf[1 << 16];
            n = read(in, buf, sizeof buf);
            if (n > 0 && !WriteAll(m_fd, buf, static_cast<size_t>(n))) {
                ok = false;
                break;
            }
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) {
            break;
        }
    }
    close(in);
    return ok;
}

int64_t FileSize(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return -1;
    }
    return st.st_size;
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (dirent* entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) {
            names.emplace_back(entry->d_name);
        }
    }
    closedir(dir);
    return names;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return EnvOr("HOME", "/");
    }
    passwd pw{};
    passwd* found = nullptr;
    char buf[4096];
    if (getpwuid_r(geteuid(), &pw, buf, sizeof buf, &found) == 0 && found != nullptr) {
        return found->pw_dir;
    }
    return "/";
}

std::string TempFolder() {
    return EnvOr("TMPDIR", "/tmp");
}

std::string DataFolder() {
    return EnvOr("XDG_DATA_HOME", HomeFolder() + "/.local/share");
}

std::string ConfigFolder() {
    return EnvOr("XDG_CONFIG_HOME", HomeFolder() + "/.config");
}

std::string RuntimeFolder() {
    return EnvOr("XDG_RUNTIME_DIR", TempFolder());
}

std::string ProgramFilesFolder() {
    return geteuid() == 0 ? std::string("/opt") : HomeFolder() + "/.local/opt";
}

}  // namespace platform
