// The driver's own file reads and writes: whole files as bytes, a folder's files by pattern,
// and the case-blind name order that the program's lists use. Paths and names are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "e2e/e2e_headers.h"

namespace hivewarden::e2e {

bool FileExists(const std::string& path);
// The file's bytes; nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool RemoveFile(const std::string& path);
// Creates the folder and any folder above it that is missing; true when it exists afterwards.
bool MakeFolders(const std::string& path);
bool RemoveFolder(const std::string& path);
// The names (without the folder) of the files in `folder` that match `pattern` ("*.reg").
std::vector<std::string> FilesIn(const std::string& folder, const std::string& pattern);
// Sorts names as the program's lists do: by their upper-case copies, ties by their bytes.
void SortNamesNoCase(std::vector<std::string>& names);
// "a\r\nb\r\n" for {"a", "b"}.
std::string CrLfLines(const std::vector<std::string>& lines);

}  // namespace hivewarden::e2e
