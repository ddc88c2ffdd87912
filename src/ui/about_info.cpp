// The about box's decisions: texts, the system's name and pictures, and the System Info start,
// over the access layer. Portable; no window system.
#include "ui/about_info.h"

#include "text/text.h"
#include "text/unicode.h"

namespace hivewarden::ui {
namespace {

constexpr std::string_view kWindowsKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr std::string_view kWindowsNtKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::string_view kProductNameValue = "ProductName";

constexpr std::string_view kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr std::string_view kSysInfoValue = "PATH";
constexpr std::string_view kSysInfoFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr std::string_view kSysInfoFolderValue = "MSINFO";
constexpr std::string_view kSysInfoFile = "\\MSINFO32.EXE";
constexpr std::string_view kSystemSysInfo = "System32\\msinfo32.exe";

// The size of the buffer a value is read into, in UTF-16 units (the terminator included).
constexpr std::size_t kValueBufferUnits = 1024;

// Windows 11 keeps "Windows 10" in its product name; its builds start here.
constexpr std::uint32_t kFirstWindows11Build = 22000;
constexpr std::string_view kWindows10 = "Windows 10";
constexpr std::string_view kWindows11 = "Windows 11";

std::string CorrectedName(std::string name, const OsVersion& version) {
    if (version.PlatformId != kPlatformNt || version.Major != 10 ||
        version.Build < kFirstWindows11Build) {
        return name;
    }
    const std::size_t at = name.find(kWindows10);
    if (at != std::string::npos) name.replace(at, kWindows10.size(), kWindows11);
    return name;
}

bool IsFile(registry::FileProbes& probes, const std::string& path) {
    return probes.FileExists(path) && !probes.IsDirectory(path);
}

}  // namespace

std::string VersionText(int major, int minor) {
    return "Version : " + std::to_string(major) + "." + std::to_string(minor);
}

std::string_view OsProductKey(std::uint32_t platformId) {
    if (platformId == kPlatformWin32s || platformId == kPlatformWindows) return kWindowsKey;
    if (platformId == kPlatformNt) return kWindowsNtKey;
    return {};
}

std::string OsProductName(registry::RegistryAccess& access, const OsVersion& version) {
    const std::string_view key = OsProductKey(version.PlatformId);
    if (key.empty()) return {};
    std::string name =
        access.QueryValue(registry::kLocalMachine, key, kProductNameValue, registry::kTextKind);
    return CorrectedName(std::move(name), version);
}

OsPictures PicturesFor(std::uint32_t platformId, std::string_view osName) {
    OsPictures pictures;  // all hidden at first
    if (platformId == kPlatformNt) {
        pictures.Picture2 = true;
        pictures.Picture6 = true;
    } else if (platformId == kPlatformWin32s || platformId == kPlatformWindows) {
        const std::string name = ToUpper(osName);
        const bool classic = name == "MICROSOFT WINDOWS 95" || name == "MICROSOFT WINDOWS 98";
        pictures.Picture3 = classic;
        pictures.Picture2 = !classic;
    }
    return pictures;
}

AboutContent LoadAbout(registry::RegistryAccess& access, const OsVersion& version,
                       std::string_view title, int major, int minor) {
    AboutContent content;
    content.Caption = "About " + std::string(title);
    content.Title = std::string(title);
    content.Version = VersionText(major, minor);
    content.OsName = OsProductName(access, version);
    content.Pictures = PicturesFor(version.PlatformId, content.OsName);
    return content;
}

bool GetKeyValue(registry::RegistryAccess& access, registry::RootKey keyRoot,
                 std::string_view keyName, std::string_view subKeyRef, std::string& keyVal) {
    registry::KeyHandle key = access.OpenKey(keyRoot, keyName);
    registry::RawValue raw;
    if (!key || !access.Store().Read(key.Get(), subKeyRef, raw) ||
        raw.Bytes.size() > 2 * kValueBufferUnits) {
        keyVal.clear();
        return false;
    }
    if (raw.Type != registry::kRegSz) return true;
    // UTF-16LE as stored; the terminating NUL unit is not part of the text.
    std::string_view units = raw.Bytes;
    if (units.size() >= 2 && units.substr(units.size() - 2) == std::string_view("\0\0", 2)) {
        units.remove_suffix(2);
    }
    keyVal = Utf8FromUtf16Le(units);
    return true;
}

bool StartSysInfo(registry::RegistryAccess& access, const ProgramStarter& start) {
    registry::FileProbes& probes = access.Probes();
    std::string path;
    if (GetKeyValue(access, registry::kLocalMachine, kSysInfoKey, kSysInfoValue, path)) {
        return !path.empty() && start(path);
    }
    std::string folder;
    if (GetKeyValue(access, registry::kLocalMachine, kSysInfoFolderKey, kSysInfoFolderValue,
                    folder)) {
        path = folder + std::string(kSysInfoFile);
        return IsFile(probes, path) && start(path);
    }
    // Neither entry: the tool that ships in the system folder, where there is one.
    const std::string windowsDir = probes.WindowsDirectory();
    if (windowsDir.empty()) return false;
    path = windowsDir + std::string(kSystemSysInfo);
    return IsFile(probes, path) && start(path);
}

}  // namespace hivewarden::ui
