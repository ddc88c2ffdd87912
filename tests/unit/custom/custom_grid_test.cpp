// The custom-search grid model: the rows hits become, the action chooser, the bulk actions,
// the polling tick, the repair page's count and proposed name, the marks on CustomHits, and
// the custom repair they lead to.
#include "custom/custom_grid.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "custom/custom_repair_page.h"
#include "custom/custom_search.h"
#include "engine/scan_state.h"
#include "support/fake_machine.h"
#include "support/local_time.h"
#include "support/raw_values.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

using custom::CustomGrid;
using custom::CustomRow;
using engine::CustomHit;

CustomHit ValueHit(std::int32_t index, std::string matched, std::string data) {
    CustomHit hit;
    hit.EntryKind = engine::kValueEntry;
    hit.RootKey = registry::kCurrentUser;
    hit.Location = "HKEY_CURRENT_USER\\Software\\A\\v" + std::to_string(index);
    hit.Index = index;
    hit.MatchedText = std::move(matched);
    hit.ItemData = std::move(data);
    hit.ItemName = "v" + std::to_string(index);
    return hit;
}

CustomHit KeyHit(std::int32_t index, std::string matched) {
    CustomHit hit;
    hit.EntryKind = engine::kKeyEntry;
    hit.RootKey = registry::kLocalMachine;
    hit.Location = "HKEY_LOCAL_MACHINE\\Software\\Run" + std::to_string(index);
    hit.Index = index;
    hit.MatchedText = std::move(matched);
    return hit;
}

// CustomHits holding the given hits at 1 ... N.
engine::CustomHitList HitList(const std::vector<CustomHit>& hits) {
    engine::CustomHitList list;
    for (const CustomHit& hit : hits) list.Grow() = hit;
    return list;
}

CustomGrid GridOf(const std::vector<CustomHit>& hits, std::string_view replaceText) {
    CustomGrid grid;
    grid.AddHitsToGrid(hits, replaceText);
    return grid;
}

TEST(CustomGrid, RowsShowTheHitAsTheGridDoes) {
    const CustomRow value = custom::MakeCustomRow(ValueHit(3, "run", "C:\\x.exe; /q"), "new");
    EXPECT_EQ(value, (CustomRow{"Value", "Replace", "String Found (run) - C:\\x.exe; /q", 3, "new",
                                "HKEY_CURRENT_USER\\Software\\A\\v3"}));

    const CustomRow key = custom::MakeCustomRow(KeyHit(4, "Run"), "");
    EXPECT_EQ(key, (CustomRow{"Key", "Replace", "String Found (Run)", 4, "",
                              "HKEY_LOCAL_MACHINE\\Software\\Run4"}));

    // A value hit with empty data still shows the separator.
    EXPECT_EQ(custom::HitDescription(ValueHit(1, "x", "")), "String Found (x) - ");
}

TEST(CustomGrid, CellTextsByColumnPosition) {
    const CustomRow row{"Value", "Replace by", "String Found (a) - b", 12, "z", "HKEY_X\\k\\v"};
    const std::vector<std::string> expected = {
        "", "Replace by", "String Found (a) - b", "12", "z", "HKEY_X\\k\\v", ""};
    for (std::int32_t column = 1; column <= 7; ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(custom::CustomCellText(row, column),
                  expected[static_cast<std::size_t>(column - 1)]);
    }
}

TEST(CustomGrid, KeyRowsOfferOnlyIgnoreAndDelete) {
    const CustomGrid grid = GridOf({KeyHit(1, "a"), ValueHit(2, "a", "a")}, "");
    using V = std::vector<std::string_view>;
    EXPECT_EQ(custom::OfferedCustomActions(grid.Row(1)), (V{"Ignore", "Delete"}));
    EXPECT_EQ(custom::OfferedCustomActions(grid.Row(2)),
              (V{"Ignore", "Delete", "Replace", "Replace by"}));
}

