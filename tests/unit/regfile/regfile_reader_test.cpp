// The .reg reader in strict mode: accept and reject tables (many cases are the
// Windows-verified ones of the format), errors with file and line, no size limits, applying
// to a memory store, and the fixtures under tests/data/regfile.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/access.h"
#include "text/code_page.h"
#include "store/memory_store.h"
#include "regfile/regfile.h"
#include "regfile/regfile_syntax.h"
#include "text/unicode.h"
#include "support/fake_probes.h"
#include "support/raw_values.h"
#include "support/reg_operation_text.h"

namespace hivewarden::testing {
namespace {

using namespace std::string_literals;
using registry::kClassesRoot;
using registry::kCurrentConfig;
using registry::kCurrentUser;
using registry::kLocalMachine;
using registry::kRegBinary;
using registry::kRegDword;
using registry::kRegExpandSz;
using registry::kRegMultiSz;
using registry::kRegNone;
using registry::kRegQword;
using registry::kRegSz;
using registry::kUsers;
using registry::RawValue;
using registry::RegFileEncoding;
using registry::RegFileHeader;
using registry::RegFileParse;
using registry::RegOperation;
using registry::RegOperationKind;
using registry::RootKey;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kSource = "sample.reg";

// ---- building files and describing results -------------------------------------------------

std::string Reg4(std::string_view body) { return "REGEDIT4\r\n" + std::string(body); }


RegFileParse Parse(std::string_view bytes) { return registry::ParseRegFile(bytes, kSource); }

RegOperation Key(RootKey root, std::string path) {
    return {RegOperationKind::CreateKey, root, std::move(path), {}, {}, 0};
}
RegOperation DeleteKey(RootKey root, std::string path) {
    return {RegOperationKind::DeleteKey, root, std::move(path), {}, {}, 0};
}
// Values under HKEY_CURRENT_USER\T, the key most cases use.
RegOperation Set(std::string name, std::uint32_t type, std::string bytes) {
    return {RegOperationKind::SetValue, kCurrentUser, "T", std::move(name), {type, bytes}, 0};
}
RegOperation Unset(std::string name) {
    return {RegOperationKind::DeleteValue, kCurrentUser, "T", std::move(name), {}, 0};
}
const RegOperation kKeyT = Key(kCurrentUser, "T");
constexpr std::string_view kKeyLine = "[HKEY_CURRENT_USER\\T]\r\n";

std::string UnderT(std::string_view lines) {
    return Reg4(std::string(kKeyLine) + std::string(lines));
}

// ---- accepted input ------------------------------------------------------------------------

struct AcceptCase {
    const char* Name;
    std::string File;
    std::vector<RegOperation> Ops;
};

const std::vector<AcceptCase>& AcceptCases() {
    static const std::vector<AcceptCase> cases = {
        // Strings
        {"quoted string is REG_SZ in UTF-16LE with its NUL unit",
         UnderT("\"s\"=\"abc\"\r\n"),
         {kKeyT, Set("s", kRegSz, "a\0b\0c\0\0\0"s)}},
        {"empty string is one NUL unit",
         UnderT("\"s\"=\"\"\r\n"),
         {kKeyT, Set("s", kRegSz, "\0\0"s)}},
        {"@ sets the default value", UnderT("@=\"d\"\r\n"), {kKeyT, Set("", kRegSz, SzBytes("d"))}},
        {"empty quoted name is the default value",
         UnderT("\"\"=\"d\"\r\n"),
         {kKeyT, Set("", kRegSz, SzBytes("d"))}},
        {"escapes in name and data",
         UnderT(R"("a\\b\"c"="C:\\Windows \"q\" 1\n2\r")"
                "\r\n"),
         {kKeyT, Set("a\\b\"c", kRegSz, SzBytes("C:\\Windows \"q\" 1\n2\r"))}},
        {"=, /, ; and ' are plain characters of a name",
         UnderT("\"=/;'\"=\"x;y\"\r\n"),
         {kKeyT, Set("=/;'", kRegSz, SzBytes("x;y"))}},
        {"Windows-1252 bytes are decoded, in names and data",
         UnderT("\"caf\xE9\"=\"\x80\x97\xFF\x81\"\r\n"),
         {kKeyT, Set("caf\xC3\xA9", kRegSz, "\xAC\x20\x14\x20\xFF\x00\x81\x00\0\0"s)}},
        {"Windows-1252 bytes in a key name",
         Reg4("[HKEY_CURRENT_USER\\J\xFCrgen]\r\n"),
         {Key(kCurrentUser, "J\xC3\xBCrgen")}},
        {"tab and other control characters are literal",
         UnderT("\"t\"=\"a\tb\x01\"\r\n"),
         {kKeyT, Set("t", kRegSz, SzBytes("a\tb\x01"))}},
        // Numbers
        {"dword in any case, short or padded",
         UnderT("\"a\"=dword:0000002a\r\n\"b\"=dword:FFFFFFFF\r\n\"c\"=dword:1\r\n"
                "\"d\"=dword:aBcD\r\n"),
         {kKeyT, Set("a", kRegDword, "\x2a\0\0\0"s), Set("b", kRegDword, "\xFF\xFF\xFF\xFF"),
          Set("c", kRegDword, "\x01\0\0\0"s), Set("d", kRegDword, "\xCD\xAB\0\0"s)}},
        {"dword with blanks before and a comment after",
         UnderT("\"d\"=dword:  7f  ;c\r\n"),
         {kKeyT, Set("d", kRegDword, "\x7f\0\0\0"s)}},
        // Hex lists
        {"hex: without bytes is 0-byte binary",
         UnderT("\"b\"=hex:\r\n"),
         {kKeyT, Set("b", kRegBinary, "")}},
        {"trailing comma is fine",
         UnderT("\"b\"=hex:01,02,\r\n"),
         {kKeyT, Set("b", kRegBinary, "\x01\x02")}},
        {"one-digit bytes",
         UnderT("\"b\"=hex:1,a,Ff\r\n"),
         {kKeyT, Set("b", kRegBinary, "\x01\x0a\xff")}},
        {"blanks after commas",
         UnderT("\"b\"=hex: 01, 02,\t03\r\n"),
         {kKeyT, Set("b", kRegBinary, "\x01\x02\x03")}},
        {"hex(b) is a QWORD",
         UnderT("\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n"),
         {kKeyT, Set("q", kRegQword, "\x01\0\0\0\0\0\0\0"s)}},
        {"hex(B) and hex(0b) are QWORDs too",
         UnderT("\"q\"=hex(B):02\r\n\"r\"=hex(0b):03\r\n"),
         {kKeyT, Set("q", kRegQword, "\x02"), Set("r", kRegQword, "\x03")}},
        {"hex(0) and hex(ffffffff)",
         UnderT("\"n\"=hex(0):\r\n\"x\"=hex(ffffffff):aa\r\n"),
         {kKeyT, Set("n", kRegNone, ""), Set("x", 0xFFFFFFFFu, "\xaa")}},
        {"hex(4) keeps a short dword as written",
         UnderT("\"d\"=hex(4):01,02\r\n"),
         {kKeyT, Set("d", kRegDword, "\x01\x02")}},
        {"hex(2) in an ANSI file is code-page text, stored as UTF-16LE with a NUL unit",
         UnderT("\"e\"=hex(2):25,50,25,e9\r\n"),
         {kKeyT, Set("e", kRegExpandSz, SzBytes("%P%\xC3\xA9"))}},
        {"hex(2) that ends in NUL gets no second one",
         UnderT("\"e\"=hex(2):41,00\r\n"),
         {kKeyT, Set("e", kRegExpandSz, SzBytes("A"))}},
        {"hex(7) gets one NUL unit, not two",
         UnderT("\"m\"=hex(7):4c,69,6e,65\r\n"),
         {kKeyT, Set("m", kRegMultiSz, SzBytes("Line"))}},
        {"hex(7) with its double NUL is kept",
         UnderT("\"m\"=hex(7):61,00,62,00,00\r\n"),
         {kKeyT, Set("m", kRegMultiSz, MultiSzValue({"a", "b"}).Bytes)}},
        {"hex(1) without bytes stays empty",
         UnderT("\"s\"=hex(1):\r\n"),
         {kKeyT, Set("s", kRegSz, "")}},
        {"UTF-16 style hex(2) in a REGEDIT4 file is taken byte by byte",
         UnderT("\"e\"=hex(2):41,00,42,00,00,00\r\n"),
         {kKeyT, Set("e", kRegExpandSz, "A\0\0\0B\0\0\0\0\0\0\0"s)}},
        // Continuation lines
        {"backslash continues a hex list",
         UnderT("\"b\"=hex:01,02,\\\r\n  03,04\r\n"),
         {kKeyT, Set("b", kRegBinary, "\x01\x02\x03\x04")}},
        {"comment after the backslash, blank and ; lines between",
         UnderT("\"b\"=hex:01,\\ ;c\r\n\r\n; note\r\n  \t\r\n  02\r\n"),
         {kKeyT, Set("b", kRegBinary, "\x01\x02")}},
        {"a continued line ending in a comma without backslash ends the value",
         UnderT("\"b\"=hex:11,22,\\\r\n  33,\r\n\"n\"=dword:1\r\n"),
         {kKeyT, Set("b", kRegBinary, "\x11\x22\x33"), Set("n", kRegDword, "\x01\0\0\0"s)}},
        {"final backslash at end of file",
         UnderT("\"b\"=hex:01,\\"),
         {kKeyT, Set("b", kRegBinary, "\x01")}},
        {"final backslash followed by blank lines",
         UnderT("\"b\"=hex:01,\\\r\n\r\n\r\n"),
         {kKeyT, Set("b", kRegBinary, "\x01")}},
        {"hex: may start with the backslash",
         UnderT("\"b\"=hex:\\\r\n  01\r\n"),
         {kKeyT, Set("b", kRegBinary, "\x01")}},
        {"continued hex(7) gets its NUL at the end only",
         UnderT("\"m\"=hex(7):61,00,\\\r\n  62\r\n"),
         {kKeyT, Set("m", kRegMultiSz, "a\0\0\0b\0\0\0"s)}},
        // Deletions and comments
        {"\"name\"=- and @=- delete values",
         UnderT("\"v\"=-\r\n@=-\r\n\"w\" = -  ;gone\r\n"),
         {kKeyT, Unset("v"), Unset(""), Unset("w")}},
        {"[-key] deletes a key",
         Reg4("[-HKEY_CURRENT_USER\\T\\Sub]\r\n"),
         {DeleteKey(kCurrentUser, "T\\Sub")}},
        {"values after a deletion go to the next opened key",
         Reg4("[-HKEY_CURRENT_USER\\A]\r\n[HKEY_CURRENT_USER\\T]\r\n\"v\"=\"x\"\r\n"),
         {DeleteKey(kCurrentUser, "A"), kKeyT, Set("v", kRegSz, SzBytes("x"))}},
        {"comments after data start with ;",
         UnderT("\"s\"=\"x\" ;c\r\n\"d\"=dword:1;c\r\n\"b\"=hex:01 ;c\r\n\"c\"=hex:01,;c\r\n"),
         {kKeyT, Set("s", kRegSz, SzBytes("x")), Set("d", kRegDword, "\x01\0\0\0"s),
          Set("b", kRegBinary, "\x01"), Set("c", kRegBinary, "\x01")}},
        {"comment and blank lines",
         Reg4("; one\r\n# two\r\n   \r\n\t;three\r\n" + std::string(kKeyLine) + "  # four\r\n"),
         {kKeyT}},
        {"blanks around = and before lines",
         UnderT("  \"a\" = \"b\"  \r\n\t@\t=\tdword:1\r\n"),
         {kKeyT, Set("a", kRegSz, SzBytes("b")), Set("", kRegDword, "\x01\0\0\0"s)}},
        // Key lines
        {"the five roots, in any case",
         Reg4("[hkey_classes_root\\a]\r\n[Hkey_Current_User\\b]\r\n[HKEY_LOCAL_MACHINE\\c]\r\n"
              "[hKEY_uSERS\\d]\r\n[HKEY_CURRENT_CONFIG\\e]\r\n"),
         {Key(kClassesRoot, "a"), Key(kCurrentUser, "b"), Key(kLocalMachine, "c"), Key(kUsers, "d"),
          Key(kCurrentConfig, "e")}},
        {"a root itself can hold values",
         Reg4("[HKEY_CURRENT_USER]\r\n@=\"r\"\r\n"),
         {Key(kCurrentUser, ""),
          {RegOperationKind::SetValue, kCurrentUser, "", "", SzValue("r"), 0}}},
        {"a trailing backslash is dropped", Reg4("[HKEY_CURRENT_USER\\T\\]\r\n"), {kKeyT}},
        {"blanks inside the brackets are part of the name",
         Reg4("[HKEY_CURRENT_USER\\Sub key ]\r\n"),
         {Key(kCurrentUser, "Sub key ")}},
        {"the name runs to the last ]",
         Reg4("[HKEY_CURRENT_USER\\A]x]\r\n"),
         {Key(kCurrentUser, "A]x")}},
        {"a comment may follow the key line",
         Reg4("[HKEY_CURRENT_USER\\K] ; c\r\n"),
         {Key(kCurrentUser, "K")}},
        {"deep keys",
         Reg4("[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{0}\\InprocServer32]\r\n"),
         {Key(kLocalMachine, "Software\\Classes\\CLSID\\{0}\\InprocServer32")}},
        // Header and line ends
        {"blanks before the header", "  \tREGEDIT4\r\n" + std::string(kKeyLine), {kKeyT}},
        {"version 5 header in an ANSI file",
         "Windows Registry Editor Version 5.00\r\n\r\n" + std::string(kKeyLine),
         {kKeyT}},
        {"header alone", "REGEDIT4", {}},
        {"LF line ends",
         "REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"v\"=\"x\"\n",
         {kKeyT, Set("v", kRegSz, SzBytes("x"))}},
        {"CR line ends",
         "REGEDIT4\r[HKEY_CURRENT_USER\\T]\r\"v\"=hex:01,\\\r 02\r",
         {kKeyT, Set("v", kRegBinary, "\x01\x02")}},
        {"no line break at the end",
         "REGEDIT4\r\n[HKEY_CURRENT_USER\\T]\r\n\"v\"=\"x\"",
         {kKeyT, Set("v", kRegSz, SzBytes("x"))}},
        // UTF-16 files
        {"UTF-16 file: names and strings are kept exactly, in every script",
         Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\T]\r\n"
                   u"\"caf\u00e9 \u540d\u524d\"=\"\u20ac \u2014 \u03a9 \U0001F600 \u0100 "
                   u"\u062a\u062c\u0631\u0628\u0629\"\r\n"),
         {kKeyT, Set("caf\xC3\xA9 \xE5\x90\x8D\xE5\x89\x8D", kRegSz,
                     SzBytes("\xE2\x82\xAC \xE2\x80\x94 \xCE\xA9 \xF0\x9F\x98\x80 \xC4\x80 "
                             "\xD8\xAA\xD8\xAC\xD8\xB1\xD8\xA8\xD8\xA9"))}},
        {"UTF-16 file: key names in other scripts and with a lone surrogate",
         Utf16File(u"REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\\u6d4b\u8bd5]\r\n"
                   u"[HKEY_CURRENT_USER\\\U0001F600\\\xD800x]\r\n"s),
         {Key(kCurrentUser, "Software\\\xE6\xB5\x8B\xE8\xAF\x95"),
          Key(kCurrentUser, "\xF0\x9F\x98\x80\\\xED\xA0\x80x")}},
        {"UTF-16 file: hex(2) data is kept as it is and gets no second NUL",
         Utf16File(u"REGEDIT4\r\n[HKEY_CURRENT_USER\\T]\r\n"
                   u"\"e\"=hex(2):25,00,41,00,25,00,e9,00,00,00\r\n"),
         {kKeyT, Set("e", kRegExpandSz, "%\0A\0%\0\xE9\0\0\0"s)}},
        {"UTF-16 file: hex(7) keeps its inner NULs",
         Utf16File(u"REGEDIT4\r\n[HKEY_CURRENT_USER\\T]\r\n"
                   u"\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"),
         {kKeyT, Set("m", kRegMultiSz, "a\0\0\0b\0\0\0\0\0"s)}},
        {"UTF-16 file: hex(1) without terminator gets one NUL unit",
         Utf16File(u"REGEDIT4\r\n[HKEY_CURRENT_USER\\T]\r\n\"s\"=hex(1):41,00,a9,03\r\n"),
         {kKeyT, Set("s", kRegSz, "A\0\xA9\x03\0\0"s)}},
        {"UTF-16 file: odd byte counts are kept exactly",
         Utf16File(u"REGEDIT4\r\n[HKEY_CURRENT_USER\\T]\r\n\"m\"=hex(7):41,00,42,\\\r\n"
                   u"  00,43\r\n\"s\"=hex(1):41\r\n"),
         {kKeyT, Set("m", kRegMultiSz, "A\0B\0C"s), Set("s", kRegSz, "A")}},
        {"UTF-16 file: a lone surrogate in string data is kept",
         Utf16File(u"REGEDIT4\r\n[HKEY_CURRENT_USER\\T]\r\n\"s\"=hex(1):00,d8,41,00,00,00\r\n"),
         {kKeyT, Set("s", kRegSz, "\0\xD8" "A\0\0\0"s)}},
        {"UTF-16 file: empty hex(1) stays empty",
         Utf16File(u"REGEDIT4\r\n[HKEY_CURRENT_USER\\T]\r\n\"s\"=hex(1):\r\n"),
         {kKeyT, Set("s", kRegSz, "")}},
        {"UTF-16 file: binary data stays raw",
         Utf16File(u"REGEDIT4\r\n[HKEY_CURRENT_USER\\T]\r\n\"b\"=hex:41,00\r\n"),
         {kKeyT, Set("b", kRegBinary, "A\0"s)}},
    };
    return cases;
}

