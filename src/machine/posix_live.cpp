// No live machine on POSIX hosts: the registry comes from files, drives are mapped to folders.
// Not built on Windows (win32_live.cpp is).
#include "machine/live.h"
#include "store/hive/hive_store.h"

namespace hivewarden::machine {

bool HasLiveRegistry() { return false; }
std::unique_ptr<registry::RegistryStore> MakeLiveStore() { return nullptr; }

bool HasLiveProbes() { return false; }
std::unique_ptr<registry::FileProbes> MakeLiveProbes() { return nullptr; }

bool WinePrefixesSupported() { return true; }
bool HiveFilesSupported() { return registry::HiveFilesSupported(); }

}  // namespace hivewarden::machine
