// The end-to-end scenarios of the main window. Each starts its own run of the program, prints
// its check lines and leaves no process behind.
#pragma once

#include "e2e/app_session.h"

namespace hivewarden::e2e {

// Scan with stale entries seeded, set actions in the grid, repair with a named backup, check
// the registry and the backup, Finish, Exit.
void RunMainPath(DriverContext& context);
// Start with "-X": the start-up prompt, "&No" to the tray, the single-instance rule, the tray
// icon's double-click, Exit.
void RunStartupPrompt(DriverContext& context);
// A whole-registry scan cancelled while it runs, "No errors to fix!", the advanced page, Exit.
void RunCancelScan(DriverContext& context);
// Exit while a scan runs: the question, and Yes ends the program once the scan has stopped.
void RunExitDuringScan(DriverContext& context);
// A repair into a named backup, the restore page (its list, Remove Selected Backup, a checked
// backup), the restore and the registry afterwards.
void RunRestore(DriverContext& context);
// The exclusion list page (folder picker, open-file dialog), Ignore.ini, a scan that shows an
// excluded finding as ignored, and the results report saved twice.
void RunExclusionList(DriverContext& context);
// The custom search from its texts to its repair, with the custom report.
void RunCustomSearch(DriverContext& context);
// The about box, closed with OK and with Escape.
void RunAboutBox(DriverContext& context);
// Paths outside the ANSI code page: a stale App Path under a Chinese folder is reported with
// its exact text, one to an existing Chinese folder is not, Change Value with the open-file
// dialog and the edit box writes the new Chinese path back exactly, and the backup (with a
// Chinese name) restores the old bytes.
void RunUnicodePaths(DriverContext& context);
// The results grid and the other controls through oleacc, as a screen reader reads them.
void RunAccessibility(DriverContext& context);
// Started at 96 and at 144 dpi and moved from 96 to 144: the layout holds; screenshots.
void RunDpi(DriverContext& context);
// A long repair with one key that refuses writes: Enter starts it, clicks, Enter and Escape
// during it press nothing, one backup; the failure is told and its row stays.
void RunRepairGuard(DriverContext& context);
// The tray icon comes back on "TaskbarCreated" after the shell lost it.
void RunTrayRestart(DriverContext& context);

}  // namespace hivewarden::e2e
