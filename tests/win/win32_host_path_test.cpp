// The program's own files on Windows through std::filesystem and the C runtime: UTF-8 paths
// with names in other scripts, also in folders longer than MAX_PATH, are created, found,
// listed, read and removed (a narrow path would be read in the ANSI code page, and a long one
// refused).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "files/host_path.h"
#include "win/win32_test_support.h"

namespace hivewarden::testing {
namespace {

namespace fs = std::filesystem;
using registry::FromHostPath;
using registry::OpenHostFile;
using registry::ToHostPath;

TEST(Win32HostPath, NamesInAnyScriptWorkThroughTheHostFunctions) {
    ThrowawayFolder scratch("HivewardenHost-");
    ASSERT_FALSE(scratch.Path.empty());
    const std::string folder = scratch.Path + "\\\xE7\xA8\x8B\xE5\xBA\x8F";  // 程序
    std::error_code ec;
    fs::create_directories(ToHostPath(folder), ec);
    ASSERT_FALSE(ec) << ec.message();
    const std::string name = "\xE5\xA4\x87\xE4\xBB\xBD \xF0\x9F\x98\x80.reg";  // 备份 😀.reg
    const std::string file = folder + "\\" + name;
    std::ofstream(ToHostPath(file), std::ios::binary) << "REGEDIT4\r\n";
    EXPECT_EQ(FileBytes(file), "REGEDIT4\r\n");  // read through the wide functions themselves
    EXPECT_TRUE(fs::exists(ToHostPath(file), ec));

    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(ToHostPath(folder), ec)) {
        names.push_back(FromHostPath(entry.path().filename()));
    }
    EXPECT_FALSE(ec) << ec.message();
    EXPECT_EQ(names, std::vector<std::string>{name});

    EXPECT_TRUE(fs::remove(ToHostPath(file), ec)) << ec.message();
    EXPECT_FALSE(fs::exists(ToHostPath(file), ec));
}

TEST(Win32HostPath, OpenHostFileTakesNamesInAnyScriptAtAnyLength) {
    ThrowawayFolder scratch("HivewardenHost-");
    ASSERT_FALSE(scratch.Path.empty());
    std::string deep = scratch.Path + "\\\xE7\xA8\x8B\xE5\xBA\x8F";  // 程序
    for (int level = 0; level < 8; ++level) {
        deep += "\\" + std::string(30, static_cast<char>('k' + level));
    }
    ASSERT_TRUE(MakeFolders(deep));
    for (const std::string& folder : {scratch.Path, deep}) {
        SCOPED_TRACE(folder.size());
        const std::string file = folder + "\\\xCE\xA9mega.reg";
        std::FILE* written = OpenHostFile(file, "wb");
        ASSERT_NE(written, nullptr);
        EXPECT_EQ(std::fwrite("REGEDIT4", 1, 8, written), 8u);
        EXPECT_EQ(std::fclose(written), 0);
        EXPECT_EQ(FileBytes(file), "REGEDIT4");

        std::FILE* read = OpenHostFile(file, "rb");
        ASSERT_NE(read, nullptr);
        char head[8] = {};
        EXPECT_EQ(std::fread(head, 1, 8, read), 8u);
        std::fclose(read);
        EXPECT_EQ(std::string(head, 8), "REGEDIT4");
    }
    EXPECT_EQ(OpenHostFile(scratch.Path + "\\\xE7\x8E\x8B\\missing.reg", "rb"), nullptr);
}

}  // namespace
}  // namespace hivewarden::testing
