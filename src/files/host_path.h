// Paths of the program's own files (the program folder, its backups, reports, the exclusion
// list) between the program's UTF-8 text and the host's file functions. Backends, chosen by
// the build: posix_host_path (file names are bytes; UTF-8 on the hosts this runs on, taken as
// they are) and win32_host_path (UTF-16 names of the wide functions; OpenHostFile also takes
// paths longer than MAX_PATH, std::filesystem on Windows does not).
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace hivewarden::registry {

std::filesystem::path ToHostPath(std::string_view path);
std::string FromHostPath(const std::filesystem::path& path);

// std::fopen of a UTF-8 path (on Windows _wfopen, which the narrow fopen is not: it would read
// the name in the ANSI code page). Null on failure, with errno set.
std::FILE* OpenHostFile(std::string_view path, const char* mode);

// Why this host cannot hold a file `fileName` in `folder` (given with its trailing separator)
// because of the length of the name or of the whole path, or nothing when it can. POSIX: the
// name's bytes against the folder's NAME_MAX, the path (and the temporary name a durable file
// writes first) against its PATH_MAX. Windows: the name's UTF-16 units against 255 and the
// path against MAX_PATH, beyond which std::filesystem does not reach.
std::optional<std::string> HostNameLengthProblem(std::string_view folder,
                                                 std::string_view fileName);

}  // namespace hivewarden::registry
