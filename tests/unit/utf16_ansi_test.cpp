// UTF-16LE <-> Windows-1252 conversion: the code page's special rows, characters it lacks,
// surrogates, and the byte-for-byte round trip of every ANSI byte.
#include "registry/utf16_ansi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hivewarden::testing {
namespace {

using namespace std::string_literals;

std::string Units(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

TEST(Utf16Ansi, ConvertsToCodePage1252) {
    struct Case {
        const char* Name;
        std::u16string Utf16;
        std::string Ansi;
    };
    const std::vector<Case> cases = {
        {"ASCII", u"C:\\Windows", "C:\\Windows"},
        {"Latin-1 letters keep their number", u"caf\u00e9 \u00ff", "caf\xE9 \xFF"},
        {"euro sign and dashes from the 0x80 row", u"\u20ac\u2013\u2014\u2122", "\x80\x96\x97\x99"},
        {"letters of the 0x80 row", u"\u0160\u0152\u017d\u0178", "\x8A\x8C\x8E\x9F"},
        {"undefined bytes map to their control characters", u"\u0081\u008d\u008f\u0090\u009d",
         "\x81\x8D\x8F\x90\x9D"},
        {"no best fit: A with macron is ?", u"\u0100", "?"},
        {"Greek and CJK are ?", u"\u03a9\u4e2d", "??"},
        {"a surrogate pair is one ?", u"a\U0001F600b", "a?b"},
        {"a lone high surrogate is ?",
         u"a\xD83D"
         u"b",
         "a?b"},
        {"a lone low surrogate is ?",
         u"a\xDE00"
         u"b",
         "a?b"},
        {"NUL stays NUL", u"a\0b"s, "a\0b"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(Utf16LeToAnsi(Units(c.Utf16)), c.Ansi);
    }
}

TEST(Utf16Ansi, OddFinalByteIsIgnored) { EXPECT_EQ(Utf16LeToAnsi("A\0B"s), "A"); }

TEST(Utf16Ansi, EveryAnsiByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string wide = AnsiToUtf16Le(all);
    ASSERT_EQ(wide.size(), 512u);
    EXPECT_EQ(wide.substr(0x80 * 2, 2), "\xAC\x20");  // 0x80 is U+20AC
    EXPECT_EQ(Utf16LeToAnsi(wide), all);
}

}  // namespace
}  // namespace hivewarden::testing
