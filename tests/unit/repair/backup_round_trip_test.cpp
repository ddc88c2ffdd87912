// Round trip of backup and restore over random registry trees: every value type, names and
// data drawn from all of Unicode (supplementary characters and lone surrogates included), odd
// and empty string data, quotes, backslashes, control characters, long binary values,
// multi-strings and deep keys. Each tree is backed up and repaired (keys and values deleted,
// values changed), then the backup is restored with the program's own importer; the registry
// must then be the one from before, key for key and byte for byte.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "text/text.h"
#include "repair/backup_restore.h"
#include "repair/repair_executor.h"
#include "support/random_registry_tree.h"
#include "support/registry_snapshot.h"
#include "support/repair_machine.h"

namespace hivewarden::testing {
namespace {

constexpr int kTrees = 200;
constexpr std::uint32_t kSeed = 0x5EEDu;

TEST(BackupRoundTrip, RestoringTheBackupGivesBackEveryKeyAndValueExactly) {
    static const char* kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                   "HKEY_USERS", "HKEY_CURRENT_CONFIG"};
    std::mt19937 rng(kSeed);
    TreeMaker maker(rng, TreeOptions{true});
    int changedTrees = 0;
    int wide = 0;  // backups written as version 5
    for (int t = 0; t < kTrees; ++t) {
        SCOPED_TRACE("tree " + std::to_string(t));
        RepairMachine m;
        // Three levels down, below the keys the repair never deletes.
        const std::string top = std::string(kRoots[maker.Below(5)]) + "\\Software\\Vendor\\T" +
                                std::to_string(t) + maker.KeyName();
        std::vector<ValueRef> values;
        const std::vector<std::string> keys = maker.Grow(m, top, values);
        const RegistrySnapshot before = Snapshot(m.Store);

        AddRandomFindings(maker, m, keys, values);

        const repair::RepairResult result =
            repair::RepairScanResults(m.State, m.Access, m.BackupPath());
        ASSERT_TRUE(result.Ok()) << result.Error->Message;
        EXPECT_TRUE(result.Skipped.empty());
        // A change whose key an earlier entry deleted, or whose value an earlier entry
        // changed, is the only change that may fail.
        for (const repair::RepairNote& note : result.Failed) {
            if (note.Reason.starts_with(repair::kChangedSinceScan)) continue;
            EXPECT_EQ(note.Reason, "the key does not exist or cannot be opened") << note.What;
        }
        if (result.Changed > 0) {
            ++changedTrees;
            EXPECT_NE(Snapshot(m.Store), before);
        }

        repair::StoreImporter importer(m.Store);
        const registry::FileStatus restored = importer.Import(m.BackupPath());
        ASSERT_TRUE(restored) << restored.Message;
        const RegistrySnapshot after = Snapshot(m.Store);
        ASSERT_TRUE(after == before) << DescribeDifference(after, before);
        wide += m.Folder.Read("backup.reg").starts_with("\xFF\xFE") ? 1 : 0;
    }
    // Nearly every tree had something to change; the restore was really tested.
    EXPECT_GT(changedTrees, kTrees * 3 / 4);
    // Names and data outside code page 1252 made most backups version 5 files.
    EXPECT_GT(wide, kTrees / 2);
}

}  // namespace
}  // namespace hivewarden::testing
