// Path extraction, kind and missing test over a small fake machine: one table of named texts
// with the path, kind and missing flag each must give.
#include "scan/path_extract.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/error_entry.h"
#include "store/signals.h"
#include "files/windows_path.h"
#include "support/fake_probes.h"

namespace hivewarden::testing {
namespace {

using scan::ExtractPath;
using scan::IsMissing;
using scan::PathContext;
using scan::PathKindOf;

constexpr std::int32_t kNone = engine::kNotAPath;
constexpr std::int32_t kFolder = engine::kFolderPath;
constexpr std::int32_t kFile = engine::kFilePath;
constexpr std::int32_t kRoot = engine::kDriveRoot;
constexpr std::int32_t kNetwork = engine::kNetworkPath;

// A font whose path in the fonts folder is longer than most.
const std::string kLongFont = std::string(600, 'f') + ".ttf";

// Drive C: with a few programs, libraries, documents and folders; C:\Windows\Fonts holds
// arial.ttf and kLongFont. Nothing else exists (no drive D:).
FakeProbes MakeMachine() {
    FakeProbes probes;
    probes.AddFile(R"(C:\Program Files\App\app.exe)")
        .AddFile(R"(C:\Program Files\A\a.exe)")
        .AddFile(R"(C:\Program Files\Common Files\x.dll)")
        .AddFile(R"(C:\Windows\rundll32.exe)")
        .AddFile(R"(C:\Windows\system32\shell32.dll)")
        .AddFile(R"(C:\Windows\system32\x.dll)")
        .AddFile(R"(C:\Windows\Fonts\arial.ttf)")
        .AddFile("C:\\Windows\\Fonts\\" + kLongFont)
        .AddFile(R"(C:\Docs\a.htm)")
        .AddFile(R"(C:\Tools\run.exe)")
        .AddFile(R"(C:\Apps\my-tool.exe)")
        .AddFile(R"(C:\a\b.exe)")
        .AddFile(R"(C:\x\y.dll)")
        .AddFile(R"(C:\Lib\a.dll)")
        .AddFile(R"(C:\Lib\a;b.dll)")
        .AddFolder(R"(C:\Data)")
        .AddFolder(R"(C:\Some.Folder)");
    // The fake compares paths as written; Windows reads a doubled "\" as one, so this file
    // is also known under its doubled spelling.
    probes.AddFile(R"(C:\Lib\\twice.dll)");
    return probes;
}

struct Case {
    const char* Name;
    std::string Text;
    std::string Path;
    std::int32_t Kind;
    bool Missing;  // IsMissing(Text, Kind)
};

const Case kCases[] = {
    // Quotes.
    {"quoted program with a switch", R"("C:\Program Files\App\app.exe" -min)",
     R"(C:\Program Files\App\app.exe)", kFile, false},
    {"quoted program with a quoted placeholder", R"("C:\Program Files\A\a.exe" "%1")",
     R"(C:\Program Files\A\a.exe)", kFile, false},
    {"unquoted program with a quoted placeholder", R"(C:\Program Files\A\a.exe "%1")",
     R"(C:\Program Files\A\a.exe)", kFile, false},
    {"opening quote without a closing quote", R"("C:\Program Files\A\a.exe)",
     R"(C:\Program Files\A\a.exe)", kFile, false},
    {"nothing but quotes", R"("")", "", kFile, false},
    {"quoted missing program with a switch", R"("C:\Program Files\B\b.exe" /s)",
     R"(C:\Program Files\B\b.exe)", kFile, true},
    {"quote before a second drive path", R"(C:\a\b.exe" "C:\x\y.dll)", R"(C:\a\b.exe)", kFile,
     false},
    {"quote right before a second drive path", R"(C:\a\b.exe"C:\x\y.dll)", R"(C:\a\b.exe)", kFile,
     false},
    // Arguments, icon indexes and other marks after the last backslash.
    {"icon resource id after a comma", R"(C:\Windows\system32\shell32.dll,-154)",
     R"(C:\Windows\system32\shell32.dll)", kFile, false},
    {"icon index 0", R"(C:\Windows\system32\shell32.dll,0)", R"(C:\Windows\system32\shell32.dll)",
     kFile, false},
    {"switch after an existing program", R"(C:\Tools\run.exe /q)", R"(C:\Tools\run.exe)", kFile,
     false},
    {"several words after an existing program", R"(C:\Tools\run.exe a b c)", R"(C:\Tools\run.exe)",
     kFile, false},
    {"switch after a missing program keeps the space", R"(C:\Tools\gone.exe /q)",
     "C:\\Tools\\gone.exe ", kFile, true},
    {"wildcard pattern names its folder", R"(C:\Docs\*.htm)", "C:\\Docs\\", kFile, false},
    {"DEL character after the name", "C:\\x\\y.dll\x7f", R"(C:\x\y.dll)", kFile, false},
    {"rundll32 line with a library path", R"(rundll32.exe C:\x\y.dll,Entry)", R"(C:\x\y.dll)",
     kFile, false},
    {"rundll32 line with its own full path", R"(C:\Windows\rundll32.exe C:\x\y.dll,Entry)",
     R"(C:\Windows\rundll32.exe)", kFile, false},
    {"word before the drive and a switch after", R"(abc C:\Tools\run.exe -q)",
     R"(C:\Tools\run.exe)", kFile, false},
    // Dashes.
    {"dash switch after an existing program", R"(C:\Tools\run.exe -min)", R"(C:\Tools\run.exe)",
     kFile, false},
    {"dash switch after a missing program", R"(C:\Tools\gone.exe -min)", "C:\\Tools\\gone.exe ",
     kFile, true},
    {"existing program with a dash in its name", R"(C:\Apps\my-tool.exe)", R"(C:\Apps\my-tool.exe)",
     kFile, false},
    {"dash switch after a program with a dash in its name", R"(C:\Apps\my-tool.exe -silent)",
     R"(C:\Apps\my-tool.exe)", kFile, false},
    {"dashed word after a program with a dash in its name", R"(C:\Apps\my-tool.exe start-up)",
     R"(C:\Apps\my-tool.exe)", kFile, false},
    {"dash suffix on a program named without .exe", R"(C:\Tools\run-x)", R"(C:\Tools\run.exe)",
     kFile, false},
    {"dash and number as the last component", R"(C:\Data\-5)", "C:\\Data\\", kFile, false},
    // Prefixes.
    {"FILE:// prefix", R"(FILE://C:\Docs\a.htm)", R"(C:\Docs\a.htm)", kFile, false},
    {"file: prefix in lower case", R"(file:C:\Docs\a.htm)", R"(C:\Docs\a.htm)", kFile, false},
    {"file:/// with forward slashes", "file:///C:/Docs/a.htm", "", kFile, false},
    {"file: prefix before a font name", "file:arial.ttf", "arial.ttf", kFile, false},
    {"file:// prefix before a UNC path", R"(file://\\server\share\f.txt)",
     R"(\\server\share\f.txt)", kNetwork, false},
    {"leading equals sign", R"(=C:\x\y.dll)", R"(C:\x\y.dll)", kFile, false},
    {"web address", "HTTP://www.example.com/index.html", "", kFile, false},
    {"URL prefix", "URL://x", "", kFile, false},
    {"web address with a backslash", R"(HTTP://server\page)", "HTTP://server", kNone, true},
    {"web address of a UNC path", R"(HTTP://\\srv\share\f.txt)", R"(HTTP://\\srv\share\)", kNone,
     true},
    // Several paths.
    {"second path after a semicolon", R"(C:\a\b.exe;D:\c)", R"(C:\a\b.exe)", kFile, false},
    {"second path after a pipe", R"(C:\a\b.exe|D:\c)", R"(C:\a\b.exe)", kFile, false},
    {"second path after a space", R"(C:\a\b.exe D:\c)", R"(C:\a\b.exe)", kFile, false},
    {"word with a colon after a font name", "arial.ttf x:", "arial.ttf", kFile, false},
    {"trailing semicolon after an existing file", R"(C:\Lib\a.dll;)", R"(C:\Lib\a.dll)", kFile,
     false},
    {"trailing semicolon after a missing file", R"(C:\Lib\b.dll;)", R"(C:\Lib\b.dll;)", kFile,
     true},
    {"list after an existing file", R"(C:\Lib\a.dll;b;c)", R"(C:\Lib\a.dll)", kFile, false},
    {"semicolons inside an existing name and after it", R"(C:\Lib\a;b.dll;)", R"(C:\Lib\a;b.dll)",
     kFile, false},
    {"list after a bare name is left alone", "arial.ttf;x", "arial.ttf;x", kNone, true},
    {"two colons", R"(C:\x:y)", R"(C:\x:y)", kNone, true},
    // Numbers.
    {"starts with a digit", "123abc", "123abc", kNone, true},
    {"plain number", "42", "42", kNone, true},
    {"negative number", "-5", "", kFile, false},
    {"minus zero is no negative number", "-0", "-0", kNone, true},
    {"number under an existing folder", R"(C:\Data\7)", R"(C:\Data)", kFile, false},
    {"number under a missing folder", R"(C:\Nodata\7)", "", kFile, false},
    // Fonts, environment, empty text.
    {"font in the fonts folder", "arial.ttf", "arial.ttf", kFile, false},
    {"font not in the fonts folder", "times.ttf", "times.ttf", kNone, true},
    {"long font name in the fonts folder", kLongFont, kLongFont, kFile, false},
    {"environment reference left unexpanded", R"(%SystemRoot%\system32\x.dll)",
     R"(%SystemRoot%\system32\x.dll)", kNone, true},
    {"expanded environment reference", R"(C:\Windows\system32\x.dll)",
     R"(C:\Windows\system32\x.dll)", kFile, false},
    {"empty text", "", "", kFile, false},
    // Files, folders, drives and network paths.
    {"existing file under folders with spaces", R"(C:\Program Files\Common Files\x.dll)",
     R"(C:\Program Files\Common Files\x.dll)", kFile, false},
    {"program named without .exe", R"(C:\Tools\run)", R"(C:\Tools\run.exe)", kFile, false},
    {"folder with a dot in its name", R"(C:\Some.Folder)", R"(C:\Some.Folder)", kFolder, false},
    {"missing folder", R"(C:\Gone\Folder)", R"(C:\Gone\Folder)", kFolder, true},
    {"missing folder below a folder with a dot", R"(C:\Some.Folder\Gone)", R"(C:\Some.Folder\Gone)",
     kFolder, true},
    {"existing drive root", R"(C:\)", R"(C:\)", kRoot, false},
    {"missing drive root", R"(D:\)", R"(D:\)", kRoot, true},
    {"UNC path", R"(\\server\share\f.txt)", R"(\\server\share\f.txt)", kNetwork, false},
    {"bare server name", R"(\\server)", R"(\\server)", kNone, true},
    {"UNC program with a switch keeps the space", R"(\\server\share\tool.exe /s)",
     "\\\\server\\share\\tool.exe ", kNetwork, false},
    {"doubled backslash in an existing drive path", R"(C:\Lib\\twice.dll)", R"(C:\Lib\\twice.dll)",
     kNetwork, false},
    {"doubled backslash in a missing drive path", R"(C:\Lib\\gone.dll)", R"(C:\Lib\\gone.dll)",
     kNetwork, true},
};

