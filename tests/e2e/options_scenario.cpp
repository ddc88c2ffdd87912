// The exclusion list: Add Folder (the folder picker) and Add File (the open-file dialog) on the
// options page, Next saves Ignore.ini, and a scan then shows a finding in the excluded folder
// as ignored by the user filter while another stays as it was. On that results page the
// results report is saved twice, the second time over the first file.
#include <vector>

#include "e2e/common_dialogs.h"
#include "e2e/file_tools.h"
#include "e2e/list_view.h"
#include "e2e/program_settings.h"
#include "e2e/registry_tools.h"
#include "e2e/report_steps.h"
#include "e2e/scan_steps.h"
#include "e2e/scenarios.h"
#include "e2e/scope_exit.h"
#include "e2e/window_tools.h"

namespace hivewarden::e2e {
namespace {

using ui::Control;

constexpr char kAppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
// The folder to exclude exists (the picker shows only existing folders); the file named
// below it does not.
constexpr char kExcludedFolder[] = "C:\\HwExcluded";
constexpr char kExcludedTarget[] = "C:\\HwExcluded\\gone.exe";
constexpr char kKeptTarget[] = "C:\\HwGone\\kept.exe";
constexpr char kExcludedFile[] = "C:\\windows\\notepad.exe";
constexpr char kReportName[] = "results.txt";
// The entry Ignore.ini holds when the page opens; Delete Entry removes it.
constexpr char kSeededEntry[] = "C:\\HwSeeded";

std::string ExcludedKey() { return std::string(kAppPaths) + "hwexcluded.exe"; }
std::string KeptKey() { return std::string(kAppPaths) + "hwkept.exe"; }

bool OpenOptionsPage(AppSession& app, const std::string& ignoreFile) {
    app.Post(Control::CmdAdvanced);
    if (!app.Check(app.WaitPages("FrameAdvanced"), "options: Advanced Options shows its page")) {
        return false;
    }
    app.Check(app.Checked(Control::optStart2), "options: \"Set program options\" is selected");
    app.Post(Control::cmdNext);
    if (!app.Check(app.WaitPages("FrameOptions") && app.Step() == 7,
                   "options: Next shows the options page (step 7)",
                   "pages \"" + app.Pages() + "\", step " + std::to_string(app.Step()))) {
        return false;
    }
    app.Check(app.Text(Control::cmdAddFile) == "Add File" &&
                  app.Text(Control::cmdAddFolder) == "Add Folder" &&
                  app.Text(Control::cmdDeleteEntry) == "Delete Entry",
              "options: the buttons Add File, Add Folder, Delete Entry");
    // The page loads Ignore.ini after it shows; the loaded entry tells that it is done.
    ListView list(app, Control::lstExcludeMain);
    const bool loaded = WaitUntil(
        [&] { return list.Items() == std::vector<std::string>{kSeededEntry}; }, kShortWaitMs);
    if (!app.Check(loaded, "options: the list shows the entry of Ignore.ini",
                   "list \"" + JoinList(list.Items()) + "\", file \"" +
                       ReadWholeFile(ignoreFile).value_or("(missing)") + "\"")) {
        return false;
    }
    app.Check(!app.Enabled(Control::cmdDeleteEntry),
              "options: Delete Entry starts disabled (the list was empty before the load)");
    list.ClickItem(0);
    app.Check(WaitUntil([&] { return app.Enabled(Control::cmdDeleteEntry); }, kShortWaitMs),
              "options: a click on the entry enables Delete Entry");
    app.Post(Control::cmdDeleteEntry);
    return app.Check(WaitUntil([&] { return list.Items().empty(); }, kShortWaitMs),
                     "options: Delete Entry removes the selected entry",
                     "list \"" + JoinList(list.Items()) + "\"");
}

bool AddFolder(AppSession& app, ListView& list) {
    app.Post(Control::cmdAddFolder);
    const HWND picker = WaitForOwnedDialog(app, app.Main(), kDialogWaitMs, [](HWND window) {
        return GetDlgItem(window, kFileNameBox) == nullptr;
    });
    if (!app.Check(picker != nullptr, "add folder: Add Folder opens the folder picker")) {
        return false;
    }
    app.Check(DialogText(picker).find("Select the folder or drive") != std::string::npos,
              "add folder: the picker says \"Select the folder or drive\"",
              "texts \"" + DialogText(picker) + "\"");
    app.Check(SelectFolder(app, picker, kExcludedFolder),
              std::string("add folder: ") + kExcludedFolder + " is selected in the picker");
    app.Shot("17-folder-picker");
    PostClick(GetDlgItem(picker, IDOK));
    app.Check(WaitClosed(picker, kDialogWaitMs), "add folder: OK closes the picker");
    const bool added = WaitUntil([&] { return list.Items().size() == 1; }, kShortWaitMs);
    const std::vector<std::string> items = list.Items();
    return app.Check(added && EqualsNoCase(items.front(), kExcludedFolder),
                     std::string("add folder: the list holds ") + kExcludedFolder,
                     "got \"" + JoinList(items) + "\"");
}

bool AddFile(AppSession& app, ListView& list) {
    app.Post(Control::cmdAddFile);
    const HWND open = WaitForOwnedDialog(app, app.Main(), kDialogWaitMs, [](HWND window) {
        return GetDlgItem(window, kFileNameBox) != nullptr;
    });
    if (!app.Check(open != nullptr, "add file: Add File opens the open-file dialog")) return false;
    const std::string title = WindowText(open);
    app.Check(!title.empty(), "add file: the dialog has the system's own title",
              "the title is empty");
    app.Note("add file: the dialog is titled \"" + title + "\"");
    app.Check(TypeFileName(open, kExcludedFile),
              std::string("add file: ") + kExcludedFile + " is typed");
    PostClick(GetDlgItem(open, IDOK));
    app.Check(WaitClosed(open, kDialogWaitMs), "add file: OK closes the dialog");
    const bool added = WaitUntil([&] { return list.Items().size() == 2; }, kShortWaitMs);
    const std::vector<std::string> items = list.Items();
    return app.Check(added && EqualsNoCase(items.back(), kExcludedFile),
                     std::string("add file: the list's second entry is ") + kExcludedFile,
                     "got \"" + JoinList(items) + "\"");
}

void SaveAndCheckFile(AppSession& app, ListView& list, const std::string& ignoreFile) {
    app.Check(app.Enabled(Control::cmdDeleteEntry), "options: Delete Entry is enabled");
    const std::vector<std::string> entries = list.Items();
    app.Shot("18-options-page");
    app.Post(Control::cmdNext);
    app.Check(
        app.WaitPages("FrameStart") && WaitUntil([&] { return app.Step() == -1; }, kShortWaitMs),
        "options: Next returns to the start page (step -1)", "pages \"" + app.Pages() + "\"");
    app.Check(!app.Checked(Control::optStart0) && !app.Checked(Control::optStart1),
              "options: neither option of the start page is selected afterwards");
    const std::optional<std::string> bytes = ReadWholeFile(ignoreFile);
    const std::string expected = CrLfLines(entries);
    app.Check(bytes == expected, "options: Ignore.ini holds the two entries, each ended by CR LF",
              "got \"" + bytes.value_or("(missing)") + "\"");
}

void CheckFilteredRows(AppSession& app) {
    ResultsGrid grid(app);
    const std::optional<RowTexts> excluded = grid.Find(
        [](const RowTexts& row) { return ContainsNoCase(row.ErrorKind, kExcludedTarget); });
    if (app.Check(excluded.has_value(), "filter: the entry in the excluded folder is a row")) {
        const std::string kind = std::string("Ignore by the user filter - ") + kExcludedTarget;
        app.Check(EqualsNoCase(excluded->ErrorKind, kind), "filter: it reads \"" + kind + "\"",
                  "got \"" + excluded->ErrorKind + "\"");
        app.Check(excluded->Correction == "Ignore", "filter: its Correction is \"Ignore\"",
                  "got \"" + excluded->Correction + "\"");
        app.Check(excluded->Icon == "Ignore", "filter: its icon is \"Ignore\"",
                  "got \"" + excluded->Icon + "\"");
    }
    const std::optional<RowTexts> kept =
        grid.Find([](const RowTexts& row) { return ContainsNoCase(row.ErrorKind, kKeptTarget); });
    if (app.Check(kept.has_value(), "filter: the entry outside it is a row")) {
        const std::string kind = std::string("Invalid Application Path - ") + kKeptTarget;
        app.Check(kept->ErrorKind == kind && kept->Correction == "Delete",
                  "filter: it reads \"" + kind + "\" with \"Delete\"",
                  "got \"" + kept->ErrorKind + "\", \"" + kept->Correction + "\"");
    }
}

void SaveReports(AppSession& app, const std::string& folder) {
    const std::string path = folder + "\\" + kReportName;
    RemoveFile(path);
    const ReportKind kind = ResultsReport();
    if (SaveReportAs(app, kind, path, false, "20-save-results-dialog")) {
        CheckReportFile(app, kind, path);
    }
    // The grid changes, and the second report replaces the first after the question.
    app.Send(Control::cmdDeselect);
    if (SaveReportAs(app, kind, path, true, {}, "21-overwrite-question")) {
        CheckReportFile(app, kind, path);
        const std::optional<std::string> bytes = ReadWholeFile(path);
        app.Check(bytes && bytes->find("\r\nDelete;") == std::string::npos,
                  "results report: the replaced file shows the rows as ignored");
    }
}

void CleanUp(const std::string& folder) {
    RemoveFile(folder + "\\Ignore.ini");
    DeleteTree(HKEY_LOCAL_MACHINE, ExcludedKey());
    DeleteTree(HKEY_LOCAL_MACHINE, KeptKey());
    RemoveFolder(kExcludedFolder);
}

}  // namespace

void RunExclusionList(DriverContext& context) {
    const std::string folder = FolderOf(context.AppPath);
    const std::string ignoreFile = folder + "\\Ignore.ini";
    const ScopeExit cleanUp([&] { CleanUp(folder); });  // later scenarios scan unfiltered
    AppSession app(context, "options");
    ResetProgramSettings();
    MakeFolders(kExcludedFolder);
    const bool seeded = WriteWholeFile(ignoreFile, std::string(kSeededEntry) + "\r\n") &&
                        WriteText(HKEY_LOCAL_MACHINE, ExcludedKey(), "", kExcludedTarget) &&
                        WriteText(HKEY_LOCAL_MACHINE, KeptKey(), "", kKeptTarget);
    if (!app.Check(seeded, "options: Ignore.ini with one entry and two stale App Paths are made") ||
        !app.Launch("") || !app.Check(app.WaitMainWindow(), "options: the main window appears") ||
        !OpenOptionsPage(app, ignoreFile)) {
        return;
    }
    ListView list(app, Control::lstExcludeMain);
    if (!AddFolder(app, list) || !AddFile(app, list)) return;
    SaveAndCheckFile(app, list, ignoreFile);
    if (ScanCategories(app, {Control::chkAppPaths}, "filter")) {
        CheckFilteredRows(app);
        app.Shot("19-filtered-results");
        SaveReports(app, folder);
    }
    app.Check(app.ExitProgram(), "exit: Exit ends the program");
}

}  // namespace hivewarden::e2e
