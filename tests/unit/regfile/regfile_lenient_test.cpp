// The .reg reader as regedit imports (lenient mode): what each kind of bad line makes it skip,
// what it still applies, and the note it gives; a bad header still refuses the file. And the
// streaming reader: the same operations whatever pieces the bytes arrive in (UTF-16 units,
// CR LF pairs and multibyte characters split across pieces, lines longer than a piece).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/code_page.h"
#include "store/memory_store.h"
#include "regfile/regfile.h"
#include "support/reg_operation_text.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

using namespace std::string_literals;
using registry::RegFileNote;
using registry::RegFileReader;
using registry::RegImportMode;
using registry::RegOperation;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kSource = "sample.reg";

struct Reading {
    bool Ok = false;
    std::string Message;
    std::vector<std::string> Operations;  // described
    std::vector<RegFileNote> Notes;
};

// The bytes through the reader in pieces of `piece` bytes (0: all at once).
Reading Read(std::string_view bytes, RegImportMode mode, std::size_t piece = 0,
             const CodePage& codePage = Windows1252()) {
    Reading reading;
    RegFileReader reader(
        kSource, mode, codePage,
        [&reading](RegOperation&& op) { reading.Operations.push_back(Describe(op)); },
        [&reading](const RegFileNote& note) { reading.Notes.push_back(note); });
    if (piece == 0) piece = bytes.size() + 1;
    bool ok = true;
    for (std::size_t at = 0; ok && at < bytes.size(); at += piece) {
        ok = reader.Feed(bytes.substr(at, piece));
    }
    reading.Ok = ok && reader.Finish();
    reading.Message = reader.Status().Message;
    return reading;
}

// A REGEDIT4 file whose line 2 opens HKEY_CURRENT_USER\T.
std::string UnderT(std::string_view lines) {
    return "REGEDIT4\r\n[HKEY_CURRENT_USER\\T]\r\n" + std::string(lines);
}

const std::string kKeyT = "key HKEY_CURRENT_USER\\T";
std::string SetSz(const std::string& key, const std::string& name, const std::string& ascii) {
    std::string hex;
    for (char c : ascii) hex += HexText(std::string(1, c)) + " 00 ";
    return "set HKEY_CURRENT_USER\\" + key + " \"" + name + "\" type 1 [" + hex + "00 00]";
}

struct ExpectedNote {
    std::size_t Line;
    const char* Kind;  // "skipped" or "changed"
    std::string Part;
};

struct LenientCase {
    const char* Name;
    std::string File;
    std::vector<std::string> Applied;
    std::vector<ExpectedNote> Notes;
};

