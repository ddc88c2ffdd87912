// One machine, opened from the description of its source: its registry (the live one, .reg
// files, hive files, a mounted Windows installation, a Wine prefix), its file probes (the live
// file system, or drive letters mapped to folders), its environment, and its write policy:
// where a changed registry goes and why it must not be written, if so. Each source is read
// once: a prefix's registry files and an installation's hives serve both the registry and the
// layout of the machine. Used by the command line and the window; never prints.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/files.h"
#include "machine/hive_mounts.h"
#include "machine/machine_source.h"
#include "machine/mapped_machine.h"
#include "machine/registry_load.h"
#include "store/store.h"

namespace hivewarden::machine {

struct OpenOptions {
    // False: only the machine's file system is wanted (explaining a path); a registry is read
    // only where the machine's layout comes from it (a prefix, an installation).
    bool Registry = true;
    // Each warning as it is met (see WarningSink).
    WarningSink Warn;
    // What the registry file "-" reads (the process's standard input, in binary mode); null:
    // "-" cannot be read.
    std::istream* StandardInput = nullptr;
};

class Machine {
  public:
    ~Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // The registry; only for a machine opened with OpenOptions::Registry.
    registry::RegistryStore& Store() { return *store_; }
    registry::FileProbes& Probes() { return *probes_; }
    // The mapped machine (drives, Windows directory, environment); null on the live file
    // system.
    const MappedMachine* Mapped() const { return mapped_ ? &*mapped_ : nullptr; }
    // What loading the .reg files found (nothing for other sources).
    const RegistryLoad& Load() const { return load_; }
    const MachineSource& Source() const { return source_; }

    // A warning worth showing before the work starts, or empty text: with the system drive
    // (the drive of the Windows directory) not mapped and no live file system, every path on
    // it reads as missing.
    std::string NoDriveWarning() const;
    // Why findings of missing paths must not be repaired on this machine, or empty text: its
    // system drive is not mapped, so nothing the scan reported missing is known to be gone.
    std::string NoDriveRefusal() const;

    // Why the registry must not be written now, or empty text: a hive that is read only (dirty,
    // damaged, locked, changed on disk since it was read), a prefix a wineserver serves.
    std::string WriteRefusal();
    // Where the registry is written back once it has been changed: `output` when given, else
    // the one .reg file; the hive files or the prefix folder (for the messages) when those are
    // changed in place; empty for the live registry. False, with the reason, when `output` does
    // not fit the source, or the registry must not be written (WriteRefusal).
    bool WriteBackTarget(const std::string& output, std::string& target, std::string& error);
    // False, with the reason, when `target` is (the same file as) a .reg file in which reading
    // skipped or changed lines: rewritten in place, what those lines say would be lost without
    // notice. `option` names the option that picks another file ("--output").
    bool CheckInPlaceWriteBack(const std::string& target, std::string_view option,
                               std::string& error) const;
    // Writes the changed registry back: hives and a prefix in place (each file either old or
    // new), .reg files as one .reg file at `target`, durably, REGEDIT4 in the source's code
    // page when that holds every entry, otherwise version 5. False, with the reason, when it
    // cannot be written (nothing is then written).
    bool WriteBack(const std::string& target, std::string& error);
    // The files a WriteBack to `target` now writes, for the messages: of the hive files only
    // those changed (empty text when none is); otherwise `target` itself.
    std::string FilesToWrite(const std::string& target) const;

  private:
    Machine();
    friend std::unique_ptr<Machine> OpenMachine(const MachineSource&, const OpenOptions&,
                                                std::string&);

    MachineSource source_;
    std::unique_ptr<CodePage> codePage_;
    std::unique_ptr<registry::RegistryStore> store_;
    std::unique_ptr<registry::FileProbes> probes_;
    std::optional<MappedMachine> mapped_;
    RegistryLoad load_;
    std::vector<MountedHive> hives_;  // owned by store_, in mounting order
};

// The machine `source` describes. Null, with the reason, when a source cannot be read (an
// unreadable .reg file, hive or prefix, an installation without the user asked for), the
// options contradict each other, or there is no registry to work on.
std::unique_ptr<Machine> OpenMachine(const MachineSource& source, const OpenOptions& options,
                                     std::string& error);

}  // namespace hivewarden::machine
