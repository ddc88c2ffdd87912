// MappedFiles over a real host folder made by the test: probes, environment expansion,
// listing, reading and deleting, including the ways a path could try to leave the drive.
// Host features some hosts lack (symbolic links, names that differ only in case, names
// Windows forbids) are set up where the host has them and their tests skip elsewhere.
#include "files/mapped_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "files/windows_path.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using registry::DirEntry;
using registry::MappedFiles;
using registry::MappedFilesConfig;
using ::testing::ElementsAre;

void WriteFile(const fs::path& path, const std::string& contents) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}

const bool kSlashHost = fs::path::preferred_separator == '/';

// drive_c is C:, drive_e is mapped to a folder that does not exist, D: is not mapped, and
// "outside" lies next to the drive folders where no path may reach. C:\Links holds symbolic
// links and C:\Dup two names differing only in case, where the host can hold them.
class MappedFilesTest : public ::testing::Test {
  protected:
    MappedFilesTest() : root_(fs::path(tmp_.Folder()).parent_path()), c_(root_ / "drive_c") {
        WriteFile(c_ / "Windows" / "system32" / "shell32.dll", "MZ shell");
        fs::create_directories(c_ / "Windows" / "Fonts");
        WriteFile(c_ / "Program Files" / "App" / "app.exe", "MZ app");
        WriteFile(c_ / "Docs" / "a.txt", "alpha");
        WriteFile(c_ / "Docs" / "Readme.TXT", "readme");
        fs::create_directories(c_ / "Docs" / "sub");
        WriteFile(c_ / fs::path(u8"Caf\u00e9") / "x.txt", "utf-8 name");
        WriteFile(root_ / "outside" / "secret.txt", "secret");

        WriteFile(c_ / "Dup" / "case.txt", "lower");
        WriteFile(c_ / "Dup" / "CASE.txt", "upper");
        caseTwins_ = std::distance(fs::directory_iterator(c_ / "Dup"), {}) == 2;

        const fs::path links = c_ / "Links";
        fs::create_directories(links);
        const fs::path up = "..";
        std::error_code ec;
        fs::create_directory_symlink(up / "Program Files" / "App", links / "ToApp", ec);
        links_ = !ec;
        fs::create_directory_symlink(up / up / "outside", links / "Escape", ec);
        fs::create_symlink(up / "Program Files" / "App" / "app.exe", links / "app-link.exe", ec);
        fs::create_symlink("nowhere.exe", links / "Dangling", ec);
        links_ = links_ && !ec;
    }

    MappedFilesConfig Config() const {
        MappedFilesConfig config;
        config.Drives['C'] = c_;
        config.Drives['e'] = root_ / "drive_e";
        return config;
    }

    TempFolder tmp_;
    fs::path root_;
    fs::path c_;
    bool caseTwins_ = false;  // the host keeps case.txt and CASE.txt apart
    bool links_ = false;      // the host made the symbolic links
};

struct ProbeCase {
    const char* name;
    std::string path;
    bool exists;
    bool directory;
};

void ExpectProbes(MappedFiles& files, const std::vector<ProbeCase>& cases) {
    for (const ProbeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(files.FileExists(c.path), c.exists);
        EXPECT_EQ(files.IsDirectory(c.path), c.directory);
    }
}

MATCHER_P3(IsEntry, name, directory, link, "") {
    return arg.Name == name && arg.IsDirectory == directory && arg.IsLink == link;
}

