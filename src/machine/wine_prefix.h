// --wine-prefix DIR: the registry of a Wine prefix (its system.reg, user.reg and userdef.reg)
// and the machine it describes (drive letters from DIR/dosdevices, C:\windows, the environment
// Wine gives its programs). Glue between the command line and the prefix store.
#pragma once

#include <memory>
#include <string>

#include "files/mapped_files.h"
#include "store/store.h"

namespace hivewarden::cli {

// The prefix's registry. Its Commit refuses while a wineserver serves the prefix. Null, with
// the reason naming the file, when the prefix's registry files cannot be read.
std::unique_ptr<registry::RegistryStore> OpenWinePrefixRegistry(const std::string& prefixDir,
                                                                std::string& error);

// Why the prefix must not be written now (a wineserver serves it, or this system cannot
// tell), or empty text.
std::string WinePrefixWriteRefusal(const std::string& prefixDir);

// The prefix's machine: every "X:" link of DIR/dosdevices as drive X, the Windows folder and
// the environment as Wine sets them (the user's name and profile from the registry's
// ProfileList, the variables of Session Manager\Environment and HKCU\Environment). False,
// with the reason, when the prefix's registry cannot be read.
bool WinePrefixMachine(const std::string& prefixDir, registry::MappedFilesConfig& config,
                       std::string& error);

}  // namespace hivewarden::cli
