// Finding a mounted installation's hives and user, and reading its layout from its hives.
#include "machine/windows_root.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>

#include "files/host_path.h"
#include "files/mapped_files.h"
#include "machine/registry_text.h"
#include "store/key_path.h"
#include "text/text.h"

namespace hivewarden::machine {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProfileList = "Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

// Profile folders that belong to no person.
constexpr const char* kNotUsers[] = {"Default", "Default User", "Public", "All Users"};

// The entry of `folder` named `name` as Windows matches names; empty when there is none.
fs::path ChildNoCase(const fs::path& folder, std::string_view name) {
    std::error_code ec;
    const fs::path exact = folder / registry::ToHostPath(name);
    if (fs::exists(exact, ec)) return exact;
    std::vector<fs::path> found;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (EqualsNoCase(registry::FromHostPath(it->path().filename()), name)) {
            found.push_back(it->path());
        }
    }
    std::sort(found.begin(), found.end());  // of names differing only in case, the first
    return found.empty() ? fs::path() : found.front();
}

// `parts` below `folder`, each matched as Windows matches names; empty when one is missing.
fs::path Descend(fs::path folder, const std::vector<std::string_view>& parts) {
    for (std::string_view part : parts) {
        if (part.empty()) continue;
        folder = ChildNoCase(folder, part);
        if (folder.empty()) return {};
    }
    return folder;
}

bool IsFile(const fs::path& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

// A string value of the hive as text; empty when it is missing or holds no text.
std::string ReadText(registry::RegistryStore& hive, std::string_view key, std::string_view name) {
    return ReadString(hive, 0, key, name).value_or(std::string());
}

using Table = std::map<std::string, std::string, LessNoCase>;

// %NAME% references replaced from `table` as ExpandEnvironmentStrings does.
std::string Expand(std::string_view text, const Table& table) {
    registry::MappedFilesConfig config;
    config.Environment = table;
    return registry::MappedFiles(std::move(config)).ExpandEnvironment(text);
}

struct Profile {
    std::string Name;    // the folder's name
    fs::path Folder;     // on the host
};

// The people's profiles: ProfileList's entries for user accounts (S-1-5-21-...) whose folder
// holds an NTUSER.DAT; without such entries, the folders below Users that hold one.
std::vector<Profile> FindProfiles(const fs::path& root, registry::RegistryStore* software) {
    std::vector<Profile> profiles;
    auto add = [&](const fs::path& folder) {
        if (folder.empty() || !IsFile(ChildNoCase(folder, "NTUSER.DAT"))) return;
        const std::string name = registry::FromHostPath(folder.filename());
        for (const char* notUser : kNotUsers) {
            if (EqualsNoCase(name, notUser)) return;
        }
        for (const Profile& known : profiles) {
            if (EqualsNoCase(known.Name, name)) return;
        }
        profiles.push_back({name, folder});
    };
    if (software != nullptr) {
        const registry::StoreHandle list = software->Open(0, kProfileList);
        std::string sid;
        for (std::uint32_t i = 0; list != 0 && software->SubkeyName(list, i, sid); ++i) {
            if (!StartsWithNoCase(sid, "S-1-5-21-")) continue;
            const std::string image =
                ReadText(*software, std::string(kProfileList) + "\\" + sid, "ProfileImagePath");
            const std::vector<std::string_view> parts = registry::NonEmptyPathComponents(image);
            if (parts.size() >= 2 && parts[0].size() == 2 && parts[0][1] == ':') {
                add(Descend(root, {parts.begin() + 1, parts.end()}));
            }
        }
        if (list != 0) software->Close(list);
    }
    if (profiles.empty()) {
        std::error_code ec;
        const fs::path users = ChildNoCase(root, "Users");
        for (fs::directory_iterator it(users, ec), end; !users.empty() && !ec && it != end;
             it.increment(ec)) {
            std::error_code dirError;
            if (it->is_directory(dirError)) add(it->path());
        }
    }
    std::sort(profiles.begin(), profiles.end(),
              [](const Profile& a, const Profile& b) { return CompareNoCase(a.Name, b.Name) < 0; });
    return profiles;
}

// The config folder: below Windows, or below any top folder that holds System32\config.
fs::path FindConfigFolder(const fs::path& root) {
    const fs::path usual = Descend(root, {"Windows", "System32", "config"});
    if (IsFile(ChildNoCase(usual, "SOFTWARE"))) return usual;
    std::error_code ec;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path config = Descend(it->path(), {"System32", "config"});
        if (!config.empty() && IsFile(ChildNoCase(config, "SOFTWARE"))) return config;
    }
    return {};
}

