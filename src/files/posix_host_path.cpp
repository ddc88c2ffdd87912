// Host paths on POSIX systems: file names are bytes, taken and given back unchanged. Not
// built on Windows (win32_host_path.cpp is).
#include "files/host_path.h"

#include <limits.h>
#include <unistd.h>

#include <cerrno>

namespace hivewarden::registry {
namespace {

// What a durable file's temporary name adds to a path at most (".tmp-XXXXXX").
constexpr std::size_t kTempNameExtra = 11;

// The folder's limit `name` (_PC_NAME_MAX, _PC_PATH_MAX), or `fallback` when it has none.
std::size_t FolderLimit(const std::string& folder, int name, long fallback) {
    errno = 0;
    const long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), name);
    return static_cast<std::size_t>(limit > 0 ? limit : fallback);
}

}  // namespace

std::filesystem::path ToHostPath(std::string_view path) { return std::filesystem::path(path); }

std::string FromHostPath(const std::filesystem::path& path) { return path.string(); }

std::FILE* OpenHostFile(std::string_view path, const char* mode) {
    return std::fopen(std::string(path).c_str(), mode);
}

std::optional<std::string> HostNameLengthProblem(std::string_view folder,
                                                 std::string_view fileName) {
    const std::string folderText(folder);
    const std::size_t nameMax = FolderLimit(folderText, _PC_NAME_MAX, NAME_MAX);
    if (fileName.size() > nameMax) {
        return "the file name takes " + std::to_string(fileName.size()) +
               " bytes, more than the " + std::to_string(nameMax) + " this file system allows";
    }
    const std::size_t pathMax = FolderLimit(folderText, _PC_PATH_MAX, PATH_MAX);
    // PATH_MAX counts the closing NUL.
    if (folder.size() + fileName.size() + kTempNameExtra >= pathMax) {
        return "the path " + folderText + std::string(fileName) + " is too long for this system";
    }
    return std::nullopt;
}

}  // namespace hivewarden::registry
