// The filter text of the file dialogs: "All Files (*.*)|*.*" as the dialogs want it, the
// pairs separated and ended by zeros.
#pragma once

#include <string>

namespace hivewarden::ui::win32 {

inline std::string DialogFilter(const std::string& filter) {
    std::string text = filter;
    for (char& c : text) {
        if (c == '|') c = '\0';
    }
    text.append(2, '\0');
    return text;
}

}  // namespace hivewarden::ui::win32
