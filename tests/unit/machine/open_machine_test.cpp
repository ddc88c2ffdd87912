// Opening a machine from its source: a Wine prefix whose one load serves the registry and the
// mapped machine, the user's drives and variables on top, contradicting sources refused, .reg
// files loaded with their warnings, and the write policy (where a changed registry goes, when
// it must not be written in place).
#include "machine/machine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "machine/live.h"

namespace hivewarden::machine {
namespace {

using testing::TempFolder;

const std::string kSystem =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n"
    "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion] 1796909819\n"
    "\"SystemRoot\"=\"C:\\\\windows\"\n\n"
    "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\ProfileList\\\\"
    "S-1-5-21-0-0-0-1000] 1796909819\n"
    "\"ProfileImagePath\"=\"C:\\\\users\\\\anna\"\n\n"
    "[System\\\\CurrentControlSet\\\\Control\\\\Session Manager\\\\Environment] 1796909819\n"
    "\"WINEVAR\"=\"%SystemRoot%\\\\wine\"\n";
const std::string kUser =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n\n"
    "[Environment] 1796909819\n\"TEMP\"=\"C:\\\\users\\\\anna\\\\Temp\"\n";
const std::string kUserDefault =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\.Default\n\n"
    "#arch=win64\n";

// The last value of a variable in the machine's environment, or "<unset>".
std::string Variable(const MappedMachine& machine, const std::string& name) {
    std::string value = "<unset>";
    for (const auto& [n, v] : machine.Environment) {
        if (n == name) value = v;
    }
    return value;
}

std::string HostFolderOf(const MappedMachine& machine, char letter) {
    for (const auto& [l, folder] : machine.Drives) {
        if (l == letter) return folder;
    }
    return "<unmapped>";
}

class WinePrefixMachineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix_.Write("system.reg", kSystem);
        prefix_.Write("user.reg", kUser);
        prefix_.Write("userdef.reg", kUserDefault);
        std::filesystem::create_directories(prefix_.HostPath("drive_c/users/anna"));
        std::filesystem::create_directories(prefix_.HostPath("dosdevices"));
        // Wine's drive links are Unix symbolic links named "c:", which Windows cannot make.
        std::error_code noLink;
        std::filesystem::create_directory_symlink("../drive_c", prefix_.HostPath("dosdevices/c:"),
                                                  noLink);
        linked_ = !noLink;
        source_.WinePrefix = prefix_.Folder();
    }

    TempFolder prefix_;
    TempFolder other_;
    MachineSource source_;
    bool linked_ = false;
};

TEST_F(WinePrefixMachineTest, OneLoadGivesTheRegistryAndTheMachine) {
    if (!linked_) GTEST_SKIP() << "this system cannot make a prefix's drive links";
    std::string error;
    const std::unique_ptr<Machine> machine = OpenMachine(source_, {}, error);
    ASSERT_TRUE(machine) << error;
    const MappedMachine* mapped = machine->Mapped();
    ASSERT_NE(mapped, nullptr);
    EXPECT_EQ(mapped->WindowsDir, "C:\\windows");
    EXPECT_EQ(std::filesystem::path(registry::ToHostPath(HostFolderOf(*mapped, 'C'))),
              std::filesystem::canonical(prefix_.HostPath("drive_c")));
    EXPECT_EQ(Variable(*mapped, "USERNAME"), "anna");
    EXPECT_EQ(Variable(*mapped, "TEMP"), "C:\\users\\anna\\Temp");
    EXPECT_EQ(Variable(*mapped, "WINEVAR"), "C:\\windows\\wine");
    // The same load is the registry.
    registry::RegistryStore& store = machine->Store();
    const registry::StoreHandle key = store.Open(registry::kCurrentUser, "Environment");
    ASSERT_NE(key, 0u);
    registry::RawValue value;
    EXPECT_TRUE(store.Read(key, "TEMP", value));
    store.Close(key);
    EXPECT_TRUE(machine->NoDriveWarning().empty());
}

TEST_F(WinePrefixMachineTest, GivenDrivesAndVariablesComeOnTop) {
    if (!WinePrefixesSupported()) GTEST_SKIP() << "this build refuses Wine prefixes";
    source_.Drives = {"c=" + other_.Folder(), "D=" + other_.Folder()};
    source_.Environment = {"TEMP=D:\\tmp"};
    std::string error;
    const std::unique_ptr<Machine> machine = OpenMachine(source_, {}, error);
    ASSERT_TRUE(machine) << error;
    const MappedMachine& mapped = *machine->Mapped();
    EXPECT_EQ(HostFolderOf(mapped, 'C'), other_.Folder());
    EXPECT_EQ(HostFolderOf(mapped, 'D'), other_.Folder());
    EXPECT_EQ(Variable(mapped, "TEMP"), "D:\\tmp");
}

