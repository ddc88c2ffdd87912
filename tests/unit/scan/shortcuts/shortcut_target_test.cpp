// Reading a shell link's target: the local path from link info (ANSI and Unicode), the
// environment form, the item-id list, and every kind of link whose target cannot be read or
// checked (network, removable, shell object, advertised, damaged, truncated). Targets are
// UTF-8: Unicode fields kept exactly, ANSI fields read in the given code page.
#include "scan/shortcuts/shortcut_target.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "text/code_page.h"
#include "support/fake_probes.h"
#include "support/lnk_builder.h"

#if defined(__unix__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace hivewarden::testing {
namespace {

using scan::GetShortcutTarget;

// A copy of the bytes placed right before an unreadable page, so that any read past the end
// faults (on POSIX hosts; elsewhere a plain exact-size copy).
class GuardedBytes {
  public:
    explicit GuardedBytes(std::string_view bytes) {
#if defined(__unix__)
        page_ = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        const std::size_t dataPages = (bytes.size() + page_ - 1) / page_;
        total_ = (dataPages + 1) * page_;
        void* base =
            mmap(nullptr, total_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED) throw std::bad_alloc();
        base_ = static_cast<char*>(base);
        mprotect(base_ + dataPages * page_, page_, PROT_NONE);
        char* data = base_ + dataPages * page_ - bytes.size();
        if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
        view_ = std::string_view(data, bytes.size());
#else
        copy_.assign(bytes);
        view_ = copy_;
#endif
    }
    ~GuardedBytes() {
#if defined(__unix__)
        munmap(base_, total_);
#endif
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    std::string_view View() const { return view_; }

  private:
#if defined(__unix__)
    std::size_t page_ = 0;
    std::size_t total_ = 0;
    char* base_ = nullptr;
#else
    std::string copy_;
#endif
    std::string_view view_;
};

LnkSpec LocalLink(std::string base, std::string suffix = {}) {
    LnkSpec spec;
    spec.Info = LnkLinkInfo{};
    spec.Info->LocalBase = std::move(base);
    spec.Info->Suffix = std::move(suffix);
    return spec;
}

// What the shell writes for a local file: item-id list, link info with Unicode copies,
// string data, an environment block.
LnkSpec FullLink() {
    LnkSpec spec = LocalLink("C:\\PROGRA~1\\OLDTOO~1\\tool.exe");
    spec.IdList = IdList({MyComputerItem(), VolumeItem("C:\\"),
                          FileEntryItem("PROGRA~1", u"Program Files", 8, true),
                          FileEntryItem("OLDTOO~1", u"Old Tool", 8, true),
                          FileEntryItem("tool.exe", u"tool.exe", 8, false)});
    spec.Info->UnicodeOffsets = true;
    spec.Info->UnicodeBase = u"C:\\Program Files\\Old Tool\\tool.exe";
    spec.StringData = {"Old tool", "..\\Old Tool\\tool.exe", "C:\\Program Files\\Old Tool"};
    spec.Environment =
        LnkEnvironment{"%ProgramFiles%\\Old Tool\\tool.exe", u"%ProgramFiles%\\Old Tool\\tool.exe"};
    return spec;
}

std::string FileIdList(std::uint16_t version) {
    return IdList({MyComputerItem(), VolumeItem("C:\\"),
                   FileEntryItem("PROGRA~1", u"Program Files", version, true),
                   FileEntryItem("NEWAPP~1", u"New App", version, true),
                   FileEntryItem("APP~1.EXE", u"app.exe", version, false)});
}

template <typename F>
LnkSpec With(LnkSpec spec, F change) {
    change(spec);
    return spec;
}

struct Case {
    const char* name;
    LnkSpec spec;
    std::string target;
};

class ShortcutTargetTest : public ::testing::Test {
  protected:
    ShortcutTargetTest() { probes_.SetEnv("ProgramFiles", "D:\\Apps"); }
    std::string Target(std::string_view bytes, const CodePage& codePage = Windows1252()) {
        GuardedBytes guarded(bytes);
        return GetShortcutTarget(guarded.View(), probes_, codePage);
    }
    FakeProbes probes_;
};

TEST_F(ShortcutTargetTest, ReadsTheTargetFromEachPartOfTheLink) {
    const Case cases[] = {
        {"local base path", LocalLink("C:\\test\\a.txt"), "C:\\test\\a.txt"},
        {"base path + common suffix", LocalLink("C:\\Program Files\\", "Old Tool\\tool.exe"),
         "C:\\Program Files\\Old Tool\\tool.exe"},
        {"volume with a label and another serial",
         With(LocalLink("C:\\Games\\run.exe"),
              [](LnkSpec& s) {
                  s.Info->Label = "WIN98";
                  s.Info->Serial = 0x0BADF00D;
              }),
         "C:\\Games\\run.exe"},
        {"Unicode base preferred to the lossy ANSI copy",
         With(LocalLink("C:\\Caf?\\menu.exe"),
              [](LnkSpec& s) {
                  s.Info->UnicodeOffsets = true;
                  s.Info->UnicodeBase = u"C:\\Caf\u00E9\\menu.exe";
              }),
         "C:\\Caf\xC3\xA9\\menu.exe"},
        {"Unicode base and Unicode suffix",
         With(LocalLink("C:\\Data\\", "x"),
              [](LnkSpec& s) {
                  s.Info->UnicodeOffsets = true;
                  s.Info->UnicodeBase = u"C:\\Data\\";
                  s.Info->UnicodeSuffix = u"\u20AC report.txt";
              }),
         "C:\\Data\\\xE2\x82\xAC report.txt"},
        {"Unicode path outside the code page (Cyrillic)",
         With(LocalLink("C:\\????\\a.exe"),
              [](LnkSpec& s) {
                  s.Info->UnicodeOffsets = true;
                  s.Info->UnicodeBase = u"C:\\\u0414\u043E\u043A\\a.exe";
              }),
         "C:\\\xD0\x94\xD0\xBE\xD0\xBA\\a.exe"},
        {"Unicode path in Arabic, kept exactly",
         With(LocalLink("C:\\Users\\x\\Desktop\\test\\?????.txt"),
              [](LnkSpec& s) {
                  s.Info->UnicodeOffsets = true;
                  s.Info->UnicodeBase =
                      u"C:\\Users\\x\\Desktop\\test\\\u062A\u062C\u0631\u0628\u0629.txt";
              }),
         "C:\\Users\\x\\Desktop\\test\\\xD8\xAA\xD8\xAC\xD8\xB1\xD8\xA8\xD8\xA9.txt"},
        {"Unicode suffix with Chinese and an emoji (a surrogate pair)",
         With(LocalLink("C:\\Docs\\", "?? ??.txt"),
              [](LnkSpec& s) {
                  s.Info->UnicodeOffsets = true;
                  s.Info->UnicodeBase = u"C:\\Docs\\";
                  s.Info->UnicodeSuffix = u"\u674E\u660E \U0001F600.txt";
              }),
         "C:\\Docs\\\xE6\x9D\x8E\xE6\x98\x8E \xF0\x9F\x98\x80.txt"},
        {"ANSI base read in the code page", LocalLink("C:\\Caf\xE9\\\x80 menu.exe"),
         "C:\\Caf\xC3\xA9\\\xE2\x82\xAC menu.exe"},
        {"ANSI-only link info that lost characters: the item-id list's Unicode names",
         With(LocalLink("C:\\??\\app.exe"),
              [](LnkSpec& s) {
                  s.IdList = IdList({MyComputerItem(), VolumeItem("C:\\"),
                                     FileEntryItem("8B8A~1", u"\u674E\u660E", 9, true),
                                     FileEntryItem("app.exe", u"app.exe", 9, false)});
              }),
         "C:\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe"},
        {"ANSI-only link info with a look-alike: the item-id list's Unicode names",
         With(LocalLink("C:\\Apps\\Omega\\app.exe"),
              [](LnkSpec& s) {
                  s.IdList = IdList({MyComputerItem(), VolumeItem("C:\\"),
                                     FileEntryItem("Apps", u"Apps", 9, true),
                                     FileEntryItem("OMEGA~1", u"\u03A9mega", 9, true),
                                     FileEntryItem("app.exe", u"app.exe", 9, false)});
              }),
         "C:\\Apps\\\xCE\xA9mega\\app.exe"},
        {"Unicode environment form in Chinese",
         With(LocalLink("C:\\x.exe"),
              [](LnkSpec& s) {
                  s.Environment = LnkEnvironment{"%windir%\\??.exe", u"%windir%\\\u738B.exe"};
              }),
         "C:\\Windows\\\xE7\x8E\x8B.exe"},
        {"ANSI environment form read in the code page",
         With(LocalLink("C:\\x.exe"),
              [](LnkSpec& s) {
                  s.Environment = LnkEnvironment{"%windir%\\J\xFCrgen.exe", u""};
              }),
         "C:\\Windows\\J\xC3\xBCrgen.exe"},
        {"ANSI primary names of items without extension blocks",
         With(LnkSpec{},
              [](LnkSpec& s) {
                  s.IdList = IdList({MyComputerItem(), VolumeItem("C:\\"),
                                     FileEntryItem("Caf\xE9", u"", 0, true),
                                     FileEntryItem("run.exe", u"", 0, false)});
              }),
         "C:\\Caf\xC3\xA9\\run.exe"},
        {"header with Unicode offsets, none set: ANSI base",
         With(LocalLink("C:\\plain.txt"),
              [](LnkSpec& s) {
                  s.Info->UnicodeOffsets = true;
                  s.Info->UnicodeBase.clear();
              }),
         "C:\\plain.txt"},
        {"ANSI string data before the extra data",
         With(LocalLink("C:\\x\\y.exe"),
              [](LnkSpec& s) {
                  s.UnicodeStrings = false;
                  s.StringData = {"name", "rel", "C:\\x", "-a -b", "C:\\x\\y.exe"};
              }),
         "C:\\x\\y.exe"},
        {"environment form preferred and expanded", FullLink(), "D:\\Apps\\Old Tool\\tool.exe"},
        {"environment form in ANSI only",
         With(LocalLink("C:\\Program Files\\T\\t.exe"),
              [](LnkSpec& s) {
                  s.Environment = LnkEnvironment{"%windir%\\t.exe", u""};
              }),
         "C:\\Windows\\t.exe"},
        {"unknown variable: the link info path",
         With(LocalLink("C:\\Tools\\t.exe"),
              [](LnkSpec& s) {
                  s.Environment = LnkEnvironment{"", u"%NoSuchVariable%\\t.exe"};
              }),
         "C:\\Tools\\t.exe"},
        {"environment block without its flag is ignored",
         With(LocalLink("C:\\Tools\\t.exe"),
              [](LnkSpec& s) {
                  s.Environment = LnkEnvironment{"", u"%windir%\\t.exe"};
                  s.ClearFlags = 0x200;
              }),
         "C:\\Tools\\t.exe"},
        {"item-id list only, long names of Windows 7 items",
         With(LnkSpec{}, [](LnkSpec& s) { s.IdList = FileIdList(8); }),
         "C:\\Program Files\\New App\\app.exe"},
        {"item-id list only, Windows XP items",
         With(LnkSpec{}, [](LnkSpec& s) { s.IdList = FileIdList(3); }),
         "C:\\Program Files\\New App\\app.exe"},
        {"item-id list only, Vista items",
         With(LnkSpec{}, [](LnkSpec& s) { s.IdList = FileIdList(7); }),
         "C:\\Program Files\\New App\\app.exe"},
        {"item-id list only, Windows 10 items",
         With(LnkSpec{}, [](LnkSpec& s) { s.IdList = FileIdList(9); }),
         "C:\\Program Files\\New App\\app.exe"},
        {"item-id list only, items without extension blocks",
         With(LnkSpec{},
              [](LnkSpec& s) {
                  s.IdList = IdList({MyComputerItem(), VolumeItem("D:\\"),
                                     FileEntryItem("Games", u"", 0, true),
                                     FileEntryItem("run.exe", u"", 0, false)});
              }),
         "D:\\Games\\run.exe"},
        {"link info wins over the item-id list",
         With(LocalLink("C:\\Real\\app.exe"), [](LnkSpec& s) { s.IdList = FileIdList(9); }),
         "C:\\Real\\app.exe"},
        {"link info to be ignored: the item-id list",
         With(LocalLink("C:\\Real\\app.exe"),
              [](LnkSpec& s) {
                  s.IdList = FileIdList(9);
                  s.ExtraFlags = 0x100;
              }),
         "C:\\Program Files\\New App\\app.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Target(BuildLnk(c.spec)), c.target);
    }
}

// A link written on a Cyrillic system keeps its ANSI strings in code page 1251: read in that
// code page they name the same file as the Unicode copy would.
TEST_F(ShortcutTargetTest, AnsiStringsFollowTheSystemCodePage) {
    std::string error;
    const std::unique_ptr<CodePage> cyrillic = OpenCodePage(1251, error);
    if (!cyrillic) GTEST_SKIP() << "code page 1251 is not available here: " << error;
    const std::string bytes = BuildLnk(LocalLink("C:\\\xC4\xEE\xEA\\a.exe"));
    EXPECT_EQ(Target(bytes, *cyrillic), "C:\\\xD0\x94\xD0\xBE\xD0\xBA\\a.exe");
    EXPECT_EQ(Target(bytes), "C:\\\xC3\x84\xC3\xAE\xC3\xAA\\a.exe");  // read as 1252
}

TEST_F(ShortcutTargetTest, TargetsThatCannotBeCheckedAreEmpty) {
    const Case cases[] = {
        {"network share only",
         With(LocalLink(""),
              [](LnkSpec& s) {
                  s.Info->Local = false;
                  s.Info->NetName = "\\\\server\\share";
                  s.Info->Suffix = "Docs\\a.doc";
              }),
         ""},
        {"mapped network drive (remote volume)",
         With(LocalLink("Z:\\Docs\\a.doc"),
              [](LnkSpec& s) {
                  s.Info->DriveType = 4;
                  s.Info->NetName = "\\\\server\\share";
              }),
         ""},
        {"removable medium",
         With(LocalLink("A:\\setup.exe"), [](LnkSpec& s) { s.Info->DriveType = 2; }), ""},
        {"CD-ROM", With(LocalLink("E:\\setup.exe"), [](LnkSpec& s) { s.Info->DriveType = 5; }), ""},
        {"no link info and no item-id list", LnkSpec{}, ""},
        {"control panel object",
         With(LnkSpec{}, [](LnkSpec& s) { s.IdList = IdList({ControlPanelItem()}); }), ""},
        {"item-id list of a drive item without a name",
         With(LnkSpec{},
              [](LnkSpec& s) {
                  std::string volume = VolumeItem("C:\\");
                  volume[2] = '\x2E';
                  s.IdList = IdList({MyComputerItem(), volume});
              }),
         ""},
        {"item-id list with an unknown extension version",
         With(LnkSpec{},
              [](LnkSpec& s) {
                  s.IdList = IdList({MyComputerItem(), VolumeItem("C:\\"),
                                     FileEntryItem("PROGRA~1", u"Program Files", 42, true)});
              }),
         ""},
        {"ANSI path with a replacement character", LocalLink("C:\\???\\a.exe"), ""},
        {"ANSI path with a replacement character, ASCII item-id list",
         With(LocalLink("C:\\???\\a.exe"), [](LnkSpec& s) { s.IdList = FileIdList(9); }), ""},
        {"relative path", LocalLink("tool.exe"), ""},
        {"environment form naming a share",
         With(LnkSpec{},
              [](LnkSpec& s) {
                  s.Environment = LnkEnvironment{"", u"\\\\server\\share\\a.exe"};
              }),
         ""},
        {"advertised link (flag and block)",
         With(LocalLink("C:\\Windows\\Installer\\{GUID}\\icon.exe"),
              [](LnkSpec& s) { s.Darwin = true; }),
         ""},
        {"advertised link (flag only)",
         With(LocalLink("C:\\Windows\\Installer\\x.exe"),
              [](LnkSpec& s) { s.ExtraFlags = 0x1000; }),
         ""},
        {"advertised link (block only)",
         With(LocalLink("C:\\Windows\\Installer\\x.exe"),
              [](LnkSpec& s) {
                  s.Darwin = true;
                  s.ClearFlags = 0x1000;
              }),
         ""},
        {"wrong header size", With(LocalLink("C:\\a.txt"), [](LnkSpec& s) { s.HeaderSize = 0x4D; }),
         ""},
        {"wrong class id",
         With(LocalLink("C:\\a.txt"), [](LnkSpec& s) { s.Clsid = std::string(16, '\x11'); }), ""},
        {"no terminal block",
         With(LocalLink("C:\\a.txt"), [](LnkSpec& s) { s.TerminalBlock = false; }), ""},
        {"link info flag without link info",
         With(LnkSpec{}, [](LnkSpec& s) { s.ExtraFlags = 0x2; }), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Target(BuildLnk(c.spec)), c.target);
    }
}

TEST_F(ShortcutTargetTest, EmptyOrTinyFilesGiveTheEmptyTarget) {
    for (const std::string& bytes : {std::string(), std::string(7, '\0'), std::string("L"),
                                     std::string(0x4C, '\0'), std::string(200, '\xFF')}) {
        SCOPED_TRACE(bytes.size());
        EXPECT_EQ(Target(bytes), "");
    }
}

// A file cut short at any length is unreadable as a whole: its target is never a half-read
// path, and no read goes past the end of the bytes.
TEST_F(ShortcutTargetTest, EveryTruncationOfAValidLinkIsEmpty) {
    const LnkSpec specs[] = {LocalLink("C:\\test\\a.txt"), FullLink(),
                             With(LnkSpec{}, [](LnkSpec& s) { s.IdList = FileIdList(9); })};
    for (const LnkSpec& spec : specs) {
        const std::string bytes = BuildLnk(spec);
        ASSERT_NE(Target(bytes), "");
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            SCOPED_TRACE(length);
            EXPECT_EQ(Target(std::string_view(bytes).substr(0, length)), "");
        }
    }
}

// Damage anywhere in a link never leads to a read outside the file; whatever comes out is
// either nothing or a local path.
TEST_F(ShortcutTargetTest, DamagedBytesNeverReadOutsideTheFile) {
    const std::string good = BuildLnk(FullLink());
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (const char value : {'\x00', '\xFF', '\x7F'}) {
            std::string bad = good;
            bad[at] = value;
            const std::string target = Target(bad);
            if (!target.empty()) {
                SCOPED_TRACE(at);
                EXPECT_EQ(target.substr(1, 2), ":\\");
            }
        }
    }
}

std::string ReadFixture(const std::string& name) {
    std::ifstream in(std::string(HW_TEST_DATA) + "/lnk/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Links written by an independent writer (tests/data/lnk/make_fixtures.py).
TEST_F(ShortcutTargetTest, ReadsTheFixtureLinks) {
    struct Fixture {
        const char* file;
        std::string target;
    };
    const Fixture fixtures[] = {
        {"local_file.lnk", "C:\\test\\a.txt"},
        {"labelled_volume.lnk", "C:\\Program Files\\Old Tool\\tool.exe"},
        {"env_program_files.lnk", "D:\\Apps\\Old Tool\\tool.exe"},
        {"network_share.lnk", ""},
        {"unicode_arabic.lnk",
         "C:\\Users\\x\\Desktop\\test\\\xD8\xAA\xD8\xAC\xD8\xB1\xD8\xA8\xD8\xA9.txt"},
        {"unicode_env_chinese.lnk", "D:\\Apps\\\xE7\x8E\x8B\\app.exe"},
    };
    for (const Fixture& f : fixtures) {
        SCOPED_TRACE(f.file);
        const std::string bytes = ReadFixture(f.file);
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(Target(bytes), f.target);
    }
}

TEST(ShortcutTargetFile, ReadsThroughTheProbesAndMissingFilesAreEmpty) {
    FakeProbes probes;
    probes.AddFile("C:\\Links\\a.lnk", BuildLnk(LocalLink("C:\\test\\a.txt")));
    EXPECT_EQ(scan::GetShortcutTargetOfFile("C:\\Links\\a.lnk", probes, Windows1252()),
              "C:\\test\\a.txt");
    EXPECT_EQ(scan::GetShortcutTargetOfFile("C:\\Links\\gone.lnk", probes, Windows1252()), "");
}

TEST(ShortcutStripNulls, CutsAtTheFirstNul) {
    EXPECT_EQ(scan::StripNulls(std::string_view("abc\0def", 7)), "abc");
    EXPECT_EQ(scan::StripNulls("abc"), "abc");
    EXPECT_EQ(scan::StripNulls(std::string_view("\0x", 2)), "");
    EXPECT_EQ(scan::StripNulls(""), "");
}

}  // namespace
}  // namespace hivewarden::testing
