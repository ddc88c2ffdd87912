// The scan's probe cache gives the same answers as the probes it wraps, with far fewer real
// probes; relative names never exist.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "files/mapped_files.h"
#include "scan/probe_cache.h"
#include "support/fake_probes.h"
#include "support/temp_folder.h"

namespace hivewarden::testing {
namespace {

namespace fs = std::filesystem;

class ProbeCacheTest : public ::testing::Test {
protected:
    ProbeCacheTest() : drive_(fs::path(tmp_.Folder()) / "c") {
        fs::create_directories(drive_ / "Windows" / "Fonts");
        fs::create_directories(drive_ / "Program Files" / "App" / "Sub");
        std::ofstream(drive_ / "Program Files" / "App" / "app.exe") << "x";
        std::ofstream(drive_ / "Windows" / "Fonts" / "arial.ttf") << "x";
        registry::MappedFilesConfig config;
        config.Drives['C'] = drive_;
        mapped_ = std::make_unique<registry::MappedFiles>(config);
    }

    TempFolder tmp_;
    fs::path drive_;
    std::unique_ptr<registry::MappedFiles> mapped_;
};

TEST_F(ProbeCacheTest, AnswersLikeTheRealProbes) {
    const char* paths[] = {
        "C:\\Program Files\\App\\app.exe",   "c:\\PROGRAM FILES\\app\\APP.EXE",
        "C:\\Program Files\\App",            "C:\\Program Files\\App\\Sub",
        "C:\\Program Files\\App\\gone.exe",  "C:\\Gone\\Deeper\\x.dll",
        "C:\\Windows\\Fonts\\arial.ttf",     "C:\\Windows\\Fonts\\times.ttf",
        "C:\\Program Files\\App\\",          "C:\\Program Files\\App\\app.exe.",
        "C:\\Program Files\\App\\app.exe\\", "C:\\",
        "C:\\Program Files\\..\\Windows",    "C:/Program Files/App/app.exe",
        "C:\\PROGRA~1\\App\\app.exe",        "D:\\anything.exe",
        "C:\\Program Files\\App\\app.exe\\more",
        "C:\\Program Files\\App\\app.exe . ", "C:\\Program Files\\App\\Sub  ",
        "C:\\Program Files\\App\\ .",      "C:\\Windows\\Fonts\\0A FF 00 ",
        "C:\\Program Files.\\App\\app.exe ",
    };
    scan::CachingProbes cached(*mapped_);
    for (int round = 0; round < 2; ++round) {
        for (const char* path : paths) {
            SCOPED_TRACE(path);
            EXPECT_EQ(cached.FileExists(path), mapped_->FileExists(path));
            EXPECT_EQ(cached.IsDirectory(path), mapped_->IsDirectory(path));
            EXPECT_EQ(cached.IsNetworkPath(path), mapped_->IsNetworkPath(path));
        }
    }
}

TEST_F(ProbeCacheTest, OneListingAnswersAFolderOfQuestions) {
    scan::CachingProbes cached(*mapped_);
    for (int i = 0; i < 100; ++i) {
        cached.FileExists("C:\\Program Files\\App\\file" + std::to_string(i) + ".dll");
    }
    EXPECT_TRUE(cached.FileExists("C:\\Program Files\\App\\app.exe"));
    EXPECT_EQ(cached.Questions(), 101u);
    EXPECT_EQ(cached.Probes(), 2u);  // drive C: once, and the listing
}

TEST_F(ProbeCacheTest, NamesEndingInDotsOrSpacesAreAnsweredFromTheListing) {
    scan::CachingProbes cached(*mapped_);
    EXPECT_TRUE(cached.FileExists("C:\\Program Files\\App\\app.exe"));
    EXPECT_TRUE(cached.FileExists("C:\\Program Files\\App\\app.exe. "));
    EXPECT_TRUE(cached.IsDirectory("C:\\Program Files\\App\\Sub ."));
    EXPECT_FALSE(cached.FileExists("C:\\Program Files\\App\\0A 1B 00 "));
    EXPECT_EQ(cached.Probes(), 2u);  // drive C:, the listing of C:\Program Files\App
}

TEST_F(ProbeCacheTest, RelativeNamesNeverExist) {
    scan::CachingProbes cached(*mapped_);
    EXPECT_FALSE(cached.FileExists("app.exe"));
    EXPECT_FALSE(cached.FileExists("\\Program Files\\App\\app.exe"));
    EXPECT_FALSE(cached.IsDirectory("Program Files"));
    EXPECT_EQ(cached.Probes(), 0u);
}

// Listings keyed by upper-case names answer for names of every script, in any letter case,
// exactly as the real probes do; one listing serves a folder of such questions.
TEST_F(ProbeCacheTest, NamesOfEveryScriptAreAnsweredFromTheListing) {
    const fs::path apps = drive_ / "Apps";
    for (const char8_t* name :
         {u8"\u03C9mega", u8"\u674E\u660E", u8"J\u00FCrgen", u8"\U0001F600"}) {
        fs::create_directories(apps / fs::path(name));
        std::ofstream(apps / fs::path(name) / "app.exe") << "x";
    }
    std::ofstream(apps / fs::path(u8"\u0430\u043F\u043F.exe")) << "x";  // апп.exe
    const char* paths[] = {
        "C:\\Apps\\\xCF\x89mega\\app.exe",
        "C:\\APPS\\\xCE\xA9MEGA\\APP.EXE",
        "C:\\Apps\\\xE6\x9D\x8E\xE6\x98\x8E\\app.exe",
        "C:\\Apps\\\xE7\x8E\x8B\\app.exe",
        "C:\\Apps\\J\xC3\x9CRGEN",
        "C:\\Apps\\Jurgen",
        "C:\\Apps\\\xF0\x9F\x98\x80\\app.exe",
        "C:\\Apps\\Omega\\app.exe",
        "C:\\Apps\\\xD0\x90\xD0\x9F\xD0\x9F.EXE",
        "C:\\Apps\\\xD0\xB0\xD0\xBF\xD0\xBF.exe. ",
    };
    scan::CachingProbes cached(*mapped_);
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        EXPECT_EQ(cached.FileExists(path), mapped_->FileExists(path));
        EXPECT_EQ(cached.IsDirectory(path), mapped_->IsDirectory(path));
    }
    EXPECT_TRUE(cached.FileExists("C:\\APPS\\\xCE\xA9MEGA\\APP.EXE"));
    EXPECT_FALSE(cached.FileExists("C:\\Apps\\Omega\\app.exe"));

