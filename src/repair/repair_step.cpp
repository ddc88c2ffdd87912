// The results pages' repair step: rows to marks, the repair, the shortcut files.
#include "repair/repair_step.h"

#include <algorithm>

#include "text/text.h"

namespace hivewarden::repair {
namespace {

constexpr std::string_view kDelete = "DELETE";
constexpr std::string_view kChangeValue = "CHANGE VALUE";
constexpr std::string_view kShortcutIcon = "Shortcut";

// Marks a shortcut row; true when the row received a mark.
bool MarkShortcut(const scan::ResultRow& row, const std::string& action,
                  scan::ShortcutResults& shortcuts, GridMarks& marks) {
    if (action != kDelete) return false;
    if (row.Index < 1 || row.Index > shortcuts.Count()) return false;
    scan::ShortcutEntry& entry = shortcuts[row.Index];
    if (!entry.RemoveMark) marks.ShortcutsMarked.push_back(row.Index);
    entry.RemoveMark = true;
    ++marks.ShortcutRowsMarked;
    return true;
}

// Marks a finding row; true when the row received a mark.
bool MarkFinding(const scan::ResultRow& row, const std::string& action, engine::ScanState& state,
                 GridMarks& marks) {
    if (row.Index < 1 || row.Index > state.ScanResults.Count()) return false;
    engine::ErrorEntry& entry = state.ScanResults[row.Index];
    marks.EntriesBefore.push_back({row.Index, entry.DeleteMark, entry.FixedValue});
    bool marked = false;
    if (action == kDelete) {
        entry.DeleteMark = true;
        marked = true;
    }
    if (action == kChangeValue && !row.FixedValue.empty()) {
        entry.FixedValue = row.FixedValue;
        marked = true;
    } else {
        entry.FixedValue.clear();
    }
    if (marked) ++marks.RegistryRowsMarked;
    return marked;
}

}  // namespace

GridMarks CopyGridActions(scan::ResultGrid& grid, engine::ScanState& state,
                          scan::ShortcutResults& shortcuts) {
    GridMarks marks;
    for (std::int32_t r = grid.RowCount(); r >= 1; --r) {
        const scan::ResultRow& row = grid.Row(r);
        const std::string action = ToUpper(row.Correction);
        const bool marked = row.IconKey == kShortcutIcon
                                ? MarkShortcut(row, action, shortcuts, marks)
                                : MarkFinding(row, action, state, marks);
        if (!marked) continue;
        marks.RemovedRows.push_back({r, row});
        grid.Rows.erase(grid.Rows.begin() + (r - 1));
    }
    std::reverse(marks.RemovedRows.begin(), marks.RemovedRows.end());
    return marks;
}

void UndoGridActions(const GridMarks& marks, scan::ResultGrid& grid, engine::ScanState& state,
                     scan::ShortcutResults& shortcuts) {
    // Ascending positions: each row goes back where it was, with the earlier ones in place.
    for (const GridMarks::RemovedRow& removed : marks.RemovedRows) {
        const auto at =
            std::min<std::size_t>(static_cast<std::size_t>(removed.Position - 1), grid.Rows.size());
        grid.Rows.insert(grid.Rows.begin() + static_cast<std::ptrdiff_t>(at), removed.Row);
    }
    // The first record of an entry holds its state before any row touched it.
    for (auto it = marks.EntriesBefore.rbegin(); it != marks.EntriesBefore.rend(); ++it) {
        engine::ErrorEntry& entry = state.ScanResults[it->Index];
        entry.DeleteMark = it->DeleteMark;
        entry.FixedValue = it->FixedValue;
    }
    for (std::int32_t index : marks.ShortcutsMarked) shortcuts[index].RemoveMark = false;
}

namespace {

// Puts the removed rows that `wanted` accepts back into the grid, each at its place among the
// rows that are there now (removed rows not put back leave their places out).
template <typename Wanted>
void PutBackRows(GridMarks& marks, scan::ResultGrid& grid, const Wanted& wanted) {
    std::int32_t gone = 0;
    for (GridMarks::RemovedRow& removed : marks.RemovedRows) {
        if (!removed.PutBack && wanted(removed.Row)) {
            const auto at = std::min<std::size_t>(
                static_cast<std::size_t>(removed.Position - 1 - gone), grid.Rows.size());
            grid.Rows.insert(grid.Rows.begin() + static_cast<std::ptrdiff_t>(at), removed.Row);
            removed.PutBack = true;
        }
        if (!removed.PutBack) ++gone;
    }
}

bool Lists(const std::vector<RepairNote>& notes, std::int32_t index) {
    return std::any_of(notes.begin(), notes.end(),
                       [index](const RepairNote& note) { return note.Index == index; });
}

}  // namespace

RepairStepResult RunRepairStep(RepairStepContext& context) {
    engine::ScanState& state = context.State;
    RepairStepResult result;
    result.Marks = CopyGridActions(context.Grid, state, context.Shortcuts);
    SetBackupPath(state, context.ProgramFolder + context.BackupName + ".reg");
    state.EngineMode = engine::kModeRepair;
    state.StopRequested = false;
    state.ProgressPercent = 0;
    result.Repair = RepairScanResults(state, context.Access, state.BackupPath, context.Options);
    if (!result.Repair.Ok()) {
        UndoGridActions(result.Marks, context.Grid, state, context.Shortcuts);
    } else {
        const RepairResult& repair = result.Repair;
        PutBackRows(result.Marks, context.Grid, [&repair](const scan::ResultRow& row) {
            return row.IconKey != kShortcutIcon &&
                   (Lists(repair.Failed, row.Index) || Lists(repair.Skipped, row.Index) ||
                    std::find(repair.NotApplied.begin(), repair.NotApplied.end(), row.Index) !=
                        repair.NotApplied.end());
        });
    }
    if (context.Done) context.Done(state.StopRequested, state.EngineMode);
    // A stopped repair deletes no shortcut file either.
    if (result.Repair.Ok() && !result.Repair.Stopped) {
        result.Shortcuts = scan::RemoveMarkedShortcuts(context.Shortcuts, context.Confirm,
                                                       context.Access.Probes());
        const std::vector<std::int32_t>& failed = result.Shortcuts.Failed;
        PutBackRows(result.Marks, context.Grid, [&failed](const scan::ResultRow& row) {
            return row.IconKey == kShortcutIcon &&
                   std::find(failed.begin(), failed.end(), row.Index) != failed.end();
        });
    }
    return result;
}

}  // namespace hivewarden::repair
