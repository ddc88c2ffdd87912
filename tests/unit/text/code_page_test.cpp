// ANSI code pages: the built-in Windows-1252 table, exactness, the platform's other pages, and
// the text-file encoding of reports and Ignore.ini.
#include "text/code_page.h"

#include <gtest/gtest.h>

#include <string>

#include "text/text_file.h"

namespace hivewarden::testing {
namespace {

struct CodePageCase {
    const char* name;
    std::string ansi;
    std::string utf8;
};

TEST(CodePage, Windows1252ConvertsBothWays) {
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
        EXPECT_EQ(Windows1252().ToUtf8(c.ansi), c.utf8);
        std::string bytes;
        EXPECT_TRUE(Windows1252().FromUtf8(c.utf8, bytes));
        EXPECT_EQ(bytes, c.ansi);
    }
}

TEST(CodePage, EveryByteOf1252SurvivesTheRoundTrip) {
    for (int b = 0; b < 256; ++b) {
        const std::string ansi(1, static_cast<char>(b));
        std::string back;
        ASSERT_TRUE(Windows1252().FromUtf8(Windows1252().ToUtf8(ansi), back)) << b;
        EXPECT_EQ(back, ansi) << b;
    }
}

TEST(CodePage, CharactersOutsideThePageAreReportedNotGuessed) {
    const char* const kTexts[] = {
        "\xE4\xB8\xAD.txt",    // a CJK character
        "a\xF0\x9F\x98\x80",   // outside the basic plane
        "\xC4\x80",            // U+0100: no best fit to 'A'
        "\xCE\xA9mega",        // Greek capital omega
        "\xC3",                // not UTF-8 at all
    };
    for (const char* text : kTexts) {
        SCOPED_TRACE(text);
        std::string bytes;
        EXPECT_FALSE(Windows1252().FromUtf8(text, bytes));
        EXPECT_NE(bytes.find('?'), std::string::npos);
        EXPECT_FALSE(Windows1252().Holds(text));
    }
}

TEST(CodePage, PlatformPagesConvertTheirOwnLetters) {
    std::string error;
    auto cyrillic = OpenCodePage(1251, error);
    ASSERT_NE(cyrillic, nullptr) << error;
    EXPECT_EQ(cyrillic->ToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2"),
              "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");  // "Привет"
    std::string bytes;
    EXPECT_TRUE(cyrillic->FromUtf8("\xD0\x9F\xD1\x80\xD0\xB8", bytes));
    EXPECT_EQ(bytes, "\xCF\xF0\xE8");
    EXPECT_FALSE(cyrillic->FromUtf8("\xE4\xB8\xAD", bytes));  // CJK has no place in 1251

    auto western = OpenCodePage(kWindows1252, error);
    ASSERT_NE(western, nullptr);
    EXPECT_EQ(western->ToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(OpenCodePage(99999, error), nullptr);
    EXPECT_NE(error.find("99999"), std::string::npos);
}

TEST(TextFile, AnsiWhenThePageHoldsTheTextUtf8WithAMarkOtherwise) {
    EXPECT_EQ(EncodeTextFile("C:\\Caf\xC3\xA9\r\n", Windows1252()), "C:\\Caf\xE9\r\n");
    EXPECT_EQ(EncodeTextFile("C:\\\xE6\x9D\x8E\r\n", Windows1252()),
              "\xEF\xBB\xBF" "C:\\\xE6\x9D\x8E\r\n");
}

TEST(TextFile, ReadsEveryFormItWritesAndUtf16) {
    const std::string text = "C:\\\xE6\x9D\x8E\\Caf\xC3\xA9";
    EXPECT_EQ(DecodeTextFile(EncodeTextFile(text, Windows1252()), Windows1252()), text);
    EXPECT_EQ(DecodeTextFile("Caf\xE9", Windows1252()), "Caf\xC3\xA9");
    EXPECT_EQ(DecodeTextFile(std::string("\xFF\xFE" "A\0\x4E\x67", 6), Windows1252()),
              "A\xE6\x9D\x8E");
}

}  // namespace
}  // namespace hivewarden::testing
