// Hidden child processes with their standard streams on pipes, the exception the
// launcher throws, and the product's registry values.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace Utils {

// Thrown by the pipe and the launcher (with an empty message); caught by the runners.
class Exception : public std::exception {
public:
    Exception() = default;
    explicit Exception(const std::wstring& message);
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

// An anonymous pipe. Both ends are close-on-exec: a child receives only the end the
// launcher hands it as a standard stream.
struct Pipe {
    Pipe() = default;
    ~Pipe() { Close(); }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    // Opens both ends; throws Utils::Exception when the pipe cannot be made.
    void Create();
    // Closes whichever ends are open.
    void Close();

    int WriteEnd = -1;
    int ReadEnd = -1;
};

struct ProcessInformation {
    int ProcessId = -1;
    bool Exited = false;
    int ExitCode = 0;
};

// Starts one hidden child with three pipes. Owned by one runner thread.
class ProcessLauncher {
public:
    // Command lines must fit this buffer: at most 1023 characters.
    static constexpr size_t kCommandLineChars = 1024;

    ProcessLauncher() = default;
    ~ProcessLauncher();  // CloseAll; a child still running is left to run and reaped
    ProcessLauncher(const ProcessLauncher&) = delete;
    ProcessLauncher& operator=(const ProcessLauncher&) = delete;

    // Creates the three pipes; throws Utils::Exception on failure.
    void CreatePipes();

    // Splits `commandLine` by the Windows rules (utils/command_line.h) and starts the
    // first argument with standard input from InPipe, output to OutPipe and error to
    // ErrPipe. Afterwards the parent holds only its own ends, so reading
    // OutPipe.ReadEnd ends when the child (and anything that inherited the end) has
    // exited. Throws Utils::Exception when the command line is empty or has 1024
    // characters or more, or when the program cannot be started; the pipes then stay
    // open for CloseAll.
    void Launch(const std::wstring& commandLine);

    // Waits for the child and returns its exit code (128 + signal when a signal ended
    // it); -1 when there is no child. A second call returns the same code.
    int WaitForExit();
    // Ends the child at once, if it still runs.
    void Kill();

    // Closes every pipe end that is open; reaps the child when it has already exited.
    void CloseAll();

    std::wstring CommandLine;
    Pipe ErrPipe;
    Pipe OutPipe;
    Pipe InPipe;
    ProcessInformation ProcessInfo;
};

// The product's registry key "Software\ZorVaneSoft\Velquin" of the current user.
// On this platform the values live in the profile file
// "$XDG_CONFIG_HOME/ZorVaneSoft/Velquin/registry.ini", section = key path.
constexpr wchar_t kProductRegistryKey[] = L"Software\\ZorVaneSoft\\Velquin";
constexpr uint32_t kRegistryTypeString = 1;  // REG_SZ

std::wstring ProductRegistryFile();

// True when the value was stored (as a string).
bool WriteProductRegistryString(const std::wstring& valueName, const std::wstring& text);
// True when the value exists; `type` is then kRegistryTypeString and `text` the value.
// False leaves both unchanged.
bool ReadProductRegistryString(const std::wstring& valueName, uint32_t& type, std::wstring& text);

}  // namespace Utils
