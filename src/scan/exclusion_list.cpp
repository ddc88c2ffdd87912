// Load, save and matching of the exclusion list.
#include "scan/exclusion_list.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "registry/text.h"
#include "scan/text_lines.h"

namespace hivewarden::scan {
namespace {

std::string SaveFailure(const std::string& path, int code) {
    return "cannot write " + path + ": " + std::generic_category().message(code != 0 ? code : EIO);
}

}  // namespace

ExclusionList LoadExclusionList(const std::string& path) {
    ExclusionList list;
    for (std::string& line : ReadTextLines(path).Lines) list.Grow() = std::move(line);
    return list;
}

std::optional<std::string> SaveExclusionList(const std::string& path, const ExclusionList& list) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return SaveFailure(path, errno);
    bool written = true;
    for (const std::string& entry : list) {
        written = std::fwrite(entry.data(), 1, entry.size(), file) == entry.size() &&
                  std::fwrite("\r\n", 1, 2, file) == 2;
        if (!written) break;
    }
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written) return SaveFailure(path, writeError);
    if (!closed) return SaveFailure(path, errno);
    return std::nullopt;
}

ExclusionMatcher::ExclusionMatcher(const ExclusionList& list) {
    for (const std::string& entry : list) upperEntries_.push_back(ToUpper(entry));
}

bool ExclusionMatcher::Excludes(const engine::ErrorEntry& entry) const {
    if (entry.EntryKind != engine::kValueEntry || upperEntries_.empty()) return false;
    const std::string target = ToUpper(entry.TargetPath);
    for (const std::string& upperEntry : upperEntries_) {
        if (target.find(upperEntry) != std::string::npos) return true;
    }
    return false;
}

bool IsExcluded(const engine::ErrorEntry& entry, const ExclusionList& list) {
    return ExclusionMatcher(list).Excludes(entry);
}

}  // namespace hivewarden::scan