TEST_F(MappedFilesTest, ProbesReadWindowsPaths) {
    MappedFiles files(Config());
    ExpectProbes(
        files,
        {
            {"file as spelt", "C:\\Windows\\system32\\shell32.dll", true, false},
            {"file in other case", "c:\\WINDOWS\\SYSTEM32\\Shell32.DLL", true, false},
            {"folder", "C:\\Program Files\\App", true, true},
            {"folder with trailing backslash", "C:\\Program Files\\App\\", true, true},
            {"file with trailing backslash", "C:\\Docs\\a.txt\\", false, false},
            {"drive root", "C:\\", true, true},
            {"drive root in lower case", "c:\\", true, true},
            {"forward slashes as for the Win32 file functions", "C:/Docs/a.txt", true, false},
            {"doubled separators count once", "C:\\Windows\\\\system32", true, true},
            {"drive without separator is relative", "C:", false, false},
            {"drive-relative path", "C:Docs", false, false},
            {"root-relative path", "\\Docs\\a.txt", false, false},
            {"relative path", "Docs\\a.txt", false, false},
            {"empty text", "", false, false},
            {"unmapped drive", "D:\\", false, false},
            {"drive mapped to a missing folder", "E:\\", false, false},
            {"missing file", "C:\\Windows\\nope.dll", false, false},
            {"missing folder on the way", "C:\\Nope\\a.txt", false, false},
            {"file used as a folder", "C:\\Docs\\a.txt\\b", false, false},
            {"UNC path", "\\\\server\\share\\f.txt", false, false},
            {"UNC path with slashes", "//server/share/f.txt", false, false},
            {"device path", "\\\\?\\C:\\Docs\\a.txt", false, false},
            {"dot-dot stops at the drive root", "C:\\..\\outside\\secret.txt", false, false},
            {"dot-dot inside the drive", "C:\\Windows\\..\\Docs\\a.txt", true, false},
            {"dot component", "C:\\.\\Docs", true, true},
            {"less than", "C:\\Docs\\a<.txt", false, false},
            {"greater than", "C:\\Docs\\a>.txt", false, false},
            {"double quote", "C:\\Docs\\\"a.txt\"", false, false},
            {"pipe", "C:\\Docs|a.txt", false, false},
            {"question mark", "C:\\Docs\\a.tx?", false, false},
            {"asterisk", "C:\\Docs\\*.txt", false, false},
            {"control character", "C:\\Docs\\a\x01.txt", false, false},
            {"embedded NUL", "C:\\Docs\\a.txt\0.bak"s, false, false},
            {"trailing NUL", "C:\\Docs\\a.txt\0"s, false, false},
            {"colon names a stream", "C:\\Docs\\a.txt:stream", false, false},
            {"trailing dots and spaces dropped", "C:\\Docs\\a.txt. . ", true, false},
            {"trailing dot dropped from a folder", "C:\\Docs.", true, true},
            {"one trailing dot dropped inside", "C:\\Docs.\\a.txt", true, false},
            {"trailing space kept inside", "C:\\Docs \\a.txt", false, false},
            {"last name of dots only names the folder", "C:\\Docs\\. ..", true, true},
            {"last name of dots only after a file", "C:\\Docs\\a.txt\\...", false, false},
            {"inner name of dots only", "C:\\Docs\\...\\a.txt", false, false},
            {"host name in UTF-8, path in UTF-8", "C:\\Caf\xC3\xA9\\x.txt", true, false},
            {"accented letter in other case", "C:\\CAF\xC3\x89\\X.TXT", true, false},
            {"a byte of an ANSI code page is no UTF-8 name", "C:\\Caf\xE9\\x.txt", false, false},
        });
}

