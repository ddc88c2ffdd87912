// Rebuilds a file-system path from a shell item list (the item-id list a shell link may carry):
// My Computer, a drive, then folder and file entries. Pure over the bytes; knows nothing of
// the link file around the list.
#pragma once

#include <string>

#include "text/code_page.h"
#include "scan/shortcuts/byte_span.h"

namespace hivewarden::scan {

// "C:\Dir\file.ext" for a list of the form My Computer > drive > entries...; the empty text for
// any other list (desktop or control-panel objects, network places, URLs) and for a damaged
// one. The span holds the items and the terminating 16-bit zero, without the list's own size.
// Names stored in UTF-16 are kept exactly; ANSI names are read in `codePage`.
std::string PathFromIdList(ByteSpan items, const CodePage& codePage);

}  // namespace hivewarden::scan
