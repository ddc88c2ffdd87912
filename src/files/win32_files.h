// The file probes over the Windows shell and kernel functions (shlwapi, kernel32, wide forms):
// paths arrive as UTF-8 and reach the system as UTF-16, names come back as UTF-8. Windows
// builds only; <windows.h> stays inside the .cpp.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "files/files.h"

namespace hivewarden::registry {

// A 32-bit build on 64-bit Windows is redirected from the system folder (System32) to its
// 32-bit twin (SysWOW64), which would report real system files as missing. Every probe that
// touches the file system therefore runs with that redirection switched off, and switched on
// again before it returns. So every build sees System32 as the 64-bit folder and SysWOW64 as
// the 32-bit one; where a path leads for a 32-bit program, and the "Sysnative" alias that only
// redirected 32-bit processes know, are the scan's business (scan/registry_view.h).
// Paths of MAX_PATH characters and more are handed to the system in their long form ("\\?\",
// see win32_system.h), so files in deep folders are found, listed, read and deleted.
class Win32Files final : public FileProbes {
  public:
    Win32Files();
    ~Win32Files() override = default;
    Win32Files(const Win32Files&) = delete;
    Win32Files& operator=(const Win32Files&) = delete;

    bool FileExists(std::string_view path) override;
    bool IsDirectory(std::string_view path) override;
    bool IsNetworkPath(std::string_view path) override;
    std::string ExpandEnvironment(std::string_view text) override;
    std::string WindowsDirectory() override;
    // The Windows directory's Fonts folder; under Wine also Wine's own fonts folder, where
    // Wine's font loader finds the fonts it ships and registers by their bare names.
    std::vector<std::string> FontFolders() override;
    // Asked afresh each time (win32_drives.h): at most about 1.5 s for a network drive.
    bool DrivePresent(char letter) override;
    bool ListDirectory(std::string_view folder, std::vector<DirEntry>& entries) override;
    bool ReadWholeFile(std::string_view path, std::size_t maxBytes, std::string& bytes) override;
    bool DeleteFile(std::string_view path) override;

    // True when probes switch off the system-folder redirection (32-bit build on 64-bit
    // Windows). Public for tests.
    bool PausesRedirection() const { return disableRedirection_ != nullptr; }

  private:
    class RedirectionPause;

    // kernel32!Wow64DisableWow64FsRedirection and Wow64RevertWow64FsRedirection, looked up
    // only in a WOW64 process (they do not exist on every Windows).
    void (*disableRedirection_)() = nullptr;
    void (*revertRedirection_)() = nullptr;
};

}  // namespace hivewarden::registry