// Windows reads "." and ".." by the text before it looks anything up, and finds a short 8.3
// name as the long name that carries it; the host keeps neither, so the mapped drive answers
// as Windows would.
TEST_F(MappedFilesTest, DotsAndShortNamesLeadWhereWindowsFindsThem) {
    WriteFile(c_ / "Program Files" / "Common Files" / "Shared" / "lib.dll", "MZ lib");
    WriteFile(c_ / "Program Files (x86)" / "Old" / "old.exe", "MZ old");
    WriteFile(c_ / "Docs" / "Long document.html", "html");
    WriteFile(c_ / "Lit" / "PROGRA~1" / "x.txt", "literal");
    WriteFile(c_ / "Lit" / "Program Files" / "y.txt", "long");
    MappedFiles files(Config());
    ExpectProbes(
        files,
        {
            {"short name", "C:\\PROGRA~1\\App\\app.exe", true, false},
            {"short name in lower case", "c:\\progra~1\\app\\APP.EXE", true, false},
            {"any number after the tilde", "C:\\PROGRA~2\\App\\app.exe", true, false},
            {"two short names", "C:\\PROGRA~1\\COMMON~1\\Shared\\lib.dll", true, false},
            {"short name of a folder", "C:\\PROGRA~1\\COMMON~1", true, true},
            {"the sibling that holds the rest", "C:\\PROGRA~1\\Old\\old.exe", true, false},
            {"short name, file gone", "C:\\PROGRA~1\\App\\gone.exe", false, false},
            {"short name no long name carries", "C:\\NOSUCH~1\\App\\app.exe", false, false},
            {"short file name with its extension", "C:\\Docs\\LONGDO~1.HTM", true, false},
            {"short file name without the extension", "C:\\Docs\\LONGDO~1", false, false},
            {"an 8.3 long name has no other short name", "C:\\DOCS~1\\a.txt", false, false},
            {"a name literally so wins", "C:\\Lit\\PROGRA~1\\x.txt", true, false},
            {"... and the long name is not tried", "C:\\Lit\\PROGRA~1\\y.txt", false, false},
            {"dot-dot back into the same folder", "C:\\Program Files\\App\\..\\App\\app.exe",
             true, false},
            {"dot-dot above the root stays at the root", "C:\\..\\..\\Docs\\a.txt", true, false},
            {"dot-dot as the last name", "C:\\Docs\\sub\\..", true, true},
            {"dot-dot through a file by the text alone", "C:\\Docs\\a.txt\\..\\Readme.TXT",
             true, false},
            {"dot-dot to a file that is gone", "C:\\Program Files\\App\\..\\App\\gone.exe",
             false, false},
            {"dot and short name together", "C:\\.\\PROGRA~1\\.\\App\\app.exe", true, false},
        });
    // A file found by its short name is read as itself.
    std::string bytes;
    EXPECT_TRUE(files.ReadWholeFile("C:\\PROGRA~1\\COMMON~1\\Shared\\lib.dll", 100, bytes));
    EXPECT_EQ(bytes, "MZ lib");
}

