// Mapped drives: Windows path lookups over host folders with cached, case-insensitive
// listings.
#include "files/mapped_files.h"

#include <algorithm>
#include <fstream>
#include <system_error>
#include <utility>

#include "text/code_page.h"
#include "text/unicode.h"
#include "files/host_path.h"
#include "files/host_volume.h"
#include "files/short_names.h"
#include "files/windows_path.h"

namespace hivewarden::registry {
namespace fs = std::filesystem;

namespace {

// The entries a path's short names may lead to, tried in all: several short names in one path,
// each matching many long names, must not make one probe walk a whole drive.
constexpr std::size_t kMaxShortNameTries = 64;

// Reads are done in pieces so that a huge limit never becomes a huge allocation up front.
constexpr std::size_t kReadChunk = 64 * 1024;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

fs::path CanonicalRoot(const fs::path& folder) {
    std::error_code ec;
    fs::path root = fs::weakly_canonical(fs::absolute(folder, ec), ec);
    if (ec) root = fs::absolute(folder, ec).lexically_normal();
    // "/x/drive_c/" and "/x/drive_c" must be the same key.
    if (!root.has_filename() && root.has_relative_path()) root = root.parent_path();
    return root;
}

// A host name as the Windows name it plays: its UTF-8 text as it is; a name that is not UTF-8
// (bytes of an old single-byte encoding) is read as Windows-1252.
std::string WindowsName(const fs::path& name) {
    const std::u8string text = name.u8string();
    std::string bytes(text.begin(), text.end());
    return IsStrictUtf8(bytes) ? bytes : Windows1252().ToUtf8(bytes);
}

bool IsUnder(const fs::path& root, const fs::path& path) {
    auto [r, p] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return r == root.end();
}

}  // namespace

void AddStandardEnvironment(MappedFilesConfig& config) {
    std::string windowsDir = config.WindowsDir;
    while (windowsDir.size() > 3 && windowsDir.back() == '\\') windowsDir.pop_back();
    const std::string systemDrive = windowsDir.substr(0, 2);
    auto& env = config.Environment;
    env.try_emplace("SystemRoot", windowsDir);
    env.try_emplace("windir", windowsDir);
    env.try_emplace("SystemDrive", systemDrive);
    env.try_emplace("ProgramFiles", systemDrive + "\\Program Files");
    env.try_emplace("CommonProgramFiles", systemDrive + "\\Program Files\\Common Files");
}

MappedFiles::MappedFiles(MappedFilesConfig config)
    : windowsDir_(std::move(config.WindowsDir)), environment_(std::move(config.Environment)) {
    for (const auto& [letter, folder] : config.Drives) {
        if (IsLetter(letter)) drives_[static_cast<char>(letter & ~0x20)] = CanonicalRoot(folder);
    }
    if (windowsDir_.empty() || windowsDir_.back() != '\\') windowsDir_ += '\\';
    fontFolders_.push_back(windowsDir_ + "Fonts\\");
    for (std::string& folder : config.ExtraFontFolders) {
        if (folder.empty()) continue;
        if (folder.back() != '\\') folder += '\\';
        fontFolders_.push_back(std::move(folder));
    }
}

std::vector<std::string> MappedFiles::FontFolders() { return fontFolders_; }

bool MappedFiles::InsideDrives(const fs::path& canonical) const {
    for (const auto& [letter, root] : drives_) {
        if (IsUnder(root, canonical)) return true;
    }
    return false;
}

const MappedFiles::Listing& MappedFiles::ListHostFolder(const fs::path& folder) {
    auto [it, added] = listings_.try_emplace(folder.native());
    Listing& listing = it->second;
    if (!added) return listing;

    std::error_code ec;
    std::vector<fs::directory_entry> found;
    for (fs::directory_iterator dir(folder, ec), end; !ec && dir != end; dir.increment(ec)) {
        found.push_back(*dir);
    }
    if (ec) return listing;  // cached as not listed
    const std::optional<std::uint64_t> volume = HostVolumeId(folder);
    // Byte order first, so that of two names differing only in case the same one always wins.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.path().filename().native() < b.path().filename().native();
    });
    for (const fs::directory_entry& item : found) {
        Entry entry;
        entry.HostName = item.path().filename();
        std::string name = WindowsName(entry.HostName);
        if (!IsLegalName(name)) continue;
        entry.IsLink = item.is_symlink(ec);
        if (!entry.IsLink) {
            entry.IsDirectory = item.is_directory(ec);
            if (!entry.IsDirectory && !item.is_regular_file(ec)) continue;
        }
        if (entry.IsDirectory) {
            const std::optional<std::uint64_t> own = HostVolumeId(item.path());
            entry.OtherFileSystem = own && volume && *own != *volume;
        }
        listing.Entries.try_emplace(std::move(name), std::move(entry));
    }
    listing.Listed = true;
    return listing;
}

