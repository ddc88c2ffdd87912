// The window's text seam: the program's UTF-8 texts as the UTF-16 the wide Win32 calls take,
// and the UTF-16 those calls give back as UTF-8. Only the window's files convert; the logic
// behind the View sees UTF-8 alone.
#pragma once

#include <string>
#include <string_view>

#include "ui/win32/win32_headers.h"

namespace hivewarden::ui::win32 {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// A window's text (WM_GETTEXT) as UTF-8.
std::string WindowTextOf(HWND window);
// The text of a combo box's item as UTF-8; empty when there is no such item.
std::string ComboItemText(HWND combo, int index);

}  // namespace hivewarden::ui::win32
