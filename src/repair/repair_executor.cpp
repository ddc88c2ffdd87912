// The two-pass repair: backup (written, flushed, closed, read back and checked), then the
// registry changes in entry order.
#include "repair/repair_executor.h"

#include <memory>
#include <optional>
#include <utility>

#include "regfile/regfile_writer.h"
#include "repair/backup_check.h"
#include "repair/backup_writer.h"
#include "repair/deletion_guard.h"

namespace hivewarden::repair {
namespace {

constexpr std::string_view kNothingChanged = "backup failed, no registry change was made: ";

std::int32_t CountMarked(const std::vector<RepairAction>& actions) {
    std::int32_t count = 0;
    for (const RepairAction& action : actions) count += action.Marked ? 1 : 0;
    return count;
}

// Protected keys are neither backed up nor deleted.
void ApplyGuard(std::vector<RepairAction>& actions) {
    for (RepairAction& action : actions) {
        if (!action.Marked || action.Change != ChangeKind::DeleteKey) continue;
        if (!action.SkipReason.empty()) continue;
        std::string reason = ProtectionReason(action.Root, action.Path);
        if (reason.empty()) continue;
        action.SkipReason = std::move(reason);
        action.Backup = BackupForm::EmptyLine;
    }
}

class RepairRun {
public:
    RepairRun(engine::ScanState& state, registry::RegistryAccess& access,
              std::vector<RepairAction> actions)
        : state_(state), access_(access), actions_(std::move(actions)) {}

    RepairResult Run(const std::string& backupPath, const RepairOptions& options) {
        state_.StopRequested = false;
        access_.Signals().StopRequested = false;
        ApplyGuard(actions_);
        result_.Marked = CountMarked(actions_);
        state_.RepairStep = 0;
        state_.RepairMarked = result_.Marked;
        std::unique_ptr<registry::DurableFile> own;
        registry::DurableFile* file = options.File;
        if (file == nullptr) {
            own = registry::MakeDurableFile();
            file = own.get();
        }
        targetStillMissing_ = options.TargetStillMissing;
        if (BackupPass(backupPath, options.NextFreeBackupName, *file, BackupCodePage(options))) {
            ApplyPass();
        }
        return std::move(result_);
    }

private:
    bool Stopped() const { return state_.StopRequested || access_.Signals().StopRequested; }

    void Progress(std::int64_t step) {
        state_.RepairStep = step;
        state_.RepairMarked = result_.Marked;
        if (result_.Marked > 0) state_.ProgressPercent = RepairProgress(step, result_.Marked);
        state_.Yield();
    }

    bool Fail(std::string message) {
        result_.Error = RepairError{std::move(message)};
        return false;
    }

    // One entry's block; an entry whose block cannot be written is skipped and leaves an
    // empty line.
    void AddBlock(RepairAction& action, BackupFile& backup) {
        std::string error;
        bool ok = true;
        switch (action.Backup) {
            case BackupForm::Nothing:
                return;
            case BackupForm::EmptyLine:
                backup.AddEmptyLine();
                return;
            case BackupForm::WholeKey:
                // Nothing when an earlier whole-key block holds the key already.
                ok = backup.AddWholeKey(action.Root, action.Path, access_, error);
                break;
            case BackupForm::Value: {
                // A live value of a key inside an earlier whole-key block is in the file.
                registry::RawValue live;
                if (backup.Covers(action.Root, action.Path) &&
                    access_.ReadRaw(action.Root, action.Path, action.Name, live)) {
                    return;
                }
                ok = backup.AddValue(action.SectionPath, action.Name, BackedUpValue(action),
                                     action.ClosingEmptyLine, error);
                break;
            }
        }
        if (ok) return;
        action.SkipReason = "cannot be backed up: " + error;
        backup.AddEmptyLine();
    }

    // The value as the registry holds it now; as the scan read it when it is gone (nothing
    // then when its name cannot be written: there is nothing left to lose).
    std::optional<registry::RawValue> BackedUpValue(const RepairAction& action) {
        registry::RawValue live;
        if (access_.ReadRaw(action.Root, action.Path, action.Name, live)) return live;
        if (action.Name.find('\0') != std::string::npos) return std::nullopt;
        return ValueFromTextForm(action.ScannedData, action.ScannedType);
    }

    // The code page of REGEDIT4 backups: the caller's, or the system's.
    const CodePage* BackupCodePage(const RepairOptions& options) {
        if (options.BackupCodePage) return options.BackupCodePage;
        systemCodePage_ = SystemBackupCodePage();
        return systemCodePage_.get();
    }

    bool BackupPass(const std::string& path, bool nextFreeName, registry::DurableFile& file,
                    const CodePage* codePage) {
        BackupFile backup(file, codePage);
        registry::FileStatus status = backup.Open(path, nextFreeName);
        if (!status) return Fail(std::string(kNothingChanged) + status.Message);
        for (std::size_t i = 0; i < actions_.size(); ++i) {
            RepairAction& action = actions_[i];
            if (action.Marked) AddBlock(action, backup);
            Progress(static_cast<std::int64_t>(i) + 1);
        }
        if (Stopped()) {
            backup.Abandon();
            return Fail(
                "the repair was stopped while the backup was written; no registry "
                "change was made");
        }
        status = backup.Close();
        if (!status) return Fail(std::string(kNothingChanged) + status.Message);
        result_.BackupPath = backup.Path();
        std::string error;
        if (!CheckBackup(result_.BackupPath, actions_, access_, codePage ? *codePage : Windows1252(), error)) {
            return Fail(std::string(kNothingChanged) + error);
        }
        return true;
    }

