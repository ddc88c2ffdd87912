// The durable-file seam over kernel32's wide functions: a new temporary file beside the target
// (CreateFileW with CREATE_NEW), WriteFile, FlushFileBuffers, CloseHandle, then MoveFileExW
// with write-through. Paths are UTF-8 and may be longer than MAX_PATH. Windows builds only;
// posix_durable_file.cpp serves everywhere else.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "files/durable_file.h"
#include "files/win32_system.h"

namespace hivewarden::registry {
namespace {

using win32::ErrorText;
using win32::LongPathForm;

// Temporary names are tried until one is free; this many tries is far beyond any collision.
constexpr int kTempNameAttempts = 1000;

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

// "<folder>\hwb<process><tick><n>.tmp": a name of the folder that ends in ".tmp", never in
// ".reg", so a half-written file is never taken for a backup.
std::string TempName(const std::string& folder, int attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "hwb%lx%lx%x.tmp", GetCurrentProcessId(), GetTickCount(),
                  static_cast<unsigned>(attempt));
    const char last = folder.empty() ? '\\' : folder.back();
    return folder + (last == '\\' || last == '/' ? "" : "\\") + name;
}

class Win32DurableFile final : public DurableFile {
public:
    ~Win32DurableFile() override { Abandon(); }

    FileStatus Begin(const std::string& path) override {
        Abandon();
        path_ = path;
        // CREATE_NEW fails when the name exists, so the file cannot be anybody else's.
        const std::string folder = FolderOf(path);
        DWORD error = ERROR_FILE_EXISTS;
        for (int attempt = 0; attempt < kTempNameAttempts && error == ERROR_FILE_EXISTS;
             ++attempt) {
            const std::string temp = TempName(folder, attempt);
            file_ = CreateFileW(LongPathForm(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file_ != INVALID_HANDLE_VALUE) {
                temp_ = temp;
                return {};
            }
            error = GetLastError();
        }
        // A "folder" that is a file: the system's reason for that, not "path not found".
        const DWORD attributes = GetFileAttributesW(LongPathForm(folder).c_str());
        if (error == ERROR_PATH_NOT_FOUND && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            error = ERROR_DIRECTORY;
        }
        return FileStatus::Failure("cannot create " + path + ": " + ErrorText(error));
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
                return FileStatus::Failure("cannot write " + path_ + ": " +
                                           ErrorText(GetLastError()));
            }
            if (written == 0) {
                return FileStatus::Failure("cannot write " + path_ + ": " +
                                           ErrorText(ERROR_DISK_FULL));
            }
            bytes.remove_prefix(written);
        }
        return {};
    }

    FileStatus Commit() override {
        if (FileStatus closed = FlushAndClose(); !closed) return closed;
        if (!Replace()) {
            return FileStatus::Failure("cannot replace " + path_ + ": " +
                                       ErrorText(GetLastError()));
        }
        temp_.clear();
        flushed_ = false;
        return {};
    }

    // MoveFileExW without MOVEFILE_REPLACE_EXISTING fails on an existing name.
    FileStatus CommitNew(const std::string& path) override {
        if (FileStatus closed = FlushAndClose(); !closed) return closed;
        if (!MoveFileExW(LongPathForm(temp_).c_str(), LongPathForm(path).c_str(),
                         MOVEFILE_WRITE_THROUGH)) {
            const DWORD error = GetLastError();
            FileStatus failure = FileStatus::Failure("cannot create " + path + ": " + ErrorText(error));
            failure.Exists = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
            return failure;
        }
        path_ = path;
        temp_.clear();
        flushed_ = false;
        return {};
    }

    void Abandon() override {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        if (!temp_.empty()) DeleteFileW(LongPathForm(temp_).c_str());
        temp_.clear();
        flushed_ = false;
    }

private:
    // Flushes and closes the temporary file; harmless when it is closed already (a CommitNew
    // that found its name taken).
    FileStatus FlushAndClose() {
        if (flushed_) return {};
        if (file_ == INVALID_HANDLE_VALUE) {
            return FileStatus::Failure("cannot write " + path_ + ": the file is not open");
        }
        if (!FlushFileBuffers(file_)) {
            return FileStatus::Failure("cannot flush " + path_ +
                                       " to disk: " + ErrorText(GetLastError()));
        }
        const HANDLE file = file_;
        file_ = INVALID_HANDLE_VALUE;
        if (!CloseHandle(file)) {
            return FileStatus::Failure("cannot close " + path_ + ": " + ErrorText(GetLastError()));
        }
        flushed_ = true;
        return {};
    }

    // Systems without MoveFileExW (it fails with ERROR_CALL_NOT_IMPLEMENTED) get the old file
    // deleted first and the new one moved in its place.
    bool Replace() const {
        const std::wstring temp = LongPathForm(temp_);
        const std::wstring target = LongPathForm(path_);
        if (MoveFileExW(temp.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
        if (!DeleteFileW(target.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
        return MoveFileW(temp.c_str(), target.c_str()) != 0;
    }

    std::string path_;
    std::string temp_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    bool flushed_ = false;  // the temporary file is on disk and closed
};

}  // namespace

std::unique_ptr<DurableFile> MakeDurableFile() { return std::make_unique<Win32DurableFile>(); }

}  // namespace hivewarden::registry
