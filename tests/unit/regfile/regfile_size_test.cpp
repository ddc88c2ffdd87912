// Real sizes: a backup over the old 16 MiB limit restores through the backup-restore path, a
// late error in a big file applies nothing in strict mode, a 1.1 MB text set by Change Value
// and written back loads again byte for byte, and a --registry file with lines regedit skips
// is read (with warnings and counts) but never rewritten in place.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/app.h"
#include "text/code_page.h"
#include "store/memory_store.h"
#include "regfile/regfile.h"
#include "repair/backup_restore.h"
#include "support/cli_runner.h"
#include "support/raw_values.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

using ::testing::HasSubstr;
using Json = nlohmann::json;

constexpr std::size_t kValuesPerKey = 20;

// A REGEDIT4 backup of more than `minBytes`: blocks under one deep key, each block's section
// line repeating the long path, as a search repair's backup does.
struct BigBackup {
    std::string Text;
    std::string Parent;  // the deep key the blocks are under
    std::size_t Keys = 0;
};

BigBackup MakeBigBackup(std::size_t minBytes) {
    BigBackup big;
    big.Parent = "Software\\Vendor";
    for (int i = 0; i < 12; ++i) big.Parent += "\\A rather long key name " + std::to_string(i);
    big.Text = "REGEDIT4\r\n";
    while (big.Text.size() <= minBytes) {
        big.Text +=
            "\r\n[HKEY_CURRENT_USER\\" + big.Parent + "\\K" + std::to_string(big.Keys) + "]\r\n";
        for (std::size_t v = 0; v < kValuesPerKey; ++v) {
            big.Text += "\"v" + std::to_string(v) + "\"=\"C:\\\\Program Files\\\\Vendor\\\\file " +
                        std::to_string(v) + ".dll\"\r\n";
        }
        ++big.Keys;
    }
    return big;
}

std::size_t SubkeyCount(registry::RegistryStore& store, registry::RootKey root,
                        const std::string& path) {
    const registry::StoreHandle key = store.Open(root, path);
    if (key == 0) return 0;
    std::size_t count = 0;
    std::string name;
    while (store.SubkeyName(key, static_cast<std::uint32_t>(count), name)) ++count;
    store.Close(key);
    return count;
}

TEST(RegFileSize, ABackupOver16MiBRestoresThroughTheBackupRestorePath) {
    TempFolder tmp;
    const BigBackup big = MakeBigBackup(17u << 20);
    tmp.Write("big.reg", big.Text);
    registry::MemoryStore store;
    repair::StoreImporter importer(store, &Windows1252());
    const std::vector<repair::RestoreOutcome> outcomes =
        repair::RestoreBackups(tmp.Folder(), {"big.reg"}, importer);
    ASSERT_EQ(outcomes.size(), 1u);
    ASSERT_TRUE(outcomes[0].Status.Ok) << outcomes[0].Status.Message;
    EXPECT_EQ(SubkeyCount(store, registry::kCurrentUser, big.Parent), big.Keys);
    const registry::StoreHandle last =
        store.Open(registry::kCurrentUser, big.Parent + "\\K" + std::to_string(big.Keys - 1));
    ASSERT_NE(last, 0u);
    registry::RawValue value;
    ASSERT_TRUE(store.Read(last, "v19", value));
    EXPECT_EQ(value, SzValue("C:\\Program Files\\Vendor\\file 19.dll"));
    store.Close(last);
}

TEST(RegFileSize, StrictLoadOfABigFileAppliesNothingWhenItsLastLineIsBad) {
    TempFolder tmp;
    BigBackup big = MakeBigBackup(17u << 20);
    big.Text += "\"bad\"=hex:01,zz\r\n";
    const std::size_t lastLine =
        static_cast<std::size_t>(std::count(big.Text.begin(), big.Text.end(), '\n'));
    const std::string path = tmp.Write("late.reg", big.Text);
    registry::MemoryStore store;
    const registry::RegFileStatus status = registry::LoadRegFile(path, store);
    ASSERT_FALSE(status.Ok);
    EXPECT_EQ(status.Message, path + ":" + std::to_string(lastLine) + ": bad hex byte \"zz\"");
    EXPECT_EQ(store.Open(registry::kCurrentUser, "Software"), 0u);

    // Read as regedit imports it, everything but that line is there.
    std::size_t notes = 0;
    const registry::RegFileStatus lenient =
        registry::LoadRegFile(path, store, Windows1252(), registry::RegImportMode::Lenient,
                              [&notes](const registry::RegFileNote&) { ++notes; });
    ASSERT_TRUE(lenient.Ok) << lenient.Message;
    EXPECT_EQ(notes, 1u);
    EXPECT_EQ(SubkeyCount(store, registry::kCurrentUser, big.Parent), big.Keys);
}

// ---- through the command line --------------------------------------------------------------

class RegistryFileCommandTest : public ::testing::Test {
  protected:
    RegistryFileCommandTest() {
        std::filesystem::create_directory(tmp_.HostPath("c"));
        std::filesystem::create_directory(tmp_.HostPath("program"));
        program_ = tmp_.File("program") + "/";
    }

