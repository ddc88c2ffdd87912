// The window at 96 and at 144 dpi: started at each (LogPixels of the user's desktop, read by
// a program when it starts) and moved from 96 to 144 while it runs (WM_DPICHANGED, as Windows
// sends it when the window reaches a monitor of another scale). On the start page and on the
// expanded results page nothing is clipped, nothing lies outside the window and no two controls
// overlap (the window's own check of its layout), and screenshots of both go to the shots.
#include <string>

#include "e2e/program_settings.h"
#include "e2e/registry_tools.h"
#include "e2e/scan_steps.h"
#include "e2e/scenarios.h"
#include "e2e/scope_exit.h"

namespace hivewarden::e2e {
namespace {

using ui::Control;

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kLogPixels[] = "LogPixels";
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED

bool CheckLayout(AppSession& app, const std::string& label) {
    const std::string layout = app.Ask("layout").value_or("?");
    return app.Check(layout.rfind("ok ", 0) == 0,
                     label + ": nothing clipped, outside or overlapping", layout);
}

int ClientWidth(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return client.right;
}

void RunAt(DriverContext& context, int dpi) {
    const std::string label = "dpi " + std::to_string(dpi);
    AppSession app(context, "dpi");
    ResetProgramSettings();
    if (!app.Launch("") || !app.Check(app.WaitMainWindow(), label + ": the main window appears")) {
        return;
    }
    app.Check(ClientWidth(app.Main()) == MulDiv(600, dpi, 96),
              label + ": the client area is 600 pixels at 96 dpi, scaled",
              std::to_string(ClientWidth(app.Main())));
    CheckLayout(app, label + " start page");
    app.Shot("40-dpi-" + std::to_string(dpi) + "-start");
    if (ScanCategories(app, {Control::chkAppPaths, Control::chkFonts}, label)) {
        CheckLayout(app, label + " results page");
        app.Shot("41-dpi-" + std::to_string(dpi) + "-results");
        if (dpi == 96) {
            // Moved to a monitor at 150 %: the same window lays itself out again.
            SendMessageW(app.Main(), kDpiChanged, MAKEWPARAM(144, 144), 0);
            app.Check(ClientWidth(app.Main()) == 900,
                      "dpi 96 to 144: WM_DPICHANGED widens the client area to 900 pixels",
                      std::to_string(ClientWidth(app.Main())));
            CheckLayout(app, "dpi 96 to 144 results page");
            app.Shot("42-dpi-96-to-144-results");
        }
    }
    app.Check(app.ExitProgram(), "exit: Exit ends the program");
}

}  // namespace

void RunDpi(DriverContext& context) {
    RunAt(context, 96);
    const std::optional<std::string> before = ReadText(HKEY_CURRENT_USER, kDesktopKey, kLogPixels);
    const ScopeExit restore([] { DeleteValue(HKEY_CURRENT_USER, kDesktopKey, kLogPixels); });
    if (!context.Results.Check(WriteNumber(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, 144),
                               "dpi 144: LogPixels=144 is set for the next program start")) {
        return;
    }
    RunAt(context, 144);
}

}  // namespace hivewarden::e2e
