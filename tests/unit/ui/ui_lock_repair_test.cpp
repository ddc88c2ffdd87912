// A trojan lock finding in the window, through the scripted window: with the shipped
// TrojanLock.ini, a hijacked Winlogon Userinit starts as Change Value with the data Windows
// ships in its Fixed Value cell, choosing Change Value again offers that data for editing,
// and Repair writes it back exactly.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/raw_values.h"
#include "support/window_machine.h"

namespace hivewarden::testing {
namespace {

using ui::Control;

constexpr const char* kWinlogon =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kWinlogonBelowRoot =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kShipped = "C:\\Windows\\system32\\userinit.exe,";

class LockRepairWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::copy_file(HW_TEST_DATA "/../../data/TrojanLock.ini",
                                   m.Program.HostPath("TrojanLock.ini"));
        m.Text(kWinlogon, "Userinit",
               "C:\\Windows\\system32\\userinit.exe,C:\\Windows\\system32\\sdra64.exe,");
        m.Start();
        m.Window.Next();
        m.CheckOnly({Control::chkVirus});
        m.Window.Next();
        ASSERT_EQ(m.Window.Results.RowCount(), 1);
    }

    WindowMachine m;
};

TEST_F(LockRepairWindow, TheRowProposesTheShippedValueAndRepairRestoresIt) {
    const scan::ResultRow& row = m.Window.Results.Row(1);
    EXPECT_EQ(row.ErrorKind, "Warning: Zbot virus - sdra64.exe");
    EXPECT_EQ(row.Correction, "Change Value");
    EXPECT_EQ(row.FixedValue, kShipped);

    m.Window.Next();  // the backup-name page
    m.Window.Next();  // the repair
    ASSERT_TRUE(m.Window.LastRepair.has_value());
    EXPECT_EQ(m.Window.LastRepair->Changed, 1);
    registry::RawValue value;
    ASSERT_TRUE(m.Access.ReadRaw(registry::kLocalMachine, kWinlogonBelowRoot, "Userinit", value));
    EXPECT_EQ(value, SzValue(kShipped));
}

TEST_F(LockRepairWindow, ChoosingChangeValueAgainOffersTheShippedValueForEditing) {
    m.View.SelectedRow = 1;
    m.Window.EditRequested(1, scan::kColumnCorrection);
    m.View.ChooserChoice = "Delete";
    m.Window.ActionChosen();
    EXPECT_EQ(m.Window.Results.Row(1).FixedValue, "");

    m.Window.EditRequested(1, scan::kColumnCorrection);
    m.View.ChooserChoice = "Change Value";
    m.View.InputAnswers = {std::string("D:\\WINNT\\system32\\userinit.exe,")};
    m.Window.ActionChosen();
    EXPECT_EQ(m.View.LastInputInitial, kShipped);
    EXPECT_EQ(m.Window.Results.Row(1).Correction, "Change Value");
    EXPECT_EQ(m.Window.Results.Row(1).FixedValue, "D:\\WINNT\\system32\\userinit.exe,");
}

}  // namespace
}  // namespace hivewarden::testing