std::string Joined(const std::vector<Profile>& profiles) {
    std::string names;
    for (const Profile& profile : profiles) names += (names.empty() ? "" : ", ") + profile.Name;
    return names;
}

// The variables of an Environment key, expanded against `table` and added to it in order.
void AddEnvironmentKey(registry::RegistryStore& hive, std::string_view key, Table& table,
                       std::vector<EnvironmentVariable>& extra) {
    for (StringValue& value : ReadStrings(hive, 0, key)) {
        if (value.Expandable) value.Text = Expand(value.Text, table);
        table[value.Name] = value.Text;
        extra.emplace_back(value.Name, value.Text);
    }
}

}  // namespace

bool FindInstallation(const std::string& root, const std::string& user, HiveFiles& hives,
                      Installation& installation, std::string& error) {
    installation = {};
    installation.Root = root;
    const fs::path host = registry::ToHostPath(root);
    const fs::path config = FindConfigFolder(host);
    if (config.empty()) {
        error = root + " holds no Windows installation (no Windows\\System32\\config\\SOFTWARE)";
        return false;
    }
    installation.ConfigFolder = registry::FromHostPath(config);
    const fs::path software = ChildNoCase(config, "SOFTWARE");
    installation.Hives.push_back(
        {registry::kLocalMachine, "SOFTWARE", registry::FromHostPath(software)});
    if (const fs::path system = ChildNoCase(config, "SYSTEM"); IsFile(system)) {
        installation.Hives.push_back(
            {registry::kLocalMachine, "SYSTEM", registry::FromHostPath(system)});
    } else {
        installation.Warnings.push_back(installation.ConfigFolder +
                                        " holds no SYSTEM hive: HKLM\\SYSTEM is empty");
    }

    // An unreadable SOFTWARE hive leaves the profile folders to be found by their files; the
    // registry made of the hives then fails to open with the reason.
    std::string reason;
    registry::HiveStore* softwareHive = hives.Open(registry::FromHostPath(software), reason);
    const std::vector<Profile> profiles = FindProfiles(host, softwareHive);
    const Profile* chosen = nullptr;
    if (!user.empty()) {
        for (const Profile& profile : profiles) {
            if (EqualsNoCase(profile.Name, user)) chosen = &profile;
        }
        if (chosen == nullptr) {
            error = "no user profile named " + user + " in " + root +
                    (profiles.empty() ? " (it has none)" : " (users: " + Joined(profiles) + ")");
            return false;
        }
    } else if (profiles.size() == 1) {
        chosen = &profiles.front();
    } else if (profiles.size() > 1) {
        error = root + " has several users; choose one with --user NAME: " + Joined(profiles);
        return false;
    }
    if (chosen == nullptr) {
        installation.Warnings.push_back(root +
                                        " has no user profile: HKEY_CURRENT_USER is empty");
        return true;
    }
    installation.User = chosen->Name;
    installation.UserFolder = registry::FromHostPath(chosen->Folder);
    const fs::path userHive = ChildNoCase(chosen->Folder, "NTUSER.DAT");
    installation.Hives.push_back({registry::kCurrentUser, "", registry::FromHostPath(userHive)});
    const fs::path classes = ChildNoCase(
        Descend(chosen->Folder, {"AppData", "Local", "Microsoft", "Windows"}), "UsrClass.dat");
    if (IsFile(classes)) {
        installation.Hives.push_back(
            {registry::kCurrentUser, "Software\\Classes", registry::FromHostPath(classes)});
    }
    return true;
}

