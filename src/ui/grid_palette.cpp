// The grid control's colour choice for normal and high-contrast themes.
#include "ui/grid_palette.h"

namespace hivewarden::ui {

GridPalette ChooseGridPalette(bool highContrast, const SystemColours& system) {
    GridPalette palette;
    palette.Background = system.Window;
    palette.Text = system.WindowText;
    palette.HeaderFace = system.Face;
    palette.HeaderText = system.FaceText;
    if (highContrast) {
        // Nothing of our own: every colour is one the theme chose to be readable together.
        palette.RowText = system.WindowText;
        palette.SelectedFill = system.Highlight;
        palette.SelectedText = system.HighlightText;
        palette.InactiveSelectedFill = system.Face;
        palette.InactiveSelectedText = system.FaceText;
        palette.Line = system.GrayText;
        palette.SystemOnly = true;
        return palette;
    }
    palette.RowText = kNormalRowText;
    palette.SelectedFill = kNormalSelectedFill;
    palette.SelectedText = system.WindowText;
    palette.InactiveSelectedFill = kNormalInactiveSelectedFill;
    palette.InactiveSelectedText = system.WindowText;
    palette.Line = kNormalLine;
    return palette;
}

}  // namespace hivewarden::ui
