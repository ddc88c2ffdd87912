// The eight category rules, one table of named cases each rule runs through.
#include "scan/category_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "scan/scan_options.h"
#include "support/fake_probes.h"

namespace hivewarden::testing {
namespace {

using namespace scan;

enum class Rule { SharedDll, Help, Uninstall, AppPath, Driver, Sound, AutoRun, Font };

struct Case {
    const char* name;
    Rule rule;
    std::string keyPath;
    std::string data;
    bool expected;
};

const std::string kHklmCv = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion";
const std::string kHklmNtCv = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion";

const Case kCases[] = {
    // Shared DLLs: the data decides, not the value's name.
    {"shared dll data names a dll", Rule::SharedDll, kHklmCv + "\\SharedDLLs",
     "C:\\Windows\\system32\\a.dll", true},
    {"shared dll count as data is not", Rule::SharedDll, kHklmCv + "\\SharedDLLs", "1", false},
    {"shared dll key compared in upper case", Rule::SharedDll,
     "hkey_local_machine\\software\\microsoft\\windows\\currentversion\\shareddlls", "x.DLL", true},
    {"dll data outside SharedDLLs", Rule::SharedDll, kHklmCv + "\\Run", "C:\\a.dll", false},
    // Help.
    {"help file under Windows\\Help", Rule::Help,
     "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Help", "C:\\Windows\\Help\\calc.hlp", true},
    {"chm is not a help entry", Rule::Help,
     "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Help", "C:\\Windows\\Help\\calc.chm",
     false},
    {"HTML Help key is not Windows\\Help", Rule::Help,
     "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\HTML Help", "C:\\x.hlp", false},
    // Uninstall: needs data that names a path.
    {"uninstall string with arguments", Rule::Uninstall, kHklmCv + "\\Uninstall\\Tool",
     "C:\\Program Files\\Tool\\uninst.exe /S", true},
    {"uninstall under Windows NT", Rule::Uninstall, kHklmNtCv + "\\Uninstall\\Tool",
     "C:\\Tool\\remove.exe", true},
    {"bare word under Uninstall", Rule::Uninstall, kHklmCv + "\\Uninstall\\Tool", "MsiExec", false},
    {"empty data under Uninstall", Rule::Uninstall, kHklmCv + "\\Uninstall\\Tool", "", false},
    {"path outside Uninstall", Rule::Uninstall, kHklmCv + "\\Run", "C:\\Tool\\remove.exe", false},
    // App Paths.
    {"application path", Rule::AppPath, kHklmCv + "\\App Paths\\tool.exe", "C:\\Tool\\tool.exe",
     true},
    {"application path under Windows NT", Rule::AppPath, kHklmNtCv + "\\App Paths\\tool.exe",
     "C:\\Tool\\tool.exe", true},
    {"number under App Paths", Rule::AppPath, kHklmCv + "\\App Paths\\tool.exe", "12345", false},
    {"empty data under App Paths", Rule::AppPath, kHklmCv + "\\App Paths\\tool.exe", "", false},
    // Drivers: at least five characters.
    {"bare .sys is too short", Rule::Driver, "", ".sys", false},
    {"a.SYS", Rule::Driver, "", "a.SYS", true},
    {"vxd driver", Rule::Driver, "", "C:\\Windows\\System\\vmm.vxd", true},
    {"extension not at the end", Rule::Driver, "", "a.sys ", false},
    {"longer extension", Rule::Driver, "", "a.sysx", false},
    // Characters, not bytes, count; and the ending is compared in upper case by the
    // registry's rule, where the long s is "S".
    {"five characters of which one is Greek", Rule::Driver, "", "\xCE\xB1.sys", true},
    {"four characters in five bytes", Rule::Driver, "", "\xC3\xA9.sy", false},
    {"Chinese driver name", Rule::Driver, "", "C:\\\xE9\xA9\xB1\xE5\x8A\xA8.VXD", true},
    {"long s in the ending", Rule::Driver, "", "a.\xC5\xBFys", true},
    {"ending in another script", Rule::Driver, "", "a.\xD1\x81ys", false},  // Cyrillic es
    // Sounds.
    {"sound under Apps\\.Default", Rule::Sound,
     "HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\.Default\\SystemAsterisk\\.Current",
     "C:\\Windows\\Media\\ding.wav", true},
    {"sound with empty data", Rule::Sound,
     "HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\.Default\\SystemAsterisk\\.Current", "", false},
    {"key ending Apps.default", Rule::Sound, "HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps.default",
     "x.wav", false},
    // The excluded ending has no "\" before ".default", so the .Default key itself qualifies.
    {"the .Default key itself", Rule::Sound,
     "HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\.Default", "x.wav", true},
    {"event names are not sounds", Rule::Sound,
     "HKEY_CURRENT_USER\\AppEvents\\EventLabels\\SystemAsterisk", "Asterisk", false},
    // Start-up programs: only values directly in a Run... key.
    {"RunServicesEx", Rule::AutoRun, kHklmCv + "\\RunServicesEx", "C:\\a.exe", true},
    {"Run", Rule::AutoRun, kHklmCv + "\\Run", "C:\\a.exe", true},
    {"run in lower case", Rule::AutoRun,
     "HKEY_CURRENT_USER\\software\\microsoft\\windows\\currentversion\\run", "a.exe", true},
    {"subkey of RunOnceEx", Rule::AutoRun, kHklmCv + "\\RunOnceEx\\0001", "C:\\a.exe", false},
    {"start-up with empty data", Rule::AutoRun, kHklmCv + "\\Run", "", false},
    {"Run key outside CurrentVersion\\Run", Rule::AutoRun, kHklmCv + "\\Policies\\Explorer\\Run",
     "C:\\a.exe", false},
    // The own name is tested for "RUN" anywhere, so such a subkey still counts.
    {"subkey whose own name contains RUN", Rule::AutoRun, kHklmCv + "\\Run\\Rundll", "C:\\a.exe",
     true},
    // Fonts.
    {"font under Windows NT Fonts", Rule::Font, kHklmNtCv + "\\Fonts", "arial.ttf", true},
    {"fonts key in lower case", Rule::Font,
     "HKEY_LOCAL_MACHINE\\software\\microsoft\\windows\\currentversion\\fonts", "a.fon", true},
    {"subkey of Fonts", Rule::Font, kHklmCv + "\\Fonts\\Extra", "arial.ttf", false},
    {"font with empty data", Rule::Font, kHklmCv + "\\Fonts", "", false},
    {"Fonts key elsewhere", Rule::Font, "HKEY_LOCAL_MACHINE\\Software\\Vendor\\Fonts", "a.ttf",
     false},
};

// Calls the rule with its own argument order; the context's signals serve every rule.
bool Apply(Rule rule, const std::string& keyPath, const std::string& data, PathContext& paths) {
    registry::EngineSignals* signals = paths.Signals;
    switch (rule) {
        case Rule::SharedDll:
            return IsSharedDllEntry(data, keyPath, signals);
        case Rule::Help:
            return IsHelpEntry(data, keyPath, signals);
        case Rule::Uninstall:
            return IsUninstallEntry(keyPath, data, paths);
        case Rule::AppPath:
            return IsAppPathEntry(keyPath, data, paths);
        case Rule::Driver:
            return IsDriverEntry(data, signals);
        case Rule::Sound:
            return IsSoundEntry(keyPath, data, signals);
        case Rule::AutoRun:
            return IsAutoRunEntry(keyPath, data, signals);
        case Rule::Font:
            return IsFontEntry(keyPath, data, signals);
    }
    return false;
}

TEST(CategoryRules, DecideByKeyPathAndData) {
    FakeProbes probes;
    PathContext paths{probes, "C:\\Windows\\"};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Apply(c.rule, c.keyPath, c.data, paths), c.expected);
    }
}

