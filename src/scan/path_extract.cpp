// Path extraction: the cleaning loop, the numeric tail, the kind and the missing test.
// Asks the file system only through the probes of the context; keeps no state between calls.
// Text is UTF-8: every mark looked for is ASCII, and no UTF-8 character holds an ASCII byte,
// so every cut at a mark falls between characters; rules that count characters count code
// points (utf8_positions.h).
#include "scan/path_extract.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "engine/error_entry.h"
#include "text/text.h"
#include "text/unicode.h"
#include "files/windows_path.h"
#include "scan/utf8_positions.h"

namespace hivewarden::scan {
namespace {

using registry::FileProbes;

constexpr std::size_t kNone = std::string::npos;

// A set of characters to look for in one pass over a text (find_first_of looks each character
// of the text up in the set's own text).
class CharSet {
  public:
    constexpr explicit CharSet(std::string_view chars) {
        for (const char c : chars) in_[static_cast<unsigned char>(c)] = true;
    }
    std::size_t FindIn(std::string_view text, std::size_t from) const {
        for (std::size_t i = from; i < text.size(); ++i) {
            if (in_[static_cast<unsigned char>(text[i])]) return i;
        }
        return kNone;
    }

  private:
    std::array<bool, 256> in_{};
};

// Marks that end a path when they follow its last "\": arguments, switches, icon indexes,
// wildcards and pipes.
constexpr CharSet kArgumentMarks(",/?<>|*");
// Placeholders ("%1"), stray quotes and DEL after the last "\", cut one kind after the other.
constexpr std::string_view kPlaceholderMarks = "%\"\x7f";
constexpr CharSet kPlaceholderSet(kPlaceholderMarks);
// Separators between a first path and a second one that follows it.
constexpr std::string_view kPathSeparators = ";| ";

// Positions are 0-based; kNone ("there is none") stands before every character, so a mark
// stands after the last "\" of a text without any "\".
bool StandsAfter(std::size_t pos, std::size_t anchor) {
    return pos != kNone && (anchor == kNone || pos > anchor);
}

// s.rfind(c); a text without c (most value data holds no "\", ":" or "-") is ruled out by one
// fast forward search instead of a walk from its end over every character.
std::size_t LastOf(std::string_view s, char c) { return s.find(c) == kNone ? kNone : s.rfind(c); }

// When the text's first characters, in upper case, are `upperPrefix` (ASCII capitals): the
// number of bytes they take; 0 otherwise. A character beyond ASCII may upper-case to an ASCII
// capital (U+0131, the dotless i, is "I"), so each is decoded.
std::size_t UpperPrefixLength(std::string_view text, std::string_view upperPrefix) {
    std::size_t pos = 0;
    for (const char expected : upperPrefix) {
        if (pos >= text.size()) return 0;
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            if (AsciiUpper(text[pos++]) != expected) return 0;
        } else if (UpcaseCodePoint(NextCodePoint(text, pos)) !=
                   static_cast<char32_t>(static_cast<unsigned char>(expected))) {
            return 0;
        }
    }
    return pos;
}

bool StartsWithUpper(std::string_view text, std::string_view upperPrefix) {
    return UpperPrefixLength(text, upperPrefix) != 0;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// Cuts at the first of the marks after the last "\". Cutting at the last such mark again and
// again ends at the same place: the cuts never reach the last "\", so it stays where it is.
bool CutAtFirstMarkAfterLastBackslash(std::string& s, const CharSet& marks) {
    const std::size_t lastBackslash = LastOf(s, '\\');
    const std::size_t cut = marks.FindIn(s, lastBackslash == kNone ? 0 : lastBackslash + 1);
    if (cut == kNone) return false;
    s.resize(cut);
    return true;
}

// "C:\App\app.exe" from "C:\App\app.exe" "%1"; the rest after the quotes when none closes.
std::string StripLeadingQuote(std::string_view text) {
    if (text.empty() || text.front() != '"') {
        // Room for the ".exe" that AddExeWhenItExists tries.
        std::string s;
        s.reserve(text.size() + 4);
        s = text;
        return s;
    }
    const std::size_t start = text.find_first_not_of('"');
    if (start == kNone) return {};
    const std::size_t close = text.find('"', start);
    return std::string(text.substr(start, close == kNone ? kNone : close - start));
}

// --- The cleaning loop; each test returns true when it cut s (the loop then starts over).

bool CutArguments(std::string& s) { return CutAtFirstMarkAfterLastBackslash(s, kArgumentMarks); }

// The dash test can cut only a drive path with a "-" in its last component.
bool DashTestApplies(const std::string& s) {
    return s.find(":\\") != kNone && StandsAfter(LastOf(s, '-'), LastOf(s, '\\'));
}

// True when the text up to the first space after the last "\" names something: the space
// test at the end of the loop will cut the words after it.
bool NameBeforeWordsExists(const std::string& s, FileProbes& probes) {
    const std::size_t lastBackslash = LastOf(s, '\\');
    const std::size_t firstSpace = s.find(' ', lastBackslash == kNone ? 0 : lastBackslash + 1);
    return firstSpace != kNone && probes.FileExists(std::string_view(s).substr(0, firstSpace));
}

// "C:\Tools\tool.exe-min" when that whole text names nothing: cut at the last "-". Not when
// the name before the first space exists: "C:\Tools\my-tool.exe start-up" would otherwise
// lose "-tool.exe start-up" and an existing program would be reported as missing.
bool CutDashSwitch(std::string& s, bool dashTestApplies, FileProbes& probes) {
    if (!dashTestApplies || probes.FileExists(s) || NameBeforeWordsExists(s, probes)) {
        return false;
    }
    s.resize(LastOf(s, '-'));
    return true;
}

bool CutPlaceholders(std::string& s, bool dashTestApplies) {
    // While the dash test cannot apply it cannot start to apply as s gets shorter, so the
    // one-by-one cuts (each followed by a fresh start of the loop) end at the first mark.
    if (!dashTestApplies) return CutAtFirstMarkAfterLastBackslash(s, kPlaceholderSet);
    const std::size_t lastBackslash = LastOf(s, '\\');
    for (const char mark : kPlaceholderMarks) {
        const std::size_t last = LastOf(s, mark);
        if (StandsAfter(last, lastBackslash)) {
            s.resize(last);
            return true;
        }
    }
    return false;
}

// "file://C:\Docs\a.htm" and "file:C:\Docs\a.htm" name C:\Docs\a.htm.
void DropFilePrefix(std::string& s) {
    s.erase(0, UpperPrefixLength(s, "FILE://"));
    s.erase(0, UpperPrefixLength(s, "FILE:"));
}

// A quote before the last ":" ends the first path: C:\a.exe" "C:\b.txt.
bool CutAtQuoteBeforeLastColon(std::string& s) {
    const std::size_t quote = s.find('"');
    if (quote == kNone) return false;
    const std::size_t lastColon = LastOf(s, ':');
    if (lastColon == kNone || quote > lastColon) return false;
    s.resize(quote);
    return true;
}

// A second path after the first (C:\a.exe;D:\b): cut at the last ";", else "|", else space
// before the last ":".
bool CutBeforeSecondPath(std::string& s) {
    const std::size_t lastColon = LastOf(s, ':');
    if (lastColon == kNone || StandsAfter(s.find('\\'), lastColon)) return false;
    for (const char separator : kPathSeparators) {
        const std::size_t cut = s.rfind(separator, lastColon);
        if (cut != kNone) {
            s.resize(cut);
            return true;
        }
    }
    return false;
}

// "=C:\x\y.dll" and "@C:\x\y.dll" start at their drive letter: the character before the
// first ":\" when at least two characters stand before it.
void StartAtDriveLetter(std::string& s) {
    const std::size_t drive = s.find(":\\");
    if (drive == kNone || drive < 2) return;
    const std::size_t letter = PreviousCharStart(s, drive);
    if (letter > 0) s.erase(0, letter);
}

// "C:\Tools\run.exe /q x": when the text up to the first space after the last "\" exists,
// the words after it go and the loop starts over; otherwise the loop ends.
bool CutWordsAfterExistingFile(std::string& s, FileProbes& probes) {
    const std::size_t lastBackslash = LastOf(s, '\\');
    const std::size_t lastSpace = LastOf(s, ' ');
    if (!StandsAfter(lastSpace, lastBackslash)) return false;
    const std::size_t firstSpace = s.find(' ', lastBackslash == kNone ? 0 : lastBackslash + 1);
    if (!probes.FileExists(std::string_view(s).substr(0, firstSpace))) return false;
    // Dropping the last word and starting over would come back here word by word: the earlier
    // tests found nothing to cut in this text, so they find nothing in its shorter beginnings
    // either (the dash test keeps still because the name before the first space exists).
    // Only a "file:" prefix could be dropped again on the way, so then go one word at a time.
    s.resize(StartsWithUpper(s, "FILE:") ? lastSpace : firstSpace);
    return true;
}

// Runs the cleaning tests in order, starting over after every cut, until the space test ends
// the loop; false when the pass limit ran out first. Every pass that starts over has cut at
// least one character.
bool Clean(std::string& s, FileProbes& probes) {
    for (std::size_t pass = 0; pass < kMaxCleaningPasses; ++pass) {
        if (CutArguments(s)) continue;
        // The dash switch leaves s alone when it does not cut, so its test holds for both.
        const bool dashTestApplies = DashTestApplies(s);
        if (CutDashSwitch(s, dashTestApplies, probes) || CutPlaceholders(s, dashTestApplies)) {
            continue;
        }
        DropFilePrefix(s);
        if (CutAtQuoteBeforeLastColon(s) || CutBeforeSecondPath(s)) continue;
        StartAtDriveLetter(s);
        if (!CutWordsAfterExistingFile(s, probes)) return true;
    }
    return false;
}

// --- After the loop.

enum class NumberSign { NotANumber, Negative, NotNegative };

// Only plain digit strings with an optional sign count as numbers: no spaces, decimal point
// or exponent, so "1.5" and " 7" stay text. "-0" is zero, not negative.
NumberSign SignOfNumber(std::string_view text) {
    bool minus = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        minus = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return NumberSign::NotANumber;
    bool nonZero = false;
    for (const char c : text) {
        if (c < '0' || c > '9') return NumberSign::NotANumber;
        nonZero = nonZero || c != '0';
    }
    return minus && nonZero ? NumberSign::Negative : NumberSign::NotNegative;
}

// A number as the last component (a resource id, an index): negative numbers name nothing;
// otherwise the folder above it is meant when it exists, and nothing when it does not.
void DropNumericTail(std::string& s, FileProbes& probes) {
    const std::size_t lastBackslash = LastOf(s, '\\');
    const std::string_view last =
        std::string_view(s).substr(lastBackslash == kNone ? 0 : lastBackslash + 1);
    switch (SignOfNumber(last)) {
        case NumberSign::NotANumber:
            return;
        case NumberSign::Negative:
            s.clear();
            return;
        case NumberSign::NotNegative:
            if (lastBackslash == kNone) return;
            s.resize(lastBackslash);
            if (!probes.FileExists(s)) s.clear();
            return;
    }
}

// "C:\Tools\run" names C:\Tools\run.exe when that exists.
void AddExeWhenItExists(std::string& s, FileProbes& probes) {
    s += ".exe";
    if (!probes.FileExists(s)) s.resize(s.size() - 4);
}

// A first ":" that is not a drive letter's (a web address, "res:", "name:value") keeps as many
// leading characters as follow the last ":"; "http://x" is left empty. Such a text holds no
// ":\" here (the loop moved any drive path to the front) and a Windows name cannot hold ":"
// (alternate data streams aside), so as it stands it names no existing file or folder.
void TrimAtLateColon(std::string& s) {
    const std::size_t firstColon = s.find(':');
    // At least three characters before the first ":" (bytes never undercount them).
    const std::string_view text(s);
    if (firstColon == kNone || firstColon < 3 || CharCount(text.substr(0, firstColon)) < 3) return;
    const std::size_t after = CharCount(text.substr(LastOf(s, ':') + 1));
    s.resize(CharOffset(s, after));
}

// "C:\x\a.dll;" names C:\x\a.dll when that exists.
void DropTrailingSemicolon(std::string& s, FileProbes& probes) {
    if (EndsWith(s, ";") && probes.FileExists(std::string_view(s).substr(0, s.size() - 1))) {
        s.pop_back();
    }
}

// "C:\x\a.dll;b;c" names C:\x\a.dll when that exists.
void CutAtSemicolonAfterExistingFile(std::string& s, FileProbes& probes) {
    const std::size_t lastBackslash = LastOf(s, '\\');
    const std::size_t semicolon = s.find(';');
    if (lastBackslash == kNone || !StandsAfter(semicolon, lastBackslash)) return;
    if (probes.FileExists(std::string_view(s).substr(0, semicolon))) s.resize(semicolon);
}

// A folder's path (with its trailing "\") and a name in it, for the one question asked about
// it. Most value data is asked this way, so the path is built on the stack when it fits.
class PathInFolder {
  public:
    PathInFolder(std::string_view folder, std::string_view subfolder, std::string_view name) {
        const std::size_t size = folder.size() + subfolder.size() + name.size();
        if (size > sizeof(buffer_)) {
            long_.reserve(size);
            long_.append(folder).append(subfolder).append(name);
            path_ = long_;
            return;
        }
        char* end = std::copy(folder.begin(), folder.end(), buffer_);
        end = std::copy(subfolder.begin(), subfolder.end(), end);
        std::copy(name.begin(), name.end(), end);
        path_ = std::string_view(buffer_, size);
    }
    PathInFolder(const PathInFolder&) = delete;
    PathInFolder& operator=(const PathInFolder&) = delete;

    std::string_view Path() const { return path_; }

  private:
    char buffer_[512];
    std::string long_;
    std::string_view path_;
};

// True when a font folder holds `name`: the context's font folders in order, or the Windows
// directory's Fonts folder when it names none.
bool InFontFolders(PathContext& context, std::string_view name) {
    if (context.FontFolders.empty()) {
        return context.Probes.FileExists(PathInFolder(context.WindowsDir, "Fonts\\", name).Path());
    }
    for (const std::string& folder : context.FontFolders) {
        if (context.Probes.FileExists(PathInFolder(folder, {}, name).Path())) return true;
    }
    return false;
}

// The whole extraction; empty text when a limit is reached.
std::string Extract(std::string_view text, FileProbes& probes) {
    // UTF-8 never takes fewer bytes than UTF-16 units, so most texts need no count.
    if (text.size() > kMaxPathText && registry::Utf16Length(text) > kMaxPathText) return {};
    std::string s = StripLeadingQuote(text);
    if (!Clean(s, probes)) return {};
    DropNumericTail(s, probes);
    AddExeWhenItExists(s, probes);
    TrimAtLateColon(s);
    DropTrailingSemicolon(s, probes);
    CutAtSemicolonAfterExistingFile(s, probes);
    return s;
}

}  // namespace

std::string ExtractPath(std::string_view text, PathContext& context) {
    std::string s = Extract(text, context.Probes);
    if (context.Signals != nullptr) context.Signals->Yield();
    return s;
}

std::int32_t PathKindOf(std::string_view text, PathContext& context) {
    return PathKindOfPath(ExtractPath(text, context), context);
}

std::int32_t PathKindOfPath(std::string_view s, PathContext& context) {
    if (!s.empty() && s.front() >= '0' && s.front() <= '9') return engine::kNotAPath;
    // The address prefixes are compared in upper case, "url://" as well as "URL://".
    if (StartsWithUpper(s, "HTTP://") || StartsWithUpper(s, "URL://")) return engine::kNotAPath;
    if (s.find(':') != LastOf(s, ':')) return engine::kNotAPath;  // more than one ":"
    // A "\" from the third character on, and "\\" anywhere.
    if (s.find('\\', CharOffset(s, 2)) != kNone && s.find("\\\\") != kNone) {
        return engine::kNetworkPath;
    }
    if (s.find(":\\") == kNone) {
        // A bare name counts as a file when a font folder holds it.
        return InFontFolders(context, s) ? engine::kFilePath : engine::kNotAPath;
    }
    if (EndsWith(s, ":\\")) return engine::kDriveRoot;
    if (StandsAfter(LastOf(s, '.'), LastOf(s, '\\'))) {
        // With an extension: a file unless a folder of that name exists.
        return context.Probes.IsDirectory(s) ? engine::kFolderPath : engine::kFilePath;
    }
    // Without one: a folder unless something of that name exists.
    return context.Probes.FileExists(s) ? engine::kFilePath : engine::kFolderPath;
}

bool IsMissing(std::string_view text, std::int32_t kind, PathContext& context) {
    return IsMissingPath(ExtractPath(text, context), kind, context);
}

bool IsMissingPath(std::string_view s, std::int32_t kind, PathContext& context) {
    FileProbes& probes = context.Probes;
    switch (kind) {
        case engine::kFolderPath:
        case engine::kDriveRoot:
            return !probes.IsDirectory(s);
        case engine::kNetworkPath:
            // The network is never asked whether the target exists. A drive path with a
            // doubled "\" (C:\App\\app.exe) is rated a network path too; Windows reads it as
            // C:\App\app.exe, so it is missing only when nothing of that name exists.
            return !probes.IsNetworkPath(s) && !probes.FileExists(s);
        default:
            if (InFontFolders(context, s)) return false;
            return !probes.FileExists(s);
    }
}

bool IsOnAbsentDrive(std::string_view path, PathContext& context) {
    if (path.size() < 2 || path[1] != ':') return false;
    const char drive = AsciiUpper(path[0]);
    return drive >= 'A' && drive <= 'Z' && !context.Probes.DrivePresent(drive);
}

}  // namespace hivewarden::scan