TEST(RegFileReader, AcceptsTheFormatsValidInput) {
    for (const AcceptCase& c : AcceptCases()) {
        SCOPED_TRACE(c.Name);
        const RegFileParse result = Parse(c.File);
        ASSERT_TRUE(result.Status.Ok) << result.Status.Message;
        EXPECT_EQ(Describe(result.File.Operations), Describe(c.Ops));
    }
}

TEST(RegFileReader, RecordsHeaderEncodingSourceAndLines) {
    const RegFileParse ansi = Parse(
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\T]\r\n\"b\"=hex:01,\\\r\n  02\r\n\"s\"=\"x\"\r\n");
    ASSERT_TRUE(ansi.Status.Ok) << ansi.Status.Message;
    EXPECT_EQ(ansi.File.Source, kSource);
    EXPECT_EQ(ansi.File.Header, RegFileHeader::Regedit4);
    EXPECT_EQ(ansi.File.Encoding, RegFileEncoding::Ansi);
    std::vector<std::size_t> lines;
    for (const RegOperation& op : ansi.File.Operations) lines.push_back(op.Line);
    EXPECT_THAT(lines, ElementsAre(3u, 4u, 6u));  // a continued value counts from its first line

    const RegFileParse wide =
        Parse(Utf16File(u"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\T]\r\n"));
    ASSERT_TRUE(wide.Status.Ok) << wide.Status.Message;
    EXPECT_EQ(wide.File.Header, RegFileHeader::Version5);
    EXPECT_EQ(wide.File.Encoding, RegFileEncoding::Utf16);
}

