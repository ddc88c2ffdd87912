// File access of the driver.
#include "e2e/file_tools.h"

#include <algorithm>
#include <cctype>

#include "e2e/utf8_text.h"

namespace hivewarden::e2e {
namespace {

constexpr DWORD kReadLimit = 4 << 20;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    const HANDLE file =
        CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes(kReadLimit, '\0');
    DWORD read = 0;
    const bool ok = ReadFile(file, bytes.data(), kReadLimit, &read, nullptr) != FALSE;
    CloseHandle(file);
    if (!ok) return std::nullopt;
    bytes.resize(read);
    return bytes;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr) != FALSE &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

std::vector<std::string> FilesIn(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(Wide(folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.push_back(Utf8(found.cFileName));
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(Wide(path).c_str()) != FALSE; }

bool MakeFolders(const std::string& path) {
    const std::size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 2) MakeFolders(path.substr(0, slash));
    CreateDirectoryW(Wide(path).c_str(), nullptr);
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool RemoveFolder(const std::string& path) { return RemoveDirectoryW(Wide(path).c_str()) != FALSE; }

void SortNamesNoCase(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string upperA = Upper(a);
        const std::string upperB = Upper(b);
        return upperA != upperB ? upperA < upperB : a < b;
    });
}

std::string CrLfLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace hivewarden::e2e
