// Host paths on Windows: the program holds them as UTF-8; std::filesystem and the C runtime
// get the system's UTF-16 names (converted here, lone surrogates kept). std::filesystem gets
// them as they are: this runtime's directory listing misreads the long "\\?\" form (it lists
// the current folder instead), so there a path keeps the system's MAX_PATH limit. OpenHostFile
// takes the long form and any length. Windows builds only.
#include <windows.h>
#include <stdio.h>

#include "files/host_path.h"
#include "files/win32_system.h"

namespace hivewarden::registry {

std::filesystem::path ToHostPath(std::string_view path) {
    return std::filesystem::path(win32::Wide(path));
}

std::string FromHostPath(const std::filesystem::path& path) {
    return win32::Narrow(path.native());
}

std::FILE* OpenHostFile(std::string_view path, const char* mode) {
    return _wfopen(win32::LongPathForm(path).c_str(), win32::Wide(mode).c_str());
}

std::optional<std::string> HostNameLengthProblem(std::string_view folder,
                                                 std::string_view fileName) {
    // Windows' limits: a name of 255 UTF-16 units, a path of MAX_PATH with its closing NUL.
    constexpr std::size_t kMaxNameUnits = 255;
    const std::size_t nameUnits = win32::Wide(fileName).size();
    if (nameUnits > kMaxNameUnits) {
        return "the file name is " + std::to_string(nameUnits) + " characters long, more than the " +
               std::to_string(kMaxNameUnits) + " Windows allows";
    }
    const std::string path = std::string(folder) + std::string(fileName);
    if (win32::Wide(path).size() >= MAX_PATH) {
        return "the path " + path + " is longer than the " + std::to_string(MAX_PATH - 1) +
               " characters Windows allows";
    }
    return std::nullopt;
}

}  // namespace hivewarden::registry
