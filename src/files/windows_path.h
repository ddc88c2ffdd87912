// Windows path text taken apart the way the Win32 file functions read it: drive letter,
// names below the drive root, trailing separator. Paths are UTF-8; lengths are counted in
// UTF-16 units, as Windows counts them. Pure text work; no file system access.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hivewarden::registry {

// MAX_PATH: the Win32 file functions refuse a path of this many characters or more when it
// is not given in the "\\?\" form (the terminating zero must fit too).
inline constexpr std::size_t kMaxPath = 260;

// The length of UTF-8 text in UTF-16 units: one per character, two for a character beyond
// U+FFFF (a surrogate pair).
std::size_t Utf16Length(std::string_view text);

// A full local path such as "C:\Program Files\App\app.exe".
struct LocalPath {
    char Drive = 0;                       // upper case, 'A' to 'Z'
    std::vector<std::string> Components;  // the names below the drive root, in order
    bool TrailingSeparator = false;       // the text ended in a separator: it names a folder
};

// True when the text begins with two backslashes: UNC paths ("\\server\share\...") and the
// "\\?\" and "\\.\" device forms.
bool IsUncPath(std::string_view path);

// True when Windows could hold `name` as one file or folder name: not empty, no separator,
// none of < > : " | ? * and no code 0-31.
bool IsLegalName(std::string_view name);

// Reads a full local path. Both "\" and "/" separate components (as for the Win32 file
// functions) and runs of separators count as one. The last component loses its trailing dots
// and spaces unless a separator follows it, and when nothing is left of it the path names the
// folder above ("C:\Windows\..." is "C:\Windows\"); any other component loses one trailing
// dot (the Win32 path rules). "." and ".." components are resolved by the text alone, as
// Windows does before it looks anything up, and ".." never climbs above the drive root
// ("C:\A\..\B" is "C:\B", "C:\..\B" is "C:\B"). Nothing is returned for UNC and device
// paths, relative paths ("C:x", "\x", "x"), names with a character Windows forbids
// (< > : " | ? * and codes 0-31, NUL included) and texts of kMaxPath UTF-16 units or more.
// Characters beyond ASCII are allowed in names like any letter.
std::optional<LocalPath> ParseLocalPath(std::string_view path);

}  // namespace hivewarden::registry
