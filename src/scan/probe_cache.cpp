// Cached file-system answers for one scan.
#include "scan/probe_cache.h"

#include <array>
#include <utility>

#include "text/text.h"
#include "files/windows_path.h"

namespace hivewarden::scan {
namespace {

// A plain path is shorter than MAX_PATH (in UTF-16 units); longer ones go to the real probe,
// which knows the platform's own limit.
constexpr std::size_t kMaxPlainPath = 259;
// Drive root + at most this many folder levels are looked up through listings.
constexpr int kMaxListingDepth = 64;

constexpr std::array<bool, 256> MakeBadNameChars() {
    std::array<bool, 256> bad{};
    for (int c = 0; c < 32; ++c) bad[c] = true;
    for (unsigned char c : std::string_view("<>:\"|?*/~")) bad[c] = true;
    return bad;
}
constexpr std::array<bool, 256> kBadNameChars = MakeBadNameChars();

bool IsBadNameChar(char c) { return kBadNameChars[static_cast<unsigned char>(c)]; }

// The path as the Win32 file functions read it when its last name ends in dots or spaces:
// without them ("C:\A\b. " is "C:\A\b"). Other paths are given back unchanged.
std::string_view WithoutTrailingDotsAndSpaces(std::string_view path) {
    const std::size_t end = path.find_last_not_of(". ");
    if (end == std::string_view::npos || end + 1 == path.size() || path[end] == '\\') {
        return path;
    }
    return path.substr(0, end + 1);
}

bool IsFullPath(std::string_view path) {
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return true;
    if (path.size() < 3 || path[1] != ':' || (path[2] != '\\' && path[2] != '/')) return false;
    const char drive = AsciiUpper(path[0]);
    return drive >= 'A' && drive <= 'Z';
}

}  // namespace

bool CachingProbes::IsPlainPath(std::string_view path) {
    // UTF-8 never takes fewer bytes than UTF-16 units, so most paths need no count.
    if (path.size() < 4 || (path.size() > kMaxPlainPath &&
                            registry::Utf16Length(path) > kMaxPlainPath)) {
        return false;
    }
    const char drive = AsciiUpper(path[0]);
    if (drive < 'A' || drive > 'Z' || path[1] != ':' || path[2] != '\\') return false;
    // One pass: every name is ended by a "\" or by the end of the path, and the character
    // before that end must close a name (not "\", which leaves a name empty; not "." or " ").
    auto endsAName = [](char c) { return c != '\\' && c != '.' && c != ' '; };
    char before = '\\';
    for (std::size_t i = 3; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '\\' ? !endsAName(before) : IsBadNameChar(c)) return false;
        before = c;
    }
    return endsAName(before);
}

void CachingProbes::UpperInto(std::string& buffer, std::string_view text) {
    ToUpperInto(text, buffer);
}

const CachingProbes::Folder& CachingProbes::ListingOf(std::string_view folder) {
    // Questions come in runs about one folder (a file, then the same name + ".exe"), with the
    // fonts folder in between.
    if (recent_[0] && folder == recentNames_[0]) return *recent_[0];
    std::swap(recent_[0], recent_[1]);
    std::swap(recentNames_[0], recentNames_[1]);
    if (!recent_[0] || folder != recentNames_[0]) {
        recent_[0] = &LoadListing(folder);
        recentNames_[0].assign(folder);
    }
    return *recent_[0];
}

const CachingProbes::Folder& CachingProbes::LoadListing(std::string_view folder) {
    UpperInto(folderKey_, folder);
    if (auto it = folders_.find(folderKey_); it != folders_.end()) return it->second;
    Folder& listing = folders_[folderKey_];
    ++probes_;
    std::vector<registry::DirEntry> entries;
    listing.Listed = inner_.ListDirectory(folder, entries);
    for (const registry::DirEntry& entry : entries) {
        const std::string name = ToUpper(entry.Name);
        listing.IsFolder[name] = entry.IsDirectory;
        if (entry.IsLink) listing.IsLink[name] = true;
    }
    return listing;
}

