// `hivewarden path`: explains how the scan reads a text as a path.
#include <CLI/CLI.hpp>

#include "cli/app.h"
#include "cli/commands.h"

namespace hivewarden::cli {

void AddPathCommand(CLI::App& app, CommandContext& context) {
    CLI::App* cmd = app.add_subcommand("path", "Explain how a text is read as a path");
    cmd->callback([&context] { context.ExitCode = kExitUsage; });
}

}  // namespace hivewarden::cli
