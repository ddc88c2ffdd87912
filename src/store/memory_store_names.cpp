// The name table: two open-addressing sets over one list of entries, one by exact spelling and
// one by upper-case form.
#include "store/memory_store_names.h"

#include <functional>

#include "text/text.h"
#include "text/unicode.h"

namespace hivewarden::registry {
namespace {

std::uint32_t HashOf(std::string_view text) {
    const std::uint64_t hash = std::hash<std::string_view>{}(text);
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

}  // namespace

// Hashes the upper-cased UTF-16 units, exactly the sequence EqualsNoCase compares, so names it
// calls equal always hash alike (also bytes that are not UTF-8, and a pair written as two
// surrogate forms).
std::uint32_t NamePool::FoldHashOf(std::string_view name) {
    std::uint32_t hash = 2166136261u;
    const auto mix = [&hash](char16_t unit) { hash = (hash ^ unit) * 16777619u; };
    std::size_t pos = 0;
    while (pos < name.size()) {
        const auto byte = static_cast<unsigned char>(name[pos]);
        if (byte < 0x80) {
            mix(static_cast<char16_t>(AsciiUpper(static_cast<char>(byte))));
            ++pos;
            continue;
        }
        const char32_t c = NextCodePoint(name, pos);
        if (c < 0x10000) {
            mix(UpcaseUnit(static_cast<char16_t>(c)));
        } else {
            mix(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            mix(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    return hash;
}

template <typename Matches>
std::uint32_t& NamePool::Probe(Slots& slots, std::uint32_t hash, Matches matches) {
    const std::size_t mask = slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        std::uint32_t& slot = slots[i];
        if (slot == 0 || matches(slot - 1)) return slot;
    }
}

void NamePool::GrowIfNeeded() {
    // Both sets grow together; the fold set never holds more entries than the exact one.
    if ((entries_.size() + 1) * 2 <= exact_.size()) return;
    const std::size_t size = exact_.empty() ? 1024 : exact_.size() * 2;
    exact_.assign(size, 0);
    folds_.assign(size, 0);
    const auto never = [](Id) { return false; };
    for (Id id = 0; id < entries_.size(); ++id) {
        const Entry& entry = entries_[id];
        Probe(exact_, entry.Hash, never) = id + 1;
        if (entry.Fold == id) Probe(folds_, entry.FoldHash, never) = id + 1;
    }
}

NamePool::Id NamePool::Intern(std::string_view name) {
    GrowIfNeeded();
    const std::uint32_t hash = HashOf(name);
    std::uint32_t& slot = Probe(exact_, hash, [&](Id id) {
        return entries_[id].Hash == hash && Text(id) == name;
    });
    if (slot != 0) return slot - 1;

    const Id id = static_cast<Id>(entries_.size());
    Entry entry;
    entry.Where = arena_.Append(name);
    entry.Length = static_cast<std::uint32_t>(name.size());
    entry.Hash = hash;
    entry.FoldHash = FoldHashOf(name);
    std::uint32_t& foldSlot = Probe(folds_, entry.FoldHash, [&](Id other) {
        return entries_[other].FoldHash == entry.FoldHash && EqualsNoCase(Text(other), name);
    });
    if (foldSlot == 0) foldSlot = id + 1;
    entry.Fold = foldSlot - 1;
    slot = id + 1;
    entries_.push_back(entry);
    return id;
}

NamePool::Id NamePool::FindFold(std::string_view name) {
    if (folds_.empty()) return kNoName;
    const std::uint32_t foldHash = FoldHashOf(name);
    const std::uint32_t slot = Probe(folds_, foldHash, [&](Id other) {
        return entries_[other].FoldHash == foldHash && EqualsNoCase(Text(other), name);
    });
    return slot == 0 ? kNoName : slot - 1;
}

std::size_t NamePool::OverheadBytes() const {
    return entries_.capacity() * sizeof(Entry) + (exact_.size() + folds_.size()) * sizeof(Id);
}

}  // namespace hivewarden::registry
