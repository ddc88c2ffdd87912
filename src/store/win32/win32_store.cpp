// The registry store over advapi32's wide functions. Every failure is an answer (0 handle,
// false); nothing here throws, prints or keeps state beyond the view flag and the status of the
// last write or deletion.
#include "store/win32/win32_store.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "files/win32_system.h"

namespace hivewarden::registry {
namespace {

using win32::Narrow;
using win32::Wide;

// Key names have at most 255 characters, value names at most 16,383. Name buffers (in UTF-16
// units, with the terminator) start small and double up to this limit.
constexpr DWORD kFirstNameBuffer = 256;
constexpr DWORD kMaxNameBuffer = 16384;
// Values are read straight into a buffer of this size; one that does not fit reports its size
// and is read again. Most values fit, so most reads take one call instead of a size query and
// a read: under Wine every registry call is a round trip to the server.
constexpr DWORD kFirstDataBuffer = 1024;
// A value that keeps growing between the reported size and the next read is read again, a
// few times at most (HKEY_PERFORMANCE_DATA answers "more data" to every size).
constexpr int kReadAttempts = 4;

using DeleteKeyExFn = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);

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

// A name as the wide functions take it; nothing when it holds a zero character, which would
// silently address another key or value.
bool WideName(std::string_view text, std::wstring& wide) {
    if (text.find('\0') != std::string_view::npos) return false;
    wide = Wide(text);
    return true;
}

// Calls enumerate(buffer, size) with a growing name buffer. True with the name on success;
// false on any error other than "more data" (Wine answers some keys with other errors for
// every index, so no caller may wait for "no more items").
template <typename Enumerate>
bool EnumeratedName(Enumerate enumerate, std::string& name) {
    std::vector<wchar_t> buffer(kFirstNameBuffer);
    while (true) {
        DWORD size = static_cast<DWORD>(buffer.size());
        const LONG status = enumerate(buffer.data(), &size);
        if (status == ERROR_SUCCESS) {
            name = Narrow(buffer.data(), std::min<std::size_t>(size, buffer.size()));
            return true;
        }
        if (status != ERROR_MORE_DATA || buffer.size() >= kMaxNameBuffer) return false;
        buffer.resize(buffer.size() * 2);
    }
}

// Key paths are opened in pieces of at most this many characters, each relative to the key
// before it. Some registry functions refuse a path longer than MAX_PATH in one piece (the
// ANSI ones on Windows and under Wine) although the registry holds such keys; the pieces keep
// every call well inside that limit, whichever functions a system routes the call through.
constexpr std::size_t kLongestPathPiece = 200;

// The path cut at backslashes into pieces of at most kLongestPathPiece units; a single name
// longer than that (key names have up to 255 characters) is a piece of its own.
std::vector<std::wstring> PathPieces(const std::wstring& path) {
    std::vector<std::wstring> pieces;
    std::wstring piece;
    std::size_t start = 0;
    while (start < path.size()) {
        const std::size_t slash = path.find(L'\\', start);
        const std::size_t end = slash == std::wstring::npos ? path.size() : slash;
        const std::wstring_view name(path.data() + start, end - start);
        if (!piece.empty() && piece.size() + 1 + name.size() > kLongestPathPiece) {
            pieces.push_back(std::move(piece));
            piece.clear();
        }
        if (!piece.empty()) piece += L'\\';
        piece += name;
        if (slash == std::wstring::npos) break;
        start = slash + 1;
    }
    if (!piece.empty()) pieces.push_back(std::move(piece));
    return pieces;
}

// Opens (or creates) `path` below `base` with open(parent, piece, access, key), one piece at a
// time; the keys in between are opened for reading only and closed again. ERROR_SUCCESS with
// the last key, or the first failure.
template <typename OpenPiece>
LONG OpenInPieces(HKEY base, const std::wstring& path, REGSAM access, OpenPiece open,
                  HKEY& key) {
    const std::vector<std::wstring> pieces = PathPieces(path);
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
    deleteKeyEx_ = win32::SystemFunction<void (*)()>("advapi32.dll", "RegDeleteKeyExW");
}

StoreHandle Win32Store::Open(RootKey root, std::string_view path) {
    const HKEY base = PredefinedKey(root);
    std::wstring widePath;
    if (base == nullptr || !WideName(path, widePath)) return 0;
    auto open = [&](HKEY parent, const std::wstring& piece, REGSAM access, HKEY& key) {
        return RegOpenKeyExW(parent, piece.c_str(), 0, access | viewFlag_, &key);
    };
    HKEY key = nullptr;
    LONG status = OpenInPieces(base, widePath, KEY_READ | KEY_WRITE, open, key);
    if (status == ERROR_ACCESS_DENIED) status = OpenInPieces(base, widePath, KEY_READ, open, key);
    return status == ERROR_SUCCESS ? ToHandle(key) : 0;
}

StoreHandle Win32Store::Create(RootKey root, std::string_view path) {
    // A root is never created, only opened.
    if (path.empty()) return Open(root, path);
    const HKEY base = PredefinedKey(root);
    std::wstring widePath;
    if (base == nullptr || !WideName(path, widePath)) return 0;
    auto create = [&](HKEY parent, const std::wstring& piece, REGSAM access, HKEY& key) {
        return RegCreateKeyExW(parent, piece.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               access | viewFlag_, nullptr, &key, nullptr);
    };
    HKEY key = nullptr;
    LONG status = OpenInPieces(base, widePath, KEY_READ | KEY_WRITE, create, key);
    // An existing key that may be read but not written still opens.
    if (status == ERROR_ACCESS_DENIED) {
        status = OpenInPieces(base, widePath, KEY_READ, create, key);
    }
    return status == ERROR_SUCCESS ? ToHandle(key) : 0;
}

void Win32Store::Close(StoreHandle key) {
    if (key != 0 && !IsPredefined(ToKey(key))) RegCloseKey(ToKey(key));
}

bool Win32Store::SubkeyName(StoreHandle key, std::uint32_t index, std::string& name) {
    if (key == 0) return false;
    return EnumeratedName(
        [&](wchar_t* buffer, DWORD* size) {
            return RegEnumKeyExW(ToKey(key), index, buffer, size, nullptr, nullptr, nullptr,
                                 nullptr);
        },
        name);
}

bool Win32Store::ValueName(StoreHandle key, std::uint32_t index, std::string& name) {
    if (key == 0) return false;
    return EnumeratedName(
        [&](wchar_t* buffer, DWORD* size) {
            return RegEnumValueW(ToKey(key), index, buffer, size, nullptr, nullptr, nullptr,
                                 nullptr);
        },
        name);
}

bool Win32Store::ValueAt(StoreHandle key, std::uint32_t index, std::string& name,
                         std::optional<RawValue>& value) {
    if (key == 0) return false;
    // Name and data in one call; a name or data larger than the first buffers, or any failure
    // but the end of the list, takes the two-step path.
    wchar_t nameBuffer[kFirstNameBuffer];
    std::string data(kFirstDataBuffer, '\0');
    DWORD nameSize = kFirstNameBuffer;
    DWORD type = REG_NONE;
    DWORD size = kFirstDataBuffer;
    const LONG status = RegEnumValueW(ToKey(key), index, nameBuffer, &nameSize, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data.data()), &size);
    if (status == ERROR_NO_MORE_ITEMS) return false;
    if (status != ERROR_SUCCESS || nameSize >= kFirstNameBuffer || size > kFirstDataBuffer) {
        return RegistryStore::ValueAt(key, index, name, value);
    }
    data.resize(size);
    name = Narrow(nameBuffer, nameSize);
    value = RawValue{type, std::move(data)};
    return true;
}

