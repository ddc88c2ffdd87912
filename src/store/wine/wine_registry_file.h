// One Wine registry file (system.reg, user.reg, userdef.reg) as a document that keeps its
// layout: the text before the first key and every key's block exactly as read, with what the
// block holds (path, class, link flag, values as raw bytes) beside it. Reading, the writing of
// a changed key's block as Wine's server writes it, and nothing else (no tree, no I/O).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/store.h"

namespace hivewarden::registry {

inline constexpr std::string_view kWineRegistryHeader = "WINE REGISTRY Version 2";

struct WineValue {
    std::string Name;  // UTF-8; empty for the default value
    RawValue Data;

    bool operator==(const WineValue&) const = default;
};

// What a key block holds besides its values.
struct WineKeyInfo {
    std::optional<std::u16string> Class;  // "#class=" (UTF-16, no terminator)
    bool IsLink = false;                  // "#link": a symbolic link (SymbolicLinkValue)
};

struct WineKeyBlock {
    std::vector<std::string> Path;  // components below the file's root, UTF-8; empty = the root
    WineKeyInfo Info;
    std::vector<WineValue> Values;  // in file order; a name given twice keeps its last data
    std::string Text;               // from the key line to the end of its last line of content
    std::string Tail;               // the blank lines and comments after it, up to the next key
};

// Keys nest at most this many levels below a root, as in Windows.
inline constexpr std::size_t kMaxWineKeyDepth = 512;

struct WineRegistryFile {
    std::string Head;  // everything before the first key line: header, comment, "#arch="
    std::vector<WineKeyBlock> Keys;
    // The relative root named by the ";; All keys relative to ..." comment, unescaped
    // ("REGISTRY\User\S-1-5-21-0-0-0-1000"); empty without one.
    std::string RelativeTo;
    // The lines read but not taken ("line 7: key nested deeper than 512 levels, skipped with
    // its values"); a skipped key's lines stay in the text after the block before it.
    std::vector<std::string> Warnings;
};

// Reads a file's bytes as Wine's server does: the first line must be the header; "[" lines
// open keys, "@" and "\"" lines are values, "#" lines are options, ";" lines and blank lines
// are comments, anything else is ignored. A key nested deeper than kMaxWineKeyDepth is
// skipped with its values, with a warning. A value Wine cannot read becomes an empty REG_NONE
// value, as it does in Wine. False, with the reason ("line 1: not a Wine registry file"), only
// for a missing header or a key line that cannot be read.
bool ParseWineRegistryFile(std::string_view bytes, WineRegistryFile& file, std::string& error);

// A key's block as Wine's server writes it: "[path] SECONDS", "#time=", "#class=", "#link",
// then one line per value, each line ending in "\n"; `time` is a FILETIME (100 ns since 1601).
std::string FormatWineKeyBlock(const std::vector<std::string>& path, const WineKeyInfo& info,
                               const std::vector<WineValue>& values, std::uint64_t time);

// One value line (or lines, for long hex data) as Wine's server writes it, ending in "\n".
std::string FormatWineValue(const WineValue& value);

}  // namespace hivewarden::registry
