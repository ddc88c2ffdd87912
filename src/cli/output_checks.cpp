// The write checks: a probe file made and removed in the folder, an existing file opened for
// appending (which changes nothing in it).
#include "cli/output_checks.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "files/host_path.h"

namespace hivewarden::cli {
namespace {

// A name no other file has: the program's, the clock's ticks.
std::filesystem::path ProbeName(const std::filesystem::path& folder) {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return folder / (".hivewarden-write-check-" + std::to_string(ticks) + ".tmp");
}

bool FolderTakesFiles(const std::filesystem::path& folder, std::string& reason) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        reason = ec ? ec.message() : "not a folder";
        if (ec == std::errc::no_such_file_or_directory) reason = "the folder does not exist";
        return false;
    }
    const std::filesystem::path probe = ProbeName(folder);
    {
        std::ofstream file(probe, std::ios::binary | std::ios::out);
        if (!file) {
            reason = std::strerror(errno);
            return false;
        }
    }
    std::filesystem::remove(probe, ec);
    return true;
}

}  // namespace

bool CheckOutputFolder(const std::string& folder, std::string_view what, std::string& error) {
    std::string reason;
    if (FolderTakesFiles(registry::ToHostPath(folder.empty() ? "." : folder), reason)) {
        return true;
    }
    error = "cannot write " + std::string(what) + " to " + folder + ": " + reason;
    return false;
}

bool CheckOutputFile(const std::string& path, std::string_view option, std::string& error) {
    if (path.empty() || path == "-") return true;
    const std::filesystem::path host = registry::ToHostPath(path);
    std::error_code ec;
    std::filesystem::path folder = host.parent_path();
    if (folder.empty()) folder = ".";
    std::string reason;
    if (std::filesystem::is_directory(host, ec)) {
        reason = "it is a folder";
    } else if (!FolderTakesFiles(folder, reason)) {
        reason = "its folder " + registry::FromHostPath(folder) + " takes no new file (" +
                 reason + ")";
    } else if (std::filesystem::exists(host, ec)) {
        std::ofstream file(host, std::ios::binary | std::ios::app);
        if (!file) reason = std::string("it cannot be written: ") + std::strerror(errno);
    }
    if (reason.empty()) return true;
    error = std::string(option) + " " + path + " cannot be written: " + reason;
    return false;
}

bool CheckRepairOutputs(machine::Machine& machine, const std::string& output,
                        const std::string& programFolder, bool pathFindings, std::string& target,
                        std::string& error) {
    if (!machine.WriteBackTarget(output, target, error) ||
        !machine.CheckInPlaceWriteBack(target, "--output", error)) {
        return false;
    }
    if (!machine.Source().RegistryFiles.empty() &&
        !CheckOutputFile(target, output.empty() ? "the registry file" : "--output", error)) {
        return false;
    }
    if (!CheckOutputFolder(programFolder, "the backup", error)) return false;
    if (pathFindings) error = machine.NoDriveRefusal();
    return error.empty();
}

}  // namespace hivewarden::cli
