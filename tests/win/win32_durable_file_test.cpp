// The Windows durable file against the real file system: files named in other scripts and
// files in folders longer than MAX_PATH are written, committed over an older file and leave no
// temporary file behind; a failure names the file as given and the system's reason.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "files/durable_file.h"
#include "win/win32_test_support.h"

namespace hivewarden::testing {
namespace {

using ::testing::HasSubstr;

// The names in a folder (without "." and "..").
std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((LongWide(folder) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(Utf8Of(name));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

registry::FileStatus WriteDurably(const std::string& path, const std::string& bytes) {
    const std::unique_ptr<registry::DurableFile> file = registry::MakeDurableFile();
    registry::FileStatus status = file->Begin(path);
    if (status) status = file->Write(bytes);
    if (status) status = file->Commit();
    return status;
}

TEST(Win32DurableFile, WritesFilesNamedInAnyScriptAndInLongFolders) {
    ThrowawayFolder scratch("HivewardenDurable-");
    ASSERT_FALSE(scratch.Path.empty());
    std::string deep = scratch.Path + "\\\xE7\xA8\x8B\xE5\xBA\x8F";  // 程序
    for (int level = 0; level < 10; ++level) {
        deep += "\\" + std::string(30, static_cast<char>('a' + level));
    }
    ASSERT_GT(deep.size(), 300u);
    ASSERT_TRUE(MakeFolders(deep));
    struct Case {
        const char* name;
        std::string folder;
        std::string file;
    };
    const Case cases[] = {
        {"CJK name", scratch.Path, "\xE5\x90\x8D\xE5\x89\x8D.reg"},
        {"emoji name", scratch.Path, "\xF0\x9F\x98\x80 backup.reg"},
        {"long folder", deep, "\xCE\xA9mega.reg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.folder + "\\" + c.file;
        ASSERT_TRUE(MakeFile(path, "older"));
        const registry::FileStatus status = WriteDurably(path, "REGEDIT4\r\n");
        ASSERT_TRUE(status) << status.Message;
        EXPECT_EQ(FileBytes(path), "REGEDIT4\r\n");
        EXPECT_THAT(FolderNames(c.folder), ::testing::Contains(c.file));
        for (const std::string& name : FolderNames(c.folder)) {
            EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
        }
    }
}

TEST(Win32DurableFile, AFailureNamesTheFileAndTheReason) {
    ThrowawayFolder scratch("HivewardenDurable-");
    ASSERT_FALSE(scratch.Path.empty());
    const std::string path = scratch.Path + "\\\xE7\x8E\x8B\\missing\\backup.reg";
    const registry::FileStatus status = WriteDurably(path, "x");
    EXPECT_FALSE(status);
    EXPECT_THAT(status.Message, HasSubstr("cannot create " + path + ": "));
    EXPECT_GT(status.Message.size(), ("cannot create " + path + ": ").size());
}

}  // namespace
}  // namespace hivewarden::testing
