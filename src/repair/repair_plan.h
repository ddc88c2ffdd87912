// What a repair does with each entry of ScanResults or CustomHits: one RepairAction per entry,
// saying whether it is marked, what goes into the backup and what the apply pass changes.
// Pure data work over the engine's records; no registry access here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/custom_hit.h"
#include "engine/error_entry.h"
#include "store/roots.h"
#include "store/store.h"

namespace hivewarden::repair {

enum class ChangeKind {
    None,         // nothing is changed for this entry
    DeleteKey,    // the key with its whole subtree
    DeleteValue,  // one value
    SetValue,     // one value gets NewData
};

enum class BackupForm {
    Nothing,    // nothing is written
    EmptyLine,  // only an empty line
    WholeKey,   // the key and everything below it
    Value,      // the key line and the value's line
};

// The value a change was planned from, as it was read then.
struct ScannedValue {
    registry::RootKey Root = 0;
    std::string Path;  // below the root
    std::string Name;
    // The exact type and bytes; without them the value's text form (and its reduced type,
    // when not 0) is compared instead.
    std::optional<registry::RawValue> Raw;
    std::string Text;
    std::int32_t TextType = 0;
};

// What must still hold immediately before a change is made; otherwise the registry changed
// since the scan and the change is skipped.
struct Expectation {
    std::optional<ScannedValue> Value;  // the value still holds exactly this
    bool KeyEmpty = false;              // the key still has neither values nor subkeys
    // Not empty: the thing this data names (read at MissingKeyPath) must still be missing.
    std::string MissingData;
    std::string MissingKeyPath;
};

struct RepairAction {
    std::int32_t Index = 0;  // the entry's position, from 1
    bool Marked = false;     // takes part in the repair (counted for progress)
    ChangeKind Change = ChangeKind::None;
    BackupForm Backup = BackupForm::Nothing;
    registry::RootKey Root = 0;
    std::string Path;         // below the root: the key, or the key that holds the value
    std::string SectionPath;  // the key line of a value block: root name, "\", path
    std::string Name;         // the value's name ("" = the default value)
    std::string ScannedData;  // the data as text when it was found (backup of a lost value)
    std::int32_t ScannedType = 0;
    std::string NewData;           // SetValue
    std::int32_t NewKind = 1;      // SetValue: 1 text; any other: a 32-bit number
    // SetValue with text: an expandable (REG_EXPAND_SZ) value stays expandable. A custom
    // search's replace always stores plain text.
    bool KeepExpandable = true;
    bool ClosingEmptyLine = true;  // a value block ends with an empty line
    std::string SkipReason;        // set: the entry is reported and nothing is changed
    Expectation Expect;
};

// The path below the root of a full key path: everything after the first "\" (a trailing "\"
// dropped). A text without "\" that names a root is the root itself (""); any other text
// without "\" is taken whole.
std::string PathBelowRoot(std::string_view fullPath);

// The key that holds a custom value hit: its Location without the final "\" and value name.
std::string ValueHitKey(const engine::CustomHit& hit);

// "key HKEY_...\X", "value \"name\" of HKEY_...\X", "default value of HKEY_...\X".
std::string DescribeAction(const RepairAction& action);

// One action per entry, in order. An entry is marked when its DeleteMark is set or it
// carries a FixedValue. Keys are deleted, values deleted, or changed to FixedValue (a change
// wins over a deletion). A key entry that carries a FixedValue but no DeleteMark is skipped:
// a new value has no meaning for a key.
std::vector<RepairAction> PlanScanRepair(const engine::ScanResultList& entries);

// One action per hit, in order. A hit is marked when its DeleteMark is set or it carries a
// ReplaceText. Value hits with a ReplaceText get it as a plain text value (REG_SZ), whatever
// their type was; other marked value hits are deleted; key hits with a DeleteMark are
// deleted. A key hit with a ReplaceText but no DeleteMark is skipped, never deleted.
std::vector<RepairAction> PlanCustomRepair(const engine::CustomHitList& hits);

}  // namespace hivewarden::repair
