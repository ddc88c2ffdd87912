// The key walker and the value check over a small in-memory machine.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan/key_walker.h"
#include "scan/results/result_rows.h"
#include "scan/scan_controller.h"
#include "scan/scan_options.h"
#include "support/counting_store.h"
#include "support/fake_machine.h"
#include "support/recording_front_end.h"

namespace hivewarden::testing {
namespace {

using scan::ScanSession;

constexpr const char* kRunKey = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class WalkerTest : public ::testing::Test {
protected:
    ScanSession& Session() { return session_; }
    // Walks the whole of HKCU and HKLM as the scan master does, with the given options.
    void Scan(std::int32_t options, bool emptyKeys = false) {
        machine.State.CheckEmptyKeys = emptyKeys;
        scan::RunScan(session_, frontEnd, options);
    }
    const engine::ScanResultList& Results() { return machine.State.ScanResults; }
    // Scans the machine's registry as seen through `store` (which wraps machine.Store).
    void ScanThrough(registry::RegistryStore& store, std::int32_t options) {
        registry::RegistryAccess access(store, machine.Probes, machine.State);
        ScanSession session(machine.State, access, machine.Paths);
        machine.State.CheckEmptyKeys = (options & scan::ScanEmptyKeys) != 0;
        scan::RunScan(session, frontEnd, options);
    }

    FakeMachine machine;
    RecordingFrontEnd frontEnd;

private:
    ScanSession session_{machine.State, machine.Access, machine.Paths};
};

TEST_F(WalkerTest, ABareFontNameIsLookedForInEveryFontFolderInEitherView) {
    // Wine's own fonts live in its data folder, the second folder its font loader asks.
    machine.Paths.FontFolders = {"C:\\Windows\\Fonts\\", "Z:\\usr\\share\\wine\\fonts\\"};
    machine.Probes.AddFile("Z:\\usr\\share\\wine\\fonts\\coure.fon");
    const std::string fonts = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    const std::string fonts32 =
        "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    machine.Text(fonts, "Courier", "coure.fon").Text(fonts, "MS Serif", "serife.fon");
    machine.Text(fonts32, "Courier", "coure.fon");
    Scan(scan::ScanFonts);
    ASSERT_EQ(Results().Count(), 1);
    EXPECT_EQ(Results()[1].ItemName, "MS Serif");
}

TEST_F(WalkerTest, MissingRunProgramIsOneAutoRunFinding) {
    machine.Text(kRunKey, "Tool", "C:\\Program Files\\App\\app.exe");
    Scan(scan::ScanAutoRun);
    ASSERT_EQ(Results().Count(), 1);
    const engine::ErrorEntry& e = Results()[1];
    EXPECT_TRUE(e.IsAutoRun);
    EXPECT_EQ(e.EntryKind, engine::kValueEntry);
    EXPECT_EQ(e.PathKind, engine::kFilePath);
    EXPECT_EQ(e.TargetPath, "C:\\Program Files\\App\\app.exe");
    EXPECT_EQ(e.ItemName, "Tool");
    EXPECT_EQ(e.ItemData, "C:\\Program Files\\App\\app.exe");
    EXPECT_EQ(e.KeyPath, kRunKey);
    EXPECT_EQ(e.RootKey, registry::kLocalMachine);
    EXPECT_EQ(e.ValueType, registry::kTextType);
    EXPECT_EQ(e.Index, 1);
}

TEST_F(WalkerTest, CategoryDecisionNeedsAChosenCategoryOrTheWholeRegistry) {
    machine.Text(kRunKey, "Tool", "C:\\Program Files\\App\\app.exe");
    // Empty keys plus shared DLLs walk the whole registry but admit only those categories.
    Scan(scan::ScanEmptyKeys | scan::ScanSharedDlls);
    EXPECT_EQ(Results().Count(), 0);
    Scan(scan::ScanEmptyKeys | scan::ScanSharedDlls | scan::ScanAll);
    EXPECT_EQ(Results().Count(), 1);
}

TEST_F(WalkerTest, ExistingTargetsAreNotReported) {
    machine.File("C:\\Program Files\\App\\app.exe")
        .Text(kRunKey, "Tool", "\"C:\\Program Files\\App\\app.exe\" -min")
        .Text("HKEY_CURRENT_USER\\Software\\Vendor", "Dir", "C:\\Program Files\\App");
    Scan(scan::ScanAll);
    EXPECT_EQ(Results().Count(), 0);
}

// Keys, value names and paths in other scripts: the walk enters every key by its name, the
// existing targets are found whatever their script and letter case, and each missing one is
// reported with the exact text of its key, value and path.
TEST_F(WalkerTest, KeysValuesAndPathsOfEveryScriptAreCheckedExactly) {
    const std::string uniTest = "HKEY_CURRENT_USER\\Software\\UniTest";
    const std::string sub = uniTest + "\\Sub\xE6\x9D\x8E";       // Sub李
    const std::string namae = "\xE5\x90\x8D\xE5\x89\x8D";        // 名前
    const std::string wang = "C:\\Apps\\\xE7\x8E\x8B\\app.exe";  // 王: missing
    machine
        .File("C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe")  // 李明
        .File("C:\\Apps\\\xCF\x89mega\\app.exe")              // ωmega
        .File("C:\\Apps\\J\xC3\xBCrgen\\app.exe")             // Jürgen
        .Text(uniTest, "cjk", "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe")
        .Text(uniTest, "greek", "\"C:\\APPS\\\xCE\xA9MEGA\\APP.EXE\" /s")
        .Text(uniTest, "latin", "C:\\Apps\\J\xC3\xBCrgen\\app.exe")
        .Text(uniTest, namae, wang)
        .Text(sub, "gone", "C:\\Apps\\\xE7\x8E\x8B\\old.exe");
    Scan(scan::ScanAll);
    ASSERT_EQ(Results().Count(), 2);
    EXPECT_EQ(Results()[1].KeyPath, uniTest);
    EXPECT_EQ(Results()[1].ItemName, namae);
    EXPECT_EQ(Results()[1].TargetPath, wang);
    EXPECT_EQ(Results()[2].KeyPath, sub);
    EXPECT_EQ(Results()[2].ItemName, "gone");
    EXPECT_EQ(Results()[2].TargetPath, "C:\\Apps\\\xE7\x8E\x8B\\old.exe");
}

TEST_F(WalkerTest, MissingInProcessServerReportsItsClassKey) {
    const std::string classKey =
        "HKEY_LOCAL_MACHINE\\Software\\Vendor\\Plugins\\CLSID\\{0A1B2C3D-0000-0000-0000-000000000001}";
    machine.Text(classKey + "\\InprocServer32", "", "C:\\Windows\\system32\\gone.dll");
    // The same under Software\Classes is protected and never examined.
    machine.Text("HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{X}\\InprocServer32", "",
                 "C:\\Windows\\system32\\gone.dll");
    Scan(scan::ScanAll);
    ASSERT_EQ(Results().Count(), 1);
    const engine::ErrorEntry& e = Results()[1];
    EXPECT_TRUE(e.IsComServer);
    EXPECT_EQ(e.EntryKind, engine::kKeyEntry);
    EXPECT_EQ(e.KeyPath, classKey);
    EXPECT_EQ(e.ItemName, "{0A1B2C3D-0000-0000-0000-000000000001}");
    EXPECT_EQ(e.ValueType, 0);
    EXPECT_EQ(e.TargetPath, "C:\\Windows\\system32\\gone.dll");
}

TEST_F(WalkerTest, EmptyKeysAreReportedOnlyWhenAskedAndNeverForRoots) {
    machine.Key("HKEY_CURRENT_USER\\Software\\Vendor\\Leftover");
    machine.Text("HKEY_CURRENT_USER\\Software\\Vendor", "v", "text");
    Scan(scan::ScanAll);
    EXPECT_EQ(Results().Count(), 0);
    Scan(scan::ScanEmptyKeys, /*emptyKeys=*/true);
    ASSERT_EQ(Results().Count(), 1);
    const engine::ErrorEntry& e = Results()[1];
    EXPECT_TRUE(e.IsEmptyKey);
    EXPECT_EQ(e.EntryKind, engine::kKeyEntry);
    EXPECT_EQ(e.KeyPath, "HKEY_CURRENT_USER\\Software\\Vendor\\Leftover");
    EXPECT_EQ(e.ItemName, "Leftover");
    EXPECT_EQ(e.ItemData, "Leftover");
    EXPECT_TRUE(e.TargetPath.empty());
}

TEST_F(WalkerTest, UnreadableKeyIsNotReportedAsEmpty) {
    machine.Key("HKEY_CURRENT_USER\\Software\\Locked");
    machine.Store.DenyAccess(registry::kCurrentUser, "Software\\Locked");
    Scan(scan::ScanEmptyKeys, /*emptyKeys=*/true);
    EXPECT_EQ(Results().Count(), 0);
}

TEST_F(WalkerTest, DriversOnlyReportsEveryDriverValueOutsideProtectedBranches) {
    machine.File("C:\\Windows\\system32\\drivers\\present.sys")
        .Text("HKEY_LOCAL_MACHINE\\Software\\Vendor\\Drv", "a", "C:\\Windows\\system32\\drivers\\present.sys")
        .Text("HKEY_LOCAL_MACHINE\\Software\\Vendor\\Drv", "b", "gone.VXD")
        .Text("HKEY_LOCAL_MACHINE\\Software\\Vendor\\Drv", "c", "C:\\missing.exe")
        .Text("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\x", "ImagePath", "C:\\gone.sys");
    Scan(scan::ScanDrivers);
    ASSERT_EQ(Results().Count(), 2);
    EXPECT_EQ(Results()[1].ItemName, "a");
    EXPECT_EQ(Results()[2].ItemName, "b");
    EXPECT_TRUE(Results()[1].IsDriver);
    EXPECT_TRUE(Results()[2].IsDriver);
}

TEST_F(WalkerTest, ExistingDriversAreReportedOnlyWhenDriversWereChosen) {
    machine.File("C:\\Windows\\system32\\drivers\\present.sys")
        .Text("HKEY_LOCAL_MACHINE\\Software\\Vendor\\Drv", "a", "C:\\Windows\\system32\\drivers\\present.sys");
    Scan(scan::ScanAll);
    EXPECT_EQ(Results().Count(), 0);
    Scan(scan::ScanAll | scan::ScanDrivers);
    EXPECT_EQ(Results().Count(), 1);
}

TEST_F(WalkerTest, ProtectedBranchesAreDescendedButTheirValuesSkipped) {
    const struct {
        const char* name;
        std::string key;
        bool reported;
    } cases[] = {
        {"classes", "HKEY_LOCAL_MACHINE\\Software\\Classes\\App", false},
        {"32-bit classes", "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Classes\\CLSID\\{X}\\InprocServer32", false},
        {"32-bit classes key itself", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Classes", false},
        {"user's 32-bit classes in any case", "HKEY_CURRENT_USER\\software\\WOW6432NODE\\classes\\App", false},
        {"classes' own 32-bit view", "HKEY_LOCAL_MACHINE\\Software\\Classes\\Wow6432Node\\CLSID\\{X}\\InprocServer32", false},
        {"other 32-bit keys", "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Vendor\\App", true},
        {"below policies system", "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System\\Sub", false},
        {"policies system key itself", "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", true},
        {"system root key", "HKEY_LOCAL_MACHINE\\SYSTEM", false},
        {"hardware below", "HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION", false},
        {"certificates", "HKEY_CURRENT_USER\\Software\\Microsoft\\SystemCertificates\\My", false},
        {"ordinary vendor key", "HKEY_CURRENT_USER\\Software\\Vendor\\App", true},
        {"system-like name without separator", "HKEY_CURRENT_USER\\Software\\SystemTools", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeMachine m;
        m.Text(c.key, "File", "C:\\gone\\file.exe");
        ScanSession session{m.State, m.Access, m.Paths};
        scan::RunScan(session, frontEnd, scan::ScanAll);
        EXPECT_EQ(m.State.ScanResults.Count(), c.reported ? 1 : 0);
    }
}

// Values under Wow6432Node are read by 32-bit programs, whom Windows leads from System32 to
// SysWOW64 (outside the exempt folders); Sysnative is System32 for everyone.
TEST_F(WalkerTest, EachEntryIsProbedWhereItsProgramFindsTheFile) {
    const std::string wowRun =
        "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
    const struct {
        const char* name;
        std::string key;
        const char* data;
        bool reported;
    } cases[] = {
        {"32-bit, file only in SysWOW64", wowRun, "C:\\Windows\\System32\\only32.exe", false},
        {"32-bit, cut at an argument after it", wowRun, "c:\\windows\\SYSTEM32\\Only32.exe /q", false},
        {"32-bit, file nowhere", wowRun, "C:\\Windows\\System32\\nowhere.exe", true},
        {"32-bit, file only in the 64-bit System32", wowRun, "C:\\Windows\\System32\\only64.exe", true},
        {"64-bit, file only in SysWOW64", kRunKey, "C:\\Windows\\System32\\only32.exe", true},
        {"64-bit, file in System32", kRunKey, "C:\\Windows\\System32\\only64.exe", false},
        {"32-bit, exempt folder", wowRun, "C:\\Windows\\System32\\drivers\\etc\\hosts", false},
        {"32-bit, exempt folder never in SysWOW64", wowRun, "C:\\Windows\\System32\\drivers\\etc\\lmhosts", true},
        {"32-bit, Sysnative", wowRun, "C:\\Windows\\Sysnative\\only64.exe", false},
        {"64-bit, Sysnative", kRunKey, "C:\\Windows\\Sysnative\\only64.exe", false},
        {"Sysnative is the 64-bit folder", wowRun, "C:\\Windows\\Sysnative\\only32.exe", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeMachine m;
        m.File("C:\\Windows\\SysWOW64\\only32.exe")
            .File("C:\\Windows\\System32\\only64.exe")
            .File("C:\\Windows\\System32\\drivers\\etc\\hosts")
            .File("C:\\Windows\\SysWOW64\\drivers\\etc\\lmhosts")
            .Text(c.key, "Tool", c.data);
        ScanSession session{m.State, m.Access, m.Paths};
        scan::RunScan(session, frontEnd, scan::ScanAll);
        ASSERT_EQ(m.State.ScanResults.Count(), c.reported ? 1 : 0);
        // The finding shows the path as the registry holds it.
        if (c.reported) {
            EXPECT_EQ(m.State.ScanResults[1].TargetPath, c.data);
        }
    }
}

TEST_F(WalkerTest, A32BitWindowsReadsSystem32AndSysnativeAsTheyAre) {
    const std::string wowRun =
        "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
    machine.File("C:\\Windows\\System32\\tool.exe")
        .Text(wowRun, "Tool", "C:\\Windows\\System32\\tool.exe")
        .Text(wowRun, "Native", "C:\\Windows\\Sysnative\\tool.exe");
    Scan(scan::ScanAll);
    ASSERT_EQ(Results().Count(), 1);
    EXPECT_EQ(Results()[1].ItemName, "Native");
}

TEST_F(WalkerTest, VirusMarkerShowsTheMessageAndTheValueGoesOn) {
    machine.Text("HKEY_CURRENT_USER\\Software\\Vendor", "x", "C:\\temp\\2DADD52DOC.EXE");
    Scan(scan::ScanAll);
    EXPECT_THAT(frontEnd.Messages, ::testing::ElementsAre("Zelquin is Here"));
    EXPECT_EQ(Results().Count(), 1);
}

TEST_F(WalkerTest, StopDuringValuesEndsTheWholeWalk) {
    machine.Text("HKEY_CURRENT_USER\\A", "one", "C:\\gone1.exe")
        .Text("HKEY_CURRENT_USER\\A", "two", "C:\\gone2.exe")
        .Text("HKEY_CURRENT_USER\\A\\Sub", "three", "C:\\gone3.exe")
        .Text("HKEY_CURRENT_USER\\B", "four", "C:\\gone4.exe");
    machine.State.YieldHook = [this] {
        if (machine.State.ScanResults.Count() == 1) machine.State.StopRequested = true;
    };
    Scan(scan::ScanAll);
    EXPECT_EQ(Results().Count(), 1);
    EXPECT_EQ(machine.State.ProgressPercent, 100);
    ASSERT_EQ(frontEnd.DoneCalls.size(), 1u);
    EXPECT_TRUE(frontEnd.DoneCalls[0].Canceled);
    EXPECT_EQ(frontEnd.DoneCalls[0].Task, engine::kModeScan);
}

TEST_F(WalkerTest, EveryKeyIsOpenedOnceForItsValuesAndSubkeys) {
    machine.Text("HKEY_CURRENT_USER\\Software\\App", "Exe", "C:\\gone.exe")
        .Text("HKEY_CURRENT_USER\\Software\\App\\Sub", "v", "text")
        .Key("HKEY_CURRENT_USER\\Software\\App\\Empty")
        .Text("HKEY_LOCAL_MACHINE\\SYSTEM\\Setup", "v", "C:\\gone.exe");
    CountingStore counting(machine.Store);

    ScanThrough(counting, scan::ScanAll | scan::ScanEmptyKeys);

    std::vector<std::string> keys;
    for (const auto& [key, opens] : counting.OpensOf) {
        keys.push_back(key);
        // The roots are opened once more for the top-level key counts of the progress.
        const bool root = key.find('\\') == std::string::npos;
        EXPECT_EQ(opens, root ? 2 : 1) << key;
    }
    EXPECT_THAT(keys, ::testing::Contains("HKEY_CURRENT_USER\\Software\\App\\Empty"));
    EXPECT_THAT(keys, ::testing::Contains("HKEY_LOCAL_MACHINE\\SYSTEM\\Setup"));
    ASSERT_EQ(Results().Count(), 2);
    EXPECT_EQ(Results()[1].ItemName, "Exe");
    EXPECT_TRUE(Results()[2].IsEmptyKey);
    EXPECT_EQ(counting.Made.Opens, counting.Made.Closes);
}

TEST_F(WalkerTest, AKeyDeletedWhileItsValuesAreCheckedIsNotDescended) {
    machine.Text("HKEY_CURRENT_USER\\A", "one", "C:\\gone1.exe")
        .Text("HKEY_CURRENT_USER\\A", "two", "C:\\gone2.exe")
        .Text("HKEY_CURRENT_USER\\A\\Sub", "three", "C:\\gone3.exe")
        .Text("HKEY_CURRENT_USER\\B", "four", "C:\\gone4.exe");
    bool deleted = false;
    machine.State.YieldHook = [&] {
        if (!deleted && Results().Count() == 1) {
            deleted = true;
            machine.Access.DeleteKey(registry::kCurrentUser, "A");
        }
    };
    Scan(scan::ScanAll);
    // The values already listed are still checked; nothing below the deleted key is.
    std::vector<std::string> names;
    for (const engine::ErrorEntry& e : Results()) names.push_back(e.ItemName);
    EXPECT_THAT(names, ::testing::ElementsAre("one", "two", "four"));
    EXPECT_EQ(machine.Store.OpenHandleCount(), 0u);
}

TEST_F(WalkerTest, CancelBeforeAKeysValuesAreListedReportsNoEmptyKey) {
    machine.Text("HKEY_CURRENT_USER\\Software\\Full", "v", "text")
        .Key("HKEY_CURRENT_USER\\Software\\Full\\Child");
    machine.State.CheckEmptyKeys = true;
    machine.State.ActiveScanOptions = scan::ScanEmptyKeys;
    machine.State.StopRequested = true;  // Cancel pressed before the key's listing
    scan::KeyWalker walker(Session(), frontEnd);
    walker.WalkKey(registry::kCurrentUser, "Software\\Full");
    EXPECT_EQ(Results().Count(), 0);
}

TEST_F(WalkerTest, AKeyWithValuesItCannotListIsNotReportedAsEmpty) {
    machine.Text("HKEY_LOCAL_MACHINE\\Software\\Perf\\009", "Counter", "1");
    CountingStore counting(machine.Store);
    counting.Unlistable.insert("HKEY_LOCAL_MACHINE\\Software\\Perf\\009");
    ScanThrough(counting, scan::ScanEmptyKeys);
    EXPECT_EQ(Results().Count(), 0);
}

TEST(ScanProgress, FollowsThePositionAmongTopLevelKeys) {
    EXPECT_EQ(scan::ProgressForPosition(1, 50), 2);
    EXPECT_EQ(scan::ProgressForPosition(20, 50), 40);
    EXPECT_EQ(scan::ProgressForPosition(50, 50), 99);
    EXPECT_EQ(scan::ProgressForPosition(3, 50), 6);
    // Halves round to even.
    EXPECT_EQ(scan::ProgressForPosition(1, 8), 12);   // 12.5
    EXPECT_EQ(scan::ProgressForPosition(3, 8), 38);   // 37.5
    EXPECT_EQ(scan::ProgressForPosition(60, 50), 99);
}

TEST_F(WalkerTest, ProgressMovesOverTopLevelKeysOfBothRoots) {
    for (int i = 0; i < 40; ++i) machine.Key("HKEY_CURRENT_USER\\K" + std::to_string(100 + i));
    for (int i = 0; i < 10; ++i) machine.Key("HKEY_LOCAL_MACHINE\\K" + std::to_string(100 + i));
    std::vector<std::int32_t> seen;
    machine.State.YieldHook = [&] {
        if (seen.empty() || seen.back() != machine.State.ProgressPercent) {
            seen.push_back(machine.State.ProgressPercent);
        }
    };
    Scan(scan::ScanAll);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), 0);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_THAT(seen, ::testing::Contains(40));
    EXPECT_EQ(seen[seen.size() - 2], 99);
    EXPECT_EQ(seen.back(), 100);
}

// A path on a drive that is not there (an unplugged disk, a letter nothing is mapped to) is
// still reported, as its own kind whatever its category, and is left alone by default: an
// absent drive is not a deleted file. A missing file on a drive that is there is not.
TEST(WalkerAbsentDrives, PathsOnADriveThatIsNotThereAreReportedAsDriveNotPresent) {
    struct Case {
        const char* name;
        std::string key;
        std::string data;
        bool absent;
        std::string description;
        std::string action;
    };
    const std::string vendor = "HKEY_CURRENT_USER\\Software\\Vendor";
    const std::string comServer =
        "HKEY_LOCAL_MACHINE\\Software\\Vendor\\CLSID\\{0A1B2C3D-0000-0000-0000-00000000000E}";
    const Case cases[] = {
        {"file", vendor, "E:\\Games\\x.exe", true, "Drive not present - E:\\Games\\x.exe",
         "Ignore"},
        {"quoted with arguments", vendor, "\"E:\\Games\\x.exe\" -play", true,
         "Drive not present - E:\\Games\\x.exe", "Ignore"},
        {"folder, lower-case letter", vendor, "e:\\Games", true, "Drive not present - e:\\Games",
         "Ignore"},
        {"drive root", vendor, "E:\\", true, "Drive not present - E:\\", "Ignore"},
        {"start-up program", kRunKey, "E:\\Tools\\tray.exe", true,
         "Drive not present - E:\\Tools\\tray.exe", "Ignore"},
        {"in-process server", comServer + "\\InprocServer32", "E:\\Lib\\x.dll", true,
         "Drive not present - E:\\Lib\\x.dll", "Ignore"},
        {"missing file on a drive that is there", vendor, "D:\\Games\\x.exe", false,
         "File not found - D:\\Games\\x.exe", "Delete"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeMachine local;
        local.Probes.RemoveDrive('E');
        local.Text(c.key, "Path", c.data);
        RecordingFrontEnd front;
        ScanSession session(local.State, local.Access, local.Paths);
        scan::RunScan(session, front, scan::ScanAll | scan::ScanAutoRun);
        ASSERT_EQ(local.State.ScanResults.Count(), 1);
        const engine::ErrorEntry& entry = local.State.ScanResults[1];
        EXPECT_EQ(entry.IsAbsentDrive, c.absent);
        scan::ResultGrid grid;
        grid.AddFindingsToGrid(std::vector<engine::ErrorEntry>{entry}, scan::ExclusionList{});
        ASSERT_EQ(grid.RowCount(), 1);
        EXPECT_EQ(grid.Row(1).ErrorKind, c.description);
        EXPECT_EQ(grid.Row(1).Correction, c.action);
        EXPECT_EQ(grid.Counters.Value(scan::Counter::TotalProblems), 1);
    }
}

}  // namespace
}  // namespace hivewarden::testing
