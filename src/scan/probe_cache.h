// A FileProbes decorator that remembers the file system's answers for the length of one scan:
// the same answers, far fewer probes. A plain full path ("C:\Dir\name.ext", also with dots or
// spaces after the last name, which Windows drops) is answered from one listing of its folder;
// anything unusual goes to the real probe, whose answer is kept.
// A relative name is never looked up in the program's working folder: it does not exist; nor
// does a path with a second ":" (alternate data streams are not files the scan looks for).
// Deleting a file through it forgets everything but the drives.
// Each drive letter is asked about once (DrivePresent); a path on a drive that is not present
// exists nowhere and costs no further probe, so a dead network drive delays a scan once, not
// once per path.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "files/files.h"

namespace hivewarden::scan {

class CachingProbes final : public registry::FileProbes {
public:
    explicit CachingProbes(registry::FileProbes& inner) : inner_(inner) {}

    bool FileExists(std::string_view path) override;
    bool IsDirectory(std::string_view path) override;
    bool IsNetworkPath(std::string_view path) override;
    std::string ExpandEnvironment(std::string_view text) override;
    std::string WindowsDirectory() override;
    std::vector<std::string> FontFolders() override { return inner_.FontFolders(); }
    bool DrivePresent(char letter) override;
    bool ListDirectory(std::string_view folder, std::vector<registry::DirEntry>& entries) override;
    bool ReadWholeFile(std::string_view path, std::size_t maxBytes, std::string& bytes) override;
    bool DeleteFile(std::string_view path) override;
    std::string HostPath(std::string_view path) override { return inner_.HostPath(path); }

    // Forgets every answer (a new scan starts, or the file system changed).
    void Clear();
    // Questions asked of this object, and calls passed on to the real file system (probes and
    // folder listings).
    std::uint64_t Questions() const { return questions_; }
    std::uint64_t Probes() const { return probes_; }

    // True for a full local path the folder listing can answer for: a drive letter, ":\",
    // components without "." or ".." names, trailing dots or spaces, "~" (short 8.3 names are
    // not in listings), wildcards or other characters file names cannot hold, and no trailing
    // "\". Public for tests.
    static bool IsPlainPath(std::string_view path);

private:
    enum Kind : std::uint8_t { kExists, kDirectory, kNetwork, kKinds };
    // One folder's entries by upper-case name: true for a folder. Listed is false when the
    // folder could not be listed.
    struct Folder {
        bool Listed = false;
        std::unordered_map<std::string, bool> IsFolder;
        std::unordered_map<std::string, bool> IsLink;
    };
    enum class Presence { Absent, File, Directory, Unknown };

    bool Cached(Kind kind, std::string_view path);
    // Clear, except what is known of the drives.
    void ForgetFiles();
    // What the listings say of a full path without a second ":"; Unknown where they cannot
    // tell (the path is not plain, or its folder cannot be listed).
    Presence ListedPresence(std::string_view path);
    Presence FromListing(std::string_view plainPath, int depth);
    const Folder& ListingOf(std::string_view folder);
    const Folder& LoadListing(std::string_view folder);
    // Upper-cases into a reused buffer: a scan asks millions of questions, and a fresh string
    // for each would cost more than the answer.
    static void UpperInto(std::string& buffer, std::string_view text);

    registry::FileProbes& inner_;  // not owned
    std::unordered_map<std::string, bool> answers_[kKinds];
    std::unordered_map<std::string, Folder> folders_;
    std::unordered_map<std::string, std::string> expansions_;
    // The two folders asked about last (a value's folder and the fonts folder take turns),
    // the more recent first; the pointers point into folders_.
    std::string recentNames_[2];
    const Folder* recent_[2] = {nullptr, nullptr};
    // The path ListedPresence answered last, and its answer.
    std::string lastPath_;
    Presence lastPresence_ = Presence::Unknown;
    bool haveLastPath_ = false;
    std::string folderKey_;
    std::string nameKey_;
    std::string windowsDir_;
    bool haveWindowsDir_ = false;
    // Per drive letter A ... Z: 0 not asked yet, 1 present, -1 not present.
    std::int8_t drives_[26] = {};
    std::uint64_t questions_ = 0;
    std::uint64_t probes_ = 0;
};

}  // namespace hivewarden::scan
