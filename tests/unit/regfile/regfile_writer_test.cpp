// The .reg writer: value and key lines of both forms (the short forms and the exact hex forms),
// hex-list wrapping as regedit writes it, the choice between REGEDIT4 and version 5, round
// trips through the reader, the whole-store export with its read-back check, and the durable
// file behind it.
#include "regfile/regfile_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "store/access.h"
#include "text/code_page.h"
#include "files/durable_file.h"
#include "store/memory_store.h"
#include "regfile/regfile.h"
#include "regfile/regfile_syntax.h"
#include "text/unicode.h"
#include "support/fake_machine.h"
#include "support/raw_values.h"
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
using registry::RegWriteFormat;
using ::testing::HasSubstr;

const RegWriteFormat kAnsi = RegWriteFormat::Regedit4(Windows1252());
const RegWriteFormat kWide = RegWriteFormat::Version5();

std::string Line(std::string_view name, const RawValue& value,
                 const RegWriteFormat& format = kAnsi) {
    std::string line;
    std::string error;
    EXPECT_TRUE(FormatRawValueLine(name, value, format, line, error)) << error;
    return line;
}

// A whole file of one format as its bytes: the header, then the text.
std::string FileBytes(std::string_view text, const RegWriteFormat& format) {
    return registry::RegFileStart(format) + registry::EncodeRegText(text, format);
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
        {"text with backslash and quotes", "Path", 1, SzBytes("C:\\A \"B\""),
         R"("Path"="C:\\A \"B\"")"},
        {"default text value", "", 1, SzBytes("x"), R"(@="x")"},
        {"control characters other than CR and LF stay raw", "t", 1, SzBytes("a\tb\x01"),
         "\"t\"=\"a\tb\x01\""},
        {"characters of the code page stay as they are", "n\xC3\xA9", 1,
         SzBytes("\xC3\x84\xC3\xBF"), "\"n\xC3\xA9\"=\"\xC3\x84\xC3\xBF\""},
        {"default number value", "", 4, "\x10\0\0\0"s, R"(""=dword:10)"},
        {"number zero", "n", 4, "\0\0\0\0"s, R"("n"=dword:0)"},
        {"number -1", "n", 4, "\xFF\xFF\xFF\xFF"s, R"("n"=dword:FFFFFFFF)"},
        {"number 0x80000000", "n", 4, "\0\0\0\x80"s, R"("n"=dword:80000000)"},
        {"number 255", "n", 4, "\xFF\0\0\0"s, R"("n"=dword:FF)"},
        {"binary bytes", "b", 3, "\x01\x0A\xFF"s, R"("b"=hex:01,0A,FF,)"},
        {"empty binary", "b", 3, "", R"("b"=hex:)"},
        {"default binary", "", 3, "\x01"s, R"(""=hex:01,)"},
        {"name with a double quote", "a\"b", 1, SzBytes("v"), R"("a\"b"="v")"},
        {"name with a backslash", "a\\b", 4, "\x01\0\0\0"s, R"("a\\b"=dword:1)"},
        {"name with CR and LF", "a\r\nb", 1, SzBytes("v"), R"("a\r\nb"="v")"},
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
    const std::vector<std::string> multi =
        SplitLines(Line("multi2", {7, Bytes(60) + '\0'}, kWide));
    EXPECT_EQ(multi[0].size(), 80u);
    for (const std::string& line : multi) EXPECT_LE(line.size(), 80u);
}

TEST(RegFileWriter, WrapColumnsCountCharactersNotBytes) {
    // A one-character name of three UTF-8 bytes wraps where a one-letter name does.
    const std::vector<std::string> ascii = SplitLines(Line("b", {3, Bytes(300)}, kWide));
    const std::vector<std::string> cjk =
        SplitLines(Line("\xE5\x90\x8D", {3, Bytes(300)}, kWide));
    ASSERT_EQ(cjk.size(), ascii.size());
    EXPECT_EQ(registry::Utf16UnitCount(cjk[0]), 78u);
    EXPECT_EQ(cjk[1], ascii[1]);
}

