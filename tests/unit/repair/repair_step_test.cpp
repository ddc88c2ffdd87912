// The results pages' repair step: the grid rows' actions become marks, marked rows leave the
// grid, the repair runs with a backup named after the page's box, Done moves the wizard on,
// and the marked shortcut files are deleted after one question. A failed backup puts the grid
// and the marks back and touches no file.
#include "repair/repair_step.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/registry_snapshot.h"
#include "support/repair_machine.h"

namespace hivewarden::testing {
namespace {

using ::testing::ElementsAre;

constexpr const char* kApp = "HKEY_CURRENT_USER\\Software\\Vendor\\App";

scan::ResultRow Row(std::string icon, std::string action, std::int32_t index,
                    std::string fixedValue = {}) {
    scan::ResultRow row;
    row.IconKey = std::move(icon);
    row.Correction = std::move(action);
    row.Index = index;
    row.FixedValue = std::move(fixedValue);
    row.Body = "row " + std::to_string(index);
    row.IsShortcut = row.IconKey == "Shortcut";
    return row;
}

class RepairStep : public ::testing::Test {
protected:
    RepairStep() {
        m.Text(kApp, "del", "C:\\a.exe")
            .Text(kApp, "chg", "C:\\b.exe")
            .Text(kApp, "nochg", "C:\\c.exe")
            .Text(kApp, "ign", "C:\\d.exe");
        m.ValueFinding(kApp, "del", false);
        m.ValueFinding(kApp, "chg", false);
        m.ValueFinding(kApp, "nochg", false);
        // Set to CHANGE VALUE with a new value earlier, then back to IGNORE.
        m.ValueFinding(kApp, "ign", false).FixedValue = "C:\\picked.exe";
        for (const char* link : {"C:\\Links\\one", "C:\\Links\\two"}) {
            scan::ShortcutEntry& entry = shortcuts.Grow();
            entry.LinkPath = link;
            entry.LinkIndex = shortcuts.Count();
            m.Probes.AddFile(std::string(link) + ".lnk");
        }
        grid.Rows = {
            Row("File", "Delete", 1),
            Row("Shortcut", "Ignore", 1),
            Row("File", "Change Value", 2, "C:\\New\\b.exe"),
            Row("File", "Change Value", 3),
            Row("Shortcut", "delete", 2),
            Row("File", "Ignore", 4, "C:\\picked.exe"),
        };
    }

    repair::RepairStepContext Context(std::string folder) {
        return {m.State,
                m.Access,
                grid,
                shortcuts,
                std::move(folder),
                "4-12-2026-21-5",
                [this](bool canceled, int task) {
                    done.push_back({canceled, task});
                },
                [this](std::string_view question) {
                    questions.push_back(std::string(question));
                    return true;
                },
                {}};
    }

    RepairMachine m;
    scan::ResultGrid grid;
    scan::ShortcutResults shortcuts;
    std::vector<std::pair<bool, int>> done;
    std::vector<std::string> questions;
};

TEST_F(RepairStep, RowsBecomeMarksAndMarkedRowsLeaveTheGrid) {
    const repair::GridMarks marks = repair::CopyGridActions(grid, m.State, shortcuts);
    EXPECT_EQ(marks.RegistryRowsMarked, 2);
    EXPECT_EQ(marks.ShortcutRowsMarked, 1);
    std::vector<std::string> left;
    for (const auto& row : grid.Rows) left.push_back(row.Body);
    EXPECT_THAT(left, ElementsAre("row 1", "row 3", "row 4"));  // shortcut 1, no-value, ignore
    EXPECT_TRUE(m.State.ScanResults[1].DeleteMark);
    EXPECT_EQ(m.State.ScanResults[2].FixedValue, "C:\\New\\b.exe");
    EXPECT_FALSE(m.State.ScanResults[3].DeleteMark);
    EXPECT_EQ(m.State.ScanResults[3].FixedValue, "");
    EXPECT_EQ(m.State.ScanResults[4].FixedValue, "");
    EXPECT_FALSE(shortcuts[1].RemoveMark);
    EXPECT_TRUE(shortcuts[2].RemoveMark);
}

TEST_F(RepairStep, RepairsBacksUpAndThenAsksAboutShortcuts) {
    repair::RepairStepContext context = Context(m.Folder.Folder());
    const repair::RepairStepResult result = repair::RunRepairStep(context);
    ASSERT_TRUE(result.Repair.Ok()) << result.Repair.Error->Message;
    EXPECT_EQ(m.State.BackupPath, m.Folder.File("4-12-2026-21-5.reg"));
    EXPECT_THAT(m.Folder.Read("4-12-2026-21-5.reg"),
                ::testing::HasSubstr("\"del\"=\"C:\\\\a.exe\""));
    EXPECT_FALSE(m.HasValue(kApp, "del"));
    registry::RawValue value;
    ASSERT_TRUE(m.HasValue(kApp, "chg", &value));
    EXPECT_EQ(value, SzValue("C:\\New\\b.exe"));
    ASSERT_TRUE(m.HasValue(kApp, "ign", &value));
    EXPECT_EQ(value, SzValue("C:\\d.exe"));
    EXPECT_TRUE(m.HasValue(kApp, "nochg"));
    EXPECT_THAT(done, ElementsAre(std::pair<bool, int>{false, 2}));
    EXPECT_THAT(questions, ElementsAre(std::string(scan::kRemoveShortcutsQuestion)));
    EXPECT_THAT(result.Shortcuts.Deleted, ElementsAre(2));
    EXPECT_FALSE(m.Probes.FileExists("C:\\Links\\two.lnk"));
    EXPECT_TRUE(m.Probes.FileExists("C:\\Links\\one.lnk"));
    EXPECT_EQ(grid.RowCount(), 3);
}

TEST_F(RepairStep, AFailedBackupPutsEverythingBack) {
    const std::vector<scan::ResultRow> rowsBefore = grid.Rows;
    const engine::ScanResultList entriesBefore = m.State.ScanResults;
    const RegistrySnapshot registryBefore = Snapshot(m.Store);
    // The program folder is a regular file: the backup cannot be created.
    repair::RepairStepContext context = Context(m.Folder.Write("plain", "x") + "/");
    const repair::RepairStepResult result = repair::RunRepairStep(context);
    ASSERT_FALSE(result.Repair.Ok());
    EXPECT_THAT(result.Repair.Error->Message, ::testing::HasSubstr("4-12-2026-21-5.reg"));
    EXPECT_EQ(grid.Rows, rowsBefore);
    for (std::int32_t i = 1; i <= entriesBefore.Count(); ++i) {
        EXPECT_EQ(m.State.ScanResults[i], entriesBefore[i]) << i;
    }
    EXPECT_FALSE(shortcuts[2].RemoveMark);
    EXPECT_EQ(Snapshot(m.Store), registryBefore);
    EXPECT_THAT(done, ElementsAre(std::pair<bool, int>{false, 2}));
    EXPECT_TRUE(questions.empty());
    EXPECT_TRUE(m.Probes.FileExists("C:\\Links\\two.lnk"));
}

TEST_F(RepairStep, RowsWithUnknownIndexesAreLeftAlone) {
    grid.Rows = {Row("File", "Delete", 99), Row("Shortcut", "Delete", 0)};
    const repair::GridMarks marks = repair::CopyGridActions(grid, m.State, shortcuts);
    EXPECT_EQ(marks.RegistryRowsMarked + marks.ShortcutRowsMarked, 0);
    EXPECT_EQ(grid.RowCount(), 2);
}

}  // namespace
}  // namespace hivewarden::testing
