// Backup blocks, key-tree collection and the backup file sink.
#include "repair/backup_writer.h"

#include <cstdint>
#include <limits>
#include <utility>

#include "regfile/regfile.h"
#include "regfile/regfile_syntax.h"
#include "text/text.h"
#include "text/unicode.h"

namespace hivewarden::repair {
namespace {

using registry::kRegLineEnd;

// Text is handed to the durable file in pieces of about this size.
constexpr std::size_t kWriteChunkBytes = 64 * 1024;

// The ending of a backup's file name, kept after the number of a next free name.
constexpr std::string_view kBackupSuffix = ".reg";
// Numbered names tried before the file is given up as unnameable.
constexpr int kMaxNameNumber = 10000;

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

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

// The bytes of a binary value's text form: pairs each followed by a blank, the final pair
// being the extra one the text form adds ("01 0A FF 00 " gives 01 0A FF).
bool BytesFromHexPairs(std::string_view data, std::string& bytes) {
    if (data.size() % 3 != 0 || data.empty()) return false;
    bytes.clear();
    for (std::size_t i = 0; i < data.size(); i += 3) {
        if (!registry::IsHexDigit(data[i]) || !registry::IsHexDigit(data[i + 1]) ||
            data[i + 2] != ' ') {
            return false;
        }
        bytes += static_cast<char>(HexDigitValue(data[i]) * 16 + HexDigitValue(data[i + 1]));
    }
    bytes.pop_back();
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
                  registry::RegistryAccess& access, const WrittenKeys& skip) {
    if (depth >= registry::kMaxRegKeyDepth) return;
    for (const std::string& subkey : access.EnumSubkeys(root, path)) {
        if (access.Signals().StopRequested) return;
        const std::string subPath = path.empty() ? subkey : path + "\\" + subkey;
        if (!skip.Empty() && skip.Holds(root, subPath)) continue;
        tree.push_back(CollectOne(subkey, subPath, root, access));
        CollectBelow(tree, subPath, root, depth + 1, access, skip);
    }
}

std::string WithoutTrailingSlash(std::string_view path) {
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    return std::string(path);
}

std::string KeyId(registry::RootKey root, std::string_view upperPath) {
    std::string id = std::to_string(root);
    id += ':';
    id += upperPath;
    return id;
}

}  // namespace

std::string EscapeRegText(std::string_view text) { return registry::EscapeRegString(text); }

std::optional<registry::RawValue> ValueFromTextForm(std::string_view data, std::int32_t type) {
    switch (type) {
        case registry::kTextType: {
            std::string bytes = Utf16LeFromUtf8(data);
            bytes.append(2, '\0');
            return registry::RawValue{registry::kRegSz, std::move(bytes)};
        }
        case registry::kBinaryType: {
            std::string bytes;
            if (!BytesFromHexPairs(data, bytes)) return std::nullopt;
            return registry::RawValue{registry::kRegBinary, std::move(bytes)};
        }
        case registry::kNumberType: {
            std::uint32_t number = 0;
            if (!ParseDecimal(data, number)) return std::nullopt;
            std::string bytes(4, '\0');
            for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
            return registry::RawValue{registry::kRegDword, std::move(bytes)};
        }
        default:
            return std::nullopt;
    }
}

void WrittenKeys::Add(registry::RootKey root, std::string_view path) {
    keys_.insert(KeyId(root, ToUpper(WithoutTrailingSlash(path))));
}

bool WrittenKeys::Holds(registry::RootKey root, std::string_view path) const {
    return keys_.count(KeyId(root, ToUpper(WithoutTrailingSlash(path)))) != 0;
}

bool WrittenKeys::Covers(registry::RootKey root, std::string_view path) const {
    if (keys_.empty()) return false;
    // Upper-casing keeps every "\", so each prefix that ends before one is an ancestor's key.
    const std::string upper = ToUpper(WithoutTrailingSlash(path));
    for (std::size_t end = upper.find('\\'); end != std::string::npos;
         end = upper.find('\\', end + 1)) {
        if (keys_.count(KeyId(root, std::string_view(upper).substr(0, end)))) return true;
    }
    return keys_.count(KeyId(root, upper)) != 0;
}

void CollectKeyTree(KeyTree& tree, std::string_view path, registry::RootKey root, bool includeSelf,
                    registry::RegistryAccess& access) {
    CollectKeyTree(tree, path, root, includeSelf, access, WrittenKeys());
}

void CollectKeyTree(KeyTree& tree, std::string_view path, registry::RootKey root, bool includeSelf,
                    registry::RegistryAccess& access, const WrittenKeys& skip) {
    std::string own(path);
    if (includeSelf) {
        own = WithoutTrailingSlash(own);
        tree.push_back(CollectOne(LastComponent(own), own, root, access));
    }
    CollectBelow(tree, own, root, 0, access, skip);
}

bool AddWholeKeyBlock(const KeyTree& tree, registry::RegLines& lines, std::string& error) {
    registry::RegLines block;
    for (const ExportedKey& key : tree) {
        block.AddEmpty();
        if (!block.AddKey(key.FullPath, error)) return false;
        for (std::size_t i = 0; i < key.Values.size(); ++i) {
            if (key.Values[i].Type == 0) {
                block.AddEmpty();
            } else if (!block.AddValue(key.Values[i].Name, key.RawValues[i], error)) {
                error += " (in " + key.FullPath + ")";
                return false;
            }
        }
    }
    block.AddEmpty();
    lines.Append(std::move(block));
    return true;
}

bool AddValueBlock(std::string_view fullKeyPath, std::string_view name,
                   const std::optional<registry::RawValue>& value, bool closingEmptyLine,
                   registry::RegLines& lines, std::string& error) {
    registry::RegLines block;
    if (!block.AddKey(fullKeyPath, error)) return false;
    if (!value) {
        block.AddEmpty();
    } else if (!block.AddValue(name, *value, error)) {
        return false;
    }
    if (closingEmptyLine) block.AddEmpty();
    lines.Append(std::move(block));
    return true;
}

registry::FileStatus BackupFile::Open(const std::string& path, bool nextFreeName) {
    Abandon();
    path_ = path;
    nextFreeName_ = nextFreeName;
    status_ = file_.Begin(path);
    open_ = status_.Ok;
    return status_;
}

void BackupFile::EndValueGroup() {
    if (groupKey_.empty()) return;
    if (groupEmptyLine_) lines_.AddEmpty();
    groupKey_.clear();
    groupEmptyLine_ = false;
}

void BackupFile::Add(registry::RegLines&& block) {
    if (!open_ || !status_) return;
    EndValueGroup();
    lines_.Append(std::move(block));
}

void BackupFile::AddEmptyLine() {
    if (!open_ || !status_) return;
    EndValueGroup();
    lines_.AddEmpty();
}

bool BackupFile::AddWholeKey(registry::RootKey root, std::string_view path,
                             registry::RegistryAccess& access, std::string& error) {
    const std::string own = WithoutTrailingSlash(path);
    if (written_.Covers(root, own)) return true;  // the file holds this subtree already
    KeyTree tree;
    CollectKeyTree(tree, own, root, true, access, written_);
    registry::RegLines block;
    if (!AddWholeKeyBlock(tree, block, error)) return false;
    Add(std::move(block));
    written_.Add(root, own);
    return true;
}

bool BackupFile::AddValue(std::string_view fullKeyPath, std::string_view name,
                          const std::optional<registry::RawValue>& value, bool closingEmptyLine,
                          std::string& error) {
    registry::RegLines lines;
    if (!groupKey_.empty() && EqualsNoCase(groupKey_, fullKeyPath)) {
        if (!value) {
            lines.AddEmpty();
        } else if (!lines.AddValue(name, *value, error)) {
            return false;
        }
        if (open_ && status_) lines_.Append(std::move(lines));
        groupEmptyLine_ = closingEmptyLine;
        return true;
    }
    if (!AddValueBlock(fullKeyPath, name, value, false, lines, error)) return false;
    Add(std::move(lines));
    groupKey_ = std::string(fullKeyPath);
    groupEmptyLine_ = closingEmptyLine;
    return true;
}

registry::FileStatus BackupFile::Close() {
    if (!open_) {
        if (status_) status_ = registry::FileStatus::Failure("the backup file was not opened");
        return status_;
    }
    EndValueGroup();
    format_ = ansi_ ? registry::ChooseFormat(lines_, *ansi_) : registry::RegWriteFormat::Version5();
    // The header, an empty line, then every block.
    std::string bytes = registry::RegFileStart(format_);
    std::string text(kRegLineEnd);
    for (const registry::RegLine& line : lines_.Lines()) {
        text += registry::FormatRegLine(line, format_);
        text += kRegLineEnd;
        if (text.size() < kWriteChunkBytes) continue;
        bytes += registry::EncodeRegText(text, format_);
        text.clear();
        status_ = file_.Write(bytes);
        bytes.clear();
        if (!status_) break;
    }
    if (status_) status_ = file_.Write(bytes + registry::EncodeRegText(text, format_));
    if (status_) status_ = CommitUnderFreeName();
    if (!status_) file_.Abandon();
    open_ = false;
    Reset();
    return status_;
}

registry::FileStatus BackupFile::CommitUnderFreeName() {
    registry::FileStatus status = file_.CommitNew(path_);
    if (!nextFreeName_) return status;
    const bool hasSuffix =
        path_.size() >= kBackupSuffix.size() &&
        EqualsNoCase(std::string_view(path_).substr(path_.size() - kBackupSuffix.size()),
                     kBackupSuffix);
    const std::size_t stemEnd = path_.size() - (hasSuffix ? kBackupSuffix.size() : 0);
    const std::string stem = path_.substr(0, stemEnd);
    const std::string suffix = path_.substr(stemEnd);
    for (int number = 2; !status && status.Exists && number <= kMaxNameNumber; ++number) {
        const std::string next = stem + "-" + std::to_string(number) + suffix;
        status = file_.CommitNew(next);
        if (status) path_ = next;
    }
    return status;
}

void BackupFile::Abandon() {
    if (open_) file_.Abandon();
    open_ = false;
    Reset();
}

void BackupFile::Reset() {
    lines_.Clear();
    written_ = WrittenKeys();
    groupKey_.clear();
    groupEmptyLine_ = false;
}

std::unique_ptr<CodePage> SystemBackupCodePage() {
    std::string error;
    return OpenCodePage(SystemAnsiCodePage(), error);
}

}  // namespace hivewarden::repair
