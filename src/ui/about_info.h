// What the about box shows and does, apart from drawing it: its texts, the operating system's
// name and family pictures, the two web links and the System Info start. Portable: reads the
// registry and file probes through the access layer only; no window system here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "hivewarden_version.h"
#include "store/access.h"
#include "store/roots.h"

namespace hivewarden::ui {

// The program's version as the about box shows it: the build's one version number, which the
// version resources, `hivewarden --version` and the packages carry too.
inline constexpr int kVersionMajor = HW_VERSION_MAJOR;
inline constexpr int kVersionMinor = HW_VERSION_MINOR;

inline constexpr std::string_view kOsCaption = "Operating System :";
inline constexpr std::string_view kSysInfoCaption = "&System Info...";
inline constexpr std::string_view kSysInfoUnavailable =
    "System Information Is Unavailable At This Time";
inline constexpr std::string_view kLegalNotice =
    "Warning: this program changes the Windows registry. Keep the backups it writes until you "
    "are sure the system works. It is provided as is, without warranty of any kind.";

struct AboutLink {
    std::string_view Caption;
    std::string_view Address;
};
inline constexpr AboutLink kSupportLink{"Technical Support",
                                        "https://www.kestovar.com/hivewarden/support"};
inline constexpr AboutLink kHomePageLink{"Home Page", "https://www.kestovar.com/"};

// The platform identifiers the system reports.
inline constexpr std::uint32_t kPlatformWin32s = 0;
inline constexpr std::uint32_t kPlatformWindows = 1;  // Windows 95, 98 and Me
inline constexpr std::uint32_t kPlatformNt = 2;

// The running system's version as it reports it.
struct OsVersion {
    std::uint32_t PlatformId = 0;
    std::uint32_t Major = 0;
    std::uint32_t Minor = 0;
    std::uint32_t Build = 0;
};

// Which of the three family pictures are shown. Picture3 is the Windows 95/98 picture,
// Picture2 the picture of every later Windows, Picture6 the Windows NT badge beside it.
struct OsPictures {
    bool Picture2 = false;
    bool Picture3 = false;
    bool Picture6 = false;

    bool operator==(const OsPictures&) const = default;
};

// Everything the box shows once it is loaded.
struct AboutContent {
    std::string Caption;  // "About " and the application's title
    std::string Title;    // lblTitle
    std::string Version;  // lblVersion
    std::string OsName;   // Label9
    OsPictures Pictures;
};

// "Version : 2.10": each number in plain decimal.
std::string VersionText(int major, int minor);

// The key whose "ProductName" names the system on this platform; empty for a platform the
// program does not know.
std::string_view OsProductKey(std::uint32_t platformId);

// The system's product name read from the registry; empty when it cannot be read or the
// platform is unknown. Windows 11 still calls itself "Windows 10" there; from build 22000 on
// the name is corrected.
std::string OsProductName(registry::RegistryAccess& access, const OsVersion& version);

// The pictures for a platform and the product name shown.
OsPictures PicturesFor(std::uint32_t platformId, std::string_view osName);

// The whole box, as loading fills it.
AboutContent LoadAbout(registry::RegistryAccess& access, const OsVersion& version,
                       std::string_view title, int major = kVersionMajor,
                       int minor = kVersionMinor);

// Reads the text value `subKeyRef` of root\keyName into keyVal (UTF-8). False when the key or
// value cannot be read (keyVal then empty) or the value is longer than 1024 characters, its
// terminator included; true otherwise, with keyVal left as it was when the value is not plain
// text (REG_SZ).
bool GetKeyValue(registry::RegistryAccess& access, registry::RootKey keyRoot,
                 std::string_view keyName, std::string_view subKeyRef, std::string& keyVal);

// Starts one program in a normal window; false when it could not be started.
using ProgramStarter = std::function<bool(const std::string& path)>;

// The System Info button: finds the system information tool (its registered path, else
// MSINFO32.EXE in its registered folder; on a system with neither entry, the one in the
// system folder) and starts it. False when there is none or it did not start: the caller then
// shows kSysInfoUnavailable.
bool StartSysInfo(registry::RegistryAccess& access, const ProgramStarter& start);

}  // namespace hivewarden::ui
