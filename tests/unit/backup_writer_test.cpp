// The backup blocks: value lines from a value's text form, escaping, the key-tree collection
// order and whole-key blocks, and the agreement of the exact writer with the text-form lines
// for every value that the text form holds completely.
#include "repair/backup_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/regfile_writer.h"
#include "support/fake_machine.h"

namespace hivewarden::testing {
namespace {

using namespace std::string_literals;
using repair::CollectKeyTree;
using repair::FormatValueLine;
using repair::KeyTree;

std::string HexPairsOf(const std::string& bytes) {
    FakeProbes probes;
    return registry::ConvertValueToText({3, bytes}, probes).Data;
}

TEST(BackupWriter, EscapesBackslashesAndQuotesOnce) {
    struct Case {
        const char* name;
        std::string text;
        std::string escaped;
    };
    const Case cases[] = {
        {"nothing to escape", "abc", "abc"},
        {"backslash", "C:\\A", "C:\\\\A"},
        {"quote", "say \"hi\"", "say \\\"hi\\\""},
        {"escaped pair is not escaped again", "\\\"", "\\\\\\\""},
        {"control characters copied", "a\tb\x01", "a\tb\x01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(repair::EscapeRegText(c.text), c.escaped);
    }
}

TEST(BackupWriter, ValueLinesFromTheTextForm) {
    struct Case {
        const char* name;
        std::string valueName;
        std::string data;
        std::int32_t type;
        std::string line;
    };
    const Case cases[] = {
        {"text with backslash and quotes", "Path", "C:\\A \"B\"", 1, R"("Path"="C:\\A \"B\"")"},
        {"default text value", "", "x", 1, R"(@="x")"},
        {"default number value 16", "", "16", 4, R"(""=dword:10)"},
        {"number 0", "n", "0", 4, R"("n"=dword:0)"},
        {"number -1", "n", "-1", 4, R"("n"=dword:FFFFFFFF)"},
        {"2147483648 read as -2147483648", "n", "-2147483648", 4, R"("n"=dword:80000000)"},
        {"binary 01 0A FF", "b", "01 0A FF 00 ", 3, R"("b"=hex:01,0A,FF,)"},
        {"empty binary", "b", "00 ", 3, R"("b"=hex:)"},
        {"binary default value", "", "7F 00 ", 3, R"(""=hex:7F,)"},
        {"a value that was not read", "v", "", 0, ""},
        {"an unknown type code", "v", "x", 9, ""},
        // Names are escaped: unescaped, the quote would end the name and the line would not
        // import at all.
        {"name with a double quote", "a\"b", "x", 1, R"("a\"b"="x")"},
        {"number name with a backslash", "a\\b", "1", 4, R"("a\\b"=dword:1)"},
        // A quoted string cannot hold these: the text goes out as its bytes.
        {"text with a line break", "t", "a\r\nb", 1, R"("t"=hex(1):61,0d,0a,62,00)"},
        {"multi-string text with inner NULs", "m", "a\0b\0"s, 1, R"("m"=hex(1):61,00,62,00,00)"},
        {"number text that is no number", "n", "abc", 4, ""},
        {"binary text that is no hex", "b", "zz \r\n", 3, ""},
        {"name with a NUL", "a\0b"s, "x", 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatValueLine(c.valueName, c.data, c.type), c.line);
    }
}

TEST(BackupWriter, BinaryTextFormHoldsAtMost255Bytes) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i);
    const std::string line = FormatValueLine("b", HexPairsOf(bytes), 3);
    EXPECT_EQ(line.size(), std::string(R"("b"=hex:)").size() + 255 * 3);
    EXPECT_THAT(line, ::testing::EndsWith("FC,FD,FE,"));
}

// For every value the text form holds completely, the exact writer gives the very same line.
TEST(BackupWriter, ExactLinesEqualTextFormLinesWhereTheTextFormIsComplete) {
    FakeProbes probes;
    const std::vector<registry::RawValue> values = {
        {1, "C:\\A \"B\"\0"s}, {1, "\0"s},
        {1, "tab\there\0"s},   {1, "\xE4\xFF\0"s},
        {4, "\0\0\0\0"s},      {4, "\xFF\xFF\xFF\xFF"s},
        {4, "\x10\0\0\0"s},    {3, ""},
        {3, "\x01\x0A\xFF"s},  {3, std::string(255, '\x5A')},
    };
    for (const std::string& name : {""s, "Name"s, "q\"b\\"s}) {
        for (const registry::RawValue& value : values) {
            SCOPED_TRACE("type " + std::to_string(value.Type) + " size " +
                         std::to_string(value.Bytes.size()) + " name " + name);
            const registry::ValueText text = registry::ConvertValueToText(value, probes);
            std::string exact;
            std::string error;
            ASSERT_TRUE(registry::FormatRawValueLine(name, value, exact, error));
            EXPECT_EQ(exact, FormatValueLine(name, text.Data, text.Type));
        }
    }
}

std::vector<std::string> Paths(const KeyTree& tree) {
    std::vector<std::string> paths;
    for (const auto& key : tree) paths.push_back(key.FullPath);
    return paths;
}

TEST(BackupWriter, CollectsTheTreeDepthFirstInPreOrder) {
    FakeMachine machine;
    const std::string base = "HKEY_CURRENT_USER\\Software\\Vendor\\K";
    machine.Text(base, "v", "1")
        .Text(base + "\\B", "b", "2")
        .Key(base + "\\A\\A1")
        .Number(base + "\\A", "a", 3);
    for (const char* path : {"Software\\Vendor\\K", "Software\\Vendor\\K\\"}) {
        SCOPED_TRACE(path);
        KeyTree tree;
        CollectKeyTree(tree, path, registry::kCurrentUser, true, machine.Access);
        EXPECT_THAT(Paths(tree),
                    ::testing::ElementsAre(base, base + "\\A", base + "\\A\\A1", base + "\\B"));
        ASSERT_EQ(tree.size(), 4u);
        EXPECT_EQ(tree[0].KeyName, "K");
        EXPECT_EQ(tree[2].KeyName, "A1");
        ASSERT_EQ(tree[1].Values.size(), 1u);
        EXPECT_EQ(tree[1].Values[0].Data, "3");
        EXPECT_EQ(tree[1].RawValues[0], (registry::RawValue{4, "\x03\0\0\0"s}));
    }
    KeyTree below;
    CollectKeyTree(below, "Software\\Vendor\\K", registry::kCurrentUser, false, machine.Access);
    EXPECT_EQ(below.size(), 3u);
}

TEST(BackupWriter, StopRequestedEndsTheCollection) {
    FakeMachine machine;
    machine.Key("HKEY_CURRENT_USER\\S\\V\\K\\A").Key("HKEY_CURRENT_USER\\S\\V\\K\\B");
    int yields = 0;
    machine.State.YieldHook = [&] {
        if (++yields == 1) machine.State.StopRequested = true;
    };
    KeyTree tree;
    CollectKeyTree(tree, "S\\V\\K", registry::kCurrentUser, true, machine.Access);
    EXPECT_LT(tree.size(), 3u);
}

TEST(BackupWriter, WholeKeyBlockGolden) {
    FakeMachine machine;
    const std::string base = "HKEY_LOCAL_MACHINE\\Software\\Vendor\\App";
    machine.Text(base, "", "C:\\App\\app.exe")
        .Raw(base, "Flags", 3, "\x01\x0A\xFF"s)
        .Raw(base + "\\Sub", "Env", 2, "%WINDIR%\0"s)
        .Number(base + "\\Sub", "n", 0xFFFFFFFFu)
        .Key(base + "\\Sub\\Leaf");
    KeyTree tree;
    CollectKeyTree(tree, "Software\\Vendor\\App", registry::kLocalMachine, true, machine.Access);
    std::string block;
    std::string error;
    ASSERT_TRUE(repair::FormatWholeKeyBlock(tree, block, error)) << error;
    EXPECT_EQ(block,
              "\r\n[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App]\r\n"
              "@=\"C:\\\\App\\\\app.exe\"\r\n"
              "\"Flags\"=hex:01,0A,FF,\r\n"
              "\r\n[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App\\Sub]\r\n"
              "\"Env\"=hex(2):25,57,49,4e,44,49,52,25,00\r\n"
              "\"n\"=dword:FFFFFFFF\r\n"
              "\r\n[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App\\Sub\\Leaf]\r\n"
              "\r\n");
}

TEST(BackupWriter, KeyWithoutValuesOrSubkeysGivesItsKeyLineBetweenEmptyLines) {
    FakeMachine machine;
    machine.Key("HKEY_CURRENT_USER\\Software\\V\\Empty");
    for (const char* path : {"Software\\V\\Empty", "Software\\V\\Gone"}) {
        SCOPED_TRACE(path);
        KeyTree tree;
        CollectKeyTree(tree, path, registry::kCurrentUser, true, machine.Access);
        std::string block;
        std::string error;
        ASSERT_TRUE(repair::FormatWholeKeyBlock(tree, block, error));
        EXPECT_EQ(block, "\r\n[HKEY_CURRENT_USER\\" + std::string(path) + "]\r\n\r\n");
    }
}

TEST(BackupWriter, ValueBlocks) {
    std::string block;
    std::string error;
    ASSERT_TRUE(
        repair::FormatValueBlock("HKEY_CURRENT_USER\\K", "\"a\"=\"b\"", true, block, error));
    EXPECT_EQ(block, "[HKEY_CURRENT_USER\\K]\r\n\"a\"=\"b\"\r\n\r\n");
    ASSERT_TRUE(repair::FormatValueBlock("HKEY_CURRENT_USER\\K", "", false, block, error));
    EXPECT_EQ(block, "[HKEY_CURRENT_USER\\K]\r\n\r\n");
    EXPECT_FALSE(repair::FormatValueBlock("Nowhere\\K", "x", true, block, error));
}

}  // namespace
}  // namespace hivewarden::testing
