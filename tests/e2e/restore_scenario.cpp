// Restoring a backup: a repair writes e2e-restore.reg; the restore page lists the program
// folder's .reg files by name; Remove Selected Backup deletes the highlighted one; the checked
// backup is handed to the system's import and the registry holds the old value again.
#include <vector>

#include "e2e/file_tools.h"
#include "e2e/list_view.h"
#include "e2e/program_settings.h"
#include "e2e/registry_tools.h"
#include "e2e/scan_steps.h"
#include "e2e/scenarios.h"
#include "e2e/scope_exit.h"
#include "e2e/window_tools.h"

namespace hivewarden::e2e {
namespace {

using ui::Control;

constexpr char kRestoreKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\hwrestore.exe";
constexpr char kRestoreData[] = "C:\\HwGone\\restore.exe";
constexpr char kRestoreBackup[] = "e2e-restore";
// Two more backups of no content: one to sort before the others whatever the case of its
// name, one for Remove Selected Backup.
constexpr char kExtraBackup[] = "a-e2e-extra.REG";
constexpr char kRemovedBackup[] = "B-e2e-remove.reg";
constexpr DWORD kImportWaitMs = 10000;

// A visible label of the main window reading `text`.
bool LabelShown(HWND main, const std::string& text) {
    for (HWND child = GetWindow(main, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) && ClassOf(child) == "Static" && WindowText(child) == text) {
            return true;
        }
    }
    return false;
}

bool RepairIntoBackup(AppSession& app) {
    ResultsGrid grid(app);
    if (!ScanCategories(app, {Control::chkAppPaths}, "restore")) return false;
    const std::optional<RowTexts> row = grid.Find(
        [](const RowTexts& texts) { return ContainsNoCase(texts.ErrorKind, kRestoreData); });
    if (!app.Check(row.has_value(), "restore: the stale App Path is a row of the results")) {
        return false;
    }
    app.Send(Control::cmdDeselect);
    return ChooseRowAction(app, grid, row->Row, "Delete", "restore") &&
           RepairWithBackup(app, kRestoreBackup, 1, "restore") &&
           app.Check(!ValueExists(HKEY_LOCAL_MACHINE, kRestoreKey, ""),
                     "restore: the repair deleted the App Path value");
}

bool OpenRestorePage(AppSession& app) {
    app.Post(Control::cmdExit);  // Finish
    if (!app.Check(app.WaitPages("FrameStart"), "restore: Finish shows the start page")) {
        return false;
    }
    app.Send(Control::optStart1);
    app.Post(Control::cmdNext);
    if (!app.Check(app.WaitPages("FrameRestore") && app.Step() == 5,
                   "restore page: \"Restore a backup\", Next shows the restore page (step 5)",
                   "pages \"" + app.Pages() + "\", step " + std::to_string(app.Step()))) {
        return false;
    }
    app.CheckSoon([&] { return !app.Enabled(Control::cmdNext) && app.Enabled(Control::cmdBack); },
                  "restore page: Next is disabled, Back enabled");
    app.Check(LabelShown(app.Main(), "Restore Backups"),
              "restore page: the title \"Restore Backups\"");
    app.Check(app.Text(Control::cmdRemoveBck) == "Remove Selected Backup",
              "restore page: the button \"Remove Selected Backup\"");
    return true;
}

void CheckListing(AppSession& app, ListView& backups, const std::string& folder) {
    std::vector<std::string> expected = FilesIn(folder, "*.reg");
    SortNamesNoCase(expected);
    const std::vector<std::string> listed = backups.Items();
    app.Check(listed == expected,
              "restore page: the list holds the program folder's .reg files sorted by name",
              "listed \"" + JoinList(listed) + "\", folder \"" + JoinList(expected) + "\"");
    app.Check(backups.Find(kExtraBackup) == 0,
              std::string("restore page: \"") + kExtraBackup + "\" is listed first");
    app.Check(backups.Find(std::string(kRestoreBackup) + ".reg") >= 0,
              std::string("restore page: \"") + kRestoreBackup + ".reg\" is listed");
}

void RemoveOne(AppSession& app, ListView& backups, const std::string& folder) {
    const int count = backups.Count();
    const int index = backups.Find(kRemovedBackup);
    if (!app.Check(index >= 0, std::string("remove: \"") + kRemovedBackup + "\" is listed")) return;
    backups.ClickItem(index);
    app.Check(WaitUntil([&] { return backups.Selected() == index; }, kShortWaitMs),
              "remove: a click on the item highlights it",
              "selected " + std::to_string(backups.Selected()));
    app.Check(!backups.Checked(index), "remove: the highlighted item stays unchecked");
    app.Post(Control::cmdRemoveBck);
    const std::string path = folder + "\\" + kRemovedBackup;
    app.Check(WaitUntil([&] { return !FileExists(path); }, kShortWaitMs),
              "remove: Remove Selected Backup deletes the file");
    app.Check(WaitUntil([&] { return backups.Count() == count - 1; }, kShortWaitMs) &&
                  backups.Find(kRemovedBackup) < 0,
              "remove: the item leaves the list", JoinList(backups.Items()));
    app.Check(!app.Enabled(Control::cmdNext), "remove: Next stays disabled with nothing checked");
}

bool CheckTheBackup(AppSession& app, ListView& backups) {
    const int index = backups.Find(std::string(kRestoreBackup) + ".reg");
    if (!app.Check(index >= 0, "restore: the backup is still listed")) return false;
    std::string how;
    const bool clicked = backups.ClickCheckBox(index, how);
    app.Check(clicked, "restore: a click on the item's check box is posted", how);
    if (!app.Check(WaitUntil([&] { return backups.Checked(index); }, kShortWaitMs),
                   "restore: the click checks the box")) {
        return false;
    }
    int checked = 0;
    for (int i = 0; i < backups.Count(); ++i) checked += backups.Checked(i) ? 1 : 0;
    app.Check(checked == 1, "restore: no other box is checked",
              std::to_string(checked) + " checked");
    return app.Check(WaitUntil([&] { return app.Enabled(Control::cmdNext); }, kShortWaitMs),
                     "restore: a checked backup enables Next");
}

void RestoreAndCheck(AppSession& app) {
    app.Post(Control::cmdNext);
    if (!app.Check(app.WaitPages("FrameBackUped") && app.Step() == 6,
                   "restored: Next shows the restore finished page (step 6)",
                   "pages \"" + app.Pages() + "\"")) {
        return;
    }
    app.Check(LabelShown(app.Main(), "Congratulations! Your system has been restored"),
              "restored: \"Congratulations! Your system has been restored\"");
    app.CheckSoon([&] { return !app.Enabled(Control::cmdBack) && app.Enabled(Control::cmdNext); },
                  "restored: Back is disabled, Next enabled");
    // The hand-over does not wait for the import.
    const ULONGLONG start = GetTickCount64();
    const bool back =
        WaitUntil([&] { return ReadText(HKEY_LOCAL_MACHINE, kRestoreKey, "") == kRestoreData; },
                  kImportWaitMs, 100);
    app.Note("the import took " + std::to_string(GetTickCount64() - start) + " ms");
    app.Check(back, "restored: the registry holds the backed-up App Path value again",
              "got \"" + ReadText(HKEY_LOCAL_MACHINE, kRestoreKey, "").value_or("(none)") + "\"");
    app.Shot("16-restore-finished");
    app.Post(Control::cmdNext);
    app.Check(
        app.WaitPages("FrameStart") && WaitUntil([&] { return app.Step() == -1; }, kShortWaitMs),
        "restored: Next returns to the start page (step -1)",
        "pages \"" + app.Pages() + "\", step " + std::to_string(app.Step()));
}

}  // namespace

