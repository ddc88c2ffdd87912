// The window's list controls (the backups with their check boxes, the exclusion list, the
// search texts), the search texts' Enter key, the save-file dialog and the custom search's
// animation.
#include "ui/win32/control_ids.h"
#include "ui/win32/dialog_filter.h"
#include "ui/win32/main_frame.h"
#include "ui/win32/resource_ids.h"
#include "ui/win32/wide_text.h"

namespace hivewarden::ui::win32 {
namespace {

constexpr UINT_PTR kEnterSubclassId = 1;

// Enter in the search-text box adds the text; the box asks for the key so that the dialog
// manager does not take it for the default button.
LRESULT CALLBACK SearchTextProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR data) {
    if (message == WM_GETDLGCODE && wParam == VK_RETURN) return DLGC_WANTALLKEYS;
    if (message == WM_CHAR && wParam == VK_RETURN) return 0;  // no beep
    if (message == WM_KEYUP && wParam == VK_RETURN) {
        reinterpret_cast<MainWindow*>(data)->CustomTextEntered();
        return 0;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

void MainFrame::SetUpLists() {
    const std::pair<Control, const wchar_t*> lists[] = {
        {Control::lsvBackups, L"Backup Name"},
        {Control::lstExcludeMain, L"Location / File"},
        {Control::lstCustomsStrs, L""}};
    for (const auto& [list, header] : lists) {
        HWND view = Item(list);
        DWORD extended = LVS_EX_FULLROWSELECT;
        if (list == Control::lsvBackups) extended |= LVS_EX_CHECKBOXES;
        SendMessageW(view, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
        RECT client{};
        GetClientRect(view, &client);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(header);
        column.cx = client.right - GetSystemMetrics(SM_CXVSCROLL);
        SendMessageW(view, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    }
    SetWindowSubclass(Item(Control::txtCustomStr), SearchTextProc, kEnterSubclassId,
                      reinterpret_cast<DWORD_PTR>(&logic_));
}

void MainFrame::ListClear(Control list) { SendMessageW(Item(list), LVM_DELETEALLITEMS, 0, 0); }

void MainFrame::ListAdd(Control list, const std::string& text) {
    std::wstring wide = Wide(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = ListCount(list);
    item.pszText = wide.data();
    SendMessageW(Item(list), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

std::int32_t MainFrame::ListCount(Control list) const {
    return static_cast<std::int32_t>(SendMessageW(Item(list), LVM_GETITEMCOUNT, 0, 0));
}

std::string MainFrame::ListText(Control list, std::int32_t index) const {
    // Entries are paths and search texts; grow the buffer until the text fits.
    for (std::size_t size = 512;; size *= 2) {
        std::wstring text(size, L'\0');
        LVITEMW item{};
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(size);
        const auto length = static_cast<std::size_t>(SendMessageW(Item(list), LVM_GETITEMTEXTW,
                                                                  static_cast<WPARAM>(index),
                                                                  reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < size || size >= 65536) {
            text.resize(length);
            return Utf8(text);
        }
    }
}

void MainFrame::ListSetText(Control list, std::int32_t index, const std::string& text) {
    std::wstring wide = Wide(text);
    LVITEMW item{};
    item.pszText = wide.data();
    SendMessageW(Item(list), LVM_SETITEMTEXTW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

void MainFrame::ListRemove(Control list, std::int32_t index) {
    SendMessageW(Item(list), LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
}

std::optional<std::int32_t> MainFrame::ListSelection(Control list) const {
    const LRESULT selected =
        SendMessageW(Item(list), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (selected < 0) return std::nullopt;
    return static_cast<std::int32_t>(selected);
}

bool MainFrame::ListChecked(Control list, std::int32_t index) const {
    const LRESULT state =
        SendMessageW(Item(list), LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK);
    return ((static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

std::optional<std::string> MainFrame::SaveFileDialog(const std::string& filter) {
    const std::wstring filters = Wide(DialogFilter(filter));
    std::wstring path(kFileNameUnits, L'\0');
    OPENFILENAMEW save{};
    save.lStructSize = sizeof save;
    save.hwndOwner = window_;
    save.lpstrFilter = filters.c_str();
    save.lpstrFile = path.data();
    save.nMaxFile = kFileNameUnits;
    save.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER;
    if (!GetSaveFileNameW(&save)) return std::nullopt;
    return Utf8(path.c_str());
}

void MainFrame::ShowAnimationFrame(std::int32_t frame) {
    animationFrame_ = frame;
    InvalidateRect(Item(Control::picCustomAnim), nullptr, FALSE);
}

void MainFrame::DrawAnimation(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (animation_ == nullptr || animationFrame_ < 1) return;
    ImageList_Draw(animation_, animationFrame_ - 1, item.hDC, item.rcItem.left, item.rcItem.top,
                   ILD_TRANSPARENT);
}

}  // namespace hivewarden::ui::win32
