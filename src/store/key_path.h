// The components of a backslash-separated path ("A\B\C"): of a key path below a root, for the
// stores that walk paths themselves, and of link targets and Windows paths.
#pragma once

#include <string_view>
#include <vector>

namespace hivewarden::registry {

// Empty components (a doubled "\") are kept, so such a key path names no key.
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

// The same without empty components: "\A\\B\" gives A and B.
inline std::vector<std::string_view> NonEmptyPathComponents(std::string_view path) {
    std::vector<std::string_view> parts = KeyPathComponents(path);
    std::erase_if(parts, [](std::string_view part) { return part.empty(); });
    return parts;
}

}  // namespace hivewarden::registry
