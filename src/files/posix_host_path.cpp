// Host paths on POSIX systems: file names are bytes, taken and given back unchanged. Not
// built on Windows (win32_host_path.cpp is).
#include "files/host_path.h"

namespace hivewarden::registry {

std::filesystem::path ToHostPath(std::string_view path) { return std::filesystem::path(path); }

std::string FromHostPath(const std::filesystem::path& path) { return path.string(); }

std::FILE* OpenHostFile(std::string_view path, const char* mode) {
    return std::fopen(std::string(path).c_str(), mode);
}

}  // namespace hivewarden::registry
