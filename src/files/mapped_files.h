// Windows paths answered from a Linux (or any) host: each drive letter maps to a host folder,
// each component is matched case-insensitively as Windows does, the Windows directory and the
// environment come from configuration. Portable std::filesystem code; no <windows.h>.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "files/files.h"
#include "files/windows_path.h"
#include "text/text.h"

namespace hivewarden::registry {

struct MappedFilesConfig {
    // Drive letter (either case) -> the host folder that plays the drive's root. A letter
    // that is not mapped, or whose folder is missing, is a drive that does not exist.
    std::map<char, std::filesystem::path> Drives;
    // The Windows directory, with or without a trailing "\".
    std::string WindowsDir = "C:\\Windows";
    // The environment of ExpandEnvironment; names compare case-insensitively.
    std::map<std::string, std::string, LessNoCase> Environment;
    // Folders the font loader looks in after the Windows directory's Fonts folder (Windows
    // paths, with or without a trailing "\"): Wine's own fonts folder on a Wine machine.
    std::vector<std::string> ExtraFontFolders;
};

// Adds the variables every Windows machine defines, derived from WindowsDir: SystemRoot and
// windir (the Windows directory), SystemDrive ("C:"), ProgramFiles and CommonProgramFiles
// (on the system drive). Variables already set keep their values.
void AddStandardEnvironment(MappedFilesConfig& config);

// How the host is read:
// - Paths are full local paths as registry::ParseLocalPath reads them ("/" separates too, as
//   for the Win32 file functions); anything else answers false. A trailing separator only
//   matches a folder. "\\server\share" paths are network paths and never exist here: the
//   network is not asked.
// - Paths and names are UTF-8. Host names are taken as they are when they are UTF-8 and as
//   Windows-1252 bytes otherwise. Components compare by the registry's and NTFS's case rule
//   (text.h), in every script. Names Windows could not hold (forbidden characters) and
//   entries that are neither files nor folders (sockets, pipes, devices) are invisible. When
//   two names differ only in case, the first in byte order is the one seen.
// - A symbolic link is followed only when its target lies inside a mapped drive's folder;
//   other links are listed (IsLink, not IsDirectory) but lead nowhere. Paths never leave the
//   mapped folders: "." and ".." are resolved by the text first, as Windows does, never above
//   the drive root, and lookups only descend through listed names.
// - A short 8.3 name ("PROGRA~1") that no entry of its folder is called leads to each entry
//   whose long name could carry it (short_names.h), in turn, until the rest of the path is
//   found below one: the host keeps no short names, and their numbers cannot be known.
// - Folder listings are cached for the life of the object (one scan). DeleteFile keeps the
//   cache right; changes made behind the object's back need Invalidate().
class MappedFiles final : public FileProbes {
  public:
    explicit MappedFiles(MappedFilesConfig config);

    bool FileExists(std::string_view path) override;
    bool IsDirectory(std::string_view path) override;
    bool IsNetworkPath(std::string_view path) override;
    // ExpandEnvironmentStrings: "%NAME%" with a known NAME becomes its value; an unknown name
    // keeps its "%" signs and its closing "%" may open the next reference ("%x%windir%" gives
    // "%x" and the Windows directory); an unclosed "%" stays. One pass: values are not
    // expanded again.
    std::string ExpandEnvironment(std::string_view text) override;
    std::string WindowsDirectory() override { return windowsDir_; }
    // The Windows directory's Fonts folder, then the configuration's extra font folders.
    std::vector<std::string> FontFolders() override;
    // A mapped letter whose host folder can be listed.
    bool DrivePresent(char letter) override;
    // Entries in case-insensitive name order (as NTFS lists them).
    bool ListDirectory(std::string_view folder, std::vector<DirEntry>& entries) override;
    bool ReadWholeFile(std::string_view path, std::size_t maxBytes, std::string& bytes) override;
    // Deletes a file or a link to a file (the link, not its target); never a folder.
    bool DeleteFile(std::string_view path) override;
    std::string HostPath(std::string_view path) override;

    // Forgets every cached listing (the host changed behind the object's back).
    void Invalidate() { listings_.clear(); }

  private:
    struct Entry {
        std::filesystem::path HostName;  // the name on the host
        bool IsDirectory = false;
        bool IsLink = false;
        bool OtherFileSystem = false;  // a folder mounted from another file system
    };
    // One host folder: its entries by their Windows names; Listed is false when it could not
    // be read.
    struct Listing {
        bool Listed = false;
        std::map<std::string, Entry, LessNoCase> Entries;
    };
    // Where a Windows path leads on the host.
    struct Found {
        std::filesystem::path HostPath;  // the entry itself (the link, for a link)
        std::filesystem::path Target;    // what reading it reads (a link's canonical target)
        bool IsDirectory = false;
        std::filesystem::path Folder;  // the listed host folder that holds it; empty for a root
    };
    // What a listed entry leads to: its host path and whether it is a folder; nothing for a
    // link that leaves the mapped folders, dangles, or ends at something not a file or folder.
    struct Reached {
        std::filesystem::path Target;
        bool IsDirectory = false;
    };

    std::optional<Found> Find(std::string_view path);
    // Component `index` of `local` looked up in the host folder, and the rest below it;
    // `tries` counts down the entries that short names may still lead to.
    std::optional<Found> FindBelow(const std::filesystem::path& folder, const LocalPath& local,
                                   std::size_t index, std::size_t& tries);
    // The rest of `local` below the folder's entry that matched component `index`.
    std::optional<Found> FindThrough(const std::filesystem::path& folder, const Entry& entry,
                                     const LocalPath& local, std::size_t index,
                                     std::size_t& tries);
    std::optional<Reached> Reach(const std::filesystem::path& folder, const Entry& entry) const;
    const Listing& ListHostFolder(const std::filesystem::path& folder);
    bool InsideDrives(const std::filesystem::path& canonical) const;

    std::map<char, std::filesystem::path> drives_;  // upper-case letter -> canonical host folder
    std::string windowsDir_;                        // with trailing "\"
    std::vector<std::string> fontFolders_;          // each with trailing "\"
    std::map<std::string, std::string, LessNoCase> environment_;
    // By host folder path, in the host's own encoding.
    std::unordered_map<std::filesystem::path::string_type, Listing> listings_;
};

}  // namespace hivewarden::registry
