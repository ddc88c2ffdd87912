// The .reg writer: value and key lines (the short forms and the exact hex forms), hex-list
// wrapping as regedit writes it, round trips through the reader, the whole-store export, and
// the durable file behind it.
#include "registry/regfile_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "registry/access.h"
#include "registry/durable_file.h"
#include "registry/memory_store.h"
#include "registry/regfile.h"
#include "support/fake_machine.h"
#include "support/registry_snapshot.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

// The system's own words for a path whose folder is a file.
#ifdef _WIN32
constexpr const char* kNotAFolderReason = "irectory name";
#else
constexpr const char* kNotAFolderReason = "Not a directory";
#endif

using namespace std::string_literals;
using registry::FormatRawValueLine;
using registry::RawValue;
using ::testing::HasSubstr;

std::string Line(std::string_view name, const RawValue& value) {
    std::string line;
    std::string error;
    EXPECT_TRUE(FormatRawValueLine(name, value, line, error)) << error;
    return line;
}

std::string Bytes(std::size_t count, unsigned seed = 7) {
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i) bytes += static_cast<char>((i * 37 + seed) & 0xFF);
    return bytes;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return lines;
}

TEST(RegFileWriter, ShortFormsOfTextNumbersAndShortBinaries) {
    struct Case {
        const char* name;
        std::string valueName;
        std::uint32_t type;
        std::string bytes;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"text with backslash and quotes", "Path", 1, "C:\\A \"B\"\0"s, R"("Path"="C:\\A \"B\"")"},
        {"default text value", "", 1, "x\0"s, R"(@="x")"},
        {"control characters other than CR and LF stay raw", "t", 1, "a\tb\x01\0"s,
         "\"t\"=\"a\tb\x01\""},
        {"high ANSI characters stay raw", "n\xE9", 1, "\xC4\xFF\0"s, "\"n\xE9\"=\"\xC4\xFF\""},
        {"default number value", "", 4, "\x10\0\0\0"s, R"(""=dword:10)"},
        {"number zero", "n", 4, "\0\0\0\0"s, R"("n"=dword:0)"},
        {"number -1", "n", 4, "\xFF\xFF\xFF\xFF"s, R"("n"=dword:FFFFFFFF)"},
        {"number 0x80000000", "n", 4, "\0\0\0\x80"s, R"("n"=dword:80000000)"},
        {"number 255", "n", 4, "\xFF\0\0\0"s, R"("n"=dword:FF)"},
        {"binary bytes", "b", 3, "\x01\x0A\xFF"s, R"("b"=hex:01,0A,FF,)"},
        {"empty binary", "b", 3, "", R"("b"=hex:)"},
        {"default binary", "", 3, "\x01"s, R"(""=hex:01,)"},
        {"name with a double quote", "a\"b", 1, "v\0"s, R"("a\"b"="v")"},
        {"name with a backslash", "a\\b", 4, "\x01\0\0\0"s, R"("a\\b"=dword:1)"},
        {"name with CR and LF", "a\r\nb", 1, "v\0"s, R"("a\r\nb"="v")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Line(c.valueName, RawValue{c.type, c.bytes}), c.line);
    }
}

TEST(RegFileWriter, BinaryOf255BytesStaysOnOneLineAnd256Wrap) {
    const std::string short255 = Line("b", {3, Bytes(255)});
    EXPECT_EQ(short255.find("\r\n"), std::string::npos);
    EXPECT_EQ(short255.size(), std::string(R"("b"=hex:)").size() + 255 * 3);
    EXPECT_EQ(short255.back(), ',');

    const std::string long256 = Line("b", {3, Bytes(256)});
    EXPECT_THAT(long256, ::testing::StartsWith(R"("b"=hex:07,2c,51,)"));
    EXPECT_NE(long256.back(), ',');
}

