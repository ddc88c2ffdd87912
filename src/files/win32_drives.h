// Whether a drive letter is there on this Windows: its type, then, for drives whose medium or
// server may be gone, whether its root answers within a short time. Windows builds only.
#pragma once

#include <chrono>

namespace hivewarden::registry::win32 {

// How long a drive's root may take to answer before the drive counts as not present.
inline constexpr std::chrono::milliseconds kDriveAnswerTime{1500};

// False for a letter with no root directory (nothing mapped), a removable or optical drive
// without a medium, and a drive whose root does not answer within `wait` (a network drive
// whose server is gone). Fixed drives and RAM disks are present without being asked. The
// root is asked in a worker thread of its own, which finishes on its own whenever the system
// gives up; the caller never waits longer than `wait`. No "insert a disk" box is shown.
bool DrivePresent(char letter, std::chrono::milliseconds wait = kDriveAnswerTime);

}  // namespace hivewarden::registry::win32
