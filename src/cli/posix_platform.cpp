// The platform's facts on POSIX hosts: no live registry or file probes (a registry comes from
// .reg files, drives are mapped to folders), the program's folder from /proc, the terminal
// from isatty. Not built on Windows (win32_platform.cpp is).
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <system_error>

#include "cli/platform_probes.h"
#include "cli/platform_system.h"

namespace hivewarden::cli {

bool HasLiveRegistry() { return false; }
std::unique_ptr<registry::RegistryStore> MakeLiveStore() { return nullptr; }

bool HasLiveProbes() { return false; }
std::unique_ptr<registry::FileProbes> MakeLiveProbes() { return nullptr; }

std::string ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return (exe.parent_path() / "").string();
}

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

}  // namespace hivewarden::cli
