// The main window's creation and its message handling: controls from the page table, fonts,
// pictures, the results grid, and every message turned into a handler of the logic.
#include "ui/win32/main_frame.h"

#include "files/win32_system.h"
#include "ui/win32/automation.h"
#include "ui/win32/control_ids.h"
#include "ui/win32/dpi.h"
#include "ui/win32/resource_ids.h"
#include "ui/win32/wide_text.h"

namespace hivewarden::ui::win32 {
namespace {

// A timer's id is its position in ui::Timer plus one (StartTimer sets it so).
constexpr UINT_PTR kTimerCount = static_cast<UINT_PTR>(Timer::tmrCustomAnim) + 1;

std::optional<Timer> TimerOfId(UINT_PTR id) {
    if (id < 1 || id > kTimerCount) return std::nullopt;
    return static_cast<Timer>(id - 1);
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* frame = reinterpret_cast<MainFrame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (frame == nullptr || frame->window_ == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return frame->Handle(message, wParam, lParam);
}

MainFrame::MainFrame(HINSTANCE instance, WindowServices services, ProgramInfo program)
    : instance_(instance), logic_(*this, std::move(services), std::move(program)) {}

MainFrame::~MainFrame() {
    for (HFONT font : fonts_) {
        if (font) DeleteObject(font);
    }
    for (HBITMAP bitmap : bitmaps_) DeleteObject(bitmap);
    for (HIMAGELIST list : {gridIcons_, customIcons_, animation_}) {
        if (list) ImageList_Destroy(list);
    }
}

int MainFrame::Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }

bool MainFrame::Create() {
    if (!RegisterGridControl(instance_)) return false;
    icon_ =
        static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_HIVEWARDEN), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_HIVEWARDEN),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance_;
    windowClass.hIcon = icon_;
    windowClass.hIconSm = smallIcon_;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kMainWindowClass;
    if (!RegisterClassExW(&windowClass)) return false;

    dpi_ = WindowDpi(nullptr);

    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT outer{0, 0, Scale(kClientWidth), Scale(100)};
    AdjustWindowRect(&outer, kStyle, FALSE);
    HWND created =
        CreateWindowExW(WS_EX_CONTROLPARENT, kMainWindowClass, Wide(kProductName).c_str(), kStyle,
                        CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left,
                        Scale(kCompactLayout.WindowHeight), nullptr, nullptr, instance_, this);
    if (created == nullptr) return false;
    window_ = created;
    // Explorer announces its restart to every top-level window; an elevated window hears the
    // unelevated Explorer only when the message filter lets the message through (Windows 7
    // and later).
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    constexpr DWORD kMessageFilterAllow = 1;  // MSGFLT_ALLOW
    if (const auto filter = registry::win32::SystemFunction<FilterFn>(
            "user32.dll", "ChangeWindowMessageFilterEx")) {
        filter(window_, taskbarCreated_, kMessageFilterAllow, nullptr);
    }
    CreateFonts();
    CreateControls();
    CreateSummaryCounters();
    LoadImages();
    SetUpGrids();
    SetUpLists();
    NameControls();
    for (const Control checked : kCheckedAtStart) SetChecked(checked, true);
    SetLayout(Layout::Compact);
    return true;
}

void MainFrame::CreateFonts() {
    struct FontSpec {
        const wchar_t* Face;
        int Points;
        int Weight;
    };
    const FontSpec specs[] = {
        {L"Verdana", 8, FW_NORMAL},  // Label
        {L"Verdana", 8, FW_BOLD},    // Bold
        {L"Verdana", 12, FW_BOLD},   // Title
        {L"Tahoma", 7, FW_NORMAL},   // Small
        {L"Tahoma", 8, FW_BOLD},     // Counter
    };
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        fonts_[i] =
            CreateFontW(-MulDiv(specs[i].Points, dpi_, 72), 0, 0, 0, specs[i].Weight, FALSE, FALSE,
                        FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        CLEARTYPE_QUALITY, DEFAULT_PITCH, specs[i].Face);
    }
}

