// Backups are created, never replaced: a name another writer took first stays that writer's
// file; a name the program chose moves on to the next free one, also between runs that write
// at the same moment.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "files/durable_file.h"
#include "regfile/regfile_writer.h"
#include "text/code_page.h"
#include "repair/backup_writer.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

// A backup of one value, `marker`, written to `path`.
registry::FileStatus WriteBackup(const std::string& path, const std::string& marker,
                                 bool nextFreeName, std::string* written = nullptr) {
    auto file = registry::MakeDurableFile();
    repair::BackupFile backup(*file, &Windows1252());
    if (registry::FileStatus opened = backup.Open(path, nextFreeName); !opened) return opened;
    std::string error;
    backup.AddValue("HKEY_CURRENT_USER\\Software\\Test", "marker",
                    registry::RawValue{registry::kRegDword, marker}, true, error);
    registry::FileStatus status = backup.Close();
    if (written) *written = backup.Path();
    return status;
}

std::size_t FileCount(const TempFolder& folder) {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.HostPath(""))) {
        (void)entry;
        ++count;
    }
    return count;
}

TEST(BackupExclusive, ANameTakenMeanwhileIsNeverReplaced) {
    TempFolder folder;
    const std::string path = folder.File("1-1-2026-1-1-1.reg");
    auto file = registry::MakeDurableFile();
    repair::BackupFile backup(*file, nullptr);
    ASSERT_TRUE(backup.Open(path));
    folder.Write("1-1-2026-1-1-1.reg", "the other run's backup");
    const registry::FileStatus status = backup.Close();
    EXPECT_FALSE(status);
    EXPECT_TRUE(status.Exists) << status.Message;
    EXPECT_EQ(folder.Read("1-1-2026-1-1-1.reg"), "the other run's backup");
    EXPECT_EQ(FileCount(folder), 1u);  // no temporary file is left
}

TEST(BackupExclusive, AChosenNameMovesOnToTheNextFreeOne) {
    TempFolder folder;
    folder.Write("1-1-2026-1-1-1.reg", "first");
    folder.Write("1-1-2026-1-1-1-2.reg", "second");
    std::string written;
    ASSERT_TRUE(WriteBackup(folder.File("1-1-2026-1-1-1.reg"), "abcd", true, &written));
    EXPECT_EQ(written, folder.File("1-1-2026-1-1-1-3.reg"));
    EXPECT_EQ(folder.Read("1-1-2026-1-1-1.reg"), "first");
    EXPECT_EQ(folder.Read("1-1-2026-1-1-1-2.reg"), "second");
    EXPECT_NE(folder.Read("1-1-2026-1-1-1-3.reg").find("dword:64636261"), std::string::npos);
}

TEST(BackupExclusive, RunsWritingAtOnceNeverShareAFile) {
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE(round);
        TempFolder folder;
        const std::string path = folder.File("1-1-2026-1-1-1.reg");
        std::string written[2];
        bool ok[2] = {false, false};
        std::thread first([&] { ok[0] = WriteBackup(path, "aaaa", true, &written[0]).Ok; });
        std::thread second([&] { ok[1] = WriteBackup(path, "bbbb", true, &written[1]).Ok; });
        first.join();
        second.join();
        ASSERT_TRUE(ok[0] && ok[1]);
        EXPECT_NE(written[0], written[1]);
        EXPECT_EQ(FileCount(folder), 2u);
        // Each file holds its own run's value.
        const std::string name0 = std::filesystem::path(written[0]).filename().string();
        const std::string name1 = std::filesystem::path(written[1]).filename().string();
        EXPECT_NE(folder.Read(name0).find("dword:61616161"), std::string::npos);
        EXPECT_NE(folder.Read(name1).find("dword:62626262"), std::string::npos);
    }
}

}  // namespace
}  // namespace hivewarden::testing