// Names in other scripts: the same cuts at the same marks (no UTF-8 character holds an ASCII
// byte), character positions that count characters, not bytes, and names compared in any
// letter case by the registry's rule. The machine adds C:\Apps\李明\app.exe,
// C:\Apps\ωmega\app.exe, C:\Users\Алёша\Документы\отчёт.txt, C:\Apps\😀\a.exe and the
// font шрифт.ttf.
const std::string kAlyoshaReport =
    "C:\\Users\\\xD0\x90\xD0\xBB\xD1\x91\xD1\x88\xD0\xB0"  // Алёша
    // Документы
    "\\\xD0\x94\xD0\xBE\xD0\xBA\xD1\x83\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82\xD1\x8B"
    "\\\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82.txt";  // отчёт.txt

const Case kUnicodeCases[] = {
    {"quoted Chinese program with a switch", "\"C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe\" /s",
     "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe", kFile, false},
    {"Chinese program with a Chinese argument",
     "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe \xE6\x96\x87\xE4\xBB\xB6.txt",
     "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe", kFile, false},
    {"missing Chinese program", "C:\\Apps\\\xE7\x8E\x8B\\app.exe",
     "C:\\Apps\\\xE7\x8E\x8B\\app.exe", kFile, true},
    {"Greek folder in capitals with a dash switch", "C:\\APPS\\\xCE\xA9MEGA\\APP.EXE -min",
     "C:\\APPS\\\xCE\xA9MEGA\\APP.EXE", kFile, false},
    {"a look-alike names another folder", "C:\\Apps\\Omega\\app.exe", "C:\\Apps\\Omega\\app.exe",
     kFile, true},
    {"icon index after a Cyrillic document", kAlyoshaReport + ",0", kAlyoshaReport, kFile, false},
    {"emoji folder", "C:\\Apps\\\xF0\x9F\x98\x80\\a.exe", "C:\\Apps\\\xF0\x9F\x98\x80\\a.exe",
     kFile, false},
    {"number under a Chinese folder", "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\7",
     "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E", kFile, false},
    {"words of another script before the drive",
     "\xE6\x89\x93\xE5\xBC\x80 C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe",
     "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe", kFile, false},
    // One character before ":\" is no drive letter and nothing before it: the letter is kept
    // whole, not cut in half.
    {"one letter beyond ASCII before :\\", "\xC3\xA9:\\x\\y.dll", "\xC3\xA9:\\x\\y.dll", kFile,
     true},
    {"font of another script in the fonts folder", "\xD1\x88\xD1\x80\xD0\xB8\xD1\x84\xD1\x82.ttf",
     "\xD1\x88\xD1\x80\xD0\xB8\xD1\x84\xD1\x82.ttf", kFile, false},
    // The first ":" at character position 3 (6 bytes in): no late colon, nothing cut.
    {"name and value in Japanese", "\xE5\x90\x8D\xE5\x89\x8D:\xE5\x80\xA4",
     "\xE5\x90\x8D\xE5\x89\x8D:\xE5\x80\xA4", kNone, true},
    // A late colon keeps as many characters as follow the last ":" (three), not bytes.
    {"late colon before three characters", "link\xE5\x90\x8D:\xE5\x90\x8D\xE5\x89\x8D\xE5\x80\xA4",
     "lin", kNone, true},
    // The prefix compared in upper case by the registry's rule: the dotless i is "I".
    {"file: prefix with a dotless i", "f\xC4\xB1le:C:\\Docs\\a.htm", "C:\\Docs\\a.htm", kFile,
     false},
};

