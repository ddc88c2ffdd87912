// The about box: About opens it owned by the main window, it names the product, the version
// and the operating system read from the registry, OK closes it, and so does Escape.
#include "e2e/common_dialogs.h"
#include "e2e/program_settings.h"
#include "e2e/registry_tools.h"
#include "e2e/scenarios.h"
#include "e2e/window_tools.h"

namespace hivewarden::e2e {
namespace {

using ui::Control;

const char* const kAboutTitle = "About Kestovar Hivewarden";

HWND OpenAbout(AppSession& app, const std::string& label) {
    app.Post(Control::cmdAbout);
    const HWND box = WaitForOwnedDialog(app, app.Main(), kDialogWaitMs, [](HWND window) {
        return WindowText(window) == kAboutTitle;
    });
    app.Check(box != nullptr,
              label + ": About opens \"" + kAboutTitle + "\", owned by the main window");
    return box;
}

void CheckContents(AppSession& app, HWND box) {
    const std::string texts = DialogText(box);
    app.Note("about: its texts \"" + texts + "\"");
    app.Check(texts.find("Kestovar Hivewarden") != std::string::npos,
              "about: it names the product");
    app.Check(texts.find("Version : ") != std::string::npos, "about: it shows \"Version : \"");
    app.Check(texts.find("Operating System :") != std::string::npos,
              "about: it shows \"Operating System :\"");
    const std::optional<std::string> product = ReadText(
        HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion", "ProductName");
    app.Check(product && !product->empty() && texts.find(*product) != std::string::npos,
              "about: it shows the system's product name \"" + product.value_or("") + "\"");
    app.Check(WindowText(GetDlgItem(box, IDOK)) == "OK", "about: it has an OK button");
}

}  // namespace

void RunAboutBox(DriverContext& context) {
    AppSession app(context, "about");
    ResetProgramSettings();
    if (!app.Launch("") || !app.Check(app.WaitMainWindow(), "about: the main window appears")) {
        return;
    }
    if (const HWND box = OpenAbout(app, "about")) {
        CheckContents(app, box);
        app.Check(!IsWindowEnabled(app.Main()), "about: the main window waits while it shows");
        app.Shot("28-about-box");
        PostClick(GetDlgItem(box, IDOK));
        app.Check(WaitClosed(box, kDialogWaitMs), "about: OK closes it");
    }
    if (const HWND box = OpenAbout(app, "about again")) {
        const HWND focus = GetDlgItem(box, IDOK);
        PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 1);
        PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 0xC0000001);
        app.Check(WaitClosed(box, kDialogWaitMs), "about: Escape closes it");
    }
    app.Check(WaitUntil([&] { return IsWindowEnabled(app.Main()) != 0; }, kShortWaitMs) &&
                  app.Pages() == "FrameStart",
              "about: the start page is back and usable");
    app.Check(app.ExitProgram(), "exit: Exit ends the program");
}

}  // namespace hivewarden::e2e
