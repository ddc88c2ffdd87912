// The results grid model's operations: adding batches, sorting, bulk actions and the
// results timer's tick.
#include <algorithm>
#include <numeric>

#include "text/text.h"
#include "scan/results/result_rows.h"

namespace hivewarden::scan {
namespace {

void SetEveryAction(std::vector<ResultRow>& rows, std::string_view action) {
    for (ResultRow& row : rows) {
        row.Correction = std::string(action);
        row.FixedValue.clear();
    }
}

}  // namespace

void ResultGrid::AddFindingsToGrid(std::span<const engine::ErrorEntry> entries,
                                   const ExclusionList& exclusions) {
    const ExclusionMatcher matcher(exclusions);
    for (const engine::ErrorEntry& entry : entries) {
        const RowKind kind = ClassifyFinding(entry, matcher);
        Rows.push_back(MakeFindingRow(entry, kind));
        const RowKindRule& rule = RuleFor(kind);
        if (rule.KindCounter) Counters.CountUp(*rule.KindCounter);
        if (rule.CountsTotal) Counters.CountUp(Counter::TotalProblems);
    }
}

void ResultGrid::AddShortcutRow(std::string_view linkPath, std::string_view linkTarget,
                                std::int32_t linkIndex) {
    Rows.push_back(MakeShortcutRow(linkPath, linkTarget, linkIndex));
    Counters.CountUp(Counter::Shortcuts);
}

void ResultGrid::SortByColumn(std::int32_t column) {
    if (column < 1 || column > kColumnCount) return;
    std::string& tag = SortTags[static_cast<std::size_t>(column - 1)];
    const bool descending = !tag.empty();
    tag = descending ? "" : "DESC";

    // Sort keys computed once per row, then a stable sort of the row order.
    const bool byIcon = kGridColumns[static_cast<std::size_t>(column - 1)].Key == "Img";
    std::vector<std::int32_t> icons;
    std::vector<std::string> texts;
    for (const ResultRow& row : Rows) {
        if (byIcon) {
            icons.push_back(IconIndex(row.IconKey));
        } else {
            texts.push_back(CellText(row, column));
        }
    }
    auto less = [&](std::size_t a, std::size_t b) {
        return byIcon ? icons[a] < icons[b] : CompareNoCase(texts[a], texts[b]) < 0;
    };
    std::vector<std::size_t> order(Rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return descending ? less(b, a) : less(a, b);
    });
    std::vector<ResultRow> sorted;
    sorted.reserve(Rows.size());
    for (std::size_t i : order) sorted.push_back(std::move(Rows[i]));
    Rows = std::move(sorted);
}

void ResultGrid::DeleteAll() { SetEveryAction(Rows, kActionDelete); }

void ResultGrid::IgnoreAll() { SetEveryAction(Rows, kActionIgnore); }

std::int32_t ResultGrid::CountRowsToRepair() const {
    return static_cast<std::int32_t>(
        std::count_if(Rows.begin(), Rows.end(),
                      [](const ResultRow& r) { return ToUpper(r.Correction) != "IGNORE"; }));
}

bool CheckForNewTick(engine::ScanState& state, ResultGrid& grid, const ExclusionList& exclusions) {
    engine::HandOver handOver = state.TakeNewFindings();
    if (!handOver.NewEntries.empty()) grid.AddFindingsToGrid(handOver.NewEntries, exclusions);
    return handOver.StopTimer;
}

}  // namespace hivewarden::scan
