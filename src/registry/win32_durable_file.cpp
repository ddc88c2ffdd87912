// The durable-file seam over kernel32: a unique temporary file beside the target
// (GetTempFileNameA), WriteFile, FlushFileBuffers, CloseHandle, then MoveFileExA with
// write-through. Windows builds only; posix_durable_file.cpp serves everywhere else.
#include <windows.h>

#include <vector>

#include "registry/durable_file.h"

namespace hivewarden::registry {
namespace {

// The system's text for an error code, without the line break it ends with.
std::string Reason(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message =
        length != 0 && text ? std::string(text, length) : "error " + std::to_string(error);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    return message;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

class Win32DurableFile final : public DurableFile {
public:
    ~Win32DurableFile() override { Abandon(); }

    FileStatus Begin(const std::string& path) override {
        Abandon();
        path_ = path;
        // GetTempFileNameA creates the file, so the name cannot be taken by anyone else; its
        // names end in ".tmp", never in ".reg".
        std::vector<char> name(MAX_PATH + 1, '\0');
        if (GetTempFileNameA(FolderOf(path).c_str(), "hwb", 0, name.data()) == 0) {
            return FileStatus::Failure("cannot create " + path + ": " + Reason(GetLastError()));
        }
        temp_.assign(name.data());
        file_ = CreateFileA(temp_.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file_ == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            Abandon();
            return FileStatus::Failure("cannot create " + path + ": " + Reason(error));
        }
        return {};
    }

    FileStatus Write(std::string_view bytes) override {
        if (file_ == INVALID_HANDLE_VALUE) {
            return FileStatus::Failure("cannot write " + path_ + ": the file is not open");
        }
        while (!bytes.empty()) {
            // WriteFile takes at most a DWORD of bytes at a time.
            const DWORD chunk =
                static_cast<DWORD>(bytes.size() < (1u << 30) ? bytes.size() : (1u << 30));
            DWORD written = 0;
            if (!WriteFile(file_, bytes.data(), chunk, &written, nullptr)) {
                return FileStatus::Failure("cannot write " + path_ + ": " + Reason(GetLastError()));
            }
            if (written == 0) {
                return FileStatus::Failure("cannot write " + path_ + ": " +
                                           Reason(ERROR_DISK_FULL));
            }
            bytes.remove_prefix(written);
        }
        return {};
    }

    FileStatus Commit() override {
        if (file_ == INVALID_HANDLE_VALUE) {
            return FileStatus::Failure("cannot write " + path_ + ": the file is not open");
        }
        if (!FlushFileBuffers(file_)) {
            return FileStatus::Failure("cannot flush " + path_ +
                                       " to disk: " + Reason(GetLastError()));
        }
        const HANDLE file = file_;
        file_ = INVALID_HANDLE_VALUE;
        if (!CloseHandle(file)) {
            return FileStatus::Failure("cannot close " + path_ + ": " + Reason(GetLastError()));
        }
        if (!Replace()) {
            return FileStatus::Failure("cannot replace " + path_ + ": " + Reason(GetLastError()));
        }
        temp_.clear();
        return {};
    }

    void Abandon() override {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        if (!temp_.empty()) DeleteFileA(temp_.c_str());
        temp_.clear();
    }

private:
    // Windows 95/98 have no MoveFileExA (it fails with ERROR_CALL_NOT_IMPLEMENTED); there the
    // old file is deleted first and the new one moved in its place.
    bool Replace() const {
        if (MoveFileExA(temp_.c_str(), path_.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
        if (!DeleteFileA(path_.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
        return MoveFileA(temp_.c_str(), path_.c_str()) != 0;
    }

    std::string path_;
    std::string temp_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

}  // namespace

std::unique_ptr<DurableFile> MakeDurableFile() { return std::make_unique<Win32DurableFile>(); }

}  // namespace hivewarden::registry
