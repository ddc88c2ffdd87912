// The components of a key path below a root ("A\B\C"), shared by the stores that walk paths
// themselves. Empty components (a doubled "\") are kept, so such a path names no key.
#pragma once

#include <string_view>
#include <vector>

namespace hivewarden::registry {

inline std::vector<std::string_view> KeyPathComponents(std::string_view path) {
    std::vector<std::string_view> parts;
    if (path.empty()) return parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = path.find('\\', start);
        parts.push_back(path.substr(start, slash - start));
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    return parts;
}

}  // namespace hivewarden::registry
