// A FileProbes decorator that remembers the file system's answers for the length of one scan:
// the same answers, far fewer probes. Deleting a file through it forgets everything.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "registry/files.h"

namespace hivewarden::scan {

class CachingProbes final : public registry::FileProbes {
public:
    explicit CachingProbes(registry::FileProbes& inner) : inner_(inner) {}

    bool FileExists(std::string_view path) override;
    bool IsDirectory(std::string_view path) override;
    bool IsNetworkPath(std::string_view path) override;
    std::string ExpandEnvironment(std::string_view text) override;
    std::string WindowsDirectory() override;
    bool ListDirectory(std::string_view folder, std::vector<registry::DirEntry>& entries) override;
    bool ReadWholeFile(std::string_view path, std::size_t maxBytes, std::string& bytes) override;
    bool DeleteFile(std::string_view path) override;

    // Forgets every answer (a new scan starts, or the file system changed).
    void Clear();
    // Questions asked of this object, and questions passed on to the real file system.
    std::uint64_t Questions() const { return questions_; }
    std::uint64_t Probes() const { return probes_; }

private:
    // Answers per probe kind, keyed by the path in upper case (Windows paths ignore case).
    enum Kind : std::uint8_t { kExists, kDirectory, kNetwork, kKinds };
    bool Cached(Kind kind, std::string_view path);

    registry::FileProbes& inner_;  // not owned
    std::unordered_map<std::string, bool> answers_[kKinds];
    std::unordered_map<std::string, std::string> expansions_;
    std::string windowsDir_;
    bool haveWindowsDir_ = false;
    std::uint64_t questions_ = 0;
    std::uint64_t probes_ = 0;
};

}  // namespace hivewarden::scan