struct FormCase {
    const char* name;
    std::string valueName;
    std::uint32_t type;
    std::string bytes;
    std::string line;
};

TEST(RegFileWriter, ExactFormsForEverythingElseInRegedit4) {
    const std::vector<FormCase> cases = {
        {"expandable string as the code page's bytes", "p", 2, SzBytes("%A%\\b\xC3\xA9"),
         R"("p"=hex(2):25,41,25,5c,62,e9,00)"},
        {"default expandable string", "", 2, SzBytes("%A%"), R"(@=hex(2):25,41,25,00)"},
        {"multi-string", "m", 7, MultiSzValue({"a", "b"}).Bytes, R"("m"=hex(7):61,00,62,00,00)"},
        {"text with CR LF", "t", 1, SzBytes("a\r\nb"), R"("t"=hex(1):61,0d,0a,62,00)"},
        {"text with an inner NUL", "t", 1, SzBytes("a") + SzBytes("b"),
         R"("t"=hex(1):61,00,62,00)"},
        {"text without its terminator", "t", 1, Utf16("ab"), R"("t"=hex(1):61,62)"},
        {"empty text keeps its 0 bytes", "t", 1, "", R"("t"=hex(1):)"},
        {"default text with LF", "", 1, SzBytes("\n"), R"(@=hex(1):0a,00)"},
        {"number of 3 bytes", "n", 4, "\x01\x02\x03"s, R"("n"=hex(4):01,02,03)"},
        {"number of 8 bytes", "n", 4, Bytes(8), R"("n"=hex(4):07,2c,51,76,9b,c0,e5,0a)"},
        {"big-endian number", "n", 5, "\0\0\0\x10"s, R"("n"=hex(5):00,00,00,10)"},
        {"64-bit number", "q", 11, "\x01\0\0\0\0\0\0\0"s, R"("q"=hex(b):01,00,00,00,00,00,00,00)"},
        {"no type, no bytes", "z", 0, "", R"("z"=hex(0):)"},
        {"link", "l", 6, "\x41\0"s, R"("l"=hex(6):41,00)"},
        {"an unknown type number", "u", 0x12345678u, "\xAB"s, R"("u"=hex(12345678):ab)"},
        {"default of another type", "", 8, "\x01"s, R"(""=hex(8):01)"},
    };
    for (const FormCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Line(c.valueName, RawValue{c.type, c.bytes}), c.line);
    }
}

TEST(RegFileWriter, Version5WritesStringDataAsItIsStored) {
    const std::vector<FormCase> cases = {
        {"text in any script is quoted", "\xE5\x90\x8D\xE5\x89\x8D", 1,
         SzBytes("C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E \xF0\x9F\x98\x80"),
         "\"\xE5\x90\x8D\xE5\x89\x8D\"=\"C:\\\\Apps\\\\\xE6\x9D\x8E\xE6\x98\x8E "
         "\xF0\x9F\x98\x80\""},
        {"expandable string as UTF-16LE", "p", 2, SzBytes("%A%\xC3\xA9"),
         R"("p"=hex(2):25,00,41,00,25,00,e9,00,00,00)"},
        {"multi-string as UTF-16LE", "m", 7, MultiSzValue({"a", "b"}).Bytes,
         R"("m"=hex(7):61,00,00,00,62,00,00,00,00,00)"},
        {"odd byte count kept", "m", 7, "A\0B"s, R"("m"=hex(7):41,00,42)"},
        {"lone surrogate kept", "s", 1, "\0\xD8\0\0"s, R"("s"=hex(1):00,d8,00,00)"},
        {"text without its terminator", "t", 1, Utf16("ab"), R"("t"=hex(1):61,00,62,00)"},
        {"empty text keeps its 0 bytes", "t", 1, "", R"("t"=hex(1):)"},
        {"text with CR LF", "t", 1, SzBytes("a\r\n"), R"("t"=hex(1):61,00,0d,00,0a,00,00,00)"},
        {"name with a lone surrogate", "\xED\xA0\x80", 4, "\x01\0\0\0"s,
         "\"\xED\xA0\x80\"=dword:1"},
        {"numbers and binary as in REGEDIT4", "n", 4, "\x10\0\0\0"s, R"("n"=dword:10)"},
        {"short binary", "b", 3, "\x01\xFF"s, R"("b"=hex:01,FF,)"},
    };
    for (const FormCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Line(c.valueName, RawValue{c.type, c.bytes}, kWide), c.line);
    }
}