bool ReadInstallationEnvironment(const Installation& installation, HiveFiles& files,
                                 InstallationEnvironment& environment, std::string& error) {
    environment = {};
    std::map<std::string, registry::HiveStore*, LessNoCase> hives;
    for (const HiveMount& mount : installation.Hives) {
        std::string reason;
        registry::HiveStore* hive = files.Open(mount.File, reason);
        if (!hive && mount.Path == "SOFTWARE") {
            error = reason;
            return false;
        }
        if (hive) hives[mount.Root == registry::kCurrentUser ? "HKCU" + mount.Path : mount.Path] =
            hive;
    }
    registry::RegistryStore& software = *hives.at("SOFTWARE");
    MachineLayout& layout = environment.Layout;
    const std::string systemRoot =
        ReadText(software, "Microsoft\\Windows NT\\CurrentVersion", "SystemRoot");
    if (systemRoot.size() >= 3 && systemRoot[1] == ':') layout.WindowsDir = systemRoot;
    layout.UserName = installation.User.empty() ? "User" : installation.User;

    Table table;
    table["SystemRoot"] = layout.WindowsDir;
    table["SystemDrive"] = layout.WindowsDir.substr(0, 2);
    const std::string currentVersion = "Microsoft\\Windows\\CurrentVersion";
    const struct {
        std::string* Field;
        const char* Key;
        const char* Name;
    } kFolders[] = {
        {&layout.ProgramFiles, "CV", "ProgramFilesDir"},
        {&layout.ProgramFilesX86, "CV", "ProgramFilesDir (x86)"},
        {&layout.ProgramW6432, "CV", "ProgramW6432Dir"},
        {&layout.CommonFiles, "CV", "CommonFilesDir"},
        {&layout.CommonFilesX86, "CV", "CommonFilesDir (x86)"},
        {&layout.ProfilesDir, "PL", "ProfilesDirectory"},
        {&layout.ProgramData, "PL", "ProgramData"},
        {&layout.Public, "PL", "Public"},
    };
    for (const auto& folder : kFolders) {
        const std::string key = folder.Key[0] == 'C' ? currentVersion : kProfileList;
        *folder.Field = Expand(ReadText(software, key, folder.Name), table);
    }
    // The user's profile folder as ProfileList names it.
    const registry::StoreHandle list = software.Open(0, kProfileList);
    std::string sid;
    for (std::uint32_t i = 0; list != 0 && !installation.User.empty() &&
                              software.SubkeyName(list, i, sid); ++i) {
        const std::string image = Expand(
            ReadText(software, std::string(kProfileList) + "\\" + sid, "ProfileImagePath"), table);
        const std::vector<std::string_view> parts = registry::NonEmptyPathComponents(image);
        if (!parts.empty() && EqualsNoCase(parts.back(), installation.User)) {
            layout.UserProfile = image;
            break;
        }
    }
    if (list != 0) software.Close(list);

    if (const auto system = hives.find("SYSTEM"); system != hives.end()) {
        registry::RegistryStore& hive = *system->second;
        registry::RawValue current;
        std::string controlSet = "ControlSet001";
        const registry::StoreHandle select = hive.Open(0, "Select");
        if (select != 0 && hive.Read(select, "Current", current) && current.Bytes.size() == 4) {
            const auto number = static_cast<unsigned char>(current.Bytes[0]);
            controlSet = "ControlSet00" + std::to_string(number);
            if (number >= 10) controlSet = "ControlSet0" + std::to_string(number);
        }
        if (select != 0) hive.Close(select);
        const std::string name = ReadText(
            hive, controlSet + "\\Control\\ComputerName\\ComputerName", "ComputerName");
        if (!name.empty()) layout.ComputerName = name;
        for (const EnvironmentVariable& variable : StandardEnvironment(layout)) {
            table[variable.first] = variable.second;
        }
        AddEnvironmentKey(hive, controlSet + "\\Control\\Session Manager\\Environment", table,
                          environment.System);
    }
    if (const auto user = hives.find("HKCU"); user != hives.end()) {
        for (const EnvironmentVariable& variable : StandardEnvironment(layout)) {
            table[variable.first] = variable.second;
        }
        AddEnvironmentKey(*user->second, "Environment", table, environment.User);
    }
    return true;
}

}  // namespace hivewarden::machine
