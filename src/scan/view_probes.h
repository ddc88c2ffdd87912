// A FileProbes decorator that asks about each path as a program of one registry view finds it:
// the paths of the system folder that Windows redirects for that view are asked about where
// they lead (registry_view.h). On a machine without the 32-bit system folder (32-bit Windows)
// every path is asked about as it is. The scan gives each view its own decorator over the same
// probes, so the answers for one view never stand in for the other's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "files/files.h"
#include "scan/registry_view.h"

namespace hivewarden::scan {

class ViewProbes final : public registry::FileProbes {
public:
    // `windowsDir`: the machine's Windows directory. `inner` is not owned.
    ViewProbes(registry::FileProbes& inner, RegistryView view, std::string_view windowsDir)
        : inner_(inner), view_(view), folders_(windowsDir) {}

    bool FileExists(std::string_view path) override;
    bool IsDirectory(std::string_view path) override;
    bool IsNetworkPath(std::string_view path) override { return inner_.IsNetworkPath(path); }
    std::string ExpandEnvironment(std::string_view text) override {
        return inner_.ExpandEnvironment(text);
    }
    std::string WindowsDirectory() override { return inner_.WindowsDirectory(); }
    std::vector<std::string> FontFolders() override { return inner_.FontFolders(); }
    bool DrivePresent(char letter) override { return inner_.DrivePresent(letter); }
    bool ListDirectory(std::string_view folder, std::vector<registry::DirEntry>& entries) override;
    bool ReadWholeFile(std::string_view path, std::size_t maxBytes, std::string& bytes) override;
    bool DeleteFile(std::string_view path) override;
    std::string HostPath(std::string_view path) override { return inner_.HostPath(Seen(path)); }

private:
    // The path a program of this view reaches: `path` itself or its redirection, kept in
    // redirected_.
    std::string_view Seen(std::string_view path);

    registry::FileProbes& inner_;
    RegistryView view_;
    SystemFolders folders_;
    int hasWow64_ = -1;  // the machine has the 32-bit system folder; -1 until asked
    std::string redirected_;
};

}  // namespace hivewarden::scan
