// The importers and the hand-over of chosen backups.
#include "repair/backup_restore.h"

#include "registry/regfile.h"
#include "registry/shell_open.h"

namespace hivewarden::repair {

registry::FileStatus StoreImporter::Import(const std::string& path) {
    const registry::RegFileParse parse = registry::ReadRegFile(path);
    if (!parse.Status) return registry::FileStatus::Failure(parse.Status.Message);
    const registry::RegFileStatus applied = registry::ApplyRegFile(parse.File, store_);
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