// ---- ANSI code pages and Windows' character counts ----------------------------------------

TEST(RegFileReader, AnsiFilesAreDecodedInTheCodePageGiven) {
    // "\xCF\xF0\xE8\xE2\xE5\xF2" is "Привет" in code page 1251 and "Ïðèâåò" in 1252.
    const std::string file =
        Reg4("[HKEY_CURRENT_USER\\\xCF\xF0\xE8]\r\n\"\xE2\xE5\xF2\"=\"\xCF\"\r\n"
             "\"x\"=hex(2):cf,00\r\n");
    struct Case {
        const char* Name;
        unsigned Number;
        std::string Key;
        std::string Value;
        std::string Letter;  // the character 0xCF stands for
    };
    const Case kCases[] = {
        {"1252, the default", 1252, "\xC3\x8F\xC3\xB0\xC3\xA8", "\xC3\xA2\xC3\xA5\xC3\xB2",
         "\xC3\x8F"},
        {"1251 through the platform", 1251, "\xD0\x9F\xD1\x80\xD0\xB8",
         "\xD0\xB2\xD0\xB5\xD1\x82", "\xD0\x9F"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        std::string error;
        const std::unique_ptr<CodePage> page = OpenCodePage(c.Number, error);
        ASSERT_TRUE(page) << error;
        const RegFileParse result = registry::ParseRegFile(file, kSource, *page);
        ASSERT_TRUE(result.Status.Ok) << result.Status.Message;
        const RegOperation key = Key(kCurrentUser, c.Key);
        RegOperation value = {RegOperationKind::SetValue, kCurrentUser, c.Key, c.Value,
                              SzValue(c.Letter), 0};
        RegOperation expand = {RegOperationKind::SetValue, kCurrentUser, c.Key, "x",
                               ExpandSzValue(c.Letter), 0};
        EXPECT_EQ(Describe(result.File.Operations),
                  Describe(std::vector<RegOperation>{key, value, expand}));
    }
    // The default is code page 1252.
    EXPECT_EQ(Describe(Parse(file).File.Operations.front()),
              "key HKEY_CURRENT_USER\\\xC3\x8F\xC3\xB0\xC3\xA8");
}

TEST(RegFileReader, NameLimitsCountCharactersAsWindowsDoes) {
    // 255 CJK characters are 765 bytes of UTF-8 but 255 characters; an emoji is two.
    std::string cjk;
    for (int i = 0; i < 255; ++i) cjk += "\xE5\x90\x8D";
    std::string emoji;
    for (int i = 0; i < 128; ++i) emoji += "\xF0\x9F\x98\x80";
    const std::string wide = "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\";
    struct Case {
        const char* Name;
        std::string KeyName;
        bool Ok;
    };
    const Case kCases[] = {
        {"255 CJK characters", cjk, true},
        {"256 CJK characters", cjk + "\xE5\x90\x8D", false},
        {"127 emoji and one letter", emoji.substr(4) + "x", true},
        {"128 emoji", emoji, false},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.Name);
        const RegFileParse result =
            Parse(Utf16File(Utf16FromUtf8(wide + c.KeyName + "]\r\n")));
        EXPECT_EQ(result.Status.Ok, c.Ok) << result.Status.Message;
        if (!c.Ok) {
            EXPECT_THAT(result.Status.Message, HasSubstr("key name longer than 255"));
        }
    }
}

