// Entry point of the hivewarden command.
#include <iostream>

#include "cli/app.h"

int main(int argc, char** argv) { return hivewarden::cli::Run(argc, argv, std::cout, std::cerr); }
