// The scan over a mapped drive (a host folder as drive C:, as offline and in Wine prefixes):
// paths that Windows resolves (short names, "..", Sysnative, the 32-bit system folder) are
// found where Windows finds them, through the scan's probe cache, and reported only when the
// file is really gone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "files/mapped_files.h"
#include "scan/scan_options.h"
#include "support/fake_machine.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRun =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kWowRun =
    "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";

// A 64-bit Windows on drive C: (a temporary host folder), its registry in memory.
class MappedDriveScan {
public:
    MappedDriveScan() : drive_(fs::path(tmp_.Folder()) / "drive_c") {
        fs::create_directories(drive_ / "Windows" / "Fonts");
        fs::create_directories(drive_ / "Windows" / "System32");
        fs::create_directories(drive_ / "Windows" / "SysWOW64");
    }

    // Creates a file below the drive ("Program Files/App/app.exe").
    MappedDriveScan& File(const std::string& relative) {
        const fs::path path = drive_ / fs::path(relative);
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "MZ";
        return *this;
    }

    const engine::ScanResultList& Scan() {
        registry::MappedFilesConfig config;
        config.Drives['C'] = drive_;
        registry::MappedFiles files(config);
        return Machine.ScanWith(files, scan::ScanAll);
    }

    FakeMachine Machine;  // its registry; its own probes are not used

private:
    TempFolder tmp_;
    fs::path drive_;
};

TEST(MappedDriveScan, PathsWindowsResolvesAreReportedOnlyWhenTheirFileIsGone) {
    const struct {
        const char* name;
        const char* key;
        const char* data;
        const char* file;  // where the file lies on the drive
    } cases[] = {
        {"short name", kRun, "C:\\PROGRA~1\\App\\app.exe", "Program Files/App/app.exe"},
        {"two short names", kRun, "C:\\PROGRA~1\\COMMON~1\\Shared\\lib.dll",
         "Program Files/Common Files/Shared/lib.dll"},
        {"short name of a sibling", kRun, "\"C:\\PROGRA~1\\Old\\old.exe\" /run",
         "Program Files (x86)/Old/old.exe"},
        {"dot-dot", kRun, "C:\\Program Files\\App\\..\\App\\app.exe", "Program Files/App/app.exe"},
        {"Sysnative", kRun, "C:\\Windows\\Sysnative\\cmd.exe", "Windows/System32/cmd.exe"},
        {"32-bit System32", kWowRun, "C:\\Windows\\System32\\only32.exe",
         "Windows/SysWOW64/only32.exe"},
        {"32-bit exempt folder", kWowRun, "C:\\Windows\\System32\\drivers\\etc\\hosts",
         "Windows/System32/drivers/etc/hosts"},
    };
    for (const auto& c : cases) {
        for (const bool present : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (present ? ", present" : ", gone"));
            MappedDriveScan machine;
            machine.Machine.Text(c.key, "Tool", c.data);
            if (present) machine.File(c.file);
            const engine::ScanResultList& results = machine.Scan();
            ASSERT_EQ(results.Count(), present ? 0 : 1);
        }
    }
}

// One data text, in keys of both views: each view is judged on its own, however often the
// text comes and in whichever order, though the memo and the cache keep what they learn.
TEST(MappedDriveScan, TheSameTextIsJudgedForEachViewApart) {
    MappedDriveScan machine;
    machine.File("Windows/SysWOW64/only32.exe");
    const char* data = "C:\\Windows\\System32\\only32.exe";
    for (const char* n : {"1", "2", "3"}) {
        machine.Machine.Text(std::string("HKEY_CURRENT_USER\\Software\\Wow6432Node\\Vendor") + n,
                             "File", data)
            .Text(std::string("HKEY_LOCAL_MACHINE\\Software\\Vendor") + n, "File", data)
            .Text(std::string("HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Vendor") + n, "File",
                  data);
    }
    const engine::ScanResultList& results = machine.Scan();
    ASSERT_EQ(results.Count(), 3);
    for (int i = 1; i <= results.Count(); ++i) {
        EXPECT_EQ(results[i].KeyPath.rfind("HKEY_LOCAL_MACHINE\\Software\\Vendor", 0), 0u)
            << results[i].KeyPath;
        EXPECT_EQ(results[i].TargetPath, data);
    }
}

}  // namespace
}  // namespace hivewarden::testing
