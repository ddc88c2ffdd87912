// `hivewarden search` run through the command-line dispatcher with string streams: the
// listing as the custom grid shows it, the report's exact bytes (ANSI when the code page holds
// the text, UTF-8 with a byte order mark otherwise), the JSON fields, the texts after
// repeatable options, the repair with its backup, names and data in any script, bad arguments,
// and Ctrl+C acting as Cancel.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/app.h"
#include "support/cli_runner.h"
#include "cli/console/console_search_front_end.h"
#include "cli/console/platform_system.h"
#include "custom/custom_repair_page.h"
#include "custom/custom_search.h"
#include "files/host_path.h"
#include "store/memory_store.h"
#include "regfile/regfile.h"
#include "text/unicode.h"
#include "support/fake_machine.h"
#include "support/raw_values.h"
#include "support/registry_snapshot.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

// "Café" as the program holds it, prints it and takes it as an argument: UTF-8 everywhere (the
// REGEDIT4 files below hold it as the Windows-1252 byte E9).
const std::string kCafe = "Caf\xC3\xA9";
const std::string kCafeArg = "caf\xC3\xA9";

// A file's bytes by its UTF-8 path (on Windows a narrow path would be read as ANSI).
std::string ReadFile(const std::string& path) {
    std::ifstream in(registry::ToHostPath(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Two registry files: HKEY_CURRENT_USER with a Run key, HKEY_LOCAL_MACHINE with a default
// value, a number, binary data and an ANSI name.
class SearchCommandTest : public ::testing::Test {
  protected:
    SearchCommandTest() {
        cu_ =
            tmp_.Write("cu.reg",
                       "REGEDIT4\r\n\r\n"
                       "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
                       "\"Tool\"=\"C:\\\\Tools\\\\tool.exe /min\"\r\n"
                       "\"Helper\"=\"rundll32.exe helper.dll,Start\"\r\n\r\n"
                       "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
                       "\"AutoRunMode\"=\"yes\"\r\n\r\n");
        lm_ = tmp_.Write("lm.reg",
                         "REGEDIT4\r\n\r\n"
                         "[HKEY_LOCAL_MACHINE\\Software\\Caf\xE9]\r\n"
                         "@=\"Caf\xE9 runner\"\r\n"
                         "\"Count\"=dword:ffffffff\r\n"
                         "\"Blob\"=hex:0a,1b\r\n\r\n");
    }

    std::vector<std::string> Registry() const { return {"--registry", cu_, "--registry", lm_}; }
    CliResult Search(std::vector<std::string> tail) const {
        std::vector<std::string> args = {"search"};
        for (const std::string& arg : Registry()) args.push_back(arg);
        args.insert(args.end(), tail.begin(), tail.end());
        return RunCli(args);
    }

    TempFolder tmp_;
    std::string cu_;
    std::string lm_;
};

TEST_F(SearchCommandTest, ListsHitsAsTheGridShowsThemAndTheCaption) {
    const CliResult r = Search({"run"});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(r.Out,
              "Replace      String Found (run)\n"
              "             HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\n"
              "Replace      String Found (run) - rundll32.exe helper.dll,Start\n"
              "             HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\"
              "Helper\n"
              "Replace      String Found (run) - yes\n"
              "             HKEY_CURRENT_USER\\Software\\Other\\AutoRunMode\n"
              "Replace      String Found (run) - " + kCafe + " runner\n"
              "             HKEY_LOCAL_MACHINE\\Software\\" + kCafe + "\\\n"
              "\n"
              "Kestovar Hivewarden - 4 strings found\n");
}

TEST_F(SearchCommandTest, NoHitsPrintsTheCaptionOnly) {
    const CliResult r = Search({"nowhere", "nothing"});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_EQ(r.Out, "Kestovar Hivewarden - 0 strings found\n");
}

TEST_F(SearchCommandTest, TextsAreMatchedInTheirListedOrderAndForm) {
    // Texts before, between and after the repeatable options stay texts.
    const CliResult r =
        RunCli({"search", "TOOL", "--registry", cu_, "Helper", "--registry", lm_, "-1", "0A 1B"});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_EQ(r.Out,
              "Replace      String Found (TOOL) - C:\\Tools\\tool.exe /min\n"
              "             HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\"
              "Tool\n"
              "Replace      String Found (Helper) - rundll32.exe helper.dll,Start\n"
              "             HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\"
              "Helper\n"
              "Replace      String Found (-1) - -1\n"
              "             HKEY_LOCAL_MACHINE\\Software\\" + kCafe + "\\Count\n"
              "Replace      String Found (0A 1B) - 0A 1B 00 \n"
              "             HKEY_LOCAL_MACHINE\\Software\\" + kCafe + "\\Blob\n"
              "\n"
              "Kestovar Hivewarden - 4 strings found\n");
}

TEST_F(SearchCommandTest, ReportToStandardOutputIsTheExactReportOnly) {
    const CliResult r = Search({kCafeArg, "--report", "-"});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    // The report is ANSI text: the accented letter is the single byte E9.
    EXPECT_EQ(r.Out,
              "Action;String;Index;Fixed Value;Location\r\n"
              "Replace;String Found (caf\xE9);1;;HKEY_LOCAL_MACHINE\\Software\\Caf\xE9\r\n"
              "Replace;String Found (caf\xE9) - Caf\xE9 runner;2;;"
              "HKEY_LOCAL_MACHINE\\Software\\Caf\xE9\\\r\n");
}

TEST_F(SearchCommandTest, ReportToATerminalIsTheTextItself) {
    // A person reads it: the characters as they are, not the code page's bytes for a file.
    const CliResult r = RunCli({"search", "--registry", lm_, kCafeArg, "--report", "-"}, true);
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_EQ(r.Out,
              "Action;String;Index;Fixed Value;Location\r\n"
              "Replace;String Found (" + kCafeArg + ");1;;HKEY_LOCAL_MACHINE\\Software\\" +
                  kCafe + "\r\n"
              "Replace;String Found (" + kCafeArg + ") - " + kCafe + " runner;2;;"
              "HKEY_LOCAL_MACHINE\\Software\\" + kCafe + "\\\r\n");
}

TEST_F(SearchCommandTest, ReportToAFileBesideTheListing) {
    const std::string report = tmp_.File("hits.txt");
    const CliResult r = Search({"autorun", "--report", report});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_NE(r.Out.find("Kestovar Hivewarden - 1 strings found\n"), std::string::npos);
    EXPECT_EQ(ReadFile(report),
              "Action;String;Index;Fixed Value;Location\r\n"
              "Replace;String Found (autorun) - yes;1;;"
              "HKEY_CURRENT_USER\\Software\\Other\\AutoRunMode\r\n");
}

TEST_F(SearchCommandTest, JsonHoldsEveryFieldOfEveryHit) {
    const CliResult r = Search({"--json", kCafeArg, "0a"});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    const nlohmann::json json = nlohmann::json::parse(r.Out);
    EXPECT_EQ(json["caption"], "Kestovar Hivewarden - 3 strings found");
    EXPECT_EQ(json["canceled"], false);
    ASSERT_EQ(json["hits"].size(), 3u);

    const nlohmann::json key = json["hits"][0];
    EXPECT_EQ(key["EntryKind"], 2);
    EXPECT_EQ(key["RootKey"], 0x80000002u);
    EXPECT_EQ(key["Location"], "HKEY_LOCAL_MACHINE\\Software\\Caf\xC3\xA9");
    EXPECT_EQ(key["Index"], 1);
    EXPECT_EQ(key["MatchedText"], "caf\xC3\xA9");
    EXPECT_EQ(key["ItemData"], "");
    EXPECT_EQ(key["ItemName"], "");
    EXPECT_EQ(key["ReplaceText"], "");
    EXPECT_EQ(key["DeleteMark"], false);
    EXPECT_EQ(key["Action"], "Replace");
    EXPECT_EQ(key["String"], "String Found (caf\xC3\xA9)");
    EXPECT_EQ(key["Fixed"], "");
    EXPECT_EQ(key.size(), 12u);

    const nlohmann::json blob = json["hits"][2];
    EXPECT_EQ(blob["EntryKind"], 1);
    EXPECT_EQ(blob["MatchedText"], "0a");
    EXPECT_EQ(blob["ItemName"], "Blob");
    EXPECT_EQ(blob["ItemData"], "0A 1B 00 ");
    EXPECT_EQ(blob["Index"], 3);
}

TEST_F(SearchCommandTest, ControlCharactersInDataAreShownAsBlanks) {
    const std::string multi = tmp_.Write(
        "multi.reg",
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\M]\r\n\"List\"=hex(7):6f,6e,65,00,74,77,6f,00,00\r\n");
    const CliResult r = RunCli({"search", "--registry", multi, "two"});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_EQ(r.Out,
              "Replace      String Found (two) - one two \n"
              "             HKEY_CURRENT_USER\\M\\List\n\n"
              "Kestovar Hivewarden - 1 strings found\n");
    // The report keeps the data as it is.
    const CliResult report = RunCli({"search", "--registry", multi, "two", "--report", "-"});
    EXPECT_NE(report.Out.find(std::string("one\0two\0;", 9)), std::string::npos);
}

TEST_F(SearchCommandTest, BadArgumentsAndUnreadableInputExitWithOne) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string message;
    };
    const Case kCases[] = {
        {"no text", {"search", "--registry", cu_}, "TEXT is required"},
        {"blank text", {"search", "--registry", cu_, "  "}, "must not be empty or blank"},
        {"empty text", {"search", "--registry", cu_, "a", ""}, "must not be empty or blank"},
        {"missing registry file", {"search", "--registry", tmp_.File("none.reg"), "a"}, "none.reg"},
        {"json and report on standard output",
         {"search", "--registry", cu_, "--json", "--report", "-", "a"},
         "both want standard output"},
        {"bad drive", {"search", "--registry", cu_, "--drive", "nonsense", "a"}, "--drive"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.Code, cli::kExitUsage);
        EXPECT_NE(r.Err.find(c.message), std::string::npos) << r.Err;
        EXPECT_EQ(r.Out, "");
    }
}

