// Wine's own data folder and the fonts it ships: where the folder is found (the user's choice,
// WINEDATADIR, the loader in use, wine64 or wine on PATH, the standard folders), how a host
// folder is reached through a machine's drives, and a small prefix laid out as wineboot makes
// it, whose registry names Wine's fonts by their bare names: they are found, a font that is
// nowhere is still missing.
#include "machine/wine_install.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "files/host_path.h"
#include "machine/machine.h"
#include "scan/path_extract.h"
#include "support/temp_folder.h"

namespace hivewarden::machine {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// A host with three Wine installations and a folder WINEDATADIR could name:
//   usr/lib/wine/wine64 and usr/bin/wine, with usr/share/wine/wine.inf (as Debian lays it out)
//   opt/w/bin/wine64, with opt/w/share/wine/wine.inf, and bin/wine64 a link to it
//   env/wine.inf
//   empty/bin/wine, an installation without its data folder
class WineDataSearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* folder : {"usr/lib/wine", "usr/bin", "usr/share/wine", "opt/w/bin",
                                   "opt/w/share/wine", "bin", "env", "empty/bin"}) {
            fs::create_directories(host_.HostPath(folder));
        }
        for (const char* file : {"usr/lib/wine/wine64", "usr/bin/wine", "usr/share/wine/wine.inf",
                                 "opt/w/bin/wine64", "opt/w/share/wine/wine.inf", "env/wine.inf",
                                 "empty/bin/wine"}) {
            host_.Write(file, "");
        }
        std::error_code noLink;
        fs::create_symlink("../opt/w/bin/wine64", host_.HostPath("bin/wine64"), noLink);
        linked_ = !noLink;
    }
    std::string Path(const std::string& name) const {
        return registry::FromHostPath(host_.HostPath(name));
    }

    TempFolder host_;
    bool linked_ = false;
};

TEST_F(WineDataSearchTest, TheFirstFolderHoldingWineInfWins) {
    if (!linked_) GTEST_SKIP() << "this system cannot make symbolic links";
    struct Case {
        const char* Name;
        WineDataSearch Search;
        std::string Expected;
    };
    const std::vector<Case> cases = {
        {"the user's choice, as it is", {Path("chosen"), Path("env"), {}, {}, {}}, Path("chosen")},
        {"WINEDATADIR as Wine sets it", {{}, "\\??\\" + Path("env"), {}, {}, {}}, Path("env")},
        {"WINEDATADIR before the loader",
         {{}, Path("env"), Path("opt/w/bin/wine64"), {}, {}},
         Path("env")},
        {"the loader, two levels up",
         {{}, {}, Path("usr/lib/wine/wine64"), {}, {}},
         Path("usr/share/wine")},
        {"wine on PATH, one level up",
         {{}, {}, {}, Path("nowhere") + ":" + Path("usr/bin"), {}},
         Path("usr/share/wine")},
        {"wine64 on PATH, its link followed",
         {{}, {}, {}, Path("bin"), {}},
         Path("opt/w/share/wine")},
        {"an installation without data, then PATH",
         {{}, Path("nowhere"), Path("empty/bin/wine"), Path("empty/bin") + ":" + Path("bin"), {}},
         Path("opt/w/share/wine")},
        {"the standard folders last",
         {{}, {}, {}, Path("empty/bin"), {Path("usr/local/share/wine"), Path("usr/share/wine")}},
         Path("usr/share/wine")},
        {"no Wine at all", {{}, {}, {}, Path("empty/bin"), {Path("nowhere")}}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindWineDataDir(c.Search), c.Expected) << c.Name;
    }
}

TEST(WindowsPathThroughDrives, TheDeepestDriveReachingTheFolderNamesIt) {
    TempFolder host;
    fs::create_directories(host.HostPath("pfx/drive_c/windows"));
    fs::create_directories(host.HostPath("usr/share/wine/fonts"));
    const std::string root = registry::FromHostPath(host.HostPath(""));
    const std::string driveC = registry::FromHostPath(host.HostPath("pfx/drive_c"));
    const std::vector<std::pair<char, std::string>> drives = {{'Z', root}, {'C', driveC}};
    struct Case {
        const char* Name;
        std::string Folder;
        std::vector<std::pair<char, std::string>> Drives;
        std::optional<std::string> Expected;
    };
    const std::vector<Case> cases = {
        {"through Z:", root + "usr/share/wine/fonts", drives, "Z:\\usr\\share\\wine\\fonts\\"},
        {"through C:, not Z:", driveC + "/windows", drives, "C:\\windows\\"},
        {"a drive's root", driveC, drives, "C:\\"},
        {"no drive reaches it", root + "usr/share/wine/fonts", {{'C', driveC}}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WindowsPathThroughDrives(c.Folder, c.Drives), c.Expected) << c.Name;
    }
}

