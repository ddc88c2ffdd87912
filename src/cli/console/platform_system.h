// What the command line needs of the system it runs on, apart from the machine it looks at
// (machine/): the folder of the program file, the local time, whether standard error is a
// terminal, and Ctrl+C. The platform's answers live in win32_platform.cpp and
// posix_platform.cpp (chosen by the build), Ctrl+C in platform_system.cpp.
#pragma once

#include <ctime>
#include <string>

namespace hivewarden::cli {

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
