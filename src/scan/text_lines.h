// Reads the program's small line-oriented text files (Ignore.ini, TrojanDef.ini,
// TrojanLock.ini) as lines of UTF-8 text: a UTF-8 or UTF-16LE byte order mark decides the
// encoding, else the file is in the given ANSI code page. Knows nothing of what the lines mean.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/code_page.h"

namespace hivewarden::scan {

enum class ReadStatus { Ok, Missing, Failed };

struct TextLines {
    ReadStatus Status = ReadStatus::Ok;
    std::vector<std::string> Lines;
    std::string ErrorText;  // the system's description when Status is Failed
};

// Splits at LF, dropping a CR that stands right before it. A text that ends with a line end
// has no further empty line after it; an empty text has no lines.
std::vector<std::string> SplitLines(std::string_view text);

// The lines of the file at `path` (a path of the program's own files, in UTF-8). Missing: the
// file does not exist. Failed: it exists but cannot be opened or read.
TextLines ReadTextLines(const std::string& path, const CodePage& codePage);

}  // namespace hivewarden::scan
