// UTF-8 <-> UTF-16 for the window's wide calls: the seam's one conversion (win32_system.h over
// registry/unicode.h), so lone surrogates in names travel both ways unchanged.
#include "ui/win32/wide_text.h"

#include "files/win32_system.h"

namespace hivewarden::ui::win32 {

std::wstring Wide(std::string_view utf8) { return registry::win32::Wide(utf8); }

std::string Utf8(std::wstring_view wide) { return registry::win32::Narrow(wide); }

std::string WindowTextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Utf8(text);
}

std::string ComboItemText(HWND combo, int index) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(text.data()));
    if (copied == CB_ERR) return {};
    text.resize(static_cast<std::size_t>(copied));
    return Utf8(text);
}

}  // namespace hivewarden::ui::win32