TEST_F(SearchCommandTest, AReportThatCannotBeWrittenIsRefusedBeforeTheSearch) {
    const CliResult r = Search({"run", "--report", tmp_.File("no/such/folder/r.txt")});
    EXPECT_EQ(r.Code, cli::kExitUsage);
    EXPECT_NE(r.Err.find("--report " + tmp_.File("no/such/folder/r.txt") + " cannot be written"),
              std::string::npos)
        << r.Err;
    EXPECT_EQ(r.Out, "");
}

TEST_F(SearchCommandTest, DeleteBacksUpAndRemovesEveryHit) {
    const CliResult r = Search({"autorun", "--delete", "--program-folder", tmp_.Folder(),
                                "--backup", "before", "--save-registry", tmp_.File("after.reg")});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_EQ(r.Out,
              "Delete       String Found (autorun) - yes\n"
              "             HKEY_CURRENT_USER\\Software\\Other\\AutoRunMode\n"
              "\n"
              "Kestovar Hivewarden - 1 strings found\n"
              "Kestovar Hivewarden will repair 1 errors.\n"
              "Backup: " +
                  tmp_.File("before.reg") +
                  "\n"
                  "Repaired: 1 changed, 0 already gone, 0 skipped, 0 failed\n");
    const std::string backup = ReadFile(tmp_.File("before.reg"));
    EXPECT_EQ(backup.rfind("REGEDIT4\r\n", 0), 0u);
    EXPECT_NE(backup.find("[HKEY_CURRENT_USER\\Software\\Other]\r\n\"AutoRunMode\"=\"yes\"\r\n"),
              std::string::npos)
        << backup;
    const std::string after = ReadFile(tmp_.File("after.reg"));
    EXPECT_EQ(after.find("AutoRunMode"), std::string::npos) << after;
    EXPECT_NE(after.find("\"Tool\"=\"C:\\\\Tools\\\\tool.exe /min\""), std::string::npos) << after;

    // The saved registry searched again: the hit is gone.
    const CliResult again = RunCli({"search", "--registry", tmp_.File("after.reg"), "autorun"});
    EXPECT_EQ(again.Out, "Kestovar Hivewarden - 0 strings found\n");
}

