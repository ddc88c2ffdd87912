// The repair's question whether a finding's target is still missing is asked as the scan asked
// it: in the registry view of the entry, so a 32-bit entry's System32 is its SysWOW64.
#include "scan/scanned_value.h"

#include <gtest/gtest.h>

#include "support/fake_probes.h"

namespace hivewarden::testing {
namespace {

TEST(TargetStillMissing, IsAskedInTheViewOfTheEntry) {
    FakeProbes files;
    files.AddFile("C:\\Windows\\SysWOW64\\only32.exe").AddFile("C:\\Windows\\System32\\both.exe");
    files.AddFile("C:\\Windows\\SysWOW64\\both.exe");
    scan::PathContext paths{files, "C:\\Windows\\"};
    constexpr const char* kWow = "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Vendor\\Run";
    constexpr const char* kNative = "HKEY_LOCAL_MACHINE\\Software\\Vendor\\Run";
    struct Case {
        const char* KeyPath;
        const char* Data;
        bool Missing;
    };
    const Case kCases[] = {
        {kWow, "C:\\Windows\\System32\\only32.exe /run", false},
        {kNative, "C:\\Windows\\System32\\only32.exe /run", true},
        {kNative, "C:\\Windows\\System32\\both.exe", false},
        {kWow, "C:\\Windows\\System32\\gone.exe", true},
        {kWow, "C:\\Windows\\Sysnative\\both.exe", false},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.KeyPath) + " " + c.Data);
        EXPECT_EQ(scan::TargetStillMissing(c.KeyPath, c.Data, paths), c.Missing);
    }
}

}  // namespace
}  // namespace hivewarden::testing
