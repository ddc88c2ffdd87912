// Short scan-and-repair steps for the scenarios that need a scan or a backup on the way to
// what they test: a scan of chosen categories only, one row's action, and a repair with a
// named backup. Each step prints its own check lines under the scenario's label.
#pragma once

#include <initializer_list>
#include <string>

#include "e2e/app_session.h"
#include "e2e/results_grid.h"

namespace hivewarden::e2e {

// From the start page: "Scan my registry for errors", Next, only `categories` checked, Next;
// true when the scan ended on the results page.
bool ScanCategories(AppSession& app, std::initializer_list<ui::Control> categories,
                    const std::string& label);
// Opens the row's drop-down and chooses `action`; true when the row shows it.
bool ChooseRowAction(AppSession& app, ResultsGrid& grid, int row, const std::string& action,
                     const std::string& label);
// Repair, the preview (which must count `count` errors), the backup name `name`, Next; true
// when the repair ended on the results page (step 4) with Exit reading "Finish".
bool RepairWithBackup(AppSession& app, const std::string& name, int count,
                      const std::string& label);
// day-month-year-hour-minute[-second] (`parts` numbers) without leading zeros, within a few
// minutes of now.
bool IsFreshDateName(const std::string& name, int parts);

}  // namespace hivewarden::e2e