TEST(RegFileWriter, WrapsLongHexListsAsRegeditExportsThem) {
    // "b"=hex: plus 23 bytes and the backslash makes 78 columns; full continuation lines hold
    // 25 bytes after two blanks; the last byte has no comma.
    const std::vector<std::string> lines = SplitLines(Line("b", {3, Bytes(300)}));
    ASSERT_EQ(lines.size(), 13u);  // 23 + 11 * 25 = 298, then the last 2 bytes
    EXPECT_EQ(lines[0].size(), 78u);
    EXPECT_EQ(lines[0].substr(0, 8), R"("b"=hex:)");
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i].size(), 2u + 25 * 3 + 1);
        EXPECT_EQ(lines[i].substr(0, 2), "  ");
        EXPECT_EQ(lines[i].substr(lines[i].size() - 2), ",\\");
    }
    EXPECT_EQ(lines.back(), "  " + registry::FormatWrappedHexList(Bytes(300).substr(298), 2));
    EXPECT_EQ(lines.back().size(), 7u);

    // "multi2"=hex(7): plus 21 bytes and the backslash makes exactly 80 columns.
    const std::vector<std::string> multi = SplitLines(Line("multi2", {7, Bytes(60) + '\0'}));
    EXPECT_EQ(multi[0].size(), 80u);
    for (const std::string& line : multi) EXPECT_LE(line.size(), 80u);
}

TEST(RegFileWriter, ExactFormsForEverythingElse) {
    struct Case {
        const char* name;
        std::string valueName;
        std::uint32_t type;
        std::string bytes;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"expandable string keeps its unexpanded bytes", "p", 2, "%A%\\b\0"s,
         R"("p"=hex(2):25,41,25,5c,62,00)"},
        {"default expandable string", "", 2, "%A%\0"s, R"(@=hex(2):25,41,25,00)"},
        {"multi-string", "m", 7, "a\0b\0\0"s, R"("m"=hex(7):61,00,62,00,00)"},
        {"text with CR LF", "t", 1, "a\r\nb\0"s, R"("t"=hex(1):61,0d,0a,62,00)"},
        {"text with an inner NUL", "t", 1, "a\0b\0"s, R"("t"=hex(1):61,00,62,00)"},
        {"default text with LF", "", 1, "\n\0"s, R"(@=hex(1):0a,00)"},
        {"number of 3 bytes", "n", 4, "\x01\x02\x03"s, R"("n"=hex(4):01,02,03)"},
        {"number of 8 bytes", "n", 4, Bytes(8), R"("n"=hex(4):07,2c,51,76,9b,c0,e5,0a)"},
        {"big-endian number", "n", 5, "\0\0\0\x10"s, R"("n"=hex(5):00,00,00,10)"},
        {"64-bit number", "q", 11, "\x01\0\0\0\0\0\0\0"s, R"("q"=hex(b):01,00,00,00,00,00,00,00)"},
        {"no type, no bytes", "z", 0, "", R"("z"=hex(0):)"},
        {"link", "l", 6, "\x41\0"s, R"("l"=hex(6):41,00)"},
        {"an unknown type number", "u", 0x12345678u, "\xAB"s, R"("u"=hex(12345678):ab)"},
        {"default of another type", "", 8, "\x01"s, R"(""=hex(8):01)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Line(c.valueName, RawValue{c.type, c.bytes}), c.line);
    }
}

TEST(RegFileWriter, NamesWithNulAndBadKeyPathsAreRefused) {
    std::string line;
    std::string error;
    EXPECT_FALSE(FormatRawValueLine("a\0b"s, {1, "x\0"s}, line, error));
    EXPECT_THAT(error, HasSubstr("NUL"));

    struct Case {
        const char* name;
        std::string path;
        const char* reason;
    };
    const Case bad[] = {
        {"unknown root", "HKEY_NOWHERE\\A", "root"},
        {"short root name", "HKLM\\A", "root"},
        {"empty component", "HKEY_CURRENT_USER\\A\\\\B", "empty"},
        {"trailing backslash", "HKEY_CURRENT_USER\\A\\", "empty"},
        {"line feed in a name", "HKEY_CURRENT_USER\\A\nB", "line break"},
        {"NUL in a name", "HKEY_CURRENT_USER\\A\0B"s, "NUL"},
    };
    for (const Case& c : bad) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(registry::FormatSectionLine(c.path, line, error));
        EXPECT_THAT(error, HasSubstr(c.reason));
    }
    ASSERT_TRUE(registry::FormatSectionLine("HKEY_CURRENT_USER\\A]b\\ c ", line, error));
    EXPECT_EQ(line, "[HKEY_CURRENT_USER\\A]b\\ c ]");
    ASSERT_TRUE(registry::FormatSectionLine("HKEY_USERS", line, error));
    EXPECT_EQ(line, "[HKEY_USERS]");
}