TEST_F(WinePrefixMachineTest, ContradictingSourcesAreRefused) {
    struct Case {
        const char* Name;
        MachineSource Source;
        const char* Error;
    };
    MachineSource withHive = source_;
    withHive.HiveMounts = {"HKLM\\SOFTWARE=" + prefix_.File("system.reg")};
    MachineSource twice;
    twice.RegistryFiles = {prefix_.Write("a.reg", "REGEDIT4\r\n")};
    twice.Drives = {"C=" + other_.Folder(), "c:=" + other_.Folder()};
    MachineSource filesAndHives;
    filesAndHives.RegistryFiles = twice.RegistryFiles;
    filesAndHives.HiveMounts = withHive.HiveMounts;
    const Case cases[] = {
        {"prefix and hive", withHive,
         WinePrefixesSupported() ? "--wine-prefix cannot be combined with --hive"
                                 : "--wine-prefix is not supported by the Windows build"},
        {"drive mapped twice", twice, "drive C: is mapped twice"},
        {".reg files and hives", filesAndHives, "--registry cannot be combined with --hive"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string error;
        EXPECT_FALSE(OpenMachine(c.Source, {}, error));
        EXPECT_NE(error.find(c.Error), std::string::npos) << error;
    }
}

TEST(WriteBackOptionsTest, OutputMustFitTheSource) {
    struct Case {
        const char* Name;
        std::vector<std::string> Files;
        std::string Prefix;
        std::vector<std::string> Hives;
        std::string Output;
        const char* Error;  // empty: accepted
    };
    const Case cases[] = {
        {"one file, in place", {"a.reg"}, "", {}, "", ""},
        {"one file, elsewhere", {"a.reg"}, "", {}, "out.reg", ""},
        {"several files need --output", {"a.reg", "b.reg"}, "", {}, "", "give --output FILE.reg"},
        {"several files, elsewhere", {"a.reg", "b.reg"}, "", {}, "out.reg", ""},
        {"prefix, in place", {}, "/p", {}, "", ""},
        {"prefix takes no --output", {}, "/p", {}, "out.reg", "a Wine prefix's files"},
        {"hives take no --output", {}, "", {"HKCU=/n"}, "out.reg", "hive files are changed"},
        {"live registry takes no --output", {}, "", {}, "out.reg", "the live registry"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        MachineSource source;
        source.RegistryFiles = c.Files;
        source.WinePrefix = c.Prefix;
        source.HiveMounts = c.Hives;
        std::string error;
        EXPECT_EQ(CheckWriteBackOptions(source, c.Output, error), std::string(c.Error).empty());
        EXPECT_NE(error.find(c.Error), std::string::npos) << error;
    }
}

TEST(RegistryFilesMachineTest, WarningsGoToTheSinkAndGuardTheFileFromRewriting) {
    TempFolder folder;
    MachineSource source;
    source.RegistryFiles = {folder.Write(
        "a.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"x\"=\"1\"\r\nnonsense\r\n")};
    source.Drives = {"C=" + folder.Folder()};
    std::vector<std::string> warnings;
    OpenOptions options;
    options.Warn = [&warnings](const std::string& warning) { warnings.push_back(warning); };
    std::string error;
    const std::unique_ptr<Machine> machine = OpenMachine(source, options, error);
    ASSERT_TRUE(machine) << error;
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("a.reg:5: skipped"), std::string::npos) << warnings[0];
    EXPECT_EQ(machine->Load().SkippedLines(), 1u);

    // Written back in place, the skipped line would be lost: refused; elsewhere it is fine.
    std::string target;
    ASSERT_TRUE(machine->WriteBackTarget("", target, error)) << error;
    EXPECT_EQ(target, source.RegistryFiles[0]);
    EXPECT_FALSE(machine->CheckInPlaceWriteBack(target, "--output", error));
    EXPECT_NE(error.find("is not rewritten in place: 1 line"), std::string::npos) << error;
    const std::string output = folder.File("out.reg");
    ASSERT_TRUE(machine->WriteBackTarget(output, target, error)) << error;
    EXPECT_EQ(target, output);
    EXPECT_TRUE(machine->CheckInPlaceWriteBack(target, "--output", error)) << error;
    ASSERT_TRUE(machine->WriteBack(target, error)) << error;
    EXPECT_NE(folder.Read("out.reg").find("[HKEY_CURRENT_USER\\Software\\A]"), std::string::npos);
}

TEST(RegistryFilesMachineTest, WithoutADriveEveryPathReadsAsMissing) {
    TempFolder folder;
    MachineSource source;
    source.RegistryFiles = {folder.Write("a.reg", "REGEDIT4\r\n")};
    std::string error;
    const std::unique_ptr<Machine> machine = OpenMachine(source, {}, error);
    ASSERT_TRUE(machine) << error;
    if (HasLiveProbes()) {
        EXPECT_EQ(machine->Mapped(), nullptr);
        EXPECT_TRUE(machine->NoDriveWarning().empty());
    } else {
        ASSERT_NE(machine->Mapped(), nullptr);
        EXPECT_NE(machine->NoDriveWarning().find("the system drive C: is not mapped"), std::string::npos);
    }
}

}  // namespace
}  // namespace hivewarden::machine
