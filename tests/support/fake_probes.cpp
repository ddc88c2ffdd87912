// In-memory file probes for tests.
#include "support/fake_probes.h"

namespace hivewarden::testing {

FakeProbes::FakeProbes() {
    AddFolder("C:\\Windows\\Fonts");
    env_["SystemRoot"] = "C:\\Windows";
    env_["windir"] = "C:\\Windows";
}

std::string FakeProbes::Normal(std::string_view path) {
    std::string p(path);
    // "C:\" is the drive root; any other trailing "\" is dropped.
    while (p.size() > 3 && p.back() == '\\') p.pop_back();
    return p;
}

FakeProbes& FakeProbes::AddFolder(std::string_view path) {
    const std::string p = Normal(path);
    // Every prefix that ends before a "\" is a folder too; "C:" stands for "C:\".
    for (std::size_t i = 1; i <= p.size(); ++i) {
        if (i < p.size() && p[i] != '\\') continue;
        std::string prefix = p.substr(0, i);
        if (prefix.size() == 2 && prefix[1] == ':') prefix += '\\';
        folders_.insert(prefix);
    }
    return *this;
}

FakeProbes& FakeProbes::AddFile(std::string_view path, std::string contents) {
    const std::string p = Normal(path);
    const std::size_t slash = p.rfind('\\');
    if (slash != std::string::npos) AddFolder(slash == 2 ? p.substr(0, 3) : p.substr(0, slash));
    files_[p] = std::move(contents);
    return *this;
}

FakeProbes& FakeProbes::SetEnv(std::string_view name, std::string value) {
    env_[std::string(name)] = std::move(value);
    return *this;
}

FakeProbes& FakeProbes::SetWindowsDirectory(std::string dir) {
    windowsDir_ = std::move(dir);
    return *this;
}

FakeProbes& FakeProbes::AddNetworkPrefix(std::string_view prefix) {
    networkPrefixes_.emplace_back(prefix);
    return *this;
}

FakeProbes& FakeProbes::RemoveDrive(char letter) {
    removedDrives_ += AsciiUpper(letter);
    return *this;
}

bool FakeProbes::OnRemovedDrive(std::string_view path) const {
    return path.size() >= 2 && path[1] == ':' &&
           removedDrives_.find(AsciiUpper(path[0])) != std::string::npos;
}

bool FakeProbes::DrivePresent(char letter) {
    ++driveQuestions_;
    const char upper = AsciiUpper(letter);
    return upper >= 'A' && upper <= 'Z' && removedDrives_.find(upper) == std::string::npos;
}

bool FakeProbes::FileExists(std::string_view path) {
    ++probes_;
    if (path.empty() || OnRemovedDrive(path)) return false;
    const std::string p = Normal(path);
    return files_.count(p) > 0 || folders_.count(p) > 0;
}

bool FakeProbes::IsDirectory(std::string_view path) {
    ++probes_;
    if (path.empty() || OnRemovedDrive(path)) return false;
    return folders_.count(Normal(path)) > 0;
}

bool FakeProbes::IsNetworkPath(std::string_view path) {
    ++probes_;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return true;
    for (const std::string& prefix : networkPrefixes_) {
        if (path.size() >= prefix.size() && EqualsNoCase(path.substr(0, prefix.size()), prefix)) {
            return true;
        }
    }
    return false;
}

std::string FakeProbes::ExpandEnvironment(std::string_view text) {
    std::string result;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find('%', i);
        if (open == std::string_view::npos) break;
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) break;
        auto it = env_.find(std::string(text.substr(open + 1, close - open - 1)));
        if (it == env_.end()) {
            result.append(text.substr(i, close - i));
            i = close;
            continue;
        }
        result.append(text.substr(i, open - i));
        result += it->second;
        i = close + 1;
    }
    result.append(text.substr(i));
    return result;
}

bool FakeProbes::ListDirectory(std::string_view folder, std::vector<registry::DirEntry>& entries) {
    std::string base = Normal(folder);
    if (!folders_.count(base)) return false;
    if (base.back() != '\\') base += '\\';
    entries.clear();
    auto childName = [&](const std::string& p) -> std::string {
        if (p.size() <= base.size() || !EqualsNoCase(p.substr(0, base.size()), base)) return {};
        const std::string rest = p.substr(base.size());
        return rest.find('\\') == std::string::npos ? rest : std::string{};
    };
    for (const std::string& f : folders_) {
        if (std::string n = childName(f); !n.empty()) entries.push_back({n, true, false});
    }
    for (const auto& [f, contents] : files_) {
        if (std::string n = childName(f); !n.empty()) entries.push_back({n, false, false});
    }
    return true;
}

bool FakeProbes::ReadWholeFile(std::string_view path, std::size_t maxBytes, std::string& bytes) {
    auto it = files_.find(Normal(path));
    if (it == files_.end()) return false;
    bytes = it->second.substr(0, maxBytes);
    return true;
}

bool FakeProbes::DeleteFile(std::string_view path) { return files_.erase(Normal(path)) > 0; }

}  // namespace hivewarden::testing
