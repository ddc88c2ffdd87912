// The scan controller: turns the chosen categories into branches, runs the walker over them,
// runs the lock-location check, and keeps the front end informed. One thread; the front end
// keeps its window live through the yield hook.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "scan/scan_session.h"
#include "store/roots.h"

namespace hivewarden::scan {

// What the scan-settings page asks for.
struct ScanRequest {
    std::int32_t Options = 0;     // ScanOptions of the eleven category boxes
    bool EmptyKeys = false;       // chkEmptyRegFolders
    bool Shortcuts = false;       // chkLinks
};

// True when the scan asks the file system: every category but the trojan locks and empty
// keys judges paths, and so does the shortcut scan.
bool NeedsFiles(const ScanRequest& request);

// One branch of the registry a scan walks whole.
struct Branch {
    std::int32_t Bit;  // the category it is walked for (0: the whole registry)
    registry::RootKey Root;
    std::string_view Path;
};

// The branches a scan with `options` walks, in order: HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE whole, or each chosen category's branches.
std::vector<Branch> BranchesOf(std::int32_t options);

// Program start: empty results and trojan tables, progress 100, the Windows directory.
void InitScanEngine(ScanSession& session);

// The scan master: walks the branches of `options`, then calls Done with task 1.
void RunScan(ScanSession& session, ScanFrontEnd& frontEnd, std::int32_t options);

// Cancel: every engine loop stops at its next test. (The front end switches its timers off.)
void CancelEngine(ScanSession& session);

// Cancel Scan confirmed: stop the walk and keep the shortcut scan from starting.
void CancelScan(ScanSession& session);

// The scan driver without its window: reloads Ignore.ini and the trojan definitions, resets
// the results, runs the registry scan and, unless cancelled, the shortcut scan of drive C:.
void StartScan(ScanSession& session, ScanFrontEnd& frontEnd, const ScanRequest& request);

}  // namespace hivewarden::scan
