// The window's modal dialogs: message boxes, the text input, the start-up prompt, the folder
// picker, the open-file dialog and the about box.
#include "ui/win32/about_box.h"
#include "ui/win32/dialog_filter.h"
#include "ui/win32/dialog_template.h"
#include "ui/win32/main_frame.h"
#include "ui/win32/resource_ids.h"
#include "ui/win32/wide_text.h"

namespace hivewarden::ui::win32 {
namespace {

constexpr WORD kInputEditId = 100;
constexpr WORD kInputPromptId = 101;
constexpr DWORD kBrowseFileSystemOnly = 1;  // BIF_RETURNONLYFSDIRS

UINT IconFlags(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return MB_ICONINFORMATION;
        case MessageIcon::Question:
            return MB_ICONQUESTION;
        case MessageIcon::Exclamation:
            return MB_ICONEXCLAMATION;
        case MessageIcon::Critical:
            return MB_ICONERROR;
        case MessageIcon::None:
            break;
    }
    return 0;
}

struct InputState {
    std::string Prompt;
    std::string Text;
};

INT_PTR CALLBACK InputProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            state = reinterpret_cast<InputState*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            SetDlgItemTextW(dialog, kInputPromptId, Wide(state->Prompt).c_str());
            SetDlgItemTextW(dialog, kInputEditId, Wide(state->Text).c_str());
            SendDlgItemMessageW(dialog, kInputEditId, EM_SETSEL, 0, -1);
            SetFocus(GetDlgItem(dialog, kInputEditId));
            return FALSE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                state->Text = WindowTextOf(GetDlgItem(dialog, kInputEditId));
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetFocus(GetDlgItem(dialog, IDOK));
            return FALSE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

Answer MainFrame::ShowMessage(const std::string& text, MessageIcon icon, MessageButtons buttons) {
    const UINT flags =
        IconFlags(icon) | (buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK) | MB_APPLMODAL;
    const int answer = MessageBoxW(window_, Wide(text).c_str(), Wide(kProductName).c_str(), flags);
    if (buttons == MessageButtons::Ok) return Answer::Ok;
    return answer == IDYES ? Answer::Yes : Answer::No;
}

std::optional<std::string> MainFrame::InputBox(const std::string& prompt,
                                               const std::string& initial) {
    DialogTemplate dialog(std::string(kProductName), 260, 78);
    dialog.Add(ItemKind::Static, kInputPromptId, SS_LEFT, 7, 7, 190, 30);
    dialog.Add(ItemKind::Button, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 203, 6, 50, 14, "OK");
    dialog.Add(ItemKind::Button, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 203, 24, 50, 14, "Cancel");
    dialog.Add(ItemKind::Edit, kInputEditId, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 56, 246,
               14);
    InputState state{prompt, initial};
    const INT_PTR result = DialogBoxIndirectParamW(instance_, dialog.Get(), window_, InputProc,
                                                   reinterpret_cast<LPARAM>(&state));
    if (result != IDOK) return std::nullopt;
    return state.Text;
}

bool MainFrame::StartupPrompt() {
    DialogTemplate dialog("Information", 230, 76);
    dialog.Add(ItemKind::Static, 0xFFFF, SS_LEFT, 10, 10, 210, 10,
               "Thank you for choosing Kestovar Hivewarden.");
    dialog.Add(ItemKind::Static, 0xFFFF, SS_LEFT, 10, 24, 210, 20,
               "Click Scan Now to detect and repair Windows Registry errors.");
    dialog.Add(ItemKind::Button, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 62, 54, 50, 14, "&Scan Now");
    dialog.Add(ItemKind::Button, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 118, 54, 50, 14, "&No");
    return DialogBoxIndirectParamW(instance_, dialog.Get(), window_, PromptProc, 0) == IDOK;
}

std::string MainFrame::BrowseForFolder(const std::string& title) {
    const std::wstring wideTitle = Wide(title);
    BROWSEINFOW browse{};
    browse.hwndOwner = window_;
    browse.lpszTitle = wideTitle.c_str();
    browse.ulFlags = kBrowseFileSystemOnly;
    LPITEMIDLIST chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr) return {};
    // The Ex form takes a buffer longer than MAX_PATH (Vista and later).
    std::wstring path(kFileNameUnits, L'\0');
    const bool found =
        SHGetPathFromIDListEx(chosen, path.data(), kFileNameUnits, GPFIDL_DEFAULT) != FALSE;
    CoTaskMemFree(chosen);
    return found ? Utf8(path.c_str()) : std::string();
}

std::optional<std::string> MainFrame::OpenFileDialog(const std::string& title,
                                                     const std::string& filter) {
    const std::wstring filters = Wide(DialogFilter(filter));
    const std::wstring wideTitle = Wide(title);
    std::wstring path(kFileNameUnits, L'\0');
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = window_;
    open.lpstrFilter = filters.c_str();
    open.lpstrFile = path.data();
    open.nMaxFile = kFileNameUnits;
    // An empty title leaves the dialog its own ("Open").
    open.lpstrTitle = title.empty() ? nullptr : wideTitle.c_str();
    open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&open)) return std::nullopt;
    return Utf8(path.c_str());
}

void MainFrame::ShowAbout() {
    ShowAboutBox(instance_, window_, logic_.Session().Access, logic_.ProgramFolder);
}

}  // namespace hivewarden::ui::win32