// Host names are UTF-8, as the paths asked about: names in every script are found in any
// letter case (each UTF-16 unit upper-cased, as NTFS compares), and a look-alike is not the
// name it resembles.
TEST_F(MappedFilesTest, NamesInEveryScriptMatchInAnyCase) {
    const fs::path intl = c_ / "Intl";
    WriteFile(intl / fs::path(u8"\u03C9mega") / "app.exe", "");    // ωmega
    WriteFile(intl / fs::path(u8"\u674E\u660E") / "app.exe", "");  // 李明
    WriteFile(intl / fs::path(u8"J\u00FCrgen") / "app.exe", "");   // Jürgen
    const fs::path alyosha(u8"\u0410\u043B\u0451\u0448\u0430");           // Алёша
    WriteFile(intl / alyosha / fs::path(u8"\u043E\u0442\u0447\u0451\u0442.txt"), "");  // отчёт.txt
    WriteFile(intl / fs::path(u8"\U0001F600.txt"), "");                    // 😀.txt
    WriteFile(intl / fs::path(u8"\u062A\u062C\u0631\u0628\u0629.txt"), "");  // تجربة.txt
    // АЛЁША\ОТЧЁТ.TXT
    const std::string alyoshaReport =
        "\xD0\x90\xD0\x9B\xD0\x81\xD0\xA8\xD0\x90\\\xD0\x9E\xD0\xA2\xD0\xA7\xD0\x81\xD0\xA2.TXT";
    MappedFiles files(Config());
    ExpectProbes(
        files,
        {
            {"Greek as spelt", "C:\\Intl\\\xCF\x89mega\\app.exe", true, false},
            {"Greek in capitals", "C:\\INTL\\\xCE\xA9MEGA\\APP.EXE", true, false},
            {"Chinese", "C:\\Intl\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe", true, false},
            {"Chinese folder", "C:\\Intl\\\xE6\x9D\x8E\xE6\x98\x8E", true, true},
            {"another Chinese name is missing", "C:\\Intl\\\xE7\x8E\x8B\\app.exe", false, false},
            {"Latin in capitals", "C:\\Intl\\J\xC3\x9CRGEN\\APP.EXE", true, false},
            {"Cyrillic in capitals", "C:\\Intl\\" + alyoshaReport, true, false},
            {"emoji (a surrogate pair in UTF-16)", "C:\\Intl\\\xF0\x9F\x98\x80.txt", true, false},
            {"Arabic", "C:\\Intl\\\xD8\xAA\xD8\xAC\xD8\xB1\xD8\xA8\xD8\xA9.txt", true, false},
            {"a look-alike is another name", "C:\\Intl\\Omega\\app.exe", false, false},
            {"a letter without its accent is another name", "C:\\Intl\\Jurgen\\app.exe", false,
             false},
        });
    std::vector<DirEntry> entries;
    ASSERT_TRUE(files.ListDirectory("C:\\INTL", entries));
    // Case-insensitive order of the UTF-16 units: Latin, Greek, Cyrillic, Arabic, CJK, and a
    // character beyond U+FFFF with its high surrogate (U+D83D) after them all.
    EXPECT_THAT(
        entries,
        ElementsAre(IsEntry("J\xC3\xBCrgen", true, false), IsEntry("\xCF\x89mega", true, false),
                    IsEntry("\xD0\x90\xD0\xBB\xD1\x91\xD1\x88\xD0\xB0", true, false),
                    IsEntry("\xD8\xAA\xD8\xAC\xD8\xB1\xD8\xA8\xD8\xA9.txt", false, false),
                    IsEntry("\xE6\x9D\x8E\xE6\x98\x8E", true, false),
                    IsEntry("\xF0\x9F\x98\x80.txt", false, false)));
}

// A host name that is not UTF-8 (bytes of an old single-byte encoding) is read as
// Windows-1252, as the names such hosts were written from.
TEST_F(MappedFilesTest, HostNamesThatAreNotUtf8AreReadAsWindows1252) {
    if (!kSlashHost) GTEST_SKIP() << "host names are UTF-16 here";
    WriteFile(c_ / "Intl" / "Ol\xE9.txt", "");
    MappedFiles files(Config());
    EXPECT_TRUE(files.FileExists("C:\\Intl\\OL\xC3\x89.TXT"));
    std::vector<DirEntry> entries;
    ASSERT_TRUE(files.ListDirectory("C:\\Intl", entries));
    EXPECT_THAT(entries, ElementsAre(IsEntry("Ol\xC3\xA9.txt", false, false)));
}

TEST_F(MappedFilesTest, LinksLeadOnlyInsideTheMappedFolders) {
    if (!links_) GTEST_SKIP() << "the host did not make symbolic links";
    MappedFiles files(Config());
    ExpectProbes(
        files,
        {
            {"link to a folder inside the drive", "C:\\links\\toapp\\APP.EXE", true, false},
            {"link to a folder read as a folder", "C:\\Links\\ToApp\\", true, true},
            {"link to a file inside the drive", "C:\\Links\\App-Link.exe", true, false},
            {"link out of the drive", "C:\\Links\\Escape", false, false},
            {"through a link out of the drive", "C:\\Links\\Escape\\secret.txt", false, false},
            {"dangling link", "C:\\Links\\Dangling", false, false},
        });
}

TEST_F(MappedFilesTest, PathsOfMaxPathCharactersOrMoreDoNotExist) {
    if (!kSlashHost) GTEST_SKIP() << "host paths this long need the \\\\?\\ form on Windows";
    // "C:\" + 200 + "\" + 55 = 259 characters, the longest path the "A" functions take.
    const std::string outer(200, 'o');
    const std::string inner(55, 'i');
    fs::create_directories(c_ / outer / inner);
    MappedFiles files(Config());
    const std::string longest = "C:\\" + outer + "\\" + inner;
    ASSERT_EQ(longest.size(), 259u);
    EXPECT_TRUE(files.IsDirectory(longest));
    EXPECT_FALSE(files.IsDirectory(longest + "\\"));
}

