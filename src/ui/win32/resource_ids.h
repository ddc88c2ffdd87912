// Resource ids of HivewardenGui.exe and the sizes of its picture strips, shared by the resource
// script (plain #defines) and the window code (constants). Depends on nothing; no <windows.h>,
// so the resource compiler and any C++ file can include it.
#ifndef HIVEWARDEN_UI_WIN32_RESOURCE_IDS_H
#define HIVEWARDEN_UI_WIN32_RESOURCE_IDS_H

// Id 1 is the lowest icon id, so Explorer shows it as the program's icon.
#define IDI_HIVEWARDEN 1

#define IDB_GRID_ICONS 101
#define IDB_CUSTOM_ICONS 102
#define IDB_START_PAGE 103
#define IDB_ADVANCED_PAGE 104
#define IDB_SEARCH_ANIM 105
#define IDB_OS_9X 106
#define IDB_OS_NT 107
#define IDB_OS_MODERN 108

// Program version (HW_VERSION_*), written into the version resource and shown by the about
// box; generated from the build's one version number.
#include "hivewarden_version.h"

#ifndef RC_INVOKED
#include <cstdint>

namespace hivewarden::ui::win32 {

inline constexpr int kIconHivewarden = IDI_HIVEWARDEN;
inline constexpr int kBitmapGridIcons = IDB_GRID_ICONS;
inline constexpr int kBitmapCustomIcons = IDB_CUSTOM_ICONS;
inline constexpr int kBitmapStartPage = IDB_START_PAGE;
inline constexpr int kBitmapAdvancedPage = IDB_ADVANCED_PAGE;
inline constexpr int kBitmapSearchAnim = IDB_SEARCH_ANIM;
inline constexpr int kBitmapOs9x = IDB_OS_9X;
inline constexpr int kBitmapOsNt = IDB_OS_NT;
inline constexpr int kBitmapOsModern = IDB_OS_MODERN;

// IDB_GRID_ICONS: a 32-bit strip with straight (not premultiplied) alpha, one 16 x 16 image
// per icon key in the order of scan::kIconKeys ("AutoRun" ... "Reg"). Load it with
// LR_CREATEDIBSECTION and add it to an ILC_COLOR32 image list with no mask.
inline constexpr int kGridIconCount = 13;
inline constexpr int kGridIconSize = 16;

// IDB_CUSTOM_ICONS: the same format; image 0 is "Key", image 1 is "Value".
inline constexpr int kCustomIconCount = 2;
inline constexpr int kCustomIconSize = 16;
inline constexpr int kCustomIconKey = 0;
inline constexpr int kCustomIconValue = 1;

// IDB_SEARCH_ANIM: a 24-bit strip of square frames; pixels of kTransparentColour are
// background (draw with TransparentBlt or a masked image list).
inline constexpr int kSearchAnimFrames = 22;
inline constexpr int kSearchAnimFrameSize = 32;

// IDB_START_PAGE and IDB_ADVANCED_PAGE: opaque 24-bit pictures of this size.
inline constexpr int kPagePictureWidth = 150;
inline constexpr int kPagePictureHeight = 250;

// IDB_OS_9X, IDB_OS_NT, IDB_OS_MODERN: 24-bit, kTransparentColour is background.
inline constexpr int kOsPictureSize = 48;

// RGB(255, 0, 255) as a COLORREF (0x00BBGGRR).
inline constexpr std::uint32_t kTransparentColour = 0x00FF00FFu;

inline constexpr int kVersionMajor = HW_VERSION_MAJOR;
inline constexpr int kVersionMinor = HW_VERSION_MINOR;

}  // namespace hivewarden::ui::win32

#endif  // RC_INVOKED
#endif  // HIVEWARDEN_UI_WIN32_RESOURCE_IDS_H
