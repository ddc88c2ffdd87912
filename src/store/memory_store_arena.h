// Chunked byte storage for the in-memory store: names and value data are appended to large
// blocks instead of each living in its own heap string. Appended bytes never move, so a
// reference stays valid for the arena's whole life.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace hivewarden::registry {

class ByteArena {
public:
    // Where appended bytes live: block number and offset inside it.
    struct Ref {
        std::uint32_t Block = 0;
        std::uint32_t Offset = 0;
    };

    // Appends the bytes; the caller keeps their length. Pieces longer than a quarter block get a
    // block of their own, so a big value wastes no room in the shared blocks.
    Ref Append(std::string_view bytes);
    const char* At(Ref ref) const { return blocks_[ref.Block].get() + ref.Offset; }
    char* MutableAt(Ref ref) { return blocks_[ref.Block].get() + ref.Offset; }
    // Bytes held by all blocks together.
    std::size_t Capacity() const { return capacity_; }

    static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

private:
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t capacity_ = 0;
    std::uint32_t shared_ = 0;     // the block being filled
    std::size_t sharedUsed_ = kBlockBytes;  // its bytes in use (full: none yet)
};

}  // namespace hivewarden::registry