// The limit counts UTF-16 units, not bytes: 259 units of Chinese and ASCII take far more
// bytes and are still a path.
TEST_F(MappedFilesTest, MaxPathCountsCharactersNotBytes) {
    if (!kSlashHost) GTEST_SKIP() << "host paths this long need the \\\\?\\ form on Windows";
    std::string outer;
    std::u8string hostOuter;
    for (int i = 0; i < 80; ++i) {
        outer += "\xE5\x90\x8D";  // 名: 3 bytes, one UTF-16 unit
        hostOuter += u8"\u540D";
    }
    const std::string inner(174, 'i');
    fs::create_directories(c_ / fs::path(hostOuter) / inner);
    MappedFiles files(Config());
    const std::string longest = "C:\\" + outer + "\\" + inner;  // 3 + 80 + 1 + 174 = 258
    ASSERT_EQ(registry::Utf16Length(longest), 258u);
    EXPECT_TRUE(files.IsDirectory(longest));
    EXPECT_TRUE(files.IsDirectory(longest + "\\"));     // 259 units
    EXPECT_FALSE(files.IsDirectory(longest + "\\\\"));  // 260 units: not a path
}

TEST_F(MappedFilesTest, NetworkPathsAreTheDoubleBackslashOnes) {
    MappedFiles files(Config());
    EXPECT_TRUE(files.IsNetworkPath("\\\\server\\share\\f.txt"));
    EXPECT_TRUE(files.IsNetworkPath("\\\\server"));
    EXPECT_FALSE(files.IsNetworkPath("C:\\Docs\\a.txt"));
    EXPECT_FALSE(files.IsNetworkPath("\\Docs"));
    EXPECT_FALSE(files.IsNetworkPath(""));
}

TEST_F(MappedFilesTest, ADriveIsPresentWhenItsLetterIsMappedToAnExistingFolder) {
    struct Case {
        const char* name;
        char letter;
        bool present;
    };
    const Case cases[] = {
        {"mapped, folder exists", 'C', true},
        {"asked in lower case", 'c', true},
        {"mapped to a folder that does not exist", 'E', false},
        {"mapped in lower case, folder missing", 'e', false},
        {"not mapped", 'D', false},
        {"not a letter", '1', false},
        {"nothing", '\0', false},
    };
    MappedFiles files(Config());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(files.DrivePresent(c.letter), c.present);
    }
    fs::create_directories(root_ / "drive_e");
    MappedFiles later(Config());
    EXPECT_TRUE(later.DrivePresent('E'));  // the folder is there now
}

struct ExpandCase {
    const char* name;
    std::string text;
    std::string expanded;
};

TEST_F(MappedFilesTest, ExpandEnvironmentAsWindowsDoes) {
    const ExpandCase kCases[] = {
        {"known name", "%SystemRoot%\\system32", "C:\\Windows\\system32"},
        {"name in other case", "%SYSTEMROOT%", "C:\\Windows"},
        {"two names", "%windir%;%ProgramFiles%", "C:\\Windows;C:\\Program Files"},
        {"unknown name stays", "%Nope%\\x", "%Nope%\\x"},
        {"closing sign of an unknown name opens the next", "%Nope%windir%", "%NopeC:\\Windows"},
        {"double percent", "100%%", "100%%"},
        {"double percent before a name", "%%windir%", "%C:\\Windows"},
        {"unclosed percent", "a%windir", "a%windir"},
        {"lone percent", "%", "%"},
        {"empty value", "[%Blank%]", "[]"},
        {"value is not expanded again", "%Loop%", "%windir%"},
        {"no references", "C:\\plain", "C:\\plain"},
        {"empty text", "", ""},
    };
    MappedFilesConfig config = Config();
    config.Environment["SystemRoot"] = "C:\\Windows";
    config.Environment["WINDIR"] = "C:\\Windows";
    config.Environment["ProgramFiles"] = "C:\\Program Files";
    config.Environment["Blank"] = "";
    config.Environment["Loop"] = "%windir%";
    MappedFiles files(std::move(config));
    for (const ExpandCase& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(files.ExpandEnvironment(c.text), c.expanded);
    }
}

