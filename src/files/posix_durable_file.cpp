// The durable-file seam over POSIX calls: mkstemp beside the target, write, fsync, close,
// rename (or, for a new file, a rename that never replaces), then fsync of the folder. Not
// built on Windows (win32_durable_file.cpp is).
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "files/durable_file.h"

namespace hivewarden::registry {
namespace {

std::string Reason(int error) { return std::strerror(error); }

// The folder part of a path ("." when it has none), for the temporary name and the folder sync.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

constexpr std::string_view kTempSuffix = ".tmp-XXXXXX";

// The temporary file's path: the target's path and kTempSuffix, the target's name cut short
// (at a character's start) where the two would not fit in one file name.
std::string TempPattern(const std::string& path) {
    const std::size_t nameStart = path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1;
    std::size_t nameEnd = path.size();
    const std::size_t room = NAME_MAX - kTempSuffix.size();
    if (nameEnd - nameStart > room) {
        nameEnd = nameStart + room;
        while (nameEnd > nameStart && (static_cast<unsigned char>(path[nameEnd]) & 0xC0) == 0x80) {
            --nameEnd;
        }
    }
    return path.substr(0, nameEnd) + std::string(kTempSuffix);
}

// Gives `temp` the name `target` unless a file has it, in one step: EEXIST when one has.
bool RenameNoReplace(const std::string& temp, const std::string& target) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) return false;
#endif
    // File systems without that rename: a hard link fails on an existing name too.
    if (::link(temp.c_str(), target.c_str()) == 0) {
        ::unlink(temp.c_str());
        return true;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP) return false;
    // Nor hard links: the name is claimed by an exclusive create, then replaced by the file.
    const int claim = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (claim < 0) return false;
    ::close(claim);
    return ::rename(temp.c_str(), target.c_str()) == 0;
}

class PosixDurableFile final : public DurableFile {
public:
    ~PosixDurableFile() override { Abandon(); }

    FileStatus Begin(const std::string& path) override {
        Abandon();
        path_ = path;
        // The temporary name ends in random characters, never in ".reg", so a folder listing of
        // backups does not show a half-written file.
        std::string pattern = TempPattern(path);
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const int fd = ::mkstemp(name.data());
        if (fd < 0) return FileStatus::Failure("cannot create " + path + ": " + Reason(errno));
        fd_ = fd;
        temp_.assign(name.data());
        return {};
    }

    FileStatus Write(std::string_view bytes) override {
        if (fd_ < 0) return FileStatus::Failure("cannot write " + path_ + ": the file is not open");
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) {
                // A write of 0 bytes on a regular file means the disk is full.
                const int error = written == 0 ? ENOSPC : errno;
                return FileStatus::Failure("cannot write " + path_ + ": " + Reason(error));
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return {};
    }

    FileStatus Commit() override {
        if (FileStatus closed = FlushAndClose(); !closed) return closed;
        if (::rename(temp_.c_str(), path_.c_str()) != 0) {
            return FileStatus::Failure("cannot replace " + path_ + ": " + Reason(errno));
        }
        temp_.clear();
        flushed_ = false;
        SyncFolder();
        return {};
    }

    FileStatus CommitNew(const std::string& path) override {
        if (FileStatus closed = FlushAndClose(); !closed) return closed;
        if (!RenameNoReplace(temp_, path)) {
            FileStatus failure = FileStatus::Failure("cannot create " + path + ": " + Reason(errno));
            failure.Exists = errno == EEXIST;
            return failure;
        }
        path_ = path;
        temp_.clear();
        flushed_ = false;
        SyncFolder();
        return {};
    }

    void Abandon() override {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        if (!temp_.empty()) ::unlink(temp_.c_str());
        temp_.clear();
        flushed_ = false;
    }

private:
    // Flushes and closes the temporary file; harmless when it is closed already (a CommitNew
    // that found its name taken).
    FileStatus FlushAndClose() {
        if (flushed_) return {};
        if (fd_ < 0) return FileStatus::Failure("cannot write " + path_ + ": the file is not open");
        if (::fsync(fd_) != 0) {
            return FileStatus::Failure("cannot flush " + path_ + " to disk: " + Reason(errno));
        }
        // mkstemp makes the file private (0600); a backup is as readable as any file the user
        // writes.
        ::fchmod(fd_, 0644);
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            return FileStatus::Failure("cannot close " + path_ + ": " + Reason(errno));
        }
        flushed_ = true;
        return {};
    }

    // Makes the rename itself durable. Some file systems refuse fsync on a folder (EINVAL);
    // the data is on disk by then either way, so that is no failure.
    void SyncFolder() const {
        const int dir = ::open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY);
        if (dir < 0) return;
        ::fsync(dir);
        ::close(dir);
    }

    std::string path_;
    std::string temp_;  // the temporary file while it exists
    int fd_ = -1;
    bool flushed_ = false;  // the temporary file is on disk and closed
};

}  // namespace

std::unique_ptr<DurableFile> MakeDurableFile() { return std::make_unique<PosixDurableFile>(); }

}  // namespace hivewarden::registry
