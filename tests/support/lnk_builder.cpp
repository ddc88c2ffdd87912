// Shell link writer for tests, laid out as the shell link format describes.
#include "support/lnk_builder.h"

#include <string_view>

namespace hivewarden::testing {
namespace {

constexpr std::string_view kLinkClsid{
    "\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16};

void U16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void U32(std::string& out, std::uint32_t v) {
    U16(out, v & 0xFFFF);
    U16(out, v >> 16);
}

std::string LinkInfoBytes(const LnkLinkInfo& info) {
    const std::uint32_t headerSize = info.UnicodeOffsets ? 0x24 : 0x1C;
    std::string body;  // everything after the header, offsets relative to the link info
    auto here = [&] { return static_cast<std::uint32_t>(headerSize + body.size()); };
    std::uint32_t volumeOffset = 0, baseOffset = 0, netOffset = 0;
    std::uint32_t unicodeBase = 0, unicodeSuffix = 0;
    if (info.Local) {
        volumeOffset = here();
        U32(body, static_cast<std::uint32_t>(0x10 + info.Label.size() + 1));
        U32(body, info.DriveType);
        U32(body, info.Serial);
        U32(body, 0x10);
        body += info.Label + '\0';
        baseOffset = here();
        body += info.LocalBase + '\0';
    }
    if (!info.NetName.empty()) {
        netOffset = here();
        std::string link;
        U32(link, static_cast<std::uint32_t>(0x14 + info.NetName.size() + 1));
        U32(link, 0);     // no device name, no provider type
        U32(link, 0x14);  // NetNameOffset
        U32(link, 0);     // DeviceNameOffset
        U32(link, 0);     // NetworkProviderType
        body += link + info.NetName + '\0';
    }
    const std::uint32_t suffixOffset = here();
    body += info.Suffix + '\0';
    if (info.UnicodeOffsets) {
        if (info.Local && !info.UnicodeBase.empty()) {
            unicodeBase = here();
            body += Utf16(info.UnicodeBase) + std::string(2, '\0');
        }
        if (!info.UnicodeSuffix.empty()) {
            unicodeSuffix = here();
            body += Utf16(info.UnicodeSuffix) + std::string(2, '\0');
        }
    }
    std::string out;
    U32(out, headerSize + static_cast<std::uint32_t>(body.size()));
    U32(out, headerSize);
    U32(out, (info.Local ? 1u : 0u) | (info.NetName.empty() ? 0u : 2u));
    U32(out, volumeOffset);
    U32(out, baseOffset);
    U32(out, netOffset);
    U32(out, suffixOffset);
    if (info.UnicodeOffsets) {
        U32(out, unicodeBase);
        U32(out, unicodeSuffix);
    }
    return out + body;
}

std::string EnvironmentBlock(const LnkEnvironment& env) {
    std::string block;
    U32(block, 0x314);
    U32(block, 0xA0000001);
    std::string ansi = env.Ansi;
    ansi.resize(260, '\0');
    std::string unicode = Utf16(env.Unicode);
    unicode.resize(520, '\0');
    return block + ansi + unicode;
}

std::string DarwinBlock() {
    std::string block;
    U32(block, 0x314);
    U32(block, 0xA0000006);
    std::string ansi = "[ProductCode]>Feature>Component";
    ansi.resize(260, '\0');
    return block + ansi + std::string(520, '\0');
}

std::uint32_t Flags(const LnkSpec& spec) {
    std::uint32_t flags = 0;
    if (spec.IdList) flags |= 0x1;
    if (spec.Info) flags |= 0x2;
    for (std::size_t i = 0; i < spec.StringData.size() && i < 5; ++i) flags |= 0x4u << i;
    if (spec.UnicodeStrings) flags |= 0x80;
    if (spec.Environment) flags |= 0x200;
    if (spec.Darwin) flags |= 0x1000;
    return (flags | spec.ExtraFlags) & ~spec.ClearFlags;
}

}  // namespace

std::string Utf16(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) U16(out, c);
    return out;
}

std::string BuildLnk(const LnkSpec& spec) {
    std::string out;
    U32(out, spec.HeaderSize);
    out += spec.Clsid.empty() ? std::string(kLinkClsid) : spec.Clsid;
    U32(out, Flags(spec));
    U32(out, 0x20);                           // FileAttributes: archive
    out += std::string(3 * 8, '\0');          // creation, access, write times
    U32(out, 0);                              // FileSize
    U32(out, 0);                              // IconIndex
    U32(out, 1);                              // ShowCommand: normal
    out += std::string(2 + 2 + 4 + 4, '\0');  // HotKey and reserved fields
    if (spec.IdList) {
        U16(out, static_cast<std::uint32_t>(spec.IdList->size()));
        out += *spec.IdList;
    }
    if (spec.Info) out += LinkInfoBytes(*spec.Info);
    for (const std::string& s : spec.StringData) {
        U16(out, static_cast<std::uint32_t>(s.size()));
        if (spec.UnicodeStrings) {
            for (char c : s) U16(out, static_cast<unsigned char>(c));
        } else {
            out += s;
        }
    }
    if (spec.Environment) out += EnvironmentBlock(*spec.Environment);
    if (spec.Darwin) out += DarwinBlock();
    if (spec.TerminalBlock) U32(out, 0);
    return out;
}

std::string MyComputerItem() {
    std::string item;
    U16(item, 20);
    item += '\x1F';
    item += '\x50';  // sort index of My Computer
    item += std::string("\xE0\x4F\xD0\x20\xEA\x3A\x69\x10\xA2\xD8\x08\x00\x2B\x30\x30\x9D", 16);
    return item;
}

std::string ControlPanelItem() {
    std::string item;
    U16(item, 20);
    item += '\x1F';
    item += '\x70';
    // {21EC2020-3AEA-1069-A2DD-08002B30309D}
    item += std::string("\x20\x20\xEC\x21\xEA\x3A\x69\x10\xA2\xDD\x08\x00\x2B\x30\x30\x9D", 16);
    return item;
}

std::string VolumeItem(const std::string& drive) {
    std::string name = drive;
    name.resize(20, '\0');
    std::string item;
    U16(item, 25);
    item += '\x2F';
    item += name;
    U16(item, 0);
    return item;
}

std::string FileEntryItem(const std::string& shortName, std::u16string_view longName,
                          std::uint16_t version, bool isFolder) {
    std::string item;
    U16(item, 0);  // size, patched below
    item += isFolder ? '\x31' : '\x32';
    item += '\0';
    U32(item, isFolder ? 0 : 1234);  // file size
    U32(item, 0x5A3B2C1D);           // FAT date and time
    U16(item, isFolder ? 0x10 : 0x20);
    item += shortName + '\0';
    if (item.size() % 2) item += '\0';
    if (version != 0) {
        const std::size_t blockStart = item.size();
        std::string block;
        U16(block, 0);  // size, patched below
        U16(block, version);
        U32(block, 0xBEEF0004);
        U32(block, 0x5A3B2C1D);  // creation
        U32(block, 0x5A3B2C1D);  // last access
        const std::uint32_t nameOffset = version == 3   ? 20
                                         : version == 7 ? 38
                                         : version == 8 ? 42
                                                        : 46;
        U16(block, nameOffset);
        if (version >= 7) {
            U16(block, 0);
            block += std::string(8, '\x07');  // file reference
            block += std::string(8, '\0');
        }
        U16(block, 0);  // long string size: no localized name
        if (version >= 9) U32(block, 0);
        if (version >= 8) U32(block, 0);
        block += Utf16(longName) + std::string(2, '\0');
        U16(block, static_cast<std::uint32_t>(blockStart));
        block[0] = static_cast<char>(block.size() & 0xFF);
        block[1] = static_cast<char>(block.size() >> 8);
        item += block;
    }
    item[0] = static_cast<char>(item.size() & 0xFF);
    item[1] = static_cast<char>(item.size() >> 8);
    return item;
}

std::string IdList(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += item;
    U16(out, 0);
    return out;
}

}  // namespace hivewarden::testing