TEST(CustomGrid, ChooserChoicesSetActionAndFixed) {
    struct Case {
        const char* name;
        bool keyRow;
        std::string choice;
        std::string answer;  // what the "Replace by" question answers
        bool accepted;
        std::string action;
        std::string fixed;
        int questions;
    };
    const Case kCases[] = {
        {"Replace takes the page-wide text", false, "Replace", "", true, "Replace", "page", 0},
        {"Replace by takes the answer", false, "Replace by", "mine", true, "Replace by", "mine", 1},
        {"Replace by answered empty is Ignore", false, "Replace by", "", true, "Ignore", "", 1},
        {"Delete empties Fixed", false, "Delete", "", true, "Delete", "", 0},
        {"Ignore empties Fixed", false, "Ignore", "", true, "Ignore", "", 0},
        {"upper-case choice, offered spelling kept", false, "DELETE", "", true, "Delete", "", 0},
        {"a key row deletes", true, "Delete", "", true, "Delete", "", 0},
        {"a key row cannot replace", true, "Replace", "", false, "Replace by", "old", 0},
        {"a key row cannot replace by", true, "Replace by", "x", false, "Replace by", "old", 0},
        {"unknown choice", false, "Change Value", "", false, "Replace by", "old", 0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        CustomGrid grid = GridOf({c.keyRow ? KeyHit(1, "a") : ValueHit(1, "a", "a")}, "");
        grid.Row(1).Action = "Replace by";
        grid.Row(1).Fixed = "old";
        int questions = 0;
        const bool accepted = grid.ChooseAction(1, c.choice, "page", [&] {
            ++questions;
            return c.answer;
        });
        EXPECT_EQ(accepted, c.accepted);
        EXPECT_EQ(grid.Row(1).Action, c.action);
        EXPECT_EQ(grid.Row(1).Fixed, c.fixed);
        EXPECT_EQ(questions, c.questions);
    }
}

TEST(CustomGrid, ChoiceForARowThatDoesNotExistChangesNothing) {
    CustomGrid grid = GridOf({ValueHit(1, "a", "a")}, "t");
    const CustomGrid before = grid;
    EXPECT_FALSE(grid.ChooseAction(0, "Delete", "", nullptr));
    EXPECT_FALSE(grid.ChooseAction(2, "Delete", "", nullptr));
    EXPECT_EQ(grid.Rows, before.Rows);
}

TEST(CustomGrid, ReplaceAllAndIgnoreAllTouchEveryRow) {
    CustomGrid grid = GridOf({ValueHit(1, "a", "a"), KeyHit(2, "a"), ValueHit(3, "a", "a")}, "x");
    grid.ChooseAction(1, "Delete", "x", nullptr);

    grid.IgnoreAll();
    for (const CustomRow& row : grid.Rows) {
        EXPECT_EQ(row.Action, "Ignore");
        EXPECT_EQ(row.Fixed, "");
    }
    EXPECT_EQ(grid.CountRowsToRepair(), 0);

    grid.ReplaceAll("later text");
    for (const CustomRow& row : grid.Rows) {
        EXPECT_EQ(row.Action, "Replace");
        EXPECT_EQ(row.Fixed, "later text");
    }
    EXPECT_EQ(grid.CountRowsToRepair(), 3);
}

TEST(CustomGrid, RepairCountSkipsOnlyIgnoredRows) {
    CustomGrid grid = GridOf(
        {ValueHit(1, "a", "a"), ValueHit(2, "a", "a"), KeyHit(3, "a"), ValueHit(4, "a", "a")}, "");
    grid.ChooseAction(2, "Ignore", "", nullptr);
    grid.ChooseAction(3, "Delete", "", nullptr);
    grid.Row(4).Action = "iGnOrE";  // compared in upper case
    // Row 1 is "Replace" with an empty replace text: it counts, though it changes nothing.
    EXPECT_EQ(grid.CountRowsToRepair(), 2);
}

TEST(CustomGrid, PollingTickHandsOverNewHitsWithTheCurrentReplaceText) {
    engine::ScanState state;
    state.ProgressPercent = 0;
    CustomGrid grid;

    EXPECT_FALSE(custom::CheckForNewCustomTick(state, grid, "a"));  // nothing yet
    EXPECT_EQ(grid.RowCount(), 0);

    state.CustomHits.Grow() = ValueHit(1, "x", "1");
    state.CustomHits.Grow() = KeyHit(2, "x");
    EXPECT_FALSE(custom::CheckForNewCustomTick(state, grid, "first"));
    EXPECT_EQ(state.ShownCount, 2);

    state.CustomHits.Grow() = ValueHit(3, "x", "3");
    state.ProgressPercent = 100;
    EXPECT_TRUE(custom::CheckForNewCustomTick(state, grid, "second"));

    ASSERT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.Row(1).Fixed, "first");
    EXPECT_EQ(grid.Row(2).Fixed, "first");
    EXPECT_EQ(grid.Row(3).Fixed, "second");
    EXPECT_EQ(grid.Row(3).Index, 3);
    EXPECT_EQ(state.ShownCount, 3);

    // A tick with nothing new, after the end: no rows, the timer is not told to stop again.
    EXPECT_FALSE(custom::CheckForNewCustomTick(state, grid, "third"));
    EXPECT_EQ(grid.RowCount(), 3);
}

