// Code pages of the system (MultiByteToWideChar / WideCharToMultiByte): exact conversions where
// the code page holds the text, "not exact" where it does not (no best-fit look-alikes), and
// UTF-8 as a system's ANSI code page.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "text/code_page.h"
#include "win/win32_test_support.h"

namespace hivewarden::testing {
namespace {

TEST(Win32CodePage, ConvertsExactlyOrSaysItCannot) {
    struct Case {
        const char* name;
        unsigned codePage;
        std::string text;   // UTF-8
        bool holds;
        std::string bytes;  // the code page's bytes when it holds the text
    };
    const Case cases[] = {
        {"Cyrillic in 1251", 1251, "\xD0\x9F\xD1\x80\xD0\xB8", true, "\xCF\xF0\xE8"},
        {"Japanese in 932", 932, "\xE5\x90\x8D\xE5\x89\x8D", true, "\x96\xBC\x91\x4F"},
        {"Greek in 1253", 1253, "\xCE\xA9mega", true, "\xD9mega"},
        {"Greek is no look-alike in 1252", 1252, "\xCE\xA9mega", false, ""},
        {"CJK is not in 1251", 1251, "\xE7\x8E\x8B", false, ""},
        {"Polish is no look-alike in 1253", 1253, "\xC5\x81\xC3\xB3" "d\xC5\xBA", false, ""},
        {"UTF-8 holds every character", 65001, "\xE7\x8E\x8B \xF0\x9F\x98\x80", true,
         "\xE7\x8E\x8B \xF0\x9F\x98\x80"},
        {"UTF-8 does not hold a lone surrogate", 65001, "x\xED\xA0\x80", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        const std::unique_ptr<CodePage> page = OpenCodePage(c.codePage, error);
        ASSERT_TRUE(page) << error;
        EXPECT_EQ(page->Number(), c.codePage);
        std::string bytes;
        EXPECT_EQ(page->FromUtf8(c.text, bytes), c.holds);
        if (c.holds) {
            EXPECT_EQ(bytes, c.bytes);
            EXPECT_EQ(page->ToUtf8(bytes), c.text);
        }
    }
}

TEST(Win32CodePage, AnUnknownNumberIsRefusedWithAReason) {
    std::string error;
    EXPECT_FALSE(OpenCodePage(12345, error));
    EXPECT_NE(error.find("12345"), std::string::npos) << error;
}

TEST(Win32CodePage, TheSystemAnsiCodePageOpens) {
    std::string error;
    const std::unique_ptr<CodePage> page = OpenCodePage(SystemAnsiCodePage(), error);
    ASSERT_TRUE(page) << error;
    EXPECT_EQ(page->Number(), GetACP());
}

}  // namespace
}  // namespace hivewarden::testing