TEST_F(SearchCommandTest, ReplaceChangesValueHitsOnlyAndKeepsTheKeys) {
    const CliResult r =
        Search({"run", "--replace", "C:\\New\\tool.exe", "--program-folder", tmp_.Folder(),
                "--backup", "b", "--save-registry", tmp_.File("after.reg")});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_NE(r.Out.find("Ignore       String Found (run)\n"
                         "             HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
                         "CurrentVersion\\Run\n"),
              std::string::npos)
        << r.Out;
    EXPECT_NE(r.Out.find("Kestovar Hivewarden will repair 3 errors.\n"), std::string::npos);
    EXPECT_NE(r.Out.find("Repaired: 3 changed, 0 already gone, 0 skipped, 0 failed\n"),
              std::string::npos)
        << r.Out;
    const CliResult replaced =
        RunCli({"search", "--registry", tmp_.File("after.reg"), "--report", "-", "new\\tool"});
    EXPECT_EQ(replaced.Out,
              "Action;String;Index;Fixed Value;Location\r\n"
              "Replace;String Found (new\\tool) - C:\\New\\tool.exe;1;;"
              "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Helper\r\n"
              "Replace;String Found (new\\tool) - C:\\New\\tool.exe;2;;"
              "HKEY_CURRENT_USER\\Software\\Other\\AutoRunMode\r\n"
              "Replace;String Found (new\\tool) - C:\\New\\tool.exe;3;;"
              "HKEY_LOCAL_MACHINE\\Software\\Caf\xE9\\\r\n");
}

