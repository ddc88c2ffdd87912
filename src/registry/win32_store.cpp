// The registry store over advapi32's ANSI functions. Every failure is an answer (0 handle,
// false); nothing here throws, prints or keeps state beyond the view flag.
#include "registry/win32_store.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "registry/win32_system.h"

namespace hivewarden::registry {
namespace {

// Key names have at most 255 characters, value names at most 16,383; an ANSI name may take
// two bytes per character. Buffers start small and double up to this limit.
constexpr DWORD kFirstNameBuffer = 256;
constexpr DWORD kMaxNameBuffer = 2 * 16384;
// Values are read straight into a buffer of this size; one that does not fit reports its size
// and is read again. Most values fit, so most reads take one call instead of a size query and
// a read: under Wine every registry call is a round trip to the server.
constexpr DWORD kFirstDataBuffer = 1024;
// A value that keeps growing between the reported size and the next read is read again, a
// few times at most (HKEY_PERFORMANCE_DATA answers "more data" to every size).
constexpr int kReadAttempts = 4;

using DeleteKeyExFn = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);

HKEY ToKey(StoreHandle handle) { return reinterpret_cast<HKEY>(handle); }
StoreHandle ToHandle(HKEY key) { return reinterpret_cast<StoreHandle>(key); }

HKEY PredefinedKey(RootKey root) {
    switch (root) {
        case kClassesRoot:
            return HKEY_CLASSES_ROOT;
        case kCurrentUser:
            return HKEY_CURRENT_USER;
        case kLocalMachine:
            return HKEY_LOCAL_MACHINE;
        case kUsers:
            return HKEY_USERS;
        case kPerformanceData:
            return HKEY_PERFORMANCE_DATA;
        case kCurrentConfig:
            return HKEY_CURRENT_CONFIG;
        default:
            return nullptr;
    }
}

// Opening the empty path of a root gives back the predefined handle itself, which must not be
// closed: Windows would drop its cached key for the whole process.
bool IsPredefined(HKEY key) {
    for (RootKey root = kClassesRoot; root <= kCurrentConfig; ++root) {
        if (key == PredefinedKey(root)) return true;
    }
    return false;
}

// The ANSI functions take zero-terminated names; a name with an inner zero would silently
// address another key or value, so it addresses nothing.
bool Expressible(std::string_view text) { return text.find('\0') == std::string_view::npos; }

// Calls enumerate(buffer, size) with a growing name buffer. True with the name on success;
// false on any error other than "more data" (Wine answers some keys with other errors for
// every index, so no caller may wait for "no more items").
template <typename Enumerate>
bool EnumeratedName(Enumerate enumerate, std::string& name) {
    std::vector<char> buffer(kFirstNameBuffer);
    while (true) {
        DWORD size = static_cast<DWORD>(buffer.size());
        const LONG status = enumerate(buffer.data(), &size);
        if (status == ERROR_SUCCESS) {
            name.assign(buffer.data(), std::min<std::size_t>(size, buffer.size()));
            return true;
        }
        if (status != ERROR_MORE_DATA || buffer.size() >= kMaxNameBuffer) return false;
        buffer.resize(buffer.size() * 2);
    }
}

// Wide text whose ANSI form is the same characters in every code page: ASCII without zeros.
bool PlainAscii(const wchar_t* text, std::size_t length) {
    return std::all_of(text, text + length, [](wchar_t c) { return c > 0 && c < 0x80; });
}

// The ANSI bytes of string data given as UTF-16 bytes, when the conversion cannot depend on the
// code page: an even byte count and only ASCII characters (zeros included, as in multi-strings).
bool AnsiOfAsciiData(const wchar_t* data, DWORD size, std::string& bytes) {
    if (size % sizeof(wchar_t) != 0) return false;
    const std::size_t count = size / sizeof(wchar_t);
    if (!std::all_of(data, data + count, [](wchar_t c) { return c < 0x80; })) return false;
    bytes.assign(count, '\0');
    std::transform(data, data + count, bytes.begin(),
                   [](wchar_t c) { return static_cast<char>(c); });
    return true;
}

// The ANSI functions convert a key path into a buffer of MAX_PATH characters, on Windows and
// under Wine, so a longer path fails as a whole even though the registry holds it. Such a path
// is walked in pieces below that length, each opened relative to the key before it.
constexpr std::size_t kLongestPathPiece = 200;

// The path cut at backslashes into pieces of at most kLongestPathPiece bytes; a single name
// longer than that (key names have up to 255 characters) is a piece of its own.
std::vector<std::string> PathPieces(std::string_view path) {
    std::vector<std::string> pieces;
    std::string piece;
    while (!path.empty()) {
        const std::size_t slash = path.find('\\');
        const std::string_view name = path.substr(0, slash);
        if (!piece.empty() && piece.size() + 1 + name.size() > kLongestPathPiece) {
            pieces.push_back(std::move(piece));
            piece.clear();
        }
        if (!piece.empty()) piece += '\\';
        piece += name;
        if (slash == std::string_view::npos) break;
        path.remove_prefix(slash + 1);
    }
    if (!piece.empty()) pieces.push_back(std::move(piece));
    return pieces;
}

// Opens (or creates) `path` below `base` with open(parent, piece, access, key), one piece at a
// time; the keys in between are opened for reading only and closed again. ERROR_SUCCESS with
// the last key, or the first failure.
template <typename OpenPiece>
LONG OpenInPieces(HKEY base, std::string_view path, REGSAM access, OpenPiece open, HKEY& key) {
    const std::vector<std::string> pieces = PathPieces(path);
    HKEY current = base;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const bool last = i + 1 == pieces.size();
        HKEY next = nullptr;
        const LONG status = open(current, pieces[i], last ? access : KEY_READ, next);
        if (current != base) RegCloseKey(current);
        if (status != ERROR_SUCCESS) return status;
        current = next;
    }
    key = current;
    return ERROR_SUCCESS;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

Win32Store::Win32Store() {
#ifdef _WIN64
    viewFlag_ = KEY_WOW64_64KEY;  // the native view; the flag only makes it explicit
#else
    if (win32::ProcessIsWow64()) viewFlag_ = KEY_WOW64_64KEY;
#endif
    deleteKeyEx_ = win32::SystemFunction<void (*)()>("advapi32.dll", "RegDeleteKeyExA");
}

StoreHandle Win32Store::Open(RootKey root, std::string_view path) {
    const HKEY base = PredefinedKey(root);
    if (base == nullptr || !Expressible(path)) return 0;
    auto open = [&](HKEY parent, const std::string& piece, REGSAM access, HKEY& key) {
        return RegOpenKeyExA(parent, piece.c_str(), 0, access | viewFlag_, &key);
    };
    HKEY key = nullptr;
    LONG status = OpenInPieces(base, path, KEY_READ | KEY_WRITE, open, key);
    if (status == ERROR_ACCESS_DENIED) status = OpenInPieces(base, path, KEY_READ, open, key);
    return status == ERROR_SUCCESS ? ToHandle(key) : 0;
}

StoreHandle Win32Store::Create(RootKey root, std::string_view path) {
    // A root is never created, only opened.
    if (path.empty()) return Open(root, path);
    const HKEY base = PredefinedKey(root);
    if (base == nullptr || !Expressible(path)) return 0;
    auto create = [&](HKEY parent, const std::string& piece, REGSAM access, HKEY& key) {
        return RegCreateKeyExA(parent, piece.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               access | viewFlag_, nullptr, &key, nullptr);
    };
    HKEY key = nullptr;
    LONG status = OpenInPieces(base, path, KEY_READ | KEY_WRITE, create, key);
    // An existing key that may be read but not written still opens.
    if (status == ERROR_ACCESS_DENIED) status = OpenInPieces(base, path, KEY_READ, create, key);
    return status == ERROR_SUCCESS ? ToHandle(key) : 0;
}

void Win32Store::Close(StoreHandle key) {
    if (key != 0 && !IsPredefined(ToKey(key))) RegCloseKey(ToKey(key));
}

bool Win32Store::SubkeyName(StoreHandle key, std::uint32_t index, std::string& name) {
    if (key == 0) return false;
    return EnumeratedName(
        [&](char* buffer, DWORD* size) {
            return RegEnumKeyExA(ToKey(key), index, buffer, size, nullptr, nullptr, nullptr,
                                 nullptr);
        },
        name);
}

bool Win32Store::ValueName(StoreHandle key, std::uint32_t index, std::string& name) {
    if (key == 0) return false;
    return EnumeratedName(
        [&](char* buffer, DWORD* size) {
            return RegEnumValueA(ToKey(key), index, buffer, size, nullptr, nullptr, nullptr,
                                 nullptr);
        },
        name);
}

bool Win32Store::ValueAt(StoreHandle key, std::uint32_t index, std::string& name,
                         std::optional<RawValue>& value) {
    if (key == 0) return false;
    // Name and data in one call. The ANSI functions would give the same name and bytes only
    // where both are plain ASCII; everything else (other characters, a name or data larger
    // than the buffers, any failure but the end of the list) takes the ANSI path.
    wchar_t nameBuffer[kFirstNameBuffer];
    wchar_t data[kFirstDataBuffer / sizeof(wchar_t)];
    DWORD nameSize = kFirstNameBuffer;
    DWORD type = REG_NONE;
    DWORD size = sizeof(data);
    const LONG status = RegEnumValueW(ToKey(key), index, nameBuffer, &nameSize, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &size);
    if (status == ERROR_NO_MORE_ITEMS) return false;
    if (status == ERROR_SUCCESS && nameSize < kFirstNameBuffer && size <= sizeof(data) &&
        PlainAscii(nameBuffer, nameSize)) {
        std::string bytes;
        if (!IsStringType(type)) {
            bytes.assign(reinterpret_cast<const char*>(data), size);
        } else if (!AnsiOfAsciiData(data, size, bytes)) {
            return RegistryStore::ValueAt(key, index, name, value);
        }
        name.assign(nameBuffer, nameBuffer + nameSize);
        value = RawValue{type, std::move(bytes)};
        return true;
    }
    return RegistryStore::ValueAt(key, index, name, value);
}

bool Win32Store::LongestValueName(StoreHandle key, std::uint32_t& length) {
    if (key == 0) return false;
    DWORD longest = 0;
    const LONG status = RegQueryInfoKeyA(ToKey(key), nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, &longest, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return false;
    length = longest;
    return true;
}

bool Win32Store::QueryKeyCounts(StoreHandle key, KeyCounts& counts) {
    if (key == 0) return false;
    DWORD subkeys = 0;
    DWORD values = 0;
    const LONG status = RegQueryInfoKeyA(ToKey(key), nullptr, nullptr, nullptr, &subkeys, nullptr,
                                         nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return false;
    counts = KeyCounts{subkeys, values};
    return true;
}

bool Win32Store::Read(StoreHandle key, std::string_view name, RawValue& value) {
    if (key == 0 || !Expressible(name)) return false;
    const std::string valueName(name);
    DWORD size = kFirstDataBuffer;
    // The first read with the starting buffer, then up to kReadAttempts with the reported size.
    for (int attempt = 0; attempt <= kReadAttempts; ++attempt) {
        std::string bytes(size, '\0');
        DWORD type = REG_NONE;
        DWORD got = size;
        const LONG status = RegQueryValueExA(ToKey(key), valueName.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(bytes.data()), &got);
        if (status == ERROR_SUCCESS) {
            // A string may be reported larger than the read delivers; keep what was delivered.
            bytes.resize(std::min<std::size_t>(got, size));
            value = RawValue{type, std::move(bytes)};
            return true;
        }
        if (status != ERROR_MORE_DATA || got <= size) return false;
        size = got;  // too small, or the value grew in between
    }
    return false;
}

bool Win32Store::Write(StoreHandle key, std::string_view name, const RawValue& value) {
    if (key == 0 || !Expressible(name) || value.Bytes.size() > MAXDWORD) return false;
    const std::string valueName(name);
    return RegSetValueExA(ToKey(key), valueName.c_str(), 0, value.Type,
                          reinterpret_cast<const BYTE*>(value.Bytes.data()),
                          static_cast<DWORD>(value.Bytes.size())) == ERROR_SUCCESS;
}

bool Win32Store::DeleteValue(StoreHandle key, std::string_view name) {
    if (key == 0 || !Expressible(name)) return false;
    const std::string valueName(name);
    return RegDeleteValueA(ToKey(key), valueName.c_str()) == ERROR_SUCCESS;
}

bool Win32Store::DeleteLeafKey(RootKey root, std::string_view path) {
    const HKEY base = PredefinedKey(root);
    if (base == nullptr || path.empty() || !Expressible(path)) return false;
    // A long path: the leaf is deleted relative to its parent, opened in pieces.
    HKEY parent = base;
    std::string subkey(path);
    const std::size_t slash = path.rfind('\\');
    if (path.size() > kLongestPathPiece && slash != std::string_view::npos) {
        const StoreHandle opened = Open(root, path.substr(0, slash));
        if (opened == 0) return false;
        parent = ToKey(opened);
        subkey = std::string(path.substr(slash + 1));
    }
    // Both refuse a key that has subkeys, as Windows NT does.
    LONG status;
    if (deleteKeyEx_ != nullptr) {
        const auto deleteKeyEx = reinterpret_cast<DeleteKeyExFn>(deleteKeyEx_);
        status = deleteKeyEx(parent, subkey.c_str(), viewFlag_, 0);
    } else {
        status = RegDeleteKeyA(parent, subkey.c_str());
    }
    if (parent != base) Close(ToHandle(parent));
    return status == ERROR_SUCCESS;
}

}  // namespace hivewarden::registry