TEST(CustomGrid, PollingTickStoresTheCountAlsoWhenNothingIsNew) {
    engine::ScanState state;
    state.CustomHits.Grow() = ValueHit(1, "x", "1");
    state.ShownCount = 5;  // more than there are: nothing to hand over
    CustomGrid grid;
    EXPECT_FALSE(custom::CheckForNewCustomTick(state, grid, ""));
    EXPECT_EQ(grid.RowCount(), 0);
    EXPECT_EQ(state.ShownCount, 1);
}

TEST(CustomGrid, MarksFollowTheRowsActions) {
    const std::vector<CustomHit> hits = {
        ValueHit(1, "a", "a"), ValueHit(2, "a", "a"), ValueHit(3, "a", "a"), ValueHit(4, "a", "a"),
        KeyHit(5, "a"),        KeyHit(6, "a"),        ValueHit(7, "a", "a")};
    CustomGrid grid = GridOf(hits, "page");
    grid.ChooseAction(2, "Delete", "page", nullptr);
    grid.ChooseAction(3, "Ignore", "page", nullptr);
    grid.ChooseAction(4, "Replace by", "page", [] { return std::string("own"); });
    grid.ChooseAction(6, "Delete", "page", nullptr);
    grid.Row(7).Fixed = "";  // "Replace" with no replace text
    engine::CustomHitList list = HitList(hits);

    custom::MarkCustomHits(grid, list);

    struct Expect {
        bool deleteMark;
        std::string replaceText;
    };
    const Expect kExpected[] = {
        {false, "page"},  // Replace
        {true, ""},       // Delete
        {false, ""},      // Ignore
        {false, "own"},   // Replace by
        {false, ""},      // a key row left at "Replace" never gets a replace text
        {true, ""},       // a key row to delete
        {false, ""},      // Replace with empty text: unmarked, changes nothing
    };
    for (std::int32_t i = 1; i <= list.Count(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list[i].DeleteMark, kExpected[i - 1].deleteMark);
        EXPECT_EQ(list[i].ReplaceText, kExpected[i - 1].replaceText);
    }
}

TEST(CustomGrid, MarksFindTheirHitByIndexWhateverTheRowOrder) {
    const std::vector<CustomHit> hits = {ValueHit(1, "a", "a"), ValueHit(2, "a", "a")};
    CustomGrid grid = GridOf(hits, "");
    grid.ChooseAction(1, "Delete", "", nullptr);
    std::swap(grid.Rows[0], grid.Rows[1]);
    grid.Rows.push_back(custom::MakeCustomRow(ValueHit(9, "a", "a"), "x"));  // no such hit
    engine::CustomHitList list = HitList(hits);

    custom::MarkCustomHits(grid, list);

    EXPECT_TRUE(list[1].DeleteMark);
    EXPECT_FALSE(list[2].DeleteMark);
    EXPECT_EQ(list.Count(), 2);
}