TEST_F(SearchCommandTest, DryRunShowsThePlanAndWritesNothing) {
    const CliResult r =
        Search({kCafeArg, "--delete", "--dry-run", "--program-folder", tmp_.Folder(),
                "--save-registry", tmp_.File("after.reg")});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_NE(r.Out.find("Kestovar Hivewarden will repair 2 errors.\n"), std::string::npos);
    EXPECT_NE(r.Out.find("Dry run: the backup would be " + tmp_.Folder()), std::string::npos)
        << r.Out;
    // A key right below Software is protected by the repair: the plan says so.
    EXPECT_NE(r.Out.find("  key HKEY_LOCAL_MACHINE\\Software\\" + kCafe + ": left alone ("),
              std::string::npos)
        << r.Out;
    EXPECT_NE(
        r.Out.find("  default value of HKEY_LOCAL_MACHINE\\Software\\" + kCafe + ": delete\n"),
        std::string::npos)
        << r.Out;
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(tmp_.Folder())) {
        ++files;
    }
    EXPECT_EQ(files, 2u);  // the two registry files only
}

TEST_F(SearchCommandTest, JsonCarriesTheMarksAndTheRepair) {
    const CliResult r = Search(
        {"--json", "autorun", "--delete", "--program-folder", tmp_.Folder(), "--backup", "j",
         "--save-registry", tmp_.File("after.reg")});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    const nlohmann::json json = nlohmann::json::parse(r.Out);
    ASSERT_EQ(json["hits"].size(), 1u);
    EXPECT_EQ(json["hits"][0]["DeleteMark"], true);
    EXPECT_EQ(json["hits"][0]["Action"], "Delete");
    EXPECT_EQ(json["repair"]["count"], 1);
    EXPECT_EQ(json["repair"]["backup"], tmp_.File("j.reg"));
    EXPECT_EQ(json["repair"]["error"], "");
    EXPECT_EQ(json["repair"]["changed"], 1);
}

