// Removal of marked shortcut files.
#include "scan/shortcuts/shortcut_removal.h"

#include <string>

namespace hivewarden::scan {

ShortcutRemoval RemoveMarkedShortcuts(const ShortcutResults& results, const ConfirmRemoval& confirm,
                                      registry::FileProbes& probes) {
    ShortcutRemoval removal;
    for (const ShortcutEntry& entry : results) {
        if (entry.RemoveMark) ++removal.Marked;
    }
    if (removal.Marked == 0 || !confirm || !confirm(kRemoveShortcutsQuestion)) return removal;
    removal.Confirmed = true;
    for (const ShortcutEntry& entry : results) {
        if (!entry.RemoveMark) continue;
        if (std::string host = probes.HostPath(entry.LinkPath + ".lnk"); !host.empty()) {
            removal.HostPaths[entry.LinkIndex] = std::move(host);
        }
        const bool deleted = probes.DeleteFile(entry.LinkPath + ".lnk");
        (deleted ? removal.Deleted : removal.Failed).push_back(entry.LinkIndex);
    }
    return removal;
}

}  // namespace hivewarden::scan