TEST(RegFileReader, ErrorSnippetsNeverCutACharacter) {
    std::string text;
    for (int i = 0; i < 30; ++i) text += "\xE5\x90\x8D";  // 90 bytes
    const RegFileParse result = Parse(Utf16File(
        Utf16FromUtf8("REGEDIT4\r\n[HKEY_CURRENT_USER\\T]\r\n\"s\"=" + text + "\r\n")));
    ASSERT_FALSE(result.Status.Ok);
    EXPECT_THAT(result.Status.Message, HasSubstr("\"" + text.substr(0, 39) + "...\""));
}

// ---- rejected input ------------------------------------------------------------------------

struct RejectCase {
    const char* Name;
    std::string File;
    std::size_t Line;
    std::string Problem;  // part of the message after "sample.reg:<line>: "
};

const std::vector<RejectCase>& RejectCases() {
    static const std::vector<RejectCase> cases = {
        // Headers (Windows-verified rejects, then observed Wine rejects)
        {"lower-case header", "regedit4\r\n", 1, "bad header \"regedit4\""},
        {"mixed-case header", "Regedit4\r\n", 1, "bad header"},
        {"REGEDIT 4", "REGEDIT 4\r\n", 1, "bad header"},
        {"REGEDIT4FOO", "REGEDIT4FOO\r\n", 1, "bad header"},
        {"REGEDIT4 FOO", "REGEDIT4 FOO\r\n", 1, "bad header"},
        {"REGEDIT5", "REGEDIT5\r\n", 1, "bad header"},
        {"Windows 3.1 header", "REGEDIT\r\nHKEY_CLASSES_ROOT\\x = y\r\n", 1, "bad header"},
        {"version 4.00", "Windows Registry Editor Version 4.00\r\n", 1, "bad header"},
        {"version 5 without .00", "Windows Registry Editor Version 5\r\n", 1, "bad header"},
        {"version 5 in other case", "windows registry editor version 5.00\r\n", 1, "bad header"},
        {"trailing blank after header", "REGEDIT4 \r\n", 1, "bad header \"REGEDIT4 \""},
        {"UTF-8 byte order mark", "\xEF\xBB\xBFREGEDIT4\r\n", 1, "UTF-8 byte order mark"},
        {"blank first line", "\r\nREGEDIT4\r\n", 1, "missing header"},
        {"empty file", "", 1, "missing header"},
        {"UTF-16 without byte order mark", "R\0E\0G\0E\0D\0I\0T\0004\0"s, 1,
         "without byte order mark"},
        {"big-endian UTF-16", "\xFE\xFF\0R\0E"s, 1, "big-endian"},
        // Key lines
        {"short root name", Reg4("[HKCU\\T]\r\n"), 2, "unknown root key \"HKCU\""},
        {"misspelt root", Reg4("[HKEY_CURRENT_USERS\\T]\r\n"), 2, "unknown root key"},
        {"root outside the table", Reg4("[HKEY_DYN_DATA\\T]\r\n"), 2, "unknown root key"},
        {"blank after [", Reg4("[ HKEY_CURRENT_USER\\T]\r\n"), 2, "blank after \"[\""},
        {"blank after [-", Reg4("[- HKEY_CURRENT_USER\\T]\r\n"), 2, "blank after \"[-\""},
        {"no closing ]", Reg4("[HKEY_CURRENT_USER\\T\r\n"), 2, "no closing ']'"},
        {"empty key name", Reg4("[]\r\n"), 2, "empty key name"},
        {"empty deletion", Reg4("[-]\r\n"), 2, "empty key name"},
        {"text after ]", Reg4("[HKEY_CURRENT_USER\\T] x\r\n"), 2, "unexpected text after ']'"},
        {"deleting a root", Reg4("[-HKEY_CURRENT_USER]\r\n"), 2, "cannot delete a root key"},
        {"empty path component", Reg4("[HKEY_CURRENT_USER\\A\\\\B]\r\n"), 2,
         "empty key name component"},
        {"root followed by two backslashes", Reg4("[HKEY_CURRENT_USER\\\\]\r\n"), 2,
         "empty key name component"},
        {"key name too long", Reg4("[HKEY_CURRENT_USER\\" + std::string(256, 'k') + "]\r\n"), 2,
         "key name longer than 255"},
        {"key too deep",
         Reg4("[HKEY_CURRENT_USER" +
              [] {
                  std::string path;
                  for (int i = 0; i < 513; ++i) path += "\\k";
                  return path;
              }() +
              "]\r\n"),
         2, "deeper than 512"},
        // Where value lines may stand
        {"value before any key", Reg4("\"v\"=\"x\"\r\n"), 2, "value line before any key line"},
        {"value after a key deletion", Reg4("[-HKEY_CURRENT_USER\\T]\r\n\"v\"=\"x\"\r\n"), 3,
         "after a key deletion"},
        {"value after a failed key line still fails at the key line",
         Reg4("[HKEY_CURRENT_USERS\\T]\r\n\"v\"=\"x\"\r\n"), 2, "unknown root key"},
        // Value names
        {"quote inside a name ends it", UnderT("\"v=\"x\r\n"), 3,
         "expected '=' after the value name, found \"x\""},
        {"name without closing quote", UnderT("\"v=1\r\n"), 3, "value name: unterminated"},
        {"no = after the name", UnderT("\"v\" \"x\"\r\n"), 3, "expected '='"},
        {"text between @ and =", UnderT("@x=\"y\"\r\n"), 3, "expected '='"},
        {"nothing after =", UnderT("\"v\"=\r\n"), 3, "missing value data"},
        {"value name too long", UnderT("\"" + std::string(16384, 'n') + "\"=\"x\"\r\n"), 3,
         "value name longer than 16383"},
        // Strings
        {"unterminated string", UnderT("\"v\"=\"abc\r\n"), 3, "unterminated string"},
        {"strings cannot be continued", UnderT("\"v\"=\"abc\\\r\ndef\"\r\n"), 3,
         "unterminated string"},
        {"unescaped quote inside", UnderT("\"v\"=\"foo\"bar\"\r\n"), 3,
         "unexpected text after the closing quote: \"bar\"\""},
        {"unknown escape", UnderT("\"v\"=\"C:\\Windows\"\r\n"), 3, "unknown escape \"\\W\""},
        {"unknown escape in a name", UnderT("\"a\\tb\"=\"x\"\r\n"), 3,
         "value name: unknown escape \"\\t\""},
        {"NUL escape", UnderT("\"v\"=\"a\\0b\"\r\n"), 3, "escape \"\\0\" is not allowed"},
        {"# comment after data", UnderT("\"v\"=\"x\" #c\r\n"), 3, "unexpected text"},
        // Numbers
        {"empty dword", UnderT("\"d\"=dword:\r\n"), 3, "missing dword value"},
        {"dword with only a comment", UnderT("\"d\"=dword: ;c\r\n"), 3, "missing dword value"},
        {"dword with 0x", UnderT("\"d\"=dword:0x10\r\n"), 3, "bad dword \"0x10\""},
        {"dword with 9 digits", UnderT("\"d\"=dword:123456789\r\n"), 3, "dword out of range"},
        {"dword with a leading zero and 9 digits", UnderT("\"d\"=dword:012345678\r\n"), 3,
         "dword out of range \"012345678\""},
        {"dword with a blank inside", UnderT("\"d\"=dword:1234 5678\r\n"), 3, "bad dword"},
        {"dword with trailing hex letters", UnderT("\"d\"=dword:12345678abc\r\n"), 3,
         "dword out of range"},
        {"dword with a non-hex letter", UnderT("\"d\"=dword:12g\r\n"), 3, "bad dword \"12g\""},
        {"DWORD tag is case-sensitive", UnderT("\"d\"=DWORD:1\r\n"), 3,
         "unknown data type \"DWORD:1\""},
        {"dword with # comment", UnderT("\"d\"=dword:1 #c\r\n"), 3, "bad dword"},
        // Data types
        {"HEX tag is case-sensitive", UnderT("\"b\"=HEX:01\r\n"), 3, "unknown data type"},
        {"str: is Wine registry syntax", UnderT("\"s\"=str:\"x\"\r\n"), 3, "unknown data type"},
        {"str(2): is Wine registry syntax", UnderT("\"s\"=str(2):\"x\"\r\n"), 3,
         "unknown data type"},
        {"bare word as data", UnderT("\"s\"=yes\r\n"), 3, "unknown data type \"yes\""},
        {"hex(0x2)", UnderT("\"e\"=hex(0x2):41\r\n"), 3, "bad value type \"hex(0x2):\""},
        {"hex(x2)", UnderT("\"e\"=hex(x2):41\r\n"), 3, "bad value type"},
        {"hex()", UnderT("\"e\"=hex():41\r\n"), 3, "bad value type"},
        {"hex(2) without colon", UnderT("\"e\"=hex(2)41\r\n"), 3, "bad value type"},
        {"hex(100000000)", UnderT("\"e\"=hex(100000000):41\r\n"), 3, "value type out of range"},
        // Hex bytes
        {"bad hex byte", UnderT("\"b\"=hex:01,zz,03\r\n"), 3, "bad hex byte \"zz\""},
        {"byte above ff", UnderT("\"b\"=hex:100\r\n"), 3, "bad hex byte \"100\""},
        {"blank before a comma", UnderT("\"b\"=hex:01, 02 ,03\r\n"), 3, "blank before ','"},
        {"two commas", UnderT("\"b\"=hex:01,,02\r\n"), 3, "missing hex byte before ','"},
        {"leading comma", UnderT("\"b\"=hex:,01\r\n"), 3, "missing hex byte before ','"},
        {"bytes without comma", UnderT("\"b\"=hex:01 02\r\n"), 3, "expected ','"},
        {"0x prefix on a byte", UnderT("\"b\"=hex:0x1\r\n"), 3, "bad hex byte \"0x1\""},
        {"# comment after hex", UnderT("\"b\"=hex:01 #c\r\n"), 3, "expected ','"},
        // Continuation lines
        {"backslash without comma before it", UnderT("\"b\"=hex:01,20\\\r\n,63\r\n"), 3,
         "must follow a comma"},
        {"byte split across lines", UnderT("\"b\"=hex:4\\\r\nf\r\n"), 3, "must follow a comma"},
        {"# comment after the backslash", UnderT("\"b\"=hex:01,\\ #c\r\n02\r\n"), 3,
         "unexpected text after line continuation"},
        {"continuation line starting with a comma", UnderT("\"b\"=hex:01,\\\r\n  ,63\r\n"), 4,
         "expected hex bytes continuing the value of line 3"},
        {"value line where the continuation belongs", UnderT("\"b\"=hex:01,\\\r\n\"w\"=\"x\"\r\n"),
         4, "expected hex bytes"},
        {"key line where the continuation belongs",
         UnderT("\"b\"=hex:01,\\\r\n\r\n[HKEY_CURRENT_USER\\U]\r\n"), 5, "expected hex bytes"},
        {"# line between continuation lines", UnderT("\"b\"=hex:01,\\\r\n# c\r\n02\r\n"), 4,
         "expected hex bytes"},
        {"hex continued without backslash (regedit drops the rest silently)",
         UnderT("\"b\"=hex:11,22,\\\r\n  33,\r\n  44\r\n"), 5, "unrecognised line \"44\""},
        // Deletions
        {"=-\"x\" does not delete", UnderT("\"v\"=-\"x\"\r\n"), 3, "unexpected text after '-'"},
        {"=- #c does not delete", UnderT("\"v\"=- #c\r\n"), 3, "unexpected text after '-'"},
        // Other lines
        {"plain text line", UnderT("name=value\r\n"), 3, "unrecognised line \"name=value\""},
        {"Windows 3.1 line in a REGEDIT4 file", Reg4("HKEY_CLASSES_ROOT\\x = y\r\n"), 2,
         "unrecognised line"},
        {"NUL byte in a string", UnderT("\"v\"=\"a\0b\"\r\n"s), 3, "NUL character"},
        {"NUL byte in a comment", UnderT("; a\0b\r\n"s), 3, "NUL character"},
        // Line numbers follow every kind of line end
        {"line numbers with LF", "REGEDIT4\n\n[HKEY_CURRENT_USER\\T]\n\"b\"=hex:zz\n", 4,
         "bad hex byte"},
        {"line numbers with CR", "REGEDIT4\r\r[HKEY_CURRENT_USER\\T]\r\"b\"=hex:zz\r", 4,
         "bad hex byte"},
        {"line numbers with mixed ends", "REGEDIT4\r\n\r\r\n\n[HKEY_CURRENT_USER\\T]\r\"b\"=hex:zz",
         6, "bad hex byte"},
        // UTF-16 files
        {"UTF-16 odd byte count", Utf16File(u"REGEDIT4\r\n\r\n") + "A", 3,
         "ends in the middle of a character"},
        {"UTF-16 NUL character",
         Utf16File(u"REGEDIT4\r\n[HKEY_CURRENT_USER\\T]\r\n\"v\"=\"a\0b\"\r\n"s), 3,
         "NUL character"},
        {"UTF-16 bad data", Utf16File(u"REGEDIT4\r\n[HKEY_CURRENT_USER\\T]\r\n\"d\"=dword:x\r\n"),
         3, "bad dword \"x\""},
    };
    return cases;
}

