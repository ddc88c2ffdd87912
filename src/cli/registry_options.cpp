// Loading the registry a command works on.
#include "cli/registry_options.h"

#include <CLI/CLI.hpp>

#include "cli/platform_system.h"
#include "registry/memory_store.h"
#include "registry/regfile.h"

namespace hivewarden::cli {

void AddRegistryOptions(CLI::App& command, RegistryOptions& options) {
    command.add_option("--registry", options.Files,
                       "A .reg file to load into an in-memory registry (repeatable); without it "
                       "the live registry is used on Windows");
    command.add_option("--codepage", options.AnsiCodePage,
                       "The ANSI code page of REGEDIT4 --registry files (default 1252); a "
                       "write-back uses it too, or version 5 when it cannot hold every entry");
}

std::unique_ptr<CodePage> OpenRegistryCodePage(const RegistryOptions& options,
                                               std::string& error) {
    std::string reason;
    std::unique_ptr<CodePage> page = OpenCodePage(options.AnsiCodePage, reason);
    if (!page) error = "--codepage " + std::to_string(options.AnsiCodePage) + ": " + reason;
    return page;
}

std::unique_ptr<registry::RegistryStore> OpenRegistry(const RegistryOptions& options,
                                                      std::string& error) {
    const std::unique_ptr<CodePage> page = OpenRegistryCodePage(options, error);
    if (!page) return nullptr;
    if (options.Files.empty()) {
        if (HasLiveRegistry()) return MakeLiveStore();
        error = "no registry to work on: give one or more --registry FILE.reg";
        return nullptr;
    }
    auto store = std::make_unique<registry::MemoryStore>();
    for (const std::string& file : options.Files) {
        const registry::RegFileStatus status = registry::LoadRegFile(file, *store, {}, *page);
        if (!status) {
            error = status.Message;
            return nullptr;
        }
    }
    return store;
}

}  // namespace hivewarden::cli