std::optional<MappedFiles::Reached> MappedFiles::Reach(const fs::path& folder,
                                                       const Entry& entry) const {
    fs::path target = folder / entry.HostName;
    if (entry.IsLink) {
        // Links are resolved at each use, so that deleting or adding their target elsewhere
        // never leaves a stale answer behind.
        std::error_code ec;
        target = fs::canonical(target, ec);
        if (ec || !InsideDrives(target)) return std::nullopt;
        const fs::file_status status = fs::status(target, ec);
        if (ec) return std::nullopt;
        if (fs::is_directory(status)) return Reached{std::move(target), true};
        if (fs::is_regular_file(status)) return Reached{std::move(target), false};
        return std::nullopt;
    }
    return Reached{std::move(target), entry.IsDirectory};
}

std::optional<MappedFiles::Found> MappedFiles::Find(std::string_view path) {
    if (IsUncPath(path)) return std::nullopt;
    const std::optional<LocalPath> local = ParseLocalPath(path);
    if (!local) return std::nullopt;
    const auto drive = drives_.find(local->Drive);
    if (drive == drives_.end()) return std::nullopt;

    const fs::path& folder = drive->second;
    if (!ListHostFolder(folder).Listed) return std::nullopt;  // the drive's folder is missing
    if (local->Components.empty()) return Found{folder, folder, true, {}};
    std::size_t tries = kMaxShortNameTries;
    return FindBelow(folder, *local, 0, tries);
}

std::optional<MappedFiles::Found> MappedFiles::FindBelow(const fs::path& folder,
                                                         const LocalPath& local,
                                                         std::size_t index, std::size_t& tries) {
    const Listing& listing = ListHostFolder(folder);
    if (!listing.Listed) return std::nullopt;
    const std::string& name = local.Components[index];
    // A name the folder holds is the one meant, even when it looks like a short name.
    if (const auto it = listing.Entries.find(name); it != listing.Entries.end()) {
        return FindThrough(folder, it->second, local, index, tries);
    }
    if (!IsShortNameForm(name)) return std::nullopt;
    // The number after "~" depends on the order the folder's names were made in, which the
    // host does not keep: every long name that could carry the short name is tried.
    for (const auto& [longName, entry] : listing.Entries) {
        if (!CouldCarryShortName(longName, name)) continue;
        if (tries == 0) break;
        --tries;
        if (std::optional<Found> found = FindThrough(folder, entry, local, index, tries)) {
            return found;
        }
    }
    return std::nullopt;
}

std::optional<MappedFiles::Found> MappedFiles::FindThrough(const fs::path& folder,
                                                           const Entry& entry,
                                                           const LocalPath& local,
                                                           std::size_t index, std::size_t& tries) {
    std::optional<Reached> reached = Reach(folder, entry);
    if (!reached) return std::nullopt;
    if (index + 1 == local.Components.size()) {
        if (local.TrailingSeparator && !reached->IsDirectory) return std::nullopt;
        return Found{folder / entry.HostName, std::move(reached->Target), reached->IsDirectory,
                     folder};
    }
    if (!reached->IsDirectory) return std::nullopt;
    return FindBelow(reached->Target, local, index + 1, tries);
}

