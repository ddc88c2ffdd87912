// The --registry and --codepage options shared by the commands that read a registry, and the
// store they name: .reg files loaded into an in-memory registry, or the live registry where
// there is one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "registry/code_page.h"
#include "registry/store.h"

namespace CLI {
class App;
}

namespace hivewarden::cli {

struct RegistryOptions {
    std::vector<std::string> Files;  // .reg files, loaded in order
    // --codepage: the ANSI code page REGEDIT4 files among them are read in, and the code page
    // a write-back is tried in before it falls back to version 5.
    unsigned AnsiCodePage = kWindows1252;
};

void AddRegistryOptions(CLI::App& command, RegistryOptions& options);

// The code page of --codepage. Null, with the reason ("unknown code page 99"), when the
// system does not know it.
std::unique_ptr<CodePage> OpenRegistryCodePage(const RegistryOptions& options,
                                               std::string& error);

// The registry the command works on. Null with `error` set when a file cannot be read or
// parsed ("HKLM.reg:12: bad hex byte ..."), when --codepage names an unknown code page, or
// when there is neither a file nor a live registry.
std::unique_ptr<registry::RegistryStore> OpenRegistry(const RegistryOptions& options,
                                                      std::string& error);

}  // namespace hivewarden::cli
