// Chunked byte storage: shared blocks filled front to back, big pieces in blocks of their own.
#include "store/memory_store_arena.h"

#include <algorithm>

namespace hivewarden::registry {

ByteArena::Ref ByteArena::Append(std::string_view bytes) {
    if (bytes.size() > kBlockBytes / 4) {
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(bytes.size()));
        capacity_ += bytes.size();
        std::copy(bytes.begin(), bytes.end(), blocks_.back().get());
        return {static_cast<std::uint32_t>(blocks_.size() - 1), 0};
    }
    if (kBlockBytes - sharedUsed_ < bytes.size()) {
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
        capacity_ += kBlockBytes;
        shared_ = static_cast<std::uint32_t>(blocks_.size() - 1);
        sharedUsed_ = 0;
    }
    const Ref ref{shared_, static_cast<std::uint32_t>(sharedUsed_)};
    std::copy(bytes.begin(), bytes.end(), blocks_[shared_].get() + sharedUsed_);
    sharedUsed_ += bytes.size();
    return ref;
}

}  // namespace hivewarden::registry
