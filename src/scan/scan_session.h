// What one registry scan works with: the shared scan state, the registry, the path probes,
// the trojan tables, the exclusion list, the shortcut findings and the system's ANSI code page;
// and the front end (window or command line) that the scan reports to. Owned by the
// application, passed by reference.
#pragma once

#include <memory>
#include <string>

#include "engine/scan_state.h"
#include "store/access.h"
#include "text/code_page.h"
#include "scan/exclusion_list.h"
#include "scan/path_extract.h"
#include "scan/shortcuts/shortcut_scan.h"
#include "scan/trojan_definitions.h"

namespace hivewarden::scan {

// The window or the command line, as the scan sees it.
class ScanFrontEnd {
public:
    virtual ~ScanFrontEnd() = default;
    // The results timer (tmrCheckForNew) on or off.
    virtual void SetResultsTimer(bool on) = 0;
    // One tick of the results timer, called directly once more after the walks.
    virtual void ResultsTimerTick() = 0;
    // The completion handler: the scan, repair or search with EngineMode `task` ended.
    virtual void Done(bool canceled, int task) = 0;
    // A modal message with an OK button (definition-file errors, the virus marker).
    virtual void ShowMessage(const std::string& text) = 0;
    // The results page is reset for a new scan: no rows, every counter "0".
    virtual void ResetResults() = 0;
    // The shortcut scan of drive C: starts (after the registry scan's Done).
    virtual void ShortcutScanStarting() {}
    // An invalid shortcut was found and appended to the shortcut results.
    virtual void ShortcutFound(const ShortcutEntry& entry) = 0;
    // The scan and the shortcut scan are over: final caption, sort by column 1.
    virtual void ScanFinished() = 0;
};

// The system's ANSI code page, or the built-in Windows-1252 when the platform cannot give it.
std::unique_ptr<CodePage> OpenAnsiCodePage();

struct ScanSession {
    ScanSession(engine::ScanState& state, registry::RegistryAccess& access, PathContext& paths)
        : State(state), Access(access), Paths(paths) {}

    engine::ScanState& State;
    registry::RegistryAccess& Access;
    PathContext& Paths;
    // The paths a repair asks again just before each change: probes that answer from the file
    // system as it is then, not from the scan's cache. Null: Paths.
    PathContext* RecheckPaths = nullptr;
    TrojanTables Trojans;
    ExclusionList Exclusions;
    ShortcutResults Shortcuts;
    // Set by Cancel; stops the shortcut scan and keeps it from starting.
    bool ScanHalted = false;
    // The folder of the program file with a trailing separator: Ignore.ini and the
    // definition files are read from it.
    std::string ProgramFolder;
    // The code page of the program's own text files when their text fits it (Ignore.ini, the
    // definition files, reports) and of the ANSI strings in shortcut files. Never null.
    std::unique_ptr<CodePage> AnsiCodePage = OpenAnsiCodePage();
};

}  // namespace hivewarden::scan
