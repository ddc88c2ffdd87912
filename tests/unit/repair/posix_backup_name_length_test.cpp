// Backup names against this host's real limits: a file name holds NAME_MAX bytes (not
// characters), so a name that fits is written under it, temporary file included, and one
// that does not is refused before any work. Linux only (the limits are the host's).
#include <gtest/gtest.h>

#include <limits.h>

#include <optional>
#include <string>

#include "files/durable_file.h"
#include "repair/backup_catalogue.h"
#include "repair/backup_writer.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

TEST(BackupNameLength, ANameAsLongAsAFileNameMayBeIsWritten) {
    TempFolder folder;
    // 251 bytes and ".reg": 255, the longest name; the temporary file beside it fits too.
    const std::string name(NAME_MAX - 4, 'n');
    ASSERT_EQ(repair::ValidateBackupName(name), std::nullopt);
    ASSERT_EQ(repair::CheckBackupPathLength(folder.Folder(), name), std::nullopt);
    auto file = registry::MakeDurableFile();
    repair::BackupFile backup(*file, nullptr);
    ASSERT_TRUE(backup.Open(repair::BackupFilePath(folder.Folder(), name)));
    backup.AddEmptyLine();
    const registry::FileStatus status = backup.Close();
    ASSERT_TRUE(status) << status.Message;
    EXPECT_EQ(folder.Read(name + ".reg").substr(0, 8), std::string("\xFF\xFEW\0i\0n\0", 8));
}

TEST(BackupNameLength, ANameOfTooManyBytesIsRefusedBeforeAnyWork) {
    TempFolder folder;
    // 100 CJK characters: short enough for Windows' 255 characters, but 300 bytes here.
    std::string name;
    for (int i = 0; i < 100; ++i) name += "\xE6\xB5\x8B";
    ASSERT_EQ(repair::ValidateBackupName(name), std::nullopt);
    const std::optional<std::string> problem = repair::CheckBackupPathLength(folder.Folder(), name);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(*problem, "the file name takes 304 bytes, more than the 255 this file system allows");
}

}  // namespace
}  // namespace hivewarden::testing