TEST(RegFileReader, RejectsBadInputWithFileLineAndReason) {
    for (const RejectCase& c : RejectCases()) {
        SCOPED_TRACE(c.Name);
        const RegFileParse result = Parse(c.File);
        ASSERT_FALSE(result.Status.Ok);
        const std::string prefix = std::string(kSource) + ":" + std::to_string(c.Line) + ": ";
        EXPECT_THAT(result.Status.Message, StartsWith(prefix));
        EXPECT_THAT(result.Status.Message, HasSubstr(c.Problem));
        EXPECT_TRUE(result.File.Operations.empty());  // nothing of a bad file is handed out
    }
}

TEST(RegFileReader, ErrorMessageIsExact) {
    const RegFileParse result = Parse(UnderT("\"ok\"=\"x\"\r\n\"b\"=hex:01,zz\r\n"));
    EXPECT_EQ(result.Status.Message, "sample.reg:4: bad hex byte \"zz\"");
    EXPECT_FALSE(static_cast<bool>(result.Status));
}

TEST(RegFileReader, ErrorSnippetsAreShortAndShowControlBytes) {
    const RegFileParse result = Parse(UnderT("\"s\"=" + std::string(200, 'w') + "\x01\r\n"));
    ASSERT_FALSE(result.Status.Ok);
    EXPECT_LT(result.Status.Message.size(), 160u);
    EXPECT_THAT(result.Status.Message, HasSubstr("...\""));

    const RegFileParse control = Parse(UnderT("\x01x\r\n"));
    EXPECT_THAT(control.Status.Message, HasSubstr("unrecognised line \"\\x01x\""));
}

