// A long repair under pressure: Enter in the backup-name box starts it (Next is the default
// button); while it runs, Next, Back and Exit are disabled and clicks, Enter and Escape posted
// into its yields press nothing, so exactly one repair and one backup happen. One stale entry
// sits under a key whose access list denies writes: the window then tells that one change
// could not be made and why (access denied), lists it, and keeps its row with its action.
// Screenshots of the summary box and of the failure message.
#include "e2e/e2e_headers.h"
// After <windows.h>: the access-list texts.
#include <sddl.h>

#include "e2e/file_tools.h"
#include "e2e/registry_tools.h"
#include "e2e/results_grid.h"
#include "e2e/scan_steps.h"
#include "e2e/scenarios.h"
#include "e2e/window_tools.h"

namespace hivewarden::e2e {
namespace {

using ui::Control;

constexpr const char* kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr const char* kDeniedProgram = "hw-guard-denied.exe";
constexpr const char* kBackupName = "guarded-repair";
// Enough entries for a repair that yields many times under Wine.
constexpr int kStaleEntries = 600;
constexpr DWORD kRepairTimeoutMs = 90000;
constexpr int kListId = 102;  // the failure message's list

std::string StaleProgram(int i) { return "hw-guard-" + std::to_string(i) + ".exe"; }

// A protected access list (SDDL) on the key: read access only ("KR") or all access ("KA") for
// everyone.
bool SetKeyAccess(const std::string& key, const wchar_t* sddl) {
    HKEY handle = nullptr;
    const std::wstring wide(key.begin(), key.end());
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, wide.c_str(), 0, WRITE_DAC | KEY_WOW64_64KEY, &handle) !=
        ERROR_SUCCESS) {
        return false;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    bool ok = ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                   &descriptor, nullptr) != FALSE;
    if (ok) {
        ok = RegSetKeySecurity(handle, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
        LocalFree(descriptor);
    }
    RegCloseKey(handle);
    return ok;
}

// True when the value cannot be deleted through a key opened for writing (the key's access
// list is in force).
bool WritesDenied(const std::string& key) {
    HKEY handle = nullptr;
    const std::wstring wide(key.begin(), key.end());
    const LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, wide.c_str(), 0,
                                      KEY_SET_VALUE | KEY_WOW64_64KEY, &handle);
    if (status == ERROR_SUCCESS) RegCloseKey(handle);
    return status == ERROR_ACCESS_DENIED;
}

bool Seed(AppSession& app, const std::string& deniedKey) {
    bool ok = true;
    for (int i = 0; i < kStaleEntries; ++i) {
        ok = WriteText(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\" + StaleProgram(i), "",
                       "C:\\HwGuardGone\\" + StaleProgram(i)) &&
             ok;
    }
    ok = WriteText(HKEY_LOCAL_MACHINE, deniedKey, "", "C:\\HwGuardGone\\denied.exe") && ok;
    app.Check(ok, "guard: " + std::to_string(kStaleEntries + 1) + " stale App Paths are seeded");
    return app.Check(SetKeyAccess(deniedKey, L"D:P(A;;KR;;;WD)") && WritesDenied(deniedKey),
                     "guard: the denied key refuses writes (its access list allows reading only)");
}

void CleanUp(const std::string& deniedKey) {
    SetKeyAccess(deniedKey, L"D:P(A;;KA;;;WD)");
    DeleteTree(HKEY_LOCAL_MACHINE, deniedKey);
    for (int i = 0; i < kStaleEntries; ++i) {
        DeleteTree(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\" + StaleProgram(i));
    }
}

struct HeldPresses {
    bool Caught = false;
    bool NextDisabled = false;
    bool BackDisabled = false;
    bool ExitDisabled = false;
};

// Waits until a question is answered from inside the repair (the repair page shows only while
// it runs), then, while the window stands still, reads the buttons and posts a click on each,
// Enter and Escape: all of them reach the window inside the repair's next yield.
HeldPresses PressDuringTheRepair(AppSession& app) {
    HeldPresses held;
    WaitUntil(
        [&] {
            app.Context().Automation.AskAndHold(
                app.Main(), "pages", [&](const std::string& answer) {
                    if (answer != "FrameFixing") return;
                    held.Caught = true;
                    held.NextDisabled = !IsWindowEnabled(app.Item(Control::cmdNext));
                    held.BackDisabled = !IsWindowEnabled(app.Item(Control::cmdBack));
                    held.ExitDisabled = !IsWindowEnabled(app.Item(Control::cmdExit));
                    app.Post(Control::cmdNext);
                    app.Post(Control::cmdBack);
                    app.Post(Control::cmdExit);
                    HWND next = app.Item(Control::cmdNext);
                    PostMessageW(next, WM_KEYDOWN, VK_RETURN, 0);
                    PostMessageW(next, WM_KEYDOWN, VK_ESCAPE, 0);
                });
            return held.Caught || app.Step() == 4;
        },
        kRepairTimeoutMs, 5);
    return held;
}

// `rows`: the changes the repair tried, one per row (every App Paths row is marked Delete, also
// rows other scenarios left behind).
void CheckFailureMessage(AppSession& app, const std::string& deniedKey, int rows) {
    const HWND message = WaitForDialog(app.Process().Pid(), "Kestovar Hivewarden",
                                       "could not be made", kRepairTimeoutMs);
    if (!app.Check(message != nullptr, "failure: a message tells that changes were not made")) {
        return;
    }
    const std::string text = DialogText(message);
    const std::string expected =
        "1 of the " + std::to_string(rows) + " registry changes could not be made.";
    app.Check(text.find(expected) != std::string::npos, "failure: \"" + expected + "\"",
              "got \"" + text + "\"");
    app.Check(ContainsNoCase(text, "the value could not be deleted: access") &&
                  ContainsNoCase(text, "denied"),
              "failure: the reason is the system's (access denied)", "got \"" + text + "\"");
    const std::string list = WindowText(GetDlgItem(message, kListId));
    app.Check(ContainsNoCase(list, deniedKey) && list.find("\r\n") == std::string::npos,
              "failure: the list names the one key that was not changed", "got \"" + list + "\"");
    app.Shot("41-repair-failures");
    PostClick(GetDlgItem(message, IDOK));
    app.Check(WaitClosed(message, kShortWaitMs), "failure: OK closes the message");
}

}  // namespace

