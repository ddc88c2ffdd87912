// The portable model of the results grid: the row a finding or an invalid shortcut becomes,
// the row-kind table, the counters, sorting, bulk actions and the results timer's hand-over.
// The window's grid control and the command line show it unchanged; no drawing here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/error_entry.h"
#include "engine/scan_state.h"
#include "scan/exclusion_list.h"
#include "scan/results/summary_counters.h"

namespace hivewarden::scan {

// imgListIcons: a row's icon index is its key's position here, counted from 0.
inline constexpr std::array<std::string_view, 13> kIconKeys = {
    "AutoRun",  "TTF", "Folder", "Uninstall", "Sound", "Empty", "Ignore",
    "Shortcut", "Dll", "File",   "Help",      "Virus", "Reg",
};
// The position of an icon key, -1 when the list has no such key.
std::int32_t IconIndex(std::string_view iconKey);

// Columns of the grid by position; the report reads them by position, so they are fixed.
inline constexpr std::int32_t kColumnImg = 1;
inline constexpr std::int32_t kColumnCorrection = 2;
inline constexpr std::int32_t kColumnErrorKind = 3;
inline constexpr std::int32_t kColumnFixedValue = 4;
inline constexpr std::int32_t kColumnIndex = 5;
inline constexpr std::int32_t kColumnCanChange = 6;
inline constexpr std::int32_t kColumnBody = 7;
inline constexpr std::int32_t kColumnCount = 7;

struct GridColumnInfo {
    std::string_view Key;
    std::string_view Header;
    bool Shown;
};
inline constexpr std::array<GridColumnInfo, kColumnCount> kGridColumns = {{
    {"Img", "File Type", true},
    {"Correction", "Correction", true},
    {"Error Kind", "Error Information", true},
    {"Fixed Value", "Fixed Value", true},
    {"Index", "Index", false},
    {"CanChange", "CanChange", false},
    {"Body", "Body", true},  // drawn as a text line beneath the row
}};

// The actions as the Correction cell shows them; readers compare them in upper case.
inline constexpr std::string_view kActionIgnore = "Ignore";
inline constexpr std::string_view kActionDelete = "Delete";
inline constexpr std::string_view kActionChangeValue = "Change Value";

// CanChange codes: what the action drop-down offers for a row.
inline constexpr std::int32_t kCanChangeNoValue = 0;  // "Ignore", "Delete"
inline constexpr std::int32_t kCanChangeFile = 1;     // also "Change Value"
inline constexpr std::int32_t kCanChangeFolder = 2;   // also "Change Value"
inline constexpr std::int32_t kCanChangeLocked = 3;   // nothing: the drop-down does not open
std::vector<std::string_view> OfferedActions(std::int32_t canChange);

struct ResultRow {
    std::string IconKey;         // Img: one of kIconKeys
    std::string Correction;      // the chosen action
    std::string ErrorKind;       // the description
    std::string FixedValue;      // the path chosen with "Change Value"
    std::int32_t Index = 0;      // position in ScanResults, or in the shortcut results
    std::int32_t CanChange = 0;  // the edit code
    std::string Body;            // KeyPath, or the shortcut's LinkPath
    bool IsShortcut = false;

    bool operator==(const ResultRow&) const = default;
};

// The text of a cell by column position; the Img cell has no text, numbers are decimal.
std::string CellText(const ResultRow& row, std::int32_t column);

// The kinds of finding row, in the order in which they are tried.
enum class RowKind : std::int32_t {
    Excluded = 1,
    AbsentDrive,  // the path's drive is not there: whatever the category, nothing is known gone
    SharedDll,
    Help,
    EmptyKey,
    Shell32,
    ComServer,
    Trojan,
    Sound,
    AppPath,
    Uninstall,
    Driver,
    AutoRun,
    Font,
    FileNotFound,
    FolderNotFound,
};

enum class DescriptionForm {
    PrefixAndTarget,  // Prefix + TargetPath
    EmptyKey,         // Prefix, with " (Expert)" when KeyPath ends in "}"
    Trojan,           // "Warning: " + TrojanName + " virus - " + TargetPath
};

struct RowKindRule {
    RowKind Kind;
    // Whether the rule holds; `excluded` is the exclusion list's verdict on the entry.
    bool (*Holds)(const engine::ErrorEntry& entry, bool excluded);
    DescriptionForm Form;
    std::string_view Prefix;
    std::string_view IconKey;
    std::int32_t CanChange;
    std::optional<Counter> KindCounter;  // counted besides lblTotalProblems
    bool CountsTotal;                    // lblTotalProblems
};

// The sixteen rules in the order in which they are tried; the first that holds decides.
std::span<const RowKindRule> RowKindTable();
const RowKindRule& RuleFor(RowKind kind);

RowKind ClassifyFinding(const engine::ErrorEntry& entry, const ExclusionMatcher& exclusions);
// The row of a finding of the given kind: icon, description, CanChange, Body, Index and the
// default action: "Ignore" for excluded entries, entries on a drive that is not present and
// start-up entries; "Change Value" to the entry's CleanValue (also in the Fixed Value cell)
// where it has one; "Delete" otherwise.
ResultRow MakeFindingRow(const engine::ErrorEntry& entry, RowKind kind);
// The row of an invalid shortcut: "Invalid Shortcut Path - " + target, CanChange 0, "Ignore".
ResultRow MakeShortcutRow(std::string_view linkPath, std::string_view linkTarget,
                          std::int32_t linkIndex);

// lstFound as data. Row r of the grid (counted from 1) is Rows[r - 1]; new rows always go to
// the end, whatever the current order.
struct ResultGrid {
    std::vector<ResultRow> Rows;
    SummaryCounters Counters;
    // The column tags that carry each column's sort direction ("DESC" after an ascending
    // sort); SortTags[c - 1] belongs to column c. They outlive RemoveAllRows.
    std::array<std::string, kColumnCount> SortTags;

    std::int32_t RowCount() const { return static_cast<std::int32_t>(Rows.size()); }
    ResultRow& Row(std::int32_t row) { return Rows.at(static_cast<std::size_t>(row - 1)); }
    const ResultRow& Row(std::int32_t row) const {
        return Rows.at(static_cast<std::size_t>(row - 1));
    }

    // One row per entry, in order, each counted; the exclusion list is upper-cased once.
    void AddFindingsToGrid(std::span<const engine::ErrorEntry> entries,
                           const ExclusionList& exclusions);
    // The row of an invalid shortcut; counts lblShortcuts only.
    void AddShortcutRow(std::string_view linkPath, std::string_view linkTarget,
                        std::int32_t linkIndex);

    // A click on the header of column 1 ... 7: ascending when the column's tag is empty (the
    // tag becomes "DESC"), descending otherwise (the tag is emptied). Img sorts by icon index,
    // every other column by its cell text compared case-insensitively (the registry's rule).
    // Equal rows keep their order. Other column numbers do nothing.
    void SortByColumn(std::int32_t column);

    // "Delete All" / "Ignore All": every row, excluded ones too; Fixed Value emptied.
    void DeleteAll();
    void IgnoreAll();
    // Rows whose action in upper case is not "IGNORE".
    std::int32_t CountRowsToRepair() const;
    // A scan starts: no rows. Sort tags stay; the counters are reset separately.
    void RemoveAllRows() { Rows.clear(); }
};

// One tick of the results timer: hands the findings not yet shown to the grid. True when the
// timer switches itself off (findings were handed over and the scan's progress is 100).
bool CheckForNewTick(engine::ScanState& state, ResultGrid& grid, const ExclusionList& exclusions);

}  // namespace hivewarden::scan
