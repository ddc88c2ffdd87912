// The repair step of the results pages, as portable code for the window and the command
// line: the grid rows' actions become marks on the findings and the shortcut entries, the
// marked rows leave the grid, the repair runs, and the marked shortcut files are removed after
// one confirmation. No dialogs of its own: the front end answers through hooks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/scan_state.h"
#include "store/access.h"
#include "repair/repair_executor.h"
#include "scan/results/result_rows.h"
#include "scan/shortcuts/shortcut_removal.h"
#include "scan/shortcuts/shortcut_scan.h"

namespace hivewarden::repair {

// What CopyGridActions changed, so that it can be undone when the repair cannot run.
struct GridMarks {
    std::int32_t RegistryRowsMarked = 0;  // DELETE rows and CHANGE VALUE rows with a value
    std::int32_t ShortcutRowsMarked = 0;  // DELETE rows of shortcuts
    struct RemovedRow {
        std::int32_t Position = 0;  // the row's number (from 1) before any row was removed
        scan::ResultRow Row;
        bool PutBack = false;  // back in the grid: its change did not take
    };
    std::vector<RemovedRow> RemovedRows;  // in ascending position
    struct EntryBefore {
        std::int32_t Index = 0;
        bool DeleteMark = false;
        std::string FixedValue;
    };
    std::vector<EntryBefore> EntriesBefore;     // every finding a row touched
    std::vector<std::int32_t> ShortcutsMarked;  // LinkIndex of each entry newly marked
};

// Visits the grid's rows from the last to the first. A shortcut row (icon "Shortcut") whose
// action in upper case is "DELETE" sets its ShortcutEntry's RemoveMark. A finding row:
// "DELETE" sets DeleteMark; "CHANGE VALUE" with a non-empty Fixed Value cell sets FixedValue
// to it; every other row empties FixedValue. Every row that received a mark is removed from
// the grid. Rows whose Index names no entry are left alone.
GridMarks CopyGridActions(scan::ResultGrid& grid, engine::ScanState& state,
                          scan::ShortcutResults& shortcuts);

// Puts back the rows and the marks as they were before CopyGridActions.
void UndoGridActions(const GridMarks& marks, scan::ResultGrid& grid, engine::ScanState& state,
                     scan::ShortcutResults& shortcuts);

struct RepairStepContext {
    engine::ScanState& State;
    registry::RegistryAccess& Access;  // its probes delete the shortcut files
    scan::ResultGrid& Grid;
    scan::ShortcutResults& Shortcuts;
    std::string ProgramFolder;  // with a trailing separator
    std::string BackupName;     // the backup-name box's text
    DoneHook Done;
    scan::ConfirmRemoval Confirm;  // the Yes/No question before shortcut files are deleted
    RepairOptions Options;
};

struct RepairStepResult {
    GridMarks Marks;
    RepairResult Repair;
    scan::ShortcutRemoval Shortcuts;
};

// CopyGridActions; BackupPath = ProgramFolder + BackupName + ".reg"; the repair as RunRepair
// does it; Done(StopRequested, EngineMode); then, if any shortcut entry is marked, the
// question and the removal of the marked shortcut files (never backed up). When the backup
// fails, the grid rows and all marks are put back before Done and no shortcut file is
// touched, so the results page shows what it showed before and nothing at all was changed.
// Rows whose change did not take (the repair's Failed and Skipped entries, before Done; the
// shortcut files that could not be deleted, after the removal) go back where they were, with
// their actions, so that the grid never shows a failure as repaired.
RepairStepResult RunRepairStep(RepairStepContext& context);

}  // namespace hivewarden::repair
