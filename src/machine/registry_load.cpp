// Loading the registry a command works on.
#include "cli/registry_options.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/platform_system.h"
#include "cli/wine_prefix_options.h"
#include "store/classes_root_view.h"
#include "store/memory_store.h"
#include "regfile/regfile.h"

namespace hivewarden::cli {

void AddRegistryOptions(CLI::App& command, RegistryOptions& options) {
    command.add_option("--registry", options.Files,
                       "A .reg file to load into an in-memory registry (repeatable); without it "
                       "the live registry is used on Windows");
    command.add_option("--codepage", options.AnsiCodePage,
                       "The ANSI code page of REGEDIT4 --registry files (default 1252); a "
                       "write-back uses it too, or version 5 when it cannot hold every entry");
    // Wine prefix: its own store (wine_prefix_options.h).
    command.add_option("--wine-prefix", options.WinePrefix,
                       "A Wine prefix whose registry (system.reg, user.reg, userdef.reg) is "
                       "the registry, and whose drives and environment are the machine's; "
                       "changes are written back while no wineserver serves it")
        ->type_name("DIR")
        ->excludes("--registry");
    // Hive files: --hive, --windows-root and --user (hive_options.h).
    AddHiveOptions(command, options.Hives);
}

bool HasRegistryFiles(const RegistryOptions& options) {
    return !options.Files.empty() || !options.WinePrefix.empty() || UsesHives(options.Hives);
}

std::unique_ptr<CodePage> OpenRegistryCodePage(const RegistryOptions& options,
                                               std::string& error) {
    std::string reason;
    std::unique_ptr<CodePage> page = OpenCodePage(options.AnsiCodePage, reason);
    if (!page) error = "--codepage " + std::to_string(options.AnsiCodePage) + ": " + reason;
    return page;
}

std::size_t RegistryLoad::SkippedLines() const {
    std::size_t count = 0;
    for (const RegistryFileLoad& file : Files) count += file.SkippedLines;
    return count;
}

std::size_t RegistryLoad::ChangedLines() const {
    std::size_t count = 0;
    for (const RegistryFileLoad& file : Files) count += file.ChangedLines;
    return count;
}

const RegistryFileLoad* RegistryLoad::Find(const std::string& file) const {
    for (const RegistryFileLoad& loaded : Files) {
        if (loaded.File == file) return &loaded;
    }
    return nullptr;
}

std::string RegistryLoadSummary(const RegistryLoad& load) {
    const std::size_t skipped = load.SkippedLines();
    const std::size_t changed = load.ChangedLines();
    if (skipped == 0 && changed == 0) return {};
    auto lines = [](std::size_t count) {
        return std::to_string(count) + (count == 1 ? " line" : " lines");
    };
    std::string text = "--registry files: " + lines(skipped) + " skipped";
    if (changed > 0) text += ", " + lines(changed) + " read as regedit reads them";
    return text + " (see the warnings)";
}

std::unique_ptr<registry::RegistryStore> OpenRegistry(const RegistryOptions& options,
                                                      std::string& error, RegistryLoad* load) {
    const std::unique_ptr<CodePage> page = OpenRegistryCodePage(options, error);
    if (!page) return nullptr;
    if (!options.WinePrefix.empty()) return OpenWinePrefixRegistry(options.WinePrefix, error);
    // Hive files: mounted where --hive and --windows-root say, read only where unsafe to write.
    if (UsesHives(options.Hives)) {
        if (!options.Files.empty()) {
            error = "--registry cannot be combined with --hive or --windows-root";
            return nullptr;
        }
        std::vector<std::string> warnings;
        std::unique_ptr<registry::RegistryStore> hives =
            OpenHiveRegistry(options.Hives, warnings, error);
        for (const std::string& warning : warnings) {
            if (load && load->Warnings) {
                *load->Warnings << "hivewarden " << load->Command << ": warning: " << warning
                                << "\n";
            }
        }
        if (!hives) return nullptr;
        return std::make_unique<registry::ClassesRootView>(std::move(hives));
    }
    if (options.Files.empty()) {
        if (HasLiveRegistry()) return MakeLiveStore();
        error = "no registry to work on: give one or more --registry FILE.reg";
        return nullptr;
    }
    // HKEY_CLASSES_ROOT as Windows shows it, over HKLM and HKCU\Software\Classes.
    auto store =
        std::make_unique<registry::ClassesRootView>(std::make_unique<registry::MemoryStore>());
    for (const std::string& file : options.Files) {
        RegistryFileLoad counts;
        counts.File = file;
        const auto onNote = [&counts, load](const registry::RegFileNote& note) {
            ++(note.What == registry::RegFileNote::Kind::Skipped ? counts.SkippedLines
                                                                  : counts.ChangedLines);
            if (load && load->Warnings) {
                *load->Warnings << "hivewarden " << load->Command << ": " << note.Message << "\n";
            }
        };
        // As regedit imports: what it would skip is skipped, with a warning each.
        const registry::RegFileStatus status = registry::LoadRegFile(
            file, *store, *page, registry::RegImportMode::Lenient, onNote);
        if (load) load->Files.push_back(counts);
        if (!status) {
            error = status.Message;
            return nullptr;
        }
    }
    return store;
}

}  // namespace hivewarden::cli