CachingProbes::Presence CachingProbes::FromListing(std::string_view path, int depth) {
    if (depth > kMaxListingDepth) return Presence::Unknown;
    const std::size_t slash = path.rfind('\\');
    const std::string_view parent = slash == 2 ? path.substr(0, 3) : path.substr(0, slash);
    const Folder& folder = ListingOf(parent);
    UpperInto(nameKey_, path.substr(slash + 1));
    const std::string& name = nameKey_;
    if (!folder.Listed) {
        // A folder that cannot be listed: if it does not exist, nothing below it does.
        if (parent.size() > 3 && FromListing(parent, depth + 1) == Presence::Absent) {
            return Presence::Absent;
        }
        return Presence::Unknown;
    }
    // Links are judged by the real probe: a dangling link is listed but leads nowhere.
    if (!folder.IsLink.empty() && folder.IsLink.count(name)) return Presence::Unknown;
    const auto it = folder.IsFolder.find(name);
    if (it == folder.IsFolder.end()) return Presence::Absent;
    return it->second ? Presence::Directory : Presence::File;
}

CachingProbes::Presence CachingProbes::ListedPresence(std::string_view path) {
    // A value's path is asked about twice in a row: its kind, then whether it is missing.
    if (haveLastPath_ && path == lastPath_) return lastPresence_;
    lastPresence_ = IsPlainPath(path) ? FromListing(path, 0) : Presence::Unknown;
    lastPath_.assign(path);
    haveLastPath_ = true;
    return lastPresence_;
}

bool CachingProbes::Cached(Kind kind, std::string_view path) {
    ++questions_;
    // A name without a drive or server is never looked up in the folder the program happens
    // to run in: the scan's answers must not depend on where it was started. A second ":"
    // (a path glued behind another) names nothing a file system can hold. Nothing on a drive
    // that is not there is looked up either.
    if (kind != kNetwork && (!IsFullPath(path) || path.find(':', 2) != std::string_view::npos ||
                             (path[1] == ':' && !DrivePresent(path[0])))) {
        return false;
    }
    if (kind != kNetwork) {
        // Binary data shown as hex pairs ends in a space: such names are common and each would
        // otherwise cost a real probe.
        const Presence presence = ListedPresence(WithoutTrailingDotsAndSpaces(path));
        if (presence != Presence::Unknown) {
            return kind == kExists ? presence != Presence::Absent : presence == Presence::Directory;
        }
    }
    UpperInto(folderKey_, path);
    auto [it, inserted] = answers_[kind].try_emplace(folderKey_, false);
    if (inserted) {
        ++probes_;
        switch (kind) {
            case kExists: it->second = inner_.FileExists(path); break;
            case kDirectory: it->second = inner_.IsDirectory(path); break;
            default: it->second = inner_.IsNetworkPath(path); break;
        }
    }
    return it->second;
}

bool CachingProbes::FileExists(std::string_view path) { return Cached(kExists, path); }
bool CachingProbes::IsDirectory(std::string_view path) { return Cached(kDirectory, path); }
bool CachingProbes::IsNetworkPath(std::string_view path) { return Cached(kNetwork, path); }

std::string CachingProbes::ExpandEnvironment(std::string_view text) {
    // Text without a "%" expands to itself; most value data is like that.
    if (text.find('%') == std::string_view::npos) return std::string(text);
    auto [it, inserted] = expansions_.try_emplace(std::string(text));
    if (inserted) it->second = inner_.ExpandEnvironment(text);
    return it->second;
}

std::string CachingProbes::WindowsDirectory() {
    if (!haveWindowsDir_) {
        windowsDir_ = inner_.WindowsDirectory();
        haveWindowsDir_ = true;
    }
    return windowsDir_;
}

bool CachingProbes::DrivePresent(char letter) {
    const char upper = AsciiUpper(letter);
    if (upper < 'A' || upper > 'Z') return false;
    std::int8_t& known = drives_[upper - 'A'];
    if (known == 0) {
        ++probes_;
        known = inner_.DrivePresent(upper) ? 1 : -1;
    }
    return known > 0;
}

bool CachingProbes::ListDirectory(std::string_view folder,
                                  std::vector<registry::DirEntry>& entries) {
    return inner_.ListDirectory(folder, entries);
}

bool CachingProbes::ReadWholeFile(std::string_view path, std::size_t maxBytes,
                                  std::string& bytes) {
    return inner_.ReadWholeFile(path, maxBytes, bytes);
}

bool CachingProbes::DeleteFile(std::string_view path) {
    const bool deleted = inner_.DeleteFile(path);
    ForgetFiles();  // drives stay as they were
    return deleted;
}

void CachingProbes::Clear() {
    ForgetFiles();
    for (std::int8_t& drive : drives_) drive = 0;
}

void CachingProbes::ForgetFiles() {
    recent_[0] = recent_[1] = nullptr;
    haveLastPath_ = false;
    for (auto& answers : answers_) answers.clear();
    folders_.clear();
    expansions_.clear();
    haveWindowsDir_ = false;
}

}  // namespace hivewarden::scan
