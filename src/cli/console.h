// The program's entry as the platform starts it: the arguments as UTF-8 and the two standard
// streams. Backends, chosen by the build: posix_console (arguments and streams as they are) and
// win32_console (arguments read as UTF-16 and converted; output to a console as UTF-16 through
// WriteConsoleW, to a file or pipe as the program's bytes, with no line-end translation).
#pragma once

namespace hivewarden::cli {

// Runs the command line (app.h) over the process's own arguments and standard streams, and
// gives the exit code.
int RunConsoleProgram(int argc, char** argv);

}  // namespace hivewarden::cli
