// The about box's logic over an in-memory registry and file system: its texts, the system's
// name and family pictures per Windows version, the registry value read and System Info.
#include "ui/about_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_machine.h"
#include "support/raw_values.h"

namespace hivewarden::testing {
namespace {

using ui::OsPictures;
using ui::OsVersion;

constexpr const char* kWindowsKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kNtKey = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kSysInfoKey = "HKLM\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kSysInfoFolderKey = "HKLM\\SOFTWARE\\Microsoft\\Shared Tools Location";

constexpr OsPictures kClassic{false, true, false};  // Windows 95 and 98
constexpr OsPictures kLater9x{true, false, false};  // Windows Me and other 9x names
constexpr OsPictures kNtFamily{true, false, true};
constexpr OsPictures kNone{false, false, false};

TEST(AboutInfo, VersionTextWritesEachNumberInPlainDecimal) {
    EXPECT_EQ(ui::VersionText(1, 0), "Version : 1.0");
    EXPECT_EQ(ui::VersionText(2, 10), "Version : 2.10");
    EXPECT_EQ(ui::VersionText(2, 1), "Version : 2.1");
    EXPECT_EQ(ui::VersionText(ui::kVersionMajor, ui::kVersionMinor), "Version : 1.0");
}

TEST(AboutInfo, LoadFillsCaptionTitleAndVersion) {
    FakeMachine m;
    const ui::AboutContent about =
        ui::LoadAbout(m.Access, OsVersion{ui::kPlatformNt, 10, 0, 19045}, "Kestovar Hivewarden");
    EXPECT_EQ(about.Caption, "About Kestovar Hivewarden");
    EXPECT_EQ(about.Title, "Kestovar Hivewarden");
    EXPECT_EQ(about.Version, "Version : 1.0");
    EXPECT_EQ(ui::LoadAbout(m.Access, {}, "X", 2, 10).Version, "Version : 2.10");
}

// Where a system keeps its product name: in the key of its own family, and a different name
// in the other family's key, which must not be read.
enum class Stored { OwnKey, OtherKeyOnly, Nowhere };

struct OsCase {
    const char* Label;
    OsVersion Version;
    const char* RegistryName;  // ProductName as the system writes it
    Stored Where;
    const char* Shown;  // Label9
    OsPictures Pictures;
};

// clang-format off
const OsCase kOsCases[] = {
    {"Win32s", {0, 3, 10, 0}, "Microsoft Windows 3.1", Stored::OwnKey, "Microsoft Windows 3.1",
     kLater9x},
    {"Windows 95", {1, 4, 0, 950}, "Microsoft Windows 95", Stored::OwnKey,
     "Microsoft Windows 95", kClassic},
    {"Windows 98", {1, 4, 10, 1998}, "Microsoft Windows 98", Stored::OwnKey,
     "Microsoft Windows 98", kClassic},
    {"Windows 98 SE", {1, 4, 10, 2222}, "Microsoft Windows 98", Stored::OwnKey,
     "Microsoft Windows 98", kClassic},
    {"Windows 98 in capitals", {1, 4, 10, 1998}, "MICROSOFT WINDOWS 98", Stored::OwnKey,
     "MICROSOFT WINDOWS 98", kClassic},
    {"Windows Me", {1, 4, 90, 3000}, "Microsoft Windows ME", Stored::OwnKey,
     "Microsoft Windows ME", kLater9x},
    {"Windows 98 with a longer name", {1, 4, 10, 2222}, "Microsoft Windows 98 SE",
     Stored::OwnKey, "Microsoft Windows 98 SE", kLater9x},
    {"9x without a name", {1, 4, 10, 1998}, "Microsoft Windows 98", Stored::OtherKeyOnly, "",
     kLater9x},
    {"Windows NT 4.0 (no product name)", {2, 4, 0, 1381}, "", Stored::Nowhere, "", kNtFamily},
    {"Windows 2000", {2, 5, 0, 2195}, "Microsoft Windows 2000", Stored::OwnKey,
     "Microsoft Windows 2000", kNtFamily},
    {"Windows XP", {2, 5, 1, 2600}, "Microsoft Windows XP", Stored::OwnKey,
     "Microsoft Windows XP", kNtFamily},
    {"Windows Server 2003", {2, 5, 2, 3790}, "Microsoft Windows Server 2003", Stored::OwnKey,
     "Microsoft Windows Server 2003", kNtFamily},
    {"Windows Vista", {2, 6, 0, 6002}, "Windows Vista (TM) Business", Stored::OwnKey,
     "Windows Vista (TM) Business", kNtFamily},
    {"Windows 7", {2, 6, 1, 7601}, "Windows 7 Professional", Stored::OwnKey,
     "Windows 7 Professional", kNtFamily},
    {"Windows 8", {2, 6, 2, 9200}, "Windows 8 Pro", Stored::OwnKey, "Windows 8 Pro", kNtFamily},
    {"Windows 8.1", {2, 6, 3, 9600}, "Windows 8.1 Pro", Stored::OwnKey, "Windows 8.1 Pro",
     kNtFamily},
    {"Windows 10", {2, 10, 0, 19045}, "Windows 10 Pro", Stored::OwnKey, "Windows 10 Pro",
     kNtFamily},
    {"Windows 11 (the registry says 10)", {2, 10, 0, 22631}, "Windows 10 Pro", Stored::OwnKey,
     "Windows 11 Pro", kNtFamily},
    {"Windows 11 (first build)", {2, 10, 0, 22000}, "Windows 10 Home", Stored::OwnKey,
     "Windows 11 Home", kNtFamily},
    {"Windows 11 named as such", {2, 10, 0, 26100}, "Windows 11 Pro", Stored::OwnKey,
     "Windows 11 Pro", kNtFamily},
    {"Windows 10's last build", {2, 10, 0, 21999}, "Windows 10 Pro", Stored::OwnKey,
     "Windows 10 Pro", kNtFamily},
    {"NT without a name", {2, 10, 0, 19045}, "Windows 10 Pro", Stored::OtherKeyOnly, "",
     kNtFamily},
    {"unknown platform", {3, 5, 0, 0}, "Windows CE", Stored::OwnKey, "", kNone},
};

TEST(AboutInfo, SystemNameAndPicturesPerWindowsVersion) {
    for (const OsCase& c : kOsCases) {
        SCOPED_TRACE(c.Label);
        FakeMachine m;
        const bool nt = c.Version.PlatformId == ui::kPlatformNt;
        // An unknown platform gets a name in both keys: neither is read.
        const char* own = nt ? kNtKey : kWindowsKey;
        const char* other = nt ? kWindowsKey : kNtKey;
        if (c.Where == Stored::OwnKey) {
            m.Text(own, "ProductName", c.RegistryName);
            m.Text(other, "ProductName", "Name In The Other Key");
        } else if (c.Where == Stored::OtherKeyOnly) {
            m.Text(other, "ProductName", c.RegistryName);
        }
        if (c.Version.PlatformId > ui::kPlatformNt) m.Text(other, "ProductName", c.RegistryName);

        const ui::AboutContent about = ui::LoadAbout(m.Access, c.Version, "Kestovar Hivewarden");
        EXPECT_EQ(about.OsName, c.Shown);
        EXPECT_EQ(about.Pictures, c.Pictures);
    }
}

TEST(AboutInfo, PicturesDependOnPlatformAndShownName) {
    // The NT family shows its two pictures whatever its name.
    EXPECT_EQ(ui::PicturesFor(ui::kPlatformNt, "Microsoft Windows 98"), kNtFamily);
    EXPECT_EQ(ui::PicturesFor(ui::kPlatformNt, ""), kNtFamily);
    EXPECT_EQ(ui::PicturesFor(ui::kPlatformWin32s, "Microsoft Windows 95"), kClassic);
    EXPECT_EQ(ui::PicturesFor(ui::kPlatformWindows, "microsoft windows 95"), kClassic);
    EXPECT_EQ(ui::PicturesFor(ui::kPlatformWindows, " Microsoft Windows 95"), kLater9x);
    EXPECT_EQ(ui::PicturesFor(ui::kPlatformWindows, ""), kLater9x);
    EXPECT_EQ(ui::PicturesFor(7, "Microsoft Windows 95"), kNone);
}

TEST(AboutInfo, LinksAreFixedAddresses) {
    EXPECT_EQ(ui::kSupportLink.Caption, "Technical Support");
    EXPECT_TRUE(ui::kSupportLink.Address.starts_with("https://"));
    EXPECT_TRUE(ui::kHomePageLink.Address.starts_with("https://"));
    EXPECT_NE(ui::kSupportLink.Address, ui::kHomePageLink.Address);
}

// --- GetKeyValue ---

struct KeyValueCase {
    const char* Label;
    std::uint32_t Type;
    std::string Bytes;
    bool Result;
    std::string Text;  // keyVal afterwards, starting from "before"
};

TEST(AboutInfo, GetKeyValueReadsTextAndLeavesOtherTypesAlone) {
    const std::vector<KeyValueCase> cases = {
        {"text with its zero", registry::kRegSz, SzBytes("C:\\Tools\\info.exe"), true,
         "C:\\Tools\\info.exe"},
        {"text without a zero", registry::kRegSz, Utf16("C:\\Tools"), true, "C:\\Tools"},
        {"empty text", registry::kRegSz, std::string(2, '\0'), true, ""},
        {"no bytes at all", registry::kRegSz, "", true, ""},
        {"only the last zero goes", registry::kRegSz, Utf16("ab") + std::string(4, '\0'), true,
         std::string("ab\0", 3)},
        {"an odd last byte is no character", registry::kRegSz, Utf16("ab") + '\x01', true, "ab"},
        {"text in other scripts", registry::kRegSz,
         SzBytes("C:\\\xE5\xB7\xA5\xE5\x85\xB7\\\xD0\xB8\xD0\xBD\xD1\x84\xD0\xBE.exe"), true,
         "C:\\\xE5\xB7\xA5\xE5\x85\xB7\\\xD0\xB8\xD0\xBD\xD1\x84\xD0\xBE.exe"},  // 工具\инфо
        {"expandable text", registry::kRegExpandSz, SzBytes("%windir%"), true, "before"},
        {"a number", registry::kRegDword, std::string("\x01\0\0\0", 4), true, "before"},
        {"1024 characters fit", registry::kRegSz, SzBytes(std::string(1023, 'a')), true,
         std::string(1023, 'a')},
        {"1025 characters do not", registry::kRegSz, SzBytes(std::string(1024, 'a')), false, ""},
    };
    for (const KeyValueCase& c : cases) {
        SCOPED_TRACE(c.Label);
        FakeMachine m;
        m.Raw("HKLM\\SOFTWARE\\Test", "Value", c.Type, c.Bytes);
        std::string text = "before";
        EXPECT_EQ(ui::GetKeyValue(m.Access, registry::kLocalMachine, "software\\test", "VALUE",
                                  text),
                  c.Result);
        EXPECT_EQ(text, c.Text);
    }
}

TEST(AboutInfo, GetKeyValueEmptiesTheTextWhenKeyOrValueIsMissing) {
    FakeMachine m;
    m.Text("HKLM\\SOFTWARE\\Test", "Other", "x");
    std::string text = "before";
    EXPECT_FALSE(ui::GetKeyValue(m.Access, registry::kLocalMachine, "SOFTWARE\\Test", "Value",
                                 text));
    EXPECT_EQ(text, "");
    text = "before";
    EXPECT_FALSE(ui::GetKeyValue(m.Access, registry::kLocalMachine, "SOFTWARE\\Missing",
                                 "Value", text));
    EXPECT_EQ(text, "");
    text = "before";
    EXPECT_FALSE(ui::GetKeyValue(m.Access, registry::kCurrentUser, "SOFTWARE\\Test", "Other",
                                 text));
    EXPECT_EQ(text, "");
}

// --- System Info ---

struct Launcher {
    bool Succeeds = true;
    std::vector<std::string> Started;

