// Short names: the form of one, and whether a long name could carry it.
#include "files/short_names.h"

#include <algorithm>
#include <string>

#include "text/text.h"
#include "text/unicode.h"

namespace hivewarden::registry {
namespace {

constexpr std::size_t kMaxBase = 8;       // the base of an 8.3 name, "~" and digits included
constexpr std::size_t kMaxTildeBase = 6;  // the characters of the long name before "~"
constexpr std::size_t kMaxExtension = 3;
constexpr std::size_t kHashedBase = 2;    // "PR1A2B~1": two characters, then four hex digits
constexpr std::size_t kHashDigits = 4;

constexpr std::u32string_view kNotInShortNames = U"+,;=[]";

// The name's characters, upper-cased as Windows compares names.
std::u32string UpperCharacters(std::string_view text) {
    std::u32string result;
    for (std::size_t pos = 0; pos < text.size();) {
        result += UpcaseCodePoint(NextCodePoint(text, pos));
    }
    return result;
}

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }
bool IsHexDigit(char32_t c) { return IsDigit(c) || (c >= U'A' && c <= U'F'); }

// The base and extension of a name, split at its last "." (no extension without one).
struct NameParts {
    std::u32string Base;
    std::u32string Extension;
};

NameParts SplitAtLastDot(const std::u32string& name) {
    const std::size_t dot = name.rfind(U'.');
    if (dot == std::u32string::npos) return {name, {}};
    return {name.substr(0, dot), name.substr(dot + 1)};
}

// True when the long name is an 8.3 name itself: Windows then gives it no other short name.
bool IsItselfShort(const std::u32string& name) {
    if (name.empty() || name.front() == U'.' || std::count(name.begin(), name.end(), U'.') > 1) {
        return false;
    }
    for (const char32_t c : name) {
        // A character beyond ASCII may be missing from the code page short names are kept in.
        if (c == U' ' || c > 0x7F || kNotInShortNames.find(c) != std::u32string_view::npos) {
            return false;
        }
    }
    const NameParts parts = SplitAtLastDot(name);
    return !parts.Base.empty() && parts.Base.size() <= kMaxBase &&
           parts.Extension.size() <= kMaxExtension;
}

// The long name as Windows cuts a short name from it: no spaces, no leading dots, no dots in
// the base, characters short names cannot hold as "_", the extension at most three characters.
NameParts ShortNameSource(const std::u32string& upperLongName) {
    std::u32string name;
    for (const char32_t c : upperLongName) {
        if (c == U' ') continue;
        if (c == U'.' && name.empty()) continue;
        name += kNotInShortNames.find(c) != std::u32string_view::npos ? U'_' : c;
    }
    NameParts parts = SplitAtLastDot(name);
    parts.Base.erase(std::remove(parts.Base.begin(), parts.Base.end(), U'.'), parts.Base.end());
    if (parts.Extension.size() > kMaxExtension) parts.Extension.resize(kMaxExtension);
    return parts;
}

// One character of a short name against the long name's: the same, or "_" for a character
// beyond ASCII that the code page may lack.
bool SameCharacter(char32_t shortChar, char32_t longChar) {
    return shortChar == longChar || (shortChar == U'_' && longChar > 0x7F);
}

bool StartsWith(const std::u32string& text, std::u32string_view prefix) {
    return prefix.size() <= text.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), SameCharacter);
}

}  // namespace

bool IsShortNameForm(std::string_view name) {
    const std::u32string chars = UpperCharacters(name);
    const std::size_t tilde = chars.find(U'~');
    if (tilde == std::u32string::npos || tilde == 0 || tilde > kMaxTildeBase) return false;
    const std::size_t dot = chars.find(U'.', tilde);
    const std::size_t digitsEnd = dot == std::u32string::npos ? chars.size() : dot;
    if (digitsEnd == tilde + 1 || digitsEnd > kMaxBase) return false;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        if (c == U' ' || (c == U'~' && i != tilde) || (c == U'.' && i != dot)) return false;
        if (i > tilde && i < digitsEnd && !IsDigit(c)) return false;
    }
    return dot == std::u32string::npos ||
           (chars.size() - dot - 1 >= 1 && chars.size() - dot - 1 <= kMaxExtension);
}

bool CouldCarryShortName(std::string_view longName, std::string_view shortName) {
    const std::u32string upperLong = UpperCharacters(longName);
    if (IsItselfShort(upperLong)) return false;
    const NameParts source = ShortNameSource(upperLong);
    const std::u32string upperShort = UpperCharacters(shortName);
    const std::size_t tilde = upperShort.find(U'~');
    if (tilde == std::u32string::npos) return false;
    const std::u32string_view stem = std::u32string_view(upperShort).substr(0, tilde);
    const std::size_t dot = upperShort.find(U'.', tilde);
    const std::u32string_view extension =
        dot == std::u32string::npos ? std::u32string_view{}
                                    : std::u32string_view(upperShort).substr(dot + 1);

    if (extension.size() != source.Extension.size() ||
        !std::equal(extension.begin(), extension.end(), source.Extension.begin(),
                    SameCharacter)) {
        return false;
    }
    if (StartsWith(source.Base, stem)) return true;
    const bool hashed =
        stem.size() == kHashedBase + kHashDigits &&
        std::all_of(stem.begin() + kHashedBase, stem.end(), IsHexDigit);
    return hashed && StartsWith(source.Base, stem.substr(0, kHashedBase));
}

}  // namespace hivewarden::registry
