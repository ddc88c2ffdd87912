// `hivewarden path`: explains how the scan reads a text as a path: the path it extracts, the
// kind of thing that names and whether that thing is missing. Glue over scan/path_extract.
#include <CLI/CLI.hpp>
#include <array>
#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/app.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/machine_options.h"
#include "engine/error_entry.h"
#include "scan/path_extract.h"

namespace hivewarden::cli {
namespace {

struct PathOptions {
    MachineOptions Machine;
    bool Json = false;
    std::string Text;
};

// Meanings of the path kinds, indexed by engine::kNotAPath ... engine::kNetworkPath.
constexpr std::array<std::string_view, 5> kKindNames = {"not a path", "folder", "file",
                                                        "drive root", "network path"};

std::string_view KindName(std::int32_t kind) {
    if (kind < engine::kNotAPath || kind > engine::kNetworkPath) return "unknown";
    return kKindNames[static_cast<std::size_t>(kind)];
}

int RunPath(const PathOptions& options, CommandContext& context) {
    std::string error;
    const std::unique_ptr<registry::FileProbes> probes = MakeProbes(options.Machine, error);
    if (!probes) {
        context.Err << "hivewarden path: " << error << "\n";
        return kExitUsage;
    }
    if (const std::string warning = MachineWarning(options.Machine); !warning.empty()) {
        context.Err << "hivewarden path: " << warning << "\n";
    }

    const std::string text = options.Text;
    scan::PathContext paths{*probes, probes->WindowsDirectory()};
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
    AddMachineOptions(*cmd, options->Machine);
    cmd->add_flag("--json", options->Json,
                  "Print one JSON object with the keys path, kind and missing");
    cmd->add_option("text", options->Text,
                    "The registry value data to read (put -- before a text that starts with -)")
        ->required();
    cmd->callback([options, &context] { context.ExitCode = RunPath(*options, context); });
}

}  // namespace hivewarden::cli
