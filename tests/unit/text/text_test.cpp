// Case-insensitive comparison of UTF-8 text by the registry's rule, and the UTF-8 <-> UTF-16
// conversions with lone surrogates carried through.
#include "text/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "text/unicode.h"

namespace hivewarden::testing {
namespace {

struct NoCaseCase {
    const char* name;
    std::string a;
    std::string b;
    bool equal;
};

TEST(Text, ComparesAsTheRegistryDoes) {
    const NoCaseCase kCases[] = {
        {"ASCII", "Software\\Classes", "SOFTWARE\\classes", true},
        {"Latin-1", "J\xC3\xBCrgen", "J\xC3\x9CRGEN", true},          // ü / Ü
        {"Greek", "\xCE\xA9mega", "\xCF\x89MEGA", true},              // Ω / ω
        {"Cyrillic", "\xD0\x9F\xD1\x80\xD0\xB8", "\xD0\xBF\xD0\xA0\xD0\x98", true},
        {"y diaeresis", "\xC3\xBF", "\xC5\xB8", true},                // ÿ / Ÿ
        {"CJK has no case", "\xE6\x9D\x8E", "\xE6\x9D\x8E", true},
        {"different CJK", "\xE6\xB5\x8B\xE8\xAF\x95", "\xE6\xB5\x8B\xE9\xAA\x8C", false},
        {"sharp s is not SS", "stra\xC3\x9F" "e", "STRASSE", false},
        {"emoji stay as they are", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", true},
        {"Deseret is not folded (outside the basic plane)", "\xF0\x90\x90\xA8",
         "\xF0\x90\x90\x80", false},
        {"length differs", "abc", "abcd", false},
        {"upper case of different byte length", "\xC4\xB1", "I", true},  // dotless i -> I
        {"a lone surrogate is not half of a pair", "\xED\xA0\x80", "\xF0\x90\x80\x80", false},
        {"lone surrogates compare as units", "a\xED\xB0\x80", "A\xED\xB0\x80", true},
    };
    for (const NoCaseCase& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EqualsNoCase(c.a, c.b), c.equal);
        EXPECT_EQ(EqualsNoCase(c.b, c.a), c.equal);
        EXPECT_EQ(CompareNoCase(c.a, c.b) == 0, c.equal);
        EXPECT_EQ(ToUpper(c.a) == ToUpper(c.b), c.equal);
    }
}

TEST(Text, OrdersByUpperCasedUtf16Units) {
    // U+E000 sorts after every character outside the basic plane in UTF-16 order, although
    // its code point is smaller.
    std::vector<std::string> names = {"\xEE\x80\x80", "b", "\xF0\x9F\x98\x80", "A", "\xC3\xA9",
                                      "Z"};
    std::sort(names.begin(), names.end(), LessNoCase{});
    const std::vector<std::string> expected = {"A", "b", "Z", "\xC3\xA9", "\xF0\x9F\x98\x80",
                                               "\xEE\x80\x80"};
    EXPECT_EQ(names, expected);
}

TEST(Text, ContainsAndStartsWithIgnoreCase) {
    EXPECT_TRUE(ContainsNoCase("C:\\APPS\\\xCE\xA9MEGA\\app.exe", "\xCF\x89mega"));
    EXPECT_TRUE(ContainsNoCase("x\xC4\xB1y", "IY"));
    EXPECT_FALSE(ContainsNoCase("C:\\Apps", "\xE6\x9D\x8E"));
    EXPECT_TRUE(ContainsNoCase("anything", ""));
    EXPECT_TRUE(StartsWithNoCase("C:\\Users\\J\xC3\xBCrgen", "c:\\users\\J\xC3\x9C"));
    EXPECT_FALSE(StartsWithNoCase("C:\\", "C:\\Users"));
}

TEST(Text, UpcaseTableFollowsUnicodeSimpleMappings) {
    EXPECT_EQ(UpcaseUnit(u'a'), u'A');
    EXPECT_EQ(UpcaseUnit(u'\u00E9'), u'\u00C9');
    EXPECT_EQ(UpcaseUnit(u'\u03C9'), u'\u03A9');
    EXPECT_EQ(UpcaseUnit(u'\u0430'), u'\u0410');
    EXPECT_EQ(UpcaseUnit(u'\u00DF'), u'\u00DF');  // no single-unit upper case
    EXPECT_EQ(UpcaseUnit(u'\uFF41'), u'\uFF21');  // fullwidth a
    EXPECT_EQ(UpcaseUnit(char16_t{0xD801}), char16_t{0xD801});  // surrogates stay
    EXPECT_EQ(UpcaseCodePoint(U'\U00010428'), U'\U00010428');
}

struct Utf16Case {
    const char* name;
    std::u16string units;
    std::string utf8;
};

TEST(Unicode, ConvertsBothWaysIncludingLoneSurrogates) {
    const Utf16Case kCases[] = {
        {"ASCII", u"C:\\Apps", "C:\\Apps"},
        {"CJK", u"\u674E\u660E", "\xE6\x9D\x8E\xE6\x98\x8E"},
        {"surrogate pair", u"\U0001F600", "\xF0\x9F\x98\x80"},
        {"embedded NUL", std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
        {"lone high surrogate", u"a\xD800z", "a\xED\xA0\x80z"},
        {"lone low surrogate at the end", u"a\xDC00", "a\xED\xB0\x80"},
    };
    for (const Utf16Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8FromUtf16(c.units), c.utf8);
        EXPECT_EQ(Utf16FromUtf8(c.utf8), c.units);
        const std::string le = Utf16LeFromUtf8(c.utf8);
        EXPECT_EQ(le.size(), c.units.size() * 2);
        EXPECT_EQ(Utf8FromUtf16Le(le), c.utf8);
    }
}

TEST(Unicode, TellsWellFormedTextFromOddData) {
    EXPECT_TRUE(IsWellFormedUtf16Le(Utf16LeFromUtf8("\xF0\x9F\x98\x80 ok")));
    EXPECT_FALSE(IsWellFormedUtf16Le(std::string("A\0B", 3)));          // odd length
    EXPECT_FALSE(IsWellFormedUtf16Le(std::string("\x00\xD8" "A\0", 4)));  // lone high
    EXPECT_TRUE(IsStrictUtf8("\xE6\x9D\x8E \xEF\xBF\xBD"));
    EXPECT_FALSE(IsStrictUtf8("\xED\xA0\x80"));  // a surrogate form
    EXPECT_FALSE(IsStrictUtf8("Caf\xE9"));       // Windows-1252, not UTF-8
    EXPECT_EQ(Utf16FromUtf8("Caf\xE9"), u"Caf\uFFFD");
    EXPECT_EQ(Utf8FromUtf16Le(std::string("A\0B", 3)), "A");  // the odd byte is not text
}

}  // namespace
}  // namespace hivewarden::testing
