// Finding Wine's data folder, and reaching a host folder through a machine's drives.
#include "machine/wine_install.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <system_error>

#include "files/host_path.h"

namespace hivewarden::machine {
namespace {

namespace fs = std::filesystem;

// The separator of PATH's list of folders (";" where "\" separates a path's names).
constexpr char kListSeparator = fs::path::preferred_separator == '\\' ? ';' : ':';
constexpr std::string_view kNtPrefix = "\\??\\";

std::string EnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

bool HoldsWineInf(const fs::path& folder) {
    std::error_code ec;
    return !folder.empty() && fs::is_regular_file(folder / "wine.inf", ec);
}

// The share/wine folders of the installation a loader belongs to, found one and two levels
// above its folder, for the loader's path as given and with its links followed.
void AddLoaderCandidates(const fs::path& loader, std::vector<fs::path>& candidates) {
    std::error_code ec;
    if (loader.empty() || !fs::is_regular_file(loader, ec)) return;
    std::vector<fs::path> folders{loader.parent_path()};
    const fs::path real = fs::canonical(loader, ec);
    if (!ec && real.parent_path() != folders.front()) folders.push_back(real.parent_path());
    for (const fs::path& folder : folders) {
        candidates.push_back((folder / ".." / "share" / "wine").lexically_normal());
        candidates.push_back((folder / ".." / ".." / "share" / "wine").lexically_normal());
    }
}

// Each folder of a PATH-like list.
std::vector<fs::path> ListFolders(std::string_view list) {
    std::vector<fs::path> folders;
    while (!list.empty()) {
        const std::size_t end = std::min(list.find(kListSeparator), list.size());
        if (end > 0) folders.push_back(registry::ToHostPath(list.substr(0, end)));
        list.remove_prefix(std::min(end + 1, list.size()));
    }
    return folders;
}

bool IsUnder(const fs::path& root, const fs::path& path) {
    auto [r, p] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return r == root.end();
}

fs::path CanonicalFolder(const std::string& folder) {
    std::error_code ec;
    fs::path path = fs::weakly_canonical(fs::absolute(registry::ToHostPath(folder), ec), ec);
    // "/x/" and "/x" must compare equal.
    if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
    return path;
}

}  // namespace

std::vector<std::string> StandardWineDataDirs() {
    return {"/usr/share/wine", "/usr/local/share/wine", "/opt/wine-stable/share/wine",
            "/opt/wine-devel/share/wine", "/opt/wine-staging/share/wine"};
}

WineDataSearch WineDataSearchFromEnvironment(const std::string& given) {
    WineDataSearch search;
    search.Given = given;
    search.WineDataDir = EnvironmentText("WINEDATADIR");
    search.Loader = EnvironmentText("WINELOADER");
    search.Path = EnvironmentText("PATH");
    search.Standard = StandardWineDataDirs();
    return search;
}

std::string FindWineDataDir(const WineDataSearch& search) {
    if (!search.Given.empty()) return search.Given;
    std::vector<fs::path> candidates;
    std::string_view winedatadir = search.WineDataDir;
    if (winedatadir.substr(0, kNtPrefix.size()) == kNtPrefix) {
        winedatadir.remove_prefix(kNtPrefix.size());
    }
    if (!winedatadir.empty()) candidates.push_back(registry::ToHostPath(winedatadir));
    AddLoaderCandidates(registry::ToHostPath(search.Loader), candidates);
    for (const fs::path& folder : ListFolders(search.Path)) {
        for (const char* name : {"wine64", "wine"}) AddLoaderCandidates(folder / name, candidates);
    }
    for (const std::string& folder : search.Standard) {
        candidates.push_back(registry::ToHostPath(folder));
    }
    for (const fs::path& candidate : candidates) {
        if (HoldsWineInf(candidate)) return registry::FromHostPath(candidate);
    }
    return {};
}

std::optional<std::string> WindowsPathThroughDrives(
    const std::string& hostFolder, const std::vector<std::pair<char, std::string>>& drives) {
    const fs::path target = CanonicalFolder(hostFolder);
    const std::pair<char, std::string>* best = nullptr;
    fs::path bestRoot;
    for (const auto& drive : drives) {
        const fs::path root = CanonicalFolder(drive.second);
        if (!IsUnder(root, target)) continue;
        if (best == nullptr || std::distance(root.begin(), root.end()) >
                                   std::distance(bestRoot.begin(), bestRoot.end())) {
            best = &drive;
            bestRoot = root;
        }
    }
    if (best == nullptr) return std::nullopt;
    std::string path = std::string(1, best->first) + ":\\";
    for (const fs::path& name : target.lexically_relative(bestRoot)) {
        if (name == ".") continue;
        path += registry::FromHostPath(name) + "\\";
    }
    return path;
}

}  // namespace hivewarden::machine
