// The entry on POSIX hosts: arguments and file names are UTF-8 already, and so is the
// terminal; the streams are taken as they are. Not built on Windows (win32_console.cpp is).
#include <unistd.h>

#include <iostream>

#include "cli/app.h"
#include "cli/console.h"

namespace hivewarden::cli {

int RunConsoleProgram(int argc, char** argv) {
    const int code = Run(argc, argv, std::cin, std::cout, std::cerr, isatty(STDOUT_FILENO) != 0);
    std::cout.flush();
    return code;
}

}  // namespace hivewarden::cli
