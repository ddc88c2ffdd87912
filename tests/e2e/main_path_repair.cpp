// The main path's second half: the actions chosen in the grid (with the drop-down, the
// open-file dialog and the edit question), the repair preview with a named backup, the
// repair, the registry and the backup file afterwards, Finish and Exit.
#include <cstdio>
#include <vector>

#include "e2e/file_tools.h"
#include "e2e/main_path_steps.h"
#include "e2e/registry_tools.h"
#include "e2e/stale_entries.h"
#include "e2e/window_tools.h"

namespace hivewarden::e2e {
namespace {

using ui::Control;

constexpr DWORD kDialogTimeoutMs = 15000;
constexpr DWORD kRepairTimeoutMs = 60000;
constexpr int kOpenFileNameBox = 1148;  // the open-file dialog's file name box
constexpr LONGLONG kTicksPerSecond = 10000000;
constexpr LONGLONG kDefaultNameSlackSeconds = 600;

const char* const kTitle = "Kestovar Hivewarden";

bool SetRowAction(AppSession& app, ResultsGrid& grid, const RowTexts& row,
                  const std::string& action) {
    const std::string label = std::string("actions: the row \"") + row.ErrorKind + "\"";
    if (!app.Check(grid.OpenChooser(row.Row), label + ": its Correction cell opens the drop-down",
                   "chooser \"" + app.Ask("chooser").value_or("?") + "\"") ||
        !app.Check(grid.ChooseItem(action), label + ": \"" + action + "\" is offered and chosen")) {
        return false;
    }
    return app.Check(
        WaitUntil(
            [&] { return grid.Cell(row.Row, kColumnCorrection) == action && !grid.ChooserShown(); },
            kShortWaitMs),
        label + ": set to \"" + action + "\", the drop-down hides",
        "cell \"" + grid.Cell(row.Row, kColumnCorrection) + "\"");
}

// The drop-down over the App Path row: its items and place, opened for a screenshot.
bool InspectChooser(AppSession& app, ResultsGrid& grid, int row) {
    if (!app.Check(grid.OpenChooser(row),
                   "actions: a click on the Correction cell of a selected "
                   "row opens the drop-down")) {
        return false;
    }
    const std::vector<std::string> expected = {"Ignore", "Delete", "Change Value"};
    const std::vector<std::string> items = grid.ChooserItems();
    std::string joined;
    for (const std::string& item : items) joined += item + "|";
    app.Check(items == expected, "actions: an App Path row offers Ignore, Delete, Change Value",
              "got " + joined);
    std::string detail;
    app.Check(grid.ChooserCoversCell(row, detail),
              "actions: the drop-down lies over the row's Correction cell", detail);
    const HWND combo = app.Item(Control::cmbAction);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(combo, CB_SHOWDROPDOWN, TRUE, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                        &result);
    app.Shot("04-action-dropdown");
    SendMessageTimeoutW(combo, CB_SHOWDROPDOWN, FALSE, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                        &result);
    return true;
}

// "Change Value" on a file entry: the open-file dialog, then "No" to editing the path.
bool ChangeToFile(AppSession& app, ResultsGrid& grid, const RowTexts& row) {
    if (!app.Check(grid.OpenChooser(row.Row),
                   "change value: the Uninstall row's drop-down opens") ||
        !app.Check(grid.ChooseItem("Change Value"), "change value: \"Change Value\" is chosen")) {
        return false;
    }
    const DWORD pid = app.Process().Pid();
    const HWND open = WaitForDialog(pid, "Please, select the new file path", "", kDialogTimeoutMs);
    if (!app.Check(open != nullptr,
                   "change value: the open-file dialog \"Please, select the new file path\"")) {
        return false;
    }
    app.Check(SetWindowTextTo(GetDlgItem(open, kOpenFileNameBox), kReplacementFile),
              "change value: the file name is typed into the dialog");
    app.Shot("05-open-file-dialog");
    PostClick(GetDlgItem(open, IDOK));
    const HWND question =
        WaitForDialog(pid, kTitle, "Would you like to edit the selected path?", kDialogTimeoutMs);
    if (!app.Check(question != nullptr,
                   "change value: the question \"Would you like to edit the selected path?\"")) {
        return false;
    }
    app.Check(WindowText(GetDlgItem(question, IDYES)) == "&Yes" &&
                  WindowText(GetDlgItem(question, IDNO)) == "&No",
              "change value: the question has Yes and No");
    app.Shot("06-edit-path-question");
    PostClick(GetDlgItem(question, IDNO));
    const bool changed = WaitUntil(
        [&] {
            return grid.Cell(row.Row, kColumnCorrection) == "Change Value" &&
                   EqualsNoCase(grid.Cell(row.Row, kColumnFixedValue), kReplacementFile);
        },
        kShortWaitMs);
    return app.Check(changed,
                     "change value: the row reads \"Change Value\" with the chosen file as its "
                     "Fixed Value",
                     "\"" + grid.Cell(row.Row, kColumnCorrection) + "\", \"" +
                         grid.Cell(row.Row, kColumnFixedValue) + "\"");
}

// day-month-year-hour-minute-second, plain numbers, within a few minutes of now.
bool IsFreshDefaultName(const std::string& name) {
    int part[6] = {};
    int used = 0;
    if (std::sscanf(name.c_str(), "%d-%d-%d-%d-%d-%d%n", &part[0], &part[1], &part[2], &part[3],
                    &part[4], &part[5], &used) != 6 ||
        used != static_cast<int>(name.size())) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const bool startsPart = i == 0 || name[i - 1] == '-';
        const bool endsPart = i + 1 == name.size() || name[i + 1] == '-';
        if (startsPart && name[i] == '0' && !endsPart) return false;  // a leading zero
    }
    SYSTEMTIME named{};
    named.wDay = static_cast<WORD>(part[0]);
    named.wMonth = static_cast<WORD>(part[1]);
    named.wYear = static_cast<WORD>(part[2]);
    named.wHour = static_cast<WORD>(part[3]);
    named.wMinute = static_cast<WORD>(part[4]);
    named.wSecond = static_cast<WORD>(part[5]);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    FILETIME namedTime{};
    FILETIME nowTime{};
    if (!SystemTimeToFileTime(&named, &namedTime) || !SystemTimeToFileTime(&now, &nowTime)) {
        return false;
    }
    const auto ticks = [](const FILETIME& time) {
        return static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime);
    };
    const LONGLONG seconds = (ticks(nowTime) - ticks(namedTime)) / kTicksPerSecond;
    return seconds >= -5 && seconds <= kDefaultNameSlackSeconds;
}

}  // namespace

