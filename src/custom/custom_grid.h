// The portable model of the custom-search grid: the row a hit becomes, the action chooser's
// rules, the bulk actions, the polling timer's hand-over and the marks that the rows put on
// CustomHits before a repair. The window's grid control and the command line show it
// unchanged; no drawing and no registry access here.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/custom_hit.h"
#include "engine/scan_state.h"

namespace hivewarden::custom {

// Columns of the grid by position; the report reads them by position, so they are fixed.
inline constexpr std::int32_t kCustomColumnImg = 1;
inline constexpr std::int32_t kCustomColumnAction = 2;
inline constexpr std::int32_t kCustomColumnString = 3;
inline constexpr std::int32_t kCustomColumnIndex = 4;
inline constexpr std::int32_t kCustomColumnFixed = 5;
inline constexpr std::int32_t kCustomColumnBody = 6;
inline constexpr std::int32_t kCustomColumnCount = 6;

struct CustomColumnInfo {
    std::string_view Key;
    std::string_view Header;
    bool Shown;
};
inline constexpr std::array<CustomColumnInfo, kCustomColumnCount> kCustomColumns = {{
    {"Img", "", true},
    {"Action", "Action", true},
    {"String", "String", true},
    {"Index", "Index", false},
    {"Fixed", "Fixed", true},
    {"Body", "Body", true},  // drawn as a text line beneath the row
}};

// The two images of the grid's image list, by key.
inline constexpr std::string_view kImageValue = "Value";
inline constexpr std::string_view kImageKey = "Key";

// The actions as the Action cell shows them; readers compare them in upper case.
inline constexpr std::string_view kActionIgnore = "Ignore";
inline constexpr std::string_view kActionDelete = "Delete";
inline constexpr std::string_view kActionReplace = "Replace";
inline constexpr std::string_view kActionReplaceBy = "Replace by";

// The question "Replace by" asks (an input box with the standard title, empty default).
inline constexpr std::string_view kReplaceByPrompt = "Enter the replace text for this item";

struct CustomRow {
    std::string ImageKey;    // Img: "Key" or "Value"
    std::string Action;      // the chosen action
    std::string String;      // "String Found (run)" or "String Found (run) - data"
    std::int32_t Index = 0;  // the hit's position in CustomHits
    std::string Fixed;       // the replace text of the row
    std::string Body;        // the hit's Location

    bool operator==(const CustomRow&) const = default;
};

// The String cell of a hit: "String Found (" + MatchedText + ")", and for a value hit
// " - " + its data after that.
std::string HitDescription(const engine::CustomHit& hit);
// The row a hit becomes: action "Replace" with the page-wide replace text in Fixed.
CustomRow MakeCustomRow(const engine::CustomHit& hit, std::string_view replaceText);
// The text of a cell by column position; the Img cell has no text, numbers are decimal.
std::string CustomCellText(const CustomRow& row, std::int32_t column);
// What the action chooser offers for a row: "Ignore" and "Delete", and for a value row also
// "Replace" and "Replace by".
std::vector<std::string_view> OfferedCustomActions(const CustomRow& row);

// Asks for a row's own replace text; empty text stands for an empty answer or Cancel.
using ReplaceTextQuestion = std::function<std::string()>;

// lstCustomSearching as data. Row r of the grid (counted from 1) is Rows[r - 1]; new rows
// always go to the end.
struct CustomGrid {
    std::vector<CustomRow> Rows;

    std::int32_t RowCount() const { return static_cast<std::int32_t>(Rows.size()); }
    CustomRow& Row(std::int32_t row) { return Rows.at(static_cast<std::size_t>(row - 1)); }
    const CustomRow& Row(std::int32_t row) const {
        return Rows.at(static_cast<std::size_t>(row - 1));
    }

    // One row per hit, in order, each starting as "Replace" with `replaceText` in Fixed.
    void AddHitsToGrid(std::span<const engine::CustomHit> hits, std::string_view replaceText);
    // "Replace All": every row "Replace" with the current page-wide replace text.
    void ReplaceAll(std::string_view replaceText);
    // "Ignore All": every row "Ignore" with an empty Fixed.
    void IgnoreAll();
    // A choice in the action chooser for row `row` (from 1). "Replace" takes the page-wide
    // replace text; "Replace by" asks for the row's own text, and an empty answer turns the
    // row back to "Ignore"; "Ignore" and "Delete" empty Fixed. A choice the chooser does not
    // offer for the row (or a row that does not exist) changes nothing and gives false.
    bool ChooseAction(std::int32_t row, std::string_view choice, std::string_view replaceText,
                      const ReplaceTextQuestion& askReplaceText);
    // Rows whose action in upper case is not "IGNORE" (the custom repair page's count).
    std::int32_t CountRowsToRepair() const;
    // A search starts: no rows.
    void RemoveAllRows() { Rows.clear(); }
};

// One tick of the polling timer: hands the hits not yet shown to the grid, each row taking
// the current page-wide replace text. True when the timer switches itself off (hits were
// handed over and the search's progress is 100). ShownCount becomes N on every tick.
bool CheckForNewCustomTick(engine::ScanState& state, CustomGrid& grid,
                           std::string_view replaceText);

// The custom repair's start: for every row, the hit its Index names gets "DELETE" as its
// DeleteMark and any action other than "DELETE" and "IGNORE" as its ReplaceText (the row's
// Fixed text). A key hit never takes a replace text: replacing has no meaning for a key.
// Rows whose Index names no hit are passed over. Marks already set stay.
void MarkCustomHits(const CustomGrid& grid, engine::CustomHitList& hits);

}  // namespace hivewarden::custom
