// Host paths on Windows: the program holds them in the ANSI code page, as the A file
// functions take them; std::filesystem is handed UTF-8, which it turns into the system's
// UTF-16 names. Windows builds only.
#include "registry/code_page.h"
#include "registry/host_path.h"

namespace hivewarden::registry {

std::filesystem::path ToHostPath(std::string_view path) {
    const std::string utf8 = AnsiToUtf8(path);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string FromHostPath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return Utf8ToAnsi(std::string(utf8.begin(), utf8.end()));
}

}  // namespace hivewarden::registry
