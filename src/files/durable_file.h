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
    // Set by CommitNew when a file of the name exists already.
    bool Exists = false;

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
// - CommitNew does what Commit does but never replaces a file: the temporary file takes the
//   name `path` (a name in the folder given to Begin) only when no file has it, decided by
//   the system in one step, so two writers can never both get one name. When the name is
//   taken it fails with Exists set and keeps the temporary file, so that CommitNew may try
//   another name.
// - Abandon closes and removes the temporary file; it is harmless after Commit or when
//   nothing was begun. The destructor abandons an uncommitted file.
class DurableFile {
public:
    virtual ~DurableFile() = default;

    virtual FileStatus Begin(const std::string& path) = 0;
    virtual FileStatus Write(std::string_view bytes) = 0;
    virtual FileStatus Commit() = 0;
    virtual FileStatus CommitNew(const std::string& path) = 0;
    virtual void Abandon() = 0;
};

// The platform's own backend.
std::unique_ptr<DurableFile> MakeDurableFile();

}  // namespace hivewarden::registry