TEST_F(MappedFilesTest, WindowsDirectoryEndsInOneBackslash) {
    EXPECT_EQ(MappedFiles(Config()).WindowsDirectory(), "C:\\Windows\\");
    MappedFilesConfig config = Config();
    config.WindowsDir = "D:\\WinNT\\";
    EXPECT_EQ(MappedFiles(std::move(config)).WindowsDirectory(), "D:\\WinNT\\");
}

TEST(MappedFilesEnvironment, StandardVariablesFollowTheWindowsDirectory) {
    MappedFilesConfig config;
    config.WindowsDir = "D:\\WinNT\\";
    config.Environment["WINDIR"] = "X:\\Kept";
    registry::AddStandardEnvironment(config);
    MappedFiles files(std::move(config));
    EXPECT_EQ(files.ExpandEnvironment("%SystemRoot%|%windir%|%SystemDrive%"),
              "D:\\WinNT|X:\\Kept|D:");
    EXPECT_EQ(files.ExpandEnvironment("%ProgramFiles%|%CommonProgramFiles%"),
              "D:\\Program Files|D:\\Program Files\\Common Files");
}

TEST_F(MappedFilesTest, ListDirectoryGivesNamesInCaseInsensitiveOrderWithFlags) {
    if (kSlashHost) {
        // No Windows name can hold these; the host can.
        WriteFile(c_ / "Docs" / "bad?name.txt", "");
        WriteFile(c_ / "Docs" / "back\\slash.txt", "");
    }
    MappedFiles files(Config());
    std::vector<DirEntry> entries{{"stale", false, false}};
    ASSERT_TRUE(files.ListDirectory("c:\\docs\\", entries));
    EXPECT_THAT(entries,
                ElementsAre(IsEntry("a.txt", false, false), IsEntry("Readme.TXT", false, false),
                            IsEntry("sub", true, false)));

    ASSERT_TRUE(files.ListDirectory("C:\\", entries));
    EXPECT_THAT(
        entries,
        ElementsAre(IsEntry("Caf\xC3\xA9", true, false), IsEntry("Docs", true, false),
                    IsEntry("Dup", true, false), IsEntry("Links", true, false),
                    IsEntry("Program Files", true, false), IsEntry("Windows", true, false)));
}

TEST_F(MappedFilesTest, ListDirectoryMarksLinks) {
    if (!links_) GTEST_SKIP() << "the host did not make symbolic links";
    MappedFiles files(Config());
    std::vector<DirEntry> entries;
    ASSERT_TRUE(files.ListDirectory("C:\\Links", entries));
    // A link out of the drive, or to nothing, is listed but is no folder.
    EXPECT_THAT(entries,
                ElementsAre(IsEntry("app-link.exe", false, true), IsEntry("Dangling", false, true),
                            IsEntry("Escape", false, true), IsEntry("ToApp", true, true)));
    ASSERT_TRUE(files.ListDirectory("C:\\Links\\ToApp", entries));
    EXPECT_THAT(entries, ElementsAre(IsEntry("app.exe", false, false)));
    EXPECT_FALSE(files.ListDirectory("C:\\Links\\Escape", entries));
    EXPECT_TRUE(entries.empty());
}

