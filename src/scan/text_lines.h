// Reads the program's small line-oriented text files (Ignore.ini, TrojanDef.ini,
// TrojanLock.ini) as lines of bytes. Knows nothing of what the lines mean.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hivewarden::scan {

enum class ReadStatus { Ok, Missing, Failed };

struct TextLines {
    ReadStatus Status = ReadStatus::Ok;
    std::vector<std::string> Lines;
    std::string ErrorText;  // the system's description when Status is Failed
};

// Splits at LF, dropping a CR that stands right before it. A text that ends with a line end
// has no further empty line after it; an empty text has no lines.
std::vector<std::string> SplitLines(std::string_view bytes);

// The lines of the file at `path` (an ANSI path). Missing: the file does not exist. Failed:
// it exists but cannot be opened or read.
TextLines ReadTextLines(const std::string& path);

}  // namespace hivewarden::scan
