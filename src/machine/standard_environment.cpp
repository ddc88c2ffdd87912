// The standard environment of a Windows machine, from its folder layout.
#include "machine/standard_environment.h"

namespace hivewarden::machine {
namespace {

// "C:\Windows\" -> "C:\Windows"; "C:\" stays.
std::string WithoutTrailingSeparator(std::string folder) {
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return folder;
}

std::string OrDefault(const std::string& given, std::string fallback) {
    return WithoutTrailingSeparator(given.empty() ? std::move(fallback) : given);
}

}  // namespace

std::vector<EnvironmentVariable> StandardEnvironment(const MachineLayout& layout) {
    const std::string windowsDir = WithoutTrailingSeparator(layout.WindowsDir);
    const std::string systemDrive = windowsDir.substr(0, 2);
    const std::string programFiles =
        OrDefault(layout.ProgramFiles, systemDrive + "\\Program Files");
    const std::string programFilesX86 =
        OrDefault(layout.ProgramFilesX86, systemDrive + "\\Program Files (x86)");
    const std::string programData = OrDefault(layout.ProgramData, systemDrive + "\\ProgramData");
    const std::string profiles = OrDefault(layout.ProfilesDir, systemDrive + "\\Users");
    const std::string profile = OrDefault(layout.UserProfile, profiles + "\\" + layout.UserName);
    const std::string localAppData = profile + "\\AppData\\Local";
    const std::string temp = localAppData + "\\Temp";
    // HOMEDRIVE and HOMEPATH split the profile at its drive.
    const bool profileOnDrive = profile.size() >= 2 && profile[1] == ':';
    const std::string homeDrive = profileOnDrive ? profile.substr(0, 2) : systemDrive;
    std::string homePath = profileOnDrive ? profile.substr(2) : profile;
    if (homePath.empty()) homePath = "\\";
    return {
        {"SystemRoot", windowsDir},
        {"windir", windowsDir},
        {"SystemDrive", systemDrive},
        {"ProgramFiles", programFiles},
        {"ProgramFiles(x86)", programFilesX86},
        {"ProgramW6432", OrDefault(layout.ProgramW6432, programFiles)},
        {"CommonProgramFiles", OrDefault(layout.CommonFiles, programFiles + "\\Common Files")},
        {"CommonProgramFiles(x86)",
         OrDefault(layout.CommonFilesX86, programFilesX86 + "\\Common Files")},
        {"ProgramData", programData},
        {"ALLUSERSPROFILE", programData},
        {"PUBLIC", OrDefault(layout.Public, profiles + "\\Public")},
        {"USERPROFILE", profile},
        {"APPDATA", profile + "\\AppData\\Roaming"},
        {"LOCALAPPDATA", localAppData},
        {"TEMP", temp},
        {"TMP", temp},
        {"HOMEDRIVE", homeDrive},
        {"HOMEPATH", homePath},
        {"USERNAME", layout.UserName},
        {"COMPUTERNAME", layout.ComputerName},
    };
}

std::vector<EnvironmentVariable> StandardEnvironment(std::string_view windowsDir,
                                                     std::string_view userName,
                                                     std::string_view computerName) {
    MachineLayout layout;
    layout.WindowsDir = std::string(windowsDir);
    layout.UserName = std::string(userName);
    layout.ComputerName = std::string(computerName);
    return StandardEnvironment(layout);
}

}  // namespace hivewarden::machine
