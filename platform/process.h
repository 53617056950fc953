// Child processes and pipes: hidden children with redirected standard streams,
// detached launches, and the list of running programs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Creates a pipe; both descriptors are close-on-exec (a child gets only the ends
// that are handed to it explicitly). False with *err set on failure.
bool CreatePipe(int& readEnd, int& writeEnd, int* err = nullptr);

// Closes `fd` when it is open and sets it to -1.
void CloseFd(int& fd);

// Blocking read; EINTR is retried. Returns the count, 0 at end of stream, -1 on error.
int64_t ReadFd(int fd, void* data, size_t size);

// Writes everything; false on error (a closed reader gives EPIPE, not a signal).
bool WriteFd(int fd, const void* data, size_t size);

// Starts `argv[0]` (searched on PATH when it holds no "/") with the given descriptors
// as its standard input, output and error (-1 leaves the stream on /dev/null), in
// `workDir` when that is not empty. No window, no terminal of its own. Returns the
// child's pid, or -1 with *err set (ENOENT for a missing program, EACCES for one that
// may not run).
int SpawnProcess(const std::vector<std::string>& argv, int stdinFd, int stdoutFd, int stderrFd,
                 const std::string& workDir = {}, int* err = nullptr);

// Waits for a child to end. Returns false while it still runs (when `block` is
// false) or when `pid` is no child. The exit code is the child's status, or
// 128 + the signal number when a signal ended it.
bool WaitProcess(int pid, int& exitCode, bool block = true);

// Ends a child at once (SIGKILL).
void KillProcess(int pid);

// Starts a program that outlives the installer: in its own session, with its
// standard streams on /dev/null, in `workDir`. True when it was started.
bool LaunchDetached(const std::vector<std::string>& argv, const std::string& workDir);

// Hands an address to the desktop's default handler. True when one accepted it.
bool OpenUri(const std::string& uri);

struct RunningProcess {
    int pid;
    std::string exeName;  // base name of the executable file
};

// The processes this user may inspect, in ascending pid order, with the base names of
// their executables (from /proc/<pid>/exe, which, unlike the comm field, is not cut
// at 15 bytes).
std::vector<RunningProcess> RunningProcesses();

}  // namespace platform
