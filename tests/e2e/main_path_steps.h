// The steps of the main-path scenario, shared by its two halves: scan (seeding, start page,
// settings, the scan and its findings) and repair (actions, preview, repair, afterwards).
#pragma once

#include "e2e/app_session.h"
#include "e2e/results_grid.h"

namespace hivewarden::e2e {

// The seeded findings' rows after the scan (row 0 when a row was not found).
struct SeededRows {
    RowTexts AppPath;
    RowTexts Uninstall;
    RowTexts SharedDll;
    RowTexts Run;
};

bool SeedStaleEntries(AppSession& app);
void CheckStartPage(AppSession& app);
// Scan settings with "entire registry" off, then the scan; true when the scan ended.
bool ScanSelectedCategories(AppSession& app, ResultsGrid& grid);
// Finds and checks the seeded rows; false when one is missing.
bool CheckFindings(AppSession& app, ResultsGrid& grid, SeededRows& rows);

// Ignore All, then the actions for the seeded rows; false when one could not be set.
bool SetActions(AppSession& app, ResultsGrid& grid, const SeededRows& rows);
// The preview with a named backup, then the repair; true when the results page is back.
bool RepairWithNamedBackup(AppSession& app, ResultsGrid& grid, int rowsBefore);
void CheckRegistryAfterRepair(AppSession& app);
void CheckBackupFile(AppSession& app);
void FinishAndExit(AppSession& app);

}  // namespace hivewarden::e2e
