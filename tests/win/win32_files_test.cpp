// The Windows file probes against the real file system: a throwaway folder below the temp
// folder for existence, listing, reading and deleting, with names in other scripts and paths
// longer than MAX_PATH; the environment, the Windows folder, network paths and the system
// folder seen without WOW64 redirection.
#include "files/win32_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "text/text.h"
#include "win/win32_test_support.h"

namespace hivewarden::testing {
namespace {

using registry::DirEntry;
using registry::Win32Files;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

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
        ASSERT_FALSE(scratch_.Path.empty()) << "cannot create a folder below the temp folder";
        folder_ = scratch_.Path + "\\";
    }
    // A path below the scratch folder.
    std::string At(const std::string& below) const { return folder_ + below; }
    void MakeFile(const std::string& below, const std::string& contents = "x") {
        ASSERT_TRUE(hivewarden::testing::MakeFile(At(below), contents)) << At(below);
    }
    void MakeFolder(const std::string& below) { ASSERT_TRUE(MakeFolders(At(below))) << At(below); }
    static std::vector<std::string> Names(std::vector<DirEntry> entries) {
        std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) {
            return CompareNoCase(a.Name, b.Name) < 0;
        });
        std::vector<std::string> names;
        for (const DirEntry& e : entries) names.push_back(e.Name);
        return names;
    }

    ThrowawayFolder scratch_{"HivewardenFiles-"};
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
    ASSERT_TRUE(SetEnvironmentVariableW(L"HW_PROBE_DIR", L"C:\\Data"));
    ASSERT_TRUE(SetEnvironmentVariableW(L"HW_PROBE_LONG", WideOf(longValue).c_str()));
    ASSERT_TRUE(SetEnvironmentVariableW(L"HW_PROBE_CJK", L"C:\\\u674E\u660E"));
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
        {"value in CJK", "%HW_PROBE_CJK%\\x", "C:\\\xE6\x9D\x8E\xE6\x98\x8E\\x"},
        {"text in other scripts around a name", "\xCE\xA9\\%HW_PROBE_DIR%\\\xF0\x9F\x98\x80",
         "\xCE\xA9\\C:\\Data\\\xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(files_.ExpandEnvironment(c.text), c.expanded);
    }
    SetEnvironmentVariableW(L"HW_PROBE_DIR", nullptr);
    SetEnvironmentVariableW(L"HW_PROBE_LONG", nullptr);
    SetEnvironmentVariableW(L"HW_PROBE_CJK", nullptr);
}

TEST_F(Win32FilesTest, WindowsDirectoryEndsInOneBackslashAndHoldsTheSystemFolder) {
    const std::string dir = files_.WindowsDirectory();
    ASSERT_GE(dir.size(), 4u);
    EXPECT_EQ(dir.back(), '\\');
    EXPECT_NE(dir[dir.size() - 2], '\\');
    EXPECT_TRUE(EqualsNoCase(dir, files_.ExpandEnvironment("%SystemRoot%\\")));
    EXPECT_TRUE(files_.IsDirectory(dir + "System32"));
}

