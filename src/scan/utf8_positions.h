// Character positions in UTF-8 text, for the scan's rules that count characters ("the first
// ":" at position 4 or later", "at least 5 characters"): a character is one code point, so a
// cut at a character position never splits one. Pure inline helpers; no dependencies.
#pragma once

#include <cstddef>
#include <string_view>

namespace hivewarden::scan {

// True for the second, third or fourth byte of a UTF-8 sequence.
inline bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The number of characters in the text.
inline std::size_t CharCount(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) count += IsContinuationByte(c) ? 0 : 1;
    return count;
}

// The byte offset at which character `index` (from 0) starts; the text's size when it has no
// more characters than that.
inline std::size_t CharOffset(std::string_view text, std::size_t index) {
    std::size_t pos = 0;
    for (; pos < text.size(); ++pos) {
        if (IsContinuationByte(text[pos])) continue;
        if (index == 0) return pos;
        --index;
    }
    return text.size();
}

// The byte offset at which the character before byte offset `pos` starts (pos > 0).
inline std::size_t PreviousCharStart(std::string_view text, std::size_t pos) {
    do {
        --pos;
    } while (pos > 0 && IsContinuationByte(text[pos]));
    return pos;
}

}  // namespace hivewarden::scan