const std::vector<LenientCase>& LenientCases() {
    static const std::vector<LenientCase> cases = {
        // Escapes: regedit drops the backslash of an unknown escape and keeps the character.
        {"unknown escape in data",
         UnderT("\"p\"=\"C:\\Windows\"\r\n"),
         {kKeyT, SetSz("T", "p", "C:Windows")},
         {{3, "changed", "unknown escape \"\\W\" read as \"W\""}}},
        {"unknown escape in a name",
         UnderT("\"a\\qb\"=\"x\"\r\n"),
         {kKeyT, SetSz("T", "aqb", "x")},
         {{3, "changed", "unknown escape \"\\q\""}}},
        {"\\0 drops the line",
         UnderT("\"v\"=\"a\\0b\"\r\n\"w\"=\"ok\"\r\n"),
         {kKeyT, SetSz("T", "w", "ok")},
         {{3, "skipped", "\"\\0\""}}},
        // Where value lines may stand.
        {"values after a key deletion are dropped until the next key line",
         UnderT("[-HKEY_CURRENT_USER\\T\\Old]\r\n\"v\"=\"x\"\r\n\"w\"=dword:1\r\n"
                "[HKEY_CURRENT_USER\\U]\r\n\"z\"=\"y\"\r\n"),
         {kKeyT, "delete key HKEY_CURRENT_USER\\T\\Old", "key HKEY_CURRENT_USER\\U",
          SetSz("U", "z", "y")},
         {{4, "skipped", "after a key deletion"}, {5, "skipped", "after a key deletion"}}},
        {"value before the first key line",
         "REGEDIT4\r\n\"v\"=\"x\"\r\n[HKEY_CURRENT_USER\\T]\r\n\"w\"=\"y\"\r\n",
         {kKeyT, SetSz("T", "w", "y")},
         {{2, "skipped", "before any key line"}}},
        // Key lines.
        {"unknown root: the key is closed and its values dropped",
         UnderT("[HKEY_CURRENT_USERS\\X]\r\n\"v\"=\"x\"\r\n[HKCU\\Y]\r\n"),
         {kKeyT},
         {{3, "skipped", "unknown root key \"HKEY_CURRENT_USERS\""},
          {4, "skipped", "after a skipped key line"},
          {5, "skipped", "unknown root key \"HKCU\""}}},
        {"blank after [ keeps the key opened before",
         UnderT("[ HKEY_CURRENT_USER\\X]\r\n\"v\"=\"x\"\r\n"),
         {kKeyT, SetSz("T", "v", "x")},
         {{3, "skipped", "blank after \"[\""}}},
        {"no closing ] keeps the key opened before",
         UnderT("[HKEY_CURRENT_USER\\X\r\n\"v\"=\"x\"\r\n"),
         {kKeyT, SetSz("T", "v", "x")},
         {{3, "skipped", "no closing ']'"}}},
        {"blank after [- closes the key",
         UnderT("[- HKEY_CURRENT_USER\\X]\r\n\"v\"=\"x\"\r\n"),
         {kKeyT},
         {{3, "skipped", "blank after \"[-\""}, {4, "skipped", "no key is open"}}},
        {"deleting a root key is skipped",
         UnderT("[-HKEY_CURRENT_USER]\r\n[HKEY_CURRENT_USER\\U]\r\n"),
         {kKeyT, "key HKEY_CURRENT_USER\\U"},
         {{3, "skipped", "cannot delete a root key"}}},
        {"empty component in the middle",
         UnderT("[HKEY_CURRENT_USER\\A\\\\B]\r\n"),
         {kKeyT},
         {{3, "skipped", "empty key name component"}}},
        {"trailing backslashes are dropped, as Windows does",
         UnderT("[HKEY_CURRENT_USER\\U\\\\\\]\r\n"),
         {kKeyT, "key HKEY_CURRENT_USER\\U"},
         {}},
        {"text after ] is ignored (and noted)",
         UnderT("[HKEY_CURRENT_USER\\U] x\r\n"),
         {kKeyT, "key HKEY_CURRENT_USER\\U"},
         {{3, "changed", "unexpected text after ']'"}}},
        // Value lines: the bad line goes, the next one is read.
        {"bad lines of every kind",
         UnderT("\"a\"=\"open\r\n\"b\"=\"x\" junk\r\n\"c\"=\"x\" #c\r\n\"d\"=dword:0x10\r\n"
                "\"e\"=DWORD:1\r\n\"f\"=str:\"x\"\r\n\"g\"=-x\r\n\"h\" \"x\"\r\n\"i\"=\r\n"
                "\"j\"=hex(0x2):41\r\n\"k\"=hex:01,zz\r\nname=value\r\n\"ok\"=\"y\"\r\n"),
         {kKeyT, SetSz("T", "ok", "y")},
         {{3, "skipped", "unterminated string"},
          {4, "skipped", "after the closing quote"},
          {5, "skipped", "after the closing quote"},
          {6, "skipped", "bad dword"},
          {7, "skipped", "unknown data type"},
          {8, "skipped", "unknown data type"},
          {9, "skipped", "after '-'"},
          {10, "skipped", "expected '='"},
          {11, "skipped", "missing value data"},
          {12, "skipped", "bad value type"},
          {13, "skipped", "bad hex byte \"zz\""},
          {14, "skipped", "unrecognised line"}}},
        {"NUL byte in a line",
         UnderT("\"v\"=\"a\0b\"\r\n\"w\"=\"ok\"\r\n"s),
         {kKeyT, SetSz("T", "w", "ok")},
         {{3, "skipped", "NUL character"}}},
        // Hex continuation lines (Wine's import tests Wine24, Wine25, Wine29).
        {"a value line where a continuation belongs is dropped with the value",
         UnderT("\"a\"=hex:01,\\\r\n\"b\"=\"x\"\r\n\"c\"=\"y\"\r\n"),
         {kKeyT, SetSz("T", "c", "y")},
         {{4, "skipped", "continuing the value of line 3"}}},
        {"a key line where a continuation belongs is dropped, the key stays",
         UnderT("\"a\"=hex:01,\\\r\n[HKEY_CURRENT_USER\\T\\Sub]\r\n\"c\"=\"y\"\r\n"),
         {kKeyT, SetSz("T", "c", "y")},
         {{4, "skipped", "continuing the value of line 3"}}},
        {"comments between continuation lines: ';' is passed over, '#' is not",
         UnderT("\"a\"=hex:01,\\\r\n;c\r\n\"d\"=\"x\"\r\n\"e\"=hex:01,\\\r\n#c\r\n\"f\"=\"y\"\r\n"),
         {kKeyT, SetSz("T", "f", "y")},
         {{5, "skipped", "value of line 3"}, {7, "skipped", "value of line 6"}}},
        {"backslash after a byte: the value goes, the next line is read",
         UnderT("\"a\"=hex:01,20\\\r\n[HKEY_CURRENT_USER\\T\\Sub]\r\n"),
         {kKeyT, "key HKEY_CURRENT_USER\\T\\Sub"},
         {{3, "skipped", "must follow a comma"}}},
        {"a bad byte on a continuation line names the value's line",
         UnderT("\"a\"=hex:01,\\\r\n  02,,03\r\n\"b\"=dword:2\r\n"),
         {kKeyT, "set HKEY_CURRENT_USER\\T \"b\" type 4 [02 00 00 00]"},
         {{4, "skipped", "(the value of line 3 is left out)"}}},
        {"hex continued without a backslash: the rest is a skipped line",
         UnderT("\"b\"=hex:11,22,\\\r\n  33,\r\n  44\r\n"),
         {kKeyT, "set HKEY_CURRENT_USER\\T \"b\" type 3 [11 22 33]"},
         {{5, "skipped", "unrecognised line \"44\""}}},
        {"a backslash at the end of the file ends the value",
         UnderT("\"b\"=hex:11,\\"),
         {kKeyT, "set HKEY_CURRENT_USER\\T \"b\" type 3 [11]"},
         {}},
        // Files.
        {"UTF-16 text with an odd byte count",
         Utf16File(u"REGEDIT4\r\n[HKEY_CURRENT_USER\\T]\r\n") + "A",
         {kKeyT},
         {{3, "skipped", "odd byte count"}}},
    };
    return cases;
}

