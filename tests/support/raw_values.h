// Raw value bytes for tests: string data as the registry stores it (UTF-16LE with a
// terminating NUL unit), built from UTF-8 text.
#pragma once

#include <string>
#include <string_view>

#include "store/store.h"
#include "text/unicode.h"

namespace hivewarden::testing {

// UTF-16LE bytes of the text, with no terminator.
inline std::string Utf16(std::string_view text) { return Utf16LeFromUtf8(text); }
// UTF-16LE bytes of the text plus the terminating NUL unit.
inline std::string SzBytes(std::string_view text) {
    std::string bytes = Utf16LeFromUtf8(text);
    bytes.append(2, '\0');
    return bytes;
}
inline registry::RawValue SzValue(std::string_view text) {
    return {registry::kRegSz, SzBytes(text)};
}
inline registry::RawValue ExpandSzValue(std::string_view text) {
    return {registry::kRegExpandSz, SzBytes(text)};
}
// A multi-string from its strings: each with its NUL, then the closing NUL.
inline registry::RawValue MultiSzValue(std::initializer_list<std::string_view> strings) {
    std::string bytes;
    for (std::string_view s : strings) bytes += SzBytes(s);
    bytes.append(2, '\0');
    return {registry::kRegMultiSz, bytes};
}

}  // namespace hivewarden::testing
