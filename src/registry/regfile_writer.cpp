// REGEDIT4 lines, hex lists and the whole-store export. Every line written here reads back
// through ParseRegFile to the same keys and values.
#include "registry/regfile_writer.h"

#include <vector>

#include "registry/regfile.h"
#include "registry/regfile_syntax.h"

namespace hivewarden::registry {
namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEF";
constexpr char kLowerDigits[] = "0123456789abcdef";

bool IsStringType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

void AppendByte(std::string& text, unsigned char byte, const char* digits) {
    text += digits[byte >> 4];
    text += digits[byte & 0x0F];
}

std::string WithoutTerminator(std::string_view bytes) {
    if (!bytes.empty() && bytes.back() == '\0') bytes.remove_suffix(1);
    return std::string(bytes);
}

bool HasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Store walking for the export: bounded by the registry's own nesting limit.
bool ExportKey(RegistryStore& store, RootKey root, const std::string& path, std::size_t depth,
               std::string& text, std::string& error);

bool ExportValues(RegistryStore& store, StoreHandle key, std::string& lines, std::string& error) {
    std::string name;
    for (std::uint32_t i = 0; store.ValueName(key, i, name); ++i) {
        RawValue value;
        if (!store.Read(key, name, value)) continue;  // gone since it was listed
        std::string line;
        if (!FormatRawValueLine(name, value, line, error)) return false;
        lines += line;
        lines += kRegLineEnd;
    }
    return true;
}

bool ExportKey(RegistryStore& store, RootKey root, const std::string& path, std::size_t depth,
               std::string& text, std::string& error) {
    if (depth > kMaxRegKeyDepth) {
        error = FullKeyPath(root, path) + ": keys nested deeper than " +
                std::to_string(kMaxRegKeyDepth) + " levels";
        return false;
    }
    const StoreHandle key = store.Open(root, path);
    if (key == 0) return true;  // vanished or unreadable: nothing to export
    std::string values;
    std::vector<std::string> children;
    bool ok = ExportValues(store, key, values, error);
    std::string name;
    for (std::uint32_t i = 0; ok && store.SubkeyName(key, i, name); ++i) children.push_back(name);
    store.Close(key);
    if (!ok) return false;
    if (!path.empty() || !values.empty()) {
        std::string section;
        if (!FormatSectionLine(FullKeyPath(root, path), section, error)) return false;
        text += kRegLineEnd;
        text += section;
        text += kRegLineEnd;
        text += values;
    }
    for (const std::string& child : children) {
        const std::string childPath = path.empty() ? child : path + "\\" + child;
        if (!ExportKey(store, root, childPath, depth + 1, text, error)) return false;
    }
    return true;
}

}  // namespace

std::string FullKeyPath(RootKey root, std::string_view path) {
    std::string full = RootName(root);
    if (full.empty()) return full;
    if (!path.empty()) {
        full += '\\';
        full += path;
    }
    return full;
}

bool FormatSectionLine(std::string_view fullKeyPath, std::string& line, std::string& error) {
    const std::size_t slash = fullKeyPath.find('\\');
    const std::string_view rootName = fullKeyPath.substr(0, slash);
    if (!RootFromName(rootName)) {
        error = "key " + QuoteSnippet(fullKeyPath) + " does not start with a root key's name";
        return false;
    }
    if (slash != std::string_view::npos) {
        const std::string_view path = fullKeyPath.substr(slash + 1);
        if (path.empty() || path.front() == '\\' || path.back() == '\\' ||
            path.find("\\\\") != std::string_view::npos) {
            error = "key " + QuoteSnippet(fullKeyPath) + " has an empty name component";
            return false;
        }
        if (HasLineBreakOrNul(path)) {
            error = "key " + QuoteSnippet(fullKeyPath) +
                    " has a line break or NUL character in its name";
            return false;
        }
    }
    line = "[" + std::string(fullKeyPath) + "]";
    return true;
}

bool IsQuotableText(std::string_view text) { return !HasLineBreakOrNul(text); }

