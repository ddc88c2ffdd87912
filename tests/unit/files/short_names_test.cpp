// Short 8.3 names: which names have their form, and which long names could carry them.
#include "files/short_names.h"

#include <gtest/gtest.h>

namespace hivewarden::testing {
namespace {

using registry::CouldCarryShortName;
using registry::IsShortNameForm;

TEST(ShortNames, TheFormIsBaseTildeDigitsAndAShortExtension) {
    const struct {
        const char* name;
        bool form;
    } cases[] = {
        {"PROGRA~1", true},     {"progra~1", true},      {"COMMON~12", false},
        {"LONGDO~1.HTM", true}, {"A~1", true},           {"AB~123.C", true},
        {"PR1A2B~1", true},     {"PROGRAM~1", false},    {"PROGR~123", false},
        {"PROGRA~", false},     {"~1", false},           {"PROGRA~X", false},
        {"PROGRA~1.HTML", false}, {"PROGRA~1.", false},  {"PRO GR~1", false},
        {"A.B~1", false},       {"PROGRA~1~2", false},   {"Program Files", false},
        {"app.exe", false},     {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsShortNameForm(c.name), c.form);
    }
}

TEST(ShortNames, ALongNameCarriesTheShortNamesItsFirstCharactersAndExtensionGive) {
    const struct {
        const char* what;
        const char* longName;
        const char* shortName;
        bool carries;
    } cases[] = {
        {"first six characters", "Program Files", "PROGRA~1", true},
        {"any number", "Program Files", "PROGRA~2", true},
        {"lower case asked", "Program Files", "progra~1", true},
        {"a sibling with the same start", "Program Files (x86)", "PROGRA~1", true},
        {"spaces dropped", "Common Files", "COMMON~1", true},
        {"a shorter stem for a longer number", "Program Files", "PROGR~10", true},
        {"dots of the base dropped", "my.long.name.txt", "MYLONG~1.TXT", true},
        {"extension cut to three", "Long document.html", "LONGDO~1.HTM", true},
        {"extension must agree", "Long document.html", "LONGDO~1", false},
        {"no extension against one", "Program Files", "PROGRA~1.EXE", false},
        {"other first characters", "Programs and more", "PROGRE~1", false},
        {"characters short names cannot hold", "a+b=c[1].txt", "A_B_C_~1.TXT", true},
        {"leading dot dropped", ".gitignore", "GITIGN~1", true},
        {"a name that is itself 8.3 has no other", "Docs", "DOCS~1", false},
        {"an 8.3 file name too", "Readme.TXT", "README~1.TXT", false},
        {"a letter beyond ASCII as itself", "Caf\xC3\xA9 Bar Menu", "CAF\xC3\x89" "BA~1", true},
        {"a letter beyond ASCII as underscore", "Caf\xC3\xA9 Bar Menu", "CAF_BA~1", true},
        {"underscore is not any ASCII letter", "Cafe Bar Menu", "CAF_BA~1", false},
        {"hashed form of a crowded folder", "Microsoft Office Tools", "MI1A2B~1", true},
        {"hashed form needs its two characters", "Microsoft Office Tools", "MA1A2B~1", false},
        {"not a short name at all", "Program Files", "PROGRAM", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CouldCarryShortName(c.longName, c.shortName), c.carries);
    }
}

}  // namespace
}  // namespace hivewarden::testing