TEST(RegFileWriter, Regedit4TakesOnlyWhatItHoldsExactly) {
    struct Case {
        const char* name;
        std::string valueName;
        RawValue value;
        bool fits;
    };
    const std::vector<Case> cases = {
        {"ASCII", "n", SzValue("C:\\a.exe"), true},
        {"code page 1252 letters", "J\xC3\xBCrgen", SzValue("\xE2\x82\xAC"), true},
        {"CJK data", "n", SzValue("\xE6\x9D\x8E"), false},
        {"Greek name", "\xCE\xA9", SzValue("x"), false},
        {"emoji in an expandable string", "n", ExpandSzValue("\xF0\x9F\x98\x80"), false},
        {"odd byte count", "n", {7, "A\0B"s}, false},
        {"lone surrogate", "n", {1, "\0\xD8\0\0"s}, false},
        {"binary data of any bytes", "n", {3, "\xE6\x9D\x8E"s}, true},
        {"a look-alike is no fit (no best-fit mapping)", "n", SzValue("\xC4\x80"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(registry::ValueFitsRegedit4(c.valueName, c.value, Windows1252()), c.fits);
        std::string line;
        std::string error;
        EXPECT_EQ(FormatRawValueLine(c.valueName, c.value, kAnsi, line, error), c.fits);
        if (!c.fits) {
            EXPECT_THAT(error, HasSubstr("code page 1252"));
        }
    }
    EXPECT_TRUE(registry::KeyFitsRegedit4("HKEY_CURRENT_USER\\Caf\xC3\xA9", Windows1252()));
    EXPECT_FALSE(registry::KeyFitsRegedit4("HKEY_CURRENT_USER\\\xE6\xB5\x8B", Windows1252()));
}

TEST(RegFileWriter, NamesWithNulAndBadKeyPathsAreRefused) {
    std::string line;
    std::string error;
    EXPECT_FALSE(FormatRawValueLine("a\0b"s, SzValue("x"), kWide, line, error));
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
        registry::RegLines lines;
        EXPECT_FALSE(lines.AddKey(c.path, error));
        EXPECT_TRUE(lines.Empty());
    }
    ASSERT_TRUE(registry::FormatSectionLine("HKEY_CURRENT_USER\\A]b\\ c ", line, error));
    EXPECT_EQ(line, "[HKEY_CURRENT_USER\\A]b\\ c ]");
    ASSERT_TRUE(registry::FormatSectionLine("HKEY_USERS", line, error));
    EXPECT_EQ(line, "[HKEY_USERS]");
}

// Every line the writer makes reads back to the same name and, as the import stores it, the
// same type and bytes: in version 5 always, in REGEDIT4 whenever the value fits it.
TEST(RegFileWriter, EveryValueLineReadsBackExactly) {
    const std::vector<std::string> names = {"",
                                            "plain",
                                            "q\"uo\"te",
                                            "back\\slash\\",
                                            "\xC3\xA9\xC3\xBF\xE2\x82\xAC",
                                            "a\r\nb",
                                            "x=\"y\";z",
                                            std::string(300, 'n'),
                                            "\xE5\x90\x8D\xE5\x89\x8D \xF0\x9F\x98\x80",
                                            "lone \xED\xB0\x80"};
    const std::vector<RawValue> values = {
        SzValue("plain"),
        {1, ""},
        {1, Utf16("no terminator")},
        {1, "odd"},
        SzValue("a\"b\\c"),
        SzValue("cr\rlf\n"),
        {1, SzBytes("in") + SzBytes("ner")},
        SzValue("\xD8\xAA\xD8\xAC\xD8\xB1\xD8\xA8\xD8\xA9 \xCE\xA9 \xF0\x9F\x98\x80"),
        {1, "\0\xD8" "A\0\0\0"s},
        ExpandSzValue("%X%"),
        {2, Utf16("unterminated")},
        MultiSzValue({"a", "\xE6\x9D\x8E"}),
        {7, ""},
        {7, "A\0B"s},
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
    for (const RegWriteFormat& format : {kAnsi, kWide}) {
        for (const std::string& name : names) {
            for (const RawValue& value : values) {
                SCOPED_TRACE(std::string(format.IsRegedit4() ? "REGEDIT4" : "version 5") +
                             ", type " + std::to_string(value.Type) + ", " +
                             std::to_string(value.Bytes.size()) + " bytes, name " +
                             Printable(name.substr(0, 20)));
                std::string line;
                std::string error;
                const bool fits = !format.IsRegedit4() ||
                                  registry::ValueFitsRegedit4(name, value, Windows1252());
                ASSERT_EQ(FormatRawValueLine(name, value, format, line, error), fits) << error;
                if (!fits) continue;
                const std::string file = FileBytes(
                    "\r\n[HKEY_CURRENT_USER\\K]\r\n" + line + "\r\n\r\n", format);
                const registry::RegFileParse parsed = registry::ParseRegFile(file, "t.reg");
                ASSERT_TRUE(parsed.Status) << parsed.Status.Message;
                ASSERT_EQ(parsed.File.Operations.size(), 2u);
                const registry::RegOperation& op = parsed.File.Operations[1];
                EXPECT_EQ(op.Name, name);
                EXPECT_EQ(op.Value, registry::ImportedValue(value));
            }
        }
    }
}

TEST(RegFileWriter, ImportedValueTerminatesOnlyWholeNonEmptyStringData) {
    EXPECT_EQ(registry::ImportedValue({1, Utf16("ab")}), SzValue("ab"));
    EXPECT_EQ(registry::ImportedValue({2, Utf16("a")}), ExpandSzValue("a"));
    EXPECT_EQ(registry::ImportedValue({7, SzBytes("a")}), (RawValue{7, SzBytes("a")}));
    EXPECT_EQ(registry::ImportedValue({1, ""}), (RawValue{1, ""}));          // regedit keeps 0
    EXPECT_EQ(registry::ImportedValue({1, "abc"}), (RawValue{1, "abc"}));    // odd: kept
    EXPECT_EQ(registry::ImportedValue({3, "ab"}), (RawValue{3, "ab"}));      // not a string
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

// The same store with one name outside code page 1252: the whole file becomes version 5.
TEST(RegFileWriter, OneNameOutsideTheCodePageMakesTheWholeFileVersion5) {
    FakeMachine machine;
    machine.Text("HKEY_CURRENT_USER\\Software\\A", "", "x")
        .Raw("HKEY_CURRENT_USER\\Software\\A", "e", 2, SzBytes("%A%"))
        .Key("HKEY_CURRENT_USER\\Software\\A\\\xE6\xB5\x8B\xE8\xAF\x95");
    std::string bytes;
    std::string error;
    ASSERT_TRUE(registry::ExportStoreText(machine.Store, bytes, error)) << error;
    // The first bytes as they lie on disk: the byte order mark, "Wi" in UTF-16LE.
    EXPECT_EQ(bytes.substr(0, 6), "\xFF\xFEW\0i\0"s);
    EXPECT_EQ(bytes,
              "\xFF\xFE"s +
                  Utf16("Windows Registry Editor Version 5.00\r\n"
                        "\r\n[HKEY_CURRENT_USER\\Software]\r\n"
                        "\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n@=\"x\"\r\n"
                        "\"e\"=hex(2):25,00,41,00,25,00,00,00\r\n"
                        "\r\n[HKEY_CURRENT_USER\\Software\\A\\\xE6\xB5\x8B\xE8\xAF\x95]\r\n"
                        "\r\n"));
}

// Code page 1251 holds Cyrillic: the file stays REGEDIT4 in its bytes; 1252 does not.
TEST(RegFileWriter, TheCodePageDecidesWhatFitsRegedit4) {
    FakeMachine machine;
    machine.Text("HKEY_CURRENT_USER\\\xD0\x9F\xD1\x80\xD0\xB8", "\xD0\xB2", "\xD0\x9F");
    std::string error;
    const std::unique_ptr<CodePage> cyrillic = OpenCodePage(1251, error);
    ASSERT_TRUE(cyrillic) << error;
    std::string bytes;
    ASSERT_TRUE(registry::ExportStoreText(machine.Store, bytes, error, *cyrillic)) << error;
    EXPECT_EQ(bytes,
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\\xCF\xF0\xE8]\r\n\"\xE2\"=\"\xCF\"\r\n\r\n");
    ASSERT_TRUE(registry::ExportStoreText(machine.Store, bytes, error)) << error;
    EXPECT_TRUE(bytes.starts_with("\xFF\xFE"));
}

std::string DataFile(const char* name) { return std::string(HW_TEST_DATA) + "/regfile/" + name; }

// The multi-script fixture is written in the export's own layout: loading it and exporting
// the store gives back the very same bytes (names and data in CJK, Greek, Arabic and emoji,
// lone surrogates, odd byte counts, an unterminated and an empty string).
TEST(RegFileWriter, MultiScriptVersion5FileRoundTripsByteForByte) {
    std::ifstream in(DataFile("multiscript_v5.reg"), std::ios::binary);
    const std::string fixture{std::istreambuf_iterator<char>(in),
                              std::istreambuf_iterator<char>()};
    ASSERT_TRUE(fixture.starts_with("\xFF\xFE"));
    registry::MemoryStore store;
    const registry::RegFileStatus loaded =
        registry::LoadRegFile(DataFile("multiscript_v5.reg"), store);
    ASSERT_TRUE(loaded) << loaded.Message;
    std::string bytes;
    std::string error;
    ASSERT_TRUE(registry::ExportStoreText(store, bytes, error)) << error;
    EXPECT_EQ(bytes, fixture);
}

TEST(RegFileWriter, ExportRoundTripsThroughTheImporter) {
    FakeMachine machine;
    machine.Raw("HKEY_CURRENT_USER\\Software\\Q\"\xC3\xA9", "m", 7, MultiSzValue({"a", "b"}).Bytes)
        .Raw("HKEY_CURRENT_USER\\Software\\Q\"\xC3\xA9\\Deep\\Er", "", 2, SzBytes("%P%"))
        .Raw("HKEY_LOCAL_MACHINE\\Software\\B", "big", 3, Bytes(70000))
        .Raw("HKEY_USERS\\.DEFAULT\\X", "t\\", 1, SzBytes("a\r\nb"))
        .Raw("HKEY_CLASSES_ROOT\\.txt", "", 1, SzBytes("txtfile"))
        .Raw("HKEY_CURRENT_CONFIG\\Y", "q", 11, Bytes(8));
    for (const bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "version 5" : "REGEDIT4");
        if (wide) machine.Raw("HKEY_CURRENT_USER\\Software\\\xE7\x8E\x8B", "odd", 7, "A\0B"s);
        TempFolder folder;
        const std::string path = folder.File("export.reg");
        auto file = registry::MakeDurableFile();
        const registry::FileStatus status =
            registry::ExportStoreToFile(machine.Store, path, *file);
        ASSERT_TRUE(status) << status.Message;
        EXPECT_EQ(folder.Read("export.reg").starts_with("\xFF\xFE"), wide);

        registry::MemoryStore restored;
        const registry::RegFileStatus loaded = registry::LoadRegFile(path, restored);
        ASSERT_TRUE(loaded) << loaded.Message;
        EXPECT_EQ(Snapshot(restored), Snapshot(machine.Store));
    }
}

TEST(RegFileWriter, ExportRefusesNamesItCannotWrite) {
    FakeMachine machine;
    machine.Raw("HKEY_CURRENT_USER\\A", "bad\0name"s, 1, SzBytes("x"));
    TempFolder folder;
    auto file = registry::MakeDurableFile();
    const registry::FileStatus status =
        registry::ExportStoreToFile(machine.Store, folder.File("x.reg"), *file);
    EXPECT_FALSE(status);
    EXPECT_THAT(status.Message, HasSubstr(folder.File("x.reg")));
    EXPECT_THAT(status.Message, HasSubstr("NUL"));
    EXPECT_FALSE(std::filesystem::exists(folder.File("x.reg")));
}

// A store that tells names apart by their exact spelling, as a backend with another case rule
// could: two of its keys and two of its values are one for every .reg reader.
class CaseSensitiveStore final : public registry::RegistryStore {
  public:
    registry::StoreHandle Open(registry::RootKey root, std::string_view path) override {
        if (root != registry::kCurrentUser) return 0;
        if (path.empty()) return 1;
        if (path == "Dup") return 2;
        if (path == "DUP") return 3;
        return 0;
    }
    registry::StoreHandle Create(registry::RootKey, std::string_view) override { return 0; }
    void Close(registry::StoreHandle) override {}
    bool SubkeyName(registry::StoreHandle key, std::uint32_t index, std::string& name) override {
        if (key != 1 || index > (KeysApart ? 1u : 0u)) return false;
        name = index == 0 ? "DUP" : "Dup";
        return true;
    }
    bool ValueName(registry::StoreHandle key, std::uint32_t index, std::string& name) override {
        if (key != 3 || KeysApart || index > 1) return false;
        name = index == 0 ? "v" : "V";
        return true;
    }
    bool LongestValueName(registry::StoreHandle, std::uint32_t& length) override {
        length = 1;
        return true;
    }
    bool QueryKeyCounts(registry::StoreHandle, registry::KeyCounts&) override { return false; }
    bool Read(registry::StoreHandle key, std::string_view name, RawValue& value) override {
        if (key != 3) return false;
        value = SzValue(name);
        return true;
    }
    bool Write(registry::StoreHandle, std::string_view, const RawValue&) override { return false; }
    bool DeleteValue(registry::StoreHandle, std::string_view) override { return false; }
    bool DeleteLeafKey(registry::RootKey, std::string_view) override { return false; }

    bool KeysApart = true;
};

TEST(RegFileWriter, ExportRefusesToMakeTwoKeysOrValuesOneAndWritesNothing) {
    CaseSensitiveStore store;
    TempFolder folder;
    const std::string path = folder.Write("x.reg", "old");
    auto file = registry::MakeDurableFile();
    registry::FileStatus status = registry::ExportStoreToFile(store, path, *file);
    EXPECT_FALSE(status);
    EXPECT_THAT(status.Message, HasSubstr("cannot export the registry to " + path));
    EXPECT_THAT(status.Message, HasSubstr("keys HKEY_CURRENT_USER\\DUP and "
                                          "HKEY_CURRENT_USER\\Dup would become one key"));
    EXPECT_EQ(folder.Read("x.reg"), "old");

    store.KeysApart = false;
    status = registry::ExportStoreToFile(store, path, *file);
    EXPECT_FALSE(status);
    EXPECT_THAT(status.Message, HasSubstr("values \"v\" and \"V\" of HKEY_CURRENT_USER\\DUP "
                                          "would become one value"));
    EXPECT_EQ(folder.Read("x.reg"), "old");
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
