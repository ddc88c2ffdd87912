// The results grid model: row kinds, counters, sorting, bulk actions and the timer's tick.
#include "scan/results/result_rows.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "text/text.h"

namespace hivewarden::testing {
namespace {

using namespace scan;
using engine::ErrorEntry;

ErrorEntry Value(std::function<void(ErrorEntry&)> set) {
    ErrorEntry e;
    e.EntryKind = engine::kValueEntry;
    e.PathKind = engine::kFilePath;
    e.TargetPath = "C:\\Gone\\x.dll";
    e.KeyPath = "HKEY_LOCAL_MACHINE\\Software\\Vendor";
    e.Index = 42;
    set(e);
    return e;
}

struct KindCase {
    const char* name;
    ErrorEntry entry;
    RowKind kind;
    std::string description;
    std::string icon;
    std::int32_t canChange;
    std::string action;
    std::map<Counter, std::int32_t> counters;  // the counters that are not 0
};

const std::string kTarget = "C:\\Gone\\x.dll";

std::vector<KindCase> KindCases() {
    using C = Counter;
    return {
        {"excluded value",
         Value([](ErrorEntry& e) { e.TargetPath = "C:\\Skip\\a.dll"; }),
         RowKind::Excluded,
         "Ignore by the user filter - C:\\Skip\\a.dll",
         "Ignore",
         3,
         "Ignore",
         {}},
        {"excluded wins over every flag",
         Value([](ErrorEntry& e) {
             e.TargetPath = "c:\\skip\\b.dll";
             e.IsSharedDll = e.IsTrojan = e.IsEmptyKey = true;
         }),
         RowKind::Excluded,
         "Ignore by the user filter - c:\\skip\\b.dll",
         "Ignore",
         3,
         "Ignore",
         {}},
        {"shared dll",
         Value([](ErrorEntry& e) { e.IsSharedDll = true; }),
         RowKind::SharedDll,
         "Dll file doesn't exist - " + kTarget,
         "Dll",
         1,
         "Delete",
         {{C::Shared, 1}, {C::TotalProblems, 1}}},
        {"shared dll that is also a start-up entry",
         Value([](ErrorEntry& e) { e.IsSharedDll = e.IsAutoRun = true; }),
         RowKind::SharedDll,
         "Dll file doesn't exist - " + kTarget,
         "Dll",
         1,
         "Ignore",
         {{C::Shared, 1}, {C::TotalProblems, 1}}},
        {"help file",
         Value([](ErrorEntry& e) { e.IsHelp = e.IsTrojan = true; }),
         RowKind::Help,
         "Help file doesn't exist - " + kTarget,
         "Help",
         1,
         "Delete",
         {{C::Help, 1}, {C::TotalProblems, 1}}},
        {"empty key",
         Value([](ErrorEntry& e) {
             e.EntryKind = engine::kKeyEntry;
             e.IsEmptyKey = true;
             e.TargetPath = "";
             e.KeyPath = "HKEY_CURRENT_USER\\Software\\Old";
         }),
         RowKind::EmptyKey,
         "The Key is empty",
         "Empty",
         0,
         "Delete",
         {{C::Empty, 1}, {C::TotalProblems, 1}}},
        {"empty class key ending in a brace",
         Value([](ErrorEntry& e) {
             e.EntryKind = engine::kKeyEntry;
             e.IsEmptyKey = true;
             e.TargetPath = "C:\\Skip\\looks excluded";
             e.KeyPath = "HKEY_CLASSES_ROOT\\CLSID\\{0000}";
         }),
         RowKind::EmptyKey,
         "The Key is empty (Expert)",
         "Empty",
         0,
         "Delete",
         {{C::Empty, 1}, {C::TotalProblems, 1}}},
        {"shell32",
         Value([](ErrorEntry& e) { e.IsShell32 = e.IsComServer = true; }),
         RowKind::Shell32,
         "Shell32 (Experts) - " + kTarget,
         "Uninstall",
         1,
         "Delete",
         {{C::Shared, 1}, {C::TotalProblems, 1}}},
        {"com server key",
         Value([](ErrorEntry& e) {
             e.EntryKind = engine::kKeyEntry;
             e.IsComServer = e.IsTrojan = true;
             e.TargetPath = "C:\\Skip\\server.ocx";  // key findings are never excluded
         }),
         RowKind::ComServer,
         "Invalid registered OCX or DLL file - C:\\Skip\\server.ocx",
         "Dll",
         1,
         "Delete",
         {{C::Shared, 1}, {C::TotalProblems, 1}}},
        {"trojan by name",
         Value([](ErrorEntry& e) {
             e.IsTrojan = e.IsSound = true;
             e.TrojanName = "Evil";
         }),
         RowKind::Trojan,
         "Warning: Evil virus - " + kTarget,
         "Virus",
         1,
         "Delete",
         {{C::Trojan, 1}, {C::TotalProblems, 1}}},
        {"locked trojan",
         Value([](ErrorEntry& e) {
             e.IsLockedTrojan = true;
             e.TrojanName = "Lock";
             e.TargetPath = "marker";
             e.PathKind = 0;
         }),
         RowKind::Trojan,
         "Warning: Lock virus - marker",
         "Virus",
         1,
         "Delete",
         {{C::Trojan, 1}, {C::TotalProblems, 1}}},
        {"sound",
         Value([](ErrorEntry& e) { e.IsSound = e.IsAppPath = true; }),
         RowKind::Sound,
         "Invalid Sound entry - " + kTarget,
         "Sound",
         1,
         "Delete",
         {{C::Sounds, 1}, {C::TotalProblems, 1}}},
        {"application path",
         Value([](ErrorEntry& e) { e.IsAppPath = e.IsUninstall = true; }),
         RowKind::AppPath,
         "Invalid Application Path - " + kTarget,
         "Empty",
         2,
         "Delete",
         {{C::Shortcuts, 1}, {C::TotalProblems, 1}}},
        {"uninstall string",
         Value([](ErrorEntry& e) { e.IsUninstall = e.IsDriver = true; }),
         RowKind::Uninstall,
         "Invalid Uninstall String - " + kTarget,
         "Uninstall",
         1,
         "Delete",
         {{C::AddRemove, 1}, {C::TotalProblems, 1}}},
        {"driver",
         Value([](ErrorEntry& e) { e.IsDriver = e.IsAutoRun = true; }),
         RowKind::Driver,
         "Possible Driver Entry - " + kTarget,
         "Dll",
         1,
         "Ignore",
         {{C::Devs, 1}, {C::TotalProblems, 1}}},
        {"start-up program",
         Value([](ErrorEntry& e) { e.IsAutoRun = e.IsFont = true; }),
         RowKind::AutoRun,
         "Autorun Program Entry - " + kTarget,
         "AutoRun",
         1,
         "Ignore",
         {{C::Startup, 1}, {C::TotalProblems, 1}}},
        {"font",
         Value([](ErrorEntry& e) { e.IsFont = true; }),
         RowKind::Font,
         "Invalid Font Entry - " + kTarget,
         "TTF",
         1,
         "Delete",
         {{C::Fonts, 1}, {C::TotalProblems, 1}}},
        {"file not found",
         Value([](ErrorEntry&) {}),
         RowKind::FileNotFound,
         "File not found - " + kTarget,
         "File",
         1,
         "Delete",
         {{C::Shortcuts, 1}, {C::TotalProblems, 1}}},
        {"folder not found",
         Value([](ErrorEntry& e) {
             e.PathKind = engine::kFolderPath;
             e.TargetPath = "C:\\Gone\\";
         }),
         RowKind::FolderNotFound,
         "Folder or Drive not found - C:\\Gone\\",
         "Folder",
         2,
         "Delete",
         {{C::Shortcuts, 1}, {C::TotalProblems, 1}}},
        {"absent drive wins over every category",
         Value([](ErrorEntry& e) {
             e.TargetPath = "E:\\Games\\x.exe";
             e.IsAbsentDrive = e.IsSharedDll = e.IsTrojan = e.IsComServer = true;
         }),
         RowKind::AbsentDrive,
         "Drive not present - E:\\Games\\x.exe",
         "Folder",
         1,
         "Ignore",
         {{C::Shortcuts, 1}, {C::TotalProblems, 1}}},
        {"excluded wins over an absent drive",
         Value([](ErrorEntry& e) {
             e.TargetPath = "c:\\skip\\x.exe";
             e.IsAbsentDrive = true;
         }),
         RowKind::Excluded,
         "Ignore by the user filter - c:\\skip\\x.exe",
         "Ignore",
         3,
         "Ignore",
         {}},
        {"drive not found",
         Value([](ErrorEntry& e) {
             e.PathKind = engine::kDriveRoot;
             e.TargetPath = "Q:\\";
         }),
         RowKind::FolderNotFound,
         "Folder or Drive not found - Q:\\",
         "Folder",
         2,
         "Delete",
         {{C::Shortcuts, 1}, {C::TotalProblems, 1}}},
    };
}

ExclusionList SkipList() {
    ExclusionList list;
    list.Grow() = "c:\\SKIP\\";
    return list;
}

TEST(ResultRows, EachFindingGetsTheFirstRowKindThatHolds) {
    for (const KindCase& c : KindCases()) {
        SCOPED_TRACE(c.name);
        ResultGrid grid;
        grid.AddFindingsToGrid(std::vector<ErrorEntry>{c.entry}, SkipList());
        EXPECT_EQ(ClassifyFinding(c.entry, ExclusionMatcher(SkipList())), c.kind);
        ASSERT_EQ(grid.RowCount(), 1);
        const ResultRow& row = grid.Row(1);
        EXPECT_EQ(row.ErrorKind, c.description);
        EXPECT_EQ(row.IconKey, c.icon);
        EXPECT_EQ(row.CanChange, c.canChange);
        EXPECT_EQ(row.Correction, c.action);
        EXPECT_EQ(row.FixedValue, "");
        EXPECT_EQ(row.Index, 42);
        EXPECT_EQ(row.Body, c.entry.KeyPath);
        EXPECT_FALSE(row.IsShortcut);
        for (const CounterInfo& info : kCounterTable) {
            SCOPED_TRACE(std::string(info.Name));
            const auto it = c.counters.find(info.Id);
            EXPECT_EQ(grid.Counters.Value(info.Id), it == c.counters.end() ? 0 : it->second);
        }
    }
}

// A value whose clean data is known starts as Change Value to that data, unless something that
// leaves it alone comes first; a key has no value to change.
TEST(ResultRows, AKnownCleanValueIsProposedAsChangeValue) {
    struct Case {
        const char* name;
        ErrorEntry entry;
        std::string action;
        std::string fixedValue;
    };
    auto lock = [](std::function<void(ErrorEntry&)> more) {
        return Value([&more](ErrorEntry& e) {
            e.PathKind = engine::kNotAPath;
            e.TargetPath = "sdra64.exe";
            e.IsTrojan = e.IsLockedTrojan = true;
            e.TrojanName = "Zbot";
            e.CleanValue = "C:\\Windows\\system32\\userinit.exe,";
            more(e);
        });
    };
    const Case cases[] = {
        {"lock finding", lock([](ErrorEntry&) {}), "Change Value",
         "C:\\Windows\\system32\\userinit.exe,"},
        {"excluded", lock([](ErrorEntry& e) { e.TargetPath = "c:\\skip\\sdra64.exe"; }),
         "Ignore", ""},
        {"start-up entry", lock([](ErrorEntry& e) { e.IsAutoRun = true; }), "Ignore", ""},
        {"key finding", lock([](ErrorEntry& e) { e.EntryKind = engine::kKeyEntry; }), "Delete",
         ""},
        {"no clean value", lock([](ErrorEntry& e) { e.CleanValue.clear(); }), "Delete", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResultGrid grid;
        grid.AddFindingsToGrid(std::vector<ErrorEntry>{c.entry}, SkipList());
        ASSERT_EQ(grid.RowCount(), 1);
        EXPECT_EQ(grid.Row(1).Correction, c.action);
        EXPECT_EQ(grid.Row(1).FixedValue, c.fixedValue);
        EXPECT_EQ(grid.CountRowsToRepair(), c.action == "Ignore" ? 0 : 1);
    }
}

TEST(ResultRows, TableTriesTheSixteenKindsInOrder) {
    const std::span<const RowKindRule> table = RowKindTable();
    ASSERT_EQ(table.size(), 16u);
    for (std::size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(static_cast<std::size_t>(table[i].Kind), i + 1);
        EXPECT_GE(IconIndex(table[i].IconKey), 0);
        EXPECT_EQ(&RuleFor(table[i].Kind), &table[i]);
    }
}

TEST(ResultRows, EmptyExclusionEntryExcludesEveryValueButNoKey) {
    ExclusionList list;
    list.Grow() = "D:\\elsewhere";
    list.Grow() = "";
    ResultGrid grid;
    const std::vector<ErrorEntry> entries = {
        Value([](ErrorEntry& e) { e.IsHelp = true; }),
        Value([](ErrorEntry& e) {
            e.EntryKind = engine::kKeyEntry;
            e.IsEmptyKey = true;
        }),
        Value([](ErrorEntry& e) { e.TargetPath = "E:\\"; }),
    };
    grid.AddFindingsToGrid(entries, list);
    ASSERT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.Row(1).IconKey, "Ignore");
    EXPECT_EQ(grid.Row(2).IconKey, "Empty");
    EXPECT_EQ(grid.Row(3).ErrorKind, "Ignore by the user filter - E:\\");
    EXPECT_EQ(grid.Counters.Value(Counter::TotalProblems), 1);
    EXPECT_EQ(grid.Counters.Value(Counter::Empty), 1);
}

TEST(ResultRows, ShortcutRowCountsOnlyShortcuts) {
    ResultGrid grid;
    grid.AddShortcutRow("C:\\Docs\\Old tool", "C:\\Old\\tool.exe", 3);
    ASSERT_EQ(grid.RowCount(), 1);
    ResultRow expected;
    expected.IconKey = "Shortcut";
    expected.Correction = "Ignore";
    expected.ErrorKind = "Invalid Shortcut Path - C:\\Old\\tool.exe";
    expected.Index = 3;
    expected.CanChange = 0;
    expected.Body = "C:\\Docs\\Old tool";
    expected.IsShortcut = true;
    EXPECT_EQ(grid.Row(1), expected);
    for (const CounterInfo& info : kCounterTable) {
        SCOPED_TRACE(std::string(info.Name));
        EXPECT_EQ(grid.Counters.Value(info.Id), info.Id == Counter::Shortcuts ? 1 : 0);
    }
    EXPECT_EQ(IconIndex(grid.Row(1).IconKey), 7);
}

TEST(ResultRows, CountersAccumulateOverBatchesUntilReset) {
    ResultGrid grid;
    const std::vector<ErrorEntry> batch = {Value([](ErrorEntry& e) { e.IsFont = true; }),
                                           Value([](ErrorEntry&) {})};
    grid.AddFindingsToGrid(batch, {});
    grid.AddFindingsToGrid(batch, {});
    grid.AddShortcutRow("C:\\a", "C:\\b.exe", 1);
    EXPECT_EQ(grid.Counters.Value(Counter::TotalProblems), 4);
    EXPECT_EQ(grid.Counters.Value(Counter::Fonts), 2);
    EXPECT_EQ(grid.Counters.Text(Counter::Shortcuts), "3");
    grid.Counters.Reset();
    for (const CounterInfo& info : kCounterTable) EXPECT_EQ(grid.Counters.Text(info.Id), "0");
}

TEST(ResultRows, CounterTableFollowsTheCounterOrder) {
    for (std::size_t i = 0; i < kCounterTable.size(); ++i) {
        EXPECT_EQ(static_cast<std::size_t>(kCounterTable[i].Id), i);
    }
    EXPECT_EQ(kCounterTable[static_cast<std::size_t>(Counter::VirDev)].Caption, "Virtual Devices");
}

TEST(ResultRows, OfferedActionsFollowTheEditCode) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(OfferedActions(0), (V{"Ignore", "Delete"}));
    EXPECT_EQ(OfferedActions(1), (V{"Ignore", "Delete", "Change Value"}));
    EXPECT_EQ(OfferedActions(2), (V{"Ignore", "Delete", "Change Value"}));
    EXPECT_EQ(OfferedActions(3), V{});
}

TEST(ResultRows, IconIndexIsThePositionInTheIconList) {
    EXPECT_EQ(IconIndex("AutoRun"), 0);
    EXPECT_EQ(IconIndex("Reg"), 12);
    EXPECT_EQ(IconIndex("Dll"), 8);
    EXPECT_EQ(IconIndex("dll"), -1);  // keys are exact
}

ResultRow TextRow(std::string icon, std::string errorKind, std::string body, std::int32_t index) {
    ResultRow row;
    row.IconKey = std::move(icon);
    row.Correction = "Delete";
    row.ErrorKind = std::move(errorKind);
    row.Body = std::move(body);
    row.Index = index;
    return row;
}

std::vector<std::string> Bodies(const ResultGrid& grid) {
    std::vector<std::string> bodies;
    for (const ResultRow& row : grid.Rows) bodies.push_back(row.Body);
    return bodies;
}

using Strings = std::vector<std::string>;

TEST(ResultGridSort, ClicksAlternateAscendingAndDescendingAndKeepEqualRowsInOrder) {
    ResultGrid grid;
    grid.Rows = {TextRow("File", "banana", "b1", 1), TextRow("File", "Apple", "a1", 2),
                 TextRow("File", "BANANA", "b2", 3), TextRow("File", "cherry", "c1", 4),
                 TextRow("File", "apple", "a2", 5)};
    grid.SortByColumn(kColumnErrorKind);
    EXPECT_EQ(Bodies(grid), (Strings{"a1", "a2", "b1", "b2", "c1"}));
    EXPECT_EQ(grid.SortTags[kColumnErrorKind - 1], "DESC");
    grid.SortByColumn(kColumnErrorKind);
    EXPECT_EQ(Bodies(grid), (Strings{"c1", "b1", "b2", "a1", "a2"}));
    EXPECT_EQ(grid.SortTags[kColumnErrorKind - 1], "");
    grid.SortByColumn(kColumnErrorKind);
    EXPECT_EQ(Bodies(grid), (Strings{"a1", "a2", "b1", "b2", "c1"}));
    EXPECT_EQ(grid.SortTags[kColumnErrorKind - 1], "DESC");
}

TEST(ResultGridSort, ManyEqualRowsKeepTheirOrderInBothDirections) {
    // Enough rows that an unstable sort would reorder equal ones.
    ResultGrid grid;
    const char* actions[] = {"Delete", "ignore", "Ignore", "delete", "Change Value"};
    for (int i = 0; i < 200; ++i) {
        grid.Rows.push_back(TextRow("File", "", std::to_string(i), i));
        grid.Rows.back().Correction = actions[(i * 7) % 5];
    }
    auto checkGroupsInRowOrder = [&](bool descending) {
        for (std::size_t r = 1; r < grid.Rows.size(); ++r) {
            const ResultRow& before = grid.Rows[r - 1];
            const ResultRow& after = grid.Rows[r];
            const int order = CompareNoCase(before.Correction, after.Correction);
            EXPECT_TRUE(descending ? order >= 0 : order <= 0) << r;
            if (order == 0) {
                EXPECT_LT(before.Index, after.Index) << r;
            }
        }
    };
    grid.SortByColumn(kColumnCorrection);
    checkGroupsInRowOrder(false);
    grid.SortByColumn(kColumnCorrection);
    checkGroupsInRowOrder(true);
}

TEST(ResultGridSort, EachColumnKeepsItsOwnDirectionAlsoAcrossScans) {
    ResultGrid grid;
    grid.Rows = {TextRow("File", "x", "B", 1), TextRow("File", "y", "a", 2)};
    grid.SortByColumn(kColumnImg);  // the scan's own sort after a run
    grid.SortByColumn(kColumnBody);
    EXPECT_EQ(Bodies(grid), (Strings{"a", "B"}));
    grid.RemoveAllRows();
    grid.Rows = {TextRow("Virus", "x", "1", 1), TextRow("AutoRun", "y", "2", 2)};
    grid.SortByColumn(kColumnImg);  // second click on Img: descending
    EXPECT_EQ(Bodies(grid), (Strings{"1", "2"}));
    grid.SortByColumn(kColumnBody);  // second click on Body: descending
    EXPECT_EQ(Bodies(grid), (Strings{"2", "1"}));
}

TEST(ResultGridSort, ImgSortsByIconIndexNotByKeyText) {
    ResultGrid grid;
    grid.Rows = {TextRow("Virus", "", "virus", 1), TextRow("Folder", "", "folder", 2),
                 TextRow("AutoRun", "", "autorun", 3), TextRow("TTF", "", "ttf", 4),
                 TextRow("Folder", "", "folder2", 5)};
    grid.SortByColumn(kColumnImg);
    EXPECT_EQ(Bodies(grid), (Strings{"autorun", "ttf", "folder", "folder2", "virus"}));
    grid.SortByColumn(kColumnImg);
    EXPECT_EQ(Bodies(grid), (Strings{"virus", "folder", "folder2", "ttf", "autorun"}));
}

TEST(ResultGridSort, NumberColumnsSortAsText) {
    ResultGrid grid;
    grid.Rows = {TextRow("File", "", "nine", 9), TextRow("File", "", "ten", 10),
                 TextRow("File", "", "one hundred", 100)};
    grid.SortByColumn(kColumnIndex);
    EXPECT_EQ(Bodies(grid), (Strings{"ten", "one hundred", "nine"}));
}

TEST(ResultGridSort, ColumnsOutsideTheGridDoNothing) {
    ResultGrid grid;
    grid.Rows = {TextRow("File", "b", "1", 1), TextRow("File", "a", "2", 2)};
    grid.SortByColumn(0);
    grid.SortByColumn(kColumnCount + 1);
    EXPECT_EQ(Bodies(grid), (Strings{"1", "2"}));
    for (const std::string& tag : grid.SortTags) EXPECT_EQ(tag, "");
}

TEST(ResultGridActions, BulkActionsSetEveryRowAndEmptyFixedValues) {
    ResultGrid grid;
    grid.AddFindingsToGrid(
        std::vector<ErrorEntry>{Value([](ErrorEntry&) {}),
                                Value([](ErrorEntry& e) { e.IsAutoRun = true; }),
                                Value([](ErrorEntry& e) { e.TargetPath = "C:\\Skip\\x"; })},
        SkipList());
    grid.Row(1).FixedValue = "C:\\New\\x.dll";
    grid.Row(1).Correction = "Change Value";
    EXPECT_EQ(grid.CountRowsToRepair(), 1);
    grid.DeleteAll();
    for (const ResultRow& row : grid.Rows) {
        EXPECT_EQ(row.Correction, "Delete");
        EXPECT_EQ(row.FixedValue, "");
    }
    EXPECT_EQ(grid.Row(3).CanChange, kCanChangeLocked);  // excluded rows are included
    EXPECT_EQ(grid.CountRowsToRepair(), 3);
    grid.Row(2).FixedValue = "C:\\y";
    grid.IgnoreAll();
    for (const ResultRow& row : grid.Rows) {
        EXPECT_EQ(row.Correction, "Ignore");
        EXPECT_EQ(row.FixedValue, "");
    }
    EXPECT_EQ(grid.CountRowsToRepair(), 0);
}

TEST(ResultGridActions, RowsToRepairCompareTheActionInUpperCase) {
    ResultGrid grid;
    for (const char* action : {"Ignore", "IGNORE", "ignore", "Delete", "Change Value", "x"}) {
        grid.Rows.push_back(TextRow("File", "", "", 1));
        grid.Rows.back().Correction = action;
    }
    EXPECT_EQ(grid.CountRowsToRepair(), 3);
}

TEST(ResultGridTick, HandsNewFindingsOverAndStopsOnlyAfterHandingAtFullProgress) {
    engine::ScanState state;
    state.ResetForScan();
    ResultGrid grid;
    const ExclusionList none;

    EXPECT_FALSE(CheckForNewTick(state, grid, none));  // nothing yet
    EXPECT_EQ(grid.RowCount(), 0);

    state.AppendFinding(Value([](ErrorEntry& e) { e.IsFont = true; }));
    state.AppendFinding(Value([](ErrorEntry&) {}));
    state.ProgressPercent = 40;
    EXPECT_FALSE(CheckForNewTick(state, grid, none));
    ASSERT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.Row(1).Index, 1);
    EXPECT_EQ(grid.Row(2).Index, 2);
    EXPECT_EQ(state.ShownCount, 2);

