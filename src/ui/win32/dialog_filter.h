// The file dialogs' common pieces: the filter text "All Files (*.*)|*.*" as the dialogs want
// it (the pairs separated and ended by zeros), and the size of the name buffer.
#pragma once

#include <string>

namespace hivewarden::ui::win32 {

// The name buffer of the file dialogs and the folder picker, in UTF-16 units: room for a
// path longer than MAX_PATH.
inline constexpr unsigned long kFileNameUnits = 32768;

inline std::string DialogFilter(const std::string& filter) {
    std::string text = filter;
    for (char& c : text) {
        if (c == '|') c = '\0';
    }
    text.append(2, '\0');
    return text;
}

}  // namespace hivewarden::ui::win32
