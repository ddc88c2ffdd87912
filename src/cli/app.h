// The command-line front end: parses the command line and runs one command. Exit codes are
// chosen here and nowhere else.
#pragma once

#include <iosfwd>

namespace hivewarden::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;     // bad arguments or unreadable input
inline constexpr int kExitFailed = 2;    // the work itself failed
inline constexpr int kExitStopped = 130; // stopped by Ctrl+C

int Run(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace hivewarden::cli
