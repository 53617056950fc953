// velquin-demo-package: a silent package for demos and tests. One program, three roles:
//
//   package      PACKAGE /S … [-demo-…] -instdir="DIR" /D=DIR
//                installs a small Velquin into DIR and writes the status stream
//   uninstaller  uninst.ep /S … _?=DIR   (any program name, "_?=" present)
//                removes what was installed and writes the uninstaller stream
//   product      vuvIroridazaDirizode.exe
//                records that it was started in "started.txt" beside itself
//
// Package options (given through the installer's InstCmd):
//   -demo-fail            state Fail          -demo-error=TEXT   an Error line
//   -demo-stall=SECONDS   wait before the end  -demo-gbk          GBK text (Encode=936)
//   -demo-startup=STYLE   NonStartup, AutoStartup (default) or UserStartup
//   -demo-url=ADDRESS     a StartUrl line      -demo-silent       end without a state line
//   -demo-override=false  set.ini says IsOverride=false
// The uninstaller fails when VELQUIN_DEMO_UNINSTALL is "fail" or "error".
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

// A real package is large; this one carries 1.2 MB of payload so that downloads of it
// show progress and ranges.
asm(".section .rodata\n"
    ".global velquin_demo_payload\n"
    "velquin_demo_payload:\n"
    ".fill 1258291, 1, 0x5a\n"
    ".global velquin_demo_payload_end\n"
    "velquin_demo_payload_end:\n"
    ".text\n");
extern "C" const unsigned char velquin_demo_payload[];
extern "C" const unsigned char velquin_demo_payload_end[];

namespace {

constexpr const char* kProductName = "vuvIroridazaDirizode.exe";

void Line(const std::string& text) {
    std::fputs((text + "\r\n").c_str(), stdout);
    std::fflush(stdout);
}

void Pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Everything after the marker, with the arguments that follow joined by blanks: the
// folder comes last and unquoted, so the shell-style split cut it at its blanks.
std::string TailAfter(const std::vector<std::string>& args, const std::string& marker) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind(marker, 0) == 0) {
            std::string folder = args[i].substr(marker.size());
            for (size_t j = i + 1; j < args.size(); ++j) {
                folder += " " + args[j];
            }
            return folder;
        }
    }
    return {};
}

std::string OptionValue(const std::vector<std::string>& args, const std::string& name) {
    for (const std::string& a : args) {
        if (a.rfind(name + "=", 0) == 0) {
            return a.substr(name.size() + 1);
        }
    }
    return {};
}

bool HasOption(const std::vector<std::string>& args, const std::string& name) {
    for (const std::string& a : args) {
        if (a == name) {
            return true;
        }
    }
    return false;
}

int RunProduct(const char* self) {
    const fs::path here = fs::absolute(self).parent_path();
    std::ofstream(here / "started.txt") << "Velquin started\n";
    std::printf("Velquin 1.7.9 is running from %s\n", here.c_str());
    return 0;
}

int RunUninstaller(const std::vector<std::string>& args) {
    const fs::path folder = TailAfter(args, "_?=");
    Line("Encode=UTF8");
    Line("Progress=10");
    const char* mode = std::getenv("VELQUIN_DEMO_UNINSTALL");
    if (mode != nullptr && std::strcmp(mode, "error") == 0) {
        Line("Error=卸载出错");
        return 1;
    }
    if (mode != nullptr && std::strcmp(mode, "fail") == 0) {
        Line("State=Fail");
        return 1;
    }
    std::error_code ec;
    for (const char* name : {kProductName, "set.ini", "readme.txt", "started.txt", "uninst.ep"}) {
        fs::remove(folder / name, ec);
    }
    Line("Progress=100");
    Line("State=Success");
    return 0;
}

int RunPackage(const char* self, const std::vector<std::string>& args) {
    const bool gbk = HasOption(args, "-demo-gbk");
    Line(gbk ? "Encode=936" : "Encode=UTF8");
    Line("InstallVersion=1.7.9");
    const std::string folderText = TailAfter(args, "/D=");
    if (folderText.empty()) {
        Line("Error=no installation folder (/D=) given");
        return 2;
    }
    const fs::path folder = folderText;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        Line("Error=cannot create " + folderText + ": " + ec.message());
        return 3;
    }
    for (int p = 10; p <= 60; p += 10) {
        Line("Progress=" + std::to_string(p) + ".0");
        Pause(40);
    }
    // The payload would be the product's data; the demo product is this program.
    const size_t payload = static_cast<size_t>(velquin_demo_payload_end - velquin_demo_payload);
    fs::copy_file(self, folder / kProductName, fs::copy_options::overwrite_existing, ec);
    if (!ec) {
        fs::copy_file(self, folder / "uninst.ep", fs::copy_options::overwrite_existing, ec);
    }
    if (ec) {
        Line("Error=cannot write into " + folderText + ": " + ec.message());
        return 3;
    }
    fs::permissions(folder / kProductName, fs::perms::owner_exec, fs::perm_options::add, ec);
    fs::permissions(folder / "uninst.ep", fs::perms::owner_exec, fs::perm_options::add, ec);
    const std::string override = OptionValue(args, "-demo-override");
    std::ofstream(folder / "set.ini")
        << "[Uninstall]\nIsOverride=" << (override.empty() ? "true" : override) << "\n";
    std::ofstream(folder / "readme.txt")
        << "Velquin 1.7.9 demo product (" << payload << " bytes of payload)\n";
    for (int p = 70; p <= 90; p += 10) {
        Line("Progress=" + std::to_string(p) + ".0");
        Pause(40);
    }
    Line("InstPath=" + folder.string());
    Line("ExePath=" + (folder / kProductName).string());
    Line("UninstExePath=" + (folder / "uninst.ep").string());
    Line("UninstEp=" + (folder / "uninst.ep").string());
    const std::string url = OptionValue(args, "-demo-url");
    if (!url.empty()) {
        Line("StartUrl=" + url);
    }
    const std::string startup = OptionValue(args, "-demo-startup");
    Line("StartupStyle=" + (startup.empty() ? std::string("AutoStartup") : startup));
    Line("TopShowDetention=3000");
    Line("FinsihCloseDetention=-1");
    // "安装完成，欢迎使用" in the stream's encoding.
    Line(gbk ? "Message=\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9\xA3\xAC\xBB\xB6\xD3\xAD\xCA\xB9\xD3\xC3"
             : "Message=安装完成，欢迎使用");
    const std::string stall = OptionValue(args, "-demo-stall");
    if (!stall.empty()) {
        Pause(std::atoi(stall.c_str()) * 1000);
    }
    Line("Progress=100.0");
    const std::string error = OptionValue(args, "-demo-error");
    if (!error.empty()) {
        Line("Error=" + error);
        return 1;
    }
    if (HasOption(args, "-demo-fail")) {
        Line("State=Fail");
        return 1;
    }
    if (!HasOption(args, "-demo-silent")) {
        Line("State=Success");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const std::string name = fs::path(argv[0]).filename().string();
    if (name == kProductName) {
        return RunProduct(argv[0]);
    }
    for (const std::string& a : args) {
        if (a.rfind("_?=", 0) == 0) {
            return RunUninstaller(args);
        }
    }
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    return RunPackage(self.c_str(), args);
}
