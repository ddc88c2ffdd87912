// Opening a machine: its registry first, then its file system, each source read once.
#include <utility>

#include "machine/hive_mounts.h"
#include "machine/live.h"
#include "machine/machine.h"
#include "machine/wine_install.h"
#include "machine/wine_prefix.h"
#include "machine/windows_root.h"
#include "store/classes_root_view.h"
#include "store/memory_store.h"
#include "store/mounted/mounted_store.h"

namespace hivewarden::machine {
namespace {

constexpr const char* kNoHivesHere =
    "--hive and --windows-root are not available on Windows; export the registry with "
    "regedit (File > Export) and give the file with --registry";

// What a registry made of sources read once leaves for the file system to use.
struct Opened {
    std::unique_ptr<registry::RegistryStore> Store;
    std::vector<MountedHive> Hives;
    std::optional<MappedMachine> Layout;  // a prefix's or an installation's own machine
};

bool OpenPrefix(const MachineSource& source, Opened& opened, const WarningSink& warn,
                std::string& error) {
    std::unique_ptr<registry::WinePrefixStore> prefix =
        OpenWinePrefixRegistry(source.WinePrefix, error);
    if (!prefix) return false;
    for (const std::string& warning : prefix->Warnings()) {
        if (warn) warn("warning: " + warning);
    }
    registry::MappedFilesConfig config;
    WinePrefixMachine(source.WinePrefix, *prefix, config);
    const std::string wineData = FindWineDataDir(WineDataSearchFromEnvironment(source.WineDataDir));
    if (wineData.empty() && warn) {
        warn(
            "warning: Wine's data folder (with wine.inf and fonts/) was not found, so the "
            "fonts Wine ships read as missing; give it with --wine-data DIR");
    }
    opened.Layout = PrefixMachine(config, wineData);
    opened.Store = std::move(prefix);
    return true;
}

// The hives the source names, in mounting order: the installation's, then --hive's.
bool CollectMounts(const MachineSource& source, HiveFiles& files, std::vector<HiveMount>& mounts,
                   Opened& opened, const WarningSink& warn, std::string& error) {
    if (!source.WindowsRoot.empty()) {
        Installation installation;
        InstallationEnvironment found;
        if (!FindInstallation(source.WindowsRoot, source.User, files, installation, error)) {
            return false;
        }
        for (const std::string& warning : installation.Warnings) {
            if (warn) warn("warning: " + warning);
        }
        if (!ReadInstallationEnvironment(installation, files, found, error)) return false;
        opened.Layout = InstallationMachine(source, found);
        mounts = installation.Hives;
    }
    for (const std::string& text : source.HiveMounts) {
        HiveMount mount;
        if (!ParseHiveMount(text, mount, error)) return false;
        mounts.push_back(std::move(mount));
    }
    return true;
}

bool OpenHives(const MachineSource& source, bool wantRegistry, Opened& opened,
               const WarningSink& warn, std::string& error) {
    if (!registry::HiveFilesSupported()) {
        error = kNoHivesHere;
        return false;
    }
    HiveFiles files;
    std::vector<HiveMount> mounts;
    if (!CollectMounts(source, files, mounts, opened, warn, error)) return false;
    if (!wantRegistry) return true;
    auto store = std::make_unique<registry::MountedStore>();
    for (const HiveMount& mount : mounts) {
        registry::HiveStore* hive = files.Open(mount.File, error);
        if (hive == nullptr) return false;
        if (!hive->ReadOnlyReason().empty() && warn) {
            warn("warning: " + hive->ReadOnlyReason() + "; " + MountKeyName(mount) +
                 " is read only");
        }
        opened.Hives.push_back({hive, mount.File});
        if (!store->Mount(mount.Root, mount.Path, files.Take(mount.File))) {
            error = MountKeyName(mount) + " is mounted twice";
            return false;
        }
    }
    // HKEY_CLASSES_ROOT as Windows shows it, over HKLM and HKCU\Software\Classes.
    opened.Store = std::make_unique<registry::ClassesRootView>(std::move(store));
    return true;
}

bool OpenRegistryFiles(const MachineSource& source, const CodePage& page, Opened& opened,
                       RegistryLoad& load, const OpenOptions& options, std::string& error) {
    auto store =
        std::make_unique<registry::ClassesRootView>(std::make_unique<registry::MemoryStore>());
    if (!LoadRegistryFiles(source.RegistryFiles, page, *store, load, options.Warn, error,
                           options.StandardInput)) {
        return false;
    }
    opened.Store = std::move(store);
    return true;
}

bool OpenRegistry(const MachineSource& source, const OpenOptions& options,
                  const CodePage* page, Opened& opened, RegistryLoad& load, std::string& error) {
    if (!source.WinePrefix.empty()) {
        if (!WinePrefixesSupported()) {
            error = "--wine-prefix is not supported by the Windows build: a prefix's drives are "
                    "links to host folders that a Windows program cannot follow, so every file "
                    "would read as missing; scan a prefix with the Linux build, or run this "
                    "build inside the prefix (wine hivewarden.exe scan) to scan it live";
            return false;
        }
        if (UsesHives(source)) {
            error = "--wine-prefix cannot be combined with --hive or --windows-root";
            return false;
        }
        return OpenPrefix(source, opened, options.Warn, error);
    }
    if (UsesHives(source)) {
        if (!source.RegistryFiles.empty()) {
            error = "--registry cannot be combined with --hive or --windows-root";
            return false;
        }
        return OpenHives(source, options.Registry, opened, options.Warn, error);
    }
    if (!options.Registry) return true;
    if (!source.RegistryFiles.empty()) {
        return OpenRegistryFiles(source, *page, opened, load, options, error);
    }
    if (!HasLiveRegistry()) {
        error = "no registry to work on: give one or more --registry FILE.reg";
        return false;
    }
    opened.Store = MakeLiveStore();
    return true;
}

}  // namespace

Machine::Machine() = default;
Machine::~Machine() = default;

std::unique_ptr<Machine> OpenMachine(const MachineSource& source, const OpenOptions& options,
                                     std::string& error) {
    std::unique_ptr<Machine> machine(new Machine());
    machine->source_ = source;
    if (options.Registry) {
        machine->codePage_ = OpenSourceCodePage(source, error);
        if (!machine->codePage_) return nullptr;
    }
    Opened opened;
    if (!OpenRegistry(source, options, machine->codePage_.get(), opened, machine->load_,
                      error)) {
        return nullptr;
    }
    machine->store_ = std::move(opened.Store);
    machine->hives_ = std::move(opened.Hives);

    // The file system: the live one, unless drives are mapped (given, or a prefix's or an
    // installation's own).
    if (!MapsDrives(source) && HasLiveProbes()) {
        machine->probes_ = MakeLiveProbes();
        return machine;
    }
    MappedMachine mapped = opened.Layout ? std::move(*opened.Layout) : DefaultMachine(source);
    if (!AddGivenDrivesAndVariables(source, mapped, error)) return nullptr;
    machine->probes_ = MakeMappedProbes(mapped);
    machine->mapped_ = std::move(mapped);
    return machine;
}

}  // namespace hivewarden::machine
