// Windows-1252 <-> UTF-8 conversion.
#include "registry/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace hivewarden::testing {
namespace {

struct CodePageCase {
    const char* name;
    std::string ansi;
    std::string utf8;
};

TEST(CodePage, ConvertsBothWays) {
    const CodePageCase kCases[] = {
        {"ASCII", "C:\\Windows", "C:\\Windows"},
        {"Latin-1 letter", "Caf\xE9", "Caf\xC3\xA9"},
        {"euro sign from the 0x80 row", "\x80", "\xE2\x82\xAC"},
        {"y diaeresis capital", "\x9F", "\xC5\xB8"},
        {"unassigned byte maps to its control", "\x81", "\xC2\x81"},
        {"last byte", "\xFF", "\xC3\xBF"},
    };
    for (const CodePageCase& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AnsiToUtf8(c.ansi), c.utf8);
        EXPECT_EQ(Utf8ToAnsi(c.utf8), c.ansi);
    }
}

TEST(CodePage, Utf8OutsideTheCodePageBecomesQuestionMarks) {
    EXPECT_EQ(Utf8ToAnsi("\xE4\xB8\xAD.txt"), "?.txt");  // a CJK character
    EXPECT_EQ(Utf8ToAnsi("a\xF0\x9F\x98\x80"), "a?");    // outside the basic plane
}

TEST(CodePage, TextThatIsNotUtf8IsTakenAsAnsi) {
    for (const std::string text :
         {"Caf\xE9", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Utf8ToAnsi(text), text);
    }
}

}  // namespace
}  // namespace hivewarden::testing