TEST_F(SearchCommandTest, ABackupFolderThatCannotBeWrittenIsRefusedBeforeTheSearch) {
    const std::string missing = tmp_.File("no-such-folder");
    const CliResult r = Search({"autorun", "--delete", "--program-folder", missing, "--backup", "b",
                                "--save-registry", tmp_.File("after.reg")});
    EXPECT_EQ(r.Code, cli::kExitUsage);
    EXPECT_NE(r.Err.find("cannot write the backup to " + missing), std::string::npos) << r.Err;
    EXPECT_EQ(r.Out, "");
    EXPECT_FALSE(std::filesystem::exists(tmp_.File("after.reg")));
}

TEST_F(SearchCommandTest, ARepairOfRegistryFilesThatWouldKeepNothingIsRefused) {
    for (const char* dryRun : {"", "--dry-run"}) {
        SCOPED_TRACE(dryRun);
        std::vector<std::string> args = {"autorun", "--delete", "--program-folder", tmp_.Folder()};
        if (*dryRun) args.push_back(dryRun);
        const CliResult r = Search(args);
        EXPECT_EQ(r.Code, cli::kExitUsage);
        EXPECT_NE(r.Err.find("give --save-registry FILE.reg"), std::string::npos) << r.Err;
        EXPECT_EQ(r.Out, "");
        // No backup: the two registry files only.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp_.Folder()),
                                std::filesystem::directory_iterator()),
                  2);
    }
}

// The .reg files of the temporary folder beside the two registry files.
std::vector<std::string> OtherFiles(const TempFolder& tmp) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(tmp.Folder())) {
        const std::string name = entry.path().filename().string();
        if (name != "cu.reg" && name != "lm.reg") names.push_back(name);
    }
    return names;
}

TEST_F(SearchCommandTest, BadBackupNamesAreRefusedBeforeTheSearch) {
    const char* kNames[] = {"..\\x", "../x", "sub/name", "CON", "com1.txt", "name.", "a*b", ""};
    for (const char* name : kNames) {
        for (const char* repair : {"--delete", "--replace"}) {
            SCOPED_TRACE(std::string(repair) + " --backup \"" + name + "\"");
            std::vector<std::string> tail = {"autorun", repair};
            if (std::string(repair) == "--replace") tail.push_back("new");
            tail.insert(tail.end(), {"--program-folder", tmp_.Folder(), "--backup", name,
                                     "--save-registry", tmp_.File("after.reg")});
            const CliResult r = Search(tail);
            EXPECT_EQ(r.Code, cli::kExitUsage);
            EXPECT_NE(r.Err.find("invalid backup name"), std::string::npos) << r.Err;
            EXPECT_EQ(r.Out, "");  // refused before the search
        }
    }
    EXPECT_EQ(OtherFiles(tmp_), std::vector<std::string>{});
    EXPECT_FALSE(std::filesystem::exists(tmp_.File("x.reg")));
}

