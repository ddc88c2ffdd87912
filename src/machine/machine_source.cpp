// Questions about a machine's source that need nothing opened.
#include "machine/machine_source.h"

namespace hivewarden::machine {

bool HasRegistryFiles(const MachineSource& source) {
    return !source.RegistryFiles.empty() || !source.WinePrefix.empty() || UsesHives(source);
}

bool UsesHives(const MachineSource& source) {
    return !source.HiveMounts.empty() || !source.WindowsRoot.empty();
}

bool MapsDrives(const MachineSource& source) {
    return !source.Drives.empty() || !source.WinePrefix.empty() || !source.WindowsRoot.empty();
}

bool CheckWriteBackOptions(const MachineSource& source, const std::string& output,
                           std::string& error) {
    const char* inPlace = nullptr;
    if (UsesHives(source)) {
        inPlace = "hive files are changed in place";
    } else if (!source.WinePrefix.empty()) {
        inPlace = "a Wine prefix's files are rewritten in place";
    } else if (source.RegistryFiles.empty()) {
        inPlace = "the live registry is changed in place";
    }
    if (inPlace != nullptr) {
        if (output.empty()) return true;
        error = std::string("--output goes with --registry: ") + inPlace;
        return false;
    }
    if (output.empty() && source.RegistryFiles.size() == 1 && source.RegistryFiles.front() == "-") {
        error = "the registry read from standard input (--registry -) cannot be written back "
                "there; give --output FILE.reg";
        return false;
    }
    if (output.empty() && source.RegistryFiles.size() > 1) {
        error =
            "several --registry files were loaded; give --output FILE.reg for the "
            "registry they make up together";
        return false;
    }
    return true;
}

}  // namespace hivewarden::machine
