// The main window at any DPI and in any theme: its pictures and icon lists scaled for the
// DPI, the re-layout when the window moves to a monitor of another DPI (WM_DPICHANGED: fonts,
// every control's place, the grids' fonts and rows, the pictures), the repaint after a theme
// or colour change, and the accessible names of its controls.
#include <array>

#include "ui/win32/control_ids.h"
#include "ui/win32/dpi.h"
#include "ui/win32/dpi_images.h"
#include "ui/win32/accessibility/grid_accessible.h"
#include "ui/win32/main_frame.h"
#include "ui/win32/resource_ids.h"

namespace hivewarden::ui::win32 {
namespace {

constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kFrameExtendedStyle = WS_EX_CONTROLPARENT;

// An image list of `count` square images (`size` pixels at 96 dpi) from a strip, at `dpi`.
HIMAGELIST LoadImageStrip(HINSTANCE instance, int resource, int size, int count, int dpi,
                          bool masked) {
    const int scaled = MulDiv(size, dpi, kDefaultDpi);
    HIMAGELIST list =
        ImageList_Create(scaled, scaled, masked ? ILC_COLOR24 | ILC_MASK : ILC_COLOR32, count, 0);
    if (list == nullptr) return nullptr;
    // A masked strip keeps its transparent colour exact: pixel for pixel.
    if (HBITMAP strip = LoadBitmapForDpi(instance, resource, dpi, count,
                                         masked ? Scaling::Nearest : Scaling::Smooth, !masked)) {
        if (masked) {
            ImageList_AddMasked(list, strip, kTransparentColour);
        } else {
            ImageList_Add(list, strip, nullptr);
        }
        DeleteObject(strip);
    }
    return list;
}

void ReplaceList(HIMAGELIST& list, HIMAGELIST fresh) {
    if (list != nullptr) ImageList_Destroy(list);
    list = fresh;
}

}  // namespace

void MainFrame::LoadImages() {
    // The grids let go of the old lists before they are destroyed.
    HIMAGELIST grid =
        LoadImageStrip(instance_, IDB_GRID_ICONS, kGridIconSize, kGridIconCount, dpi_, false);
    HIMAGELIST custom =
        LoadImageStrip(instance_, IDB_CUSTOM_ICONS, kCustomIconSize, kCustomIconCount, dpi_, false);
    if (resultsGrid_ != nullptr) resultsGrid_->SetImageList(grid);
    if (customGrid_ != nullptr) customGrid_->SetImageList(custom);
    ReplaceList(gridIcons_, grid);
    ReplaceList(customIcons_, custom);
    ReplaceList(animation_, LoadImageStrip(instance_, IDB_SEARCH_ANIM, kSearchAnimFrameSize,
                                           kSearchAnimFrames, dpi_, true));

    std::vector<HBITMAP> pictures;
    const std::pair<int, int> places[] = {{kFirstPlainId + 0, IDB_START_PAGE},
                                          {kFirstPlainId + 5, IDB_ADVANCED_PAGE}};
    for (const auto& [id, resource] : places) {
        HBITMAP bitmap = LoadBitmapForDpi(instance_, resource, dpi_, 1, Scaling::Smooth, false);
        if (bitmap == nullptr) continue;
        pictures.push_back(bitmap);
        SendDlgItemMessageW(window_, id, STM_SETIMAGE, IMAGE_BITMAP,
                            reinterpret_cast<LPARAM>(bitmap));
    }
    for (HBITMAP old : bitmaps_) DeleteObject(old);
    bitmaps_ = std::move(pictures);
}

void MainFrame::OnDpiChanged(int dpi, const RECT* suggested) {
    const int old = dpi_;
    if (dpi <= 0 || dpi == old) return;
    dpi_ = dpi;
    HideActionChooser(Control::cmbAction);
    HideActionChooser(Control::cmbCustomRplAction);

    // The window: its client width at the new DPI, where the system suggests.
    RECT outer{0, 0, Scale(kClientWidth), Scale(100)};
    AdjustWindowRectForDpi(outer, kFrameStyle, kFrameExtendedStyle, dpi_);
    RECT now{};
    GetWindowRect(window_, &now);
    const POINT place =
        suggested != nullptr ? POINT{suggested->left, suggested->top} : POINT{now.left, now.top};
    SetWindowPos(window_, nullptr, place.x, place.y, outer.right - outer.left, now.bottom - now.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    // Fonts, then every control at the same place in 96-dpi terms, in its font's new size.
    const std::array<HFONT, 5> oldFonts = fonts_;
    CreateFonts();
    for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RECT box{};
        GetWindowRect(child, &box);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&box), 2);
        SetWindowPos(child, nullptr, MulDiv(box.left, dpi, old), MulDiv(box.top, dpi, old),
                     MulDiv(box.right - box.left, dpi, old), MulDiv(box.bottom - box.top, dpi, old),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        const auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        for (std::size_t i = 0; i < oldFonts.size(); ++i) {
            if (font != nullptr && font == oldFonts[i]) {
                SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[i]), FALSE);
            }
        }
    }
    for (HFONT font : oldFonts) {
        if (font != nullptr) DeleteObject(font);
    }

    // The grids: their fonts and rows, row lines as high as the drop-down laid over them.
    RECT combo{};
    GetWindowRect(Item(Control::cmbAction), &combo);
    for (GridControl* grid : {resultsGrid_, customGrid_}) {
        if (grid == nullptr) continue;
        grid->SuspendRedraw();
        grid->DpiChanged(dpi_);
        grid->SetStandardRowHeight(combo.bottom - combo.top);
        grid->ResumeRedraw();
    }
    LoadImages();
    const int iconSize = SystemMetricForDpi(SM_CXICON, dpi_);
    const int smallIconSize = SystemMetricForDpi(SM_CXSMICON, dpi_);
    HICON big = static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDI_HIVEWARDEN), IMAGE_ICON, iconSize, iconSize, 0));
    HICON small = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_HIVEWARDEN),
                                                IMAGE_ICON, smallIconSize, smallIconSize, 0));
    if (big != nullptr) SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (small != nullptr) {
        SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
    // The layout sets the window's height and the button row's top at the new DPI.
    SetLayout(layout_);
}

void MainFrame::ThemeChanged() {
    // The grids ask for the theme's colours at every paint; the rest paints itself.
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainFrame::NameControls() {
    for (const ControlSpec& spec : MainWindowControls()) {
        if (const char* name = AccessibleNameFor(spec.Id)) {
            SetAccessibleName(GetDlgItem(window_, spec.Id), name);
        }
    }
}

}  // namespace hivewarden::ui::win32
