// Stopping a running scan: Cancel Scan (then "No errors to fix!" with every row ignored, Back
// to the start page, the advanced page, Exit), and Exit during a scan, which asks first.
#include "e2e/results_grid.h"
#include "e2e/scenarios.h"
#include "e2e/window_tools.h"

namespace hivewarden::e2e {
namespace {

using ui::Control;

constexpr DWORD kScanStartMs = 20000;
constexpr DWORD kCancelEndsMs = 5000;
constexpr DWORD kScanPollMs = 5;
constexpr int kOffScreen = -3000;

const char* const kTitle = "Kestovar Hivewarden";
const char* const kExitQuestion =
    "Kestovar Hivewarden is still searching your system registry. Are you sure you want to "
    "stop it and exit?";

bool StartWholeScan(AppSession& app, const std::string& label) {
    app.Post(Control::cmdNext);
    if (!app.Check(app.WaitPages("FrameScanSettings"), label + ": the scan settings page")) {
        return false;
    }
    app.Check(app.Checked(Control::chkAll), label + ": \"entire registry\" is checked");
    app.Post(Control::cmdNext);
    return app.Check(WaitUntil([&] { return app.Scanning(); }, kScanStartMs, kScanPollMs),
                     label + ": the whole-registry scan runs");
}

// The scan may take well under a second, so the window is held in the middle of it: the
// click is queued before the window may go on, and the question it raises then holds the scan
// where it was.
bool PressMidScan(AppSession& app, Control button, const std::string& what) {
    bool midScan = false;
    app.Context().Automation.AskAndHold(app.Main(), "scanning", [&](const std::string& answer) {
        midScan = answer == "1";
        if (midScan) app.Post(button);
    });
    return app.Check(midScan, what);
}

// The scan page as the question left it, with the question moved aside for the picture.
void ShootRunningScan(AppSession& app, HWND question) {
    RECT place{};
    GetWindowRect(question, &place);
    constexpr UINT kMoveOnly = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(question, nullptr, kOffScreen, kOffScreen, 0, 0, kMoveOnly);
    app.Shot("10-scan-running");
    SetWindowPos(question, nullptr, place.left, place.top, 0, 0, kMoveOnly);
}

bool CancelIt(AppSession& app) {
    if (!PressMidScan(app, Control::cmdCancelScan,
                      "cancel: Cancel Scan is pressed while the scan runs")) {
        return false;
    }
    const HWND question = WaitForDialog(app.Process().Pid(), kTitle,
                                        "Are you sure you want to cancel scanning?", kShortWaitMs);
    if (!app.Check(question != nullptr,
                   "cancel: \"Are you sure you want to cancel scanning?\" is asked")) {
        return false;
    }
    // The question holds the scan where it was.
    app.Check(app.Scanning() && app.Enabled(Control::cmdCancelScan) &&
                  !app.Enabled(Control::cmdNext) && !app.Enabled(Control::cmdBack),
              "cancel: while asked, the scan is unfinished (Cancel Scan enabled, Next and Back "
              "disabled)");
    app.Check(app.Text(Control::cmdNext) == "Repair", "cancel: Next reads \"Repair\"");
    ShootRunningScan(app, question);
    app.Shot("11-cancel-question");
    PostClick(GetDlgItem(question, IDYES));
    const ULONGLONG start = GetTickCount64();
    const bool ended = WaitUntil(
        [&] {
            return app.Enabled(Control::cmdNext) && !app.Enabled(Control::cmdCancelScan) &&
                   !app.Scanning();
        },
        kCancelEndsMs);
    app.Note("the scan ended " + std::to_string(GetTickCount64() - start) + " ms after Yes");
    if (!app.Check(ended,
                   "cancel: Yes ends the scan within 5 s (Next enabled, Cancel Scan "
                   "disabled)")) {
        return false;
    }
    DWORD_PTR position = 0;
    SendMessageTimeoutW(app.Item(Control::ScanProgress), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG,
                        kMessageTimeoutMs, &position);
    app.Check(position == 100, "cancel: the progress bar shows 100",
              "at " + std::to_string(position));
    const std::string total = app.Ask("counter 0").value_or("?");
    app.Check(app.Caption() == std::string(kTitle) + " - " + total + " errors found",
              "cancel: caption \"Kestovar Hivewarden - " + total + " errors found\"",
              "got \"" + app.Caption() + "\"");
    app.Shot("12-scan-cancelled");
    return true;
}

void NothingToFix(AppSession& app) {
    app.Send(Control::cmdDeselect);
    app.Post(Control::cmdNext);
    const HWND box = WaitForDialog(app.Process().Pid(), kTitle, "No errors to fix!", kShortWaitMs);
    if (!app.Check(box != nullptr,
                   "nothing to fix: \"No errors to fix!\" with every row ignored")) {
        return;
    }
    app.Shot("13-no-errors-to-fix");
    PostClick(GetDlgItem(box, IDOK));
    app.Check(WaitClosed(box, kShortWaitMs), "nothing to fix: OK closes the box");
    app.Check(WaitUntil([&] { return !app.Enabled(Control::cmdNext); }, kShortWaitMs) &&
                  app.Step() == 3 && app.Pages() == "FrameFixPrev",
              "nothing to fix: the preview page stays with Next disabled (step 3)",
              "step " + std::to_string(app.Step()) + ", pages \"" + app.Pages() + "\"");
    app.Post(Control::cmdBack);
    app.Check(app.WaitPages("FrameStart") && app.Step() == -1,
              "nothing to fix: Back returns to the start page (step -1)",
              "pages \"" + app.Pages() + "\"");
    app.Check(app.Text(Control::cmdNext) == "Next >" && app.Checked(Control::optStart0),
              "nothing to fix: Next reads \"Next >\", option 0 is selected");
}

void AdvancedPage(AppSession& app) {
    app.Post(Control::CmdAdvanced);
    if (!app.Check(app.WaitPages("FrameAdvanced"), "advanced: Advanced Options shows its page",
                   "pages \"" + app.Pages() + "\"")) {
        return;
    }
    app.Check(app.Checked(Control::optStart2) && !app.Checked(Control::optStart0),
              "advanced: \"Set program options\" is selected");
    app.Check(app.Checked(Control::chkMinizeToTray) && !app.Enabled(Control::chkMinizeToTray),
              "advanced: \"Minimize to System Tray\" is checked and disabled");
    app.Check(!app.Checked(Control::chkDisableStartup) && !app.Enabled(Control::chkDisableStartup),
              "advanced: \"Disable Auto-Run on startup\" is unchecked and disabled");
    app.Check(app.Enabled(Control::cmdBack), "advanced: Back is enabled");
    app.Shot("14-advanced-page");
    app.Post(Control::cmdBack);
    app.Check(app.WaitPages("FrameStart"), "advanced: Back returns to the start page");
}

}  // namespace

void RunCancelScan(DriverContext& context) {
    AppSession app(context, "cancel-scan");
    if (!app.Launch("")) return;
    if (!app.Check(app.WaitMainWindow(), "cancel: the main window appears")) return;
    if (!StartWholeScan(app, "cancel") || !CancelIt(app)) return;
    NothingToFix(app);
    AdvancedPage(app);
    app.Check(app.ExitProgram(), "exit: Exit ends the program");
}

void RunExitDuringScan(DriverContext& context) {
    AppSession app(context, "exit-during-scan");
    if (!app.Launch("")) return;
    if (!app.Check(app.WaitMainWindow(), "exit during scan: the main window appears")) return;
    if (!StartWholeScan(app, "exit during scan") ||
        !PressMidScan(app, Control::cmdExit, "exit during scan: Exit is pressed while it runs")) {
        return;
    }
    const HWND question = WaitForDialog(app.Process().Pid(), kTitle, kExitQuestion, kShortWaitMs);
    if (!app.Check(question != nullptr,
                   "exit during scan: the question \"" + std::string(kExitQuestion) + "\"")) {
        return;
    }
    app.Check(app.Process().Running() && app.Scanning(),
              "exit during scan: while asked, the program and the scan wait");
    PostClick(GetDlgItem(question, IDYES));
    app.Check(app.Process().WaitExit(kCancelEndsMs),
              "exit during scan: Yes ends the program once the scan has stopped");
}

}  // namespace hivewarden::e2e