    scan::CachingProbes fresh(*mapped_);
    EXPECT_TRUE(fresh.FileExists("C:\\Apps\\\xD0\x90\xD0\x9F\xD0\x9F.EXE"));
    EXPECT_TRUE(fresh.IsDirectory("C:\\apps\\\xE6\x9D\x8E\xE6\x98\x8E"));
    EXPECT_FALSE(fresh.FileExists("C:\\Apps\\\xE7\x8E\x8B"));
    EXPECT_EQ(fresh.Probes(), 2u);  // drive C:, the listing of C:\Apps
}

// A dead network drive may take a while to answer: each letter is asked once per scan, and
// nothing on a drive that is not there is probed at all.
TEST(ProbeCacheDrives, EachLetterIsAskedOnceAndNothingOnAnAbsentDriveIsProbed) {
    FakeProbes fake;
    fake.AddFile("C:\\Apps\\app.exe").AddFile("C:\\Apps\\tool.exe").RemoveDrive('E');
    scan::CachingProbes cached(fake);
    EXPECT_TRUE(cached.DrivePresent('C'));
    EXPECT_TRUE(cached.DrivePresent('c'));
    EXPECT_FALSE(cached.DrivePresent('E'));
    EXPECT_FALSE(cached.DrivePresent('e'));
    EXPECT_FALSE(cached.DrivePresent('1'));
    EXPECT_EQ(fake.DriveQuestions(), 2);

    const int probesBefore = fake.ProbeCount();
    for (const char* path : {"E:\\Games\\x.exe", "e:\\Games", "E:\\", "E:\\Games\\x.exe "}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(cached.FileExists(path));
        EXPECT_FALSE(cached.IsDirectory(path));
    }
    EXPECT_EQ(fake.ProbeCount(), probesBefore);
    EXPECT_EQ(fake.DriveQuestions(), 2);

    // Deleting a file forgets the files, not the drives; a new scan asks again.
    EXPECT_TRUE(cached.FileExists("C:\\Apps\\app.exe"));
    EXPECT_TRUE(cached.DeleteFile("C:\\Apps\\app.exe"));
    EXPECT_FALSE(cached.FileExists("C:\\Apps\\app.exe"));
    EXPECT_FALSE(cached.FileExists("E:\\Games\\x.exe"));
    EXPECT_EQ(fake.DriveQuestions(), 2);
    cached.Clear();
    EXPECT_TRUE(cached.FileExists("C:\\Apps\\tool.exe"));
    EXPECT_EQ(fake.DriveQuestions(), 3);
}

TEST_F(ProbeCacheTest, DeletingThroughTheCacheForgetsOldAnswers) {
    scan::CachingProbes cached(*mapped_);
    ASSERT_TRUE(cached.FileExists("C:\\Program Files\\App\\app.exe"));
    ASSERT_TRUE(cached.DeleteFile("C:\\Program Files\\App\\app.exe"));
    EXPECT_FALSE(cached.FileExists("C:\\Program Files\\App\\app.exe"));
}

TEST(ProbeCachePlainPath, RecognisesPathsAListingCanAnswer) {
    const struct {
        const char* path;
        bool plain;
    } cases[] = {
        {"C:\\A\\b.txt", true},   {"c:\\a", true},          {"C:\\", false},
        {"C:\\A\\", false},       {"C:\\A\\.\\b", false},   {"C:\\A\\b.", false},
        {"C:\\A\\b ", false},     {"C:\\PROGRA~1\\b", false}, {"C:/A/b", false},
        {"\\\\srv\\share\\a", false}, {"C:\\A\\b?", false}, {"C:\\A\\\\b", false},
        {"1:\\A", false},
        // Letters of every script are name characters.
        {"C:\\\xE6\x9D\x8E\\\xCE\xA9.exe", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(scan::CachingProbes::IsPlainPath(c.path), c.plain);
    }
}

}  // namespace
}  // namespace hivewarden::testing
