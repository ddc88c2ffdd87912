// The hand-over to the system's default action on Windows: a file that is not there is not
// handed over, and the failure names the file and the reason. (Handing over a real .reg file
// would start the registry editor's import, which waits for the user.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "files/shell_open.h"
#include "repair/backup_restore.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

using ::testing::HasSubstr;

TEST(Win32ShellOpen, AMissingFileIsNotHandedOver) {
    ASSERT_TRUE(registry::HasShellOpen());
    TempFolder folder;
    // Names in UTF-8; the folder's own path is ASCII.
    for (const std::string name : {"missing.reg", "\xE5\xA4\x87\xE4\xBB\xBD.reg"}) {
        SCOPED_TRACE(name);
        const std::string missing = folder.Folder() + name;
        const registry::FileStatus status = registry::ShellOpen(missing, nullptr);
        EXPECT_FALSE(status);
        EXPECT_THAT(status.Message, HasSubstr(missing));
        EXPECT_THAT(status.Message, HasSubstr("not found"));

        repair::ShellImporter importer;
        EXPECT_EQ(importer.Import(missing).Message, status.Message);
    }
}

}  // namespace
}  // namespace hivewarden::testing
