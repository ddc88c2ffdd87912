// The program's own settings in the registry, as a scenario resets them before it starts the
// program: a visit to the advanced page stores "Minimize to System Tray" as on, and with it on
// the window is no longer centred when it shows.
#pragma once

#include "e2e/registry_tools.h"

namespace hivewarden::e2e {

inline constexpr char kSettingsKey[] = "Software\\Kestovar\\Hivewarden";

// Back to the settings of a fresh install: neither "Disable Auto-Run" nor "Minimize to System
// Tray".
inline void ResetProgramSettings() {
    DeleteValue(HKEY_LOCAL_MACHINE, kSettingsKey, "SS");
    DeleteValue(HKEY_LOCAL_MACHINE, kSettingsKey, "MT");
}

}  // namespace hivewarden::e2e
