// No live machine on POSIX hosts: the registry comes from files, drives are mapped to folders.
// Not built on Windows (win32_live.cpp is).
#include "machine/live.h"

namespace hivewarden::machine {

bool HasLiveRegistry() { return false; }
std::unique_ptr<registry::RegistryStore> MakeLiveStore() { return nullptr; }

bool HasLiveProbes() { return false; }
std::unique_ptr<registry::FileProbes> MakeLiveProbes() { return nullptr; }

}  // namespace hivewarden::machine
