// UTF-8 <-> UTF-16 for the window's wide calls, through the program's one conversion
// (registry/unicode.h): lone surrogates in names travel both ways unchanged.
#include "ui/win32/wide_text.h"

#include "registry/unicode.h"

namespace hivewarden::ui::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows keeps text in 16-bit units");

std::wstring Wide(std::string_view utf8) {
    const std::u16string units = Utf16FromUtf8(utf8);
    return std::wstring(units.begin(), units.end());
}

std::string Utf8(std::wstring_view wide) {
    const std::u16string units(wide.begin(), wide.end());
    return Utf8FromUtf16(units);
}

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
