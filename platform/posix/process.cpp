// POSIX body of platform/process.h: posix_spawn and /proc.
#include "platform/process.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <thread>

#include "platform/files.h"

extern char** environ;

namespace platform {
namespace {

void SetErr(int* err, int value) {
    if (err != nullptr) {
        *err = value;
    }
}

void IgnoreSigpipeOnce() {
    // A reader that went away must show up as EPIPE on the writer, not end the process.
    static const bool done = [] {
        signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    (void)done;
}

std::vector<char*> ArgvPointers(const std::vector<std::string>& argv) {
    std::vector<char*> ptrs;
    ptrs.reserve(argv.size() + 1);
    for (const std::string& a : argv) {
        ptrs.push_back(const_cast<char*>(a.c_str()));
    }
    ptrs.push_back(nullptr);
    return ptrs;
}

// Starts argv[0] (searched on PATH when it holds no "/") with default signal handling
// and an empty signal mask, whatever the installer ignores or blocks. 0 or an errno.
int Spawn(const std::vector<std::string>& argv, posix_spawn_file_actions_t* actions,
          short extraFlags, pid_t& pid) {
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(
        &attr, static_cast<short>(POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | extraFlags));
    std::vector<char*> args = ArgvPointers(argv);
    const int rc = argv[0].find('/') == std::string::npos
                       ? posix_spawnp(&pid, args[0], actions, &attr, args.data(), environ)
                       : posix_spawn(&pid, args[0], actions, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    return rc;
}

}  // namespace

bool CreatePipe(int& readEnd, int& writeEnd, int* err) {
    IgnoreSigpipeOnce();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        SetErr(err, errno);
        return false;
    }
    readEnd = fds[0];
    writeEnd = fds[1];
    return true;
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

int64_t ReadFd(int fd, void* data, size_t size) {
    for (;;) {
        ssize_t n = read(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return n;
    }
}

bool WriteFd(int fd, const void* data, size_t size) {
    IgnoreSigpipeOnce();
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

int SpawnProcess(const std::vector<std::string>& argv, int stdinFd, int stdoutFd, int stderrFd,
                 const std::string& workDir, int* err) {
    if (argv.empty() || argv[0].empty()) {
        SetErr(err, ENOENT);
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int targets[3] = {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO};
    const int sources[3] = {stdinFd, stdoutFd, stderrFd};
    for (int i = 0; i < 3; ++i) {
        if (sources[i] >= 0) {
            // dup2 clears close-on-exec on the copy, so the child keeps exactly these.
            posix_spawn_file_actions_adddup2(&actions, sources[i], targets[i]);
        } else {
            posix_spawn_file_actions_addopen(&actions, targets[i], "/dev/null",
                                             i == 0 ? O_RDONLY : O_WRONLY, 0);
        }
    }
    if (!workDir.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    }
    pid_t pid = -1;
    int rc = Spawn(argv, &actions, 0, pid);
    // A program written a moment ago can still be open for writing in a child that
    // another thread is starting (it holds the descriptor until its exec closes it):
    // the kernel then refuses to run it for that short while.
    for (int attempt = 0; rc == ETXTBSY && attempt < 20; ++attempt) {
        usleep(10000);
        rc = Spawn(argv, &actions, 0, pid);
    }
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        SetErr(err, rc);
        return -1;
    }
    return pid;
}

bool WaitProcess(int pid, int& exitCode, bool block) {
    if (pid <= 0) {
        return false;
    }
    int status = 0;
    for (;;) {
        pid_t r = waitpid(pid, &status, block ? 0 : WNOHANG);
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r <= 0) {
            return false;
        }
        break;
    }
    if (WIFEXITED(status)) {
        exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        exitCode = 128 + WTERMSIG(status);
    } else {
        exitCode = -1;
    }
    return true;
}

void KillProcess(int pid) {
    if (pid > 0) {
        kill(pid, SIGKILL);
    }
}

bool LaunchDetached(const std::vector<std::string>& argv, const std::string& workDir) {
    if (argv.empty()) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (!workDir.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    }
    pid_t pid = -1;
    const int rc = Spawn(argv, &actions, POSIX_SPAWN_SETSID, pid);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        return false;
    }
    // Reap it in the background so that it leaves no zombie while the installer lives.
    std::thread([pid] {
        int code = 0;
        WaitProcess(pid, code, true);
    }).detach();
    return true;
}

bool OpenUri(const std::string& uri) {
    GError* error = nullptr;
    gboolean ok = g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &error);
    if (error != nullptr) {
        g_error_free(error);
    }
    return ok != FALSE;
}

std::vector<RunningProcess> RunningProcesses() {
    std::vector<RunningProcess> found;
    for (const std::string& entry : ListDirectory("/proc")) {
        if (entry.empty() || entry.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        char buf[4096];
        ssize_t n = readlink(("/proc/" + entry + "/exe").c_str(), buf, sizeof buf - 1);
        if (n <= 0) {
            continue;
        }
        std::string path(buf, static_cast<size_t>(n));
        // A replaced or deleted binary reads "/path/name (deleted)".
        const std::string deleted = " (deleted)";
        if (path.size() > deleted.size() &&
            path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0) {
            path.resize(path.size() - deleted.size());
        }
        size_t slash = path.rfind('/');
        found.push_back(
            {std::atoi(entry.c_str()), slash == std::string::npos ? path : path.substr(slash + 1)});
    }
    std::sort(found.begin(), found.end(),
              [](const RunningProcess& a, const RunningProcess& b) { return a.pid < b.pid; });
    return found;
}

}  // namespace platform
