// The Windows file probes against the real file system: a throwaway folder below the temp
// folder for existence, listing, reading and deleting; the environment, the Windows folder,
// network paths and the system folder seen without WOW64 redirection.
#include "registry/win32_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "registry/text.h"
#include "win/win32_test_support.h"

namespace hivewarden::testing {
namespace {

using registry::DirEntry;
using registry::Win32Files;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Deletes a folder with everything in it (test cleanup only; links are removed, not followed).
void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const bool isLink = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (isFolder && !isLink) {
                RemoveTree(path);
            } else if (isFolder) {
                RemoveDirectoryA(path.c_str());
            } else {
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// The machine type of a PE file's header (0x8664 x64, 0x14C x86); 0 when it is none.
unsigned PeMachine(const std::string& image) {
    if (image.size() < 0x40 || image.compare(0, 2, "MZ") != 0) return 0;
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(image[i]); };
    const std::size_t pe = byteAt(0x3C) | byteAt(0x3D) << 8 | byteAt(0x3E) << 16;
    if (pe + 6 > image.size() || image.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return 0;
    return byteAt(pe + 4) | byteAt(pe + 5) << 8;
}

class Win32FilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH + 1] = {};
        ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
        folder_ = ClaimFreshName(std::string(temp) + "HivewardenFiles-",
                                 [](const std::string& p) {
                                     return CreateDirectoryA(p.c_str(), nullptr) != FALSE;
                                 }) +
                  "\\";
        ASSERT_GT(folder_.size(), 1u) << "cannot create a folder below " << temp;
    }
    void TearDown() override {
        if (folder_.size() > 1) RemoveTree(folder_.substr(0, folder_.size() - 1));
    }
    // A path below the scratch folder.
    std::string At(const std::string& below) const { return folder_ + below; }
    void MakeFile(const std::string& below, const std::string& contents = "x") {
        const HANDLE file = CreateFileA(At(below).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << At(below);
        DWORD written = 0;
        const BOOL ok = WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()),
                                  &written, nullptr);
        CloseHandle(file);
        ASSERT_TRUE(ok && written == contents.size()) << At(below);
    }
    void MakeFolder(const std::string& below) {
        ASSERT_TRUE(CreateDirectoryA(At(below).c_str(), nullptr)) << At(below);
    }
    static std::vector<std::string> Names(std::vector<DirEntry> entries) {
        std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) {
            return CompareNoCase(a.Name, b.Name) < 0;
        });
        std::vector<std::string> names;
        for (const DirEntry& e : entries) names.push_back(e.Name);
        return names;
    }

    Win32Files files_;
    std::string folder_;  // with a trailing "\"
};