FakeProbes MakeUnicodeMachine() {
    FakeProbes probes = MakeMachine();
    probes.AddFile("C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe")
        .AddFile("C:\\Apps\\\xCF\x89mega\\app.exe")
        .AddFile(kAlyoshaReport)
        .AddFile("C:\\Apps\\\xF0\x9F\x98\x80\\a.exe")
        .AddFile("C:\\Windows\\Fonts\\\xD1\x88\xD1\x80\xD0\xB8\xD1\x84\xD1\x82.ttf");
    return probes;
}

TEST(PathExtract, CutsClassifiesAndChecksTextsOfEveryScript) {
    FakeProbes probes = MakeUnicodeMachine();
    PathContext context{probes, "C:\\Windows\\"};
    for (const Case& c : kUnicodeCases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ExtractPath(c.Text, context), c.Path);
        EXPECT_EQ(PathKindOf(c.Text, context), c.Kind);
        EXPECT_EQ(IsMissing(c.Text, c.Kind, context), c.Missing);
    }
}

TEST(PathExtract, CutsClassifiesAndChecksEachText) {
    FakeProbes probes = MakeMachine();
    PathContext context{probes, "C:\\Windows\\"};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ExtractPath(c.Text, context), c.Path);
        EXPECT_EQ(PathKindOf(c.Text, context), c.Kind);
        EXPECT_EQ(IsMissing(c.Text, c.Kind, context), c.Missing);
    }
}

