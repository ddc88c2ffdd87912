// Backup names, the folder's list of backups, look-up and removal.
#include "repair/backup_catalogue.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

#include "files/host_path.h"
#include "regfile/regfile_syntax.h"
#include "text/text.h"
#include "text/unicode.h"

namespace hivewarden::repair {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kOutsideFolder = "\\/:";
constexpr std::string_view kNotInFileNames = "<>\"|?*";

// Names Windows gives to devices: a file of that name (with any extension) is the device.
constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
constexpr std::array<std::string_view, 2> kNumberedDevices = {"COM", "LPT"};
// The digits after COM and LPT: 1-9, and the superscripts 1, 2, 3 (U+00B9, U+00B2, U+00B3),
// which Windows takes as the same devices.
constexpr std::array<std::string_view, 12> kDeviceDigits = {
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};

std::string TimePart(int number) { return std::to_string(number); }

std::string DateAndMinute(const std::tm& now) {
    return TimePart(now.tm_mday) + "-" + TimePart(now.tm_mon + 1) + "-" +
           TimePart(now.tm_year + 1900) + "-" + TimePart(now.tm_hour) + "-" + TimePart(now.tm_min);
}

bool EndsWithNoCase(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() &&
           EqualsNoCase(text.substr(text.size() - ending.size()), ending);
}

// The part of a name Windows compares with the device names: up to the first dot, without
// the blanks before it ("con .txt" is CON too).
std::string_view DeviceStem(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    return stem;
}

bool IsDeviceName(std::string_view name) {
    const std::string_view stem = DeviceStem(name);
    for (std::string_view device : kDevices) {
        if (EqualsNoCase(stem, device)) return true;
    }
    if (stem.size() < 4) return false;
    const std::string_view digit = stem.substr(3);
    if (std::find(kDeviceDigits.begin(), kDeviceDigits.end(), digit) == kDeviceDigits.end()) {
        return false;
    }
    for (std::string_view device : kNumberedDevices) {
        if (EqualsNoCase(stem.substr(0, 3), device)) return true;
    }
    return false;
}

// True when every byte belongs to a UTF-8 character (U+FFFD itself included): a name that
// is not text cannot become a Windows file name.
bool IsUtf8Text(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        const bool replaced = NextCodePoint(text, pos) == 0xFFFD;
        if (replaced && text.substr(start, pos - start) != "\xEF\xBF\xBD") return false;
    }
    return true;
}

std::optional<std::string> CheckCharacters(std::string_view name) {
    if (!IsUtf8Text(name)) return "it is not UTF-8 text, which file names must be";
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20) {
            return "it holds a control character, which file names cannot hold";
        }
        if (kOutsideFolder.find(c) != std::string_view::npos) {
            return std::string("it holds \"") + c +
                   "\", which would put the backup outside the program folder";
        }
        if (kNotInFileNames.find(c) != std::string_view::npos) {
            return std::string("it holds \"") + c + "\", which file names cannot hold";
        }
    }
    return std::nullopt;
}

bool LessByName(const std::string& a, const std::string& b) {
    const int order = CompareNoCase(a, b);
    return order != 0 ? order < 0 : a < b;
}

}  // namespace

std::string ProposedBackupName(const std::tm& now) {
    return DateAndMinute(now) + "-" + TimePart(now.tm_sec);
}

std::string ProposedCustomBackupName(const std::tm& now) { return DateAndMinute(now); }

std::optional<std::string> ValidateBackupName(std::string_view name) {
    if (name.empty()) return "the name is empty";
    if (name.size() > kMaxBackupFileName - kBackupExtension.size() &&
        registry::Utf16UnitCount(name) > kMaxBackupFileName - kBackupExtension.size()) {
        return "it is longer than " + std::to_string(kMaxBackupFileName - kBackupExtension.size()) +
               " characters, too long for a file name";
    }
    if (std::optional<std::string> problem = CheckCharacters(name)) return problem;
    if (name.find("..") != std::string_view::npos) {
        return "it holds \"..\", which would put the backup outside the program folder";
    }
    if (name.back() == '.' || name.back() == ' ') {
        return "it ends in a dot or a space, which Windows drops from file names";
    }
    if (IsDeviceName(name)) {
        return "\"" + std::string(DeviceStem(name)) + "\" is the name of a device, not of a file";
    }
    return std::nullopt;
}

std::optional<std::string> CheckBackupPathLength(std::string_view programFolder,
                                                 std::string_view name) {
    return registry::HostNameLengthProblem(programFolder,
                                           std::string(name) + std::string(kBackupExtension));
}

std::string BackupFilePath(std::string_view programFolder, std::string_view name) {
    return std::string(programFolder) + std::string(name) + std::string(kBackupExtension);
}

bool ListBackups(const std::string& programFolder, std::vector<std::string>& names,
                 std::string& error) {
    names.clear();
    std::error_code ec;
    fs::directory_iterator it(registry::ToHostPath(programFolder), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        std::string name = registry::FromHostPath(it->path().filename());
        if (EndsWithNoCase(name, kBackupExtension)) names.push_back(std::move(name));
    }
    if (ec) {
        names.clear();
        error = "cannot list the backups in " + programFolder + ": " + ec.message();
        return false;
    }
    std::sort(names.begin(), names.end(), LessByName);
    return true;
}

std::string UnusedBackupName(const std::vector<std::string>& backups, std::string_view proposed) {
    std::string name(proposed);
    for (int suffix = 2; !SameNamedBackups(backups, name).empty(); ++suffix) {
        name = std::string(proposed) + "-" + std::to_string(suffix);
    }
    return name;
}

std::vector<std::string> SameNamedBackups(const std::vector<std::string>& backups,
                                          std::string_view name) {
    const std::string fileName = std::string(name) + ".Reg";
    std::vector<std::string> same;
    for (const std::string& backup : backups) {
        if (EqualsNoCase(backup, fileName)) same.push_back(backup);
    }
    return same;
}

std::optional<std::string> FindBackup(const std::vector<std::string>& backups,
                                      std::string_view name) {
    const std::string targets[] = {std::string(name), BackupFilePath("", name)};
    for (const std::string& target : targets) {
        if (std::find(backups.begin(), backups.end(), target) != backups.end()) return target;
    }
    std::optional<std::string> found;
    for (const std::string& backup : backups) {
        if (!EqualsNoCase(backup, targets[0]) && !EqualsNoCase(backup, targets[1])) continue;
        if (found) return std::nullopt;  // several, none spelled exactly so
        found = backup;
    }
    return found;
}

registry::FileStatus RemoveBackup(std::string_view programFolder, std::string_view fileName) {
    const std::string path = std::string(programFolder) + std::string(fileName);
    if (fileName.empty() || fileName.find_first_of("\\/") != std::string_view::npos ||
        fileName == "." || fileName == "..") {
        return registry::FileStatus::Failure("cannot remove " + path +
                                             ": not a file of the program folder");
    }
    const fs::path hostPath = registry::ToHostPath(path);
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(hostPath, ec))) {
        return registry::FileStatus::Failure("cannot remove " + path + ": it is a folder");
    }
    const bool removed = fs::remove(hostPath, ec);
    if (ec) return registry::FileStatus::Failure("cannot remove " + path + ": " + ec.message());
    if (!removed) {
        return registry::FileStatus::Failure("cannot remove " + path + ": the file does not exist");
    }
    return {};
}

}  // namespace hivewarden::repair
