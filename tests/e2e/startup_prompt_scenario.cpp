// The start with "-X" (as the auto-run entry starts the program): the start-up prompt, "&No"
// to the notification area, the single-instance rule, the tray icon's double-click and Exit.
#include "e2e/registry_tools.h"
#include "e2e/scenarios.h"
#include "e2e/window_tools.h"

namespace hivewarden::e2e {
namespace {

using ui::Control;

constexpr DWORD kSecondInstanceMs = 15000;
constexpr DWORD kSettleMs = 500;
// The tray icon reports its mouse events as WM_MOUSEMOVE with the event as x.
constexpr int kTrayDoubleClick = WM_LBUTTONDBLCLK;

bool AnswerNo(AppSession& app) {
    const HWND prompt = WaitForDialog(app.Process().Pid(), "Information", "", kLongWaitMs);
    if (!app.Check(prompt != nullptr, "start-up prompt: \"Information\" appears")) return false;
    app.Check(WindowText(GetDlgItem(prompt, IDOK)) == "&Scan Now",
              "start-up prompt: button \"&Scan Now\"",
              "got \"" + WindowText(GetDlgItem(prompt, IDOK)) + "\"");
    app.Check(WindowText(GetDlgItem(prompt, IDCANCEL)) == "&No", "start-up prompt: button \"&No\"",
              "got \"" + WindowText(GetDlgItem(prompt, IDCANCEL)) + "\"");
    const std::string text = DialogText(prompt);
    app.Check(text.find("Thank you for choosing Kestovar Hivewarden.") != std::string::npos &&
                  text.find("Click Scan Now to detect and repair Windows Registry errors.") !=
                      std::string::npos,
              "start-up prompt: its two lines", "got \"" + text + "\"");
    app.Shot("09-startup-prompt");
    PostClick(GetDlgItem(prompt, IDCANCEL));
    return app.Check(WaitClosed(prompt, kShortWaitMs), "start-up prompt: \"&No\" closes it");
}

void CheckSecondInstance(AppSession& app) {
    AppProcess second;
    std::string error;
    if (!app.Check(second.Start(app.Context().AppPath, "", error),
                   "single instance: a second copy starts", error)) {
        return;
    }
    const bool ended = second.WaitExit(kSecondInstanceMs);
    app.Check(ended && second.ExitCode() == 0, "single instance: the second copy ends with code 0",
              ended ? "code " + std::to_string(second.ExitCode()) : "still running");
    app.Check(app.Process().Running(), "single instance: the first copy still runs");
}

}  // namespace

void RunStartupPrompt(DriverContext& context) {
    AppSession app(context, "startup-prompt");
    if (!app.Launch("-X") || !AnswerNo(app)) return;
    if (!app.Check(app.WaitMainWindow(), "tray: the main window exists")) return;
    Sleep(kSettleMs);
    app.Step();  // the window has handled everything posted before this answer
    app.Check(!IsWindowVisible(app.Main()), "tray: after \"&No\" the main window is hidden");
    const std::string folder = FolderOf(context.AppPath);
    const std::optional<std::string> run =
        ReadText(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                 "Kestovar Hivewarden");
    app.Check(run && EqualsNoCase(*run, folder + "\\HivewardenGui.exe -X"),
              "auto-run: the Run entry holds \"" + folder + "\\HivewardenGui.exe -X\"",
              "got \"" + run.value_or("(none)") + "\"");
    CheckSecondInstance(app);

    PostMessageW(app.Main(), WM_MOUSEMOVE, 0, MAKELPARAM(kTrayDoubleClick, 0));
    app.Check(WaitUntil([&] { return IsWindowVisible(app.Main()) != 0; }, kShortWaitMs),
              "tray: a double-click on the icon shows the window");
    app.Check(!IsIconic(app.Main()), "tray: the window is restored, not minimised");
    app.Check(app.Pages() == "FrameStart", "tray: the start page is shown");
    app.Check(app.ExitProgram(), "exit: Exit ends the program");
}

}  // namespace hivewarden::e2e
