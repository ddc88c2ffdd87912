// The main path's first half: seeded stale entries, the start page, the scan settings, the
// scan with "entire registry" off, and the rows it finds.
#include <algorithm>

#include "e2e/main_path_steps.h"
#include "e2e/registry_tools.h"
#include "e2e/scenarios.h"
#include "e2e/stale_entries.h"
#include "e2e/window_tools.h"

namespace hivewarden::e2e {
namespace {

using ui::Control;

constexpr DWORD kScanTimeoutMs = 120000;
constexpr DWORD kScanPollMs = 50;

const StaleEntry* const kSeeded[] = {&kAppPathEntry, &kUninstallEntry, &kSharedDllEntry,
                                     &kRunEntry};

// The window's state at the end of a scan: Next enabled again, Cancel Scan disabled.
bool ScanEnded(AppSession& app) {
    return app.Enabled(Control::cmdNext) && !app.Enabled(Control::cmdCancelScan) && !app.Scanning();
}

// Each seeded key holds one value naming C:\HwGone, so the key and that folder find the row.
bool MatchesEntry(const RowTexts& row, const StaleEntry& entry) {
    return EndsWithNoCase(row.Body, entry.BodySuffix) &&
           ContainsNoCase(row.ErrorKind, "C:\\HwGone\\");
}

RowTexts FindAndCheck(AppSession& app, ResultsGrid& grid, const StaleEntry& entry) {
    const std::optional<RowTexts> row =
        grid.Find([&](const RowTexts& texts) { return MatchesEntry(texts, entry); });
    const std::string label = std::string("main path: the ") + entry.Label + " entry";
    if (!app.Check(row.has_value(), label + " is a row of the results")) return RowTexts{};
    app.Check(row->ErrorKind == entry.ErrorKind, label + " reads \"" + entry.ErrorKind + "\"",
              "got \"" + row->ErrorKind + "\"");
    app.Check(row->Correction == entry.DefaultAction,
              label + " starts as \"" + entry.DefaultAction + "\"",
              "got \"" + row->Correction + "\"");
    return *row;
}

}  // namespace

bool SeedStaleEntries(AppSession& app) {
    bool written = true;
    for (const StaleEntry* entry : kSeeded) {
        written = WriteText(entry->Root, entry->Key, entry->Name, entry->Data) && written;
    }
    written = WriteText(HKEY_LOCAL_MACHINE, kPresentAppPathKey, "", kPresentFile) && written;
    written = WriteNumber(HKEY_LOCAL_MACHINE, kSharedDllsKey, kCountedDllName, 1) && written;
    return app.Check(written, "main path: stale entries are seeded in the registry");
}

void CheckStartPage(AppSession& app) {
    app.Check(app.Caption() == "Kestovar Hivewarden", "start page: window caption",
              "got \"" + app.Caption() + "\"");
    app.Check(app.Pages() == "FrameStart", "start page: only FrameStart is shown",
              "got \"" + app.Pages() + "\"");
    app.Check(app.Step() == -1, "start page: WizardStep is -1");
    app.Check(app.Text(Control::cmdNext) == "Next >" && app.Enabled(Control::cmdNext),
              "start page: Next reads \"Next >\" and is enabled");
    app.Check(app.Text(Control::cmdExit) == "Exit", "start page: Exit reads \"Exit\"");
    app.Check(!app.Enabled(Control::cmdBack), "start page: Back is disabled");
    app.Check(app.Text(Control::optStart0) == "Scan my registry for errors" &&
                  app.Checked(Control::optStart0),
              "start page: \"Scan my registry for errors\" is selected");
    app.Check(app.Text(Control::optStart1) == "Restore a backup",
              "start page: the second option reads \"Restore a backup\"");
    app.Check(app.Text(Control::CmdAdvanced) == "Advanced Options",
              "start page: the \"Advanced Options\" button");
    app.Check(IsWindowVisible(app.Main()) && !IsIconic(app.Main()),
              "start page: the window is shown, not minimised");
}

bool ScanSelectedCategories(AppSession& app, ResultsGrid& grid) {
    app.Post(Control::cmdNext);
    if (!app.Check(app.WaitPages("FrameScanSettings") && app.Step() == 0,
                   "scan settings: Next shows the scan settings page (step 0)",
                   "pages \"" + app.Pages() + "\"")) {
        return false;
    }
    const Control checkedBoxes[] = {Control::chkAll,      Control::chkLinks,     Control::chkDll,
                                    Control::chkHelp,     Control::chkFonts,     Control::chkSounds,
                                    Control::chkAppPaths, Control::chkUninstall, Control::chkVirus,
                                    Control::chkAutoRun};
    const bool defaults = std::all_of(std::begin(checkedBoxes), std::end(checkedBoxes),
                                      [&](Control box) { return app.Checked(box); }) &&
                          !app.Checked(Control::chkDrivers) &&
                          !app.Checked(Control::chkEmptyRegFolders);
    app.Check(defaults, "scan settings: every box but the two advanced ones is checked");
    app.Check(app.Text(Control::chkAll) == "Search the entire registry for invalid paths",
              "scan settings: chkAll's caption");
    app.Send(Control::chkAll);
    app.Check(!app.Checked(Control::chkAll), "scan settings: a click unchecks chkAll");
    app.Shot("02-scan-settings");

    app.Post(Control::cmdNext);
    bool sawScanning = false;
    int rowsWhileScanning = 0;
    const bool ended = WaitUntil(
        [&] {
            if (app.Step() != 1) return false;
            if (app.Scanning()) {
                sawScanning = true;
                rowsWhileScanning = std::max(rowsWhileScanning, grid.Rows());
                return false;
            }
            return ScanEnded(app);
        },
        kScanTimeoutMs, kScanPollMs);
    app.Note("scan seen running: " + std::string(sawScanning ? "yes" : "no") +
             "; most rows seen while it ran: " + std::to_string(rowsWhileScanning));
    return app.Check(ended, "scan: the scan ends (Next enabled, Cancel Scan disabled)",
                     "step " + std::to_string(app.Step()) + ", pages \"" + app.Pages() + "\"");
}

bool CheckFindings(AppSession& app, ResultsGrid& grid, SeededRows& rows) {
    const int count = grid.Rows();
    const std::string total = app.Ask("counter 0").value_or("?");
    app.Check(app.Pages() == "FrameScan", "results: the results page is shown",
              "got \"" + app.Pages() + "\"");
    app.Check(count > 0, "results: the grid has rows", std::to_string(count));
    app.Check(app.Caption() == "Kestovar Hivewarden - " + total + " errors found",
              "results: caption \"Kestovar Hivewarden - " + total + " errors found\"",
              "got \"" + app.Caption() + "\"");
    app.Check(WindowText(app.CounterLabel(scan::Counter::TotalProblems)) == total,
              "results: the Problem(s) Found label shows the total");
    app.Check(app.Text(Control::cmdNext) == "Repair", "results: Next reads \"Repair\"");
    app.Check(app.Enabled(Control::cmdBack), "results: Back is enabled after the scan");
    for (const auto& [counter, name] : {std::pair{scan::Counter::Shortcuts, "Shortcuts and Links"},
                                        std::pair{scan::Counter::AddRemove, "Add/Remove Programs"},
                                        std::pair{scan::Counter::Shared, "Shared DLLs"},
                                        std::pair{scan::Counter::Startup, "Startup Programs"}}) {
        const int value = app.AskNumber("counter " + std::to_string(static_cast<int>(counter)));
        app.Check(value >= 1, std::string("results: the ") + name + " counter counts the seed",
                  std::to_string(value));
    }
    rows.AppPath = FindAndCheck(app, grid, kAppPathEntry);
    rows.Uninstall = FindAndCheck(app, grid, kUninstallEntry);
    rows.SharedDll = FindAndCheck(app, grid, kSharedDllEntry);
    rows.Run = FindAndCheck(app, grid, kRunEntry);
    app.Check(
        !grid.Find([](const RowTexts& row) { return ContainsNoCase(row.Body, "hwpresent.exe"); })
             .has_value(),
        "results: an App Path to an existing file is not reported");
    app.Check(
        !grid.Find([](const RowTexts& row) { return ContainsNoCase(row.ErrorKind, "counted.dll"); })
             .has_value(),
        "results: a SharedDLLs use count is not reported");
    return rows.AppPath.Row != 0 && rows.Uninstall.Row != 0 && rows.SharedDll.Row != 0 &&
           rows.Run.Row != 0;
}

void RunMainPath(DriverContext& context) {
    AppSession app(context, "main-path");
    if (!SeedStaleEntries(app) || !app.Launch("")) return;
    if (!app.Check(app.WaitMainWindow(), "start page: the main window appears")) return;
    CheckStartPage(app);
    app.Shot("01-start-page");
    ResultsGrid grid(app);
    if (!ScanSelectedCategories(app, grid)) return;
    SeededRows rows;
    const bool found = CheckFindings(app, grid, rows);
    app.Shot("03-results");
    if (!found) return;
    const int rowsBefore = grid.Rows();
    if (!SetActions(app, grid, rows)) return;
    if (!RepairWithNamedBackup(app, grid, rowsBefore)) return;
    CheckRegistryAfterRepair(app);
    CheckBackupFile(app);
    FinishAndExit(app);
}

}  // namespace hivewarden::e2e
