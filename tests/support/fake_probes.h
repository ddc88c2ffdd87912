// An in-memory file system for tests: a set of Windows paths that exist (files and folders,
// compared case-insensitively), an environment table and a Windows directory.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "files/files.h"
#include "text/text.h"

namespace hivewarden::testing {

class FakeProbes : public registry::FileProbes {
public:
    FakeProbes();

    // Adds a file and every folder above it ("C:\A\b.txt" adds C:\, C:\A and the file).
    FakeProbes& AddFile(std::string_view path, std::string contents = {});
    FakeProbes& AddFolder(std::string_view path);
    FakeProbes& SetEnv(std::string_view name, std::string value);
    FakeProbes& SetWindowsDirectory(std::string dir);  // with trailing "\"
    FakeProbes& AddNetworkPrefix(std::string_view prefix);
    // Drive `letter` is not there (an unplugged disk): DrivePresent answers false for it and
    // nothing on it exists. Every other letter is present.
    FakeProbes& RemoveDrive(char letter);

    bool FileExists(std::string_view path) override;
    bool IsDirectory(std::string_view path) override;
    bool IsNetworkPath(std::string_view path) override;
    std::string ExpandEnvironment(std::string_view text) override;
    std::string WindowsDirectory() override { return windowsDir_; }
    bool DrivePresent(char letter) override;
    bool ListDirectory(std::string_view folder, std::vector<registry::DirEntry>& entries) override;
    bool ReadWholeFile(std::string_view path, std::size_t maxBytes, std::string& bytes) override;
    bool DeleteFile(std::string_view path) override;

    int ProbeCount() const { return probes_; }
    int DriveQuestions() const { return driveQuestions_; }

private:
    static std::string Normal(std::string_view path);
    bool OnRemovedDrive(std::string_view path) const;

    std::map<std::string, std::string, LessNoCase> files_;  // path -> contents
    std::set<std::string, LessNoCase> folders_;
    std::map<std::string, std::string, LessNoCase> env_;
    std::vector<std::string> networkPrefixes_;
    std::string windowsDir_ = "C:\\Windows\\";
    std::string removedDrives_;  // upper-case letters
    int probes_ = 0;
    int driveQuestions_ = 0;
};

}  // namespace hivewarden::testing
