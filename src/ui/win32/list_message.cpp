// The message with a list beneath it: the system's icon, the text, the lines in a read-only
// box that scrolls when they are many, and OK. Built in memory like the window's other small
// dialogs, so that a long list never grows past the screen as a message box would.
#include <algorithm>

#include "ui/win32/dialog_template.h"
#include "ui/win32/main_frame.h"
#include "ui/win32/wide_text.h"

namespace hivewarden::ui::win32 {
namespace {

constexpr WORD kIconId = 100;
constexpr WORD kTextId = 101;
constexpr WORD kListId = 102;
// Dialog units: the width, one text line's height, and the list box's height.
constexpr short kWidth = 320;
constexpr short kLineHeight = 9;
constexpr short kListHeight = 96;

struct ListMessageState {
    std::wstring Text;
    std::wstring Lines;
    MessageIcon Icon;
};

// Line breaks as the text controls want them.
std::wstring WithCrLf(const std::string& text) {
    std::wstring wide;
    for (const wchar_t c : Wide(text)) {
        if (c == L'\n') wide += L'\r';
        wide += c;
    }
    return wide;
}

LPCWSTR SystemIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return MAKEINTRESOURCEW(32516);  // IDI_INFORMATION
        case MessageIcon::Question:
            return MAKEINTRESOURCEW(32514);  // IDI_QUESTION
        case MessageIcon::Critical:
            return MAKEINTRESOURCEW(32513);  // IDI_ERROR
        case MessageIcon::Exclamation:
        case MessageIcon::None:
            break;
    }
    return MAKEINTRESOURCEW(32515);  // IDI_WARNING
}

INT_PTR CALLBACK ListMessageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const auto* state = reinterpret_cast<const ListMessageState*>(lParam);
            SendDlgItemMessageW(
                dialog, kIconId, STM_SETICON,
                reinterpret_cast<WPARAM>(LoadIconW(nullptr, SystemIcon(state->Icon))), 0);
            SetDlgItemTextW(dialog, kTextId, state->Text.c_str());
            SetDlgItemTextW(dialog, kListId, state->Lines.c_str());
            SetFocus(GetDlgItem(dialog, IDOK));
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

void MainFrame::ShowListMessage(const std::string& text, const std::vector<std::string>& lines,
                                MessageIcon icon) {
    ListMessageState state{WithCrLf(text), {}, icon};
    // Long lines wrap; an empty line parts the items.
    for (const std::string& line : lines) {
        if (!state.Lines.empty()) state.Lines += L"\r\n\r\n";
        state.Lines += WithCrLf(line);
    }
    // The text's own lines, one more for a line that wraps.
    short textLines = 2;
    for (const char c : text) textLines += c == '\n' ? 1 : 0;
    const short textHeight = static_cast<short>(textLines * kLineHeight);
    const short listTop = static_cast<short>(std::max<short>(textHeight, 24) + 14);
    const short buttonTop = static_cast<short>(listTop + kListHeight + 7);

    DialogTemplate dialog(std::string(kProductName), kWidth, static_cast<short>(buttonTop + 21));
    dialog.Add(ItemKind::Static, kIconId, SS_ICON, 7, 7, 21, 20);
    dialog.Add(ItemKind::Static, kTextId, SS_LEFT | SS_NOPREFIX, 36, 7, kWidth - 43, textHeight);
    dialog.Add(ItemKind::Edit, kListId,
               ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7,
               listTop, kWidth - 14, kListHeight);
    dialog.Add(ItemKind::Button, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, (kWidth - 50) / 2, buttonTop,
               50, 14, "OK");
    MessageBeep(icon == MessageIcon::Critical ? MB_ICONERROR : MB_ICONEXCLAMATION);
    DialogBoxIndirectParamW(instance_, dialog.Get(), window_, ListMessageProc,
                            reinterpret_cast<LPARAM>(&state));
}

}  // namespace hivewarden::ui::win32
