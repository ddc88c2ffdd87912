// Deletion of the shortcut files the user marked "Delete", after one confirmation. Knows the
// file-probe seam; the question is asked through a callback, so no window code is needed here.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "files/files.h"
#include "scan/shortcuts/shortcut_scan.h"

namespace hivewarden::scan {

inline constexpr std::string_view kRemoveShortcutsQuestion =
    "Would you like to remove all selected shortcuts? (This action cannot be backuped)";

// Asks the question (Yes/No, warning icon); true for Yes.
using ConfirmRemoval = std::function<bool(std::string_view question)>;

struct ShortcutRemoval {
    std::int32_t Marked = 0;            // entries with RemoveMark set
    bool Confirmed = false;             // the question was asked and answered Yes
    std::vector<std::int32_t> Deleted;  // LinkIndex of each file deleted, in array order
    std::vector<std::int32_t> Failed;   // LinkIndex of each file that could not be deleted
    // LinkIndex -> the host file each marked shortcut was, asked before the deletion, where
    // drives are host folders (FileProbes::HostPath); absent elsewhere.
    std::map<std::int32_t, std::string> HostPaths;
};

// When any entry is marked: asks once, and on Yes deletes LinkPath + ".lnk" of every marked
// entry in array order. Nothing is asked when no entry is marked; nothing is deleted on No. A
// failed deletion does not stop the others; the user is not told, the caller can see it.
ShortcutRemoval RemoveMarkedShortcuts(const ShortcutResults& results, const ConfirmRemoval& confirm,
                                      registry::FileProbes& probes);

}  // namespace hivewarden::scan
