// A Wine prefix as a machine: its registry (system.reg, user.reg and userdef.reg, read once)
// and what that registry and the prefix's folders say of the machine (drive letters from
// DIR/dosdevices, C:\windows, the environment Wine gives its programs).
#pragma once

#include <memory>
#include <string>

#include "files/mapped_files.h"
#include "store/wine/wine_prefix_store.h"

namespace hivewarden::machine {

// The prefix's registry. Its Commit refuses while a wineserver serves the prefix. Null, with
// the reason naming the file, when the prefix's registry files cannot be read.
std::unique_ptr<registry::WinePrefixStore> OpenWinePrefixRegistry(const std::string& prefixDir,
                                                                  std::string& error);

// Why the prefix must not be written now (a wineserver serves it, or this system cannot
// tell), or empty text.
std::string WinePrefixWriteRefusal(const std::string& prefixDir);

// The prefix's machine, read from its registry as loaded (before any change): every "X:" link
// of DIR/dosdevices as drive X, the Windows folder and the environment as Wine sets them (the
// user's name and profile from the registry's ProfileList, the variables of
// Session Manager\Environment and HKCU\Environment).
void WinePrefixMachine(const std::string& prefixDir, registry::WinePrefixStore& store,
                       registry::MappedFilesConfig& config);

}  // namespace hivewarden::machine
