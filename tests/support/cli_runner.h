// Runs the command line in-process, as a user would type it, and keeps what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/app.h"

namespace hivewarden::testing {

struct CliResult {
    int Code = -1;
    std::string Out;
    std::string Err;
};

// `args` without the program name: {"scan", "--registry", "x.reg"}.
inline CliResult RunCli(std::vector<std::string> args) {
    args.insert(args.begin(), "hivewarden");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    std::ostringstream out;
    std::ostringstream err;
    CliResult result;
    result.Code = cli::Run(static_cast<int>(argv.size()), argv.data(), out, err);
    result.Out = out.str();
    result.Err = err.str();
    return result;
}

}  // namespace hivewarden::testing