    void ApplyPass() {
        const std::int64_t marked = result_.Marked;
        for (std::size_t i = 0; i < actions_.size(); ++i) {
            const RepairAction& action = actions_[i];
            if (action.Marked && Stopped()) {
                result_.Stopped = true;
                result_.NotApplied.push_back(action.Index);
                continue;
            }
            if (action.Marked) Apply(action);
            Progress(marked + static_cast<std::int64_t>(i) + 1);
        }
    }

    void Apply(const RepairAction& action) {
        if (!action.SkipReason.empty()) {
            result_.Skipped.push_back({action.Index, DescribeAction(action), action.SkipReason});
            return;
        }
        if (action.Change != ChangeKind::None) {
            if (const std::string change = ChangeSinceScan(action); !change.empty()) {
                Failed(action, std::string(kChangedSinceScan) + ": " + change);
                return;
            }
        }
        switch (action.Change) {
            case ChangeKind::DeleteKey:
                DeleteKey(action);
                break;
            case ChangeKind::DeleteValue:
                DeleteValue(action);
                break;
            case ChangeKind::SetValue:
                SetValue(action);
                break;
            case ChangeKind::None:
                break;
        }
    }

    // What is no longer as the scan saw it, or empty text. A value that is gone altogether is
    // left to the change itself, which finds nothing left to do.
    std::string ChangeSinceScan(const RepairAction& action) {
        const Expectation& expect = action.Expect;
        if (expect.KeyEmpty && access_.KeyExists(action.Root, action.Path)) {
            registry::KeyReader key = access_.ReadKey(action.Root, action.Path);
            if (!key.IsEmpty()) return "the key is no longer empty";
        }
        if (expect.Value) {
            const ScannedValue& scanned = *expect.Value;
            registry::RawValue live;
            if (access_.ReadRaw(scanned.Root, scanned.Path, scanned.Name, live)) {
                if (!SameValue(scanned, live)) return "the value's data is not what the scan read";
            } else if (action.Change == ChangeKind::SetValue &&
                       access_.KeyExists(scanned.Root, scanned.Path)) {
                return "the value is gone";
            }
        }
        if (!expect.MissingData.empty() && targetStillMissing_ &&
            !targetStillMissing_(expect.MissingKeyPath, expect.MissingData)) {
            return "what the value names exists again";
        }
        return {};
    }

    bool SameValue(const ScannedValue& scanned, const registry::RawValue& live) {
        if (scanned.Raw) return *scanned.Raw == live;
        const registry::ValueText text = registry::ConvertValueToText(live, access_.Probes());
        return text.Data == scanned.Text && (scanned.TextType == 0 || text.Type == scanned.TextType);
    }

    void Failed(const RepairAction& action, std::string reason) {
        result_.Failed.push_back({action.Index, DescribeAction(action), std::move(reason)});
    }

    // A change the store refused: the system's own reason follows ours when the store can
    // tell it ("Access is denied").
    void Refused(const RepairAction& action, std::string reason) {
        const std::string system = access_.Store().LastFailureReason();
        if (!system.empty()) reason += ": " + system;
        Failed(action, std::move(reason));
    }

    void DeleteKey(const RepairAction& action) {
        if (!access_.KeyExists(action.Root, action.Path)) {
            ++result_.Unchanged;
            return;
        }
        access_.DeleteKey(action.Root, action.Path);
        if (access_.KeyExists(action.Root, action.Path)) {
            Refused(action, "the key or part of its subtree could not be deleted");
            return;
        }
        ++result_.Changed;
    }

    void DeleteValue(const RepairAction& action) {
        registry::RawValue value;
        if (!access_.ReadRaw(action.Root, action.Path, action.Name, value)) {
            ++result_.Unchanged;
            return;
        }
        access_.DeleteValue(action.Root, action.Path, action.Name);
        if (access_.ReadRaw(action.Root, action.Path, action.Name, value)) {
            Refused(action, "the value could not be deleted");
            return;
        }
        ++result_.Changed;
    }

    // Writes NewData as text: expandable text (REG_EXPAND_SZ) when the value is that now and
    // the action keeps it, so that a restored or changed path is still expanded as before;
    // REG_SZ otherwise. True
    // when the value then holds exactly that type and those bytes.
    bool WriteText(const RepairAction& action) {
        registry::RawValue text = *ValueFromTextForm(action.NewData, registry::kTextType);
        registry::RawValue live;
        if (action.KeepExpandable &&
            access_.ReadRaw(action.Root, action.Path, action.Name, live) &&
            live.Type == registry::kRegExpandSz) {
            text.Type = registry::kRegExpandSz;
        }
        access_.WriteRaw(action.Root, action.Path, action.Name, text);
        registry::RawValue written;
        return access_.ReadRaw(action.Root, action.Path, action.Name, written) && written == text;
    }