void RunRepairGuard(DriverContext& context) {
    AppSession app(context, "repair-guard");
    const std::string deniedKey = std::string(kAppPaths) + "\\" + kDeniedProgram;
    const std::string folder = FolderOf(context.AppPath);
    struct CleanUpOnReturn {
        std::string Key;
        ~CleanUpOnReturn() { CleanUp(Key); }
    } cleanUp{deniedKey};
    if (!Seed(app, deniedKey) || !app.Launch("") || !app.WaitMainWindow()) return;
    if (!ScanCategories(app, {Control::chkAppPaths}, "guard")) return;
    ResultsGrid grid(app);
    const int rows = grid.Rows();
    app.Check(rows >= kStaleEntries + 1, "guard: every seeded entry is a row",
              std::to_string(rows) + " rows");
    app.Check(app.Text(Control::cmdNext) == "Repair" && app.AskNumber("counter 0") == rows,
              "summary: Problem(s) Found counts every row");
    app.Shot("40-summary-box");

    const std::size_t backupsBefore = FilesIn(folder, "*.reg").size();
    app.Post(Control::cmdNext);
    if (!app.Check(app.WaitPages("FrameFixPrev"), "guard: Repair shows the repair preview")) {
        return;
    }
    app.CheckSoon([&] { return !app.Text(Control::txtBackUpName).empty(); },
                  "guard: a backup name is proposed");
    HWND nameBox = app.Item(Control::txtBackUpName);
    app.Check(SetWindowTextTo(nameBox, kBackupName), "guard: the backup name is typed");
    // Enter in the name box presses the default button, Next.
    PostMessageW(nameBox, WM_KEYDOWN, VK_RETURN, 0);

    const HeldPresses held = PressDuringTheRepair(app);
    if (app.Check(held.Caught, "guard: the driver catches the repair running")) {
        app.Check(held.NextDisabled && held.BackDisabled && held.ExitDisabled,
                  "guard: Next, Back and Exit are disabled while the repair runs");
    }
    CheckFailureMessage(app, deniedKey, rows);
    const bool ended =
        WaitUntil([&] { return app.Step() == 4 && app.Ask("repairing") == "0"; }, kRepairTimeoutMs);
    app.Check(ended && app.Process().Running(),
              "guard: the repair ends on the results page, the program still runs",
              "step " + std::to_string(app.Step()));
    app.Check(FilesIn(folder, "*.reg").size() == backupsBefore + 1 &&
                  FileExists(folder + "\\" + kBackupName + ".reg"),
              "guard: exactly one repair ran: one backup, the one named");
    app.Check(EndsWithNoCase(app.Ask("backup").value_or(""), std::string(kBackupName) + ".reg"),
              "guard: the last backup is the named one");
    app.Check(grid.Rows() == 1 && ContainsNoCase(grid.Cell(1, kColumnBody), kDeniedProgram) &&
                  grid.Cell(1, kColumnCorrection) == "Delete",
              "failure: the row that was not changed stays, with its action",
              std::to_string(grid.Rows()) + " rows");
    app.Check(
        ValueExists(HKEY_LOCAL_MACHINE, deniedKey, "") &&
            !ValueExists(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\" + StaleProgram(0), ""),
        "guard: the denied value is still there, the others are deleted");
    app.CheckSoon([&] { return app.Enabled(Control::cmdNext) && app.Enabled(Control::cmdExit); },
                  "guard: Repair and Finish are enabled again afterwards");
    app.CheckSoon([&] { return app.Text(Control::cmdExit) == "Finish"; },
                  "guard: Exit reads \"Finish\"");
    app.Send(Control::cmdExit);  // Finish
    app.Check(app.WaitPages("FrameStart") && app.ExitProgram(), "guard: Finish, then Exit ends");
}

}  // namespace hivewarden::e2e
