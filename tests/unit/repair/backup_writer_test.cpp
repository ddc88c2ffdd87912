// The backup blocks: values from a value's text form, escaping, the key-tree collection order,
// whole-key and value blocks, the agreement of the text form with the value wherever the text
// form is complete, and the backup file's choice between REGEDIT4 and version 5.
#include "repair/backup_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/code_page.h"
#include "files/durable_file.h"
#include "regfile/regfile_writer.h"
#include "support/fake_machine.h"
#include "support/raw_values.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

using namespace std::string_literals;
using repair::CollectKeyTree;
using repair::KeyTree;
using ::testing::HasSubstr;

const registry::RegWriteFormat kAnsi = registry::RegWriteFormat::Regedit4(Windows1252());

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

// The line a value's text form gives in a REGEDIT4 backup; empty when it stands for nothing.
std::string TextFormLine(std::string_view name, std::string_view data, std::int32_t type) {
    const std::optional<registry::RawValue> value = repair::ValueFromTextForm(data, type);
    if (!value) return {};
    std::string line;
    std::string error;
    EXPECT_TRUE(registry::FormatRawValueLine(name, *value, kAnsi, line, error)) << error;
    return line;
}

TEST(BackupWriter, ValuesFromTheTextForm) {
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextFormLine(c.valueName, c.data, c.type), c.line);
    }
    // Text is stored as Windows stores REG_SZ, in any script.
    EXPECT_EQ(repair::ValueFromTextForm("\xE6\x9D\x8E\xE6\x98\x8E", 1),
              SzValue("\xE6\x9D\x8E\xE6\x98\x8E"));
}

TEST(BackupWriter, BinaryTextFormHoldsAtMost255Bytes) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i);
    const std::optional<registry::RawValue> value = repair::ValueFromTextForm(HexPairsOf(bytes), 3);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->Bytes, bytes.substr(0, 255));
}

