// The shortcut scan over a mapped drive stays on the machine: a drive that maps the host's
// root folder is not walked at all, and a shortcut file or folder that is a symbolic link out
// of the drive's folder is neither read nor entered. Linux only (symbolic links, "/").
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "files/mapped_files.h"
#include "scan/shortcuts/shortcut_scan.h"
#include "support/lnk_builder.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

namespace fs = std::filesystem;

// A shortcut to a file that does not exist: a finding wherever it is read.
std::string BrokenShortcut() {
    LnkSpec spec;
    LnkLinkInfo info;
    info.LocalBase = "C:\\Gone\\app.exe";
    spec.Info = info;
    return BuildLnk(spec);
}

class ShortcutHostTest : public ::testing::Test {
  protected:
    std::string Scan(const std::string& driveC, scan::ShortcutResults& results) {
        registry::MappedFilesConfig config;
        config.Drives['C'] = driveC;
        config.Drives['Z'] = "/";
        registry::MappedFiles files(config);
        registry::EngineSignals signals;
        bool halted = false;
        const scan::ShortcutScanContext context{files, signals, halted, {}};
        return scan::SearchShortcuts("C:\\", results, context);
    }

    TempFolder host_;
};

TEST_F(ShortcutHostTest, ADriveMappedToTheHostsRootIsNotWalked) {
    scan::ShortcutResults results;
    const std::string refusal = Scan("/", results);
    EXPECT_NE(refusal.find("host's root folder"), std::string::npos) << refusal;
    EXPECT_EQ(results.Count(), 0);
}

TEST_F(ShortcutHostTest, LinksOutOfTheDriveAreNotFollowed) {
    fs::create_directories(host_.HostPath("drive_c/Desktop"));
    fs::create_directories(host_.HostPath("outside"));
    host_.Write("drive_c/Desktop/inside.lnk", BrokenShortcut());
    host_.Write("outside/planted.lnk", BrokenShortcut());
    fs::create_symlink(host_.HostPath("outside/planted.lnk"),
                       host_.HostPath("drive_c/Desktop/linked.lnk"));
    fs::create_directory_symlink(host_.HostPath("outside"), host_.HostPath("drive_c/Elsewhere"));

    scan::ShortcutResults results;
    EXPECT_EQ(Scan(host_.File("drive_c"), results), "");
    ASSERT_EQ(results.Count(), 1);
    EXPECT_EQ(results[1].LinkPath, "C:\\Desktop\\inside");
}

}  // namespace
}  // namespace hivewarden::testing
