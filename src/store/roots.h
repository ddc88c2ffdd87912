// The predefined root keys: one table serves names, short names, the .reg codec and the
// command line. Pure data; depends on nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hivewarden::registry {

using RootKey = std::uint32_t;

inline constexpr RootKey kClassesRoot = 0x80000000u;
inline constexpr RootKey kCurrentUser = 0x80000001u;
inline constexpr RootKey kLocalMachine = 0x80000002u;
inline constexpr RootKey kUsers = 0x80000003u;
inline constexpr RootKey kPerformanceData = 0x80000004u;
inline constexpr RootKey kCurrentConfig = 0x80000005u;

struct RootInfo {
    RootKey Handle;
    std::string_view Name;       // "HKEY_LOCAL_MACHINE"
    std::string_view ShortName;  // "HKLM"
};

// Only the roots the program names; HKEY_PERFORMANCE_DATA (0x80000004) has no name.
inline constexpr RootInfo kRootTable[] = {
    {kClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},   {kCurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {kLocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"}, {kUsers, "HKEY_USERS", "HKU"},
    {kCurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
};

// "HKEY_LOCAL_MACHINE" for 0x80000002; empty text for any handle not in the table.
std::string RootName(RootKey root);

// Finds a root by its full name, case-insensitively. With allowShort, "HKLM" etc. match too.
std::optional<RootKey> RootFromName(std::string_view name, bool allowShort = false);

// Splits "HKEY_LOCAL_MACHINE\Software\X" into root and path below it ("Software\X").
// A trailing "\" is dropped. Returns nothing when the first component is no known root.
struct RootAndPath {
    RootKey Root;
    std::string Path;
};
std::optional<RootAndPath> SplitKeyPath(std::string_view fullPath, bool allowShort = false);

}  // namespace hivewarden::registry
