// hivewarden.exe as the system starts it: a UTF-16 command line whose arguments hold names in
// other scripts, standard input, output and error redirected to files. The arguments arrive
// whole (not in the ANSI code page), output is UTF-8 with CR LF line ends as Windows console
// tools write them, a report on standard output keeps its CR LF without a second CR, a .reg
// file piped in keeps its bytes, and a backup is restored into the live registry by the
// program itself, byte for byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "text/unicode.h"
#include "win/win32_test_support.h"

namespace hivewarden::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The command-line program, built beside the test program (build\tests\hw_tests.exe and
// build\src\cli\hivewarden.exe).
std::wstring ProgramPath() {
    wchar_t self[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    path.resize(path.find_last_of(L'\\') + 1);
    return path + L"..\\src\\cli\\hivewarden.exe";
}

// One argument quoted as CommandLineToArgvW reads it back.
std::wstring Quoted(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

struct ProgramResult {
    DWORD Code = 1;
    std::string Out;
    std::string Err;
};

// Runs the program with the arguments (UTF-8), its output and error into files of `folder`,
// its standard input from the file `input` (none when empty).
ProgramResult RunProgram(const std::string& folder, const std::vector<std::string>& arguments,
                         const std::string& input = {}) {
    std::wstring command = Quoted(ProgramPath());
    for (const std::string& argument : arguments) command += L" " + Quoted(WideOf(argument));
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const std::string outPath = folder + "\\stdout.bin";
    const std::string errPath = folder + "\\stderr.bin";
    const HANDLE out = CreateFileW(WideOf(outPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                   &inherit, CREATE_ALWAYS, 0, nullptr);
    const HANDLE err = CreateFileW(WideOf(errPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                   &inherit, CREATE_ALWAYS, 0, nullptr);
    const HANDLE in = input.empty()
                          ? nullptr
                          : CreateFileW(WideOf(input).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    ProgramResult result;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &result.Code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        result.Err = "cannot start the program: error " + std::to_string(GetLastError());
    }
    CloseHandle(out);
    CloseHandle(err);
    if (in != nullptr) CloseHandle(in);
    result.Out = FileBytes(outPath);
    result.Err += FileBytes(errPath);
    return result;
}

class Win32ConsoleTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(scratch_.Path.empty()); }
    ThrowawayFolder scratch_{"HivewardenConsole-"};
};

TEST_F(Win32ConsoleTest, ArgumentsInOtherScriptsArriveWhole) {
    const std::string folder = scratch_.Path + "\\\xE6\x9D\x8E\xE6\x98\x8E";  // 李明
    ASSERT_TRUE(MakeFolders(folder));
    ASSERT_TRUE(MakeFile(folder + "\\app.exe"));
    struct Case {
        const char* name;
        std::string path;
        bool missing;
    };
    const Case cases[] = {
        {"existing file in a CJK folder", folder + "\\app.exe", false},
        {"missing file with an emoji", folder + "\\\xF0\x9F\x98\x80.exe", true},
        {"missing Greek folder", scratch_.Path + "\\\xCE\xA9mega\\app.exe", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramResult r = RunProgram(scratch_.Path, {"path", "--json", c.path});
        ASSERT_EQ(r.Code, 0u) << r.Err;
        const nlohmann::json json = nlohmann::json::parse(r.Out);
        EXPECT_EQ(json["path"], c.path);
        EXPECT_EQ(json["missing"], c.missing);
    }
}

TEST_F(Win32ConsoleTest, OutputIsUtf8AndAReportKeepsItsLineEnds) {
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Sub\xE6\x9D\x8E]\r\n"
        "\"\xE5\x90\x8D\xE5\x89\x8D\"=\"C:\\\\Apps\\\\\xE7\x8E\x8B\\\\app.exe\"\r\n"
        "\"plain\"=\"C:\\\\Apps\\\\\xE7\x8E\x8B\\\\b.exe\"\r\n\r\n";
    const std::string registry = scratch_.Path + "\\unicode.reg";
    ASSERT_TRUE(MakeFile(registry, "\xFF\xFE" + Utf16LeFromUtf8(text)));
    const std::string wang = "\xE7\x8E\x8B";  // 王

    const ProgramResult listing =
        RunProgram(scratch_.Path, {"search", "--registry", registry, wang});
    ASSERT_EQ(listing.Code, 0u) << listing.Err;
    EXPECT_THAT(listing.Out, HasSubstr("String Found (" + wang + ") - C:\\Apps\\" + wang +
                                       "\\app.exe\r\n"));
    EXPECT_THAT(listing.Out, HasSubstr("HKEY_CURRENT_USER\\Software\\Sub\xE6\x9D\x8E\\"
                                       "\xE5\x90\x8D\xE5\x89\x8D\r\n"));
    EXPECT_THAT(listing.Out, HasSubstr("Kestovar Hivewarden - 2 strings found\r\n"));
    // Every line of the listing and of the messages ends in CR LF, as console tools write.
    for (const std::string* text : {&listing.Out, &listing.Err}) {
        for (std::size_t at = text->find('\n'); at != std::string::npos;
             at = text->find('\n', at + 1)) {
            ASSERT_GT(at, 0u);
            EXPECT_EQ((*text)[at - 1], '\r') << *text;
        }
    }
    EXPECT_THAT(listing.Out, Not(HasSubstr("\r\r")));

    // The same registry piped in as standard input finds the same strings.
    const ProgramResult piped =
        RunProgram(scratch_.Path, {"search", "--registry", "-", wang}, registry);
    ASSERT_EQ(piped.Code, 0u) << piped.Err;
    EXPECT_EQ(piped.Out, listing.Out);

    const ProgramResult report =
        RunProgram(scratch_.Path, {"search", "--registry", registry, "--report", "-", wang});
    ASSERT_EQ(report.Code, 0u) << report.Err;
    EXPECT_EQ(report.Out.rfind("\xEF\xBB\xBF" "Action;String;Index;Fixed Value;Location\r\n", 0),
              0u)
        << report.Out;
    EXPECT_THAT(report.Out, Not(HasSubstr("\r\r")));
    EXPECT_EQ(report.Out.substr(report.Out.size() - 2), "\r\n");
    std::size_t lines = 0;
    for (std::size_t at = report.Out.find('\n'); at != std::string::npos;
         at = report.Out.find('\n', at + 1)) {
        ++lines;
        EXPECT_EQ(report.Out[at - 1], '\r');
    }
    EXPECT_EQ(lines, 3u);
}

TEST_F(Win32ConsoleTest, ABackupIsRestoredIntoTheLiveRegistryByteForByte) {
    ThrowawayKey key("HivewardenRestore-");
    ASSERT_FALSE(key.Path.empty());
    const std::string sub = key.Path + "\\Sub\xE6\x9D\x8E";            // Sub李
    const std::string name = "\xE5\x90\x8D\xE5\x89\x8D";              // 名前
    const std::string text = Utf16LeFromUtf8("C:\\Apps\\\xE7\x8E\x8B\\a.exe") + std::string(2, '\0');
    ASSERT_EQ(SetValueW(HKEY_CURRENT_USER, sub, name, REG_SZ, text), ERROR_SUCCESS);

    // A backup of the value, made by the search's delete, in the program's own folder.
    const std::string program = scratch_.Path + "\\program";
    ASSERT_TRUE(MakeFolders(program));
    const ProgramResult clean = RunProgram(
        scratch_.Path, {"search", "--delete", "--backup", "b1", "--program-folder", program,
                        "\xE7\x8E\x8B"});
    ASSERT_EQ(clean.Code, 0u) << clean.Err << clean.Out;
    DWORD type = 0;
    std::string bytes;
    ASSERT_FALSE(QueryValueW(HKEY_CURRENT_USER, sub, name, type, bytes)) << "not deleted";

    const ProgramResult restore =
        RunProgram(scratch_.Path, {"backups", "--program-folder", program, "restore", "b1"});
    ASSERT_EQ(restore.Code, 0u) << restore.Err;
    EXPECT_THAT(restore.Out, HasSubstr("Restored "));
    ASSERT_TRUE(QueryValueW(HKEY_CURRENT_USER, sub, name, type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, text);
}

}  // namespace
}  // namespace hivewarden::testing
