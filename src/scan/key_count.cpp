// Counting keys without recursion on the machine stack.
#include "scan/key_count.h"

#include <string>
#include <utility>
#include <vector>

#include "scan/scan_controller.h"

namespace hivewarden::scan {
namespace {

// Levels below a branch that the estimate reads key by key; below them only subkey counts.
constexpr int kEstimatedLevels = 2;

std::uint64_t CountBranch(registry::RegistryAccess& access, registry::RootKey root,
                          const std::string& top, KeyCountMode mode) {
    // The walk reads a missing branch's key too (and finds nothing).
    if (!access.KeyExists(root, top)) return 1;
    std::uint64_t count = 0;
    std::vector<std::pair<std::string, int>> pending{{top, 0}};
    while (!pending.empty()) {
        auto [path, level] = std::move(pending.back());
        pending.pop_back();
        ++count;
        const std::vector<std::string> subkeys = access.EnumSubkeys(root, path);
        if (mode == KeyCountMode::Estimate && level >= kEstimatedLevels) {
            count += subkeys.size();
            continue;
        }
        for (const std::string& subkey : subkeys) {
            pending.emplace_back(path.empty() ? subkey : path + "\\" + subkey, level + 1);
        }
    }
    return count;
}

}  // namespace

std::uint64_t KeysToScan(registry::RegistryAccess& access, std::int32_t options,
                         KeyCountMode mode) {
    std::uint64_t count = 0;
    for (const Branch& branch : BranchesOf(options)) {
        count += CountBranch(access, branch.Root, std::string(branch.Path), mode);
    }
    return count;
}

}  // namespace hivewarden::scan
