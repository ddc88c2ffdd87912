// Lone LF to CR LF, across the pieces of a stream.
#include "cli/console/line_ends.h"

namespace hivewarden::cli {

std::string CrLfLineEnds::Translate(std::string_view text) {
    std::string translated;
    translated.reserve(text.size() + text.size() / 32);
    for (const char c : text) {
        if (c == '\n' && !lastWasCr_) translated += '\r';
        translated += c;
        lastWasCr_ = c == '\r';
    }
    return translated;
}

}  // namespace hivewarden::cli
