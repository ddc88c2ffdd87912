// The --registry option shared by the commands that read a registry, and the store it names:
// .reg files loaded into an in-memory registry, or the live registry where there is one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "registry/store.h"

namespace CLI {
class App;
}

namespace hivewarden::cli {

struct RegistryOptions {
    std::vector<std::string> Files;  // .reg files, loaded in order
};

void AddRegistryOptions(CLI::App& command, RegistryOptions& options);

// The registry the command works on. Null with `error` set when a file cannot be read or
// parsed ("HKLM.reg:12: bad hex byte ...") or when there is neither a file nor a live registry.
std::unique_ptr<registry::RegistryStore> OpenRegistry(const RegistryOptions& options,
                                                      std::string& error);

}  // namespace hivewarden::cli
