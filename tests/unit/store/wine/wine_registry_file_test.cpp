// Wine's registry file format: every value form read to exact bytes, values written back as
// Wine's server writes them (lines taken from a real prefix), escapes both ways, and the
// document keeping each block's text.
#include "store/wine/wine_registry_file.h"

#include <gtest/gtest.h>

#include <string>

#include "store/wine/wine_string.h"
#include "support/raw_values.h"

namespace hivewarden::registry {
namespace {

using testing::SzBytes;
using testing::Utf16;

// A file of one key holding `valueLines`.
WineRegistryFile ParseOneKey(const std::string& valueLines) {
    const std::string text = "WINE REGISTRY Version 2\n\n[K] 1\n" + valueLines + "\n";
    WineRegistryFile file;
    std::string error;
    EXPECT_TRUE(ParseWineRegistryFile(text, file, error)) << error;
    return file;
}

struct ReadCase {
    const char* Line;
    std::string Name;
    RawValue Data;
};

TEST(WineRegistryFileTest, ReadsEveryValueFormToExactBytes) {
    const ReadCase cases[] = {
        {"@=\"C:\\\\Windows\"", "", {kRegSz, SzBytes("C:\\Windows")}},
        {"\"a\"=str:\"x\"", "a", {kRegSz, SzBytes("x")}},
        {"\"e\"=str(2):\"%SystemRoot%\\\\x\"", "e", {kRegExpandSz, SzBytes("%SystemRoot%\\x")}},
        {"\"m\"=str(7):\"a\\0b\\0\"", "m", {kRegMultiSz, Utf16(std::string("a\0b\0\0", 5))}},
        {"\"d\"=dword:0000002a", "d", {kRegDword, std::string("\x2a\0\0\0", 4)}},
        {"\"q\"=hex(b):01,00,00,00,00,00,00,00",
         "q",
         {kRegQword, std::string("\1\0\0\0\0\0\0\0", 8)}},
        {"\"n\"=hex(0):", "n", {kRegNone, ""}},
        {"\"b\"=hex:00,ff,\\\n  10", "b", {kRegBinary, std::string("\0\xff\x10", 3)}},
        {"\"s1\"=hex(1):41,00", "s1", {kRegSz, std::string("A\0", 2)}},  // no terminator
        {"\"c\"=\"\\t\\n\\r\\a\\e\\1\\x41\\x20ac5\\q\"",
         "c",
         {kRegSz, Utf16("\t\n\r\a\x1b\x01"
                        "A") +
                      std::string("\xac\x20", 2) + Utf16("5q") + std::string(2, '\0')}},
        {"\"u\"=\"caf\xC3\xA9\"", "u", {kRegSz, SzBytes("caf\xC3\xA9")}},  // raw UTF-8
        {"\"\\x441\\\"q\"=\"1\"", "\xD1\x81\"q", {kRegSz, SzBytes("1")}},
        {"\"bad\"=hex:100", "bad", {kRegNone, ""}},  // a byte above ff: Wine keeps REG_NONE
        {"\"bad2\"=str(3):\"x\"", "bad2", {kRegNone, ""}},
    };
    for (const ReadCase& c : cases) {
        const WineRegistryFile file = ParseOneKey(c.Line);
        ASSERT_EQ(file.Keys.size(), 1u) << c.Line;
        ASSERT_EQ(file.Keys[0].Values.size(), 1u) << c.Line;
        EXPECT_EQ(file.Keys[0].Values[0].Name, c.Name) << c.Line;
        EXPECT_EQ(file.Keys[0].Values[0].Data, c.Data) << c.Line;
    }
}

// Lines as Wine 8's server wrote them into a fresh prefix: read and written back unchanged.
TEST(WineRegistryFileTest, WritesValuesExactlyAsWineDoes) {
    const char* lines[] = {
        "\"SymbolicLinkValue\"=hex(6):5c,00,52,00,65,00,67,00,69,00,73,00,74,00,72,00,79,\\\n"
        "  00,5c,00,4d,00,61,00,63,00,68,00,69,00,6e,00,65,00,5c,00,53,00,6f,00,66,00,\\\n"
        "  74,00,77,00,61,00,72,00,65,00,5c,00,43,00,6c,00,61,00,73,00,73,00,65,00,73,\\\n"
        "  00,5c,00,41,00,70,00,70,00,49,00,64,00\n",
        "\"Dll\"=str(7):\"cryptnet.dll\\0\"\n",
        "@=\"C:\\\\windows\\\\system32\\\\xaudio2_4.dll\"\n",
        "\"0\"=hex:1f,00\n",
        "\"ActiveWindowTracking\"=dword:00000000\n",
        "\"PATH\"=str(2):\"%SystemRoot%\\\\system32;%SystemRoot%\"\n",
        "\"caf\\xe9\"=\"\\x20ac 5 \\x65e5\\x672c\"\n",
        "\"\\x00e9a\"=\"\\1\\0017\"\n",
    };
    for (const char* line : lines) {
        const WineRegistryFile file = ParseOneKey(std::string(line, std::string(line).size() - 1));
        ASSERT_EQ(file.Keys[0].Values.size(), 1u) << line;
        EXPECT_EQ(FormatWineValue(file.Keys[0].Values[0]), line);
    }
}

TEST(WineRegistryFileTest, WritesStringsWithoutTheirTerminatorAsHex) {
    struct Case {
        RawValue Data;
        const char* Line;
    };
    const Case cases[] = {
        {{kRegSz, std::string("A\0", 2)}, "\"v\"=hex(1):41,00\n"},
        {{kRegExpandSz, std::string("A\0\0", 3)}, "\"v\"=hex(2):41,00,00\n"},
        {{kRegSz, ""}, "\"v\"=hex(1):\n"},
        {{kRegDword, std::string("\1\2\3", 3)}, "\"v\"=hex(4):01,02,03\n"},
        {{kRegSz, SzBytes("")}, "\"v\"=\"\"\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatWineValue({"v", c.Data}), c.Line);
}

TEST(WineRegistryFileTest, EscapesKeyPathsAndKeepsSurrogatesApart) {
    const std::string emoji = "\xF0\x9F\x8C\x8E";  // U+1F30E, two UTF-16 units
    const std::string block =
        FormatWineKeyBlock({"Control Panel", "a]b" + emoji}, {}, {}, 0x1dd88ab84ff8e20ull);
    EXPECT_EQ(block, "[Control Panel\\\\a\\]b\\xd83c\\xdf0e] 1796909814\n#time=1dd88ab84ff8e20\n");

    WineRegistryFile file;
    std::string error;
    ASSERT_TRUE(ParseWineRegistryFile("WINE REGISTRY Version 2\n" + block, file, error));
    ASSERT_EQ(file.Keys.size(), 1u);
    EXPECT_EQ(file.Keys[0].Path, (std::vector<std::string>{"Control Panel", "a]b" + emoji}));
}

TEST(WineRegistryFileTest, KeepsEachBlocksTextHeadAndTail) {
    const std::string head =
        "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000"
        "\n\n#arch=win64\n\n";
    const std::string a = "[A] 1\n#time=1\n#class=\"c\\\"x\"\n\"v\"=\"1\"\n";
    const std::string b = "[A\\\\B] 2\n#link\n\"SymbolicLinkValue\"=hex(6):5c,00\n";
    WineRegistryFile file;
    std::string error;
    ASSERT_TRUE(ParseWineRegistryFile(head + a + "\n;c\n" + b, file, error)) << error;
    EXPECT_EQ(file.Head, head);
    EXPECT_EQ(file.RelativeTo, "REGISTRY\\User\\S-1-5-21-0-0-0-1000");
    ASSERT_EQ(file.Keys.size(), 2u);
    EXPECT_EQ(file.Keys[0].Text, a);
    EXPECT_EQ(file.Keys[0].Tail, "\n;c\n");
    EXPECT_EQ(*file.Keys[0].Info.Class, u"c\"x");
    EXPECT_EQ(file.Keys[1].Text, b);
    EXPECT_EQ(file.Keys[1].Tail, "");
    EXPECT_TRUE(file.Keys[1].Info.IsLink);
    EXPECT_EQ(file.Keys[1].Path, (std::vector<std::string>{"A", "B"}));
}

TEST(WineRegistryFileTest, RefusesFilesWithoutTheHeader) {
    WineRegistryFile file;
    std::string error;
    EXPECT_FALSE(ParseWineRegistryFile("REGEDIT4\n\n[K]\n", file, error));
    EXPECT_NE(error.find("line 1: not a Wine registry file"), std::string::npos);
    EXPECT_FALSE(ParseWineRegistryFile("WINE REGISTRY Version 2\n[K\n", file, error));
    EXPECT_NE(error.find("line 2"), std::string::npos);
}

TEST(WineRegistryFileTest, EscapesRoundTripEveryUnit) {
    std::u16string all;
    for (char32_t unit = 0; unit < 0x10000; unit += 7) all += static_cast<char16_t>(unit);
    all += u"09afAF\\\"[]";
    std::string text;
    AppendWineString(all, "\"\"", text);
    for (char c : text) ASSERT_LT(static_cast<unsigned char>(c), 0x80u);
    text += '"';
    std::size_t pos = 0;
    std::u16string back;
    ASSERT_TRUE(ParseWineString(text, pos, '"', back));
    EXPECT_EQ(back, all);
    EXPECT_EQ(pos, text.size());
}

}  // namespace
}  // namespace hivewarden::registry
