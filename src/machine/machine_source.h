// The description of one machine's source, as the user gives it: where its registry comes from
// (the live one, .reg files, hive files, a mounted Windows installation, a Wine prefix) and how
// its file system is seen (drive letters mapped to folders, the Windows directory, the user,
// extra environment variables). Plain data: the command line fills it, machine.h opens it.
#pragma once

#include <string>
#include <vector>

#include "text/code_page.h"

namespace hivewarden::machine {

struct MachineSource {
    // The registry. None of them: the live registry, where this build has one.
    std::vector<std::string> RegistryFiles;  // .reg files, loaded in order
    // The ANSI code page REGEDIT4 files among them are read in, and the code page a write-back
    // is tried in before it falls back to version 5.
    unsigned AnsiCodePage = kWindows1252;
    // A Wine prefix: its registry files are the registry (rewritten in place), and its drives,
    // Windows folder and environment are the machine's.
    std::string WinePrefix;
    // Wine's own data folder (the one holding wine.inf and fonts/); empty: found from the
    // Wine installation (machine/wine_install.h).
    std::string WineDataDir;
    std::vector<std::string> HiveMounts;  // "ROOT\PATH=FILE", each a hive file mounted at a key
    // A mounted Windows installation: its hives are the registry, the folder is drive C:, and
    // its folders and environment come from its hives.
    std::string WindowsRoot;
    std::string User;  // the user meant; empty: User, or a mounted installation's only user

    // The file system. None of these and no prefix or installation: the live file system,
    // where this build has one.
    std::vector<std::string> Drives;       // "C=FOLDER"
    std::string WindowsDir;                // empty: C:\Windows, or the installation's own
    std::vector<std::string> Environment;  // "NAME=VALUE"; later entries win
};

// True when the registry is given as files (.reg files, hives, a Wine prefix), not the live one.
bool HasRegistryFiles(const MachineSource& source);
// True when the registry is made of hive files (--hive, a mounted installation).
bool UsesHives(const MachineSource& source);
// True when drive letters are mapped to host folders (given, or from a prefix or installation).
bool MapsDrives(const MachineSource& source);

// Where a changed registry is written back: `output` when given, else the one .reg file;
// empty `target` for the live registry, a Wine prefix and hives (changed in place). Checks the
// combination only, touches no file. False, with the reason, for an `output` that the source
// cannot take (the live registry, a prefix, hives) and for several .reg files without one.
bool CheckWriteBackOptions(const MachineSource& source, const std::string& output,
                           std::string& error);

}  // namespace hivewarden::machine
