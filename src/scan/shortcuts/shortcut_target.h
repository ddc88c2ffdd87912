// Reads the target path out of a shell link (.lnk) file by walking the file's structure:
// header, item-id list, link info, string data and extra data. Depends on the file-probe seam
// only for expanding environment references and for reading the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text/code_page.h"
#include "files/files.h"

namespace hivewarden::scan {

// Shell links are a few hundred bytes to a few kilobytes; reading at most this much keeps a
// huge or hostile file named *.lnk from costing more than one small read.
inline constexpr std::size_t kMaxShortcutFileSize = 1024 * 1024;

// The local path the link points to ("C:\Program Files\App\app.exe"), or the empty text when
// no such path can be read: a damaged, truncated or empty file; a network, removable-media or
// CD target; a link to a shell object with no file-system path; an installer-advertised link.
// An environment-variable target is expanded through probes.ExpandEnvironment and preferred to
// the stored path. The link's Unicode copies of its paths are preferred and kept exactly; its
// ANSI strings are read in `codePage` (the system's ANSI code page of the machine that wrote
// the link). Pure over the bytes otherwise; never reads outside fileBytes.
std::string GetShortcutTarget(std::string_view fileBytes, registry::FileProbes& probes,
                              const CodePage& codePage);

// The same for the link file at linkPath, read through probes.ReadWholeFile; the empty text when
// the file cannot be read.
std::string GetShortcutTargetOfFile(std::string_view linkPath, registry::FileProbes& probes,
                                    const CodePage& codePage);

// The text up to, not including, its first NUL character; the whole text if it has none.
std::string StripNulls(std::string_view text);

}  // namespace hivewarden::scan
