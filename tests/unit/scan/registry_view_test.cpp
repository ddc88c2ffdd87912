// Registry views: which keys belong to 32-bit programs, and where the system-folder paths they
// name lead; the view's probes ask about those places, and only on a machine that has them.
#include "scan/registry_view.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "scan/view_probes.h"
#include "support/fake_probes.h"

namespace hivewarden::testing {
namespace {

using scan::RegistryView;
using scan::SystemFolders;
using scan::ViewOfKeyPath;
using scan::ViewProbes;

TEST(RegistryView, KeysBelowWow6432NodeAreThe32BitView) {
    const struct {
        const char* keyPath;
        RegistryView view;
    } cases[] = {
        {"HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Vendor\\App", RegistryView::kWow32},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432NODE", RegistryView::kWow32},
        {"HKEY_CURRENT_USER\\Software\\wow6432node\\Vendor", RegistryView::kWow32},
        {"HKEY_LOCAL_MACHINE\\Software\\Vendor\\App", RegistryView::kNative},
        {"HKEY_LOCAL_MACHINE\\Software\\Wow6432Nodes\\App", RegistryView::kNative},
        {"HKEY_LOCAL_MACHINE\\Software\\MyWow6432Node", RegistryView::kNative},
        {"", RegistryView::kNative},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyPath);
        EXPECT_EQ(ViewOfKeyPath(c.keyPath), c.view);
    }
}

TEST(RegistryView, SystemFolderPathsLeadWhereWindowsRedirectsThem) {
    const SystemFolders folders("C:\\Windows\\");
    const std::optional<std::string> same;
    const struct {
        const char* name;
        const char* path;
        RegistryView view;
        std::optional<std::string> seen;
    } cases[] = {
        {"32-bit System32", "C:\\Windows\\System32\\only32.dll", RegistryView::kWow32,
         "C:\\Windows\\SysWOW64\\only32.dll"},
        {"any letter case", "c:\\WINDOWS\\system32\\Sub\\x.exe", RegistryView::kWow32,
         "C:\\WINDOWS\\SysWOW64\\Sub\\x.exe"},
        {"the folder itself", "C:\\Windows\\System32", RegistryView::kWow32,
         "C:\\Windows\\SysWOW64"},
        {"the folder with its separator", "C:\\Windows\\System32\\", RegistryView::kWow32,
         "C:\\Windows\\SysWOW64\\"},
        {"read with its dots resolved", "C:\\Windows\\Temp\\..\\System32\\.\\a.dll",
         RegistryView::kWow32, "C:\\Windows\\SysWOW64\\a.dll"},
        {"64-bit System32", "C:\\Windows\\System32\\only32.dll", RegistryView::kNative, same},
        {"exempt catroot", "C:\\Windows\\System32\\catroot\\{x}\\a.cat", RegistryView::kWow32,
         same},
        {"exempt catroot2", "C:\\Windows\\System32\\CatRoot2\\edb.log", RegistryView::kWow32, same},
        {"exempt drivers\\etc", "C:\\Windows\\System32\\drivers\\etc\\hosts",
         RegistryView::kWow32, same},
        {"exempt logfiles", "C:\\Windows\\System32\\LogFiles\\x.log", RegistryView::kWow32, same},
        {"exempt spool", "C:\\Windows\\System32\\spool\\drivers\\x.dll", RegistryView::kWow32,
         same},
        {"drivers outside etc is redirected", "C:\\Windows\\System32\\drivers\\x.sys",
         RegistryView::kWow32, "C:\\Windows\\SysWOW64\\drivers\\x.sys"},
        {"Sysnative from 32-bit programs", "C:\\Windows\\Sysnative\\cmd.exe",
         RegistryView::kWow32, "C:\\Windows\\System32\\cmd.exe"},
        {"Sysnative from 64-bit programs", "C:\\Windows\\SYSNATIVE\\cmd.exe",
         RegistryView::kNative, "C:\\Windows\\System32\\cmd.exe"},
        {"Sysnative into an exempt folder", "C:\\Windows\\Sysnative\\drivers\\etc\\hosts",
         RegistryView::kWow32, "C:\\Windows\\System32\\drivers\\etc\\hosts"},
        {"SysWOW64 stays", "C:\\Windows\\SysWOW64\\a.dll", RegistryView::kWow32, same},
        {"System32 elsewhere", "C:\\Tools\\System32\\a.dll", RegistryView::kWow32, same},
        {"System32 on another drive", "D:\\Windows\\System32\\a.dll", RegistryView::kWow32, same},
        {"a longer name", "C:\\Windows\\System32x\\a.dll", RegistryView::kWow32, same},
        {"the Windows directory", "C:\\Windows\\notepad.exe", RegistryView::kWow32, same},
        {"not a full path", "System32\\a.dll", RegistryView::kWow32, same},
        {"network path", "\\\\server\\Windows\\System32\\a.dll", RegistryView::kWow32, same},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(folders.Redirect(c.path, c.view), c.seen);
    }
}

TEST(RegistryView, AnotherWindowsDirectoryHasItsOwnSystemFolders) {
    const SystemFolders folders("D:\\WINNT");
    EXPECT_EQ(folders.Wow64Folder(), "D:\\WINNT\\SysWOW64");
    EXPECT_EQ(folders.Redirect("d:\\winnt\\system32\\a.dll", RegistryView::kWow32),
              "D:\\winnt\\SysWOW64\\a.dll");
    EXPECT_EQ(folders.Redirect("C:\\Windows\\System32\\a.dll", RegistryView::kWow32),
              std::nullopt);
    EXPECT_EQ(SystemFolders("Windows").Redirect("C:\\Windows\\Sysnative\\a.exe",
                                                RegistryView::kNative),
              std::nullopt);
}

TEST(ViewProbes, AskAboutThePlaceTheViewsProgramsReach) {
    FakeProbes files;
    files.AddFile("C:\\Windows\\System32\\only64.exe").AddFile("C:\\Windows\\SysWOW64\\only32.exe");
    ViewProbes wow32(files, RegistryView::kWow32, "C:\\Windows\\");
    ViewProbes native(files, RegistryView::kNative, "C:\\Windows\\");
    EXPECT_TRUE(wow32.FileExists("C:\\Windows\\System32\\only32.exe"));
    EXPECT_FALSE(wow32.FileExists("C:\\Windows\\System32\\only64.exe"));
    EXPECT_TRUE(wow32.FileExists("C:\\Windows\\Sysnative\\only64.exe"));
    EXPECT_TRUE(wow32.IsDirectory("C:\\Windows\\System32"));
    EXPECT_FALSE(native.FileExists("C:\\Windows\\System32\\only32.exe"));
    EXPECT_TRUE(native.FileExists("C:\\Windows\\System32\\only64.exe"));
    EXPECT_TRUE(native.FileExists("C:\\Windows\\Sysnative\\only64.exe"));
}

// 32-bit Windows has no SysWOW64 and no Sysnative: every path is asked about as it is.
TEST(ViewProbes, AMachineWithoutThe32BitSystemFolderIsAskedAsItIs) {
    FakeProbes files;
    files.AddFile("C:\\Windows\\System32\\only64.exe");
    ViewProbes wow32(files, RegistryView::kWow32, "C:\\Windows\\");
    EXPECT_TRUE(wow32.FileExists("C:\\Windows\\System32\\only64.exe"));
    EXPECT_FALSE(wow32.FileExists("C:\\Windows\\Sysnative\\only64.exe"));
}

}  // namespace
}  // namespace hivewarden::testing
