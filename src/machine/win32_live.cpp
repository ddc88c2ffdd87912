// The live machine on Windows: the registry through advapi32, the probes through the shell and
// kernel functions. Windows builds only.
#include "files/win32_files.h"
#include "machine/live.h"
#include "store/hive/hive_store.h"
#include "store/win32/win32_store.h"

namespace hivewarden::machine {

bool HasLiveRegistry() { return true; }
std::unique_ptr<registry::RegistryStore> MakeLiveStore() {
    return std::make_unique<registry::Win32Store>();
}

bool HasLiveProbes() { return true; }
std::unique_ptr<registry::FileProbes> MakeLiveProbes() {
    return std::make_unique<registry::Win32Files>();
}

bool WinePrefixesSupported() { return false; }
bool HiveFilesSupported() { return registry::HiveFilesSupported(); }

}  // namespace hivewarden::machine
