// The platform's facts on Windows: the program's folder from GetModuleFileNameW (as UTF-8),
// the console from GetConsoleMode. Windows builds only.
#include <windows.h>

#include <ctime>
#include <vector>

#include "cli/console/platform_system.h"
#include "files/win32_system.h"

namespace hivewarden::cli {
namespace {

// The program's path may be a long one; the buffer grows up to the system's limit.
constexpr DWORD kMaxModulePath = 32768;

}  // namespace

std::string ExecutableFolder() {
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    while (true) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) return {};
        if (length < size) {
            const std::string path = registry::win32::Narrow(buffer.data(), length);
            const std::size_t slash = path.find_last_of("\\/");
            return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
        }
        if (size >= kMaxModulePath) return {};
        buffer.assign(size * 2, L'\0');  // cut short: the path is longer than the buffer
    }
}

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    return local;
}

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}

}  // namespace hivewarden::cli
