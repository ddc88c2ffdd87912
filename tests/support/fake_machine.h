// A small machine for scan tests: an in-memory registry and file system built in a few lines,
// with the access layer and path context wired to them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/scan_state.h"
#include "store/access.h"
#include "store/memory_store.h"
#include "scan/path_extract.h"
#include "support/fake_probes.h"

namespace hivewarden::testing {

class FakeMachine {
public:
    FakeMachine();

    // Sets a text value (REG_SZ) at a full key path ("HKEY_LOCAL_MACHINE\Software\X"),
    // creating the key.
    FakeMachine& Text(std::string_view fullKey, std::string_view name, std::string_view data);
    // Sets a value with any type and raw bytes.
    FakeMachine& Raw(std::string_view fullKey, std::string_view name, std::uint32_t type,
                     std::string bytes);
    FakeMachine& Number(std::string_view fullKey, std::string_view name, std::uint32_t number);
    FakeMachine& Key(std::string_view fullKey);
    FakeMachine& File(std::string_view path) {
        Probes.AddFile(path);
        return *this;
    }
    FakeMachine& Folder(std::string_view path) {
        Probes.AddFolder(path);
        return *this;
    }

    registry::MemoryStore Store;
    FakeProbes Probes;
    engine::ScanState State;
    registry::RegistryAccess Access{Store, Probes, State};
    scan::PathContext Paths{Probes, "C:\\Windows\\"};

    // Scans the registry with `files` in place of the machine's own probes (a mapped drive,
    // the live file system), through the scan's probe cache as the command line and the window
    // scan; gives the results.
    const engine::ScanResultList& ScanWith(registry::FileProbes& files, std::int32_t options);
};

}  // namespace hivewarden::testing