TEST_F(MappedFilesTest, ListDirectoryRefusesWhatIsNotAReachableFolder) {
    MappedFiles files(Config());
    std::vector<DirEntry> entries;
    for (const char* path : {"C:\\Docs\\a.txt", "C:\\Nope", "D:\\", "E:\\", "\\\\server\\share",
                             "C:\\..\\outside"}) {
        SCOPED_TRACE(path);
        entries = {{"stale", false, false}};
        EXPECT_FALSE(files.ListDirectory(path, entries));
        EXPECT_TRUE(entries.empty());
    }
}

TEST_F(MappedFilesTest, ReadWholeFileStopsAtTheLimit) {
    MappedFiles files(Config());
    std::string bytes = "stale";
    ASSERT_TRUE(files.ReadWholeFile("C:\\DOCS\\A.TXT", 1024, bytes));
    EXPECT_EQ(bytes, "alpha");
    ASSERT_TRUE(files.ReadWholeFile("C:\\Docs\\a.txt", 3, bytes));
    EXPECT_EQ(bytes, "alp");
    ASSERT_TRUE(files.ReadWholeFile("C:\\Docs\\a.txt", 0, bytes));
    EXPECT_EQ(bytes, "");
}

TEST_F(MappedFilesTest, ReadWholeFileReadsMoreThanOnePiece) {
    std::string big(200 * 1024 + 7, 'x');
    for (std::size_t i = 0; i < big.size(); i += 997) big[i] = static_cast<char>('a' + i % 26);
    WriteFile(c_ / "big.bin", big);
    MappedFiles files(Config());
    std::string bytes;
    ASSERT_TRUE(files.ReadWholeFile("C:\\big.bin", static_cast<std::size_t>(-1), bytes));
    EXPECT_EQ(bytes, big);
    ASSERT_TRUE(files.ReadWholeFile("C:\\big.bin", 100 * 1024 + 1, bytes));
    EXPECT_EQ(bytes, big.substr(0, 100 * 1024 + 1));
}

TEST_F(MappedFilesTest, ReadWholeFileRefusesFoldersAndPathsOutOfTheDrive) {
    MappedFiles files(Config());
    for (const char* path : {"C:\\Docs", "C:\\Docs\\nope.txt", "C:\\..\\outside\\secret.txt",
                             "C:\\Links\\Escape\\secret.txt", "C:\\Links\\Dangling"}) {
        SCOPED_TRACE(path);
        std::string bytes = "stale";
        EXPECT_FALSE(files.ReadWholeFile(path, 1024, bytes));
        EXPECT_EQ(bytes, "");
    }
}

TEST_F(MappedFilesTest, DeleteFileRemovesTheFileAndTheCacheForgetsIt) {
    MappedFiles files(Config());
    std::vector<DirEntry> entries;
    ASSERT_TRUE(files.ListDirectory("C:\\Docs", entries));  // fills the cache
    ASSERT_TRUE(files.FileExists("C:\\Docs\\a.txt"));

    EXPECT_TRUE(files.DeleteFile("c:\\docs\\A.TXT"));
    EXPECT_FALSE(fs::exists(c_ / "Docs" / "a.txt"));
    EXPECT_FALSE(files.FileExists("C:\\Docs\\a.txt"));
    ASSERT_TRUE(files.ListDirectory("C:\\Docs", entries));
    EXPECT_THAT(entries, ::testing::Not(::testing::Contains(IsEntry("a.txt", false, false))));
    EXPECT_FALSE(files.DeleteFile("C:\\Docs\\a.txt"));  // already gone
}

TEST_F(MappedFilesTest, DeleteFileNeverDeletesFoldersOrOutsideFiles) {
    MappedFiles files(Config());
    EXPECT_FALSE(files.DeleteFile("C:\\Docs\\sub"));
    EXPECT_TRUE(fs::is_directory(c_ / "Docs" / "sub"));
    EXPECT_FALSE(files.DeleteFile("C:\\"));
    EXPECT_FALSE(files.DeleteFile("C:\\..\\outside\\secret.txt"));
    EXPECT_FALSE(files.DeleteFile("C:\\Links\\Escape\\secret.txt"));
    EXPECT_TRUE(fs::exists(root_ / "outside" / "secret.txt"));
}

