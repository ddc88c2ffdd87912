// Command-line dispatch over CLI11, with the answers a user expects around it: help as a
// command, the version's short flag, the list of commands for an unknown one, and "did you
// mean" for a misspelled command or option.
#include "cli/app.h"

#include <CLI/CLI.hpp>
#include <new>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/suggest.h"
#include "hivewarden_version.h"

namespace hivewarden::cli {
namespace {

std::vector<CLI::App*> Commands(CLI::App& app) {
    return app.get_subcommands([](CLI::App*) { return true; });
}

CLI::App* CommandNamed(CLI::App& app, const std::string& name) {
    for (CLI::App* command : Commands(app)) {
        if (command->get_name() == name) return command;
    }
    return nullptr;
}

std::string CommandList(CLI::App& app) {
    std::string list;
    for (CLI::App* command : Commands(app)) {
        list += (list.empty() ? "" : ", ") + command->get_name();
    }
    return list;
}

std::string DidYouMean(const std::string& given, const std::vector<std::string>& names) {
    const std::string closest = ClosestName(given, names);
    return closest.empty() ? std::string() : " (did you mean '" + closest + "'?)";
}

// The first argument when it names no command: the list of commands, and the closest.
int UnknownCommand(CLI::App& app, const std::string& given, std::ostream& err) {
    std::vector<std::string> names;
    for (CLI::App* command : Commands(app)) names.push_back(command->get_name());
    names.push_back("help");
    err << "hivewarden: unknown command '" << given << "'" << DidYouMean(given, names)
        << "\nThe commands are: " << CommandList(app)
        << "; 'hivewarden help COMMAND' describes one.\n";
    return kExitUsage;
}

// Options nobody declared: each one's closest declared option of the command given.
void SuggestOptions(CLI::App& app, std::ostream& err) {
    std::vector<CLI::App*> chosen = app.get_subcommands();
    CLI::App* command = chosen.empty() ? &app : chosen.front();
    std::vector<std::string> names;
    for (const CLI::Option* option : command->get_options()) {
        for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
    }
    for (const std::string& extra : command->remaining()) {
        if (!extra.starts_with("--")) continue;
        const std::string closest = ClosestName(extra.substr(0, extra.find('=')), names);
        if (!closest.empty()) err << "hivewarden: did you mean '" << closest << "'?\n";
    }
}

}  // namespace

int Run(int argc, char** argv, std::ostream& out, std::ostream& err, bool outIsTerminal) {
    std::istringstream noInput;
    return Run(argc, argv, noInput, out, err, outIsTerminal);
}

int Run(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err,
        bool outIsTerminal) {
    CLI::App app{"Kestovar Hivewarden - registry cleaner", "hivewarden"};
    app.require_subcommand(1);
    app.footer("'hivewarden help COMMAND' (or COMMAND --help) describes a command.");
    // The build's one version number, as the window's about box and the packages show it.
    app.set_version_flag("-V,--version", std::string("Kestovar Hivewarden ") + HW_VERSION_TEXT,
                         "Print the version and exit");
    CommandContext context{in, out, err, outIsTerminal};
    AddPathCommand(app, context);
    AddScanCommand(app, context);
    AddSearchCommand(app, context);
    AddRepairCommand(app, context);
    AddCleanCommand(app, context);
    AddBackupsCommand(app, context);

    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (args.empty()) {
        err << app.help();
        return kExitUsage;
    }
    // "help", "help COMMAND" and the Windows "/?" ask for help as a command would.
    if (args[0] == "help" || args[0] == "/?") {
        if (args.size() > 1 && args[0] == "help") {
            CLI::App* command = CommandNamed(app, args[1]);
            if (command == nullptr) return UnknownCommand(app, args[1], err);
            out << command->help("hivewarden");
            return kExitOk;
        }
        out << app.help();
        return kExitOk;
    }
    if (!args[0].starts_with('-') && CommandNamed(app, args[0]) == nullptr) {
        return UnknownCommand(app, args[0], err);
    }
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
        SuggestOptions(app, err);
        return kExitUsage;
    } catch (const std::bad_alloc&) {
        // Every file is written beside its place and renamed only when whole, so what was
        // being written when memory ran out is left unwritten.
        err << "hivewarden: not enough memory for this work; the file being written, if any, "
               "was left unchanged\n";
        return kExitFailed;
    }
    return context.ExitCode;
}

}  // namespace hivewarden::cli