TEST(CustomRepairPage, ProposedNameIsDayMonthYearHourMinuteWithoutLeadingZeros) {
    EXPECT_EQ(custom::ProposedCustomBackupName(LocalTime(4, 12, 2026, 21, 5, 3)), "4-12-2026-21-5");
    EXPECT_EQ(custom::ProposedCustomBackupName(LocalTime(31, 1, 2027, 0, 0, 59)), "31-1-2027-0-0");
}

TEST(CustomRepairPage, SetUpCountsRowsAndProposesAName) {
    CustomGrid grid = GridOf({ValueHit(1, "a", "a"), KeyHit(2, "a"), ValueHit(3, "a", "a")}, "");
    grid.ChooseAction(3, "Ignore", "", nullptr);

    const custom::CustomRepairPreview preview =
        custom::PrepareCustomRepairPage(grid, LocalTime(1, 2, 2026, 3, 4, 5));

    EXPECT_EQ(preview.Count, 2);
    EXPECT_EQ(preview.Caption, "Kestovar Hivewarden will repair 2 errors.");
    EXPECT_EQ(preview.BackupName, "1-2-2026-3-4");

    grid.IgnoreAll();
    const custom::CustomRepairPreview none =
        custom::PrepareCustomRepairPage(grid, LocalTime(1, 2, 2026, 3, 4, 5));
    EXPECT_EQ(none.Count, 0);
    EXPECT_EQ(none.Caption, "");
    EXPECT_EQ(none.BackupName, "");
}

TEST(CustomRepairPage, StartMarksTheHitsAndNamesTheBackupFile) {
    engine::ScanState state;
    state.CustomHits.Grow() = ValueHit(1, "a", "a");
    state.CustomHits.Grow() = KeyHit(2, "a");
    CustomGrid grid;
    grid.AddHitsToGrid({state.CustomHits.begin(), state.CustomHits.end()}, "new");
    grid.ChooseAction(2, "Delete", "new", nullptr);

    custom::StartCustomRepair(grid, state, "/opt/hw/", "4-12-2026-21-5");

    EXPECT_EQ(state.BackupPath, "/opt/hw/4-12-2026-21-5.reg");
    EXPECT_EQ(state.CustomHits[1].ReplaceText, "new");
    EXPECT_FALSE(state.CustomHits[1].DeleteMark);
    EXPECT_TRUE(state.CustomHits[2].DeleteMark);
}

// A search over a small machine, rows chosen as a user would, and the custom repair.
class CustomRepairRun : public ::testing::Test {
  protected:
    CustomRepairRun() {
        m_.Text("HKEY_CURRENT_USER\\Software\\Acme", "Path", "C:\\Acme\\acme.exe")
            .Text("HKEY_CURRENT_USER\\Software\\Acme", "Keep", "acme keeps")
            .Number("HKEY_CURRENT_USER\\Software\\Acme", "AcmeLevel", 7)
            .Text("HKEY_CURRENT_USER\\Software\\Acme\\AcmeSub", "Other", "acme")
            .Text("HKEY_LOCAL_MACHINE\\Software\\AcmeOld", "v", "x");
        struct : custom::SearchFrontEnd {
            void SetPollingTimer(bool) override {}
            void Done(bool, int) override {}
        } frontEnd;
        custom::CustomSearch search(m_.State, m_.Access);
        custom::RunCustomSearch(search, frontEnd, {"acme"});
        custom::CheckForNewCustomTick(m_.State, grid_, "");
    }

    // The row of the hit at this location.
    std::int32_t RowOf(std::string_view location) const {
        for (std::int32_t r = 1; r <= grid_.RowCount(); ++r) {
            if (grid_.Row(r).Body == location) return r;
        }
        ADD_FAILURE() << "no row for " << location;
        return 0;
    }

    repair::RepairResult Repair() {
        custom::CustomRepairContext context{m_.State,
                                            m_.Access,
                                            tmp_.Folder(),
                                            "1-2-2026-3-4",
                                            [this](bool canceled, std::int32_t task) {
                                                doneCalls_.push_back({canceled, task});
                                            },
                                            {}};
        return custom::RunCustomRepairStep(grid_, context);
    }