bool SetActions(AppSession& app, ResultsGrid& grid, const SeededRows& rows) {
    app.Send(Control::cmdDeselect);
    const int count = grid.Rows();
    int ignored = 0;
    for (int row = 1; row <= count; ++row) {
        if (grid.Cell(row, kColumnCorrection) == "Ignore") ++ignored;
    }
    app.Check(ignored == count, "actions: Ignore All sets every row to \"Ignore\"",
              std::to_string(ignored) + " of " + std::to_string(count));
    if (!InspectChooser(app, grid, rows.AppPath.Row) || !grid.ChooseItem("Delete") ||
        !app.Check(
            WaitUntil([&] { return grid.Cell(rows.AppPath.Row, kColumnCorrection) == "Delete"; },
                      kShortWaitMs),
            "actions: the App Path row is set to \"Delete\"")) {
        return false;
    }
    if (!ChangeToFile(app, grid, rows.Uninstall)) return false;
    if (!SetRowAction(app, grid, rows.SharedDll, "Delete")) return false;
    app.Check(grid.Cell(rows.Run.Row, kColumnCorrection) == "Ignore",
              "actions: the Run row stays \"Ignore\"");
    return true;
}

bool RepairWithNamedBackup(AppSession& app, ResultsGrid& grid, int rowsBefore) {
    app.Post(Control::cmdNext);
    if (!app.Check(app.WaitPages("FrameFixPrev") && app.Step() == 2,
                   "repair preview: Repair shows the preview page (step 2)",
                   "pages \"" + app.Pages() + "\"")) {
        return false;
    }
    // The page shows before the preview is prepared (the handler yields in between).
    const std::string expectedFix = "Kestovar Hivewarden will repair 3 errors.";
    app.CheckSoon([&] { return app.Text(Control::lblErrorsFix) == expectedFix; },
                  "repair preview: \"" + expectedFix + "\"",
                  [&] { return "got \"" + app.Text(Control::lblErrorsFix) + "\""; });
    app.CheckSoon([&] { return IsFreshDefaultName(app.Text(Control::txtBackUpName)); },
                  "repair preview: the proposed backup name is the current day-month-year-hour-"
                  "minute-second",
                  [&] { return "got \"" + app.Text(Control::txtBackUpName) + "\""; });
    app.Check(app.Text(Control::cmdNext) == "Next >" && app.Enabled(Control::cmdNext),
              "repair preview: Next reads \"Next >\" and is enabled");
    app.Check(SetWindowTextTo(app.Item(Control::txtBackUpName), kBackupName) &&
                  app.Text(Control::txtBackUpName) == kBackupName,
              "repair preview: the backup name is typed");
    app.Check(app.Enabled(Control::cmdNext), "repair preview: Next stays enabled for the name");
    app.Shot("07-repair-preview");

    app.Post(Control::cmdNext);
    const bool back =
        WaitUntil([&] { return app.Step() == 4 && app.Pages() == "FrameScan"; }, kRepairTimeoutMs);
    if (!app.Check(back, "repair: the repair ends on the results page (step 4)",
                   "step " + std::to_string(app.Step()) + ", pages \"" + app.Pages() + "\"")) {
        return false;
    }
    // The post-repair state follows the page after one more yield.
    app.CheckSoon(
        [&] { return app.Text(Control::cmdNext) == "Repair" && app.Enabled(Control::cmdNext); },
        "repair: Next reads \"Repair\" and is enabled",
        [&] { return "got \"" + app.Text(Control::cmdNext) + "\""; });
    app.CheckSoon([&] { return app.Text(Control::cmdExit) == "Finish"; },
                  "repair: Exit reads \"Finish\"",
                  [&] { return "got \"" + app.Text(Control::cmdExit) + "\""; });
    app.CheckSoon([&] { return !app.Enabled(Control::cmdBack); }, "repair: Back is disabled");
    const int rowsAfter = grid.Rows();
    app.Check(rowsAfter == rowsBefore - 3, "repair: the three repaired rows left the grid",
              std::to_string(rowsBefore) + " rows before, " + std::to_string(rowsAfter) + " after");
    app.Check(grid.Find([](const RowTexts& row) {
                      return ContainsNoCase(row.ErrorKind, "C:\\HwGone\\stale.exe");
                  })
                  .has_value(),
              "repair: the ignored Run row is still in the grid");
    app.Check(!grid.Find([](const RowTexts& row) {
                       return ContainsNoCase(row.ErrorKind, "hwgone.exe") ||
                              ContainsNoCase(row.ErrorKind, "uninst.exe") ||
                              ContainsNoCase(row.ErrorKind, "shared.dll");
                   })
                   .has_value(),
              "repair: no repaired row is left in the grid");
    app.Shot("08-repair-done");
    return true;
}