    ui::ProgramStarter Starter() {
        return [this](const std::string& path) {
            Started.push_back(path);
            return Succeeds;
        };
    }
};

constexpr const char* kToolFolder = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo";
constexpr const char* kSystemTool = "C:\\Windows\\System32\\msinfo32.exe";

TEST(AboutInfo, SysInfoStartsTheRegisteredPathAsItIs) {
    FakeMachine m;
    m.Text(kSysInfoKey, "PATH", "D:\\Info\\msinfo32.exe");  // no such file: the start decides
    m.Text(kSysInfoFolderKey, "MSINFO", kToolFolder).File(std::string(kToolFolder) +
                                                          "\\MSINFO32.EXE");
    Launcher launcher;
    EXPECT_TRUE(ui::StartSysInfo(m.Access, launcher.Starter()));
    EXPECT_EQ(launcher.Started, std::vector<std::string>{"D:\\Info\\msinfo32.exe"});

    launcher.Succeeds = false;
    launcher.Started.clear();
    EXPECT_FALSE(ui::StartSysInfo(m.Access, launcher.Starter()));
    EXPECT_EQ(launcher.Started.size(), 1u);  // no second try at the folder's tool
}

TEST(AboutInfo, SysInfoFallsBackToTheRegisteredFolder) {
    FakeMachine m;
    m.Text(kSysInfoFolderKey, "MSINFO", kToolFolder);
    m.File(std::string(kToolFolder) + "\\MSINFO32.EXE").File(kSystemTool);
    Launcher launcher;
    EXPECT_TRUE(ui::StartSysInfo(m.Access, launcher.Starter()));
    EXPECT_EQ(launcher.Started,
              std::vector<std::string>{std::string(kToolFolder) + "\\MSINFO32.EXE"});
}

TEST(AboutInfo, SysInfoIsUnavailableWhenTheRegisteredFolderHasNoTool) {
    FakeMachine m;
    // The system folder's tool is not used once a folder is registered.
    m.Text(kSysInfoFolderKey, "MSINFO", kToolFolder).File(kSystemTool);
    m.Folder(std::string(kToolFolder) + "\\MSINFO32.EXE");  // a folder is no program
    Launcher launcher;
    EXPECT_FALSE(ui::StartSysInfo(m.Access, launcher.Starter()));
    EXPECT_TRUE(launcher.Started.empty());
}

TEST(AboutInfo, SysInfoWithNeitherEntryUsesTheSystemFolderOrIsUnavailable) {
    {
        FakeMachine m;
        Launcher launcher;
        EXPECT_FALSE(ui::StartSysInfo(m.Access, launcher.Starter()));
        EXPECT_TRUE(launcher.Started.empty());
    }
    {
        FakeMachine m;
        m.File(kSystemTool);
        Launcher launcher;
        EXPECT_TRUE(ui::StartSysInfo(m.Access, launcher.Starter()));
        EXPECT_EQ(launcher.Started, std::vector<std::string>{kSystemTool});
    }
}

TEST(AboutInfo, SysInfoPathThatIsNotPlainTextCannotStart) {
    FakeMachine m;
    m.Raw(kSysInfoKey, "PATH", registry::kRegExpandSz, std::string("%windir%\\x.exe\0", 15));
    m.File(kSystemTool);
    Launcher launcher;
    EXPECT_FALSE(ui::StartSysInfo(m.Access, launcher.Starter()));
    EXPECT_TRUE(launcher.Started.empty());
    EXPECT_EQ(ui::kSysInfoUnavailable, "System Information Is Unavailable At This Time");
}

}  // namespace
}  // namespace hivewarden::testing
