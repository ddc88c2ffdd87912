// Backups restored by the system's own registry editor: random trees in a throwaway key of the
// live registry are backed up and repaired through the Windows store, then the backup file is
// imported by `regedit /s` (and, under Wine, by the shell's default action for .reg files);
// afterwards every key and value must be back, byte for byte.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "store/win32/win32_store.h"
#include "repair/backup_restore.h"
#include "repair/repair_executor.h"
#include "support/random_registry_tree.h"
#include "support/registry_snapshot.h"
#include "support/repair_machine.h"
#include "win/win32_test_support.h"

namespace hivewarden::testing {
namespace {

using LiveMachine = BasicRepairMachine<registry::Win32Store>;

constexpr int kTrees = 25;
constexpr std::uint32_t kSeed = 0xBEE5u;

// Grows a tree below the branch, snapshots it, then backs it up and repairs it with random
// findings; the snapshot from before the repair.
RegistrySnapshot GrowAndRepair(TreeMaker& maker, LiveMachine& m, const std::string& top,
                               const std::string& topPath, bool& changed) {
    std::vector<ValueRef> values;
    const std::vector<std::string> keys = maker.Grow(m, top, values);
    RegistrySnapshot before = SnapshotTree(m.Store, registry::kCurrentUser, topPath);
    AddRandomFindings(maker, m, keys, values);
    const repair::RepairResult result =
        repair::RepairScanResults(m.State, m.Access, m.BackupPath());
    EXPECT_TRUE(result.Ok()) << (result.Error ? result.Error->Message : "");
    EXPECT_TRUE(result.Skipped.empty());
    changed = result.Changed > 0;
    return before;
}

TEST(RegeditRoundTrip, TheRegistryEditorRestoresEveryBackedUpValueExactly) {
    ThrowawayKey branch("HivewardenRegedit-");
    ASSERT_FALSE(branch.Path.empty());
    std::mt19937 rng(kSeed);
    TreeMaker maker(rng);
    int changedTrees = 0;
    for (int t = 0; t < kTrees; ++t) {
        SCOPED_TRACE("tree " + std::to_string(t));
        LiveMachine m;
        const std::string topPath = branch.Path + "\\T" + std::to_string(t) + maker.KeyName();
        bool changed = false;
        const RegistrySnapshot before =
            GrowAndRepair(maker, m, "HKEY_CURRENT_USER\\" + topPath, topPath, changed);
        if (changed) {
            ++changedTrees;
            EXPECT_NE(SnapshotTree(m.Store, registry::kCurrentUser, topPath), before);
        }

        DWORD error = 0;
        const int exitCode = RunRegeditImport(m.BackupPath(), error);
        if (exitCode == -1 && error == kErrorElevationRequired) {
            GTEST_SKIP() << "the registry editor needs elevation here";
        }
        ASSERT_EQ(exitCode, 0) << "regedit could not import " << m.BackupPath() << " (error "
                               << error << ")";
        const RegistrySnapshot after = SnapshotTree(m.Store, registry::kCurrentUser, topPath);
        ASSERT_TRUE(after == before) << DescribeDifference(after, before);
    }
    EXPECT_GT(changedTrees, kTrees * 3 / 4);
}

TEST(RegeditRoundTrip, TheShellHandOverRestoresTheBackupThroughTheDefaultAction) {
    // On Windows the registry editor asks before it imports; only Wine imports unattended.
    if (!RunningUnderWine()) GTEST_SKIP() << "the import would wait for the user";
    RegFileAssociation association;
    ThrowawayKey branch("HivewardenRegedit-");
    ASSERT_FALSE(branch.Path.empty());
    std::mt19937 rng(kSeed + 1);
    TreeMaker maker(rng);
    LiveMachine m;
    const std::string topPath = branch.Path + "\\Shell";
    // A tree whose repair changes something, so that the restore has work to do.
    RegistrySnapshot before;
    bool changed = false;
    for (int attempt = 0; attempt < 10 && !changed; ++attempt) {
        RegDeleteTreeW(HKEY_CURRENT_USER, WideOf(topPath).c_str());
        m.State.ResetForScan();
        before = GrowAndRepair(maker, m, "HKEY_CURRENT_USER\\" + topPath, topPath, changed);
    }
    ASSERT_TRUE(changed);

    repair::ShellImporter importer;
    const std::vector<repair::RestoreOutcome> outcomes =
        repair::RestoreBackups(m.Folder.Folder(), {"backup.reg"}, importer);
    ASSERT_EQ(outcomes.size(), 1u);
    ASSERT_TRUE(outcomes[0].Status) << outcomes[0].Status.Message;

    // The hand-over does not wait for the import.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    RegistrySnapshot after = SnapshotTree(m.Store, registry::kCurrentUser, topPath);
    while (after != before && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        after = SnapshotTree(m.Store, registry::kCurrentUser, topPath);
    }
    EXPECT_TRUE(after == before) << DescribeDifference(after, before);
}

}  // namespace
}  // namespace hivewarden::testing
