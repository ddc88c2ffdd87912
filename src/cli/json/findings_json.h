// Reading back the JSON of `hivewarden scan --json` after the user chose an action for each
// finding ("Action": "Ignore", "Delete" or "Change Value" with the new value in
// "FixedValue"): the findings become ScanResults again, marked as the repair step marks the
// grid's rows, and the invalid shortcuts become ShortcutResults. Glue only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/error_entry.h"
#include "scan/shortcuts/shortcut_scan.h"

namespace hivewarden::cli {

struct EditedFindings {
    // Every finding in file order (Index = its position from 1). "Delete" sets DeleteMark;
    // "Change Value" keeps FixedValue, the new value; "Ignore" marks nothing.
    engine::ScanResultList Entries;
    // Every shortcut in file order; "Delete" sets RemoveMark.
    scan::ShortcutResults Shortcuts;
    // Findings and shortcuts whose action is not "Ignore".
    std::int32_t ToRepair = 0;
    // The "sources" the scan recorded, as compact JSON text; empty when it recorded none.
    std::string RecordedSources;
};

// Reads the JSON text (UTF-8, the program's own text form). False,
// with a message naming the finding or shortcut by its position in its list (from 1), when
// the text is not JSON, has no "findings" list, or an entry lacks a field or holds a wrong
// one: every field of a finding is required (but "IsAbsentDrive" and "CleanValue", which
// files of earlier versions lack), with "Action"; an action is one of the three
// above (in any case); "Change Value" needs a new value and is only for value findings whose
// row offers it (CanChange 1 or 2, when given); a marked finding's RootKey must be the root
// its KeyPath names.
bool ReadEditedFindings(std::string_view text, EditedFindings& findings, std::string& error);

}  // namespace hivewarden::cli
