// A backup holds each key's subtree at most once: whole-key blocks inside earlier ones are
// left out, blocks above earlier ones leave their subtrees out, values of a key already held
// are not written again, and values of one key share one key line. Proved on the repairs
// that used to give backups the program could not restore: every key of a 300-level chain,
// and 1,200 value hits in one deep key.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "cli/app.h"
#include "files/durable_file.h"
#include "store/memory_store.h"
#include "regfile/regfile.h"
#include "repair/backup_writer.h"
#include "support/cli_runner.h"
#include "support/fake_machine.h"
#include "support/raw_values.h"
#include "support/registry_snapshot.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

using registry::kCurrentUser;

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

RegistrySnapshot LoadedSnapshot(const std::string& path) {
    registry::MemoryStore store;
    const registry::RegFileStatus status = registry::LoadRegFile(path, store);
    EXPECT_TRUE(status) << status.Message;
    return Snapshot(store);
}

TEST(BackupFileDedup, EachSubtreeIsWrittenOnceAndValuesOfOneKeyShareItsKeyLine) {
    FakeMachine machine;
    machine.Text("HKEY_CURRENT_USER\\S\\A", "a", "1")
        .Text("HKEY_CURRENT_USER\\S\\A\\B", "b", "2")
        .Text("HKEY_CURRENT_USER\\S\\A\\B\\C", "c", "3")
        .Text("HKEY_CURRENT_USER\\S\\A\\D", "d", "4")
        .Text("HKEY_CURRENT_USER\\S\\AB", "x", "5");
    TempFolder folder;
    auto file = registry::MakeDurableFile();
    repair::BackupFile backup(*file, &Windows1252());
    ASSERT_TRUE(backup.Open(folder.File("b.reg")));
    std::string error;
    // Two values of one key: one key line, the group's closing empty line after the second.
    ASSERT_TRUE(backup.AddValue("HKEY_CURRENT_USER\\S\\AB", "x", SzValue("5"), true, error));
    ASSERT_TRUE(backup.AddValue("HKEY_CURRENT_USER\\s\\ab", "y", SzValue("6"), true, error));
    // B's subtree, then A's without B's, then nothing for C (inside B) and B again.
    ASSERT_TRUE(backup.AddWholeKey(kCurrentUser, "S\\A\\B", machine.Access, error));
    ASSERT_TRUE(backup.AddWholeKey(kCurrentUser, "S\\A\\", machine.Access, error));
    EXPECT_TRUE(backup.Covers(kCurrentUser, "s\\a\\b\\c"));
    EXPECT_FALSE(backup.Covers(kCurrentUser, "S\\AB"));  // a sibling whose name starts alike
    ASSERT_TRUE(backup.AddWholeKey(kCurrentUser, "S\\A\\B\\C", machine.Access, error));
    ASSERT_TRUE(backup.AddWholeKey(kCurrentUser, "s\\a\\b", machine.Access, error));
    // A value group is ended by any other block.
    ASSERT_TRUE(backup.AddValue("HKEY_CURRENT_USER\\S\\AB", "x", SzValue("5"), false, error));
    backup.AddEmptyLine();
    ASSERT_TRUE(backup.Close());
    EXPECT_EQ(folder.Read("b.reg"),
              "REGEDIT4\r\n\r\n"
              "[HKEY_CURRENT_USER\\S\\AB]\r\n\"x\"=\"5\"\r\n\"y\"=\"6\"\r\n\r\n"
              "\r\n[HKEY_CURRENT_USER\\S\\A\\B]\r\n\"b\"=\"2\"\r\n"
              "\r\n[HKEY_CURRENT_USER\\S\\A\\B\\C]\r\n\"c\"=\"3\"\r\n\r\n"
              "\r\n[HKEY_CURRENT_USER\\S\\A]\r\n\"a\"=\"1\"\r\n"
              "\r\n[HKEY_CURRENT_USER\\S\\A\\D]\r\n\"d\"=\"4\"\r\n\r\n"
              "[HKEY_CURRENT_USER\\S\\AB]\r\n\"x\"=\"5\"\r\n\r\n");
}

