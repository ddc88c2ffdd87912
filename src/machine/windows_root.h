// A Windows installation mounted as a folder (--windows-root DIR): where its hives lie, whose
// user profile is meant (--user), and the folders and environment its hives record. The
// folder may be a case-sensitive mount: names are matched as Windows matches them.
#pragma once

#include <string>
#include <vector>

#include "machine/hive_mounts.h"
#include "machine/standard_environment.h"

namespace hivewarden::machine {

// What a mounted installation is made of.
struct Installation {
    std::string Root;            // the folder (drive C:)
    std::string ConfigFolder;    // ...\Windows\System32\config, as found on the host
    std::string User;            // the chosen user's folder name; empty when there is none
    std::string UserFolder;      // its profile folder on the host
    std::vector<HiveMount> Hives;  // SOFTWARE, SYSTEM, NTUSER.DAT, UsrClass.dat found
    std::vector<std::string> Warnings;  // a hive or profile that is missing
};

// Finds the installation's hives and the user: `user` by name (without regard to case), or the
// only user profile there is. The SOFTWARE hive is opened through `hives` for its profile list. False, with the reason, when DIR holds no installation, the user
// is unknown, or there are several users and none was chosen (the reason lists them).
bool FindInstallation(const std::string& root, const std::string& user, HiveFiles& hives,
                      Installation& installation, std::string& error);

// The folder layout and the extra environment the installation's hives record: the Windows
// folder, program folders, profile folders, the computer's name, and the variables of the
// system's and the user's Environment keys (expanded). A session's environment is the
// system's variables, then the standard ones of the layout (the logon sets USERNAME,
// USERPROFILE, ...), then the user's. The hives are read through `hives`, which keeps them for
// the machine's registry. False, with the reason, when the SOFTWARE hive cannot be read.
struct InstallationEnvironment {
    MachineLayout Layout;
    std::vector<EnvironmentVariable> System;  // Session Manager\Environment
    std::vector<EnvironmentVariable> User;    // HKCU\Environment
};
bool ReadInstallationEnvironment(const Installation& installation, HiveFiles& hives,
                                 InstallationEnvironment& environment, std::string& error);

}  // namespace hivewarden::machine
