// Command-line dispatch over CLI11.
#include "cli/app.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/commands.h"

namespace hivewarden::cli {

int Run(int argc, char** argv, std::ostream& out, std::ostream& err, bool outIsTerminal) {
    CLI::App app{"Kestovar Hivewarden - registry cleaner", "hivewarden"};
    app.require_subcommand(1);
    CommandContext context{out, err, outIsTerminal};
    AddPathCommand(app, context);
    AddScanCommand(app, context);
    AddSearchCommand(app, context);
    AddRepairCommand(app, context);
    AddCleanCommand(app, context);
    AddBackupsCommand(app, context);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) {
            out << app.help();
            return kExitOk;
        }
        err << "hivewarden: " << e.what() << "\n";
        return kExitUsage;
    }
    return context.ExitCode;
}

}  // namespace hivewarden::cli
