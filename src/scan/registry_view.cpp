// Registry views and the system-folder redirection of 32-bit programs.
#include "scan/registry_view.h"

#include <algorithm>

#include "text/text.h"
#include "files/windows_path.h"

namespace hivewarden::scan {
namespace {

constexpr std::string_view kWow64Node = "Wow6432Node";
constexpr std::string_view kSystem32 = "System32";
constexpr std::string_view kSysnative = "Sysnative";
constexpr std::string_view kSysWow64 = "SysWOW64";

// Folders of System32 that 32-bit programs reach as they are: Windows does not redirect them.
struct ExemptFolder {
    std::string_view Name;
    std::string_view Below;  // a folder inside it that is the exempt one; empty: all of it
};
constexpr ExemptFolder kExemptFolders[] = {
    {"catroot", {}}, {"catroot2", {}}, {"drivers", "etc"}, {"logfiles", {}}, {"spool", {}},
};

bool NameAt(const std::vector<std::string>& names, std::size_t index, std::string_view name) {
    return index < names.size() && EqualsNoCase(names[index], name);
}

// True when `names` begin with `prefix`, compared as Windows compares names.
bool BeginsWith(const std::vector<std::string>& names, const std::vector<std::string>& prefix) {
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (!NameAt(names, i, prefix[i])) return false;
    }
    return true;
}

// `below`: the position of the first name below System32.
bool IsExempt(const std::vector<std::string>& names, std::size_t below) {
    for (const ExemptFolder& exempt : kExemptFolders) {
        if (NameAt(names, below, exempt.Name) &&
            (exempt.Below.empty() || NameAt(names, below + 1, exempt.Below))) {
            return true;
        }
    }
    return false;
}

std::string JoinPath(char drive, const std::vector<std::string>& names, bool trailing) {
    std::string path{drive, ':', '\\'};
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i != 0) path += '\\';
        path += names[i];
    }
    if (trailing && !names.empty()) path += '\\';
    return path;
}

}  // namespace

RegistryView ViewOfKeyPath(std::string_view keyPath) {
    if (!ContainsNoCase(keyPath, kWow64Node)) return RegistryView::kNative;
    std::size_t start = 0;
    while (start <= keyPath.size()) {
        const std::size_t end = std::min(keyPath.find('\\', start), keyPath.size());
        if (EqualsNoCase(keyPath.substr(start, end - start), kWow64Node)) {
            return RegistryView::kWow32;
        }
        start = end + 1;
    }
    return RegistryView::kNative;
}

SystemFolders::SystemFolders(std::string_view windowsDir) {
    const std::optional<registry::LocalPath> parsed = registry::ParseLocalPath(windowsDir);
    if (!parsed) return;
    drive_ = parsed->Drive;
    windowsDir_ = parsed->Components;
    std::vector<std::string> wow64 = windowsDir_;
    wow64.emplace_back(kSysWow64);
    wow64Folder_ = JoinPath(drive_, wow64, false);
}

std::optional<std::string> SystemFolders::Redirect(std::string_view path,
                                                   RegistryView view) const {
    // Most paths name neither folder; they are ruled out without being taken apart.
    const bool wow32 = view == RegistryView::kWow32;
    if (drive_ == 0 ||
        !(ContainsNoCase(path, kSysnative) || (wow32 && ContainsNoCase(path, kSystem32)))) {
        return std::nullopt;
    }
    std::optional<registry::LocalPath> local = registry::ParseLocalPath(path);
    if (!local || local->Drive != drive_ || !BeginsWith(local->Components, windowsDir_) ||
        local->Components.size() == windowsDir_.size()) {
        return std::nullopt;
    }
    const std::size_t below = windowsDir_.size() + 1;  // the first name below the system folder
    std::string& folder = local->Components[windowsDir_.size()];
    if (EqualsNoCase(folder, kSysnative)) {
        folder = kSystem32;
    } else if (wow32 && EqualsNoCase(folder, kSystem32) && !IsExempt(local->Components, below)) {
        folder = kSysWow64;
    } else {
        return std::nullopt;
    }
    return JoinPath(drive_, local->Components, local->TrailingSeparator);
}

}  // namespace hivewarden::scan
