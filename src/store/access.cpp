// The access operations over any RegistryStore. Every failure below is absorbed: a key that
// cannot be opened reads as empty, a write or delete that fails is skipped.
#include "store/access.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

#include "text/unicode.h"

namespace hivewarden::registry {
namespace {

// Keys nest at most 512 levels on Windows; a deeper chain can only come from a broken store.
constexpr int kMaxKeyDepth = 512;
// The text form of a binary value shows at most this many bytes (plus the final extra pair).
constexpr std::size_t kMaxHexBytes = 256;

// String data (UTF-16LE as the registry stores it) as text, without its one terminating
// NUL. Data that lacks the terminator loses nothing; an odd final byte is not text.
std::string StringDataText(const std::string& bytes) {
    std::string_view units(bytes.data(), bytes.size() & ~std::size_t{1});
    if (units.size() >= 2 && units[units.size() - 1] == '\0' && units[units.size() - 2] == '\0') {
        units.remove_suffix(2);
    }
    return Utf8FromUtf16Le(units);
}

std::int32_t LittleEndian32(const std::string& bytes) {
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i) {
        number |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    }
    return static_cast<std::int32_t>(number);
}

std::string HexPairs(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    // Positions 0 ... min(size, 255): the byte after the data reads as the zero it was
    // filled with.
    const std::size_t last = std::min(bytes.size(), kMaxHexBytes - 1);
    std::string text;
    text.reserve((last + 1) * 3);
    for (std::size_t i = 0; i <= last; ++i) {
        const auto byte = i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0;
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
        text += ' ';
    }
    return text;
}

// Signed 32-bit number from text: optional blanks, an optional sign, decimal digits.
bool ParseNumber(std::string_view text, std::int32_t& number) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t value = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        value = value * 10 + (text[i] - '0');
        if (value > std::int64_t{1} << 32) return false;
    }
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (digits == 0 || i != text.size()) return false;
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    number = static_cast<std::int32_t>(value);
    return true;
}

std::string LittleEndianBytes(std::uint32_t number) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return bytes;
}

}  // namespace

KeyHandle& KeyHandle::operator=(KeyHandle&& other) noexcept {
    if (this != &other) {
        Close();
        store_ = std::exchange(other.store_, nullptr);
        handle_ = std::exchange(other.handle_, 0);
    }
    return *this;
}

void KeyHandle::Close() {
    if (store_ && handle_) store_->Close(handle_);
    handle_ = 0;
}

ValueText ConvertValueToText(const RawValue& raw, FileProbes& probes) {
    switch (raw.Type) {
        case kRegSz:
        case kRegMultiSz:
            return {StringDataText(raw.Bytes), kTextType};
        case kRegExpandSz:
            return {probes.ExpandEnvironment(StringDataText(raw.Bytes)), kTextType};
        case kRegDword:
            // A number longer than 4 bytes does not fit the 4-byte read: empty text.
            if (raw.Bytes.size() > 4) return {{}, kNumberType};
            return {std::to_string(LittleEndian32(raw.Bytes)), kNumberType};
        case kRegDwordBigEndian: {
            if (raw.Bytes.size() > 4) return {{}, kNumberType};
            std::string reversed(4, '\0');
            for (std::size_t i = 0; i < raw.Bytes.size(); ++i) reversed[3 - i] = raw.Bytes[i];
            return {std::to_string(LittleEndian32(reversed)), kNumberType};
        }
        default:
            return {HexPairs(raw.Bytes), kBinaryType};
    }
}

KeyHandle RegistryAccess::OpenKey(RootKey root, std::string_view path) {
    return KeyHandle(&store_, store_.Open(root, path));
}

void RegistryAccess::CreateKey(RootKey root, std::string_view path) {
    KeyHandle key(&store_, store_.Create(root, path));
}

void RegistryAccess::SetValue(RootKey root, std::string_view path, std::string_view name,
                              std::int32_t kind, std::string_view data) {
    RawValue raw;
    if (kind == kTextKind) {
        raw.Type = kRegSz;
        raw.Bytes = Utf16LeFromUtf8(data);
        raw.Bytes.append(2, '\0');
    } else {
        std::int32_t number = 0;
        if (!ParseNumber(data, number)) {
            throw NumberConversionError("not a 32-bit number: \"" + std::string(data) + "\"");
        }
        raw.Type = kRegDword;
        raw.Bytes = LittleEndianBytes(static_cast<std::uint32_t>(number));
    }
    KeyHandle key = OpenKey(root, path);
    if (key) store_.Write(key.Get(), name, raw);
}

std::string RegistryAccess::QueryValue(RootKey root, std::string_view path,
                                       std::string_view name, std::int32_t kind) {
    if (kind != kTextKind) return std::to_string(QueryNumber(root, path, name));
    RawValue raw;
    if (!ReadRaw(root, path, name, raw)) return {};
    return StringDataText(raw.Bytes);
}

