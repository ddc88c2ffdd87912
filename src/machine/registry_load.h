// Loading the .reg files of a machine's source into one in-memory registry, as regedit imports
// them: a line regedit would skip is skipped, and one it reads differently from what it says
// (an unknown escape) is applied as regedit reads it; each such line is a warning, and the
// counts are kept per file.
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "machine/machine_source.h"
#include "store/store.h"
#include "text/code_page.h"

namespace hivewarden::machine {

// What loading one .reg file found.
struct RegistryFileLoad {
    std::string File;  // as given
    std::size_t SkippedLines = 0;
    std::size_t ChangedLines = 0;
};

// What loading the .reg files found, file by file.
struct RegistryLoad {
    std::vector<RegistryFileLoad> Files;

    std::size_t SkippedLines() const;
    std::size_t ChangedLines() const;
};

// Each warning as it is met: "x.reg:12: skipped: reason", or "warning: ..." for what the user
// should know before the work starts (a hive that is read only, and why).
using WarningSink = std::function<void(const std::string&)>;

// The code page of the source's AnsiCodePage. Null, with the reason ("--codepage 99: unknown
// code page 99"), when the system does not know it.
std::unique_ptr<CodePage> OpenSourceCodePage(const MachineSource& source, std::string& error);

// The file name that stands for standard input, and the name its messages give it.
inline constexpr std::string_view kStandardInputFile = "-";
inline constexpr std::string_view kStandardInputName = "(standard input)";

// The files, in order, into `store`; the file "-" is `standardInput`, read once as it streams
// by. False, with the reason ("HKLM.reg:1: bad header ..."), when a file cannot be read or has
// no valid header; `load` then holds the files loaded so far.
bool LoadRegistryFiles(const std::vector<std::string>& files, const CodePage& page,
                       registry::RegistryStore& store, RegistryLoad& load,
                       const WarningSink& warn, std::string& error,
                       std::istream* standardInput = nullptr);

// The summary line of a load with skipped or changed lines ("--registry files: 3 lines
// skipped, 1 line read as regedit reads them (see the warnings)"), or "".
std::string RegistryLoadSummary(const RegistryLoad& load);

}  // namespace hivewarden::machine
