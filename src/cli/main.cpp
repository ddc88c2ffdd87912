// Entry point of the hivewarden command.
#include "cli/console.h"

int main(int argc, char** argv) { return hivewarden::cli::RunConsoleProgram(argc, argv); }