bool MappedFiles::FileExists(std::string_view path) { return Find(path).has_value(); }

bool MappedFiles::IsDirectory(std::string_view path) {
    const std::optional<Found> found = Find(path);
    return found && found->IsDirectory;
}

bool MappedFiles::IsNetworkPath(std::string_view path) { return IsUncPath(path); }

bool MappedFiles::DrivePresent(char letter) {
    if (!IsLetter(letter)) return false;
    const auto drive = drives_.find(static_cast<char>(letter & ~0x20));
    return drive != drives_.end() && ListHostFolder(drive->second).Listed;
}

std::string MappedFiles::ExpandEnvironment(std::string_view text) {
    std::string result;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%') {
            const std::size_t next = std::min(text.find('%', i), text.size());
            result.append(text.substr(i, next - i));
            i = next;
            continue;
        }
        const std::size_t close = text.find('%', i + 1);
        if (close == std::string_view::npos) {  // an unclosed "%" stays as written
            result.append(text.substr(i));
            break;
        }
        const std::string_view name = text.substr(i + 1, close - i - 1);
        const auto value = name.empty() ? environment_.end() : environment_.find(std::string(name));
        if (value != environment_.end()) {
            result += value->second;
            i = close + 1;
        } else {
            // Unknown: "%" and the name stay; the closing "%" is read again as an opening one.
            result.append(text.substr(i, close - i));
            i = close;
        }
    }
    return result;
}

bool MappedFiles::ListDirectory(std::string_view folder, std::vector<DirEntry>& entries) {
    entries.clear();
    const std::optional<Found> found = Find(folder);
    if (!found || !found->IsDirectory) return false;
    const Listing& listing = ListHostFolder(found->Target);
    if (!listing.Listed) return false;
    for (const auto& [name, entry] : listing.Entries) {
        DirEntry item{name, entry.IsDirectory, entry.IsLink, entry.OtherFileSystem};
        if (entry.IsLink) {
            const std::optional<Reached> reached = Reach(found->Target, entry);
            item.IsDirectory = reached && reached->IsDirectory;
        }
        entries.push_back(std::move(item));
    }
    return true;
}

bool MappedFiles::ReadWholeFile(std::string_view path, std::size_t maxBytes, std::string& bytes) {
    bytes.clear();
    const std::optional<Found> found = Find(path);
    if (!found || found->IsDirectory) return false;
    std::ifstream file(found->Target, std::ios::binary);
    if (!file) return false;
    while (bytes.size() < maxBytes) {
        const std::size_t want = std::min(kReadChunk, maxBytes - bytes.size());
        const std::size_t had = bytes.size();
        bytes.resize(had + want);
        file.read(bytes.data() + had, static_cast<std::streamsize>(want));
        bytes.resize(had + static_cast<std::size_t>(file.gcount()));
        if (!file) break;
    }
    if (file.bad()) {
        bytes.clear();
        return false;
    }
    return true;
}

std::string MappedFiles::HostPath(std::string_view path) {
    const std::optional<Found> found = Find(path);
    return found ? FromHostPath(found->HostPath) : std::string();
}

bool MappedFiles::DeleteFile(std::string_view path) {
    const std::optional<Found> found = Find(path);
    if (!found || found->IsDirectory || found->Folder.empty()) return false;
    std::error_code ec;
    const bool removed = fs::remove(found->HostPath, ec);
    // The folder is read again on its next use: a name that differed only in case from the
    // deleted one may now be the one that is seen.
    listings_.erase(found->Folder.native());
    return removed && !ec;
}

}  // namespace hivewarden::registry
