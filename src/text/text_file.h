// The encoding of the small text files the program writes and reads for the user: reports and
// the exclusion list. Text that the ANSI code page holds is written in it, as it always was;
// any other text as UTF-8 with a byte order mark, so no name is turned into "?". Reading takes
// either form (and UTF-16LE with its mark). Pure; no platform code.
#pragma once

#include <string>
#include <string_view>

#include "text/code_page.h"

namespace hivewarden {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
inline constexpr std::string_view kUtf16LeBom = "\xFF\xFE";

// The file's bytes for UTF-8 text: the code page's bytes when every character has an exact
// form in it, otherwise the UTF-8 text after a byte order mark.
std::string EncodeTextFile(std::string_view text, const CodePage& codePage);
// UTF-8 text of a file's bytes: a UTF-8 mark means UTF-8, a UTF-16LE mark UTF-16LE, anything
// else the code page.
std::string DecodeTextFile(std::string_view bytes, const CodePage& codePage);

}  // namespace hivewarden