// Fonts keys as Wine writes them: its own fonts by bare name, a font installed into the
// prefix's Fonts folder, and one whose file is nowhere.
const std::string kSystem =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n"
    "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion] 1796909819\n"
    "\"SystemRoot\"=\"C:\\\\windows\"\n\n"
    "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\Fonts] 1796909819\n"
    "\"Courier\"=\"coure.fon\"\n\"MS Sans Serif\"=\"sserife.fon\"\n"
    "\"Installed (TrueType)\"=\"installed.ttf\"\n\"Gone (TrueType)\"=\"gone.ttf\"\n";
const std::string kUser =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n#arch=win64\n";
const std::string kUserDefault =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\.Default\n\n"
    "#arch=win64\n";

// A host whose "/" is the folder: the prefix in pfx/ with drive C: (pfx/drive_c) and Z: (the
// host's root, as wineboot links it), Wine's data folder in usr/share/wine.
class FreshPrefixFontsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* folder :
             {"pfx/drive_c/windows/Fonts", "pfx/dosdevices", "usr/share/wine/fonts"}) {
            fs::create_directories(host_.HostPath(folder));
        }
        host_.Write("pfx/system.reg", kSystem);
        host_.Write("pfx/user.reg", kUser);
        host_.Write("pfx/userdef.reg", kUserDefault);
        host_.Write("pfx/drive_c/windows/Fonts/installed.ttf", "");
        host_.Write("usr/share/wine/wine.inf", "");
        host_.Write("usr/share/wine/fonts/coure.fon", "");
        host_.Write("usr/share/wine/fonts/sserife.fon", "");
        std::error_code noLink;
        fs::create_directory_symlink("../drive_c", host_.HostPath("pfx/dosdevices/c:"), noLink);
        if (!noLink) {
            fs::create_directory_symlink(host_.HostPath(""), host_.HostPath("pfx/dosdevices/z:"),
                                         noLink);
        }
        linked_ = !noLink;
        source_.WinePrefix = registry::FromHostPath(host_.HostPath("pfx"));
        source_.WineDataDir = registry::FromHostPath(host_.HostPath("usr/share/wine"));
    }

    // Whether the scan's missing test finds the font `data` missing on the opened machine, with
    // the context the scan builds from the machine's probes.
    static bool FontMissing(Machine& machine, const std::string& data) {
        registry::FileProbes& probes = machine.Probes();
        scan::PathContext paths{probes, probes.WindowsDirectory(), nullptr, probes.FontFolders()};
        return scan::IsMissing(data, scan::PathKindOf(data, paths), paths);
    }

    TempFolder host_;
    MachineSource source_;
    bool linked_ = false;
};

TEST_F(FreshPrefixFontsTest, WinesOwnFontsAreFoundAndAFontThatIsNowhereIsMissing) {
    if (!linked_) GTEST_SKIP() << "this system cannot make a prefix's drive links";
    std::vector<std::string> warnings;
    OpenOptions options;
    options.Warn = [&warnings](const std::string& warning) { warnings.push_back(warning); };
    std::string error;
    const std::unique_ptr<Machine> machine = OpenMachine(source_, options, error);
    ASSERT_TRUE(machine) << error;
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    EXPECT_EQ(machine->Probes().FontFolders(),
              (std::vector<std::string>{"C:\\windows\\Fonts\\", "Z:\\usr\\share\\wine\\fonts\\"}));
    struct Case {
        const char* Data;
        bool Missing;
    };
    for (const Case& c : {Case{"coure.fon", false}, Case{"SSERIFE.FON", false},
                          Case{"installed.ttf", false}, Case{"gone.ttf", true}}) {
        EXPECT_EQ(FontMissing(*machine, c.Data), c.Missing) << c.Data;
    }
}

TEST_F(FreshPrefixFontsTest, WithoutWinesFontsFolderItsFontsReadAsMissing) {
    if (!linked_) GTEST_SKIP() << "this system cannot make a prefix's drive links";
    struct Case {
        const char* Name;
        std::string DataDir;
        bool RemoveZ;
    };
    const std::vector<Case> cases = {
        {"a data folder without these fonts", registry::FromHostPath(host_.HostPath("pfx")),
         false},
        {"no drive reaches the data folder", source_.WineDataDir, true},
    };
    for (const Case& c : cases) {
        if (c.RemoveZ) fs::remove(host_.HostPath("pfx/dosdevices/z:"));
        MachineSource source = source_;
        source.WineDataDir = c.DataDir;
        std::string error;
        const std::unique_ptr<Machine> machine = OpenMachine(source, {}, error);
        ASSERT_TRUE(machine) << error;
        EXPECT_TRUE(FontMissing(*machine, "coure.fon")) << c.Name;
        EXPECT_FALSE(FontMissing(*machine, "installed.ttf")) << c.Name;
    }
}

}  // namespace
}  // namespace hivewarden::machine