// The command line over a registry file: search, delete every hit with a backup, save, then
// restore the backup onto the saved registry.
class BackupDedupCommandTest : public ::testing::Test {
  protected:
    // Runs the search with --delete and the restore; the restored registry must equal the
    // original. Returns the backup's bytes.
    std::string DeleteAndRestore(const std::string& registry, const std::string& text,
                                 const std::string& expectedSummary) {
        const std::string original = tmp_.Write("original.reg", registry);
        const CliResult r = RunCli({"search", "--registry", original, text, "--delete",
                                    "--program-folder", tmp_.Folder(), "--backup", "big",
                                    "--save-registry", tmp_.File("after.reg")});
        EXPECT_EQ(r.Code, cli::kExitOk) << r.Err;
        EXPECT_NE(r.Out.find(expectedSummary), std::string::npos)
            << r.Out.substr(r.Out.size() > 400 ? r.Out.size() - 400 : 0);
        const CliResult restore =
            RunCli({"backups", "--program-folder", tmp_.Folder(), "restore", "big", "--registry",
                    tmp_.File("after.reg"), "--output", tmp_.File("restored.reg")});
        EXPECT_EQ(restore.Code, cli::kExitOk) << restore.Err;
        EXPECT_TRUE(LoadedSnapshot(tmp_.File("restored.reg")) == LoadedSnapshot(original));
        return tmp_.Read("big.reg");
    }

    TempFolder tmp_;
};

TEST_F(BackupDedupCommandTest, EveryKeyOfA300LevelChainIsBackedUpOnceAndRestoresExactly) {
    constexpr int kDepth = 300;
    std::string registry = "REGEDIT4\r\n\r\n";
    std::string key = "HKEY_CURRENT_USER\\Software\\Chain";
    std::vector<std::string> keys;
    for (int level = 1; level <= kDepth; ++level) {
        key += "\\hit" + std::to_string(level);
        keys.push_back(key);
        // Every key is a hit by its name and one of its values by its data.
        registry += "[" + key + "]\r\n\"v\"=\"hit value " + std::to_string(level) +
                    "\"\r\n\"w\"=dword:00000001\r\n\r\n";
    }
    const std::string backup =
        DeleteAndRestore(registry, "hit", "Repaired: 1 changed, 599 already gone, 0 skipped");
    for (const std::string& k : keys) {
        ASSERT_EQ(Occurrences(backup, "[" + k + "]\r\n"), 1u) << k;
    }
    EXPECT_EQ(Occurrences(backup, "\"v\"=\"hit value "), static_cast<std::size_t>(kDepth));
    EXPECT_LT(backup.size(), registry.size() + registry.size() / 10);
}

TEST_F(BackupDedupCommandTest, OneThousandTwoHundredValueHitsInADeepKeyShareOneKeyLine) {
    std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor";
    for (int level = 0; level < 40; ++level) key += "\\Component Store Level " + std::to_string(level);
    std::string registry = "REGEDIT4\r\n\r\n[" + key + "]\r\n";
    for (int i = 0; i < 1200; ++i) {
        registry += "\"Item" + std::to_string(i) + "\"=\"C:\\\\Data\\\\target" +
                    std::to_string(i) + ".dat\"\r\n";
    }
    registry += "\"Other\"=\"kept\"\r\n\r\n";
    const std::string backup =
        DeleteAndRestore(registry, "target", "Repaired: 1200 changed, 0 already gone, 0 skipped");
    EXPECT_EQ(Occurrences(backup, "[" + key + "]\r\n"), 1u);
    EXPECT_EQ(Occurrences(backup, "\\\\target"), 1200u);
    // The values themselves and one key line: no larger than the registry file.
    EXPECT_LT(backup.size(), registry.size());
}

}  // namespace
}  // namespace hivewarden::testing
