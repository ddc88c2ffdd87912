// Text files in the ANSI code page when it holds the text, UTF-8 with a mark otherwise.
#include "text/text_file.h"

#include "text/unicode.h"

namespace hivewarden {

std::string EncodeTextFile(std::string_view text, const CodePage& codePage) {
    std::string bytes;
    if (codePage.FromUtf8(text, bytes)) return bytes;
    bytes.assign(kUtf8Bom);
    bytes.append(text);
    return bytes;
}

std::string DecodeTextFile(std::string_view bytes, const CodePage& codePage) {
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        return std::string(bytes.substr(kUtf8Bom.size()));
    }
    if (bytes.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) {
        return Utf8FromUtf16Le(bytes.substr(kUtf16LeBom.size()));
    }
    return codePage.ToUtf8(bytes);
}

}  // namespace hivewarden
