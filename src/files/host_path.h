// Paths of the program's own files (the program folder, its backups, reports, the exclusion
// list) between the program's UTF-8 text and the host's file functions. Backends, chosen by
// the build: posix_host_path (file names are bytes; UTF-8 on the hosts this runs on, taken as
// they are) and win32_host_path (UTF-16 names of the wide functions; OpenHostFile also takes
// paths longer than MAX_PATH, std::filesystem on Windows does not).
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace hivewarden::registry {

std::filesystem::path ToHostPath(std::string_view path);
std::string FromHostPath(const std::filesystem::path& path);

// std::fopen of a UTF-8 path (on Windows _wfopen, which the narrow fopen is not: it would read
// the name in the ANSI code page). Null on failure, with errno set.
std::FILE* OpenHostFile(std::string_view path, const char* mode);

}  // namespace hivewarden::registry
