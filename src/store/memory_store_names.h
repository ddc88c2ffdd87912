// The in-memory store's name table: every key and value name is kept once, by its exact
// spelling, and numbered. Names that are equal case-insensitively (text.h) share a fold number,
// so the store compares names of the same key by number instead of by text.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "store/memory_store_arena.h"

namespace hivewarden::registry {

class NamePool {
public:
    using Id = std::uint32_t;
    static constexpr Id kNoName = 0xFFFFFFFFu;

    // The number of this exact spelling, added when new.
    Id Intern(std::string_view name);
    // The fold number of names equal to `name` case-insensitively; kNoName when none was ever
    // interned (then no key or value can carry such a name).
    Id FindFold(std::string_view name);

    std::string_view Text(Id id) const {
        const Entry& entry = entries_[id];
        return {arena_.At(entry.Where), entry.Length};
    }
    Id FoldOf(Id id) const { return entries_[id].Fold; }

    // Bytes the table holds apart from the spellings' own bytes.
    std::size_t OverheadBytes() const;

private:
    struct Entry {
        ByteArena::Ref Where;
        std::uint32_t Length = 0;
        Id Fold = 0;               // the first interned spelling of this case-insensitive name
        std::uint32_t Hash = 0;       // of the exact spelling
        std::uint32_t FoldHash = 0;   // of the upper-case form
    };
    // Open addressing: slots hold id + 1, 0 is free. Kept at most half full.
    using Slots = std::vector<std::uint32_t>;

    static std::uint32_t FoldHashOf(std::string_view name);
    // The slot holding a match, or the free slot where it would go.
    template <typename Matches>
    std::uint32_t& Probe(Slots& slots, std::uint32_t hash, Matches matches);
    void GrowIfNeeded();

    ByteArena arena_;
    std::vector<Entry> entries_;
    Slots exact_;
    Slots folds_;
};

}  // namespace hivewarden::registry
