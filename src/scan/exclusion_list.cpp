// Load, save and matching of the exclusion list.
#include "scan/exclusion_list.h"

#include <cerrno>
#include <fstream>
#include <system_error>

#include "files/host_path.h"
#include "text/text.h"
#include "text/text_file.h"
#include "scan/text_lines.h"

namespace hivewarden::scan {
namespace {

std::string SaveFailure(const std::string& path, int code) {
    return "cannot write " + path + ": " + std::generic_category().message(code != 0 ? code : EIO);
}

}  // namespace

ExclusionList LoadExclusionList(const std::string& path, const CodePage& codePage) {
    ExclusionList list;
    for (std::string& line : ReadTextLines(path, codePage).Lines) list.Grow() = std::move(line);
    return list;
}

std::optional<std::string> SaveExclusionList(const std::string& path, const ExclusionList& list,
                                             const CodePage& codePage) {
    std::string text;
    for (const std::string& entry : list) {
        text += entry;
        text += "\r\n";
    }
    const std::string bytes = EncodeTextFile(text, codePage);
    errno = 0;
    std::ofstream file(registry::ToHostPath(path), std::ios::binary | std::ios::trunc);
    if (!file) return SaveFailure(path, errno);
    errno = 0;
    if (!file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !file.flush()) {
        return SaveFailure(path, errno);
    }
    file.close();
    if (file.fail()) return SaveFailure(path, errno);
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
