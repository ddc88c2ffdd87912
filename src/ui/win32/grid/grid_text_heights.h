// Heights of row texts wrapped at a width, remembered by text: sorting or refitting 30,000 rows
// then measures each distinct text once, and a text narrower than the width needs no wrapping
// at all. Measures through GridMetrics; knows nothing of rows or windows.
#pragma once

#include <string>
#include <unordered_map>

#include "ui/win32/grid/grid_metrics.h"

namespace hivewarden::ui::win32 {

class GridTextHeights {
  public:
    explicit GridTextHeights(const GridMetrics& metrics) : metrics_(metrics) {}

    // The height of `text` wrapped within `width`, as DrawText with kRowTextFormat gives it.
    int Height(const std::string& text, int width);

    // Around a measure of all rows: afterwards only the texts measured in between are kept,
    // so that the memory follows the rows the grid has now.
    void BeginGeneration();
    void EndGeneration() { previous_.clear(); }
    // Forgets every measure (the fonts changed).
    void Clear() {
        current_.clear();
        previous_.clear();
    }

  private:
    struct Measure {
        int SingleLineWidth = -1;  // -1: the text breaks lines itself and is always wrapped
        int WrapWidth = -1;        // the width `Wrapped` was measured at; -1 for none yet
        int Wrapped = 0;
    };
    Measure& Find(const std::string& text);

    const GridMetrics& metrics_;
    std::unordered_map<std::string, Measure> current_;
    std::unordered_map<std::string, Measure> previous_;
};

}  // namespace hivewarden::ui::win32