// For every value the text form holds completely, the text form stands for that very value.
TEST(BackupWriter, TheTextFormGivesBackTheValueWhereItIsComplete) {
    FakeProbes probes;
    const std::vector<registry::RawValue> values = {
        SzValue("C:\\A \"B\""),
        SzValue(""),
        SzValue("tab\there"),
        SzValue("\xC3\xA4\xC3\xBF \xE6\x9D\x8E \xF0\x9F\x98\x80"),
        {4, "\0\0\0\0"s},
        {4, "\xFF\xFF\xFF\xFF"s},
        {4, "\x10\0\0\0"s},
        {3, ""},
        {3, "\x01\x0A\xFF"s},
        {3, std::string(255, '\x5A')},
    };
    for (const registry::RawValue& value : values) {
        SCOPED_TRACE("type " + std::to_string(value.Type) + " size " +
                     std::to_string(value.Bytes.size()));
        const registry::ValueText text = registry::ConvertValueToText(value, probes);
        EXPECT_EQ(repair::ValueFromTextForm(text.Data, text.Type), value);
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
        .Raw(base + "\\Sub", "Env", 2, SzBytes("%WINDIR%"))
        .Number(base + "\\Sub", "n", 0xFFFFFFFFu)
        .Key(base + "\\Sub\\Leaf");
    KeyTree tree;
    CollectKeyTree(tree, "Software\\Vendor\\App", registry::kLocalMachine, true, machine.Access);
    registry::RegLines lines;
    std::string error;
    ASSERT_TRUE(repair::AddWholeKeyBlock(tree, lines, error)) << error;
    EXPECT_EQ(registry::FormatRegLines(lines, kAnsi),
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
        registry::RegLines lines;
        std::string error;
        ASSERT_TRUE(repair::AddWholeKeyBlock(tree, lines, error));
        EXPECT_EQ(registry::FormatRegLines(lines, kAnsi),
                  "\r\n[HKEY_CURRENT_USER\\" + std::string(path) + "]\r\n\r\n");
    }
}

TEST(BackupWriter, ABlockThatCannotBeWrittenAddsNothing) {
    FakeMachine machine;
    machine.Text("HKEY_CURRENT_USER\\Software\\V\\K", "fine", "x")
        .Text("HKEY_CURRENT_USER\\Software\\V\\K\\Sub", "bad\0name"s, "y");
    KeyTree tree;
    CollectKeyTree(tree, "Software\\V\\K", registry::kCurrentUser, true, machine.Access);
    registry::RegLines lines;
    std::string error;
    EXPECT_FALSE(repair::AddWholeKeyBlock(tree, lines, error));
    EXPECT_THAT(error, HasSubstr("NUL"));
    EXPECT_THAT(error, HasSubstr("HKEY_CURRENT_USER\\Software\\V\\K\\Sub"));
    EXPECT_TRUE(lines.Empty());
    EXPECT_FALSE(repair::AddValueBlock("HKEY_CURRENT_USER\\K", "a\0b"s, SzValue("x"), true,
                                       lines, error));
    EXPECT_TRUE(lines.Empty());
}

TEST(BackupWriter, ValueBlocks) {
    registry::RegLines lines;
    std::string error;
    ASSERT_TRUE(
        repair::AddValueBlock("HKEY_CURRENT_USER\\K", "a", SzValue("b"), true, lines, error));
    EXPECT_EQ(registry::FormatRegLines(lines, kAnsi),
              "[HKEY_CURRENT_USER\\K]\r\n\"a\"=\"b\"\r\n\r\n");
    lines.Clear();
    ASSERT_TRUE(repair::AddValueBlock("HKEY_CURRENT_USER\\K", "a", std::nullopt, false, lines,
                                      error));
    EXPECT_EQ(registry::FormatRegLines(lines, kAnsi), "[HKEY_CURRENT_USER\\K]\r\n\r\n");
    lines.Clear();
    EXPECT_FALSE(repair::AddValueBlock("Nowhere\\K", "a", SzValue("b"), true, lines, error));
    EXPECT_TRUE(lines.Empty());
}

// The backup file takes REGEDIT4 exactly as before while every entry fits the code page; a
// single name outside it makes the whole file version 5.
TEST(BackupWriter, TheFileIsRegedit4UnlessAnEntryDoesNotFit) {
    const auto block = [](std::string_view key, std::string_view name, std::string_view data) {
        registry::RegLines lines;
        std::string error;
        EXPECT_TRUE(repair::AddValueBlock(key, name, SzValue(data), true, lines, error));
        return lines;
    };
    struct Case {
        const char* name;
        const CodePage* codePage;
        bool cjk;
        std::string bytes;
    };
    const std::string ansiBody =
        "[HKEY_CURRENT_USER\\K]\r\n\"Caf\xC3\xA9\"=\"C:\\\\J\xC3\xBCrgen\"\r\n\r\n";
    const std::string cjkBody = "[HKEY_CURRENT_USER\\\xE6\xB5\x8B]\r\n\"a\"=\"b\"\r\n\r\n";
    const Case cases[] = {
        {"code page 1252 text", &Windows1252(), false,
         "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"Caf\xE9\"=\"C:\\\\J\xFCrgen\"\r\n\r\n"},
        {"one CJK key", &Windows1252(), true,
         "\xFF\xFE"s + Utf16("Windows Registry Editor Version 5.00\r\n\r\n" + ansiBody + cjkBody)},
        {"no code page: always version 5", nullptr, false,
         "\xFF\xFE"s + Utf16("Windows Registry Editor Version 5.00\r\n\r\n" + ansiBody)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        auto file = registry::MakeDurableFile();
        repair::BackupFile backup(*file, c.codePage);
        ASSERT_TRUE(backup.Open(folder.File("b.reg")));
        backup.Add(block("HKEY_CURRENT_USER\\K", "Caf\xC3\xA9", "C:\\J\xC3\xBCrgen"));
        if (c.cjk) backup.Add(block("HKEY_CURRENT_USER\\\xE6\xB5\x8B", "a", "b"));
        ASSERT_TRUE(backup.Close());
        EXPECT_EQ(folder.Read("b.reg"), c.bytes);
        EXPECT_EQ(backup.Format().IsRegedit4(), c.codePage && !c.cjk);
    }
}

}  // namespace
}  // namespace hivewarden::testing
