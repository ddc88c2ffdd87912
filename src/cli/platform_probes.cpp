// The live file probes of Windows builds.
#include "cli/platform_probes.h"

#ifdef _WIN32
#include "registry/win32_files.h"
#endif

namespace hivewarden::cli {

#ifdef _WIN32
bool HasLiveProbes() { return true; }
std::unique_ptr<registry::FileProbes> MakeLiveProbes() {
    return std::make_unique<registry::Win32Files>();
}
#else
bool HasLiveProbes() { return false; }
std::unique_ptr<registry::FileProbes> MakeLiveProbes() { return nullptr; }
#endif

}  // namespace hivewarden::cli
