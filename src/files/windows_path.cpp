// Parsing of full local Windows paths.
#include "files/windows_path.h"

namespace hivewarden::registry {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsForbiddenInName(char c) {
    constexpr std::string_view kForbidden = "<>:\"|?*";
    return static_cast<unsigned char>(c) < 32 || kForbidden.find(c) != std::string_view::npos;
}

enum class Component { kName, kNothing, kHere, kUp, kRefused };

// Applies the trailing dot and space rules. A last component made only of dots and spaces
// (other than "." and "..") trims to nothing: the path then names the folder above it.
Component NormaliseComponent(std::string& name, bool isLast) {
    if (name == ".") return Component::kHere;
    if (name == "..") return Component::kUp;
    for (char c : name) {
        if (IsForbiddenInName(c)) return Component::kRefused;
    }
    if (isLast) {
        while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
        if (name.empty()) return Component::kNothing;
    } else if (name.back() == '.') {
        name.pop_back();  // "a." is "a"; "..." becomes "..", which no folder is called
    }
    return name.empty() || name == "." || name == ".." ? Component::kRefused : Component::kName;
}

}  // namespace

std::size_t Utf16Length(std::string_view text) {
    std::size_t units = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) ++units;  // ASCII or the first byte of a character
        if (byte >= 0xF0) ++units;           // four bytes: a surrogate pair in UTF-16
    }
    return units;
}

bool IsLegalName(std::string_view name) {
    if (name.empty()) return false;
    for (char c : name) {
        if (IsSeparator(c) || IsForbiddenInName(c)) return false;
    }
    return true;
}

bool IsUncPath(std::string_view path) {
    return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

std::optional<LocalPath> ParseLocalPath(std::string_view path) {
    // UTF-8 never takes fewer bytes than UTF-16 units, so most paths need no count.
    if (path.size() < 3 || (path.size() >= kMaxPath && Utf16Length(path) >= kMaxPath)) {
        return std::nullopt;
    }
    const char letter = path[0];
    const bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
    if (!isLetter || path[1] != ':' || !IsSeparator(path[2])) return std::nullopt;

    LocalPath result;
    result.Drive = static_cast<char>(letter & ~0x20);
    result.TrailingSeparator = IsSeparator(path.back());
    std::size_t start = 3;
    while (start < path.size()) {
        if (IsSeparator(path[start])) {
            ++start;
            continue;
        }
        std::size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        std::string name(path.substr(start, end - start));
        switch (NormaliseComponent(name, end == path.size())) {
            case Component::kName:
                result.Components.push_back(std::move(name));
                break;
            case Component::kNothing:
                result.TrailingSeparator = true;
                break;
            case Component::kHere:
                break;
            case Component::kUp:
                // Windows resolves ".." by the text alone, before anything is looked up, and
                // never above the drive root: C:\..\x is C:\x.
                if (!result.Components.empty()) result.Components.pop_back();
                break;
            case Component::kRefused:
                return std::nullopt;
        }
        start = end;
    }
    return result;
}

}  // namespace hivewarden::registry
