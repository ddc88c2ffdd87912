// `hivewarden path`: explains how the scan reads a text as a path: the path it extracts, the
// kind of thing that names and whether that thing is missing; `--env` shows the environment
// the scan expands. Glue over scan/path_extract.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/app.h"
#include "cli/commands.h"
#include "cli/json/json_text.h"
#include "cli/source_options.h"
#include "engine/error_entry.h"
#include "text/text.h"
#include "scan/path_extract.h"

namespace hivewarden::cli {
namespace {

struct PathOptions {
    machine::MachineSource Source;  // the machine whose file system answers
    bool Json = false;
    std::string Text;
    bool TextGiven = false;  // also an empty text: the scan reads it too
};

// Meanings of the path kinds, indexed by engine::kNotAPath ... engine::kNetworkPath.
constexpr std::array<std::string_view, 5> kKindNames = {"not a path", "folder", "file",
                                                        "drive root", "network path"};

std::string_view KindName(std::int32_t kind) {
    if (kind < engine::kNotAPath || kind > engine::kNetworkPath) return "unknown";
    return kKindNames[static_cast<std::size_t>(kind)];
}

// The machine's environment, one NAME=VALUE line each (or one JSON object), as the scan
// expands it: a name set twice shows its last value, in the place of its first.
void PrintEnvironment(const machine::MappedMachine& machine, bool json, std::ostream& out) {
    std::vector<machine::EnvironmentVariable> shown;
    for (const machine::EnvironmentVariable& variable : machine.Environment) {
        const auto same = std::find_if(shown.begin(), shown.end(), [&](const auto& known) {
            return EqualsNoCase(known.first, variable.first);
        });
        if (same != shown.end()) {
            same->second = variable.second;
        } else {
            shown.push_back(variable);
        }
    }
    if (json) {
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        for (const auto& [name, value] : shown) object[name] = value;
        out << JsonText(object) << "\n";
        return;
    }
    for (const auto& [name, value] : shown) out << name << "=" << value << "\n";
}

int RunPath(const PathOptions& options, CommandContext& context) {
    std::string error;
    const std::vector<std::string>& variables = options.Source.Environment;
    const bool showEnvironment = std::find(variables.begin(), variables.end(), "") != variables.end();
    if (!showEnvironment && !options.TextGiven) {
        context.Err << "hivewarden path: the text is required (or --env alone, to show the "
                       "environment)\n";
        return kExitUsage;
    }
    const std::unique_ptr<machine::Machine> opened =
        machine::OpenMachine(options.Source, OpenOptionsFor(context, "path", false), error);
    if (!opened) {
        context.Err << "hivewarden path: " << error << "\n";
        return kExitUsage;
    }
    if (showEnvironment) {
        // The live file system has no mapped machine: shown is the one its options describe.
        machine::MappedMachine described = machine::DefaultMachine(options.Source);
        const machine::MappedMachine* mapped = opened->Mapped();
        if (mapped == nullptr &&
            !machine::AddGivenDrivesAndVariables(options.Source, described, error)) {
            context.Err << "hivewarden path: " << error << "\n";
            return kExitUsage;
        }
        PrintEnvironment(mapped != nullptr ? *mapped : described, options.Json, context.Out);
        if (!options.TextGiven) return kExitOk;
    }
    registry::FileProbes& probes = opened->Probes();
    if (const std::string warning = opened->NoDriveWarning(); !warning.empty()) {
        context.Err << "hivewarden path: " << warning << "\n";
    }

    const std::string text = options.Text;
    scan::PathContext paths{probes, probes.WindowsDirectory(), nullptr, probes.FontFolders()};
    const std::string path = scan::ExtractPath(text, paths);
    const std::int32_t kind = scan::PathKindOf(text, paths);
    const bool missing = scan::IsMissing(text, kind, paths);

    if (options.Json) {
        nlohmann::ordered_json result;
        result["path"] = path;
        result["kind"] = kind;
        result["missing"] = missing;
        context.Out << JsonText(result) << "\n";
    } else {
        context.Out << "Text:    " << text << "\n"
                    << "Path:    " << path << "\n"
                    << "Kind:    " << kind << " (" << KindName(kind) << ")\n"
                    << "Missing: " << (missing ? "yes" : "no") << "\n";
    }
    return kExitOk;
}

}  // namespace

void AddPathCommand(CLI::App& app, CommandContext& context) {
    // Owned by the callback, so it lives as long as the parser that writes into it.
    auto options = std::make_shared<PathOptions>();
    CLI::App* cmd = app.add_subcommand(
        "path", "Explain how the scan reads a text as a path: the path, its kind, missing or not");
    AddMachineOptions(*cmd, options->Source);
    // `--env` alone shows the machine's environment.
    cmd->get_option("--env")->type_size(0, 1)->description(
        "Set an environment variable of the mapped machine: NAME=VALUE; alone, print the "
        "machine's environment");
    cmd->add_flag("--json", options->Json,
                  "Print one JSON object with the keys path, kind and missing (with --env "
                  "alone: the environment's names and values)");
    cmd->add_option("text", options->Text,
                    "The registry value data to read (put -- before a text that starts with -)")
        ->each([options](const std::string&) { options->TextGiven = true; });
    cmd->callback([options, &context] { context.ExitCode = RunPath(*options, context); });
}

}  // namespace hivewarden::cli
