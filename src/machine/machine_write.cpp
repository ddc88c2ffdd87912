// A machine's write policy: where its changed registry goes, when it must not be written, and
// the writing itself.
#include <filesystem>
#include <system_error>

#include "files/durable_file.h"
#include "files/host_path.h"
#include "machine/live.h"
#include "machine/machine.h"
#include "machine/wine_prefix.h"
#include "regfile/regfile_writer.h"

namespace hivewarden::machine {
namespace {

// Both paths name the same file: spelt the same, or found to be one file.
bool SameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    std::error_code error;
    return std::filesystem::equivalent(registry::ToHostPath(a), registry::ToHostPath(b), error);
}

std::string Lines(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " line" : " lines");
}

}  // namespace

namespace {

// The system drive's letter when the program answers for the file system and that drive is
// not mapped; 0 otherwise.
char UnmappedSystemDrive(const std::optional<MappedMachine>& mapped) {
    if (!mapped) return 0;
    const char system = DriveLetter(std::string_view(mapped->WindowsDir).substr(0, 2));
    for (const auto& [letter, folder] : mapped->Drives) {
        if (letter == system) return 0;
    }
    return system == 0 ? 'C' : system;
}

}  // namespace

std::string Machine::NoDriveWarning() const {
    const char drive = UnmappedSystemDrive(mapped_);
    if (drive == 0) return {};
    return std::string("the system drive ") + drive + ": is not mapped (--drive " + drive +
           "=FOLDER), so every path on it reads as missing";
}

std::string Machine::NoDriveRefusal() const {
    const char drive = UnmappedSystemDrive(mapped_);
    if (drive == 0) return {};
    return std::string("refused to repair: the system drive ") + drive +
           ": is not mapped to a folder, so no file the scan reported missing is known to be "
           "gone; map it with --drive " + drive +
           "=FOLDER (the folder that holds its Windows and Program Files), or give "
           "--windows-root or --wine-prefix";
}

std::string Machine::WriteRefusal() {
    if (!source_.WinePrefix.empty()) return WinePrefixWriteRefusal(source_.WinePrefix);
    for (const MountedHive& mounted : hives_) {
        std::string reason;
        if (!mounted.Hive->CheckWritable(reason)) return "refused to change the registry: " + reason;
    }
    return {};
}

bool Machine::WriteBackTarget(const std::string& output, std::string& target,
                              std::string& error) {
    target.clear();
    if (!CheckWriteBackOptions(source_, output, error)) return false;
    if (UsesHives(source_)) {
        for (const MountedHive& mounted : hives_) {
            target += (target.empty() ? "" : ", ") + mounted.File;
        }
    } else if (!source_.WinePrefix.empty()) {
        target = source_.WinePrefix;
    } else if (!output.empty()) {
        target = output;
    } else if (!source_.RegistryFiles.empty()) {
        target = source_.RegistryFiles.front();
    }
    error = WriteRefusal();
    return error.empty();
}

bool Machine::CheckInPlaceWriteBack(const std::string& target, std::string_view option,
                                    std::string& error) const {
    if (target.empty()) return true;
    for (const RegistryFileLoad& file : load_.Files) {
        const std::size_t lines = file.SkippedLines + file.ChangedLines;
        if (lines == 0 || !SameFile(file.File, target)) continue;
        error = file.File + " is not rewritten in place: " + Lines(lines) +
                " of it could not be taken as written (see the warnings) and would be lost; "
                "give " + std::string(option) + " FILE.reg to write the registry elsewhere";
        return false;
    }
    return true;
}

std::string Machine::FilesToWrite(const std::string& target) const {
    if (!UsesHives(source_)) return target;
    std::string files;
    for (const MountedHive& mounted : hives_) {
        if (mounted.Hive->Changed()) files += (files.empty() ? "" : ", ") + mounted.File;
    }
    return files;
}

bool Machine::WriteBack(const std::string& target, std::string& error) {
    // A Wine prefix's store rewrites its own files; each changed hive is committed to a new
    // file renamed over it.
    if (!source_.WinePrefix.empty() || UsesHives(source_)) return store_->Commit(error);
    const std::unique_ptr<registry::DurableFile> file = registry::MakeDurableFile();
    const registry::FileStatus status =
        registry::ExportStoreToFile(*store_, target, *file, *codePage_);
    if (!status) {
        error = status.Message;
        return false;
    }
    return true;
}

}  // namespace hivewarden::machine
