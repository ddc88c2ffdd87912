// <windows.h> for the end-to-end driver, with the two macros undone that would rename members
// of the program's headers (View::Yield, FileProbes::DeleteFile), which the driver includes for
// the control ids.
#pragma once

#include <windows.h>
#undef Yield
#undef DeleteFile
#include <commctrl.h>
