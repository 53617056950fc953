// Pipes, the hidden launcher and the registry stand-in.
#include "utils/process.h"

#include <cerrno>
#include <vector>

#include "platform/files.h"
#include "platform/process.h"
#include "utils/command_line.h"
#include "utils/profile.h"
#include "utils/system_queries.h"
#include "utils/text.h"

namespace Utils {

Exception::Exception(const std::wstring& message) : m_message(ToNarrow(message, kCodePageAcp)) {}

void Pipe::Create() {
    Close();
    if (!platform::CreatePipe(ReadEnd, WriteEnd)) {
        Close();
        throw Exception();
    }
}

void Pipe::Close() {
    platform::CloseFd(WriteEnd);
    platform::CloseFd(ReadEnd);
}

ProcessLauncher::~ProcessLauncher() {
    CloseAll();
}

void ProcessLauncher::CreatePipes() {
    ErrPipe.Create();
    OutPipe.Create();
    InPipe.Create();
}

void ProcessLauncher::Launch(const std::wstring& commandLine) {
    if (commandLine.empty() || commandLine.size() >= kCommandLineChars) {
        throw Exception();
    }
    CommandLine = commandLine;
    std::vector<std::string> argv;
    for (const std::wstring& arg : SplitCommandLine(commandLine)) {
        argv.push_back(ToNarrow(arg, kCodePageAcp));
    }
    int err = 0;
    int pid =
        platform::SpawnProcess(argv, InPipe.ReadEnd, OutPipe.WriteEnd, ErrPipe.WriteEnd, {}, &err);
    if (pid < 0) {
        throw Exception();
    }
    ProcessInfo = ProcessInformation{pid, false, 0};
    platform::CloseFd(OutPipe.WriteEnd);
    platform::CloseFd(ErrPipe.WriteEnd);
    platform::CloseFd(InPipe.ReadEnd);
}

int ProcessLauncher::WaitForExit() {
    if (ProcessInfo.ProcessId <= 0) {
        return -1;
    }
    if (!ProcessInfo.Exited) {
        int code = -1;
        if (!platform::WaitProcess(ProcessInfo.ProcessId, code, /*block=*/true)) {
            return -1;
        }
        ProcessInfo.Exited = true;
        ProcessInfo.ExitCode = code;
    }
    return ProcessInfo.ExitCode;
}

void ProcessLauncher::Kill() {
    if (ProcessInfo.ProcessId > 0 && !ProcessInfo.Exited) {
        platform::KillProcess(ProcessInfo.ProcessId);
    }
}

void ProcessLauncher::CloseAll() {
    if (ProcessInfo.ProcessId > 0 && !ProcessInfo.Exited) {
        int code = 0;
        if (platform::WaitProcess(ProcessInfo.ProcessId, code, /*block=*/false)) {
            ProcessInfo.Exited = true;
            ProcessInfo.ExitCode = code;
        }
    }
    InPipe.Close();
    OutPipe.Close();
    ErrPipe.Close();
}

std::wstring ProductRegistryFile() {
    return ToWide(platform::ConfigFolder(), kCodePageAcp) + L"/ZorVaneSoft/Velquin/registry.ini";
}

bool WriteProductRegistryString(const std::wstring& valueName, const std::wstring& text) {
    const std::wstring file = ProductRegistryFile();
    const std::wstring folder = file.substr(0, file.rfind(L'/'));
    if (!CreateDirectoryPath(folder)) {
        return false;
    }
    return WritePrivateProfileStringW(kProductRegistryKey, valueName, text, file, 0600);
}

bool ReadProductRegistryString(const std::wstring& valueName, uint32_t& type, std::wstring& text) {
    // A value that is absent reads as this marker, which no stored value can equal
    // (stored values never hold a line break).
    static const std::wstring kAbsent = L"\n";
    std::wstring value = GetPrivateProfileStringW(kProductRegistryKey, valueName, kAbsent, 32768,
                                                  ProductRegistryFile());
    if (value == kAbsent) {
        return false;
    }
    type = kRegistryTypeString;
    text = value;
    return true;
}

}  // namespace Utils
