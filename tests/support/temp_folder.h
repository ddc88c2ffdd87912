// A fresh folder under the system's temporary folder for tests that read and write real
// files; removed with everything in it when the object goes.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

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

    // The path of a file in the folder, as the program's file functions take it.
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    // The folder with a trailing separator, like the program folder.
    std::string Folder() const { return (path_ / "").string(); }

    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
        return File(name);
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

  private:
    std::filesystem::path path_;
};

}  // namespace hivewarden::testing