TEST(RegFileLenient, SkipsWhatRegeditSkipsAndAppliesTheRest) {
    for (const LenientCase& c : LenientCases()) {
        SCOPED_TRACE(c.Name);
        const Reading lenient = Read(c.File, RegImportMode::Lenient);
        ASSERT_TRUE(lenient.Ok) << lenient.Message;
        EXPECT_EQ(lenient.Operations, c.Applied);
        ASSERT_EQ(lenient.Notes.size(), c.Notes.size());
        for (std::size_t i = 0; i < c.Notes.size(); ++i) {
            const ExpectedNote& want = c.Notes[i];
            const RegFileNote& got = lenient.Notes[i];
            EXPECT_EQ(got.Line, want.Line);
            EXPECT_EQ(got.What == RegFileNote::Kind::Skipped ? "skipped" : "changed",
                      std::string(want.Kind));
            EXPECT_THAT(got.Message,
                        StartsWith(std::string(kSource) + ":" + std::to_string(want.Line) + ": " +
                                   want.Kind + ": "));
            EXPECT_THAT(got.Message, HasSubstr(want.Part));
        }
        // Every case is an error for the strict reader, which then hands out nothing.
        const Reading strict = Read(c.File, RegImportMode::Strict);
        if (!c.Notes.empty()) {
            EXPECT_FALSE(strict.Ok);
        }
    }
}

TEST(RegFileLenient, ABadHeaderStillRefusesTheWholeFile) {
    for (const std::string& file :
         {"regedit4\r\n[HKEY_CURRENT_USER\\T]\r\n"s, "\r\nREGEDIT4\r\n"s, ""s,
          "\xEF\xBB\xBFREGEDIT4\r\n"s, "R\0E\0G\0"s, "REGEDIT\r\nHKEY_CLASSES_ROOT\\x = y\r\n"s}) {
        SCOPED_TRACE(file);
        const Reading lenient = Read(file, RegImportMode::Lenient);
        EXPECT_FALSE(lenient.Ok);
        EXPECT_THAT(lenient.Message, StartsWith("sample.reg:1: "));
        EXPECT_TRUE(lenient.Operations.empty());
    }
}

