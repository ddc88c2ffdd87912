// Scan master and scan driver.
#include "scan/scan_controller.h"

#include <string_view>

#include "scan/key_walker.h"
#include "scan/scan_options.h"
#include "scan/text_lines.h"

namespace hivewarden::scan {
namespace {

// The branches of the selective mode, in the order they are walked.
constexpr Branch kBranches[] = {
    {ScanSharedDlls, registry::kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs"},
    {ScanSharedDlls, registry::kLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\SharedDLLs"},
    {ScanHelp, registry::kLocalMachine, "Software\\Microsoft\\Windows\\Help"},
    {ScanHelp, registry::kLocalMachine, "Software\\Microsoft\\Windows NT\\Help"},
    {ScanAppPaths, registry::kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths"},
    {ScanAppPaths, registry::kLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\App Paths"},
    {ScanSounds, registry::kCurrentUser, "AppEvents\\Schemes\\Apps\\.Default"},
    {ScanSounds, registry::kUsers, ".DEFAULT\\AppEvents\\Schemes\\Apps\\.Default"},
    {ScanFonts, registry::kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts"},
    {ScanFonts, registry::kLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"},
    {ScanAutoRun, registry::kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {ScanAutoRun, registry::kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
    {ScanAutoRun, registry::kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx"},
    {ScanAutoRun, registry::kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"},
    {ScanAutoRun, registry::kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesEx"},
    {ScanAutoRun, registry::kLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Run"},
    {ScanAutoRun, registry::kLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\RunOnce"},
    {ScanAutoRun, registry::kLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\RunOnceEx"},
    {ScanAutoRun, registry::kLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\RunServices"},
    {ScanAutoRun, registry::kLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\RunServicesEx"},
    {ScanAutoRun, registry::kCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {ScanAutoRun, registry::kCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
    {ScanAutoRun, registry::kCurrentUser, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Run"},
    {ScanAutoRun, registry::kCurrentUser, "Software\\Microsoft\\Windows NT\\CurrentVersion\\RunOnce"},
    {ScanUninstall, registry::kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {ScanUninstall, registry::kLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Uninstall"},
};

bool WholeRegistryMode(std::int32_t options) {
    return (options & (ScanAll | ScanDrivers | ScanEmptyKeys)) != 0;
}

}  // namespace

std::vector<Branch> BranchesOf(std::int32_t options) {
    if (WholeRegistryMode(options)) {
        return {{0, registry::kCurrentUser, ""}, {0, registry::kLocalMachine, ""}};
    }
    std::vector<Branch> branches;
    // Each chosen category walks its branches, in table order.
    for (const std::int32_t bit : {ScanSharedDlls, ScanHelp, ScanAppPaths, ScanSounds,
                                   ScanFonts, ScanAutoRun, ScanUninstall}) {
        if (!(options & bit)) continue;
        for (const Branch& branch : kBranches) {
            if (branch.Bit == bit) branches.push_back(branch);
        }
    }
    return branches;
}

bool NeedsFiles(const ScanRequest& request) {
    return request.Shortcuts || (request.Options & ~(ScanTrojans | ScanEmptyKeys)) != 0;
}

void InitScanEngine(ScanSession& session) {
    engine::ScanState& state = session.State;
    state.ScanResults.Reset();
    state.CustomHits.Reset();
    session.Trojans = TrojanTables{};
    state.ProgressPercent = 100;
    state.WindowsDir = session.Paths.WindowsDir;
}

void RunScan(ScanSession& session, ScanFrontEnd& frontEnd, std::int32_t options) {
    engine::ScanState& state = session.State;
    registry::RegistryAccess& access = session.Access;
    state.EngineMode = engine::kModeScan;
    state.ResetForScan();
    frontEnd.SetResultsTimer(true);

    state.StopRequested = false;
    state.ProgressPercent = 0;
    state.TopKeyCountCU = static_cast<std::int32_t>(access.EnumSubkeys(registry::kCurrentUser, "").size());
    state.TopKeyCountLM = static_cast<std::int32_t>(access.EnumSubkeys(registry::kLocalMachine, "").size());
    state.ShownCount = 0;
    state.ProgressBaseCU = 0;
    state.ProgressBaseLM = 0;
    state.ActiveScanOptions = options;
    state.Yield();

    KeyWalker walker(session, frontEnd);
    if (WholeRegistryMode(options)) {
        walker.WalkKey(registry::kCurrentUser, "");
        state.ProgressBaseCU = state.TopKeyCountCU;
        walker.WalkKey(registry::kLocalMachine, "");
        state.ProgressBaseLM = state.TopKeyCountLM;
    } else {
        for (const Branch& branch : BranchesOf(options)) {
            if (!state.StopRequested) walker.WalkKey(branch.Root, std::string(branch.Path));
        }
    }
    if (options & ScanTrojans) {
        CheckTrojanLocks(session.Trojans.Locks, access, state);
    }

    state.ProgressPercent = 100;
    frontEnd.SetResultsTimer(false);
    frontEnd.ResultsTimerTick();
    state.Yield();
    frontEnd.Done(state.StopRequested, state.EngineMode);
}

void CancelEngine(ScanSession& session) { session.State.StopRequested = true; }

void CancelScan(ScanSession& session) {
    CancelEngine(session);
    session.ScanHalted = true;
}

void StartScan(ScanSession& session, ScanFrontEnd& frontEnd, const ScanRequest& request) {
    // A new scan starts afresh; only a Cancel during this run keeps the shortcut scan away.
    session.ScanHalted = false;
    const CodePage& codePage = *session.AnsiCodePage;
    session.Exclusions = LoadExclusionList(session.ProgramFolder + "Ignore.ini", codePage);
    session.Shortcuts.Reset();
    session.State.CheckEmptyKeys = request.EmptyKeys;

    for (const DefinitionError& error : session.Trojans.Load(session.ProgramFolder, codePage)) {
        frontEnd.ShowMessage(error.Message);
    }
    // A missing definition file is no error for the tables (they stay empty), but a trojan
    // search without it finds nothing, and the user must not take that for a clean machine.
    if (request.Options & ScanTrojans) {
        for (const char* file : {"TrojanDef.ini", "TrojanLock.ini"}) {
            const std::string path = session.ProgramFolder + file;
            if (ReadTextLines(path, codePage).Status == ReadStatus::Missing) {
                frontEnd.ShowMessage("The definition file " + path +
                                     " is missing: the search for registry trojans cannot find "
                                     "what it describes.");
            }
        }
    }
    frontEnd.ResetResults();

    RunScan(session, frontEnd, request.Options);

    if (request.Shortcuts && !session.ScanHalted) {
        session.Shortcuts.Reset();
        frontEnd.ShortcutScanStarting();
        const ShortcutScanContext context{
            session.Access.Probes(), session.State, session.ScanHalted,
            [&frontEnd](const ShortcutEntry& entry) { frontEnd.ShortcutFound(entry); }, codePage};
        if (const std::string refusal = SearchShortcuts("C:\\", session.Shortcuts, context);
            !refusal.empty()) {
            frontEnd.ShowMessage(refusal);
        }
    }
    frontEnd.ScanFinished();
    CancelEngine(session);
    session.ScanHalted = true;
}

}  // namespace hivewarden::scan
