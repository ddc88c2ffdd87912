// The hive files of an offline machine: where each is mounted, and each file opened once, for
// reading the machine's layout and then as part of its registry. Linux builds only read hives
// (store/hive); elsewhere opening one answers with the reason.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "store/hive/hive_store.h"
#include "store/roots.h"

namespace hivewarden::machine {

// One hive file and the key it is mounted at.
struct HiveMount {
    registry::RootKey Root = 0;
    std::string Path;  // below the root; empty for the root itself
    std::string File;  // UTF-8 host path
};

// A hive as mounted in a machine's registry (which owns it), kept for the write policy.
struct MountedHive {
    registry::HiveStore* Hive = nullptr;
    std::string File;
};

// "ROOT\PATH=FILE" as a mount. False, with the reason naming the text, when it is not one.
bool ParseHiveMount(const std::string& text, HiveMount& mount, std::string& error);

// The mount's key as the messages name it ("HKLM\SOFTWARE").
std::string MountKeyName(const HiveMount& mount);

// The hive files of one machine, each opened (for writing, where that is safe) the first time
// it is asked for and kept until it is taken into the machine's registry.
class HiveFiles {
  public:
    // The hive of `file`, opened now or before; null, with the reason, when it cannot be read.
    registry::HiveStore* Open(const std::string& file, std::string& error);
    // The hive of `file` as opened before, handed over; null when it was never opened.
    std::unique_ptr<registry::HiveStore> Take(const std::string& file);

  private:
    std::map<std::string, std::unique_ptr<registry::HiveStore>> opened_;
};

}  // namespace hivewarden::machine
