// Shell link target reading. Every offset and length is checked against the bytes it points
// into (the file, or the link-info structure for link-info offsets) before it is used; any
// inconsistency makes the whole link unreadable rather than half-read. Unicode fields become
// UTF-8 as they are; ANSI fields are read in the given code page.
#include "scan/shortcuts/shortcut_target.h"

#include <cstdint>
#include <optional>

#include "text/unicode.h"
#include "scan/shortcuts/byte_span.h"
#include "scan/shortcuts/shell_item_path.h"

namespace hivewarden::scan {
namespace {

constexpr std::uint32_t kHeaderSize = 0x4C;
// {00021401-0000-0000-C000-000000000046} as stored on disk.
constexpr std::string_view kLinkClsid{
    "\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16};
constexpr std::size_t kFlagsOffset = 0x14;

constexpr std::uint32_t kHasLinkTargetIdList = 0x1;
constexpr std::uint32_t kHasLinkInfo = 0x2;
constexpr std::uint32_t kIsUnicode = 0x80;
constexpr std::uint32_t kForceNoLinkInfo = 0x100;
constexpr std::uint32_t kHasExpString = 0x200;
constexpr std::uint32_t kHasDarwinId = 0x1000;
// Name, relative path, working folder, arguments, icon location: the string data, in file order.
constexpr std::uint32_t kStringDataFlags[] = {0x4, 0x8, 0x10, 0x20, 0x40};

// Link info: header fields and flags.
constexpr std::uint32_t kLinkInfoMinHeader = 0x1C;      // without the Unicode offsets
constexpr std::uint32_t kLinkInfoUnicodeHeader = 0x24;  // with them
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr std::uint32_t kVolumeIdMinSize = 0x11;
constexpr std::uint32_t kDriveFixed = 3;

// Extra data blocks.
constexpr std::uint32_t kEnvironmentBlock = 0xA0000001;
constexpr std::uint32_t kDarwinBlock = 0xA0000006;
constexpr std::size_t kEnvironmentBlockSize = 0x314;
constexpr std::size_t kEnvironmentAnsiOffset = 8;
constexpr std::size_t kEnvironmentAnsiSize = 260;
constexpr std::size_t kEnvironmentUnicodeOffset = kEnvironmentAnsiOffset + kEnvironmentAnsiSize;
constexpr std::size_t kEnvironmentUnicodeSize = 520;
constexpr std::size_t kBlockHeader = 8;  // size u32, signature u32
constexpr std::uint32_t kTerminalBlockBelow = 4;

// What the walk over the file found.
struct LinkParts {
    std::string IdListPath;     // rebuilt from the item-id list; empty when none
    bool UsesLinkInfo = false;  // link info present and not to be ignored
    std::string LinkInfoPath;   // local path from link info; empty when not a fixed drive
    bool LinkInfoIsAnsi = false;  // LinkInfoPath holds no Unicode copy, only the ANSI one
    std::string Environment;    // unexpanded environment-variable target
    bool Advertised = false;    // installer-advertised: no file path to check
};

// A NUL-terminated string of the link info at a non-zero offset past its header.
std::optional<std::string> LinkInfoAnsi(ByteSpan info, std::uint32_t headerSize,
                                        std::uint32_t offset, const CodePage& codePage) {
    if (offset < headerSize) return std::nullopt;
    const auto text = info.AnsiZ(offset);
    if (!text) return std::nullopt;
    return codePage.ToUtf8(*text);
}

std::optional<std::string> LinkInfoUnicode(ByteSpan info, std::uint32_t headerSize,
                                           std::uint32_t offset) {
    if (offset < headerSize) return std::nullopt;
    const auto text = info.Utf16Z(offset);
    if (!text) return std::nullopt;
    return Utf8FromUtf16Le(*text);
}

// The local base path + common path suffix, preferring the Unicode copies when present (the
// shell writes them when the ANSI copies lost characters). The empty text for targets that
// are not on a fixed drive (network, removable, CD-ROM): their absence proves nothing.
// Nothing when the structure is damaged. ansiOnly tells whether the base path had no Unicode
// copy.
std::optional<std::string> ReadLinkInfo(ByteSpan info, const CodePage& codePage, bool& ansiOnly) {
    ansiOnly = true;
    const auto headerSize = info.U32(4);
    const auto flags = info.U32(8);
    const auto volumeOffset = info.U32(12);
    const auto baseOffset = info.U32(16);
    const auto suffixOffset = info.U32(24);
    if (!headerSize || !flags || !volumeOffset || !baseOffset || !suffixOffset) return std::nullopt;
    if (*headerSize != kLinkInfoMinHeader && *headerSize < kLinkInfoUnicodeHeader) {
        return std::nullopt;
    }
    if (*headerSize > info.Size()) return std::nullopt;
    if (!(*flags & kVolumeIdAndLocalBasePath)) return std::string();  // network only

    const auto volumeSize = info.U32(*volumeOffset);
    const auto driveType = info.U32(*volumeOffset + 4);
    if (*volumeOffset < *headerSize || !volumeSize || *volumeSize < kVolumeIdMinSize ||
        !info.Has(*volumeOffset, *volumeSize) || !driveType) {
        return std::nullopt;
    }
    auto base = LinkInfoAnsi(info, *headerSize, *baseOffset, codePage);
    auto suffix = LinkInfoAnsi(info, *headerSize, *suffixOffset, codePage);
    if (!base || !suffix) return std::nullopt;
    if (*headerSize >= kLinkInfoUnicodeHeader) {
        const auto unicodeBase = info.U32(0x1C);
        const auto unicodeSuffix = info.U32(0x20);
        if (!unicodeBase || !unicodeSuffix) return std::nullopt;
        if (*unicodeBase != 0) {
            ansiOnly = false;
            // A Unicode copy without its terminator leaves the target unknown.
            base = LinkInfoUnicode(info, *headerSize, *unicodeBase);
            if (!base) return std::string();
            if (*unicodeSuffix != 0) {
                suffix = LinkInfoUnicode(info, *headerSize, *unicodeSuffix);
                if (!suffix) return std::string();
            }
        }
    }
    if (*driveType != kDriveFixed) return std::string();
    return *base + *suffix;
}

// The environment block's target: the Unicode copy, else the ANSI one.
std::string ReadEnvironmentBlock(ByteSpan block, const CodePage& codePage) {
    const ByteSpan ansi = block.Sub(kEnvironmentAnsiOffset, kEnvironmentAnsiSize);
    const ByteSpan unicode = block.Sub(kEnvironmentUnicodeOffset, kEnvironmentUnicodeSize);
    if (const auto text = unicode.Utf16Z(0); text && !text->empty()) {
        return Utf8FromUtf16Le(*text);
    }
    if (const auto text = ansi.AnsiZ(0)) return codePage.ToUtf8(*text);
    return {};
}

// Skips the string data; false when it runs past the end of the file.
bool SkipStringData(ByteSpan file, std::uint32_t linkFlags, std::size_t& offset) {
    const std::size_t charSize = (linkFlags & kIsUnicode) ? 2 : 1;
    for (const std::uint32_t flag : kStringDataFlags) {
        if (!(linkFlags & flag)) continue;
        const auto count = file.U16(offset);
        if (!count || !file.Has(offset + 2, *count * charSize)) return false;
        offset += 2 + *count * charSize;
    }
    return true;
}

// Reads the extra data blocks up to the terminal block; false when the chain is damaged or has
// no terminal block inside the file.
bool ReadExtraData(ByteSpan file, std::size_t offset, std::uint32_t linkFlags,
                   const CodePage& codePage, LinkParts& parts) {
    for (;;) {
        const auto size = file.U32(offset);
        if (!size) return false;
        if (*size < kTerminalBlockBelow) return true;
        if (*size < kBlockHeader || !file.Has(offset, *size)) return false;
        const ByteSpan block = file.Sub(offset, *size);
        const std::uint32_t signature = *block.U32(4);
        if (signature == kDarwinBlock) parts.Advertised = true;
        if (signature == kEnvironmentBlock && (linkFlags & kHasExpString)) {
            if (block.Size() < kEnvironmentBlockSize) return false;
            parts.Environment = ReadEnvironmentBlock(block, codePage);
        }
        offset += *size;
    }
}

// Walks the whole link; nothing when any part of it is damaged or truncated.
std::optional<LinkParts> ReadLinkParts(ByteSpan file, const CodePage& codePage) {
    if (file.U32(0) != kHeaderSize || !file.Has(0, kHeaderSize)) return std::nullopt;
    if (file.Bytes().substr(4, kLinkClsid.size()) != kLinkClsid) return std::nullopt;
    const std::uint32_t flags = *file.U32(kFlagsOffset);

    LinkParts parts;
    parts.Advertised = (flags & kHasDarwinId) != 0;
    std::size_t offset = kHeaderSize;
    if (flags & kHasLinkTargetIdList) {
        const auto size = file.U16(offset);
        if (!size || !file.Has(offset + 2, *size)) return std::nullopt;
        parts.IdListPath = PathFromIdList(file.Sub(offset + 2, *size), codePage);
        offset += 2 + *size;
    }
    if (flags & kHasLinkInfo) {
        const auto size = file.U32(offset);
        if (!size || *size < kLinkInfoMinHeader || !file.Has(offset, *size)) return std::nullopt;
        if (!(flags & kForceNoLinkInfo)) {
            const auto path = ReadLinkInfo(file.Sub(offset, *size), codePage, parts.LinkInfoIsAnsi);
            if (!path) return std::nullopt;
            parts.UsesLinkInfo = true;
            parts.LinkInfoPath = *path;
        }
        offset += *size;
    }
    if (!SkipStringData(file, flags, offset)) return std::nullopt;
    if (!ReadExtraData(file, offset, flags, codePage, parts)) return std::nullopt;
    return parts;
}

// "X:\..." with nothing in it that a Windows file name cannot hold. Anything else (UNC paths,
// relative names, URLs, "?" left by a lossy code-page conversion) is not a checkable target.
// Characters beyond ASCII are all allowed.
bool IsLocalPath(std::string_view path) {
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\') return false;
    const char drive = path[0];
    if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z'))) return false;
    for (std::size_t i = 2; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (c < 0x20 ||
            std::string_view("<>\"|?*:/").find(static_cast<char>(c)) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

// The order of preference: the environment form (what the shell resolves first), then the
// link info's path, then the path rebuilt from the item-id list when there is no link info.
std::string ChooseTarget(const LinkParts& parts, registry::FileProbes& probes,
                         const CodePage& codePage) {
    if (!parts.Environment.empty()) {
        std::string expanded = probes.ExpandEnvironment(parts.Environment);
        // A reference left unexpanded names no real file on this machine.
        if (expanded.find('%') == std::string::npos && IsLocalPath(expanded)) return expanded;
    }
    const bool idListUsable = IsLocalPath(parts.IdListPath);
    if (!parts.UsesLinkInfo) return idListUsable ? parts.IdListPath : std::string();
    // A link info without Unicode copies spells the path as the code page could: "?" or a
    // look-alike where it lacks a character. The item-id list keeps the names in UTF-16; when
    // the code page cannot hold them, the ANSI copy lost something and the list is right.
    if (parts.LinkInfoIsAnsi && idListUsable && !codePage.Holds(parts.IdListPath)) {
        return parts.IdListPath;
    }
    return IsLocalPath(parts.LinkInfoPath) ? parts.LinkInfoPath : std::string();
}

}  // namespace

std::string GetShortcutTarget(std::string_view fileBytes, registry::FileProbes& probes,
                              const CodePage& codePage) {
    const std::optional<LinkParts> parts = ReadLinkParts(ByteSpan(fileBytes), codePage);
    if (!parts || parts->Advertised) return {};
    return ChooseTarget(*parts, probes, codePage);
}

std::string GetShortcutTargetOfFile(std::string_view linkPath, registry::FileProbes& probes,
                                    const CodePage& codePage) {
    std::string bytes;
    if (!probes.ReadWholeFile(linkPath, kMaxShortcutFileSize, bytes)) return {};
    return GetShortcutTarget(bytes, probes, codePage);
}

std::string StripNulls(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

}  // namespace hivewarden::scan
