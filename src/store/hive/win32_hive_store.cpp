// Windows builds have no hive backend: hivex does not build for Windows here, and loading a
// hive into the live registry needs privileges a scan should not ask for.
#include "store/hive/hive_store.h"

namespace hivewarden::registry {

bool HiveFilesSupported() { return false; }

std::unique_ptr<HiveStore> OpenHiveFile(const std::string& path, std::string& error, bool) {
    error = "cannot open " + path + ": this build reads no hive files";
    return nullptr;
}

}  // namespace hivewarden::registry
