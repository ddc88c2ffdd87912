// Cuts the file or folder path out of registry value data, classifies it and decides whether
// the thing it names is missing. Pure functions of the text and the file probes; they write
// nothing and know nothing of the registry or the window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/files.h"
#include "store/signals.h"

namespace hivewarden::scan {

// The probes and the Windows directory (with trailing "\") the three functions consult, the
// optional yield hook that ExtractPath calls once per text (null: no yielding), and the
// folders a bare file name is looked for in as a font (the probes' FontFolders; empty: the
// Windows directory's Fonts folder only).
struct PathContext {
    registry::FileProbes& Probes;
    std::string WindowsDir;
    registry::EngineSignals* Signals = nullptr;
    std::vector<std::string> FontFolders{};
};

// Limits on the work one text can cause; a text beyond them is taken as naming no path and
// ExtractPath gives empty text for it (which is never missing while the fonts folder exists).
// - Windows runs no command line longer than 32767 characters (UTF-16 units), so no longer
//   value names a program or file the system could use.
// - Each pass of the cleaning loop either leaves it or cuts at least one character, so the
//   loop ends after at most length + 1 passes on its own; every pass reads the whole text,
//   and real data (a list of paths, arguments, placeholders) needs a few passes, not hundreds.
inline constexpr std::size_t kMaxPathText = 32767;
inline constexpr std::size_t kMaxCleaningPasses = 256;

// The path named by the text: quotes, arguments, icon indexes, "file:" prefixes, separators
// of several paths and numeric tails removed. Empty when nothing path-like is left.
std::string ExtractPath(std::string_view text, PathContext& context);
// The engine::k*Path kind of what ExtractPath(text) names.
std::int32_t PathKindOf(std::string_view text, PathContext& context);
// True when the thing ExtractPath(text) names, taken as the given kind, does not exist.
bool IsMissing(std::string_view text, std::int32_t kind, PathContext& context);

// The same two judgements for a path ExtractPath already gave, so that a caller asking both
// questions about one value cuts its path only once.
std::int32_t PathKindOfPath(std::string_view path, PathContext& context);
bool IsMissingPath(std::string_view path, std::int32_t kind, PathContext& context);

// True when the path starts with a drive letter and ":" and that drive is not present
// (FileProbes::DrivePresent): whatever the path names cannot be seen now, so it is not known
// to be missing.
bool IsOnAbsentDrive(std::string_view path, PathContext& context);

}  // namespace hivewarden::scan