    std::string WriteRegistry(const std::string& extraLines) const {
        return tmp_.Write("one.reg",
                          "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vendor\\App]\r\n"
                          "\"Tool\"=\"C:\\\\Gone\\\\tool.exe\"\r\n" +
                              extraLines + "\r\n");
    }

    CliResult Run(std::vector<std::string> args) const {
        args.insert(args.end(), {"--drive", "C=" + tmp_.File("c"), "--program-folder", program_});
        return RunCli(args);
    }

    TempFolder tmp_;
    std::string program_;
};

TEST_F(RegistryFileCommandTest, AChangeValueOfOnePointOneMegabytesLoadsAgainByteForByte) {
    const std::string registry = WriteRegistry("");
    const CliResult scan = Run({"scan", "--registry", registry, "--json"});
    ASSERT_EQ(scan.Code, cli::kExitOk) << scan.Err;
    Json findings = Json::parse(scan.Out);
    Json* tool = nullptr;
    for (Json& finding : findings.at("findings")) {
        if (finding.at("ItemName") == "Tool") tool = &finding;
    }
    ASSERT_NE(tool, nullptr);
    std::string text;
    while (text.size() < 1'100'000) text += "C:\\Caf\xC3\xA9\\\xE6\x9D\x8E\\";
    (*tool)["Action"] = "Change Value";
    (*tool)["FixedValue"] = text;
    const std::string from = tmp_.Write("edited.json", findings.dump());
    const std::string output = tmp_.File("out.reg");
    const CliResult repair = Run(
        {"repair", "--from", from, "--backup", "b", "--registry", registry, "--output", output});
    ASSERT_EQ(repair.Code, cli::kExitOk) << repair.Err;

    registry::MemoryStore store;
    const registry::RegFileStatus loaded = registry::LoadRegFile(output, store);
    ASSERT_TRUE(loaded.Ok) << loaded.Message;
    const registry::StoreHandle key = store.Open(registry::kCurrentUser, "Software\\Vendor\\App");
    ASSERT_NE(key, 0u);
    registry::RawValue value;
    ASSERT_TRUE(store.Read(key, "Tool", value));
    store.Close(key);
    EXPECT_TRUE(value == SzValue(text));
}

TEST_F(RegistryFileCommandTest, SkippedLinesAreWarnedCountedAndNeverWrittenOverInPlace) {
    const std::string registry = WriteRegistry("\"Bad\"=hex:zz\r\n\"Odd\"=\"C:\\Temp\"\r\n");
    const std::string before = tmp_.Read("one.reg");

    const CliResult scan = Run({"scan", "--registry", registry});
    ASSERT_EQ(scan.Code, cli::kExitOk) << scan.Err;
    EXPECT_THAT(scan.Err,
                HasSubstr("hivewarden scan: " + registry + ":5: skipped: bad hex byte \"zz\"\n"));
    EXPECT_THAT(scan.Err, HasSubstr(registry + ":6: changed: unknown escape \"\\T\""));
    EXPECT_THAT(scan.Out, HasSubstr("--registry files: 1 line skipped, 1 line read as regedit "
                                    "reads them (see the warnings)\n"));
    const CliResult json = Run({"scan", "--registry", registry, "--json"});
    ASSERT_EQ(json.Code, cli::kExitOk) << json.Err;
    EXPECT_EQ(Json::parse(json.Out).at("registrySkippedLines"), 1);
    EXPECT_EQ(Json::parse(json.Out).at("registryChangedLines"), 1);

    const std::string refusal = registry + " is not rewritten in place: 2 lines";
    const CliResult clean = Run({"clean", "--registry", registry, "--backup", "b"});
    EXPECT_EQ(clean.Code, cli::kExitUsage);
    EXPECT_THAT(clean.Err, HasSubstr(refusal));
    EXPECT_THAT(clean.Err, HasSubstr("give --output FILE.reg"));
    EXPECT_FALSE(std::filesystem::exists(tmp_.HostPath("program/b.reg")));  // nothing written
    EXPECT_EQ(tmp_.Read("one.reg"), before);

    const std::string output = tmp_.File("out.reg");
    const CliResult cleaned =
        Run({"clean", "--registry", registry, "--backup", "b", "--output", output});
    ASSERT_EQ(cleaned.Code, cli::kExitOk) << cleaned.Err;
    EXPECT_EQ(tmp_.Read("one.reg"), before);

    const CliResult restore =
        RunCli({"backups", "--program-folder", program_, "restore", "b", "--registry", registry});
    EXPECT_EQ(restore.Code, cli::kExitUsage);
    EXPECT_THAT(restore.Err, HasSubstr(refusal));
    EXPECT_EQ(tmp_.Read("one.reg"), before);

    const CliResult search = Run({"search", "--registry", registry, "--delete", "--backup", "s",
                                  "--save-registry", registry, "Gone"});
    EXPECT_EQ(search.Code, cli::kExitUsage);
    EXPECT_THAT(search.Err, HasSubstr(refusal));
    EXPECT_FALSE(std::filesystem::exists(tmp_.HostPath("program/s.reg")));
    EXPECT_EQ(tmp_.Read("one.reg"), before);
}

}  // namespace
}  // namespace hivewarden::testing