TEST_F(Win32FilesTest, ExistenceAndFolderProbes) {
    MakeFolder("Sub");
    MakeFile("Sub\\app.exe");
    struct Case {
        const char* name;
        std::string path;
        bool exists;
        bool isFolder;
    };
    const Case cases[] = {
        {"file", At("Sub\\app.exe"), true, false},
        {"file in other case", At("SUB\\APP.EXE"), true, false},
        {"folder", At("Sub"), true, true},
        {"folder with trailing backslash", At("Sub\\"), true, true},
        {"missing file", At("Sub\\gone.exe"), false, false},
        {"file in a missing folder", At("Gone\\app.exe"), false, false},
        {"empty path", "", false, false},
        {"path with an inner zero", At("Sub") + std::string(1, '\0') + "x", false, false},
        {"path of MAX_PATH characters", At("Sub\\") + std::string(MAX_PATH, 'a'), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(files_.FileExists(c.path), c.exists);
        EXPECT_EQ(files_.IsDirectory(c.path), c.isFolder);
    }
}

TEST_F(Win32FilesTest, NetworkPathsAreUncPathsWithoutAskingTheNetwork) {
    struct Case {
        const char* name;
        std::string path;
        bool network;
    };
    const Case cases[] = {
        {"UNC file", "\\\\server\\share\\app.exe", true},
        {"UNC share", "\\\\server\\share", true},
        {"long UNC path", "\\\\server\\share\\" + std::string(400, 'a'), true},
        {"local file", At("app.exe"), false},
        {"relative path", "folder\\app.exe", false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(files_.IsNetworkPath(c.path), c.network);
    }
}

TEST_F(Win32FilesTest, ExpandEnvironmentReplacesKnownNamesOnly) {
    using namespace std::string_literals;
    const std::string longValue(2000, 'L');
    ASSERT_TRUE(SetEnvironmentVariableA("HW_PROBE_DIR", "C:\\Data"));
    ASSERT_TRUE(SetEnvironmentVariableA("HW_PROBE_LONG", longValue.c_str()));
    struct Case {
        const char* name;
        std::string text;
        std::string expanded;
    };
    const Case cases[] = {
        {"one name", "%HW_PROBE_DIR%\\a.dll", "C:\\Data\\a.dll"},
        {"name in other case", "%hw_probe_dir%\\a.dll", "C:\\Data\\a.dll"},
        {"unknown name stays", "%HW_PROBE_NONE%\\a.dll", "%HW_PROBE_NONE%\\a.dll"},
        {"no names", "C:\\plain.txt", "C:\\plain.txt"},
        {"empty", "", ""},
        {"result longer than MAX_PATH", "%HW_PROBE_LONG%!", longValue + "!"},
        {"every piece of a multi-string", "%HW_PROBE_DIR%\0%HW_PROBE_DIR%\\b\0"s,
         "C:\\Data\0C:\\Data\\b\0"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(files_.ExpandEnvironment(c.text), c.expanded);
    }
    SetEnvironmentVariableA("HW_PROBE_DIR", nullptr);
    SetEnvironmentVariableA("HW_PROBE_LONG", nullptr);
}

TEST_F(Win32FilesTest, WindowsDirectoryEndsInOneBackslashAndHoldsTheSystemFolder) {
    const std::string dir = files_.WindowsDirectory();
    ASSERT_GE(dir.size(), 4u);
    EXPECT_EQ(dir.back(), '\\');
    EXPECT_NE(dir[dir.size() - 2], '\\');
    EXPECT_TRUE(EqualsNoCase(dir, files_.ExpandEnvironment("%SystemRoot%\\")));
    EXPECT_TRUE(files_.IsDirectory(dir + "System32"));
}

TEST_F(Win32FilesTest, ListDirectoryGivesNamesAndFlagsWithoutDotEntries) {
    MakeFile("a.txt");
    MakeFile("B.dat");
    MakeFolder("sub");
    MakeFile("sub\\inner.txt");
    MakeFolder("empty");
    std::vector<DirEntry> entries;
    ASSERT_TRUE(files_.ListDirectory(folder_, entries));
    EXPECT_THAT(Names(entries), ElementsAre("a.txt", "B.dat", "empty", "sub"));
    for (const DirEntry& e : entries) {
        SCOPED_TRACE(e.Name);
        EXPECT_EQ(e.IsDirectory, e.Name == "sub" || e.Name == "empty");
        EXPECT_FALSE(e.IsLink);
    }
    // Without the trailing backslash, too.
    ASSERT_TRUE(files_.ListDirectory(At("sub"), entries));
    EXPECT_THAT(Names(entries), ElementsAre("inner.txt"));
    ASSERT_TRUE(files_.ListDirectory(At("empty"), entries));
    EXPECT_THAT(entries, IsEmpty());
}

TEST_F(Win32FilesTest, ListDirectoryRefusesWhatIsNoFolderAndKeepsTheOldList) {
    MakeFile("a.txt");
    std::vector<DirEntry> entries{{"kept", false, false}};
    EXPECT_FALSE(files_.ListDirectory(At("missing"), entries));
    EXPECT_FALSE(files_.ListDirectory(At("a.txt"), entries));
    EXPECT_FALSE(files_.ListDirectory("", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Name, "kept");
}

TEST_F(Win32FilesTest, ListDirectoryMarksSymbolicLinks) {
    MakeFile("target.txt");
    MakeFolder("folder");
    // Windows 10 and later let a user without the privilege create links in developer mode.
    const DWORD unprivileged = 0x2;
    const bool fileLink =
        CreateSymbolicLinkA(At("file-link").c_str(), At("target.txt").c_str(), unprivileged);
    const bool folderLink = CreateSymbolicLinkA(At("folder-link").c_str(), At("folder").c_str(),
                                                SYMBOLIC_LINK_FLAG_DIRECTORY | unprivileged);
    // Wine 8 reports success without creating anything; Windows may refuse without the
    // privilege.
    if (!fileLink || !folderLink ||
        GetFileAttributesA(At("folder-link").c_str()) == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "symbolic links cannot be created here";
    }
    std::vector<DirEntry> entries;
    ASSERT_TRUE(files_.ListDirectory(folder_, entries));
    for (const DirEntry& e : entries) {
        SCOPED_TRACE(e.Name);
        EXPECT_EQ(e.IsLink, e.Name.find("link") != std::string::npos);
        EXPECT_EQ(e.IsDirectory, e.Name.find("folder") != std::string::npos);
    }
    EXPECT_EQ(entries.size(), 4u);
}

TEST_F(Win32FilesTest, ReadWholeFileReadsUpToTheLimit) {
    using namespace std::string_literals;
    std::string big(200 * 1024, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 % 251);
    MakeFile("small.bin", "MZ\0\x01text\r\n"s);
    MakeFile("big.bin", big);
    MakeFile("empty.bin", "");
    MakeFolder("folder");
    struct Case {
        const char* name;
        std::string path;
        std::size_t limit;
        bool ok;
        std::string bytes;
    };
    const Case cases[] = {
        {"whole small file with zeros", At("small.bin"), 1024, true, "MZ\0\x01text\r\n"s},
        {"limit shorter than the file", At("small.bin"), 3, true, "MZ\0"s},
        {"limit of zero", At("small.bin"), 0, true, ""},
        {"empty file", At("empty.bin"), 10, true, ""},
        {"more than one piece", At("big.bin"), 150000, true, big.substr(0, 150000)},
        {"whole big file", At("big.bin"), big.size() + 1, true, big},
        {"missing file", At("missing.bin"), 10, false, "unchanged"},
        {"folder", At("folder"), 10, false, "unchanged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = "unchanged";
        EXPECT_EQ(files_.ReadWholeFile(c.path, c.limit, bytes), c.ok);
        EXPECT_EQ(bytes.size(), c.bytes.size());
        EXPECT_TRUE(bytes == c.bytes);
    }
}

TEST_F(Win32FilesTest, DeleteFileDeletesFilesButNotFolders) {
    MakeFile("doomed.lnk");
    MakeFolder("folder");
    EXPECT_TRUE(files_.DeleteFile(At("doomed.lnk")));
    EXPECT_FALSE(files_.FileExists(At("doomed.lnk")));
    EXPECT_FALSE(files_.DeleteFile(At("doomed.lnk")));
    EXPECT_FALSE(files_.DeleteFile(At("folder")));
    EXPECT_TRUE(files_.IsDirectory(At("folder")));
}

// A 32-bit process on 64-bit Windows sees SysWOW64 when it asks for System32 unless the
// redirection is switched off. The probes must see the native system folder (x64 DLLs there),
// and must switch the redirection on again afterwards.
TEST(Win32FilesSystemFolder, ProbesSeeTheNativeSystemFolderAndLeaveRedirectionOn) {
    Win32Files files;
    EXPECT_EQ(files.PausesRedirection(), TestProcessIsWow64());
    const std::string kernel32 = files.WindowsDirectory() + "System32\\kernel32.dll";
    std::string image;
    ASSERT_TRUE(files.ReadWholeFile(kernel32, 4096, image));
    const unsigned probed = PeMachine(image);
    ASSERT_NE(probed, 0u);
    const bool system64 = TestProcessIsWow64() || sizeof(void*) == 8;
    if (system64) {
        EXPECT_NE(probed, 0x14Cu) << "the probe saw the 32-bit system folder";
    }
    std::vector<DirEntry> entries;
    ASSERT_TRUE(files.ListDirectory(files.WindowsDirectory() + "System32", entries));
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const DirEntry& e) {
        return EqualsNoCase(e.Name, "kernel32.dll");
    }));

    // Plain file calls of this process are redirected again (a WOW64 process reads the x86
    // kernel32 through the System32 name).
    std::string plain;
    const HANDLE file = CreateFileA(kernel32.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        plain.resize(4096);
        DWORD got = 0;
        ReadFile(file, plain.data(), static_cast<DWORD>(plain.size()), &got, nullptr);
        plain.resize(got);
        CloseHandle(file);
    }
    const unsigned expected = TestProcessIsWow64() ? 0x14Cu : probed;
    EXPECT_EQ(PeMachine(plain), expected);
}

}  // namespace
}  // namespace hivewarden::testing
