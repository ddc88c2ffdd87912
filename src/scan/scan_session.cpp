// The scan session's defaults: the system's ANSI code page, opened once per session.
#include "scan/scan_session.h"

namespace hivewarden::scan {

std::unique_ptr<CodePage> OpenAnsiCodePage() {
    std::string error;
    std::unique_ptr<CodePage> page = OpenCodePage(SystemAnsiCodePage(), error);
    // A system whose code page the platform cannot convert still reads and writes plain text.
    return page ? std::move(page) : NewWindows1252();
}

}  // namespace hivewarden::scan
