// The backups of the program folder: the proposed name of a new backup, the check of a typed
// name, the list of .reg files, the look-up of a backup by name and its removal. The program
// keeps no catalogue of its own: every .reg file of the folder is a backup. Knows host files
// only; nothing here reads or changes the registry.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/durable_file.h"

namespace hivewarden::repair {

inline constexpr std::string_view kBackupExtension = ".reg";

// The warning for a typed name that an existing backup already has.
inline constexpr std::string_view kBackupNameExists =
    "The entered name already exist. Please select another";

// A file name (".reg" included) holds at most this many characters (UTF-16 units) on the file
// systems the program runs on.
inline constexpr std::size_t kMaxBackupFileName = 255;

// Day, month, four-digit year, hour (0-23), minute and second of `now`, as plain numbers
// without leading zeros joined by "-": 4-12-2026-21-5-3. The name of a scan repair's backup.
std::string ProposedBackupName(const std::tm& now);
// The same without the second: 4-12-2026-21-5. The name of a custom repair's backup.
std::string ProposedCustomBackupName(const std::tm& now);

// Why `name` cannot name a backup file in the program folder, or nothing when it can. The
// name is UTF-8 text in any script; the file is `name` + ".reg" in that folder, so the name
// may not leave the folder ("\", "/", ":", ".."), may not be a device (CON, PRN, AUX, NUL,
// COM1-COM9, LPT1-LPT9, also with a superscript digit and before a dot, as in "con.txt"), may
// not end in a dot or a space, may not be empty or too long, and may not hold a character
// that file names cannot hold (< > : " / \ | ? * and control characters) or bytes that are
// not UTF-8.
std::optional<std::string> ValidateBackupName(std::string_view name);

// Why the backup file of a valid name cannot be made in `programFolder` (with its trailing
// separator) on this host because of its length (the host's name and path limits), or
// nothing when it can.
std::optional<std::string> CheckBackupPathLength(std::string_view programFolder,
                                                 std::string_view name);

// The backup file of a name: `programFolder` (with its trailing separator) + name + ".reg".
std::string BackupFilePath(std::string_view programFolder, std::string_view name);

// The backups of a folder: the names of its files (not folders) that end in ".reg" in any
// case, sorted by name without regard to case (names that differ only in case, which some
// file systems allow, in byte order). False, with the reason, when the folder cannot be read.
bool ListBackups(const std::string& programFolder, std::vector<std::string>& names,
                 std::string& error);

// The listed backups whose name equals `name` + ".Reg" without regard to case, in list
// order: one kBackupNameExists warning is due for each.
std::vector<std::string> SameNamedBackups(const std::vector<std::string>& backups,
                                          std::string_view name);

// `proposed` when no listed backup has that name (without regard to case), else the first of
// `proposed`-2, `proposed`-3, ... that is free. A repair that names its backup without asking
// (the direct repair) never replaces an earlier backup made in the same second.
std::string UnusedBackupName(const std::vector<std::string>& backups, std::string_view proposed);

// The listed backup a name given with or without ".reg" stands for: the one spelled exactly
// so, else the only one equal to it without regard to case. Nothing when there is none, or
// several and none spelled exactly so.
std::optional<std::string> FindBackup(const std::vector<std::string>& backups,
                                      std::string_view name);

// Deletes the backup `fileName` of the program folder. The message names the file and the
// reason (the file no longer exists, or the system refused).
registry::FileStatus RemoveBackup(std::string_view programFolder, std::string_view fileName);

}  // namespace hivewarden::repair
