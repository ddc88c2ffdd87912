// A durable file for fault-injection tests: forwards to the real one and fails on cue (after
// a number of bytes, at Begin, at Commit) or changes the file on disk between its commit and
// the read-back.
#pragma once

#include <cstddef>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "files/durable_file.h"

namespace hivewarden::testing {

class ScriptedDurableFile : public registry::DurableFile {
public:
    ScriptedDurableFile() : real_(registry::MakeDurableFile()) {}

    // Write fails once this many bytes in total would have been written ("disk full").
    std::size_t FailAfterBytes = static_cast<std::size_t>(-1);
    bool FailBegin = false;
    bool FailCommit = false;
    // Runs on the committed file's bytes; what it leaves is written back to the file.
    std::function<void(std::string& bytes)> AfterCommit;

    std::size_t Written = 0;
    bool Abandoned = false;
    std::string Path;

    registry::FileStatus Begin(const std::string& path) override {
        Path = path;
        if (FailBegin) return registry::FileStatus::Failure("cannot create " + path + ": Denied");
        return real_->Begin(path);
    }
    registry::FileStatus Write(std::string_view bytes) override {
        if (Written + bytes.size() > FailAfterBytes) {
            // The bytes that fit still go out, as on a disk that fills up mid-write.
            const std::size_t fits = FailAfterBytes - Written;
            real_->Write(bytes.substr(0, fits));
            Written += fits;
            return registry::FileStatus::Failure("cannot write " + Path +
                                                 ": No space left on device");
        }
        Written += bytes.size();
        return real_->Write(bytes);
    }
    registry::FileStatus Commit() override {
        if (FailCommit) return Committed({});
        return Committed(real_->Commit());
    }
    registry::FileStatus CommitNew(const std::string& path) override {
        if (FailCommit) return Committed({});
        registry::FileStatus status = real_->CommitNew(path);
        if (status) Path = path;
        return Committed(std::move(status));
    }
    void Abandon() override {
        Abandoned = true;
        real_->Abandon();
    }

private:
    // The outcome of a commit whose real work gave `status`: the cued failure, or `status`
    // with AfterCommit's changes made to the committed file.
    registry::FileStatus Committed(registry::FileStatus status) {
        if (FailCommit) {
            return registry::FileStatus::Failure("cannot flush " + Path +
                                                 " to disk: Input/output error");
        }
        if (status && AfterCommit) {
            std::string bytes;
            {
                std::ifstream in(Path, std::ios::binary);
                bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            }
            AfterCommit(bytes);
            std::ofstream(Path, std::ios::binary | std::ios::trunc) << bytes;
        }
        return status;
    }

    std::unique_ptr<registry::DurableFile> real_;
};

}  // namespace hivewarden::testing