TEST(CategoryRules, RulesPastTheirFirstTestYieldOnce) {
    struct YieldCase {
        const char* name;
        Rule rule;
        std::string keyPath;
        std::string data;
        int yields;
    } cases[] = {
        {"shared dll key, other data", Rule::SharedDll, kHklmCv + "\\SharedDLLs", "1", 1},
        {"not a shared dll key", Rule::SharedDll, kHklmCv + "\\Run", "a.dll", 0},
        {"help key, other data", Rule::Help, "HKEY_LOCAL_MACHINE\\Microsoft\\Windows\\Help", "x",
         1},
        {"not a help key", Rule::Help, kHklmCv, "a.hlp", 0},
        {"uninstall, bare word", Rule::Uninstall, kHklmCv + "\\Uninstall\\X", "word", 1},
        {"uninstall, empty data", Rule::Uninstall, kHklmCv + "\\Uninstall\\X", "", 0},
        {"app path elsewhere", Rule::AppPath, kHklmCv, "C:\\a.exe", 1},
        {"app path, empty data", Rule::AppPath, kHklmCv + "\\App Paths\\a.exe", "", 0},
        {"five characters, no driver", Rule::Driver, "", "a.exe", 1},
        {"four characters", Rule::Driver, "", ".sys", 0},
        {"sound data elsewhere", Rule::Sound, kHklmCv, "x.wav", 1},
        {"sound, empty data", Rule::Sound, "HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\x", "", 0},
        {"start-up data elsewhere", Rule::AutoRun, kHklmCv, "a.exe", 1},
        {"start-up, empty data", Rule::AutoRun, kHklmCv + "\\Run", "", 0},
        {"font data elsewhere", Rule::Font, kHklmCv, "a.ttf", 1},
        {"font, empty data", Rule::Font, kHklmCv + "\\Fonts", "", 0},
    };
    for (const YieldCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeProbes probes;
        registry::EngineSignals signals;
        int yields = 0;
        signals.YieldHook = [&] { ++yields; };
        PathContext paths{probes, "C:\\Windows\\"};
        Apply(c.rule, c.keyPath, c.data, paths);  // no signals in the context: never yields
        EXPECT_EQ(yields, 0);
        paths.Signals = &signals;
        Apply(c.rule, c.keyPath, c.data, paths);
        // ExtractPath yields once more on its own for the rules that ask the path kind.
        const bool asksPathKind = c.rule == Rule::Uninstall || c.rule == Rule::AppPath;
        EXPECT_EQ(yields, c.yields * (asksPathKind ? 2 : 1));
    }
}