// Every line the writer makes reads back to the same name and, as the import stores it, the
// same type and bytes.
TEST(RegFileWriter, EveryValueLineReadsBackExactly) {
    const std::vector<std::string> names = {
        "",       "plain",     "q\"uo\"te",          "back\\slash\\", "\xE9\xFF\x80",
        "a\r\nb", "x=\"y\";z", std::string(300, 'n')};
    const std::vector<RawValue> values = {
        {1, "plain\0"s},
        {1, ""},
        {1, "no terminator"},
        {1, "a\"b\\c\0"s},
        {1, "cr\rlf\n\0"s},
        {1, "in\0ner\0"s},
        {2, "%X%\0"s},
        {2, "unterminated"},
        {7, "a\0b\0\0"s},
        {7, ""},
        {3, ""},
        {3, Bytes(255)},
        {3, Bytes(256)},
        {3, Bytes(65536)},
        {4, "\x01\x02\x03\x04"s},
        {4, ""},
        {4, "\x01"s},
        {5, "\x01\x02\x03\x04"s},
        {11, Bytes(8)},
        {0, ""},
        {0xFFFFFFFFu, Bytes(90)},
    };
    for (const std::string& name : names) {
        for (const RawValue& value : values) {
            SCOPED_TRACE("type " + std::to_string(value.Type) + ", " +
                         std::to_string(value.Bytes.size()) + " bytes, name size " +
                         std::to_string(name.size()));
            const std::string file =
                "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n" + Line(name, value) + "\r\n\r\n";
            const registry::RegFileParse parsed = registry::ParseRegFile(file, "t.reg");
            ASSERT_TRUE(parsed.Status) << parsed.Status.Message;
            ASSERT_EQ(parsed.File.Operations.size(), 2u);
            const registry::RegOperation& op = parsed.File.Operations[1];
            EXPECT_EQ(op.Name, name);
            EXPECT_EQ(op.Value, registry::ImportedValue(value));
        }
    }
}

TEST(RegFileWriter, ImportedValueTerminatesOnlyStringData) {
    EXPECT_EQ(registry::ImportedValue({1, "ab"}), (RawValue{1, "ab\0"s}));
    EXPECT_EQ(registry::ImportedValue({1, ""}), (RawValue{1, "\0"s}));
    EXPECT_EQ(registry::ImportedValue({7, "a\0"s}), (RawValue{7, "a\0"s}));
    EXPECT_EQ(registry::ImportedValue({3, "ab"}), (RawValue{3, "ab"}));
}

TEST(RegFileWriter, ExportsAWholeStoreAsOneFile) {
    FakeMachine machine;
    machine.Text("HKEY_CURRENT_USER\\Software\\A", "", "x")
        .Number("HKEY_CURRENT_USER\\Software\\A", "n", 16)
        .Key("HKEY_CURRENT_USER\\Software\\A\\Empty")
        .Raw("HKEY_LOCAL_MACHINE", "rootvalue", 3, "\x01"s);
    std::string text;
    std::string error;
    ASSERT_TRUE(registry::ExportStoreText(machine.Store, text, error)) << error;
    EXPECT_EQ(text,
              "REGEDIT4\r\n"
              "\r\n[HKEY_CURRENT_USER\\Software]\r\n"
              "\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n@=\"x\"\r\n\"n\"=dword:10\r\n"
              "\r\n[HKEY_CURRENT_USER\\Software\\A\\Empty]\r\n"
              "\r\n[HKEY_LOCAL_MACHINE]\r\n\"rootvalue\"=hex:01,\r\n"
              "\r\n");
}

