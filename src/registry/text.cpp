// ANSI (Windows-1252) upper case and case-insensitive comparison.
#include "registry/text.h"

#include <algorithm>

namespace hivewarden {
std::string ToUpper(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = AnsiUpper(c);
    return result;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AnsiUpper(a[i]) != AnsiUpper(b[i])) return false;
    }
    return true;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(AnsiUpper(a[i]));
        const auto cb = static_cast<unsigned char>(AnsiUpper(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) return true;
    auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                          [](char x, char y) { return AnsiUpper(x) == AnsiUpper(y); });
    return it != haystack.end();
}

}  // namespace hivewarden
