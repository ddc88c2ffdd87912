// UTF-16LE to Windows-1252, refusing characters the code page cannot hold.
#include "scan/ansi_from_utf16.h"

#include "registry/utf16_ansi.h"

namespace hivewarden::scan {

std::optional<std::string> AnsiFromUtf16(std::string_view utf16le) {
    if (utf16le.size() % 2 != 0) return std::nullopt;
    std::string ansi;
    ansi.reserve(utf16le.size() / 2);
    for (std::size_t i = 0; i < utf16le.size(); i += 2) {
        const char32_t c = static_cast<unsigned char>(utf16le[i]) |
                           static_cast<unsigned char>(utf16le[i + 1]) << 8;
        // A character the code page lacks would come back as "?": the name would change.
        const char byte = UnicodeToAnsi(c);
        if (AnsiToUnicode(byte) != c) return std::nullopt;
        ansi += byte;
    }
    return ansi;
}

}  // namespace hivewarden::scan