// Windows finds a font registered by its bare name in its own Fonts folder only; Wine's font
// loader looks in Wine's fonts folder next, where the fonts Wine ships are (coure.fon, which
// a fresh prefix's registry names while its Fonts folder is empty).
TEST_F(Win32FilesTest, FontFoldersAreWindowsFontsAndUnderWineAlsoWinesOwn) {
    const std::vector<std::string> folders = files_.FontFolders();
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(folders.front(), files_.WindowsDirectory() + "Fonts\\");
    if (!RunningUnderWine()) {
        EXPECT_EQ(folders.size(), 1u);
        return;
    }
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_TRUE(files_.IsDirectory(folders[1])) << folders[1];
    EXPECT_TRUE(files_.FileExists(folders[1] + "coure.fon")) << folders[1];
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
        CreateSymbolicLinkW(WideOf(At("file-link")).c_str(), WideOf(At("target.txt")).c_str(),
                            unprivileged);
    const bool folderLink =
        CreateSymbolicLinkW(WideOf(At("folder-link")).c_str(), WideOf(At("folder")).c_str(),
                                                SYMBOLIC_LINK_FLAG_DIRECTORY | unprivileged);
    // Wine 8 reports success without creating anything; Windows may refuse without the
    // privilege.
    if (!fileLink || !folderLink ||
        GetFileAttributesW(WideOf(At("folder-link")).c_str()) == INVALID_FILE_ATTRIBUTES) {
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

// Names in other scripts reach the file system as the same characters and come back as the
// same UTF-8; components match in any case by the file system's own rule.
TEST_F(Win32FilesTest, NamesInAnyScriptAreFoundListedReadAndDeleted) {
    const std::string cjk = "\xE6\x9D\x8E\xE6\x98\x8E";       // 李明
    const std::string omega = "\xCF\x89mega";                     // ωmega
    const std::string emoji = "\xF0\x9F\x98\x80";               // a surrogate pair
    const std::string arabic = "\xD8\xAA\xD8\xAC\xD8\xB1\xD8\xA8\xD8\xA9.txt";  // تجربة.txt
    MakeFolder(cjk);
    MakeFile(cjk + "\\app.exe", "MZ");
    MakeFolder(omega);
    MakeFile(omega + "\\" + emoji + ".dll");
    MakeFile(arabic, "data");
    struct Case {
        const char* name;
        std::string path;
        bool exists;
        bool isFolder;
    };
    const Case cases[] = {
        {"CJK folder", At(cjk), true, true},
        {"file in a CJK folder", At(cjk + "\\app.exe"), true, false},
        {"Greek folder in upper case", At("\xCE\xA9MEGA"), true, true},
        {"emoji file name", At(omega + "\\" + emoji + ".dll"), true, false},
        {"Arabic file name", At(arabic), true, false},
        {"missing CJK folder", At("\xE7\x8E\x8B\\app.exe"), false, false},
        {"a look-alike is another name", At("Omega"), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(files_.FileExists(c.path), c.exists);
        EXPECT_EQ(files_.IsDirectory(c.path), c.isFolder);
    }
    std::vector<DirEntry> entries;
    ASSERT_TRUE(files_.ListDirectory(folder_, entries));
    std::vector<std::string> names = Names(entries);
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected = {cjk, omega, arabic};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    ASSERT_TRUE(files_.ListDirectory(At(omega), entries));
    EXPECT_THAT(Names(entries), ElementsAre(emoji + ".dll"));
    std::string bytes;
    ASSERT_TRUE(files_.ReadWholeFile(At(arabic), 100, bytes));
    EXPECT_EQ(bytes, "data");
    EXPECT_TRUE(files_.DeleteFile(At(arabic)));
    EXPECT_FALSE(files_.FileExists(At(arabic)));
}

// Paths longer than MAX_PATH name files like any other: the probes hand them to the system in
// their long form, and "." and ".." in them still count.
TEST_F(Win32FilesTest, PathsLongerThanMaxPathAreProbedListedReadAndDeleted) {
    std::string deep;
    for (int level = 0; level < 12; ++level) {
        deep += "folder-" + std::string(20, static_cast<char>('a' + level)) + "-\xCE\xA9\\";
    }
    deep += "leaf";
    ASSERT_GT(At(deep).size(), 300u);
    MakeFolder(deep);
    MakeFile(deep + "\\app.exe", "long");
    const std::string file = At(deep + "\\app.exe");
    EXPECT_TRUE(files_.FileExists(file));
    EXPECT_FALSE(files_.IsDirectory(file));
    EXPECT_TRUE(files_.IsDirectory(At(deep)));
    EXPECT_TRUE(files_.FileExists(At(deep + "\\..\\leaf\\.\\app.exe")));
    EXPECT_FALSE(files_.FileExists(At(deep + "\\gone.exe")));
    std::vector<DirEntry> entries;
    ASSERT_TRUE(files_.ListDirectory(At(deep), entries));
    EXPECT_THAT(Names(entries), ElementsAre("app.exe"));
    std::string bytes;
    ASSERT_TRUE(files_.ReadWholeFile(file, 100, bytes));
    EXPECT_EQ(bytes, "long");
    EXPECT_TRUE(files_.DeleteFile(file));
    EXPECT_FALSE(files_.FileExists(file));
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
    const HANDLE file = CreateFileW(WideOf(kernel32).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
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
