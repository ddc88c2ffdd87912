// The importers and the hand-over of chosen backups.
#include "repair/backup_restore.h"

#include "files/no_file_probes.h"
#include "regfile/regfile.h"
#include "repair/all_or_nothing_import.h"
#include "store/access.h"
#include "files/shell_open.h"
#include "repair/backup_writer.h"

namespace hivewarden::repair {

StoreImporter::StoreImporter(registry::RegistryStore& store, const CodePage* codePage)
    : store_(store), codePage_(codePage) {
    if (codePage_ == nullptr) {
        own_ = SystemBackupCodePage();
        codePage_ = own_ ? own_.get() : &Windows1252();
    }
}

StoreImporter::~StoreImporter() = default;

registry::FileStatus StoreImporter::Import(const std::string& path) {
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
