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
}

std::unique_ptr<registry::RegistryStore> OpenRegistry(const RegistryOptions& options,
                                                      std::string& error) {
    if (options.Files.empty()) {
        if (HasLiveRegistry()) return MakeLiveStore();
        error = "no registry to work on: give one or more --registry FILE.reg";
        return nullptr;
    }
    auto store = std::make_unique<registry::MemoryStore>();
    for (const std::string& file : options.Files) {
        const registry::RegFileStatus status = registry::LoadRegFile(file, *store);
        if (!status) {
            error = status.Message;
            return nullptr;
        }
    }
    return store;
}

}  // namespace hivewarden::cli
