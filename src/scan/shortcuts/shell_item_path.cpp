// Shell item list decoding, limited to the three item kinds a plain file path is made of.
// Item layouts follow the public analysis of the shell item format (libfwsi documentation).
#include "scan/shortcuts/shell_item_path.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "text/unicode.h"

namespace hivewarden::scan {
namespace {

constexpr std::uint8_t kRootFolderItem = 0x1F;
constexpr std::uint8_t kKindMask = 0x70;
constexpr std::uint8_t kVolumeKind = 0x20;
constexpr std::uint8_t kVolumeHasName = 0x01;
constexpr std::uint8_t kFileEntryKind = 0x30;
constexpr std::uint8_t kFileEntryUnicode = 0x04;

// {20D04FE0-3AEA-1069-A2D8-08002B30309D} (My Computer) as stored on disk.
constexpr std::string_view kMyComputerClsid{
    "\xE0\x4F\xD0\x20\xEA\x3A\x69\x10\xA2\xD8\x08\x00\x2B\x30\x30\x9D", 16};

// File entry items: fixed part before the primary name.
constexpr std::size_t kPrimaryNameOffset = 14;
// Extension block 0xBEEF0004 carries the entry's long name in UTF-16.
constexpr std::uint32_t kFileEntryExtension = 0xBEEF0004;
constexpr std::size_t kExtensionHeader = 8;  // size u16, version u16, signature u32

// Where the long name starts inside block 0xBEEF0004, by block version: Windows XP/2003,
// Vista, 7/8.0, 8.1 and later.
struct LongNameLayout {
    std::uint16_t Version;
    std::size_t Offset;
};
constexpr LongNameLayout kLongNameLayouts[] = {{3, 20}, {7, 38}, {8, 42}, {9, 46}};

// 0 for versions whose layout is not known.
std::size_t LongNameOffset(std::uint16_t version) {
    for (const LongNameLayout& layout : kLongNameLayouts) {
        if (layout.Version == version) return layout.Offset;
    }
    return 0;
}

// The long name from a 0xBEEF0004 block starting at `start`; nothing when there is no such
// block there or it cannot be read.
std::optional<std::string> LongNameAt(ByteSpan item, std::size_t start) {
    const auto size = item.U16(start);
    const auto version = item.U16(start + 2);
    const auto signature = item.U32(start + 4);
    if (!size || !version || signature != kFileEntryExtension) return std::nullopt;
    const ByteSpan block = item.Sub(start, *size);
    const std::size_t nameOffset = LongNameOffset(*version);
    if (block.Size() < kExtensionHeader || nameOffset == 0) return std::nullopt;
    const auto name = block.Utf16Z(nameOffset);
    if (!name || name->empty()) return std::nullopt;
    return Utf8FromUtf16Le(*name);
}

constexpr std::string_view kExtensionSignature{"\x04\x00\xEF\xBE", 4};

// The block usually follows the primary name at the next even offset; some writers put more
// names in between, so the rest of the item is searched for the signature as well.
std::optional<std::string> FindLongName(ByteSpan item, std::size_t from) {
    if (auto name = LongNameAt(item, from + from % 2)) return name;
    const std::string_view bytes = item.Bytes();
    for (std::size_t at = bytes.find(kExtensionSignature, from); at != std::string_view::npos;
         at = bytes.find(kExtensionSignature, at + 1)) {
        if (at >= from + 4) {
            if (auto name = LongNameAt(item, at - 4)) return name;
        }
    }
    return std::nullopt;
}

bool HasExtensionSignature(ByteSpan item, std::size_t from) {
    return from <= item.Size() &&
           item.Bytes().find(kExtensionSignature, from) != std::string_view::npos;
}

// A single path component: not empty, not "." or "..", no separator.
bool IsComponent(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("\\/") == std::string_view::npos;
}

// The name of a folder or file entry: its long name when the item carries one, else the
// primary name (which holds the long name in items written before Windows XP; in the ANSI
// code page unless the item says it is UTF-16).
std::optional<std::string> EntryName(ByteSpan item, std::uint8_t type, const CodePage& codePage) {
    if (type & kFileEntryUnicode) {
        const auto name = item.Utf16Z(kPrimaryNameOffset);
        if (!name || name->empty()) return std::nullopt;
        return Utf8FromUtf16Le(*name);
    }
    const auto primary = item.AnsiZ(kPrimaryNameOffset);
    if (!primary || primary->empty()) return std::nullopt;
    const std::size_t after = kPrimaryNameOffset + primary->size() + 1;
    if (auto longName = FindLongName(item, after)) return longName;
    // A long-name block in a layout not understood: the primary name may be only the short
    // name, which not every file system resolves, so the entry stays unknown.
    if (HasExtensionSignature(item, after)) return std::nullopt;
    return codePage.ToUtf8(*primary);
}

// "X:\" from a volume item that carries its name.
std::optional<std::string> VolumeName(ByteSpan item, std::uint8_t type) {
    if ((type & kKindMask) != kVolumeKind || !(type & kVolumeHasName)) return std::nullopt;
    const auto name = item.AnsiZ(3);
    if (!name || name->size() != 3) return std::nullopt;
    const char letter = (*name)[0];
    const bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
    if (!isLetter || (*name)[1] != ':' || (*name)[2] != '\\') return std::nullopt;
    return std::string(*name);
}

bool IsMyComputer(ByteSpan item, std::uint8_t type) {
    return type == kRootFolderItem && item.Has(4, 16) &&
           item.Bytes().substr(4, 16) == kMyComputerClsid;
}

}  // namespace

std::string PathFromIdList(ByteSpan items, const CodePage& codePage) {
    std::string path;
    std::size_t offset = 0;
    for (int position = 0;; ++position) {
        const auto size = items.U16(offset);
        if (!size) return {};  // no terminator inside the list
        if (*size == 0) break;
        // Every item has at least its size and its type byte.
        if (*size < 3 || !items.Has(offset, *size)) return {};
        const ByteSpan item = items.Sub(offset, *size);
        const std::uint8_t type = *item.U8(2);
        offset += *size;
        if (position == 0) {
            if (!IsMyComputer(item, type)) return {};
        } else if (position == 1) {
            const auto volume = VolumeName(item, type);
            if (!volume) return {};
            path = *volume;
        } else {
            if ((type & kKindMask) != kFileEntryKind) return {};
            const auto name = EntryName(item, type, codePage);
            if (!name || !IsComponent(*name)) return {};
            if (path.back() != '\\') path += '\\';
            path += *name;
        }
    }
    return path;
}

}  // namespace hivewarden::scan
