// Test-side writer of shell link (.lnk) bytes: header, item-id list, link info, string data
// and extra data blocks, each optional, so tests can state exactly what a link holds. Also
// writers of the shell items a file-system item-id list is made of.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hivewarden::testing {

// UTF-16LE bytes of a text; a char16_t literal keeps non-ASCII characters exact.
std::string Utf16(std::u16string_view text);

struct LnkLinkInfo {
    bool Local = true;            // VolumeID + LocalBasePath
    std::string LocalBase;        // ANSI
    std::string Suffix;           // ANSI CommonPathSuffix
    std::uint32_t DriveType = 3;  // fixed
    std::uint32_t Serial = 0x1234ABCD;
    std::string Label;             // empty volume label by default
    bool UnicodeOffsets = false;   // header size 0x24 with the two Unicode offsets
    std::u16string UnicodeBase;    // written when UnicodeOffsets and not empty
    std::u16string UnicodeSuffix;  // written when UnicodeOffsets and not empty
    std::string NetName;           // "\\server\share": adds a network relative link
};

struct LnkEnvironment {
    std::string Ansi;
    std::u16string Unicode;
};

struct LnkSpec {
    std::uint32_t HeaderSize = 0x4C;
    std::string Clsid;                  // empty: the shell link class id
    std::uint32_t ExtraFlags = 0;       // or-ed into the computed flags
    std::uint32_t ClearFlags = 0;       // removed from them
    std::optional<std::string> IdList;  // items + terminator (see IdList())
    std::optional<LnkLinkInfo> Info;
    bool UnicodeStrings = true;
    std::vector<std::string> StringData;        // NAME, RELATIVE_PATH, ... in order (ASCII)
    std::optional<LnkEnvironment> Environment;  // 0xA0000001 block, sets HasExpString
    bool Darwin = false;                        // 0xA0000006 block, sets HasDarwinID
    bool TerminalBlock = true;
};

std::string BuildLnk(const LnkSpec& spec);

// Shell items.
std::string MyComputerItem();
std::string ControlPanelItem();
std::string VolumeItem(const std::string& drive);  // "C:\"
// A folder or file entry with an 8.3 primary name and, for version 3, 7, 8 or 9, a 0xBEEF0004
// block holding the long name; version 0 writes no block (the primary name is the long name).
std::string FileEntryItem(const std::string& shortName, std::u16string_view longName,
                          std::uint16_t version, bool isFolder);
// The items followed by the 16-bit terminator.
std::string IdList(const std::vector<std::string>& items);

}  // namespace hivewarden::testing