void CheckRegistryAfterRepair(AppSession& app) {
    app.Check(!ValueExists(kAppPathEntry.Root, kAppPathEntry.Key, kAppPathEntry.Name),
              "registry: the stale App Path value is deleted");
    const std::optional<std::string> uninstall =
        ReadText(kUninstallEntry.Root, kUninstallEntry.Key, kUninstallEntry.Name);
    app.Check(uninstall && EqualsNoCase(*uninstall, kReplacementFile),
              "registry: the UninstallString now holds the chosen file",
              "got \"" + uninstall.value_or("(none)") + "\"");
    app.Check(!ValueExists(kSharedDllEntry.Root, kSharedDllEntry.Key, kSharedDllEntry.Name),
              "registry: the stale SharedDLLs value is deleted");
    app.Check(ReadText(kRunEntry.Root, kRunEntry.Key, kRunEntry.Name) == kRunEntry.Data,
              "registry: the ignored Run value is unchanged");
    app.Check(ReadText(HKEY_LOCAL_MACHINE, kPresentAppPathKey, "") == kPresentFile,
              "registry: the App Path to an existing file is unchanged");
    app.Check(ValueExists(HKEY_LOCAL_MACHINE, kSharedDllsKey, kCountedDllName),
              "registry: the SharedDLLs use count is unchanged");
}

void CheckBackupFile(AppSession& app) {
    const std::string expected = FolderOf(app.Context().AppPath) + "\\" + kBackupName + ".reg";
    const std::string reported = app.Ask("backup").value_or("");
    app.Check(EqualsNoCase(reported, expected), "backup: the backup is " + expected,
              "the window says \"" + reported + "\"");
    const std::string text = ReadWholeFile(expected).value_or("");
    app.Check(text.rfind("REGEDIT4\r\n", 0) == 0, "backup: the file starts with \"REGEDIT4\"",
              text.empty() ? "missing or empty" : "starts \"" + text.substr(0, 16) + "\"");
    const std::string keys[] = {
        "[HKEY_LOCAL_MACHINE\\" + kAppPathEntry.Key + "]",
        "[HKEY_LOCAL_MACHINE\\" + kUninstallEntry.Key + "]",
        "[HKEY_LOCAL_MACHINE\\" + kSharedDllEntry.Key + "]",
    };
    for (const std::string& key : keys) {
        app.Check(ContainsNoCase(text, key + "\r\n"), "backup: it holds the section " + key);
    }
    app.Check(ContainsNoCase(text, "\"UninstallString\"=\"C:\\\\HwGone\\\\uninst.exe\""),
              "backup: it holds the old UninstallString");
    app.Check(!ContainsNoCase(text, "HwStale"), "backup: the ignored Run value is not in it");
}

void FinishAndExit(AppSession& app) {
    app.Post(Control::cmdExit);
    app.Check(app.WaitPages("FrameStart") && app.Step() == -1,
              "finish: Finish shows the start page (step -1)", "pages \"" + app.Pages() + "\"");
    app.CheckSoon(
        [&] {
            return app.Text(Control::cmdNext) == "Next >" && app.Text(Control::cmdExit) == "Exit";
        },
        "finish: Next reads \"Next >\" and Exit \"Exit\" again");
    app.CheckSoon([&] { return app.Checked(Control::optStart0); }, "finish: option 0 is selected");
    app.Check(app.ExitProgram(), "exit: Exit ends the program");
    app.Note("exit code " + std::to_string(app.Process().ExitCode()));
}

}  // namespace hivewarden::e2e
