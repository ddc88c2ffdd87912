// The importers and the hand-over of chosen backups.
#include "repair/backup_restore.h"

#include "regfile/regfile.h"
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
    // Strict and streamed: a backup of any size applies whole or not at all.
    const registry::RegFileStatus applied =
        registry::LoadRegFile(path, store_, *codePage_, registry::RegImportMode::Strict);
    if (!applied) return registry::FileStatus::Failure(applied.Message);
    return {};
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