TEST(RegFileWriter, ExportRoundTripsThroughTheImporter) {
    FakeMachine machine;
    machine.Raw("HKEY_CURRENT_USER\\Software\\Q\"\xE9", "m", 7, "a\0b\0\0"s)
        .Raw("HKEY_CURRENT_USER\\Software\\Q\"\xE9\\Deep\\Er", "", 2, "%P%\0"s)
        .Raw("HKEY_LOCAL_MACHINE\\Software\\B", "big", 3, Bytes(70000))
        .Raw("HKEY_USERS\\.DEFAULT\\X", "t\\", 1, "a\r\nb\0"s)
        .Raw("HKEY_CLASSES_ROOT\\.txt", "", 1, "txtfile\0"s)
        .Raw("HKEY_CURRENT_CONFIG\\Y", "q", 11, Bytes(8));
    TempFolder folder;
    const std::string path = folder.File("export.reg");
    auto file = registry::MakeDurableFile();
    const registry::FileStatus status = registry::ExportStoreToFile(machine.Store, path, *file);
    ASSERT_TRUE(status) << status.Message;

    registry::MemoryStore restored;
    const registry::RegFileStatus loaded = registry::LoadRegFile(path, restored);
    ASSERT_TRUE(loaded) << loaded.Message;
    EXPECT_EQ(Snapshot(restored), Snapshot(machine.Store));
}

TEST(RegFileWriter, ExportRefusesNamesItCannotWrite) {
    FakeMachine machine;
    machine.Raw("HKEY_CURRENT_USER\\A", "bad\0name"s, 1, "x\0"s);
    TempFolder folder;
    auto file = registry::MakeDurableFile();
    const registry::FileStatus status =
        registry::ExportStoreToFile(machine.Store, folder.File("x.reg"), *file);
    EXPECT_FALSE(status);
    EXPECT_THAT(status.Message, HasSubstr(folder.File("x.reg")));
    EXPECT_THAT(status.Message, HasSubstr("NUL"));
    EXPECT_FALSE(std::filesystem::exists(folder.File("x.reg")));
}

// ---- the durable file ----------------------------------------------------------------------

std::vector<std::string> FolderNames(const TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Folder())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(RegFileWriterDurableFile, ReplacesTheFileOnlyAtCommit) {
    TempFolder folder;
    const std::string path = folder.Write("b.reg", "old contents");
    auto file = registry::MakeDurableFile();
    ASSERT_TRUE(file->Begin(path));
    ASSERT_TRUE(file->Write("new "));
    ASSERT_TRUE(file->Write("contents"));
    EXPECT_EQ(folder.Read("b.reg"), "old contents");
    EXPECT_EQ(FolderNames(folder).size(), 2u);  // the temporary file beside it
    ASSERT_TRUE(file->Commit());
    EXPECT_EQ(folder.Read("b.reg"), "new contents");
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"b.reg"});
}

TEST(RegFileWriterDurableFile, AbandonLeavesTheOldFileAndNoTemporary) {
    TempFolder folder;
    const std::string path = folder.Write("b.reg", "old");
    {
        auto file = registry::MakeDurableFile();
        ASSERT_TRUE(file->Begin(path));
        ASSERT_TRUE(file->Write("half"));
        file->Abandon();
    }
    {
        auto file = registry::MakeDurableFile();
        ASSERT_TRUE(file->Begin(path));
        ASSERT_TRUE(file->Write("half"));
    }  // destroyed without Commit
    EXPECT_EQ(folder.Read("b.reg"), "old");
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"b.reg"});
}

TEST(RegFileWriterDurableFile, CreateFailureNamesTheFileAndTheReason) {
    // Tests run as root, whom file modes do not stop: a folder that is a regular file does.
    TempFolder folder;
    const std::string path = folder.Write("plain", "x") + "/b.reg";
    auto file = registry::MakeDurableFile();
    const registry::FileStatus status = file->Begin(path);
    EXPECT_FALSE(status);
    EXPECT_THAT(status.Message, HasSubstr(path));
    EXPECT_THAT(status.Message, HasSubstr(kNotAFolderReason));
    EXPECT_FALSE(file->Write("x"));
    EXPECT_FALSE(file->Commit());
}

}  // namespace
}  // namespace hivewarden::testing