void RunRestore(DriverContext& context) {
    const std::string folder = FolderOf(context.AppPath);
    const ScopeExit cleanUp([&] {
        RemoveFile(folder + "\\" + kExtraBackup);
        RemoveFile(folder + "\\" + kRemovedBackup);
        DeleteTree(HKEY_LOCAL_MACHINE, kRestoreKey);
    });
    AppSession app(context, "restore");
    ResetProgramSettings();
    RemoveFile(folder + "\\" + kRestoreBackup + ".reg");
    const bool seeded = WriteText(HKEY_LOCAL_MACHINE, kRestoreKey, "", kRestoreData) &&
                        WriteWholeFile(folder + "\\" + kExtraBackup, "REGEDIT4\r\n\r\n") &&
                        WriteWholeFile(folder + "\\" + kRemovedBackup, "REGEDIT4\r\n\r\n");
    if (!app.Check(seeded, "restore: the stale entry and two spare backups are made")) return;
    if (!app.Launch("")) return;
    if (!app.Check(app.WaitMainWindow(), "restore: the main window appears")) return;
    if (!RepairIntoBackup(app) || !OpenRestorePage(app)) return;
    ListView backups(app, Control::lsvBackups);
    CheckListing(app, backups, folder);
    RemoveOne(app, backups, folder);
    if (!CheckTheBackup(app, backups)) return;
    app.Shot("15-restore-page");
    RestoreAndCheck(app);
    app.Check(app.ExitProgram(), "exit: Exit ends the program");
}

}  // namespace hivewarden::e2e