TEST_F(SearchCommandTest, AnExistingBackupIsNeverOverwritten) {
    const std::string old = tmp_.Write("Taken.REG", "old backup");
    const CliResult given = Search({"autorun", "--delete", "--program-folder", tmp_.Folder(),
                                    "--backup", "taken", "--save-registry", tmp_.File("a.reg")});
    EXPECT_EQ(given.Code, cli::kExitUsage);
    EXPECT_NE(given.Err.find("The entered name already exist. Please select another (" + old +
                             ")"),
              std::string::npos)
        << given.Err;
    EXPECT_EQ(given.Out, "");  // refused before the search

    // The proposed name (day-month-year-hour-minute) of a search run in the same minute as an
    // earlier one takes the next free name; the earlier backups stay as they were. Both
    // minutes the run may fall in are taken.
    std::tm now = cli::LocalNow();
    std::vector<std::string> earlier;
    for (int minute = 0; minute < 2; ++minute) {
        std::tm at = now;
        at.tm_min += minute;
        std::mktime(&at);
        earlier.push_back(custom::ProposedCustomBackupName(at));
        tmp_.Write(earlier.back() + ".reg", "earlier backup");
    }
    const CliResult proposed = Search({"autorun", "--delete", "--program-folder", tmp_.Folder(),
                                       "--save-registry", tmp_.File("b.reg")});
    EXPECT_EQ(proposed.Code, cli::kExitOk) << proposed.Err;
    EXPECT_NE(proposed.Out.find("Repaired"), std::string::npos) << proposed.Out;
    const bool second = std::filesystem::exists(tmp_.File(earlier[0] + "-2.reg")) ||
                        std::filesystem::exists(tmp_.File(earlier[1] + "-2.reg"));
    EXPECT_TRUE(second) << proposed.Out;
    for (const std::string& name : earlier) EXPECT_EQ(ReadFile(tmp_.File(name + ".reg")), "earlier backup");
    EXPECT_FALSE(std::filesystem::exists(tmp_.File("a.reg")));
    EXPECT_EQ(ReadFile(old), "old backup");
}

TEST_F(SearchCommandTest, RepairOptionsNeedARepair) {
    struct Case {
        const char* name;
        std::vector<std::string> tail;
    };
    const Case kCases[] = {
        {"backup alone", {"run", "--backup", "b"}},
        {"dry run alone", {"run", "--dry-run"}},
        {"program folder alone", {"run", "--program-folder", "/tmp"}},
        {"delete and replace", {"run", "--delete", "--replace", "x"}},
        {"save without repair", {"run", "--save-registry", "x.reg"}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const CliResult r = Search(c.tail);
        EXPECT_EQ(r.Code, cli::kExitUsage);
        EXPECT_NE(r.Err, "");
        EXPECT_EQ(r.Out, "");
    }
}

// A version 5 file (UTF-16LE with its byte order mark) of the given text, lines ending in
// CR LF.
std::string Version5File(const std::string& text) {
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return "\xFF\xFE" + Utf16LeFromUtf8(crlf);
}

// Names and data in several scripts: CJK, Greek, Arabic and an emoji (a surrogate pair), a
// multi-string of an odd byte count and a string without its terminator of an odd byte count,
// which must come back exactly as they are.
const std::string kUnicodeRegistry =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\UniTest\\Sub\xE6\x9D\x8E]\n"
    "\"\xE5\x90\x8D\xE5\x89\x8D\"=\"C:\\\\Apps\\\\\xE7\x8E\x8B\\\\app.exe\"\n"
    "\"\xCE\xA9mega\"=\"C:\\\\Apps\\\\\xCE\xA9mega\\\\app.exe\"\n"
    "\"\xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A\"="
    "\"C:\\\\Apps\\\\\xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A\\\\a.exe\"\n"
    "\"\xF0\x9F\x98\x80\"=\"C:\\\\Apps\\\\\xF0\x9F\x98\x80\\\\e.exe\"\n"
    "\"odd\"=hex(7):41,00,00,00,42\n"
    "\"unterminated\"=hex(1):43,00,3a\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\UniTest\\\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1]\n"
    "\"plain\"=\"C:\\\\Apps\\\\plain.exe\"\n"
    "\n";

// The store a .reg file makes, as data.
RegistrySnapshot LoadedSnapshot(const std::string& path) {
    registry::MemoryStore store;
    const registry::RegFileStatus status = registry::LoadRegFile(path, store);
    EXPECT_TRUE(status) << status.Message;
    return Snapshot(store);
}

