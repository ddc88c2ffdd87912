// `hivewarden path` run through the command-line dispatcher with string streams: the JSON
// object, the plain lines, drive mappings and the Windows directory, names in any script, and
// bad arguments.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/app.h"
#include "support/cli_runner.h"
#include "machine/live.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

void Touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << "x";
}

// Drive C with an application, a fonts folder and folders named in other scripts (the host's
// names are UTF-8); drive D with a Windows directory of its own.
class PathCommandTest : public ::testing::Test {
  protected:
    PathCommandTest() : root_(fs::path(tmp_.Folder()).parent_path()) {
        Touch(root_ / "c" / "Program Files" / "App" / "app.exe");
        Touch(root_ / "c" / "Windows" / "Fonts" / "arial.ttf");
        Touch(root_ / "c" / "Windows" / "system32" / "shell32.dll");
        Touch(root_ / "c" / fs::path(u8"Caf\u00e9") / "x.txt");
        Touch(root_ / "c" / "Apps" / fs::path(u8"\u674e\u660e") / "app.exe");
        Touch(root_ / "c" / "Apps" / fs::path(u8"\u03c9mega") / "app.exe");
        Touch(root_ / "c" / "Apps" / fs::path(u8"\U0001F600") / "e.exe");
        Touch(root_ / "d" / "WinNT" / "Fonts" / "tahoma.ttf");
    }
    std::string DriveC() const { return "C=" + (root_ / "c").string(); }
    std::string DriveD() const { return "D=" + (root_ / "d").string(); }

    TempFolder tmp_;
    fs::path root_;
};

struct JsonCase {
    const char* name;
    std::vector<std::string> options;  // before the text
    std::string text;                  // as typed (UTF-8)
    std::string path;                  // as JSON carries it (UTF-8)
    int kind;
    bool missing;
};

TEST_F(PathCommandTest, JsonHasExactlyPathKindAndMissing) {
    const std::string c = DriveC();
    const std::string d = DriveD();
    const JsonCase kCases[] = {
        {"quoted file with an argument",
         {"--drive", c},
         "\"C:\\Program Files\\App\\app.exe\" -min",
         "C:\\Program Files\\App\\app.exe",
         2,
         false},
        {"component case differs from the host",
         {"--drive", c},
         "c:\\PROGRAM FILES\\app\\APP.EXE",
         "c:\\PROGRAM FILES\\app\\APP.EXE",
         2,
         false},
        {"missing file",
         {"--drive", c},
         "C:\\Program Files\\App\\gone.exe",
         "C:\\Program Files\\App\\gone.exe",
         2,
         true},
        {"icon index cut off",
         {"--drive", c},
         "C:\\Windows\\system32\\shell32.dll,-154",
         "C:\\Windows\\system32\\shell32.dll",
         2,
         false},
        {"mapped drive root", {"--drive", c}, "C:\\", "C:\\", 3, false},
        {"drive that is not mapped", {"--drive", c}, "D:\\", "D:\\", 3, true},
        {"network path",
         {"--drive", c},
         "\\\\server\\share\\f.txt",
         "\\\\server\\share\\f.txt",
         4,
         false},
        {"starts with a digit", {"--drive", c}, "123abc", "123abc", 0, true},
        {"font in the default Windows directory",
         {"--drive", c},
         "arial.ttf",
         "arial.ttf",
         2,
         false},
        {"font in another Windows directory",
         {"--drive", c, "--drive", d, "--windows-dir", "D:\\WinNT"},
         "tahoma.ttf",
         "tahoma.ttf",
         2,
         false},
        {"accented name",
         {"--drive", c},
         "C:\\Caf\xC3\xA9\\x.txt",
         "C:\\Caf\xC3\xA9\\x.txt",
         2,
         false},
        {"CJK name",
         {"--drive", c},
         "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe",
         "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe",
         2,
         false},
        {"Greek name in other case than the host's",
         {"--drive", c},
         "C:\\APPS\\\xCE\xA9MEGA\\APP.EXE",
         "C:\\APPS\\\xCE\xA9MEGA\\APP.EXE",
         2,
         false},
        {"emoji name (a surrogate pair)",
         {"--drive", c},
         "C:\\Apps\\\xF0\x9F\x98\x80\\e.exe",
         "C:\\Apps\\\xF0\x9F\x98\x80\\e.exe",
         2,
         false},
        {"missing CJK name",
         {"--drive", c},
         "C:\\Apps\\\xE7\x8E\x8B\\app.exe",
         "C:\\Apps\\\xE7\x8E\x8B\\app.exe",
         2,
         true},
    };
    for (const JsonCase& k : kCases) {
        SCOPED_TRACE(k.name);
        std::vector<std::string> args{"path"};
        args.insert(args.end(), k.options.begin(), k.options.end());
        args.push_back("--json");
        args.push_back(k.text);
        const CliResult r = RunCli(args);
        ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
        EXPECT_EQ(r.Err, "");
        const nlohmann::json json = nlohmann::json::parse(r.Out);
        ASSERT_TRUE(json.is_object());
        EXPECT_EQ(json.size(), 3u);
        ASSERT_TRUE(json["path"].is_string());
        ASSERT_TRUE(json["kind"].is_number_integer());
        ASSERT_TRUE(json["missing"].is_boolean());
        EXPECT_EQ(json["path"].get<std::string>(), k.path);
        EXPECT_EQ(json["kind"].get<int>(), k.kind);
        EXPECT_EQ(json["missing"].get<bool>(), k.missing);
        EXPECT_EQ(r.Out.back(), '\n');
    }
}

