// Platform facts for the command line: live registry, program folder, terminal, Ctrl+C.
#include "cli/platform_system.h"

#include <atomic>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "registry/win32_store.h"
#else
#include <unistd.h>
#endif

namespace hivewarden::cli {
namespace {

// A signal handler can only reach static storage; this flag is the one piece of process-wide
// state of the command line, and only the handler writes it.
std::atomic<bool> gInterrupted{false};

extern "C" void OnInterrupt(int) { gInterrupted.store(true); }

}  // namespace

#ifdef _WIN32
bool HasLiveRegistry() { return true; }
std::unique_ptr<registry::RegistryStore> MakeLiveStore() {
    return std::make_unique<registry::Win32Store>();
}
std::string ExecutableFolder() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::string path(buffer, length);
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
}
bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }
#else
bool HasLiveRegistry() { return false; }
std::unique_ptr<registry::RegistryStore> MakeLiveStore() { return nullptr; }
std::string ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return (exe.parent_path() / "").string();
}
bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }
#endif

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local;
}

void InstallInterruptHandler() {
    gInterrupted.store(false);
    std::signal(SIGINT, OnInterrupt);
}

bool InterruptRequested() { return gInterrupted.load(); }

}  // namespace hivewarden::cli
