// The shortcut scan: walks a folder tree, reads every *.lnk file's target and reports the
// shortcuts whose target no longer exists. Knows the file-probe seam and the engine signals;
// nothing of the window or the command line, which receive each finding through OnFound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/error_entry.h"
#include "text/code_page.h"
#include "files/files.h"
#include "store/signals.h"

namespace hivewarden::scan {

// One invalid shortcut.
struct ShortcutEntry {
    std::string LinkPath;        // the shortcut file's full path without ".lnk"
    std::string LinkTarget;      // the target path read from the file
    std::int32_t LinkIndex = 0;  // own position in ShortcutResults, from 1
    bool RemoveMark = false;     // set by the repair step when the row's action is "Delete"

    bool operator==(const ShortcutEntry&) const = default;
};

using ShortcutResults = engine::OneBasedArray<ShortcutEntry>;

// Full paths longer than this (in UTF-16 units) are not entered or read: it is the longest path
// the Windows file functions accept at all, and it bounds the depth of any walk through nested
// folders.
inline constexpr std::size_t kMaxShortcutPathLength = 32767;

struct ShortcutScanContext {
    registry::FileProbes& Probes;
    // Only the yield hook is used: the walk yields before each listing, for every name in it
    // and around every subfolder, so a window stays live and Cancel can set ScanHalted.
    registry::EngineSignals& Signals;
    // Set by Cancel, Back or closing the window; every loop of every level tests it.
    bool& ScanHalted;
    // Called once for each finding, right after it was appended to the results.
    std::function<void(const ShortcutEntry&)> OnFound;
    // The code page of the ANSI strings in shortcut files (their Unicode strings need none).
    const CodePage& AnsiCodePage = Windows1252();
};

// Walks `folder` and everything below it, depth first: in each folder the shortcuts of the
// folder itself are reported (in listing order) before any subfolder is entered, and the
// subfolders are walked in listing order. A shortcut is reported when its target could be
// read and is neither an existing folder nor an existing file. Folders that cannot be listed
// are skipped silently; folder links (junctions, symbolic links) are not entered, so a link
// pointing at one of its own parents cannot make the walk endless; the folders they lead to
// are walked under their real path. The walk stays on the machine: a folder mounted from
// another file system is not entered, a shortcut file that is a link is not read, and where
// `folder` is the host's root folder "/" (a Wine prefix whose drive maps the whole host)
// nothing is walked at all and the reason is returned; otherwise empty text.
std::string SearchShortcuts(std::string_view folder, ShortcutResults& results,
                            const ShortcutScanContext& context);

}  // namespace hivewarden::scan
