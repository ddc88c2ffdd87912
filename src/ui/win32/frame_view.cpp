// The main window as the View of its logic: pages, control states, timers, the message pump,
// the results grid and the action drop-down, the window's own state and the tray icon.
#include "ui/win32/control_ids.h"
#include "ui/win32/main_frame.h"

namespace hivewarden::ui::win32 {
namespace {

// The message loop runs at most this often while an engine works: often enough for timers
// and Cancel to respond, rarely enough not to slow the scan (each pump costs a server round
// trip under Wine).
constexpr DWORD kPumpIntervalMs = 10;

constexpr UINT kTrayCallbackMessage = WM_MOUSEMOVE;
constexpr UINT kTrayIconId = 1;
constexpr const char* kTrayTip = "Kestovar Hivewarden";

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

void MainFrame::SetWindowCaption(const std::string& text) { SetWindowTextA(window_, text.c_str()); }

void MainFrame::SetText(Control control, const std::string& text) {
    SetWindowTextA(Item(control), text.c_str());
}

std::string MainFrame::Text(Control control) const {
    HWND item = Item(control);
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(item)) + 1, '\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextA(item, text.data(), static_cast<int>(text.size()))));
    return text;
}

void MainFrame::SetEnabled(Control control, bool enabled) {
    EnableWindow(Item(control), enabled ? TRUE : FALSE);
}

bool MainFrame::Enabled(Control control) const { return IsWindowEnabled(Item(control)) != FALSE; }

void MainFrame::SetVisible(Control control, bool visible) {
    ShowWindow(Item(control), visible ? SW_SHOW : SW_HIDE);
}

void MainFrame::SetChecked(Control control, bool checked) {
    SendMessageA(Item(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool MainFrame::Checked(Control control) const {
    return SendMessageA(Item(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainFrame::SetFocus(Control control) { ::SetFocus(Item(control)); }

void MainFrame::SetProgress(Control control, std::int32_t percent) {
    SendMessageA(Item(control), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void MainFrame::SetCounterText(scan::Counter counter, const std::string& text) {
    SetDlgItemTextA(window_, CounterId(counter), text.c_str());
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
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!IsDialogMessageA(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
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
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(text.c_str()));
    // Its height stays; the list drops below it.
    SetWindowPos(combo, HWND_TOP, box.Left, box.Top, box.Width, Scale(120), SWP_SHOWWINDOW);
    ::SetFocus(combo);
}

void MainFrame::HideActionChooser(Control chooser) { ShowWindow(Item(chooser), SW_HIDE); }

std::optional<std::string> MainFrame::ActionChooserSelection(Control chooser) const {
    HWND combo = Item(chooser);
    const LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return std::nullopt;
    std::string text(
        static_cast<std::size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, selected, 0)) + 1, '\0');
    const LRESULT length =
        SendMessageA(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text.data()));
    if (length == CB_ERR) return std::nullopt;
    text.resize(static_cast<std::size_t>(length));
    return text;
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

// The shell's icon record in its first, 88-byte form: window, id 1, message + icon + tip.
static NOTIFYICONDATAA TrayIconData(HWND window, HICON icon, const char* tip) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon;
    lstrcpynA(data.szTip, tip, 64);
    return data;
}

void MainFrame::AddTrayIcon() {
    NOTIFYICONDATAA data = TrayIconData(window_, smallIcon_, kTrayTip);
    if (Shell_NotifyIconA(NIM_ADD, &data)) trayIconAdded_ = true;
    if (!IsIconic(window_)) ShowWindow(window_, SW_MINIMIZE);
    ShowWindow(window_, SW_HIDE);
}

void MainFrame::RemoveTrayIcon() {
    NOTIFYICONDATAA data = TrayIconData(window_, smallIcon_, "");
    Shell_NotifyIconA(NIM_DELETE, &data);
    trayIconAdded_ = false;
}

void MainFrame::Terminate() { ExitProcess(0); }

void MainFrame::ShellOpen(const std::string& target, const std::string& folder) {
    ShellExecuteA(window_, "open", target.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
}

}  // namespace hivewarden::ui::win32
