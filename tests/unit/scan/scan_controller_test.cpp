// The scan master and the scan driver: modes, branches, the lock-location check, definition
// files, exclusions and the shortcut step.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan/key_count.h"
#include "scan/scan_controller.h"
#include "scan/scan_options.h"
#include "support/fake_machine.h"
#include "support/lnk_builder.h"
#include "support/recording_front_end.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

constexpr const char* kAppPaths =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\tool.exe";
constexpr const char* kWinlogon =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

class ControllerTest : public ::testing::Test {
protected:
    ControllerTest() { session.ProgramFolder = folder.Folder(); }
    void Run(std::int32_t options) { scan::RunScan(session, frontEnd, options); }
    std::vector<std::string> FindingKeys() const {
        std::vector<std::string> keys;
        for (const auto& e : machine.State.ScanResults) keys.push_back(e.KeyPath + "|" + e.ItemName);
        return keys;
    }

    FakeMachine machine;
    RecordingFrontEnd frontEnd;
    TempFolder folder;
    scan::ScanSession session{machine.State, machine.Access, machine.Paths};
};

TEST_F(ControllerTest, NoOptionsWalksNothingAndStillFinishes) {
    machine.Text("HKEY_CURRENT_USER\\Software\\A", "x", "C:\\gone.exe");
    Run(0);
    EXPECT_EQ(machine.State.ScanResults.Count(), 0);
    EXPECT_EQ(machine.State.ProgressPercent, 100);
    EXPECT_FALSE(frontEnd.TimerOn);
    EXPECT_EQ(frontEnd.Ticks, 1);
    ASSERT_EQ(frontEnd.DoneCalls.size(), 1u);
    EXPECT_FALSE(frontEnd.DoneCalls[0].Canceled);
    EXPECT_EQ(frontEnd.DoneCalls[0].Task, engine::kModeScan);
}

TEST_F(ControllerTest, SelectiveModeWalksOnlyTheChosenBranches) {
    machine.Text(kAppPaths, "", "C:\\Program Files\\Tool\\tool.exe")
        .Text("HKEY_CURRENT_USER\\Software\\Vendor", "x", "C:\\gone.exe")
        .Text("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "r",
              "C:\\gone\\run.exe");
    Run(scan::ScanAppPaths);
    EXPECT_THAT(FindingKeys(), ::testing::ElementsAre(std::string(kAppPaths) + "|"));
    // Progress does not move in the selective mode until the end.
    EXPECT_EQ(machine.State.ProgressPercent, 100);
}

TEST_F(ControllerTest, AdvancedOptionsAloneWalkTheWholeRegistry) {
    machine.Text("HKEY_CURRENT_USER\\Software\\Vendor", "x", "C:\\gone.sys");
    Run(scan::ScanDrivers);
    EXPECT_EQ(machine.State.ScanResults.Count(), 1);
    machine.Key("HKEY_LOCAL_MACHINE\\Software\\Empty");
    machine.State.CheckEmptyKeys = true;
    Run(scan::ScanEmptyKeys);
    EXPECT_THAT(FindingKeys(), ::testing::Contains("HKEY_LOCAL_MACHINE\\Software\\Empty|Empty"));
}

TEST_F(ControllerTest, TrojansAloneRunOnlyTheLockCheck) {
    folder.Write("TrojanLock.ini",
                 "Zbot;3;Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon;Userinit;sdra64.exe\r\n");
    machine.Text(kWinlogon, "Userinit", "C:\\Windows\\system32\\userinit.exe,C:\\Windows\\system32\\SDRA64.EXE,")
        .Text("HKEY_CURRENT_USER\\Software\\Vendor", "x", "C:\\gone.exe");
    scan::StartScan(session, frontEnd, {scan::ScanTrojans, false, false});
    ASSERT_EQ(machine.State.ScanResults.Count(), 1);
    const engine::ErrorEntry& e = machine.State.ScanResults[1];
    EXPECT_TRUE(e.IsLockedTrojan);
    EXPECT_EQ(e.KeyPath, kWinlogon);
    EXPECT_EQ(e.TrojanName, "Zbot");
}

