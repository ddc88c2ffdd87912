// The repair executors: every marked entry of ScanResults or CustomHits is first written to a
// durable, read-back-checked backup file, and only then are keys and values deleted or
// changed. Knows the shared scan state, the access layer and the durable-file seam; the front
// end (window or command line) only receives Done through a hook.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/scan_state.h"
#include "store/access.h"
#include "text/code_page.h"
#include "files/durable_file.h"
#include "repair/repair_plan.h"

namespace hivewarden::repair {

// The completion handler of the front end: Done(bCanceled, Task).
using DoneHook = std::function<void(bool canceled, std::int32_t task)>;

struct RepairOptions {
    // Where the backup is written; null: the platform's own durable file.
    registry::DurableFile* File = nullptr;
    // The code page a REGEDIT4 backup is written (and read back) in; null: the system's ANSI
    // code page (SystemBackupCodePage).
    const CodePage* BackupCodePage = nullptr;
    // True while the thing `data` (a value's data, read at the full key path `keyPath`) names
    // is still missing; asked again just before an entry found missing by the scan is changed.
    // Null: targets are not asked again (callers without a file system).
    std::function<bool(std::string_view keyPath, std::string_view data)> TargetStillMissing;
    // The backup never replaces a file. True: when its name is taken by the time it is
    // written (another run in the same second), it takes the first free name with "-2",
    // "-3", ... (a name the program chose); false: the repair fails then (a name the user
    // gave).
    bool NextFreeBackupName = false;
};

// The reason given for an entry that is no longer what the scan saw.
inline constexpr std::string_view kChangedSinceScan = "changed since the scan";

// Why a repair made no registry change at all: the backup could not be created, written,
// flushed, closed or checked, or the repair was stopped while the backup was written. The
// message names the file and the system's reason.
struct RepairError {
    std::string Message;
};

// One entry the repair reports on.
struct RepairNote {
    std::int32_t Index = 0;  // position in ScanResults or CustomHits
    std::string What;        // "key HKEY_...", "value \"x\" of HKEY_..."
    std::string Reason;
};

struct RepairResult {
    std::optional<RepairError> Error;  // set: nothing was changed
    std::string BackupPath;            // the backup written (see NextFreeBackupName)
    std::int32_t Marked = 0;           // entries that took part
    std::int32_t Changed = 0;          // deletions and changes that took effect
    std::int32_t Unchanged = 0;        // nothing left to do (the key or value was gone)
    // Marked entries left alone on purpose: protected keys, a new value or replace text on a
    // key, entries whose backup cannot be written (a NUL or line break in a name).
    std::vector<RepairNote> Skipped;
    // Changes that did not take: the key could not be opened, the store refused, the entry
    // changed since the scan (kChangedSinceScan) and was left alone.
    std::vector<RepairNote> Failed;
    // Number values whose new text is not a number: stored as text values instead.
    std::vector<RepairNote> StoredAsText;

    // The repair was stopped after the backup, between two entries: the entries listed in
    // NotApplied (their positions) were not touched; the backup restores the changes made.
    bool Stopped = false;
    std::vector<std::int32_t> NotApplied;

    bool Ok() const { return !Error.has_value(); }
};

// BackupPath for the next repair.
void SetBackupPath(engine::ScanState& state, std::string_view path);

// Repairs the marked entries of state.ScanResults with a backup at `backupPath`:
// 1. StopRequested = false; C = the number of marked entries.
// 2. Backup pass: the file is written under a new temporary name beside `backupPath` (the
//    header, an empty line, one block per entry in order; "REGEDIT4" in the backup code page
//    when every entry fits it exactly, else "Windows Registry Editor Version 5.00" in
//    UTF-16LE), flushed to disk, closed and renamed into place; then read back and checked to
//    hold every key and value that step 3 will change, byte for byte. Protected keys are not
//    backed up and not deleted.
// 3. Apply pass, in entry order: key deletions with their subtree, value deletions, changes.
//    Immediately before each change the entry is read again; unless it is still what the scan
//    saw (the same value type and bytes, an empty key still empty, a missing target still
//    missing) it is left alone and listed with the failures as changed since the scan.
//    A change that fails is listed and the next entry goes on. A stop request ends the pass
//    between two entries.
// Progress: after backup entry i, ProgressPercent = i*100/(2C); after apply entry i,
// (C+i)*100/(2C); rounded half to even, at most 100; untouched when C is 0. The state's yield
// hook runs after every entry of both passes.
// When anything in step 2 fails, nothing is changed and Error says why.
RepairResult RepairScanResults(engine::ScanState& state, registry::RegistryAccess& access,
                               const std::string& backupPath, const RepairOptions& options = {});

// The same for state.CustomHits (see PlanCustomRepair for what each hit does).
RepairResult RepairCustomHits(engine::ScanState& state, registry::RegistryAccess& access,
                              const std::string& backupPath, const RepairOptions& options = {});

// EngineMode = 2, StopRequested = false, ProgressPercent = 0; RepairScanResults with
// BackupPath; then done(StopRequested, EngineMode).
RepairResult RunRepair(engine::ScanState& state, registry::RegistryAccess& access,
                       const DoneHook& done, const RepairOptions& options = {});
// The same with RepairCustomHits.
RepairResult RunCustomRepair(engine::ScanState& state, registry::RegistryAccess& access,
                             const DoneHook& done, const RepairOptions& options = {});

// ProgressPercent after `step` of the 2C steps of a repair with C marked entries.
std::int32_t RepairProgress(std::int64_t step, std::int32_t marked);

// What a repair would do, entry by entry, without doing it: for --dry-run and the window's
// preview. Only marked entries are listed.
struct RepairPreviewItem {
    std::int32_t Index = 0;
    ChangeKind Change = ChangeKind::None;
    std::string What;
    std::int64_t KeysRemoved = 0;    // the key and every key below it
    std::int64_t ValuesRemoved = 0;  // all values in them, or the one value deleted
    std::string SkipReason;          // set: the entry would be left alone
};
std::vector<RepairPreviewItem> PreviewScanRepair(const engine::ScanState& state,
                                                 registry::RegistryAccess& access);
std::vector<RepairPreviewItem> PreviewCustomRepair(const engine::ScanState& state,
                                                   registry::RegistryAccess& access);

}  // namespace hivewarden::repair
