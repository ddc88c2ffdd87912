// The grid control's colours: soft fixed colours and a dark-blue key path on a normal theme;
// only the system's own colours when a high-contrast theme is on, so that text, selection and
// lines follow the user's theme. Colours are 0x00BBGGRR, as Windows keeps them. Portable.
#pragma once

#include <cstdint>

namespace hivewarden::ui {

using Colour = std::uint32_t;

constexpr Colour Rgb(unsigned red, unsigned green, unsigned blue) {
    return static_cast<Colour>(red | (green << 8) | (blue << 16));
}

// The system colours the grid may use (GetSysColor's COLOR_WINDOW, COLOR_WINDOWTEXT,
// COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_GRAYTEXT, COLOR_3DFACE, COLOR_BTNTEXT).
struct SystemColours {
    Colour Window = 0;
    Colour WindowText = 0;
    Colour Highlight = 0;
    Colour HighlightText = 0;
    Colour GrayText = 0;
    Colour Face = 0;
    Colour FaceText = 0;
};

struct GridPalette {
    Colour Background = 0;
    Colour Text = 0;
    Colour RowText = 0;  // the key path beneath a row's cells
    Colour SelectedFill = 0;
    Colour SelectedText = 0;
    Colour InactiveSelectedFill = 0;  // the selected row while the grid has no focus
    Colour InactiveSelectedText = 0;
    Colour Line = 0;
    Colour HeaderFace = 0;
    Colour HeaderText = 0;
    bool SystemOnly = false;  // high contrast: the key path follows the selection's text

    Colour Fill(bool selected, bool focused) const {
        if (!selected) return Background;
        return focused ? SelectedFill : InactiveSelectedFill;
    }
    Colour CellText(bool selected, bool focused) const {
        if (!selected) return Text;
        return focused ? SelectedText : InactiveSelectedText;
    }
    Colour KeyText(bool selected, bool focused) const {
        return selected && SystemOnly ? CellText(true, focused) : RowText;
    }
};

inline constexpr Colour kNormalRowText = Rgb(0, 0, 128);  // dark blue
inline constexpr Colour kNormalSelectedFill = Rgb(198, 222, 252);
inline constexpr Colour kNormalInactiveSelectedFill = Rgb(226, 226, 226);
inline constexpr Colour kNormalLine = Rgb(224, 224, 224);

GridPalette ChooseGridPalette(bool highContrast, const SystemColours& system);

}  // namespace hivewarden::ui