    state.ProgressPercent = 100;
    EXPECT_FALSE(CheckForNewTick(state, grid, none));  // full progress, nothing new
    EXPECT_EQ(grid.RowCount(), 2);

    state.AppendFinding(Value([](ErrorEntry& e) { e.IsHelp = true; }));
    EXPECT_TRUE(CheckForNewTick(state, grid, none));
    ASSERT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.Row(3).IconKey, "Help");
    EXPECT_EQ(grid.Counters.Value(Counter::TotalProblems), 3);
}

TEST(ResultGridTick, NewRowsGoToTheEndWhateverTheOrder) {
    engine::ScanState state;
    state.ResetForScan();
    ResultGrid grid;
    state.AppendFinding(Value([](ErrorEntry& e) { e.TargetPath = "b"; }));
    state.AppendFinding(Value([](ErrorEntry& e) { e.TargetPath = "a"; }));
    CheckForNewTick(state, grid, {});
    grid.SortByColumn(kColumnErrorKind);
    state.AppendFinding(Value([](ErrorEntry& e) { e.TargetPath = "0"; }));
    CheckForNewTick(state, grid, {});
    ASSERT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.Row(1).Index, 2);
    EXPECT_EQ(grid.Row(2).Index, 1);
    EXPECT_EQ(grid.Row(3).Index, 3);
}

}  // namespace
}  // namespace hivewarden::testing