HFONT MainFrame::FontOf(FontKind kind) const { return fonts_[static_cast<std::size_t>(kind)]; }

void MainFrame::CreateControls() {
    for (const ControlSpec& spec : MainWindowControls()) {
        HWND control =
            CreateWindowExW(0, spec.Class, Wide(spec.Text).c_str(), spec.Style, Scale(spec.X),
                            Scale(spec.Y), Scale(spec.Width), Scale(spec.Height), window_,
                            reinterpret_cast<HMENU>(INT_PTR{spec.Id}), instance_, nullptr);
        if (control == nullptr) continue;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(spec.Font)), FALSE);
        switch (spec.Where) {
            case Placement::OnPage:
                pageOf_[spec.Id] = spec.OnPage;
                break;
            case Placement::SummaryBox:
                summaryControls_.push_back(control);
                break;
            case Placement::ButtonRow:
                buttonRow_.push_back(control);
                break;
            case Placement::Separator:
                separator_ = control;
                break;
            case Placement::Always:
                break;
        }
    }
}

namespace {

// The summary box's pairs in reading order (left to right, then down), as the box lists them.
constexpr scan::Counter kSummaryOrder[] = {
    scan::Counter::TotalProblems, scan::Counter::Shortcuts, scan::Counter::VirDev,
    scan::Counter::AddRemove,     scan::Counter::Shared,    scan::Counter::Empty,
    scan::Counter::Help,          scan::Counter::Devs,      scan::Counter::Sounds,
    scan::Counter::Startup,       scan::Counter::Fonts,     scan::Counter::Trojan,
};

std::string_view CounterCaption(scan::Counter counter) {
    for (const scan::CounterInfo& info : scan::kCounterTable) {
        if (info.Id == counter) return info.Caption;
    }
    return {};
}

}  // namespace

// Three columns of caption-and-number pairs: each number right-aligned in a narrow column of
// its own just after its caption, and a wide gap before the next pair, so that a number is read
// with its own caption.
void MainFrame::CreateSummaryCounters() {
    constexpr int kColumns = 3;
    constexpr int kLeft = 18;
    constexpr int kColumnStep = 194;
    constexpr int kCaptionWidth = 100;
    constexpr int kNumberGap = 2;
    constexpr int kNumberWidth = 32;
    constexpr int kTop = 347;
    constexpr int kRowStep = 20;
    constexpr int kHeight = 16;
    int n = 0;
    for (const scan::Counter id : kSummaryOrder) {
        const int x = kLeft + (n % kColumns) * kColumnStep;
        const int y = kTop + (n / kColumns) * kRowStep;
        HWND caption = CreateWindowExW(0, L"STATIC", Wide(CounterCaption(id)).c_str(),
                                       WS_CHILD | SS_LEFT | SS_NOPREFIX, Scale(x), Scale(y),
                                       Scale(kCaptionWidth), Scale(kHeight), window_, nullptr,
                                       instance_, nullptr);
        HWND counter = CreateWindowExW(
            0, L"STATIC", L"0", WS_CHILD | SS_RIGHT, Scale(x + kCaptionWidth + kNumberGap),
            Scale(y), Scale(kNumberWidth), Scale(kHeight), window_,
            reinterpret_cast<HMENU>(INT_PTR{CounterId(id)}), instance_, nullptr);
        SendMessageW(caption, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(FontKind::Small)), FALSE);
        SendMessageW(counter, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(FontKind::Counter)),
                     FALSE);
        summaryControls_.push_back(caption);
        summaryControls_.push_back(counter);
        ++n;
    }
}

