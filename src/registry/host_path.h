// Paths of the program's own files (the program folder, its backups) between the form the
// program holds them in and std::filesystem. The program keeps them as the platform's narrow
// file functions take them. Backends, chosen by the build: posix_host_path (the bytes as they
// are) and win32_host_path (the ANSI code page, converted through UTF-8).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace hivewarden::registry {

std::filesystem::path ToHostPath(std::string_view path);
std::string FromHostPath(const std::filesystem::path& path);

}  // namespace hivewarden::registry
