// Row-text heights remembered by text.
#include "ui/win32/grid/grid_text_heights.h"

namespace hivewarden::ui::win32 {

void GridTextHeights::BeginGeneration() {
    previous_.merge(current_);
    current_.clear();  // what merge left behind is also in previous_
}

GridTextHeights::Measure& GridTextHeights::Find(const std::string& text) {
    if (const auto found = current_.find(text); found != current_.end()) return found->second;
    if (auto node = previous_.extract(text); !node.empty()) {
        return current_.insert(std::move(node)).position->second;
    }
    Measure measure;
    if (text.find_first_of("\r\n") == std::string::npos) {
        measure.SingleLineWidth = metrics_.SingleLineWidth(text);
    }
    return current_.emplace(text, measure).first->second;
}

int GridTextHeights::Height(const std::string& text, int width) {
    if (text.empty()) return 0;
    Measure& measure = Find(text);
    // A line narrower than the width is never broken: one line high, no wrapping to do.
    if (measure.SingleLineWidth >= 0 && measure.SingleLineWidth < width) {
        return metrics_.TextLineHeight();
    }
    if (measure.WrapWidth != width) {
        measure.Wrapped = metrics_.WrappedHeight(text, width);
        measure.WrapWidth = width;
    }
    return measure.Wrapped;
}

}  // namespace hivewarden::ui::win32