bool FormatValueNamePart(std::string_view name, bool atForDefault, std::string& part,
                         std::string& error) {
    if (name.empty() && atForDefault) {
        part = "@=";
        return true;
    }
    if (name.find('\0') != std::string_view::npos) {
        error = "value name " + QuoteSnippet(name) + " holds a NUL character";
        return false;
    }
    part = "\"";
    for (char c : EscapeRegString(name)) {
        if (c == '\r') {
            part += "\\r";
        } else if (c == '\n') {
            part += "\\n";
        } else {
            part += c;
        }
    }
    part += "\"=";
    return true;
}

std::string FormatShortHexList(std::string_view bytes) {
    std::string list;
    list.reserve(bytes.size() * 3);
    for (char c : bytes) {
        AppendByte(list, static_cast<unsigned char>(c), kUpperDigits);
        list += ',';
    }
    return list;
}

std::string FormatWrappedHexList(std::string_view bytes, std::size_t column) {
    std::string list;
    list.reserve(bytes.size() * 3 + bytes.size() / 8);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        AppendByte(list, static_cast<unsigned char>(bytes[i]), kLowerDigits);
        if (i + 1 == bytes.size()) break;
        list += ',';
        column += 3;
        if (column >= kHexWrapColumn) {
            list += kHexContinuation;
            column = 2;
        }
    }
    return list;
}

std::string FormatDwordNumber(std::uint32_t number) {
    std::string digits;
    do {
        digits.insert(digits.begin(), kUpperDigits[number & 0x0F]);
        number >>= 4;
    } while (number != 0);
    return digits;
}

std::string HexTypeTag(std::uint32_t type) {
    if (type == kRegBinary) return std::string(kHexTag);
    std::string digits;
    do {
        digits.insert(digits.begin(), kLowerDigits[type & 0x0F]);
        type >>= 4;
    } while (type != 0);
    return std::string(kHexTypeTag) + digits + "):";
}

bool FormatRawValueLine(std::string_view name, const RawValue& value, std::string& line,
                        std::string& error) {
    std::string part;
    if (!FormatValueNamePart(name, IsStringType(value.Type), part, error)) return false;
    const std::string_view bytes = value.Bytes;
    if (value.Type == kRegSz) {
        const std::string text = WithoutTerminator(bytes);
        if (IsQuotableText(text)) {
            line = part + "\"" + EscapeRegString(text) + "\"";
            return true;
        }
    }
    if (value.Type == kRegDword && bytes.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(bytes[i]);
        line = part + std::string(kDwordTag) + FormatDwordNumber(number);
        return true;
    }
    if (value.Type == kRegBinary && bytes.size() <= kShortHexMaxBytes) {
        line = part + std::string(kHexTag) + FormatShortHexList(bytes);
        return true;
    }
    line = part + HexTypeTag(value.Type);
    line += FormatWrappedHexList(bytes, line.size());
    return true;
}

RawValue ImportedValue(const RawValue& value) {
    RawValue imported = value;
    if (IsStringType(value.Type) && (value.Bytes.empty() || value.Bytes.back() != '\0')) {
        imported.Bytes += '\0';
    }
    return imported;
}

bool ExportStoreText(RegistryStore& store, std::string& text, std::string& error) {
    text = std::string(kRegedit4Header) + std::string(kRegLineEnd);
    for (const RootInfo& root : kRootTable) {
        if (!ExportKey(store, root.Handle, "", 0, text, error)) return false;
    }
    text += kRegLineEnd;
    return true;
}

FileStatus ExportStoreToFile(RegistryStore& store, const std::string& path, DurableFile& file) {
    std::string text;
    std::string error;
    if (!ExportStoreText(store, text, error)) {
        return FileStatus::Failure("cannot export the registry to " + path + ": " + error);
    }
    FileStatus status = file.Begin(path);
    if (status) status = file.Write(text);
    if (status) status = file.Commit();
    if (!status) file.Abandon();
    return status;
}

}  // namespace hivewarden::registry