void MainFrame::SetUpGrids() {
    // The image lists are LoadImages' (at the window's DPI).
    // The drop-downs cover a cell exactly.
    RECT combo{};
    GetWindowRect(Item(Control::cmbAction), &combo);
    const int rowHeight = combo.bottom - combo.top;
    RECT grid{};
    GetClientRect(Item(Control::lstFound), &grid);

    resultsGrid_ = GridControl::FromWindow(Item(Control::lstFound));
    if (resultsGrid_ != nullptr) {
        resultsSource_ = std::make_unique<ResultGridSource>(logic_.Results, grid.right);
        resultsGrid_->SuspendRedraw();
        resultsGrid_->SetImageList(gridIcons_);
        resultsGrid_->SetSource(resultsSource_.get());
        resultsGrid_->SetStandardRowHeight(rowHeight);
        resultsGrid_->ResumeRedraw();
    }
    customGrid_ = GridControl::FromWindow(Item(Control::lstCustomSearching));
    if (customGrid_ != nullptr) {
        customSource_ = std::make_unique<CustomGridSource>(logic_.CustomHits, grid.right);
        customGrid_->SuspendRedraw();
        customGrid_->SetImageList(customIcons_);
        customGrid_->SetSource(customSource_.get());
        customGrid_->SetStandardRowHeight(rowHeight);
        customGrid_->ResumeRedraw();
    }
}

HWND MainFrame::Item(Control control) const { return GetDlgItem(window_, ControlId(control)); }

GridControl* MainFrame::Grid(Control grid) const {
    if (grid == Control::lstFound) return resultsGrid_;
    if (grid == Control::lstCustomSearching) return customGrid_;
    return nullptr;
}