TEST_F(SearchCommandTest, NamesAndDataInAnyScriptAreListedAndReportedExactly) {
    const std::string uni = tmp_.Write("uni.reg", Version5File(kUnicodeRegistry));
    const std::string wang = "\xE7\x8E\x8B";  // the search text, in CJK
    const CliResult r = RunCli({"search", "--registry", uni, wang});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    const std::string location =
        "HKEY_CURRENT_USER\\Software\\UniTest\\Sub\xE6\x9D\x8E\\\xE5\x90\x8D\xE5\x89\x8D";
    EXPECT_EQ(r.Out, "Replace      String Found (" + wang + ") - C:\\Apps\\" + wang +
                         "\\app.exe\n"
                         "             " +
                         location + "\n\nKestovar Hivewarden - 1 strings found\n");

    const CliResult json = RunCli({"search", "--registry", uni, "--json", wang});
    ASSERT_EQ(json.Code, cli::kExitOk) << json.Err;
    const nlohmann::json hits = nlohmann::json::parse(json.Out)["hits"];
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0]["Location"], location);
    EXPECT_EQ(hits[0]["ItemName"], "\xE5\x90\x8D\xE5\x89\x8D");
    EXPECT_EQ(hits[0]["ItemData"], "C:\\Apps\\" + wang + "\\app.exe");

    // Text the ANSI code page cannot hold: the report file is UTF-8 after a byte order mark.
    const CliResult report = RunCli({"search", "--registry", uni, "--report", "-", wang});
    ASSERT_EQ(report.Code, cli::kExitOk) << report.Err;
    EXPECT_EQ(report.Out, "\xEF\xBB\xBF"
                          "Action;String;Index;Fixed Value;Location\r\n"
                          "Replace;String Found (" + wang + ") - C:\\Apps\\" + wang +
                              "\\app.exe;1;;" + location + "\r\n");
}

TEST_F(SearchCommandTest, ReplaceWithABackupNamedInAnotherScriptRestoresEveryByte) {
    const std::string uni = tmp_.Write("uni.reg", Version5File(kUnicodeRegistry));
    const RegistrySnapshot original = LoadedSnapshot(uni);
    const std::string name = "\xE5\x90\x8D\xE5\x89\x8D";  // a backup name in CJK
    const CliResult r =
        RunCli({"search", "--registry", uni, "Apps", "--replace", "C:\\New\\x.exe",
                "--program-folder", tmp_.Folder(), "--backup", name, "--save-registry",
                tmp_.File("after.reg")});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err << r.Out;
    EXPECT_NE(r.Out.find("Repaired: 5 changed, 0 already gone, 0 skipped, 0 failed\n"),
              std::string::npos)
        << r.Out;
    const std::string backup = tmp_.Folder() + name + ".reg";  // a name in UTF-8
    EXPECT_NE(r.Out.find("Backup: " + backup + "\n"), std::string::npos) << r.Out;
    // The backup holds text no ANSI code page holds: version 5.
    EXPECT_EQ(ReadFile(backup).rfind("\xFF\xFE", 0), 0u);

    // The saved registry: the five values replaced, everything else as it was, byte for byte.
    const RegistrySnapshot after = LoadedSnapshot(tmp_.File("after.reg"));
    ASSERT_EQ(after.size(), original.size());
    std::size_t changed = 0;
    for (const auto& [key, contents] : original) {
        SCOPED_TRACE(key);
        ASSERT_EQ(after.count(key), 1u);
        ASSERT_EQ(after.at(key).Values.size(), contents.Values.size());
        for (const auto& [valueName, value] : contents.Values) {
            const registry::RawValue& now = after.at(key).Values.at(valueName);
            if (now == value) continue;
            ++changed;
            EXPECT_EQ(now, SzValue("C:\\New\\x.exe")) << valueName;
        }
    }
    EXPECT_EQ(changed, 5u);

    const CliResult list = RunCli({"backups", "--program-folder", tmp_.Folder(), "list"});
    EXPECT_NE(list.Out.find(name + ".reg\n"), std::string::npos) << list.Out;
    const CliResult restore =
        RunCli({"backups", "--program-folder", tmp_.Folder(), "restore", name, "--registry",
                tmp_.File("after.reg"), "--output", tmp_.File("restored.reg")});
    ASSERT_EQ(restore.Code, cli::kExitOk) << restore.Err;
    EXPECT_TRUE(LoadedSnapshot(tmp_.File("restored.reg")) == original);
}

