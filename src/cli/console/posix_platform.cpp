// The platform's facts on POSIX hosts: the program's folder from /proc, the terminal
// from isatty. Not built on Windows (win32_platform.cpp is).
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <system_error>

#include "cli/console/platform_system.h"

namespace hivewarden::cli {

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