    void SetValue(const RepairAction& action) {
        if (!access_.KeyExists(action.Root, action.Path)) {
            Failed(action, "the key does not exist or cannot be opened");
            return;
        }
        bool ok = false;
        if (action.NewKind == registry::kTextKind) {
            ok = WriteText(action);
        } else {
            try {
                access_.SetValue(action.Root, action.Path, action.Name, action.NewKind,
                                 action.NewData);
                registry::RawValue written;
                ok = access_.ReadRaw(action.Root, action.Path, action.Name, written) &&
                     written.Type == registry::kRegDword && written.Bytes.size() == 4;
            } catch (const registry::NumberConversionError&) {
                // The user picked a path for a number value: it is kept as a text value.
                ok = WriteText(action);
                result_.StoredAsText.push_back({action.Index, DescribeAction(action),
                                                "the new data is not a number; stored as text"});
            }
        }
        if (!ok) {
            Refused(action, "the value could not be written");
            return;
        }
        ++result_.Changed;
    }

    engine::ScanState& state_;
    registry::RegistryAccess& access_;
    std::vector<RepairAction> actions_;
    RepairResult result_;
    std::unique_ptr<CodePage> systemCodePage_;
    std::function<bool(std::string_view, std::string_view)> targetStillMissing_;
};

RepairResult RunWith(engine::ScanState& state, registry::RegistryAccess& access,
                     const DoneHook& done, const RepairOptions& options, bool custom) {
    state.EngineMode = engine::kModeRepair;
    state.StopRequested = false;
    state.ProgressPercent = 0;
    RepairResult result = custom ? RepairCustomHits(state, access, state.BackupPath, options)
                                 : RepairScanResults(state, access, state.BackupPath, options);
    if (done) done(state.StopRequested, state.EngineMode);
    return result;
}

std::vector<RepairPreviewItem> Preview(std::vector<RepairAction> actions,
                                       registry::RegistryAccess& access) {
    ApplyGuard(actions);
    std::vector<RepairPreviewItem> items;
    for (const RepairAction& action : actions) {
        if (!action.Marked) continue;
        RepairPreviewItem item{action.Index,     action.Change, DescribeAction(action), 0, 0,
                               action.SkipReason};
        if (action.SkipReason.empty() && action.Change == ChangeKind::DeleteKey) {
            const SubtreeSize size = MeasureSubtree(access.Store(), action.Root, action.Path);
            item.KeysRemoved = size.Keys;
            item.ValuesRemoved = size.Values;
        } else if (action.SkipReason.empty() && action.Change == ChangeKind::DeleteValue) {
            registry::RawValue value;
            item.ValuesRemoved = access.ReadRaw(action.Root, action.Path, action.Name, value);
        }
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace

void SetBackupPath(engine::ScanState& state, std::string_view path) {
    state.BackupPath = std::string(path);
}

std::int32_t RepairProgress(std::int64_t step, std::int32_t marked) {
    if (marked <= 0) return 0;
    // step*100 / (2*marked), rounded to the nearest whole number, halves to the even one.
    const std::int64_t numerator = step * 100;
    const std::int64_t denominator = std::int64_t{marked} * 2;
    std::int64_t quotient = numerator / denominator;
    const std::int64_t twiceRest = (numerator % denominator) * 2;
    if (twiceRest > denominator || (twiceRest == denominator && quotient % 2 != 0)) ++quotient;
    return static_cast<std::int32_t>(quotient > 100 ? 100 : quotient);
}

RepairResult RepairScanResults(engine::ScanState& state, registry::RegistryAccess& access,
                               const std::string& backupPath, const RepairOptions& options) {
    return RepairRun(state, access, PlanScanRepair(state.ScanResults)).Run(backupPath, options);
}

RepairResult RepairCustomHits(engine::ScanState& state, registry::RegistryAccess& access,
                              const std::string& backupPath, const RepairOptions& options) {
    return RepairRun(state, access, PlanCustomRepair(state.CustomHits)).Run(backupPath, options);
}

RepairResult RunRepair(engine::ScanState& state, registry::RegistryAccess& access,
                       const DoneHook& done, const RepairOptions& options) {
    return RunWith(state, access, done, options, false);
}

RepairResult RunCustomRepair(engine::ScanState& state, registry::RegistryAccess& access,
                             const DoneHook& done, const RepairOptions& options) {
    return RunWith(state, access, done, options, true);
}

std::vector<RepairPreviewItem> PreviewScanRepair(const engine::ScanState& state,
                                                 registry::RegistryAccess& access) {
    return Preview(PlanScanRepair(state.ScanResults), access);
}

std::vector<RepairPreviewItem> PreviewCustomRepair(const engine::ScanState& state,
                                                   registry::RegistryAccess& access) {
    return Preview(PlanCustomRepair(state.CustomHits), access);
}

}  // namespace hivewarden::repair
