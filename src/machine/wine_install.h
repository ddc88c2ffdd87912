// The Wine installation whose prefixes the program opens: where it keeps its own data (the
// folder holding wine.inf and fonts/, e.g. /usr/share/wine). Wine's font loader finds a font
// registered by its bare file name in the prefix's C:\windows\Fonts first and then in that
// folder's fonts/, which is where the fonts Wine ships live; a prefix's registry names them
// ("Courier"="coure.fon") although no copy is in the prefix.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace hivewarden::machine {

// Where Wine's data folder may be, in the order they are tried. Every field may be empty.
struct WineDataSearch {
    std::string Given;        // the user's choice (--wine-data); taken as it is
    std::string WineDataDir;  // WINEDATADIR, as Wine sets it for its programs ("\??\" is dropped)
    std::string Loader;       // WINELOADER: the Wine loader in use
    std::string Path;         // PATH: a "wine64" or "wine" found there
    // Folders tried last, where distributions and Wine's own packages install it.
    std::vector<std::string> Standard;
};

// The folders tried last: /usr/share/wine, /usr/local/share/wine and the /opt/wine-* packages.
std::vector<std::string> StandardWineDataDirs();

// The search as this process's environment sets it, with `given` first and the standard
// folders last.
WineDataSearch WineDataSearchFromEnvironment(const std::string& given);

// Wine's data folder: `Given` when set; otherwise the first folder holding wine.inf among
// WINEDATADIR, then, for the loader named by WINELOADER and each "wine64" and "wine" on PATH
// (links followed), the share/wine folder of the installation it belongs to (one and two
// levels above the loader's folder: /usr/bin/wine and /usr/lib/wine/wine64 both lead to
// /usr/share/wine), then the standard folders. Empty when none holds wine.inf.
std::string FindWineDataDir(const WineDataSearch& search);

// `hostFolder` as a Windows path through the drive that reaches it (the deepest such drive
// root, as Wine's Z: maps "/"), with a trailing "\"; nothing when no drive reaches it.
// `drives` pairs drive letters with their host folders (UTF-8).
std::optional<std::string> WindowsPathThroughDrives(
    const std::string& hostFolder, const std::vector<std::pair<char, std::string>>& drives);

}  // namespace hivewarden::machine
