// The durable-file seam: a whole file written under a new temporary name beside its final
// path, flushed to the disk, closed and renamed into place, every step checked. Backends:
// posix_durable_file (POSIX) and win32_durable_file (Windows builds), chosen by the build.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace hivewarden::registry {

// The outcome of one step: Ok, or a message naming the file and the system's reason
// ("cannot create /backups/x.reg: Not a directory").
struct FileStatus {
    bool Ok = true;
    std::string Message;

    explicit operator bool() const { return Ok; }
    static FileStatus Failure(std::string message) { return {false, std::move(message)}; }
};

// One file from Begin to Commit or Abandon. Contract for every backend:
// - Begin creates a new temporary file in the folder of `path`; nothing at `path` changes
//   until Commit's rename, so a failed write leaves an older file of that name intact.
// - Write appends and fails on a short write (a full disk); after a failure only Abandon is
//   meaningful.
// - Commit flushes the data to the disk (fsync / FlushFileBuffers), closes the file, renames
//   it over `path` and, where the system allows, flushes the folder so the rename survives a
//   power cut. Only a Commit that returned Ok has replaced `path`.
// - Abandon closes and removes the temporary file; it is harmless after Commit or when
//   nothing was begun. The destructor abandons an uncommitted file.
class DurableFile {
public:
    virtual ~DurableFile() = default;

    virtual FileStatus Begin(const std::string& path) = 0;
    virtual FileStatus Write(std::string_view bytes) = 0;
    virtual FileStatus Commit() = 0;
    virtual void Abandon() = 0;
};

// The platform's own backend.
std::unique_ptr<DurableFile> MakeDurableFile();

}  // namespace hivewarden::registry