TEST(RegFileLenient, LoadAppliesTheGoodLinesAndCountsTheOthers) {
    TempFolder tmp;
    const std::string path =
        tmp.Write("mixed.reg", UnderT("\"a\"=\"C:\\x\"\r\n\"b\"=hex:zz\r\n\"c\"=dword:7\r\n"));
    registry::MemoryStore store;
    std::vector<std::string> messages;
    const registry::RegFileStatus status = registry::LoadRegFile(
        path, store, Windows1252(), RegImportMode::Lenient,
        [&messages](const RegFileNote& note) { messages.push_back(note.Message); });
    ASSERT_TRUE(status.Ok) << status.Message;
    EXPECT_THAT(messages, ::testing::ElementsAre(path + ":3: changed: unknown escape \"\\x\" "
                                                        "read as \"x\", as regedit reads it "
                                                        "(write \\\\ for a backslash)",
                                                 path + ":4: skipped: bad hex byte \"zz\""));
    const registry::StoreHandle key = store.Open(registry::kCurrentUser, "T");
    ASSERT_NE(key, 0u);
    registry::RawValue value;
    EXPECT_TRUE(store.Read(key, "c", value));
    EXPECT_FALSE(store.Read(key, "b", value));
    store.Close(key);

    // Strict, the same file applies nothing.
    registry::MemoryStore untouched;
    EXPECT_FALSE(registry::LoadRegFile(path, untouched).Ok);
    EXPECT_EQ(untouched.Open(registry::kCurrentUser, "T"), 0u);
}

// ---- pieces --------------------------------------------------------------------------------

TEST(RegFileStream, PiecesOfAnySizeGiveTheSameOperations) {
    // Surrogate pairs (U+1F600), non-ASCII text, CR LF, lone CR and LF line ends, a continued
    // hex list, and a line much longer than the pieces.
    const std::u16string longName(300, u'n');
    const std::string utf16 = Utf16File(
        u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\\U0001F600\u00E9]\r"
        u"\"\U0001F600\"=\"a\u20ACb\"\n\"h\"=hex(2):41,00,\\\r\n  42,00,00,00\r\n\"" +
        longName + u"\"=dword:1\r\n");
    const std::string ansi =
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\T\xE9]\r\n\"\xE9\"=\"\x80\"\r\"x\"=hex:01,\\\n02\r\n\"" +
        std::string(300, 'n') + "\"=\"v\"\r\n";
    for (const std::string* file : {&utf16, &ansi}) {
        const Reading whole = Read(*file, RegImportMode::Strict);
        ASSERT_TRUE(whole.Ok) << whole.Message;
        ASSERT_EQ(whole.Operations.size(), 4u);
        for (std::size_t piece : {1u, 2u, 3u, 5u, 7u, 64u}) {
            SCOPED_TRACE(piece);
            const Reading pieces = Read(*file, RegImportMode::Strict, piece);
            ASSERT_TRUE(pieces.Ok) << pieces.Message;
            EXPECT_EQ(pieces.Operations, whole.Operations);
        }
    }
}

TEST(RegFileStream, ACrLfSplitBetweenPiecesIsOneLineEnd) {
    // The CR ends one piece, the LF starts the next: line numbers must not count it twice.
    const std::string file = UnderT("\"b\"=hex:zz\r\n");
    const std::size_t cr = file.find('\r');
    ASSERT_NE(cr, std::string::npos);
    const Reading split = Read(file, RegImportMode::Strict, cr + 1);
    EXPECT_EQ(split.Message, "sample.reg:3: bad hex byte \"zz\"");
    // The same in UTF-16, where the pieces also split code units.
    const std::string wide = Utf16File(u"REGEDIT4\r\n[HKEY_CURRENT_USER\\T]\r\n\"b\"=hex:zz\r\n");
    for (std::size_t piece = 1; piece <= 5; ++piece) {
        EXPECT_EQ(Read(wide, RegImportMode::Strict, piece).Message,
                  "sample.reg:3: bad hex byte \"zz\"");
    }
}

TEST(RegFileStream, MultibyteCharactersSplitBetweenPiecesStayWhole) {
    std::string error;
    const std::unique_ptr<CodePage> shiftJis = OpenCodePage(932, error);
    if (!shiftJis) GTEST_SKIP() << "code page 932: " << error;
    // "\x93\xfa\x96\x7b" is 日本 in code page 932; its second byte 0x7b is also '{'.
    const std::string file = "REGEDIT4\r\n[HKEY_CURRENT_USER\\\x93\xfa\x96\x7b]\r\n";
    const Reading whole = Read(file, RegImportMode::Strict, 0, *shiftJis);
    ASSERT_TRUE(whole.Ok) << whole.Message;
    EXPECT_EQ(whole.Operations,
              std::vector<std::string>{"key HKEY_CURRENT_USER\\\xE6\x97\xA5\xE6\x9C\xAC"});
    for (std::size_t piece = 1; piece <= 4; ++piece) {
        EXPECT_EQ(Read(file, RegImportMode::Strict, piece, *shiftJis).Operations, whole.Operations);
    }
}

}  // namespace
}  // namespace hivewarden::testing
