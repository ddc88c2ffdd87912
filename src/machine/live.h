// Where the live file probes come from: the Windows shell and kernel functions on Windows
// builds, nowhere on other hosts (they map drive letters to folders instead). Implemented with
// the rest of the platform's facts in win32_platform.cpp and posix_platform.cpp.
#pragma once

#include <memory>

#include "files/files.h"

namespace hivewarden::cli {

// True when this build can ask the file system of the machine it runs on about Windows paths.
bool HasLiveProbes();
// The live probes; null where HasLiveProbes() is false.
std::unique_ptr<registry::FileProbes> MakeLiveProbes();

}  // namespace hivewarden::cli