TEST(CategoryRules, PathRulesGivenTheKindAnswerAndYieldAsWhenTheyCutThePathThemselves) {
    FakeProbes probes;
    probes.AddFile("C:\\Windows\\Fonts\\tool.ttf");
    registry::EngineSignals signals;
    int yields = 0;
    signals.YieldHook = [&] { ++yields; };
    PathContext paths{probes, "C:\\Windows\\", &signals};
    for (const Case& c : kCases) {
        if (c.rule != Rule::Uninstall && c.rule != Rule::AppPath) continue;
        SCOPED_TRACE(c.name);
        const std::int32_t kind = PathKindOf(c.data, paths);
        yields = 0;
        const bool cutting = Apply(c.rule, c.keyPath, c.data, paths);
        const int cuttingYields = yields;
        const int probesBefore = probes.ProbeCount();
        yields = 0;
        const bool given = c.rule == Rule::Uninstall
                               ? IsUninstallEntry(c.keyPath, c.data, paths, kind)
                               : IsAppPathEntry(c.keyPath, c.data, paths, kind);
        EXPECT_EQ(given, cutting);
        EXPECT_EQ(given, c.expected);
        EXPECT_EQ(yields, cuttingYields);
        EXPECT_EQ(probes.ProbeCount(), probesBefore);  // the path is not cut out again
    }
}

TEST(CategoryRules, PathRulesAskThePathKindOnlyWhenTheDataIsNotEmpty) {
    FakeProbes probes;
    PathContext paths{probes, "C:\\Windows\\"};
    EXPECT_FALSE(IsUninstallEntry(kHklmCv + "\\Uninstall\\X", "", paths));
    EXPECT_FALSE(IsAppPathEntry(kHklmCv + "\\App Paths\\x.exe", "", paths));
    EXPECT_EQ(probes.ProbeCount(), 0);
}

TEST(CategoryRules, FontNameFoundInTheFontsFolderIsAPathForUninstall) {
    // A bare name is a path (a file) only when the fonts folder holds it.
    FakeProbes probes;
    probes.AddFile("C:\\Windows\\Fonts\\tool.ttf");
    PathContext paths{probes, "C:\\Windows\\"};
    EXPECT_TRUE(IsUninstallEntry(kHklmCv + "\\Uninstall\\X", "tool.ttf", paths));
    EXPECT_FALSE(IsUninstallEntry(kHklmCv + "\\Uninstall\\X", "other.ttf", paths));
}

TEST(ScanOptions, EachCategoryHasItsOwnBit) {
    const std::int32_t bits[] = {ScanAll,       ScanSharedDlls, ScanHelp,   ScanTrojans,
                                 ScanAppPaths,  ScanDrivers,    ScanSounds, ScanUninstall,
                                 ScanEmptyKeys, ScanAutoRun,    ScanFonts};
    std::int32_t expected = 1;
    for (std::int32_t bit : bits) {
        EXPECT_EQ(bit, expected);
        expected *= 2;
    }
}

}  // namespace
}  // namespace hivewarden::testing
