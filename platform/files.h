// Files and folders: existence, creation, whole-file reads, atomic replacement,
// a small no-symlink file handle, and the well-known folders of the user.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// "posix: <strerror(err)>", for diagnostic lines.
std::string ErrorText(int err);

// Full path of the running executable ("/proc/self/exe"), empty on failure.
std::string ExecutablePath();

bool PathExists(const std::string& path);     // any kind of entry, symlinks followed
bool IsDirectory(const std::string& path);    // an existing folder
bool IsRegularFile(const std::string& path);  // an existing plain file

// Creates one folder level (mode 0755). True when it was created; false with *err set
// otherwise (EEXIST when something already stands there).
bool MakeDirectory(const std::string& path, int* err = nullptr);

bool RemoveFile(const std::string& path, int* err = nullptr);
// Removes a folder and everything below it; symbolic links are removed, not followed.
bool RemoveTree(const std::string& path);
// rename(2): replaces `to` atomically when both are on one file system.
bool RenameFile(const std::string& from, const std::string& to, int* err = nullptr);
// Copies a plain file, replacing `to`; `to` is written through a temporary file and
// renamed into place. The copy keeps the source's permission bits.
bool CopyFile(const std::string& from, const std::string& to, int* err = nullptr);
bool SetExecutable(const std::string& path);  // adds the owner's execute bit

// Reads a whole file. False when it cannot be opened or read; symlinks are followed.
bool ReadWholeFile(const std::string& path, std::string& out, int* err = nullptr);

// Replaces `path` with `data` so that a reader (or a crash) sees either the old file
// or the new one, never a truncated one: a temporary file in the same folder is
// written, flushed to disk and renamed over `path`. `mode` is the new file's
// permission bits. A symbolic link at `path` is replaced, not followed.
bool WriteFileAtomic(const std::string& path, const std::string& data, unsigned mode = 0644,
                     int* err = nullptr);

// A plain file handle that never follows a symbolic link in the last path component.
// Offsets and sizes are 64-bit. Not copyable; closes on destruction.
class File {
public:
    enum class Mode {
        Read,       // existing file, read only
        ReadWrite,  // existing or new file, read/write, kept as it is
        Truncate,   // existing or new file, emptied, write only
        Append,     // existing or new file, writes go to its end
    };

    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;

    // False with *err set when the file cannot be opened (ELOOP for a symlink).
    [[nodiscard]] bool Open(const std::string& path, Mode mode, unsigned perms = 0644,
                            int* err = nullptr);
    bool IsOpen() const { return m_fd >= 0; }
    void Close();

    // Whole-buffer write; false on any error (partial writes are retried).
    [[nodiscard]] bool Write(const void* data, size_t size);
    // Reads up to `size` bytes; returns the count, 0 at end of file, -1 on error.
    int64_t Read(void* data, size_t size);
    [[nodiscard]] bool Seek(int64_t offset);
    int64_t Size() const;  // -1 on error
    [[nodiscard]] bool Truncate(int64_t size);
    [[nodiscard]] bool Sync();
    int Fd() const { return m_fd; }

    // Appends the whole content of the file at `path` to this file (opened for
    // writing), in the kernel where it can. False when `path` cannot be read or a write
    // fails; a symbolic link at `path` is not followed.
    [[nodiscard]] bool AppendFileContents(const std::string& path);

private:
    int m_fd = -1;
};

// Size of a file in bytes, -1 when it does not exist or is not a plain file.
int64_t FileSize(const std::string& path);

// Names (not paths) of the entries of a folder, "." and ".." left out.
std::vector<std::string> ListDirectory(const std::string& path);

// Well-known folders, each without a trailing separator. Each honours its
// environment variable and falls back as the XDG base-directory rules say.
std::string HomeFolder();          // $HOME, else the password database
std::string TempFolder();          // $TMPDIR, else /tmp
std::string DataFolder();          // $XDG_DATA_HOME, else ~/.local/share
std::string ConfigFolder();        // $XDG_CONFIG_HOME, else ~/.config
std::string RuntimeFolder();       // $XDG_RUNTIME_DIR, else the temporary folder
std::string ProgramFilesFolder();  // /opt for root, else ~/.local/opt

}  // namespace platform
