// The system's dialogs from the driver's side.
#include "e2e/common_dialogs.h"

#include <shlobj.h>

#include "e2e/remote_memory.h"
#include "e2e/utf8_text.h"
#include "e2e/window_tools.h"

namespace hivewarden::e2e {

HWND WaitForOwnedDialog(AppSession& app, HWND owner, DWORD timeoutMs,
                        const std::function<bool(HWND)>& match) {
    return WaitForTopLevel(
        app.Process().Pid(),
        [&](HWND window) {
            return IsWindowVisible(window) && ClassOf(window) == "#32770" &&
                   GetWindow(window, GW_OWNER) == owner && (!match || match(window));
        },
        timeoutMs);
}

bool TypeFileName(HWND dialog, const std::string& path) {
    const HWND box = GetDlgItem(dialog, kFileNameBox);
    return box != nullptr && SetWindowTextTo(box, path) && EqualsNoCase(WindowText(box), path);
}

namespace {

constexpr DWORD kPickerRetryMs = 100;
constexpr int kPickerAttempts = 30;
constexpr int kItemTextSize = MAX_PATH;

HWND PickerTree(HWND picker) { return FindWindowExW(picker, nullptr, WC_TREEVIEWW, nullptr); }

// The text of the tree's selected item; empty when there is none.
std::string SelectedFolderName(AppSession& app, HWND tree) {
    DWORD_PTR item = 0;
    if (!SendMessageTimeoutW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_ABORTIFHUNG,
                             kMessageTimeoutMs, &item) ||
        item == 0) {
        return {};
    }
    RemoteBuffer buffer(app.Process().Handle(), sizeof(TVITEMW) + kItemTextSize * sizeof(wchar_t));
    TVITEMW query{};
    query.mask = TVIF_TEXT;
    query.hItem = reinterpret_cast<HTREEITEM>(item);
    query.pszText = reinterpret_cast<wchar_t*>(buffer.Address(sizeof(TVITEMW)));
    query.cchTextMax = kItemTextSize;
    wchar_t text[kItemTextSize] = {};
    DWORD_PTR result = 0;
    if (!buffer.Write(&query, sizeof(query)) ||
        !SendMessageTimeoutW(tree, TVM_GETITEMW, 0, buffer.Address(), SMTO_ABORTIFHUNG,
                             kMessageTimeoutMs, &result) ||
        result == 0 || !buffer.Read(text, (kItemTextSize - 1) * sizeof(wchar_t), sizeof(TVITEMW))) {
        return {};
    }
    return Utf8(text);
}

}  // namespace

bool SelectFolder(AppSession& app, HWND picker, const std::string& folder) {
    const HWND tree = PickerTree(picker);
    const std::string name = folder.substr(folder.find_last_of('\\') + 1);
    // The picker fills its tree after it shows; a selection made before that is lost.
    for (int attempt = 0; tree != nullptr && attempt < kPickerAttempts; ++attempt) {
        if (EqualsNoCase(SelectedFolderName(app, tree), name)) return true;
        if (SendRemoteText(app.Process().Handle(), picker, BFFM_SETSELECTIONW, TRUE, folder) &&
            EqualsNoCase(SelectedFolderName(app, tree), name)) {
            return true;
        }
        Sleep(kPickerRetryMs);
    }
    return false;
}

}  // namespace hivewarden::e2e