TEST_F(MappedFilesTest, LinksAreReadAndDeletedAsThemselves) {
    if (!links_) GTEST_SKIP() << "the host did not make symbolic links";
    MappedFiles files(Config());
    std::string bytes;
    ASSERT_TRUE(files.ReadWholeFile("C:\\Links\\app-link.exe", 1024, bytes));
    EXPECT_EQ(bytes, "MZ app");

    EXPECT_FALSE(files.DeleteFile("C:\\Links\\ToApp"));  // a link to a folder is a folder
    EXPECT_TRUE(fs::is_symlink(c_ / "Links" / "ToApp"));
    // A link to a file is deleted itself; its target stays.
    EXPECT_TRUE(files.DeleteFile("C:\\Links\\app-link.exe"));
    EXPECT_FALSE(fs::is_symlink(c_ / "Links" / "app-link.exe"));
    EXPECT_TRUE(files.FileExists("C:\\Program Files\\App\\app.exe"));
}

TEST_F(MappedFilesTest, DeletingALinkTargetIsSeenThroughTheLink) {
    if (!links_) GTEST_SKIP() << "the host did not make symbolic links";
    MappedFiles files(Config());
    ASSERT_TRUE(files.FileExists("C:\\Links\\app-link.exe"));
    ASSERT_TRUE(files.DeleteFile("C:\\Links\\ToApp\\app.exe"));
    EXPECT_FALSE(files.FileExists("C:\\Program Files\\App\\app.exe"));
    EXPECT_FALSE(files.FileExists("C:\\Links\\app-link.exe"));
}

TEST_F(MappedFilesTest, OfNamesDifferingOnlyInCaseTheFirstInByteOrderIsSeen) {
    if (!caseTwins_) GTEST_SKIP() << "the host folds names differing only in case";
    MappedFiles files(Config());
    std::vector<DirEntry> entries;
    ASSERT_TRUE(files.ListDirectory("C:\\Dup", entries));
    EXPECT_THAT(entries, ElementsAre(IsEntry("CASE.txt", false, false)));
    std::string bytes;
    ASSERT_TRUE(files.ReadWholeFile("C:\\Dup\\case.txt", 100, bytes));
    EXPECT_EQ(bytes, "upper");

    // Deleting it uncovers the other one.
    ASSERT_TRUE(files.DeleteFile("C:\\Dup\\case.txt"));
    EXPECT_FALSE(fs::exists(c_ / "Dup" / "CASE.txt"));
    ASSERT_TRUE(files.ReadWholeFile("C:\\Dup\\Case.TXT", 100, bytes));
    EXPECT_EQ(bytes, "lower");
}

TEST_F(MappedFilesTest, ListingsAreCachedUntilInvalidated) {
    MappedFiles files(Config());
    ASSERT_FALSE(files.FileExists("C:\\Docs\\new.txt"));
    WriteFile(c_ / "Docs" / "new.txt", "new");
    EXPECT_FALSE(files.FileExists("C:\\Docs\\new.txt"));
    files.Invalidate();
    EXPECT_TRUE(files.FileExists("C:\\Docs\\new.txt"));
}

TEST_F(MappedFilesTest, TwoDrivesAndLinksBetweenThem) {
    const fs::path d = root_ / "drive_d";
    WriteFile(d / "Data" / "d.txt", "on d");
    MappedFilesConfig config = Config();
    config.Drives['D'] = d;
    std::error_code ec;
    fs::create_directory_symlink(d / "Data", c_ / "DataOnD", ec);
    MappedFiles files(std::move(config));
    EXPECT_TRUE(files.FileExists("D:\\data\\D.TXT"));
    EXPECT_FALSE(files.FileExists("D:\\Docs\\a.txt"));
    // A link from one mapped drive into another stays inside the mapped folders.
    if (!ec) {
        EXPECT_TRUE(files.FileExists("C:\\DataOnD\\d.txt"));
    }
}

}  // namespace
}  // namespace hivewarden::testing