// --codepage names the code page of REGEDIT4 --registry files, and the save writes the registry
// back in it while it holds every entry.
TEST_F(SearchCommandTest, SaveWritesBackInTheCodePageTheFilesWereReadIn) {
    // "Программы" (programs) in Windows-1251.
    const std::string programs = "\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB";
    const std::string cyrillic = tmp_.Write(
        "cyr.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\" + programs +
                       "]\r\n\"Tool\"=\"C:\\\\" + programs + "\\\\tool.exe\"\r\n\r\n");
    const std::string utf8 =
        "\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0\xD0\xBC\xD0\xBC\xD1\x8B";
    const CliResult r = RunCli({"search", "--registry", cyrillic, "--codepage", "1251", utf8,
                                "--replace", "C:\\" + utf8 + "\\new.exe", "--program-folder",
                                tmp_.Folder(), "--backup", "b", "--save-registry",
                                tmp_.File("after.reg")});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_NE(r.Out.find("HKEY_CURRENT_USER\\Software\\" + utf8 + "\\Tool\n"), std::string::npos)
        << r.Out;
    EXPECT_EQ(ReadFile(tmp_.File("after.reg")),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\" + programs +
                  "]\r\n\"Tool\"=\"C:\\\\" + programs + "\\\\new.exe\"\r\n\r\n");

    const CliResult unknown = RunCli({"search", "--registry", cyrillic, "--codepage", "99", "x"});
    EXPECT_EQ(unknown.Code, cli::kExitUsage);
    EXPECT_NE(unknown.Err.find("--codepage 99"), std::string::npos) << unknown.Err;
}

TEST(SearchConsole, CtrlCStopsTheSearchAsCancelDoes) {
    FakeMachine m;
    for (int i = 0; i < 200; ++i) {
        m.Text("HKEY_CURRENT_USER\\K" + std::to_string(i), "v", "hit");
        m.Text("HKEY_LOCAL_MACHINE\\K" + std::to_string(i), "v", "hit");
    }
    custom::CustomSearch search(m.State, m.Access);
    custom::CustomGrid grid;
    std::ostringstream err;
    cli::ConsoleSearchFrontEnd frontEnd(search, grid, "", err, false);
    m.State.YieldHook = [&frontEnd] { frontEnd.OnYield(); };
    cli::InstallInterruptHandler();
    std::raise(SIGINT);

    custom::RunCustomSearch(search, frontEnd, {"hit"});
    frontEnd.PollNow();

    cli::InstallInterruptHandler();  // clears the flag for the tests after this one
    std::signal(SIGINT, SIG_DFL);
    EXPECT_TRUE(frontEnd.Interrupted());
    EXPECT_TRUE(frontEnd.Canceled());
    EXPECT_GT(m.State.CustomHits.Count(), 0);
    EXPECT_LT(m.State.CustomHits.Count(), 400);
    for (const engine::CustomHit& hit : m.State.CustomHits) {
        EXPECT_EQ(hit.Location.rfind("HKEY_CURRENT_USER\\", 0), 0u) << hit.Location;
    }
    EXPECT_EQ(grid.RowCount(), m.State.CustomHits.Count());
}

}  // namespace
}  // namespace hivewarden::testing
