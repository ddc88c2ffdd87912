// The about box: a modal dialog over the main window with the program's icon, name and
// version, the running system's name and family pictures, two web links, System Info and OK.
// What it shows and starts is decided in ui/about_info.h; this file only draws and reacts.
#pragma once

#include <string>

#include "store/access.h"
#include "ui/about_info.h"
#include "ui/win32/win32_headers.h"

namespace hivewarden::ui::win32 {

// The running system's version as the kernel reports it (the compatibility layer may make
// GetVersionEx report an older one).
OsVersion RunningOsVersion();

// Shows the about box, modal to `owner`, until OK (or Esc) closes it. `programFolder` is the
// working folder of the web pages it opens.
void ShowAboutBox(HINSTANCE instance, HWND owner, registry::RegistryAccess& access,
                  const std::string& programFolder);

}  // namespace hivewarden::ui::win32
