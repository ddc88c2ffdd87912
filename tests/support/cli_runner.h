// Runs the command line in-process, as a user would type it, and keeps what it printed.
// Arguments and output are UTF-8, as the platform's entry (cli/console.h) hands them over.
#pragma once

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/app.h"

namespace hivewarden::testing {

struct CliResult {
    int Code = -1;
    std::string Out;
    std::string Err;
};

// `args` without the program name: {"scan", "--registry", "x.reg"}; `input` is standard input
// (the file "-"). `outIsTerminal`: standard output stands for a terminal, not a file or pipe.
inline CliResult RunCliWithInput(std::vector<std::string> args, const std::string& input,
                                 bool outIsTerminal = false) {
    args.insert(args.begin(), "hivewarden");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    CliResult result;
    result.Code =
        cli::Run(static_cast<int>(argv.size()), argv.data(), in, out, err, outIsTerminal);
    result.Out = out.str();
    result.Err = err.str();
    return result;
}

inline CliResult RunCli(std::vector<std::string> args, bool outIsTerminal = false) {
    return RunCliWithInput(std::move(args), std::string(), outIsTerminal);
}

}  // namespace hivewarden::testing