std::int32_t RegistryAccess::QueryNumber(RootKey root, std::string_view path,
                                         std::string_view name) {
    RawValue raw;
    if (!ReadRaw(root, path, name, raw) || raw.Bytes.size() > 4) return 0;
    return LittleEndian32(raw.Bytes);
}

void RegistryAccess::DeleteValue(RootKey root, std::string_view path, std::string_view name) {
    KeyHandle key = OpenKey(root, path);
    if (key) store_.DeleteValue(key.Get(), name);
}

namespace {

// Windows NT refuses to delete a key that has subkeys, so the tree goes from the leaves up.
void DeleteTree(RegistryStore& store, RootKey root, const std::string& path, int depth) {
    if (depth > kMaxKeyDepth) return;
    std::vector<std::string> children;
    {
        KeyHandle key(&store, store.Open(root, path));
        if (!key) return;
        std::string name;
        for (std::uint32_t i = 0; store.SubkeyName(key.Get(), i, name); ++i) {
            children.push_back(name);
        }
    }
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        DeleteTree(store, root, path + "\\" + *it, depth + 1);
    }
    store.DeleteLeafKey(root, path);
}

}  // namespace

void RegistryAccess::DeleteKey(RootKey root, std::string_view path) {
    if (path.empty()) return;  // a root is never deleted
    DeleteTree(store_, root, std::string(path), 0);
}

KeyReader RegistryAccess::ReadKey(RootKey root, std::string_view path) {
    return KeyReader(*this, root, path);
}

std::vector<std::string> RegistryAccess::EnumSubkeys(RootKey root, std::string_view path) {
    return ReadKey(root, path).Subkeys();
}

std::vector<ValueRecord> RegistryAccess::EnumValues(RootKey root, std::string_view path) {
    return ReadKey(root, path).Values();
}

ValueText RegistryAccess::ReadValueText(const KeyHandle& key, std::string_view name) {
    RawValue raw;
    if (!key || !store_.Read(key.Get(), name, raw)) return {};
    return ConvertValueToText(raw, probes_);
}

bool RegistryAccess::ReadRaw(RootKey root, std::string_view path, std::string_view name,
                             RawValue& value) {
    KeyHandle key = OpenKey(root, path);
    return key && store_.Read(key.Get(), name, value);
}

bool RegistryAccess::WriteRaw(RootKey root, std::string_view path, std::string_view name,
                              const RawValue& value) {
    KeyHandle key = OpenKey(root, path);
    return key && store_.Write(key.Get(), name, value);
}

bool RegistryAccess::KeyExists(RootKey root, std::string_view path) {
    return static_cast<bool>(OpenKey(root, path));
}

bool KeyReader::Open() {
    if (!tried_) {
        tried_ = true;
        key_ = access_->OpenKey(root_, path_);
        counted_ = key_ && access_->Store().QueryKeyCounts(key_.Get(), counts_);
    }
    return static_cast<bool>(key_);
}

bool KeyReader::ReadRaw(std::string_view name, RawValue& value) {
    return Open() && access_->Store().Read(key_.Get(), name, value);
}

std::vector<ValueRecord> KeyReader::Values() {
    std::vector<ValueRecord> values;
    if (!Open() || !counted_) return values;
    RegistryStore& store = access_->Store();
    EngineSignals& signals = access_->Signals();
    std::string name;
    std::optional<RawValue> raw;
    for (std::uint32_t i = 0; i < counts_.Values && !signals.StopRequested; ++i) {
        if (!store.ValueAt(key_.Get(), i, name, raw)) break;
        ValueText text = raw ? ConvertValueToText(*raw, access_->Probes()) : ValueText{};
        values.push_back({name, std::move(text.Data), text.Type});
        signals.Yield();
    }
    return values;
}

std::vector<std::string> KeyReader::Subkeys() {
    std::vector<std::string> names;
    if (!Open()) return names;
    RegistryStore& store = access_->Store();
    EngineSignals& signals = access_->Signals();
    // Without counts the listing runs to the first index the store cannot answer.
    const std::uint32_t count =
        counted_ ? counts_.Subkeys : std::numeric_limits<std::uint32_t>::max();
    std::string name;
    for (std::uint32_t i = 0; i < count && !signals.StopRequested; ++i) {
        if (!store.SubkeyName(key_.Get(), i, name)) break;
        names.push_back(name);
        signals.Yield();
    }
    return names;
}

bool KeyReader::IsEmpty() {
    const bool openedNow = !tried_;
    if (!Open()) return false;
    if (!openedNow) counted_ = access_->Store().QueryKeyCounts(key_.Get(), counts_);
    return counted_ && counts_ == KeyCounts{};
}

}  // namespace hivewarden::registry