// The font loader looks for a bare name in every font folder it has, in order (on Wine also in
// Wine's own fonts folder); without any, the Windows directory's Fonts folder is the one.
TEST(PathExtract, BareNamesAreLookedUpInEveryFontFolder) {
    FakeProbes probes = MakeMachine();
    probes.AddFile(R"(Z:\usr\share\wine\fonts\coure.fon)");
    struct Case {
        const char* Name;
        std::vector<std::string> FontFolders;
        const char* Text;
        std::int32_t Kind;
        bool Missing;
    };
    const std::vector<std::string> wine = {R"(C:\Windows\Fonts\)", R"(Z:\usr\share\wine\fonts\)"};
    const std::vector<Case> cases = {
        {"in the second folder", wine, "coure.fon", kFile, false},
        {"in the first folder", wine, "arial.ttf", kFile, false},
        {"in neither", wine, "serife.fon", kNone, true},
        {"a full path is not a font name", wine, R"(C:\Gone\coure.fon)", kFile, true},
        {"no folders: the Windows Fonts folder only", {}, "coure.fon", kNone, true},
        {"no folders, in the Windows Fonts folder", {}, "arial.ttf", kFile, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        PathContext context{probes, "C:\\Windows\\", nullptr, c.FontFolders};
        EXPECT_EQ(PathKindOf(c.Text, context), c.Kind);
        EXPECT_EQ(IsMissing(c.Text, c.Kind, context), c.Missing);
    }
}

TEST(PathExtract, YieldsOncePerText) {
    FakeProbes probes = MakeMachine();
    registry::EngineSignals signals;
    int yields = 0;
    signals.YieldHook = [&yields] { ++yields; };
    PathContext context{probes, "C:\\Windows\\", &signals};
    ExtractPath(R"(C:\a\b.exe;D:\c)", context);
    EXPECT_EQ(yields, 1);
    PathKindOf(R"("C:\Program Files\App\app.exe" -min)", context);
    EXPECT_EQ(yields, 2);
    IsMissing(R"(C:\Tools\gone.exe /q)", kFile, context);
    EXPECT_EQ(yields, 3);
}

// Each second path costs one pass of the cleaning loop; a text that needs more passes than
// the limit allows names no path, and so does a text longer than any command line.
TEST(PathExtract, HostileTextsEndAtTheLimits) {
    FakeProbes probes = MakeMachine();
    PathContext context{probes, "C:\\Windows\\"};
    auto list = [](std::size_t extraPaths) {
        std::string text = R"(C:\a\b.exe)";
        for (std::size_t i = 0; i < extraPaths; ++i) text += R"(;D:\c)";
        return text;
    };
    EXPECT_EQ(ExtractPath(list(scan::kMaxCleaningPasses - 1), context), R"(C:\a\b.exe)");
    EXPECT_EQ(ExtractPath(list(scan::kMaxCleaningPasses), context), "");
    EXPECT_FALSE(IsMissing(list(scan::kMaxCleaningPasses), kFile, context));

    std::string longest = R"(C:\Tools\gone.exe /)";
    longest.resize(scan::kMaxPathText, 'x');
    EXPECT_EQ(ExtractPath(longest, context), "C:\\Tools\\gone.exe ");
    EXPECT_TRUE(IsMissing(longest, kFile, context));
    EXPECT_EQ(ExtractPath(longest + "x", context), "");
    EXPECT_FALSE(IsMissing(longest + "x", kFile, context));

    // The limit counts characters as Windows does (UTF-16 units), not bytes: Chinese takes
    // three bytes a character, an emoji four bytes and two units.
    const std::string prefix = R"(C:\Tools\gone.exe /)";
    std::string chinese = prefix;
    for (std::size_t i = prefix.size(); i < scan::kMaxPathText; ++i) chinese += "\xE5\x90\x8D";
    ASSERT_EQ(registry::Utf16Length(chinese), scan::kMaxPathText);
    EXPECT_EQ(ExtractPath(chinese, context), "C:\\Tools\\gone.exe ");
    chinese.resize(chinese.size() - 3);
    EXPECT_EQ(ExtractPath(chinese + "\xF0\x9F\x98\x80", context), "");  // one unit too many
}

}  // namespace
}  // namespace hivewarden::testing
