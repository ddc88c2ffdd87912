// The probes of one registry view.
#include "scan/view_probes.h"

#include <optional>
#include <utility>

namespace hivewarden::scan {

std::string_view ViewProbes::Seen(std::string_view path) {
    std::optional<std::string> redirected = folders_.Redirect(path, view_);
    if (!redirected) return path;
    // Only a machine with the 32-bit system folder redirects, and it is asked about once.
    if (hasWow64_ < 0) hasWow64_ = inner_.IsDirectory(folders_.Wow64Folder()) ? 1 : 0;
    if (hasWow64_ == 0) return path;
    redirected_ = std::move(*redirected);
    return redirected_;
}

bool ViewProbes::FileExists(std::string_view path) { return inner_.FileExists(Seen(path)); }

bool ViewProbes::IsDirectory(std::string_view path) { return inner_.IsDirectory(Seen(path)); }

bool ViewProbes::ListDirectory(std::string_view folder,
                               std::vector<registry::DirEntry>& entries) {
    return inner_.ListDirectory(Seen(folder), entries);
}

bool ViewProbes::ReadWholeFile(std::string_view path, std::size_t maxBytes,
                               std::string& bytes) {
    return inner_.ReadWholeFile(Seen(path), maxBytes, bytes);
}

bool ViewProbes::DeleteFile(std::string_view path) { return inner_.DeleteFile(Seen(path)); }

}  // namespace hivewarden::scan
