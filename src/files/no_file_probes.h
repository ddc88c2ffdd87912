// Probes for work that asks nothing about files (applying a .reg file, restoring a backup):
// the access operations need probes, and these see no file, no folder and no drive.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "files/files.h"

namespace hivewarden::registry {

class NoFileProbes final : public FileProbes {
  public:
    bool FileExists(std::string_view) override { return false; }
    bool IsDirectory(std::string_view) override { return false; }
    bool IsNetworkPath(std::string_view) override { return false; }
    std::string ExpandEnvironment(std::string_view text) override { return std::string(text); }
    std::string WindowsDirectory() override { return {}; }
    bool DrivePresent(char) override { return false; }
    bool ListDirectory(std::string_view, std::vector<DirEntry>&) override { return false; }
    bool ReadWholeFile(std::string_view, std::size_t, std::string&) override { return false; }
    bool DeleteFile(std::string_view) override { return false; }
};

}  // namespace hivewarden::registry
