// The machine the program runs on: the live registry and the file probes of the Windows shell
// and kernel functions on Windows builds (win32_live.cpp); nothing live on other hosts
// (posix_live.cpp), where a registry comes from files and drives are mapped to folders.
#pragma once

#include <memory>

#include "files/files.h"
#include "store/store.h"

namespace hivewarden::machine {

// True when this build can open the registry of the machine it runs on.
bool HasLiveRegistry();
// The live registry; null where HasLiveRegistry() is false.
std::unique_ptr<registry::RegistryStore> MakeLiveStore();

// True when this build can ask the file system of the machine it runs on about Windows paths.
bool HasLiveProbes();
// The live probes; null where HasLiveProbes() is false.
std::unique_ptr<registry::FileProbes> MakeLiveProbes();

// True when this build can open a Wine prefix. A Windows build cannot: a prefix's drives are
// links to host folders that only the host (or Wine's own loader) can follow, so its files
// would all read as missing.
bool WinePrefixesSupported();
// True when this build reads hive files (--hive, --windows-root).
bool HiveFilesSupported();

}  // namespace hivewarden::machine
