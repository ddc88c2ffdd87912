// Command-line dispatch over CLI11.
#include "cli/app.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/commands.h"
#include "hivewarden_version.h"

namespace hivewarden::cli {

int Run(int argc, char** argv, std::ostream& out, std::ostream& err, bool outIsTerminal) {
    CLI::App app{"Kestovar Hivewarden - registry cleaner", "hivewarden"};
    app.require_subcommand(1);
    // The build's one version number, as the window's about box and the packages show it.
    app.set_version_flag("--version", std::string("Kestovar Hivewarden ") + HW_VERSION_TEXT,
                         "Print the version and exit");
    CommandContext context{out, err, outIsTerminal};
    AddPathCommand(app, context);
    AddScanCommand(app, context);
    AddSearchCommand(app, context);
    AddRepairCommand(app, context);
    AddCleanCommand(app, context);
    AddBackupsCommand(app, context);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForVersion& e) {
        out << e.what() << "\n";
        return kExitOk;
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
