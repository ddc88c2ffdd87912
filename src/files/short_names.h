// 8.3 short names ("PROGRA~1", "COMMON~1.DLL") as Windows makes them from long names, for file
// systems the program answers for itself, where the short names Windows gave are not stored.
// Pure text work; no file system access.
#pragma once

#include <string_view>

namespace hivewarden::registry {

// True for a name of the form Windows gives as a short name: a base of 1 to 6 characters, "~",
// one or more digits (base, "~" and digits at most 8 characters), and an optional extension of
// 1 to 3 characters after a ".". Neither part holds a space, "." or "~" of its own.
bool IsShortNameForm(std::string_view name);

// True when Windows could have given `longName` the short name `shortName` (of the form above):
// the long name upper-cased, its spaces dropped, its base without dots and the characters
// short names cannot hold ("+,;=[]") as "_", begins with the text before the "~", and the first
// three such characters of its extension (after its last ".") are the short extension. A
// character beyond ASCII in the long name may stand as itself or as "_" (the code page may
// lack it). The number after "~" is not checked: it depends on the order the folder's names
// were made in, which is not known. The hashed form of crowded folders ("PR1A2B~1": two
// characters of the base and four hexadecimal digits) matches any long name with those two
// characters and the extension.
bool CouldCarryShortName(std::string_view longName, std::string_view shortName);

}  // namespace hivewarden::registry
