// The environment a default Windows 10/11 installation gives its programs (the variables paths
// use), derived from where the machine keeps its folders. Shared by the mapped machine of
// --drive/--windows-dir, a mounted Windows installation and a Wine prefix.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hivewarden::machine {

// Where a machine keeps its standard folders, as full Windows paths. An empty field takes the
// default of a Windows 10/11 installation on the drive of the Windows folder.
struct MachineLayout {
    std::string WindowsDir = "C:\\Windows";
    std::string UserName = "User";
    std::string ComputerName = "DESKTOP";
    std::string ProgramFiles;     // SystemDrive\Program Files
    std::string ProgramFilesX86;  // SystemDrive\Program Files (x86)
    std::string ProgramW6432;     // ProgramFiles
    std::string CommonFiles;      // ProgramFiles\Common Files
    std::string CommonFilesX86;   // ProgramFilesX86\Common Files
    std::string ProgramData;      // SystemDrive\ProgramData
    std::string ProfilesDir;      // SystemDrive\Users
    std::string Public;           // ProfilesDir\Public
    std::string UserProfile;      // ProfilesDir\UserName
};

// One variable: its name as Windows spells it, and its value.
using EnvironmentVariable = std::pair<std::string, std::string>;

// SystemRoot, windir, SystemDrive, ProgramFiles, ProgramFiles(x86), ProgramW6432,
// CommonProgramFiles, CommonProgramFiles(x86), ProgramData, ALLUSERSPROFILE, PUBLIC,
// USERPROFILE, APPDATA, LOCALAPPDATA, TEMP, TMP, HOMEDRIVE, HOMEPATH, USERNAME, COMPUTERNAME, in
// this order. A trailing "\" of a folder is dropped (except on a drive root, "C:\").
std::vector<EnvironmentVariable> StandardEnvironment(const MachineLayout& layout);

// The same for a machine laid out as Windows installs itself: its Windows folder (whose drive
// is the system drive), the user's name and the computer's name.
std::vector<EnvironmentVariable> StandardEnvironment(std::string_view windowsDir,
                                                     std::string_view userName,
                                                     std::string_view computerName);

}  // namespace hivewarden::machine
