// The stale registry entries the main path seeds before it starts the program, and how each
// must show in the results grid. The files they name do not exist (C:\HwGone is never made);
// two entries are there to be left alone: a present file and a shared-DLL count.
#pragma once

#include <string>

#include "e2e/e2e_headers.h"

namespace hivewarden::e2e {

inline constexpr char kAppPathsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
inline constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr char kSharedDllsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct StaleEntry {
    const char* Label;  // for the check lines
    HKEY Root;
    std::string Key;   // below the root
    const char* Name;  // "" for the default value
    const char* Data;
    const char* BodySuffix;  // the row's Body (its key path) ends with this
    const char* ErrorKind;   // the row's description
    const char* DefaultAction;
};

inline const StaleEntry kAppPathEntry{"App Path",
                                      HKEY_LOCAL_MACHINE,
                                      std::string(kAppPathsKey) + "\\hwgone.exe",
                                      "",
                                      "C:\\HwGone\\hwgone.exe",
                                      "\\App Paths\\hwgone.exe",
                                      "Invalid Application Path - C:\\HwGone\\hwgone.exe",
                                      "Delete"};
inline const StaleEntry kUninstallEntry{"Uninstall",
                                        HKEY_LOCAL_MACHINE,
                                        std::string(kUninstallKey) + "\\HwGoneApp",
                                        "UninstallString",
                                        "C:\\HwGone\\uninst.exe",
                                        "\\Uninstall\\HwGoneApp",
                                        "Invalid Uninstall String - C:\\HwGone\\uninst.exe",
                                        "Delete"};
// The shared-DLL rule reads a value's data, so the stale DLL is named in the data.
inline const StaleEntry kSharedDllEntry{"SharedDLLs",
                                        HKEY_LOCAL_MACHINE,
                                        kSharedDllsKey,
                                        "HwGoneShared",
                                        "C:\\HwGone\\shared.dll",
                                        "\\CurrentVersion\\SharedDLLs",
                                        "Dll file doesn't exist - C:\\HwGone\\shared.dll",
                                        "Delete"};
// Start-up programs start as "Ignore". The path is cut at the "/" of the argument and keeps
// the space before it, because no file of the name with or without the space exists.
inline const StaleEntry kRunEntry{
    "Run",
    HKEY_CURRENT_USER,
    kRunKey,
    "HwStale",
    "C:\\HwGone\\stale.exe /q",
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    "Autorun Program Entry - C:\\HwGone\\stale.exe ",
    "Ignore"};

// Must not be reported: the file exists.
inline const std::string kPresentAppPathKey = std::string(kAppPathsKey) + "\\hwpresent.exe";
inline constexpr char kPresentFile[] = "C:\\windows\\notepad.exe";
// Must not be reported: a SharedDLLs value named by its DLL with a use count as data.
inline constexpr char kCountedDllName[] = "C:\\HwGone\\counted.dll";

// The new file chosen for the uninstall entry with "Change Value".
inline constexpr char kReplacementFile[] = "C:\\windows\\notepad.exe";
inline constexpr char kBackupName[] = "e2e-backup";

}  // namespace hivewarden::e2e
