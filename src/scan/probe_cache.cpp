// Cached file-system answers for one scan.
#include "scan/probe_cache.h"

#include "registry/text.h"

namespace hivewarden::scan {

bool CachingProbes::Cached(Kind kind, std::string_view path) {
    ++questions_;
    auto [it, inserted] = answers_[kind].try_emplace(ToUpper(path), false);
    if (inserted) {
        ++probes_;
        switch (kind) {
            case kExists: it->second = inner_.FileExists(path); break;
            case kDirectory: it->second = inner_.IsDirectory(path); break;
            default: it->second = inner_.IsNetworkPath(path); break;
        }
    }
    return it->second;
}

bool CachingProbes::FileExists(std::string_view path) { return Cached(kExists, path); }
bool CachingProbes::IsDirectory(std::string_view path) { return Cached(kDirectory, path); }
bool CachingProbes::IsNetworkPath(std::string_view path) { return Cached(kNetwork, path); }

std::string CachingProbes::ExpandEnvironment(std::string_view text) {
    // Text without a "%" expands to itself; most value data is like that.
    if (text.find('%') == std::string_view::npos) return std::string(text);
    auto [it, inserted] = expansions_.try_emplace(std::string(text));
    if (inserted) it->second = inner_.ExpandEnvironment(text);
    return it->second;
}

std::string CachingProbes::WindowsDirectory() {
    if (!haveWindowsDir_) {
        windowsDir_ = inner_.WindowsDirectory();
        haveWindowsDir_ = true;
    }
    return windowsDir_;
}

bool CachingProbes::ListDirectory(std::string_view folder,
                                  std::vector<registry::DirEntry>& entries) {
    return inner_.ListDirectory(folder, entries);
}

bool CachingProbes::ReadWholeFile(std::string_view path, std::size_t maxBytes,
                                  std::string& bytes) {
    return inner_.ReadWholeFile(path, maxBytes, bytes);
}

bool CachingProbes::DeleteFile(std::string_view path) {
    const bool deleted = inner_.DeleteFile(path);
    Clear();
    return deleted;
}

void CachingProbes::Clear() {
    for (auto& answers : answers_) answers.clear();
    expansions_.clear();
    haveWindowsDir_ = false;
}

}  // namespace hivewarden::scan
