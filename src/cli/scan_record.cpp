// The scan's record in a findings file.
#include "cli/scan_record.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "files/host_path.h"
#include "hivewarden_version.h"

namespace hivewarden::cli {
namespace {

// A host path made absolute (and lexically normal); as given when it cannot be, and "-"
// (standard input) as it is.
std::string Absolute(const std::string& path) {
    if (path.empty() || path == "-") return path;
    std::error_code error;
    const std::filesystem::path absolute =
        std::filesystem::absolute(registry::ToHostPath(path), error);
    return error ? path : registry::FromHostPath(absolute.lexically_normal());
}

// "X=PATH" with PATH made absolute.
std::string AbsoluteAssignment(const std::string& text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) return text;
    return text.substr(0, equals + 1) + Absolute(text.substr(equals + 1));
}

std::string UtcNow() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss time{now - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", int{date.year()},
                  unsigned{date.month()}, unsigned{date.day()},
                  static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

}  // namespace

nlohmann::ordered_json SourcesToJson(const machine::MachineSource& source) {
    nlohmann::ordered_json sources;
    sources["live"] = !machine::HasRegistryFiles(source);
    nlohmann::ordered_json files = nlohmann::ordered_json::array();
    for (const std::string& file : source.RegistryFiles) files.push_back(Absolute(file));
    sources["registryFiles"] = files;
    nlohmann::ordered_json hives = nlohmann::ordered_json::array();
    for (const std::string& mount : source.HiveMounts) hives.push_back(AbsoluteAssignment(mount));
    sources["hives"] = hives;
    sources["winePrefix"] = Absolute(source.WinePrefix);
    sources["windowsRoot"] = Absolute(source.WindowsRoot);
    sources["user"] = source.User;
    nlohmann::ordered_json drives = nlohmann::ordered_json::array();
    for (const std::string& drive : source.Drives) drives.push_back(AbsoluteAssignment(drive));
    sources["drives"] = drives;
    sources["windowsDir"] = source.WindowsDir;
    sources["environment"] = source.Environment;
    return sources;
}

void RecordScan(nlohmann::ordered_json& findings, const machine::MachineSource& source) {
    findings["program"] = "Kestovar Hivewarden";
    findings["version"] = HW_VERSION_TEXT;
    findings["time"] = UtcNow();
    findings["sources"] = SourcesToJson(source);
}

std::string SourcesDiffer(const std::string& recorded, const machine::MachineSource& source) {
    const nlohmann::json now = nlohmann::json::parse(SourcesToJson(source).dump());
    if (!recorded.empty() && nlohmann::json::parse(recorded) == now) return {};
    return "the findings were made from other sources than this repair is given (recorded: " +
           (recorded.empty() ? std::string("none") : recorded) + "; now: " + now.dump() +
           "); each entry is still checked against the registry before it is changed";
}

}  // namespace hivewarden::cli