TEST_F(ControllerTest, StartScanLoadsDefinitionsAndReportsBadFiles) {
    folder.Write("TrojanDef.ini", "avserve.exe;Sasser\r\n");
    folder.Write("TrojanLock.ini", "Broken;x;Key;Value;Marker\r\n");
    folder.Write("Ignore.ini", "C:\\Program Files\\OldSuite\r\n");
    machine.Text("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "av",
                 "C:\\WINDOWS\\avserve.exe");
    scan::StartScan(session, frontEnd, {scan::ScanAutoRun | scan::ScanTrojans, false, false});
    ASSERT_EQ(frontEnd.Messages.size(), 1u);
    EXPECT_THAT(frontEnd.Messages[0], ::testing::StartsWith("Error in VirusLocFilePath\n"));
    ASSERT_EQ(machine.State.ScanResults.Count(), 1);
    EXPECT_EQ(machine.State.ScanResults[1].TrojanName, "Sasser");
    ASSERT_EQ(session.Exclusions.Count(), 1);
    EXPECT_EQ(session.Exclusions[1], "C:\\Program Files\\OldSuite");
    EXPECT_EQ(frontEnd.Resets, 1);
    EXPECT_EQ(frontEnd.Finished, 1);
    // The engine is left stopped and the shortcut step closed until the next scan.
    EXPECT_TRUE(machine.State.StopRequested);
    EXPECT_TRUE(session.ScanHalted);
}

TEST_F(ControllerTest, AMissingDefinitionFileIsToldWhenTrojansAreSearched) {
    folder.Write("TrojanDef.ini", "avserve.exe;Sasser\r\n");
    scan::StartScan(session, frontEnd, {scan::ScanAutoRun, false, false});
    EXPECT_TRUE(frontEnd.Messages.empty());  // no trojan search: nothing missed
    scan::StartScan(session, frontEnd, {scan::ScanTrojans, false, false});
    ASSERT_EQ(frontEnd.Messages.size(), 1u);
    EXPECT_EQ(frontEnd.Messages[0], "The definition file " + folder.File("TrojanLock.ini") +
                                        " is missing: the search for registry trojans cannot "
                                        "find what it describes.");
}

TEST_F(ControllerTest, ShortcutScanRunsAfterTheRegistryScanUnlessCancelled) {
    LnkSpec link;
    link.Info = LnkLinkInfo{};
    link.Info->LocalBase = "C:\\Program Files\\Gone\\gone.exe";
    machine.Probes.AddFile("C:\\Users\\Public\\Desktop\\Gone.lnk", BuildLnk(link));
    scan::StartScan(session, frontEnd, {0, false, true});
    EXPECT_THAT(frontEnd.Shortcuts, ::testing::ElementsAre("C:\\Users\\Public\\Desktop\\Gone"));
    EXPECT_EQ(session.Shortcuts.Count(), 1);

    // Cancel during the registry scan keeps the shortcut scan from starting.
    frontEnd.Shortcuts.clear();
    machine.Key("HKEY_CURRENT_USER\\Software");
    machine.State.YieldHook = [this] { scan::CancelScan(session); };
    scan::StartScan(session, frontEnd, {scan::ScanAll, false, true});
    EXPECT_TRUE(frontEnd.Shortcuts.empty());
    EXPECT_EQ(session.Shortcuts.Count(), 0);
    EXPECT_TRUE(frontEnd.DoneCalls.back().Canceled);
}

}  // namespace
}  // namespace hivewarden::testing

namespace hivewarden::testing {
namespace {

// The count known before a scan is the count the scan then reads, in both modes; the estimate
// reads the branches' first levels and their subkey counts only.
TEST_F(ControllerTest, TheKeysCountedBeforehandAreTheKeysTheScanReads) {
    machine.Text(kAppPaths, "", "C:\\Program Files\\Tool\\tool.exe")
        .Text(std::string(kAppPaths) + "\\Deeper\\Still", "x", "y")
        .Text("HKEY_CURRENT_USER\\Software\\Vendor\\A\\B\\C", "x", "C:\\gone.exe")
        .Text("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "r",
              "C:\\gone\\run.exe");
    struct Case {
        const char* Name;
        std::int32_t Options;
    };
    const Case kCases[] = {
        {"the whole registry", scan::ScanAll},
        {"one category's branches", scan::ScanAppPaths},
        {"two categories", scan::ScanAppPaths | scan::ScanAutoRun},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        const std::uint64_t counted =
            scan::KeysToScan(machine.Access, c.Options, scan::KeyCountMode::Exact);
        Run(c.Options);
        EXPECT_EQ(machine.State.KeysVisited, counted);
        EXPECT_GT(counted, 0u);
        const std::uint64_t estimated =
            scan::KeysToScan(machine.Access, c.Options, scan::KeyCountMode::Estimate);
        EXPECT_GT(estimated, 0u);
        EXPECT_LE(estimated, counted);
    }
}

}  // namespace
}  // namespace hivewarden::testing
