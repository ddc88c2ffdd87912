// The subcommands of the command line. Each Add...Command registers its options on the
// parent and, when chosen, runs and leaves its exit code in `exitCode`.
#pragma once

#include <iosfwd>

namespace CLI {
class App;
}

namespace hivewarden::cli {

struct CommandContext {
    std::istream& In;  // standard input, in binary mode: the file "-" of --registry and --from
    std::ostream& Out;
    std::ostream& Err;
    bool OutIsTerminal = false;  // see Run in app.h
    int ExitCode = 0;
};

void AddPathCommand(CLI::App& app, CommandContext& context);
void AddScanCommand(CLI::App& app, CommandContext& context);
void AddSearchCommand(CLI::App& app, CommandContext& context);
void AddRepairCommand(CLI::App& app, CommandContext& context);
void AddCleanCommand(CLI::App& app, CommandContext& context);
void AddBackupsCommand(CLI::App& app, CommandContext& context);

}  // namespace hivewarden::cli
