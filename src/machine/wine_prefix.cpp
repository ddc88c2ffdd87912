// Opening a Wine prefix's registry and describing its machine.
#include "machine/wine_prefix.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <vector>

#include "files/host_path.h"
#include "machine/registry_text.h"
#include "machine/standard_environment.h"
#include "store/wine/wine_server.h"
#include "text/text.h"

namespace hivewarden::machine {
namespace {

namespace fs = std::filesystem;
using Environment = std::map<std::string, std::string, LessNoCase>;

constexpr const char* kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kNtCurrentVersion = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kProfileList = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr const char* kSystemEnvironment =
    "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr const char* kComputerName =
    "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName";

// %NAME% references replaced by the variables known so far; unknown ones stay.
std::string Expand(std::string_view text, const Environment& env) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find('%', pos);
        const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) break;
        out.append(text.substr(pos, open - pos));
        const auto found = env.find(std::string(text.substr(open + 1, close - open - 1)));
        if (found != env.end()) {
            out += found->second;
            pos = close + 1;
        } else {
            out += '%';
            pos = open + 1;
        }
    }
    out.append(text.substr(pos));
    return out;
}

std::string LastComponent(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The user's folder under drive_c/users when the registry names none: the one that is not
// Public (the first by name when there are several).
std::string UserFolderName(const std::string& prefixDir) {
    std::error_code ec;
    std::vector<std::string> names;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(registry::ToHostPath(prefixDir + "/drive_c/users"), ec)) {
        const std::string name = registry::FromHostPath(entry.path().filename());
        if (!EqualsNoCase(name, "Public") && entry.is_directory(ec)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names.empty() ? std::string() : names.front();
}

void AddDrives(const std::string& prefixDir, registry::MappedFilesConfig& config) {
    std::error_code ec;
    const fs::path devices = registry::ToHostPath(prefixDir + "/dosdevices");
    for (const fs::directory_entry& entry : fs::directory_iterator(devices, ec)) {
        const std::string name = registry::FromHostPath(entry.path().filename());
        if (name.size() != 2 || name[1] != ':') continue;
        const char letter = AsciiUpper(name[0]);
        if (letter < 'A' || letter > 'Z') continue;
        std::error_code folderError;
        if (!fs::is_directory(entry.path(), folderError)) continue;  // "d::" devices and the like
        const fs::path folder = fs::canonical(entry.path(), folderError);
        if (!folderError) config.Drives[letter] = folder;
    }
}

}  // namespace

std::unique_ptr<registry::WinePrefixStore> OpenWinePrefixRegistry(const std::string& prefixDir,
                                                                  std::string& error) {
    registry::WinePrefixStoreOptions options;
    options.WriteRefusal = [prefixDir] { return WinePrefixWriteRefusal(prefixDir); };
    return registry::WinePrefixStore::Load(prefixDir, std::move(options), error);
}

std::string WinePrefixWriteRefusal(const std::string& prefixDir) {
    const registry::WineServerProbe probe = registry::ProbeWineServer(prefixDir);
    switch (probe.State) {
        case registry::WineServerState::Stopped:
            return {};
        case registry::WineServerState::Running:
            return "a wineserver serves the Wine prefix " + prefixDir + " (" + probe.Socket +
                   "): it keeps the registry in memory and would overwrite the files; close "
                   "the prefix's programs (WINEPREFIX=" +
                   prefixDir + " wineserver -k) and try again. Nothing was written";
        case registry::WineServerState::Unknown:
            break;
    }
    return "this system cannot tell whether a wineserver serves the Wine prefix " + prefixDir +
           ", so its registry files are not written. Nothing was written";
}

void WinePrefixMachine(const std::string& prefixDir, registry::WinePrefixStore& store,
                       registry::MappedFilesConfig& config) {
    using registry::kCurrentUser;
    using registry::kLocalMachine;
    auto machineText = [&store](const std::string& path, std::string_view name) {
        return ReadString(store, kLocalMachine, path, name).value_or(std::string());
    };
    const std::string sid = store.UserSid();

    AddDrives(prefixDir, config);
    MachineLayout layout;
    layout.WindowsDir = machineText(kNtCurrentVersion, "SystemRoot");
    if (layout.WindowsDir.empty()) layout.WindowsDir = "C:\\windows";
    Environment env{{"SystemRoot", layout.WindowsDir},
                    {"SystemDrive", layout.WindowsDir.substr(0, 2)}};
    auto expanded = [&env](const std::string& text) { return Expand(text, env); };
    layout.ProgramFiles = expanded(machineText(kCurrentVersion, "ProgramFilesDir"));
    layout.ProgramFilesX86 = expanded(machineText(kCurrentVersion, "ProgramFilesDir (x86)"));
    layout.ProgramW6432 = expanded(machineText(kCurrentVersion, "ProgramW6432Dir"));
    layout.CommonFiles = expanded(machineText(kCurrentVersion, "CommonFilesDir"));
    layout.CommonFilesX86 = expanded(machineText(kCurrentVersion, "CommonFilesDir (x86)"));
    layout.ProfilesDir = expanded(machineText(kProfileList, "ProfilesDirectory"));
    layout.ProgramData = expanded(machineText(kProfileList, "ProgramData"));
    layout.Public = expanded(machineText(kProfileList, "Public"));
    layout.UserProfile =
        expanded(machineText(std::string(kProfileList) + "\\" + sid, "ProfileImagePath"));
    layout.UserName =
        layout.UserProfile.empty() ? UserFolderName(prefixDir) : LastComponent(layout.UserProfile);
    if (layout.UserName.empty()) layout.UserName = "User";
    const std::string computer = machineText(kComputerName, "ComputerName");
    if (!computer.empty()) layout.ComputerName = computer;

    config.WindowsDir = layout.WindowsDir;
    for (const auto& [name, value] : StandardEnvironment(layout)) env[name] = value;
    // Wine's own variables: the machine's, then the user's, each expanded as Wine does.
    for (const StringValue& value : ReadStrings(store, kLocalMachine, kSystemEnvironment)) {
        env[value.Name] = expanded(value.Text);
    }
    for (const StringValue& value : ReadStrings(store, kCurrentUser, "Environment")) {
        env[value.Name] = expanded(value.Text);
    }
    for (auto& [name, value] : env) config.Environment[name] = value;
}

}  // namespace hivewarden::machine
