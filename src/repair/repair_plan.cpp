// Entries and hits to repair actions.
#include "repair/repair_plan.h"

#include "store/access.h"
#include "regfile/regfile_writer.h"

namespace hivewarden::repair {
namespace {

constexpr std::string_view kNewValueOnKey = "a new value has no meaning for a key";
constexpr std::string_view kReplaceOnKey =
    "a replace text has no meaning for a key; the key is not deleted";

// What the scan saw of an entry, to be found again before the entry is changed.
Expectation ExpectationOf(const engine::ErrorEntry& entry) {
    Expectation expect;
    if (entry.IsEmptyKey) {
        expect.KeyEmpty = true;
        return expect;
    }
    const std::string& valueKey =
        entry.ScannedValueKey.empty() ? entry.KeyPath : entry.ScannedValueKey;
    if (entry.HasScannedValue) {
        expect.Value = ScannedValue{entry.RootKey, PathBelowRoot(valueKey), entry.ScannedValueName,
                                    registry::RawValue{entry.ScannedType, entry.ScannedBytes},
                                    entry.ItemData, entry.ValueType};
    }
    if (entry.TargetWasMissing) {
        expect.MissingData = entry.ItemData;
        expect.MissingKeyPath = valueKey;
    }
    return expect;
}

}  // namespace

std::string PathBelowRoot(std::string_view fullPath) {
    if (fullPath.ends_with('\\')) fullPath.remove_suffix(1);
    const std::size_t slash = fullPath.find('\\');
    if (slash != std::string_view::npos) return std::string(fullPath.substr(slash + 1));
    if (registry::RootFromName(fullPath)) return {};
    return std::string(fullPath);
}

std::string ValueHitKey(const engine::CustomHit& hit) {
    const std::string suffix = "\\" + hit.ItemName;
    if (hit.Location.size() >= suffix.size() && hit.Location.ends_with(suffix)) {
        return hit.Location.substr(0, hit.Location.size() - suffix.size());
    }
    const std::size_t slash = hit.Location.rfind('\\');
    return slash == std::string::npos ? hit.Location : hit.Location.substr(0, slash);
}

std::string DescribeAction(const RepairAction& action) {
    const std::string key = registry::FullKeyPath(action.Root, action.Path);
    switch (action.Change) {
        case ChangeKind::DeleteValue:
        case ChangeKind::SetValue:
            return (action.Name.empty() ? std::string("default value")
                                        : "value \"" + action.Name + "\"") +
                   " of " + key;
        default:
            return "key " + key;
    }
}

std::vector<RepairAction> PlanScanRepair(const engine::ScanResultList& entries) {
    std::vector<RepairAction> actions;
    for (std::int32_t i = 1; i <= entries.Count(); ++i) {
        const engine::ErrorEntry& entry = entries[i];
        RepairAction action;
        action.Index = i;
        action.Marked = entry.DeleteMark || !entry.FixedValue.empty();
        action.Root = entry.RootKey;
        action.Path = PathBelowRoot(entry.KeyPath);
        action.SectionPath = entry.KeyPath;
        action.Name = entry.ItemName;
        action.ScannedData = entry.ItemData;
        action.ScannedType = entry.ValueType;
        action.Expect = ExpectationOf(entry);
        if (action.Marked) {
            if (entry.EntryKind == engine::kKeyEntry) {
                action.Change = ChangeKind::DeleteKey;
                action.Backup = BackupForm::WholeKey;
                if (!entry.DeleteMark) {
                    action.Change = ChangeKind::None;
                    action.Backup = BackupForm::EmptyLine;
                    action.SkipReason = kNewValueOnKey;
                }
            } else if (entry.EntryKind == engine::kValueEntry) {
                action.Backup = BackupForm::Value;
                action.Change =
                    entry.FixedValue.empty() ? ChangeKind::DeleteValue : ChangeKind::SetValue;
                action.NewData = entry.FixedValue;
                action.NewKind =
                    entry.ValueType == registry::kTextType ? registry::kTextKind : entry.ValueType;
            } else {
                action.Backup = BackupForm::EmptyLine;
            }
        }
        actions.push_back(std::move(action));
    }
    return actions;
}

std::vector<RepairAction> PlanCustomRepair(const engine::CustomHitList& hits) {
    std::vector<RepairAction> actions;
    for (std::int32_t i = 1; i <= hits.Count(); ++i) {
        const engine::CustomHit& hit = hits[i];
        RepairAction action;
        action.Index = i;
        action.Marked = hit.DeleteMark || !hit.ReplaceText.empty();
        action.Root = hit.RootKey;
        action.Name = hit.ItemName;
        action.ScannedData = hit.ItemData;
        action.ScannedType = registry::kTextType;
        if (hit.EntryKind == engine::kValueEntry) {
            action.SectionPath = ValueHitKey(hit);
        } else {
            action.SectionPath = hit.Location;
        }
        action.Path = PathBelowRoot(action.SectionPath);
        if (!action.Marked) {
            actions.push_back(std::move(action));
            continue;
        }
        if (hit.EntryKind == engine::kKeyEntry) {
            if (hit.DeleteMark) {
                action.Change = ChangeKind::DeleteKey;
                action.Backup = BackupForm::WholeKey;
            } else {
                action.SkipReason = kReplaceOnKey;
            }
        } else if (hit.EntryKind == engine::kValueEntry) {
            action.Backup = BackupForm::Value;
            action.ClosingEmptyLine = hit.DeleteMark;
            action.Change =
                hit.ReplaceText.empty() ? ChangeKind::DeleteValue : ChangeKind::SetValue;
            action.Expect.Value =
                ScannedValue{action.Root, action.Path, action.Name, std::nullopt, hit.ItemData, 0};
            action.NewData = hit.ReplaceText;
            action.NewKind = registry::kTextKind;
            action.KeepExpandable = false;
        } else if (hit.DeleteMark) {
            action.Backup = BackupForm::EmptyLine;
        }
        actions.push_back(std::move(action));
    }
    return actions;
}

}  // namespace hivewarden::repair