LRESULT MainFrame::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (taskbarCreated_ != 0 && message == taskbarCreated_) {
        AddTrayIconAgain();
        return 0;
    }
    switch (message) {
        case DM_GETDEFID:
            return DefaultButton();
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_TIMER:
            if (const std::optional<Timer> timer = TimerOfId(wParam)) logic_.OnTimer(*timer);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) logic_.Activated();
            break;
        case WM_SIZE:
            logic_.Resized();
            return 0;
        case WM_MOUSEMOVE:
            // The notification-area icon reports its mouse messages here, as the x coordinate.
            if (!IsWindowVisible(window_)) logic_.TrayIconMessage(GET_X_LPARAM(lParam));
            return 0;
        case WM_CLOSE:
            // Never closes by itself; Exit decides.
            logic_.CloseRequested();
            return 0;
        case kDpiChangedMessage:
            OnDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
        case WM_THEMECHANGED:
            ThemeChanged();
            break;
        case WM_COPYDATA:
            return OnCopyData(reinterpret_cast<HWND>(wParam),
                              *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_DRAWITEM:
            if (wParam == static_cast<WPARAM>(ControlId(Control::picCustomAnim))) {
                DrawAnimation(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return TRUE;
            }
            break;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == Item(Control::lblErrorsFix)) {
                SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void MainFrame::OnCommand(int id, int code, HWND control) {
    if (id == IDCANCEL) {  // Escape presses Exit, when Exit can be pressed
        if (IsWindowEnabled(Item(Control::cmdExit))) logic_.Exit();
        return;
    }
    // A click that reaches a disabled button (sent or posted to it) presses nothing: the
    // wizard's buttons are disabled exactly while their handlers must not run.
    if (code == BN_CLICKED && control != nullptr && !IsWindowEnabled(control)) return;
    const auto is = [id](Control control) { return id == ControlId(control); };
    if (is(Control::txtBackUpName)) {
        if (code == EN_CHANGE) logic_.BackupNameChanged();
        if (code == EN_KILLFOCUS) logic_.BackupNameLostFocus();
        return;
    }
    if (is(Control::txtCustomBackUpName)) {
        if (code == EN_CHANGE) logic_.CustomBackupNameChanged();
        if (code == EN_KILLFOCUS) logic_.CustomBackupNameLostFocus();
        return;
    }
    if (is(Control::cmbAction)) {
        if (code == CBN_SELCHANGE) logic_.ActionChosen();
        if (code == CBN_KILLFOCUS) logic_.ActionChooserLostFocus();
        return;
    }
    if (is(Control::cmbCustomRplAction)) {
        if (code == CBN_SELCHANGE) logic_.CustomActionChosen();
        if (code == CBN_KILLFOCUS) logic_.CustomChooserLostFocus();
        return;
    }
    if (code != BN_CLICKED) return;
    if (is(Control::cmdNext)) {
        // Pressed by Enter from another control: that control's lost-focus check runs first,
        // as it does for a click; a check that keeps the focus (a refused backup name) stops
        // the press.
        if (control != nullptr && GetFocus() != control) {
            ::SetFocus(control);
            if (GetFocus() != control) return;
        }
        logic_.Next();
    } else if (is(Control::cmdBack)) {
        logic_.Back();
    } else if (is(Control::cmdExit)) {
        logic_.Exit();
    } else if (is(Control::cmdAbout)) {
        logic_.About();
    } else if (is(Control::cmdHelp)) {
        logic_.Help();
    } else if (is(Control::CmdAdvanced)) {
        logic_.AdvancedOptions();
    } else if (is(Control::cmdCancelScan)) {
        logic_.CancelScan();
    } else if (is(Control::cmdSelect)) {
        logic_.DeleteAllClicked();
    } else if (is(Control::cmdDeselect)) {
        logic_.IgnoreAllClicked();
    } else if (is(Control::chkDisableStartup)) {
        logic_.DisableStartupClicked();
    } else if (is(Control::chkMinizeToTray)) {
        logic_.MinimizeToTrayClicked();
    } else if (is(Control::cmdSaveResults)) {
        logic_.SaveResultsClicked();
    } else if (is(Control::cmdSaveCustom)) {
        logic_.SaveCustomClicked();
    } else if (is(Control::cmdRemoveBck)) {
        logic_.RemoveBackupClicked();
    } else if (is(Control::cmdAddFile)) {
        logic_.AddFileClicked();
    } else if (is(Control::cmdAddFolder)) {
        logic_.AddFolderClicked();
    } else if (is(Control::cmdDeleteEntry)) {
        logic_.DeleteEntryClicked();
    } else if (is(Control::cmdCustomChange)) {
        logic_.CustomChangeClicked();
    } else if (is(Control::cmdCustomDelete)) {
        logic_.CustomDeleteClicked();
    } else if (is(Control::cmdCustomSelect)) {
        logic_.CustomIgnoreAllClicked();
    } else if (is(Control::cmdCustomDeselect)) {
        logic_.CustomReplaceAllClicked();
    } else if (is(Control::cmdCustomCancel)) {
        logic_.CustomCancelClicked();
    }
}

LRESULT MainFrame::OnNotify(const NMHDR& header) {
    const auto from = static_cast<int>(header.idFrom);
    if (from == ControlId(Control::lstFound) || from == ControlId(Control::lstCustomSearching)) {
        return OnGridNotify(header);
    }
    if (from == ControlId(Control::lsvBackups) && header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        // A check box is the item's state image.
        if ((change.uChanged & LVIF_STATE) != 0 &&
            ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) != 0) {
            logic_.BackupCheckChanged();
        }
    }
    if (from == ControlId(Control::lstExcludeMain) && header.code == NM_CLICK) {
        logic_.ExclusionListClicked();
    }
    return 0;
}

LRESULT MainFrame::OnGridNotify(const NMHDR& header) {
    const auto& notify = reinterpret_cast<const GridNotify&>(header);
    const bool results = static_cast<int>(header.idFrom) == ControlId(Control::lstFound);
    switch (header.code) {
        case kGridHeaderClicked:
            // The custom grid is not sorted by its header.
            if (results) logic_.HeaderClicked(notify.Column);
            break;
        case kGridEditRequested:
            if (results) {
                logic_.EditRequested(notify.Row, notify.Column);
            } else {
                logic_.CustomEditRequested(notify.Row, notify.Column);
            }
            break;
        case kGridEditCancelled:
            if (results) {
                logic_.EditCancelled();
            } else {
                logic_.CustomEditCancelled();
            }
            break;
        default:
            break;
    }
    return 0;
}

}  // namespace hivewarden::ui::win32
