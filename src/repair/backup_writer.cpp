// Backup blocks, key-tree collection and the backup file sink.
#include "repair/backup_writer.h"

#include <cstdint>
#include <limits>
#include <utility>

#include "registry/regfile.h"
#include "registry/regfile_syntax.h"
#include "registry/regfile_writer.h"

namespace hivewarden::repair {
namespace {

using registry::kRegLineEnd;

// Text is handed to the durable file in pieces of about this size.
constexpr std::size_t kWriteChunkBytes = 64 * 1024;

std::string LastComponent(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// Signed (or unsigned) 32-bit decimal text, as the access layer writes numbers.
bool ParseDecimal(std::string_view text, std::uint32_t& number) {
    bool negative = false;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
        if (value > std::numeric_limits<std::uint32_t>::max()) return false;
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min()) return false;
    number = static_cast<std::uint32_t>(value);
    return true;
}

// The byte list of a binary value's text form: "01 0A FF 00 " gives "01,0A,FF,". Empty
// when the text is not made of hex pairs (then no line is written for it).
bool ByteListFromText(std::string_view data, std::string& list) {
    list = data.size() >= 3 ? std::string(data.substr(0, data.size() - 3)) : std::string();
    for (char& c : list) {
        if (c == ' ') {
            c = ',';
        } else if (!registry::IsHexDigit(c)) {
            return false;
        }
    }
    return true;
}

void ReadValues(registry::RegistryAccess& access, registry::RootKey root, std::string_view path,
                ExportedKey& key) {
    registry::RegistryStore& store = access.Store();
    registry::KeyHandle handle = access.OpenKey(root, path);
    std::uint32_t longest = 0;
    if (!handle || !store.LongestValueName(handle.Get(), longest)) return;
    std::string name;
    for (std::uint32_t i = 0; !access.Signals().StopRequested; ++i) {
        if (!store.ValueName(handle.Get(), i, name)) break;
        registry::ValueRecord record{name, {}, 0};
        registry::RawValue raw;
        if (store.Read(handle.Get(), name, raw)) {
            registry::ValueText text = registry::ConvertValueToText(raw, access.Probes());
            record.Data = std::move(text.Data);
            record.Type = text.Type;
        }
        key.Values.push_back(std::move(record));
        key.RawValues.push_back(std::move(raw));
        access.Signals().Yield();
    }
}

ExportedKey CollectOne(std::string_view keyName, std::string_view path, registry::RootKey root,
                       registry::RegistryAccess& access) {
    ExportedKey key;
    key.KeyName = std::string(keyName);
    key.FullPath = registry::FullKeyPath(root, path);
    ReadValues(access, root, path, key);
    return key;
}

void CollectBelow(KeyTree& tree, const std::string& path, registry::RootKey root, std::size_t depth,
                  registry::RegistryAccess& access) {
    if (depth >= registry::kMaxRegKeyDepth) return;
    for (const std::string& subkey : access.EnumSubkeys(root, path)) {
        if (access.Signals().StopRequested) return;
        const std::string subPath = path.empty() ? subkey : path + "\\" + subkey;
        tree.push_back(CollectOne(subkey, subPath, root, access));
        CollectBelow(tree, subPath, root, depth + 1, access);
    }
}

}  // namespace

std::string EscapeRegText(std::string_view text) { return registry::EscapeRegString(text); }

std::string FormatValueLine(std::string_view name, std::string_view data, std::int32_t type) {
    std::string part;
    std::string error;
    switch (type) {
        case registry::kTextType:
            if (!registry::FormatValueNamePart(name, true, part, error)) return {};
            if (registry::IsQuotableText(data)) return part + "\"" + EscapeRegText(data) + "\"";
            part += registry::HexTypeTag(registry::kRegSz);
            return part + registry::FormatWrappedHexList(std::string(data) + '\0', part.size());
        case registry::kBinaryType: {
            std::string list;
            if (!ByteListFromText(data, list)) return {};
            if (!registry::FormatValueNamePart(name, false, part, error)) return {};
            return part + std::string(registry::kHexTag) + list;
        }
        case registry::kNumberType: {
            std::uint32_t number = 0;
            if (!ParseDecimal(data, number)) return {};
            if (!registry::FormatValueNamePart(name, false, part, error)) return {};
            return part + std::string(registry::kDwordTag) + registry::FormatDwordNumber(number);
        }
        default:
            return {};
    }
}

void CollectKeyTree(KeyTree& tree, std::string_view path, registry::RootKey root, bool includeSelf,
                    registry::RegistryAccess& access) {
    std::string own(path);
    if (includeSelf) {
        if (!own.empty() && own.back() == '\\') own.pop_back();
        tree.push_back(CollectOne(LastComponent(own), own, root, access));
    }
    CollectBelow(tree, own, root, 0, access);
}

bool FormatWholeKeyBlock(const KeyTree& tree, std::string& block, std::string& error) {
    block.clear();
    for (const ExportedKey& key : tree) {
        std::string section;
        if (!registry::FormatSectionLine(key.FullPath, section, error)) return false;
        block += kRegLineEnd;
        block += section;
        block += kRegLineEnd;
        for (std::size_t i = 0; i < key.Values.size(); ++i) {
            std::string line;
            if (key.Values[i].Type != 0 &&
                !registry::FormatRawValueLine(key.Values[i].Name, key.RawValues[i], line, error)) {
                error += " (in " + key.FullPath + ")";
                return false;
            }
            block += line;
            block += kRegLineEnd;
        }
    }
    block += kRegLineEnd;
    return true;
}

bool FormatValueBlock(std::string_view fullKeyPath, std::string_view valueLine,
                      bool closingEmptyLine, std::string& block, std::string& error) {
    std::string section;
    if (!registry::FormatSectionLine(fullKeyPath, section, error)) return false;
    block = section + std::string(kRegLineEnd) + std::string(valueLine) + std::string(kRegLineEnd);
    if (closingEmptyLine) block += kRegLineEnd;
    return true;
}

registry::FileStatus BackupFile::Open(const std::string& path) {
    Abandon();
    status_ = file_.Begin(path);
    open_ = status_.Ok;
    buffer_.clear();
    WriteLine(registry::kRegedit4Header);
    WriteLine("");
    return status_;
}

void BackupFile::WriteLine(std::string_view line) {
    WriteText(line);
    WriteText(kRegLineEnd);
}

void BackupFile::WriteText(std::string_view text) {
    if (!open_ || !status_) return;
    buffer_ += text;
    if (buffer_.size() >= kWriteChunkBytes) Flush();
}

void BackupFile::Flush() {
    if (status_ && !buffer_.empty()) status_ = file_.Write(buffer_);
    buffer_.clear();
}

registry::FileStatus BackupFile::Close() {
    if (!open_) {
        if (status_) status_ = registry::FileStatus::Failure("the backup file was not opened");
        return status_;
    }
    Flush();
    if (status_) status_ = file_.Commit();
    if (!status_) file_.Abandon();
    open_ = false;
    return status_;
}

void BackupFile::Abandon() {
    if (open_) file_.Abandon();
    open_ = false;
    buffer_.clear();
}

}  // namespace hivewarden::repair