bool Win32Store::LongestValueName(StoreHandle key, std::uint32_t& length) {
    if (key == 0) return false;
    DWORD longest = 0;
    const LONG status = RegQueryInfoKeyW(ToKey(key), nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, &longest, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return false;
    length = longest;
    return true;
}

bool Win32Store::QueryKeyCounts(StoreHandle key, KeyCounts& counts) {
    if (key == 0) return false;
    DWORD subkeys = 0;
    DWORD values = 0;
    const LONG status = RegQueryInfoKeyW(ToKey(key), nullptr, nullptr, nullptr, &subkeys, nullptr,
                                         nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return false;
    counts = KeyCounts{subkeys, values};
    return true;
}

bool Win32Store::Read(StoreHandle key, std::string_view name, RawValue& value) {
    std::wstring valueName;
    if (key == 0 || !WideName(name, valueName)) return false;
    DWORD size = kFirstDataBuffer;
    // The first read with the starting buffer, then up to kReadAttempts with the reported size.
    for (int attempt = 0; attempt <= kReadAttempts; ++attempt) {
        std::string bytes(size, '\0');
        DWORD type = REG_NONE;
        DWORD got = size;
        const LONG status = RegQueryValueExW(ToKey(key), valueName.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(bytes.data()), &got);
        if (status == ERROR_SUCCESS) {
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
    std::wstring valueName;
    if (key == 0 || !WideName(name, valueName) || value.Bytes.size() > MAXDWORD - 2) return false;
    // Windows adds a terminator to string data whose last unit is not zero when the unit after
    // the given bytes is zero ("the caller forgot to count it"), and looks at the unit before
    // the data when it is a single byte. The bytes are handed over between non-zero units, so
    // that exactly the given bytes are stored.
    const char* data = value.Bytes.data();
    std::string guarded;
    if (IsStringType(value.Type)) {
        const std::string guard(2, '\xFF');
        guarded = guard + value.Bytes + guard;
        data = guarded.data() + guard.size();
    }
    lastStatus_ =
        RegSetValueExW(ToKey(key), valueName.c_str(), 0, value.Type,
                       reinterpret_cast<const BYTE*>(data), static_cast<DWORD>(value.Bytes.size()));
    return lastStatus_ == ERROR_SUCCESS;
}

bool Win32Store::DeleteValue(StoreHandle key, std::string_view name) {
    std::wstring valueName;
    if (key == 0 || !WideName(name, valueName)) return false;
    lastStatus_ = RegDeleteValueW(ToKey(key), valueName.c_str());
    return lastStatus_ == ERROR_SUCCESS;
}

bool Win32Store::DeleteLeafKey(RootKey root, std::string_view path) {
    const HKEY base = PredefinedKey(root);
    std::wstring widePath;
    if (base == nullptr || path.empty() || !WideName(path, widePath)) return false;
    // A long path: the leaf is deleted relative to its parent, opened in pieces.
    HKEY parent = base;
    std::wstring subkey = widePath;
    const std::size_t slash = path.rfind('\\');
    if (widePath.size() > kLongestPathPiece && slash != std::string_view::npos) {
        const StoreHandle opened = Open(root, path.substr(0, slash));
        if (opened == 0) return false;
        parent = ToKey(opened);
        subkey = Wide(path.substr(slash + 1));
    }
    // Both refuse a key that has subkeys, as Windows NT does.
    LONG status;
    if (deleteKeyEx_ != nullptr) {
        const auto deleteKeyEx = reinterpret_cast<DeleteKeyExFn>(deleteKeyEx_);
        status = deleteKeyEx(parent, subkey.c_str(), viewFlag_, 0);
    } else {
        status = RegDeleteKeyW(parent, subkey.c_str());
    }
    if (parent != base) Close(ToHandle(parent));
    lastStatus_ = status;
    return status == ERROR_SUCCESS;
}

std::string Win32Store::LastFailureReason() const {
    if (lastStatus_ == ERROR_SUCCESS) return {};
    return win32::ErrorText(static_cast<DWORD>(lastStatus_));
}

}  // namespace hivewarden::registry
