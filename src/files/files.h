// The file-probe seam: the few questions the program asks about Windows paths, plus the
// directory listing, whole-file read and delete of the shortcut scan. Backends: mapped_files
// (a Linux host folder per drive letter) and win32_files (Windows builds only).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hivewarden::registry {

struct DirEntry {
    std::string Name;          // as the file system spells it
    bool IsDirectory = false;  // the directory attribute (16)
    bool IsLink = false;       // a symbolic link or reparse point
    // A folder on another file system than the folder that lists it (a mount point).
    bool OtherFileSystem = false;
};

// Contract for every backend:
// - Paths are Windows paths in the program's UTF-8 text ("C:\Program Files\App\app.exe").
// - A probe that cannot answer (bad path, no access) answers false: "does not exist".
class FileProbes {
public:
    virtual ~FileProbes() = default;

    // True for existing files and folders.
    virtual bool FileExists(std::string_view path) = 0;
    virtual bool IsDirectory(std::string_view path) = 0;
    // True for UNC paths ("\\server\share\...") and mapped network drives; the target is not
    // checked.
    virtual bool IsNetworkPath(std::string_view path) = 0;
    // Replaces %NAME% references by their values; unknown names stay as written.
    virtual std::string ExpandEnvironment(std::string_view text) = 0;
    // The Windows directory with a trailing "\" ("C:\Windows\").
    virtual std::string WindowsDirectory() = 0;
    // The folders in which the system's font loader finds a font registered by its bare file
    // name ("coure.fon"), in the order it looks, each with a trailing "\": the Windows
    // directory's Fonts folder, then any folder the system adds (Wine's own fonts folder).
    virtual std::vector<std::string> FontFolders() { return {WindowsDirectory() + "Fonts\\"}; }
    // True when drive `letter` (either case) is there to be asked about: a mapped drive whose
    // folder exists; on Windows a drive with a root directory and a medium that answers. A
    // removable or optical drive without a medium, and a network drive that does not answer
    // within a short time (about 1.5 s), are not present. Paths on a drive that is not present
    // are not missing files: their drive is simply not there now. Anything but a letter is
    // not present. May take that short time for a network drive; a scan asks once per letter
    // (CachingProbes).
    virtual bool DrivePresent(char letter) = 0;

    // Lists a folder (without "." and ".."); false when it cannot be listed.
    virtual bool ListDirectory(std::string_view folder, std::vector<DirEntry>& entries) = 0;
    // Reads at most maxBytes of a file; false when it cannot be opened or read.
    virtual bool ReadWholeFile(std::string_view path, std::size_t maxBytes,
                               std::string& bytes) = 0;
    virtual bool DeleteFile(std::string_view path) = 0;
    // Where a path lies on the host when drives are host folders mapped to letters
    // ("/home/u/.wine/drive_c/a.lnk"; the entry itself, not a link's target); empty text
    // where Windows paths are the host's own or the path leads nowhere.
    virtual std::string HostPath(std::string_view /*path*/) { return {}; }
};

}  // namespace hivewarden::registry
