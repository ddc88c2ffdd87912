// Which program reads an entry, and where its paths lead for it. On 64-bit Windows the keys
// under "Wow6432Node" are the 32-bit programs' registry, and a 32-bit program that names the
// system folder (System32) is led to its 32-bit twin (SysWOW64) by the file-system
// redirection, except in the few folders Windows exempts from it. "Sysnative" is the name
// 32-bit programs use for the real System32; it means that folder in every view. Pure text
// work; whether the machine has a 32-bit twin at all is the caller's question.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hivewarden::scan {

enum class RegistryView : std::uint8_t {
    kNative,  // 64-bit programs, and every program of a 32-bit Windows
    kWow32,   // 32-bit programs on 64-bit Windows
};

// kWow32 when a component of the key path is "Wow6432Node" (in any letter case).
RegistryView ViewOfKeyPath(std::string_view keyPath);

// The system folders of one Windows directory, and the path a program of each view reaches
// when it names a path in them.
class SystemFolders {
public:
    // `windowsDir`: a full path, with or without a trailing "\".
    explicit SystemFolders(std::string_view windowsDir);

    // The path Windows opens for a program of `view` that names `path`, when that differs
    // from `path`: "%windir%\Sysnative\..." becomes "%windir%\System32\..." in every view, and
    // in the 32-bit view "%windir%\System32\..." becomes "%windir%\SysWOW64\..." outside the
    // exempt folders (catroot, catroot2, drivers\etc, logfiles, spool). The path is read with
    // "." and ".." resolved, as Windows reads it. Nothing for any other path, or when the
    // Windows directory is not a full local path.
    std::optional<std::string> Redirect(std::string_view path, RegistryView view) const;

    // The 32-bit twin of the system folder ("C:\Windows\SysWOW64"): only a machine that has it
    // redirects anything.
    const std::string& Wow64Folder() const { return wow64Folder_; }

private:
    char drive_ = 0;                       // upper case; 0 when the directory is not usable
    std::vector<std::string> windowsDir_;  // the components of the Windows directory
    std::string wow64Folder_;
};

}  // namespace hivewarden::scan
