// The main window as the View of its logic: pages, control states, timers, the message pump,
// the results grid and the action drop-down, the window's own state and the tray icon.
#include "ui/win32/control_ids.h"
#include "ui/win32/main_frame.h"
#include "ui/win32/wide_text.h"

namespace hivewarden::ui::win32 {
namespace {

// The message loop runs at most this often while an engine works: often enough for timers
// and Cancel to respond, rarely enough not to slow the scan (each pump costs a server round
// trip under Wine).
constexpr DWORD kPumpIntervalMs = 10;

constexpr UINT kTrayCallbackMessage = WM_MOUSEMOVE;
constexpr UINT kTrayIconId = 1;
constexpr const wchar_t* kTrayTip = L"Kestovar Hivewarden";

}  // namespace

void MainFrame::ShowPage(Page page, bool shown) {
    pagesShown_[static_cast<std::size_t>(page)] = shown;
    for (const auto& [id, owner] : pageOf_) {
        if (owner == page) ShowWindow(GetDlgItem(window_, id), shown ? SW_SHOW : SW_HIDE);
    }
    if (!shown && page == Page::FrameScan) HideActionChooser(Control::cmbAction);
    if (!shown && page == Page::FrameCustomSearching) {
        HideActionChooser(Control::cmbCustomRplAction);
    }
}

bool MainFrame::PageShown(Page page) const { return pagesShown_[static_cast<std::size_t>(page)]; }

void MainFrame::SetLayout(Layout layout) {
    layout_ = layout;
    const LayoutMetrics& metrics = layout == Layout::Compact ? kCompactLayout : kExpandedLayout;
    RECT outer{};
    GetWindowRect(window_, &outer);
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, Scale(metrics.WindowHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(separator_, nullptr, Scale(8), Scale(metrics.SeparatorTop), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    for (HWND button : buttonRow_) {
        RECT place{};
        GetWindowRect(button, &place);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&place), 2);
        SetWindowPos(button, nullptr, place.left, Scale(metrics.ButtonTop), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
    }
    for (HWND control : summaryControls_) {
        ShowWindow(control, layout == Layout::Expanded ? SW_SHOW : SW_HIDE);
    }
    // The group box paints no background of its own: everything is erased and drawn again.
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainFrame::SetWindowCaption(const std::string& text) {
    SetWindowTextW(window_, Wide(text).c_str());
}

void MainFrame::SetText(Control control, const std::string& text) {
    SetWindowTextW(Item(control), Wide(text).c_str());
}

std::string MainFrame::Text(Control control) const { return WindowTextOf(Item(control)); }

void MainFrame::SetEnabled(Control control, bool enabled) {
    EnableWindow(Item(control), enabled ? TRUE : FALSE);
}

bool MainFrame::Enabled(Control control) const { return IsWindowEnabled(Item(control)) != FALSE; }

void MainFrame::SetVisible(Control control, bool visible) {
    ShowWindow(Item(control), visible ? SW_SHOW : SW_HIDE);
}

void MainFrame::SetChecked(Control control, bool checked) {
    SendMessageW(Item(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool MainFrame::Checked(Control control) const {
    return SendMessageW(Item(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainFrame::SetFocus(Control control) { ::SetFocus(Item(control)); }

void MainFrame::SetProgress(Control control, std::int32_t percent) {
    SendMessageW(Item(control), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void MainFrame::SetCounterText(scan::Counter counter, const std::string& text) {
    SetDlgItemTextW(window_, CounterId(counter), Wide(text).c_str());
}

void MainFrame::StartTimer(Timer timer, std::int32_t intervalMs) {
    SetTimer(window_, static_cast<UINT_PTR>(timer) + 1, static_cast<UINT>(intervalMs), nullptr);
}

void MainFrame::StopTimer(Timer timer) { KillTimer(window_, static_cast<UINT_PTR>(timer) + 1); }

void MainFrame::Yield() {
    const DWORD now = GetTickCount();
    if (now - lastPump_ < kPumpIntervalMs) return;
    lastPump_ = now;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!IsDialogMessageW(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// The window is no dialog, but the dialog manager (IsDialogMessage) asks it which button
// Enter presses: the push button that has the focus, else Next, the default button. Controls
// that keep Enter for themselves (multi-line boxes, the search-text box, the grids, an open
// drop-down) say so through WM_GETDLGCODE and are never asked about. A disabled button is
// not pressed.
LRESULT MainFrame::DefaultButton() const {
    HWND focus = GetFocus();
    int id = ControlId(Control::cmdNext);
    if (focus != nullptr && GetParent(focus) == window_ &&
        (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON) != 0) {
        id = GetDlgCtrlID(focus);
    }
    return MAKELRESULT(id, DC_HASDEFID);
}

void MainFrame::GridSuspendRedraw(Control grid) {
    if (GridControl* control = Grid(grid)) control->SuspendRedraw();
}

void MainFrame::GridResumeRedraw(Control grid) {
    if (GridControl* control = Grid(grid)) control->ResumeRedraw();
}

void MainFrame::GridRowsAppended(Control grid) {
    if (GridControl* control = Grid(grid)) control->RowsAppended();
}

void MainFrame::GridRowsReset(Control grid) {
    if (GridControl* control = Grid(grid)) control->RowsReset();
}

void MainFrame::GridRowChanged(Control grid, std::int32_t row) {
    if (GridControl* control = Grid(grid)) control->RowChanged(row);
}

CellBox MainFrame::GridCellBox(Control grid, std::int32_t row, std::int32_t column) const {
    GridControl* control = Grid(grid);
    if (control == nullptr) return {};
    const RECT cell = control->CellRect(row, column);
    return {cell.left, cell.top, cell.right - cell.left};
}

std::int32_t MainFrame::GridSelectedRow(Control grid) const {
    GridControl* control = Grid(grid);
    return control == nullptr ? 0 : control->SelectedRow();
}

void MainFrame::GridEndEdit(Control grid) {
    if (GridControl* control = Grid(grid)) control->EndEdit();
}

void MainFrame::ShowActionChooser(Control chooser, const std::vector<std::string>& items,
                                  const std::string& text, const CellBox& box) {
    HWND combo = Item(chooser);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
    }
    SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(Wide(text).c_str()));
    // Its height stays; the list drops below it.
    SetWindowPos(combo, HWND_TOP, box.Left, box.Top, box.Width, Scale(120), SWP_SHOWWINDOW);
    ::SetFocus(combo);
}

void MainFrame::HideActionChooser(Control chooser) { ShowWindow(Item(chooser), SW_HIDE); }

std::optional<std::string> MainFrame::ActionChooserSelection(Control chooser) const {
    HWND combo = Item(chooser);
    const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return std::nullopt;
    return ComboItemText(combo, static_cast<int>(selected));
}

bool MainFrame::Minimized() const { return IsIconic(window_) != FALSE; }

bool MainFrame::Visible() const { return IsWindowVisible(window_) != FALSE; }

void MainFrame::Minimize() { ShowWindow(window_, SW_MINIMIZE); }

void MainFrame::Hide() { ShowWindow(window_, SW_HIDE); }

void MainFrame::RestoreFromTray() {
    ShowWindow(window_, SW_RESTORE);
    ShowWindow(window_, SW_SHOW);
    CenterOnScreen();
    SetForegroundWindow(window_);
}

void MainFrame::CenterOnScreen() {
    RECT outer{};
    GetWindowRect(window_, &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainFrame::DisableCloseCommand() {
    HMENU menu = GetSystemMenu(window_, FALSE);
    const int count = GetMenuItemCount(menu);
    if (count > 0) RemoveMenu(menu, static_cast<UINT>(count - 1), MF_BYPOSITION);
    DrawMenuBar(window_);
}

// The shell's icon record in its first form (NOTIFYICONDATAW_V1_SIZE: 152 bytes on 32-bit
// Windows): window, id 1, message + icon + a tip of at most 63 characters.
static NOTIFYICONDATAW TrayIconData(HWND window, HICON icon, const wchar_t* tip) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = window;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon;
    lstrcpynW(data.szTip, tip, 64);
    return data;
}

void MainFrame::AddTrayIcon() {
    NOTIFYICONDATAW data = TrayIconData(window_, smallIcon_, kTrayTip);
    if (Shell_NotifyIconW(NIM_ADD, &data)) trayIconAdded_ = true;
    if (!IsIconic(window_)) ShowWindow(window_, SW_MINIMIZE);
    ShowWindow(window_, SW_HIDE);
}

void MainFrame::AddTrayIconAgain() {
    if (!trayIconAdded_) return;
    NOTIFYICONDATAW data = TrayIconData(window_, smallIcon_, kTrayTip);
    Shell_NotifyIconW(NIM_ADD, &data);
}

void MainFrame::RemoveTrayIcon() {
    NOTIFYICONDATAW data = TrayIconData(window_, smallIcon_, L"");
    Shell_NotifyIconW(NIM_DELETE, &data);
    trayIconAdded_ = false;
}

void MainFrame::Terminate() { ExitProcess(0); }

void MainFrame::ShellOpen(const std::string& target, const std::string& folder) {
    ShellExecuteW(window_, L"open", Wide(target).c_str(), nullptr, Wide(folder).c_str(),
                  SW_SHOWNORMAL);
}

}  // namespace hivewarden::ui::win32
