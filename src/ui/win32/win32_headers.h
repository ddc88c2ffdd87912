// <windows.h> and the common controls for the window's files, with the two macros that would
// rename the program's own members (EngineSignals::Yield, FileProbes::DeleteFile) undone.
#pragma once

#include <windows.h>
#undef Yield
#undef DeleteFile
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>
