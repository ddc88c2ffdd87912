// The importers and the hand-over of chosen backups.
#include "repair/backup_restore.h"

#include "files/no_file_probes.h"
#include "regfile/regfile.h"
#include "repair/all_or_nothing_import.h"
#include "store/access.h"
#include "files/shell_open.h"
#include "repair/backup_writer.h"
#include "repair/deletion_guard.h"

namespace hivewarden::repair {

namespace {

std::string Describe(const registry::RegOperation& op) {
    const std::string key = registry::FullKeyPath(op.Root, op.Path);
    if (op.Kind == registry::RegOperationKind::DeleteKey) return "[-" + key + "]";
    const std::string name = op.Name.empty() ? "@" : "\"" + op.Name + "\"";
    return name + "=- in [" + key + "]";
}

}  // namespace

RestoreCheck CheckRestore(const std::string& path, const CodePage& codePage, bool allowDeletions) {
    RestoreCheck check;
    bool guarded = false;
    const registry::RegFileStatus read = registry::StreamRegFile(
        path, codePage, registry::RegImportMode::Strict, [&](registry::RegOperation&& op) {
            if (op.Kind != registry::RegOperationKind::DeleteKey &&
                op.Kind != registry::RegOperationKind::DeleteValue) {
                return;
            }
            RestoreDeletion deletion{op.Line, Describe(op), {}};
            if (op.Kind == registry::RegOperationKind::DeleteKey) {
                deletion.Refusal = ProtectionReason(op.Root, op.Path);
                guarded = guarded || !deletion.Refusal.empty();
            }
            check.Deletions.push_back(std::move(deletion));
        });
    if (!read) {
        check.Status = registry::FileStatus::Failure(read.Message);
        check.Deletions.clear();
    } else if (guarded) {
        check.Status = registry::FileStatus::Failure(
            path + ": deletes a key the program never deletes; nothing of it was restored");
    } else if (!check.Deletions.empty() && !allowDeletions) {
        check.Status = registry::FileStatus::Failure(
            path + ": holds deletion lines, which the program's backups never hold; nothing of "
                   "it was restored (--allow-deletions applies them)");
    }
    return check;
}

const CodePage& BackupReadCodePage(std::unique_ptr<CodePage>& own) {
    own = SystemBackupCodePage();
    return own ? *own : Windows1252();
}

StoreImporter::StoreImporter(registry::RegistryStore& store, const CodePage* codePage,
                             bool allowDeletions)
    : store_(store), codePage_(codePage), allowDeletions_(allowDeletions) {
    if (codePage_ == nullptr) codePage_ = &BackupReadCodePage(own_);
}

StoreImporter::~StoreImporter() = default;

registry::FileStatus StoreImporter::Import(const std::string& path) {
    if (RestoreCheck check = CheckRestore(path, *codePage_, allowDeletions_); !check.Status) {
        return check.Status;
    }
    const registry::RegFileParse parsed = registry::ReadRegFile(path, *codePage_);
    if (!parsed.Status) return registry::FileStatus::Failure(parsed.Status.Message);
    registry::NoFileProbes probes;
    registry::EngineSignals signals;
    registry::RegistryAccess access(store_, probes, signals);
    const AllOrNothingResult applied = ApplyAllOrNothing(parsed.File, access);
    if (applied.Applied()) return {};
    if (applied.UndoFailure.empty()) {
        return registry::FileStatus::Failure(applied.Failure + "; nothing of " + path +
                                             " was applied");
    }
    return registry::FileStatus::Failure(applied.Failure + "; putting back what " + path +
                                         " had changed failed too: " + applied.UndoFailure);
}

registry::FileStatus ShellImporter::Import(const std::string& path) {
    return registry::ShellOpen(path, ownerWindow_);
}

std::vector<RestoreOutcome> RestoreBackups(std::string_view programFolder,
                                           const std::vector<std::string>& fileNames,
                                           BackupImporter& importer) {
    std::vector<RestoreOutcome> outcomes;
    for (const std::string& name : fileNames) {
        std::string path = std::string(programFolder) + name;
        registry::FileStatus status = importer.Import(path);
        outcomes.push_back({std::move(path), std::move(status)});
    }
    return outcomes;
}

}  // namespace hivewarden::repair