// ---- no size limits ------------------------------------------------------------------------

TEST(RegFileReader, ValuesOfAnySizeAreRead) {
    // Over the old 1 MiB value limit: 1.1 MB of continued hex bytes and a 600,000-character
    // string (1.2 MB as UTF-16).
    const std::size_t count = 1'100'000;
    std::string list;
    list.reserve(count * 4);
    for (std::size_t i = 0; i < count; ++i) {
        list += (i % 25 == 24 && i + 1 < count) ? "ab,\\\r\n  " : "ab,";
    }
    const std::string text(600'000, 'x');
    const RegFileParse parsed =
        Parse(UnderT("\"b\"=hex:" + list + "\r\n\"s\"=\"" + text + "\"\r\n"));
    ASSERT_TRUE(parsed.Status.Ok) << parsed.Status.Message;
    ASSERT_EQ(parsed.File.Operations.size(), 3u);
    EXPECT_EQ(parsed.File.Operations[1].Value.Bytes, std::string(count, '\xAB'));
    EXPECT_EQ(parsed.File.Operations[2].Value, SzValue(text));
}

// ---- token helpers shared with the writer --------------------------------------------------

TEST(RegFileSyntax, EscapeAndUnescapeRoundTrip) {
    const std::vector<std::string> texts = {
        "",
        "plain",
        "C:\\Program Files\\x.exe",
        "say \"hi\"",
        "\\\"\\\\\"",
        "tab\tand\x01",
        "caf\xE9 \x80",
        "ends with \\",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        std::string line = "\"";
        line += registry::EscapeRegString(text);
        line += "\" ;rest";
        std::size_t pos = 1;
        std::string back;
        std::string error;
        ASSERT_TRUE(registry::UnescapeRegString(line, pos, back, error)) << error;
        EXPECT_EQ(back, text);
        EXPECT_EQ(line.substr(pos), " ;rest");
    }
    EXPECT_EQ(registry::EscapeRegString("C:\\A \"B\""), "C:\\\\A \\\"B\\\"");
}

// ---- applying ------------------------------------------------------------------------------

class RegFileApply : public ::testing::Test {
protected:
    registry::MemoryStore store_;
    FakeProbes probes_;
    registry::EngineSignals signals_;
    registry::RegistryAccess access_{store_, probes_, signals_};

    void Put(RootKey root, const std::string& path, const std::string& name, RawValue value) {
        access_.CreateKey(root, path);
        ASSERT_TRUE(access_.WriteRaw(root, path, name, value));
    }
    RawValue Read(RootKey root, const std::string& path, const std::string& name) {
        RawValue value{0xDEAD, "<missing>"};
        access_.ReadRaw(root, path, name, value);
        return value;
    }
    registry::RegFileStatus Apply(const std::string& file) {
        const RegFileParse parsed = Parse(file);
        EXPECT_TRUE(parsed.Status.Ok) << parsed.Status.Message;
        return registry::ApplyRegFile(parsed.File, store_);
    }
};

TEST_F(RegFileApply, WritesExactBytesAndReplacesExistingValues) {
    Put(kCurrentUser, "T", "v", SzValue("old"));
    const auto status = Apply(UnderT("\"v\"=hex:00,ff\r\n\"n\"=hex(0):\r\n@=\"d\"\r\n"));
    ASSERT_TRUE(status.Ok) << status.Message;
    EXPECT_EQ(Read(kCurrentUser, "T", "v"), (RawValue{kRegBinary, "\x00\xff"s}));
    EXPECT_EQ(Read(kCurrentUser, "T", "n"), (RawValue{kRegNone, ""}));
    EXPECT_EQ(Read(kCurrentUser, "T", ""), SzValue("d"));
}

TEST_F(RegFileApply, KeyDeletionRemovesTheWholeSubtreeOnly) {
    Put(kCurrentUser, "T\\A\\B\\C", "deep", {kRegDword, "\1\0\0\0"s});
    Put(kCurrentUser, "T\\A", "v", SzValue("x"));
    Put(kCurrentUser, "T\\Abc", "keep", SzValue("y"));
    const auto status =
        Apply(Reg4("[-HKEY_CURRENT_USER\\T\\A]\r\n[-HKEY_CURRENT_USER\\T\\Missing]\r\n"));
    ASSERT_TRUE(status.Ok) << status.Message;  // a missing key is no failure
    EXPECT_FALSE(access_.KeyExists(kCurrentUser, "T\\A"));
    EXPECT_THAT(access_.EnumSubkeys(kCurrentUser, "T"), ElementsAre("Abc"));
    EXPECT_EQ(Read(kCurrentUser, "T\\Abc", "keep"), SzValue("y"));
}

TEST_F(RegFileApply, ValueDeletionRemovesOnlyThatValue) {
    Put(kCurrentUser, "T", "gone", SzValue("x"));
    Put(kCurrentUser, "T", "", SzValue("default"));
    Put(kCurrentUser, "T", "stays", SzValue("y"));
    const auto status = Apply(UnderT("\"gone\"=-\r\n@=-\r\n\"never there\"=-\r\n"));
    ASSERT_TRUE(status.Ok) << status.Message;
    EXPECT_EQ(Read(kCurrentUser, "T", "gone").Type, 0xDEADu);
    EXPECT_EQ(Read(kCurrentUser, "T", "").Type, 0xDEADu);
    EXPECT_EQ(Read(kCurrentUser, "T", "stays"), SzValue("y"));
}

TEST_F(RegFileApply, OperationsRunInFileOrder) {
    // Create, delete, re-create: only what the last lines say survives.
    const auto status =
        Apply(Reg4("[HKEY_CURRENT_USER\\T\\Sub]\r\n\"a\"=\"1\"\r\n[-HKEY_CURRENT_USER\\T\\Sub]\r\n"
                   "[HKEY_CURRENT_USER\\T\\Sub]\r\n\"b\"=\"2\"\r\n\"b\"=\"3\"\r\n"));
    ASSERT_TRUE(status.Ok) << status.Message;
    EXPECT_EQ(Read(kCurrentUser, "T\\Sub", "a").Type, 0xDEADu);
    EXPECT_EQ(Read(kCurrentUser, "T\\Sub", "b"), SzValue("3"));
}

TEST_F(RegFileApply, FailuresAreReportedWithLineAndTheRestStillApplies) {
    Put(kCurrentUser, "Locked", "x", SzValue("x"));
    store_.DenyAccess(kCurrentUser, "Locked");
    const auto status =
        Apply(Reg4("[HKEY_CURRENT_USER\\Locked\\Sub]\r\n\"v\"=\"x\"\r\n"
                   "[HKEY_CURRENT_USER\\T]\r\n\"ok\"=dword:1\r\n"));
    EXPECT_FALSE(status.Ok);
    EXPECT_EQ(status.Message,
              "sample.reg:2: cannot create key HKEY_CURRENT_USER\\Locked\\Sub "
              "(and 1 more failure)");
    EXPECT_EQ(Read(kCurrentUser, "T", "ok"), (RawValue{kRegDword, "\1\0\0\0"s}));
}

// ---- files on disk -------------------------------------------------------------------------

std::string DataFile(const char* name) { return std::string(HW_TEST_DATA) + "/regfile/" + name; }

TEST_F(RegFileApply, RealisticRegedit4FileLoadsIntoTheStore) {
    Put(kLocalMachine, "Software\\Kestovar Sample", "Obsolete", SzValue("old"));
    Put(kLocalMachine, "Software\\Kestovar Sample\\Old\\Deeper", "x", SzValue("x"));

    const auto status = registry::LoadRegFile(DataFile("realistic_regedit4.reg"), store_);
    ASSERT_TRUE(status.Ok) << status.Message;

    const std::string app = "Software\\Kestovar Sample";
    std::string blob;
    for (int i = 0; i < 32; ++i) blob += static_cast<char>(i);
    struct Expect {
        std::string Name;
        RawValue Value;
    };
    const std::vector<Expect> values = {
        {"", SzValue("Sample application")},
        {"InstallDir", SzValue("C:\\Program Files\\Sample")},
        {"Quoted", SzValue("say \"hi\"")},
        {"Version", {kRegDword, "\x02\x00\x01\x00"s}},
        {"Flags", {kRegDword, "\xff\x00\x00\x00"s}},
        {"Caf\xC3\xA9", SzValue("R\xC3\xA9sum\xC3\xA9 \xE2\x82\xAC")},
        {"Blob", {kRegBinary, blob}},
        {"Path", ExpandSzValue("%SystemRoot%\\system")},
        {"Lines", MultiSzValue({"one", "two"})},
        {"Big", {kRegQword, "\0\0\0\0\x01\0\0\0"s}},
    };
    for (const Expect& e : values) {
        SCOPED_TRACE(e.Name);
        EXPECT_EQ(Read(kLocalMachine, app, e.Name), e.Value);
    }
    EXPECT_EQ(Read(kLocalMachine, app, "Obsolete").Type, 0xDEADu);
    EXPECT_THAT(access_.EnumSubkeys(kLocalMachine, app), ElementsAre("Plugins"));
    EXPECT_THAT(access_.EnumSubkeys(kLocalMachine, app + "\\Plugins"), ElementsAre("arc", "Zip"));
    EXPECT_EQ(Read(kLocalMachine, app + "\\Plugins\\Zip", "Enabled"),
              (RawValue{kRegDword, "\1\0\0\0"s}));
    EXPECT_EQ(Read(kCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Sample"),
              SzValue("\"C:\\Program Files\\Sample\\sample.exe\" -tray"));
    // The values read back through the text conversion the scan uses, in file order.
    const std::vector<registry::ValueRecord> records = access_.EnumValues(kLocalMachine, app);
    ASSERT_EQ(records.size(), values.size());
    EXPECT_EQ(records[1].Name, "InstallDir");
    EXPECT_EQ(records[1].Data, "C:\\Program Files\\Sample");
    EXPECT_EQ(records[3].Data, "65538");
}

TEST_F(RegFileApply, UnicodeVersion5FileLoadsExactly) {
    const auto status = registry::LoadRegFile(DataFile("unicode_v5.reg"), store_);
    ASSERT_TRUE(status.Ok) << status.Message;
    const std::string key = "Software\\Kestovar Sample\\Unicode";
    EXPECT_EQ(Read(kCurrentUser, key, "Caf\xC3\xA9"),
              SzValue("Price: 5 \xE2\x82\xAC \xE2\x80\x94 \xCE\xA9mega"));
    EXPECT_EQ(Read(kCurrentUser, key, "Expand"), ExpandSzValue("%TEMP%\\\xC3\xA9"));
    EXPECT_EQ(Read(kCurrentUser, key, "Multi"), MultiSzValue({"a", "\xC3\xA9"}));
    EXPECT_EQ(Read(kCurrentUser, key, "NoTerm"), SzValue("AB"));
    EXPECT_EQ(Read(kCurrentUser, key, "Raw"), (RawValue{kRegBinary, "A\0B\0"s}));
}

TEST_F(RegFileApply, NothingIsAppliedWhenAnyLineIsBad) {
    Put(kLocalMachine, "Software\\Kestovar Sample", "Good", SzValue("before"));
    const auto status = registry::LoadRegFile(DataFile("error_late.reg"), store_);
    EXPECT_FALSE(status.Ok);
    EXPECT_EQ(status.Message, DataFile("error_late.reg") + ":7: bad hex byte \"zz\"");
    EXPECT_EQ(Read(kLocalMachine, "Software\\Kestovar Sample", "Good"),
              SzValue("before"));
    EXPECT_FALSE(access_.KeyExists(kLocalMachine, "Software\\Kestovar Sample\\More"));
}

TEST_F(RegFileApply, UnreadableFileIsAnErrorNamingIt) {
    const std::string missing = DataFile("no_such_file.reg");
    const auto status = registry::LoadRegFile(missing, store_);
    EXPECT_FALSE(status.Ok);
    EXPECT_THAT(status.Message, StartsWith(missing + ": cannot open file: "));

    const auto folder = registry::LoadRegFile(DataFile(""), store_);
    EXPECT_FALSE(folder.Ok);
    EXPECT_THAT(folder.Message, StartsWith(DataFile("") + ": cannot "));
}

TEST_F(RegFileApply, ReadRegFileParsesWithoutTouchingAnyStore) {
    const RegFileParse parsed = registry::ReadRegFile(DataFile("realistic_regedit4.reg"));
    ASSERT_TRUE(parsed.Status.Ok) << parsed.Status.Message;
    EXPECT_EQ(parsed.File.Source, DataFile("realistic_regedit4.reg"));
    ASSERT_FALSE(parsed.File.Operations.empty());
    EXPECT_EQ(Describe(parsed.File.Operations.front()),
              "key HKEY_LOCAL_MACHINE\\Software\\Kestovar Sample");
    EXPECT_EQ(parsed.File.Operations.front().Line, 4u);
    EXPECT_EQ(parsed.File.Operations.back().Name, "Sample");
    EXPECT_EQ(parsed.File.Operations.back().Line, 29u);
}

}  // namespace
}  // namespace hivewarden::testing
