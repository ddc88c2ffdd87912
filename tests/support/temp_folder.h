// A fresh folder under the system's temporary folder for tests that read and write real
// files; removed with everything in it when the object goes. Names and paths are the program's
// UTF-8 text (on Windows a narrow std::filesystem path would be read in the ANSI code page).
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

#include "files/host_path.h"

namespace hivewarden::testing {

class TempFolder {
  public:
    TempFolder() {
        static std::atomic<int> counter{0};
        const auto base = std::filesystem::temp_directory_path();
        const unsigned salt = std::random_device{}();  // keeps parallel test runs apart
        for (;;) {
            path_ = base / ("hw_test_" + std::to_string(salt) + "_" + std::to_string(counter++));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The path of a file in the folder, as the program's file functions take it (UTF-8).
    std::string File(const std::string& name) const {
        return registry::FromHostPath(HostPath(name));
    }
    // The folder with a trailing separator, like the program folder.
    std::string Folder() const { return registry::FromHostPath(path_ / ""); }
    // The same file as a path for std::filesystem and the standard streams.
    std::filesystem::path HostPath(const std::string& name) const {
        return path_ / registry::ToHostPath(name);
    }

    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(HostPath(name), std::ios::binary) << bytes;
        return File(name);
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(HostPath(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

  private:
    std::filesystem::path path_;
};

}  // namespace hivewarden::testing
