// .reg operations as readable text ("set HKEY_CURRENT_USER\T "v" type 1 [41 00 00 00]"), so
// that a failing comparison of reader output shows what differs; and version 5 file bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "regfile/regfile.h"
#include "store/roots.h"

namespace hivewarden::testing {

// A version 5 file: BOM FF FE, then the text as UTF-16LE code units.
inline std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

inline std::string HexText(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (!text.empty()) text += ' ';
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

inline std::string KeyText(registry::RootKey root, const std::string& path) {
    std::string text = registry::RootName(root);
    return path.empty() ? text : text + "\\" + path;
}

inline std::string Describe(const registry::RegOperation& op) {
    using registry::RegOperationKind;
    switch (op.Kind) {
        case RegOperationKind::CreateKey:
            return "key " + KeyText(op.Root, op.Path);
        case RegOperationKind::DeleteKey:
            return "delete key " + KeyText(op.Root, op.Path);
        case RegOperationKind::SetValue:
            return "set " + KeyText(op.Root, op.Path) + " \"" + op.Name + "\" type " +
                   std::to_string(op.Value.Type) + " [" + HexText(op.Value.Bytes) + "]";
        case RegOperationKind::DeleteValue:
            return "delete value " + KeyText(op.Root, op.Path) + " \"" + op.Name + "\"";
    }
    return "?";
}

inline std::vector<std::string> Describe(const std::vector<registry::RegOperation>& ops) {
    std::vector<std::string> lines;
    for (const registry::RegOperation& op : ops) lines.push_back(Describe(op));
    return lines;
}

}  // namespace hivewarden::testing
