// The command-line front end: parses the command line and runs one command. Exit codes are
// chosen here and nowhere else. Arguments and everything written are UTF-8 text (the platform's
// entry, console.h, converts at the edge).
#pragma once

#include <iosfwd>

namespace hivewarden::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;     // bad arguments or unreadable input
inline constexpr int kExitFailed = 2;    // the work itself failed
inline constexpr int kExitStopped = 130; // stopped by Ctrl+C

// `outIsTerminal`: `out` is shown to a person (a terminal or console), not written to a file
// or pipe; a report for standard output is then given as text, not in a file's encoding.
// `in` is what the file name "-" of --registry and --from reads (standard input, in binary
// mode); without it "-" reads nothing.
int Run(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err,
        bool outIsTerminal = false);
int Run(int argc, char** argv, std::ostream& out, std::ostream& err, bool outIsTerminal = false);

}  // namespace hivewarden::cli