    std::string Data(std::string_view key, std::string_view name) {
        return m_.Access.QueryValue(registry::kCurrentUser, key, name, registry::kTextKind);
    }

    FakeMachine m_;
    TempFolder tmp_;
    CustomGrid grid_;
    std::vector<std::pair<bool, std::int32_t>> doneCalls_;
};

TEST_F(CustomRepairRun, RowsBecomeDeletionsAndReplacementsAfterABackup) {
    ASSERT_EQ(grid_.RowCount(), 7);  // 3 keys (Acme, AcmeSub, AcmeOld) and 4 values
    const std::string acme = "HKEY_CURRENT_USER\\Software\\Acme";
    grid_.IgnoreAll();
    grid_.ChooseAction(RowOf(acme + "\\Path"), "Replace by", "",
                       [] { return std::string("D:\\New\\acme.exe"); });
    grid_.ChooseAction(RowOf(acme + "\\AcmeLevel"), "Replace", "twelve", nullptr);
    grid_.ChooseAction(RowOf(acme + "\\AcmeSub"), "Delete", "", nullptr);

    const repair::RepairResult result = Repair();

    ASSERT_TRUE(result.Ok()) << result.Error->Message;
    EXPECT_EQ(m_.State.BackupPath, tmp_.File("1-2-2026-3-4.reg"));
    EXPECT_EQ(tmp_.Read("1-2-2026-3-4.reg").rfind("REGEDIT4\r\n", 0), 0u);
    EXPECT_EQ(Data("Software\\Acme", "Path"), "D:\\New\\acme.exe");
    // A number value replaced becomes a text value.
    registry::RawValue level;
    ASSERT_TRUE(m_.Access.ReadRaw(registry::kCurrentUser, "Software\\Acme", "AcmeLevel", level));
    EXPECT_EQ(level, SzValue("twelve"));
    EXPECT_EQ(Data("Software\\Acme", "Keep"), "acme keeps");  // ignored
    EXPECT_FALSE(m_.Access.KeyExists(registry::kCurrentUser, "Software\\Acme\\AcmeSub"));
    EXPECT_EQ(doneCalls_, (std::vector<std::pair<bool, std::int32_t>>{{false, 2}}));
}

TEST_F(CustomRepairRun, ReplaceRowsWithoutTextAndKeyRowsLeftAtReplaceChangeNothing) {
    // Every row as it was added: "Replace" with an empty page-wide replace text; then the key
    // rows get a replace text as "Replace All" would give them.
    grid_.ReplaceAll("");
    for (CustomRow& row : grid_.Rows) {
        if (row.ImageKey == custom::kImageKey) row.Fixed = "text on a key";
    }
    EXPECT_EQ(custom::PrepareCustomRepairPage(grid_, LocalTime(1, 2, 2026, 3, 4, 5)).Count, 7);

    const repair::RepairResult result = Repair();

    ASSERT_TRUE(result.Ok()) << result.Error->Message;
    EXPECT_EQ(result.Changed, 0);
    EXPECT_TRUE(m_.Access.KeyExists(registry::kCurrentUser, "Software\\Acme"));
    EXPECT_TRUE(m_.Access.KeyExists(registry::kCurrentUser, "Software\\Acme\\AcmeSub"));
    EXPECT_TRUE(m_.Access.KeyExists(registry::kLocalMachine, "Software\\AcmeOld"));
    EXPECT_EQ(Data("Software\\Acme", "Path"), "C:\\Acme\\acme.exe");
    EXPECT_EQ(m_.Access.QueryNumber(registry::kCurrentUser, "Software\\Acme", "AcmeLevel"), 7);
    for (const CustomHit& hit : m_.State.CustomHits) {
        EXPECT_FALSE(hit.DeleteMark);
        EXPECT_EQ(hit.ReplaceText, "");
    }
    EXPECT_EQ(tmp_.Read("1-2-2026-3-4.reg"), "REGEDIT4\r\n\r\n");
}

}  // namespace
}  // namespace hivewarden::testing
