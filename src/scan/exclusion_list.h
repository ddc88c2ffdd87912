// The user's exclusion list (Ignore.ini): files, folders and drives whose value findings are
// shown as ignored. Reads and writes its file; knows nothing of the window or the grid.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/error_entry.h"
#include "text/code_page.h"

namespace hivewarden::scan {

// Entries 1 ... n in file order, exactly as picked: not normalised, not de-duplicated.
using ExclusionList = engine::OneBasedArray<std::string>;

// Every line, also an empty one, is one entry (CR LF or LF line ends). The file is UTF-8 or
// UTF-16LE after its byte order mark, else text in the ANSI code page. A missing or unreadable
// file gives an empty list.
ExclusionList LoadExclusionList(const std::string& path, const CodePage& codePage);

// Creates or truncates the file and writes each entry followed by CR LF, nothing else (an
// empty list gives an empty file): in the ANSI code page when it holds every entry, otherwise
// as UTF-8 after a byte order mark. Returns the failure, naming the file and the system's
// reason, when the file cannot be created or written; the file may then be partly written.
std::optional<std::string> SaveExclusionList(const std::string& path, const ExclusionList& list,
                                             const CodePage& codePage);

// Matches value findings against the list with the entries upper-cased once; build one per
// batch of findings.
class ExclusionMatcher {
  public:
    explicit ExclusionMatcher(const ExclusionList& list);

    // True for a value finding whose TargetPath contains some entry, compared in upper case
    // (the registry's rule, in every script) with no wildcards and no path boundaries (C:\TEMP
    // excludes C:\TEMPLATES\a.dll). An empty entry excludes every value finding. Key findings
    // are never excluded.
    bool Excludes(const engine::ErrorEntry& entry) const;

  private:
    std::vector<std::string> upperEntries_;
};

// The same test for a single finding.
bool IsExcluded(const engine::ErrorEntry& entry, const ExclusionList& list);

}  // namespace hivewarden::scan
