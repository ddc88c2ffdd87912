// What the command line needs of the system it runs on, apart from file probes: the live
// registry (Windows builds only), the folder of the program file, the local time, whether
// standard error is a terminal, and Ctrl+C. The platform's answers live in win32_platform.cpp
// and posix_platform.cpp (chosen by the build), Ctrl+C in platform_system.cpp.
#pragma once

#include <ctime>
#include <memory>
#include <string>

#include "store/store.h"

namespace hivewarden::cli {

// True when this build can open the registry of the machine it runs on.
bool HasLiveRegistry();
// The live registry; null where HasLiveRegistry() is false.
std::unique_ptr<registry::RegistryStore> MakeLiveStore();

// The folder that holds the program file (UTF-8), with a trailing separator; empty if unknown.
std::string ExecutableFolder();

// The local date and time now.
std::tm LocalNow();

// True when standard error goes to a terminal (progress is shown only there).
bool StandardErrorIsTerminal();

// Ctrl+C stops the running engine as Cancel does: the handler only raises a flag that the
// engine's yield hook reads.
void InstallInterruptHandler();
bool InterruptRequested();

}  // namespace hivewarden::cli
