// The scan's category bitmask: one bit per user-selectable category. Pure data; depends on
// nothing.
#pragma once

#include <cstdint>

namespace hivewarden::scan {

inline constexpr std::int32_t ScanAll = 1;  // the whole of HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE
inline constexpr std::int32_t ScanSharedDlls = 2;
inline constexpr std::int32_t ScanHelp = 4;
inline constexpr std::int32_t ScanTrojans = 8;
inline constexpr std::int32_t ScanAppPaths = 16;
inline constexpr std::int32_t ScanDrivers = 32;
inline constexpr std::int32_t ScanSounds = 64;
inline constexpr std::int32_t ScanUninstall = 128;
inline constexpr std::int32_t ScanEmptyKeys = 256;
inline constexpr std::int32_t ScanAutoRun = 512;
inline constexpr std::int32_t ScanFonts = 1024;

}  // namespace hivewarden::scan
