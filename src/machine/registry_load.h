// The --registry and --codepage options shared by the commands that read a registry, and the
// store they name: .reg files loaded into an in-memory registry, or the live registry where
// there is one.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cli/hive_options.h"
#include "text/code_page.h"
#include "store/store.h"

namespace CLI {
class App;
}

namespace hivewarden::cli {

struct RegistryOptions {
    std::vector<std::string> Files;  // .reg files, loaded in order
    // --codepage: the ANSI code page REGEDIT4 files among them are read in, and the code page
    // a write-back is tried in before it falls back to version 5.
    unsigned AnsiCodePage = kWindows1252;
    // --wine-prefix: a Wine prefix whose registry files are the registry (rewritten in place).
    std::string WinePrefix;
    // Hive files: --hive, --windows-root, --user (hive_options.h).
    HiveOptions Hives;
};

// True when the registry is given as files (--registry, --wine-prefix), not the live one.
bool HasRegistryFiles(const RegistryOptions& options);

void AddRegistryOptions(CLI::App& command, RegistryOptions& options);

// The code page of --codepage. Null, with the reason ("unknown code page 99"), when the
// system does not know it.
std::unique_ptr<CodePage> OpenRegistryCodePage(const RegistryOptions& options,
                                               std::string& error);

// What loading the --registry files found. The files are read as regedit imports them: a line
// regedit would skip is skipped, and one it reads differently from what it says (an unknown
// escape) is applied as regedit reads it; each such line is a warning.
struct RegistryFileLoad {
    std::string File;
    std::size_t SkippedLines = 0;
    std::size_t ChangedLines = 0;
};

struct RegistryLoad {
    RegistryLoad() = default;
    RegistryLoad(std::ostream* warnings, std::string command)
        : Warnings(warnings), Command(std::move(command)) {}

    // Each warning, as "hivewarden scan: x.reg:12: skipped: reason", when set.
    std::ostream* Warnings = nullptr;
    std::string Command;  // "scan": the name the warnings go under
    std::vector<RegistryFileLoad> Files;  // filled by OpenRegistry

    std::size_t SkippedLines() const;
    std::size_t ChangedLines() const;
    // The load of `file` (as given on the command line), or null.
    const RegistryFileLoad* Find(const std::string& file) const;
};

// The registry the command works on. Null with `error` set when a file cannot be read or
// has no valid header ("HKLM.reg:1: bad header ..."), when --codepage names an unknown code
// page, or when there is neither a file nor a live registry. `load`, when given, receives the
// warnings and counts of the --registry files.
std::unique_ptr<registry::RegistryStore> OpenRegistry(const RegistryOptions& options,
                                                      std::string& error,
                                                      RegistryLoad* load = nullptr);

// The summary line of a load with skipped or changed lines ("--registry files: 3 lines
// skipped, 1 line read as regedit reads them (see the warnings)"), or "".
std::string RegistryLoadSummary(const RegistryLoad& load);

}  // namespace hivewarden::cli
