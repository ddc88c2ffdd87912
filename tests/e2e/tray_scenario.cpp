// The notification-area icon outlives a restart of Explorer: the program waits in the tray
// (started with "-X", "&No"); the icon is taken away as a restarting Explorer loses it; the
// "TaskbarCreated" broadcast brings it back. The icon is observed through the shell itself:
// NIM_MODIFY on the window's icon succeeds only while the icon exists.
#include "e2e/e2e_headers.h"
// After <windows.h> (WIN32_LEAN_AND_MEAN leaves the shell out).
#include <shellapi.h>

#include "e2e/scenarios.h"
#include "e2e/window_tools.h"

namespace hivewarden::e2e {
namespace {

constexpr UINT kTrayIconId = 1;
constexpr int kTrayDoubleClick = WM_LBUTTONDBLCLK;

NOTIFYICONDATAW IconOf(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = window;
    data.uID = kTrayIconId;
    return data;
}

// True while the shell holds the window's icon (a modify that changes nothing).
bool IconShown(HWND window) {
    NOTIFYICONDATAW data = IconOf(window);
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

}  // namespace

void RunTrayRestart(DriverContext& context) {
    AppSession app(context, "tray-restart");
    if (!app.Launch("-X")) return;
    const HWND prompt = WaitForDialog(app.Process().Pid(), "Information", "", kLongWaitMs);
    if (!app.Check(prompt != nullptr, "tray: the start-up prompt appears")) return;
    PostClick(GetDlgItem(prompt, IDCANCEL));
    if (!app.Check(app.WaitMainWindow(), "tray: the main window exists")) return;
    app.Check(WaitUntil([&] { return !IsWindowVisible(app.Main()) && IconShown(app.Main()); },
                        kShortWaitMs),
              "tray: \"&No\" hides the window and the icon is in the notification area");

    // Explorer restarts: its new notification area knows no icon.
    NOTIFYICONDATAW gone = IconOf(app.Main());
    Shell_NotifyIconW(NIM_DELETE, &gone);
    app.Check(!IconShown(app.Main()), "tray: with the icon lost, the shell knows it no more");
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    PostMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
    app.Check(WaitUntil([&] { return IconShown(app.Main()); }, kShortWaitMs),
              "tray: after \"TaskbarCreated\" the icon is back");

    PostMessageW(app.Main(), WM_MOUSEMOVE, 0, MAKELPARAM(kTrayDoubleClick, 0));
    app.Check(WaitUntil([&] { return IsWindowVisible(app.Main()) != 0; }, kShortWaitMs),
              "tray: a double-click on the icon shows the window");
    app.Check(app.ExitProgram(), "tray: Exit ends the program");
    app.Check(!IconShown(app.Main()), "tray: Exit removes the icon");
}

}  // namespace hivewarden::e2e