TEST_F(PathCommandTest, PlainOutputShowsTextPathKindAndMissing) {
    const CliResult r =
        RunCli({"path", "--drive", DriveC(), "\"C:\\Program Files\\App\\app.exe\" -min"});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_EQ(r.Out,
              "Text:    \"C:\\Program Files\\App\\app.exe\" -min\n"
              "Path:    C:\\Program Files\\App\\app.exe\n"
              "Kind:    2 (file)\n"
              "Missing: no\n");

    const CliResult gone = RunCli({"path", "--drive", DriveC(), "C:\\Old\\tool.exe /q"});
    ASSERT_EQ(gone.Code, cli::kExitOk) << gone.Err;
    EXPECT_EQ(gone.Out,
              "Text:    C:\\Old\\tool.exe /q\n"
              "Path:    C:\\Old\\tool.exe \n"
              "Kind:    2 (file)\n"
              "Missing: yes\n");

    // A name with an extension is a folder only when it is one; without, when it is missing.
    fs::create_directories(root_ / "c" / "Data.d");
    const CliResult folder = RunCli({"path", "--drive", DriveC(), "C:\\data.D"});
    EXPECT_THAT(folder.Out, HasSubstr("Kind:    1 (folder)\nMissing: no\n"));
    const CliResult goneFolder = RunCli({"path", "--drive", DriveC(), "C:\\Old\\Folder"});
    EXPECT_THAT(goneFolder.Out, HasSubstr("Kind:    1 (folder)\nMissing: yes\n"));
    const CliResult network = RunCli({"path", "--drive", DriveC(), "\\\\srv\\share\\a"});
    EXPECT_THAT(network.Out, HasSubstr("Kind:    4 (network path)\n"));
    const CliResult root = RunCli({"path", "--drive", DriveC(), "C:\\"});
    EXPECT_THAT(root.Out, HasSubstr("Kind:    3 (drive root)\n"));
    const CliResult notAPath = RunCli({"path", "--drive", DriveC(), "--", "-x"});
    EXPECT_THAT(notAPath.Out, HasSubstr("Kind:    0 (not a path)\n"));
}

TEST_F(PathCommandTest, PlainOutputShowsNamesInAnyScriptAsTheyAre) {
    const std::string text = "\"C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe\" /x";
    const CliResult r = RunCli({"path", "--drive", DriveC(), text});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_EQ(r.Out,
              "Text:    " + text + "\n"
              "Path:    C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe\n"
              "Kind:    2 (file)\n"
              "Missing: no\n");
}

TEST_F(PathCommandTest, WithoutADriveMappingEveryLocalPathIsMissing) {
    if (machine::HasLiveProbes()) GTEST_SKIP() << "this build asks the live file system instead";
    const CliResult r = RunCli({"path", "--json", "C:\\Program Files\\App\\app.exe"});
    ASSERT_EQ(r.Code, cli::kExitOk);
    const nlohmann::json json = nlohmann::json::parse(r.Out);
    EXPECT_EQ(json["kind"], 2);
    EXPECT_EQ(json["missing"], true);
    EXPECT_THAT(r.Err, HasSubstr("the system drive C: is not mapped"));
}

TEST_F(PathCommandTest, EnvironmentOptionsAreAccepted) {
    // Path extraction does not expand variables; the options are checked and taken all the same.
    const CliResult r = RunCli({"path", "--drive", DriveC(), "--env", "Tools=C:\\Tools", "--env",
                                "Empty=", "--json", "C:\\"});
    ASSERT_EQ(r.Code, cli::kExitOk) << r.Err;
    EXPECT_EQ(nlohmann::json::parse(r.Out)["missing"], false);
}

struct BadArgsCase {
    const char* name;
    std::vector<std::string> args;
    const char* message;  // part of the message on stderr
};

TEST_F(PathCommandTest, BadArgumentsExitOneWithAMessage) {
    const std::string missingFolder = "C=" + (root_ / "nope").string();
    const BadArgsCase kCases[] = {
        {"drive without =", {"path", "--drive", "C", "x"}, "--drive"},
        {"drive letter that is no letter",
         {"path", "--drive", "CD=" + (root_ / "c").string(), "x"},
         "'CD' is not a drive letter"},
        {"drive folder that does not exist",
         {"path", "--drive", missingFolder, "x"},
         "is not a folder"},
        {"drive mapped twice",
         {"path", "--drive", DriveC(), "--drive", "c=" + (root_ / "d").string(), "x"},
         "drive C: is mapped twice"},
        {"environment without =", {"path", "--drive", DriveC(), "--env", "Tools", "x"}, "--env"},
        {"relative Windows directory",
         {"path", "--drive", DriveC(), "--windows-dir", "Windows", "x"},
         "--windows-dir"},
        {"unknown option", {"path", "--bogus", "x"}, "--bogus"},
        {"no text", {"path", "--drive", DriveC()}, "text is required"},
        {"two texts", {"path", "--drive", DriveC(), "a", "b"}, "b"},
        {"no command", {}, "Subcommands:"},
    };
    for (const BadArgsCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.Code, cli::kExitUsage);
        EXPECT_THAT(r.Err, HasSubstr(c.message));
        EXPECT_EQ(r.Out, "");
    }
}

}  // namespace
}  // namespace hivewarden::testing
