// Fonts and text measures of the grid control.
#include "ui/win32/grid_metrics.h"

namespace hivewarden::ui::win32 {
namespace {

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// The default GUI font, its size carried from 96 dpi to this screen's.
HFONT CreateTextFont(int dpi) {
    LOGFONTA font{};
    if (GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font) == 0) {
        font.lfHeight = -11;
        lstrcpynA(font.lfFaceName, "MS Shell Dlg", LF_FACESIZE);
    }
    font.lfHeight = MulDiv(font.lfHeight, dpi, 96);
    font.lfWidth = 0;
    return CreateFontIndirectA(&font);
}

HFONT CreateBoldFont(int dpi) {
    LOGFONTA font{};
    font.lfHeight = -MulDiv(8, dpi, 72);  // 8 points
    font.lfWeight = FW_BOLD;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    lstrcpynA(font.lfFaceName, "Tahoma", LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

int LineHeight(HDC dc, HFONT font) {
    const SelectedObject selected(dc, font);
    TEXTMETRICA metrics{};
    return GetTextMetricsA(dc, &metrics) ? metrics.tmHeight : 13;
}

}  // namespace

GridMetrics::GridMetrics()
    : dpi_(ScreenDpi()),
      textFont_(CreateTextFont(dpi_)),
      boldFont_(CreateBoldFont(dpi_)),
      measureDc_(CreateCompatibleDC(nullptr)) {
    if (measureDc_ == nullptr) return;
    textLineHeight_ = LineHeight(measureDc_.get(), TextFont());
    boldLineHeight_ = LineHeight(measureDc_.get(), BoldFont());
    // Measuring always uses the text font: keep it selected in the measuring DC.
    SelectObject(measureDc_.get(), TextFont());
}

int GridMetrics::WrappedHeight(const std::string& text, int width) const {
    if (text.empty() || measureDc_ == nullptr) return 0;
    RECT bounds{0, 0, width, 0};
    DrawTextA(measureDc_.get(), text.data(), static_cast<int>(text.size()), &bounds,
              kRowTextFormat | DT_CALCRECT);
    return bounds.bottom - bounds.top;
}

int GridMetrics::SingleLineWidth(const std::string& text) const {
    SIZE size{};
    if (measureDc_ == nullptr || !GetTextExtentPoint32A(measureDc_.get(), text.data(),
                                                        static_cast<int>(text.size()), &size)) {
        return 0;
    }
    return size.cx;
}

}  // namespace hivewarden::ui::win32
