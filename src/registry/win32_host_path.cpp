// Host paths on Windows: the program holds them as UTF-8; std::filesystem and the C runtime
// get the system's UTF-16 names (converted here, lone surrogates kept), in the long form where
// a path is longer than the system's short limit. Windows builds only.
#include <stdio.h>

#include "registry/host_path.h"
#include "registry/win32_system.h"

namespace hivewarden::registry {

std::filesystem::path ToHostPath(std::string_view path) {
    return std::filesystem::path(win32::LongPathForm(path));
}

std::string FromHostPath(const std::filesystem::path& path) {
    return win32::Narrow(path.native());
}

std::FILE* OpenHostFile(std::string_view path, const char* mode) {
    return _wfopen(win32::LongPathForm(path).c_str(), win32::Wide(mode).c_str());
}

}  // namespace hivewarden::registry
