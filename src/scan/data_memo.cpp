// The data memo: one slot per hash value, filled by the texts met more than once; the last
// such text to come takes the slot.
#include "scan/data_memo.h"

#include <functional>

#include "text/text.h"
#include "scan/key_walker.h"

namespace hivewarden::scan {
namespace {

void WorkOut(std::string_view data, PathContext& paths, DataMemo::Judgement& judgement) {
    judgement.Target = ExtractPath(data, paths);
    judgement.Kind = PathKindOfPath(judgement.Target, paths);
    // The marker starts with a digit, which no other character upper-cases to: data without
    // that digit cannot hold it, and most data is ruled out by one fast search.
    static_assert(kVirusMarker[0] >= '0' && kVirusMarker[0] <= '9');
    judgement.VirusMarker = data.find(kVirusMarker[0]) != std::string_view::npos &&
                            ContainsNoCase(data, kVirusMarker);
    judgement.Missing = -1;
    judgement.AbsentDrive = false;
}

}  // namespace

DataMemo::DataMemo()
    : slots_(std::make_unique<Slot[]>(kSlots)),
      fingerprints_(std::make_unique<std::uint32_t[]>(kSlots)),
      seen_(std::make_unique<std::uint32_t[]>(kSeen)) {}
DataMemo::~DataMemo() = default;

DataMemo::Judgement& DataMemo::Judge(std::string_view data, PathContext& paths) {
    if (data.size() > kMaxRememberedText) {
        WorkOut(data, paths, scratch_);
        return scratch_;
    }
    const std::uint64_t hash = std::hash<std::string_view>{}(data);
    const std::uint32_t fingerprint = static_cast<std::uint32_t>(hash ^ (hash >> 32)) | 1;
    const std::size_t index = hash & (kSlots - 1);
    if (fingerprints_[index] == fingerprint && slots_[index].Data == data) {
        // Where cutting the path out would have yielded.
        if (paths.Signals != nullptr) paths.Signals->Yield();
        return slots_[index].Result;
    }
    std::uint32_t& seen = seen_[(hash >> 14) & (kSeen - 1)];  // bits the slot index does not use
    if (seen != fingerprint) {
        seen = fingerprint;
        WorkOut(data, paths, scratch_);
        return scratch_;
    }
    Slot& slot = slots_[index];
    fingerprints_[index] = fingerprint;
    slot.Data.assign(data);
    WorkOut(data, paths, slot.Result);
    return slot.Result;
}

bool DataMemo::IsMissing(Judgement& judgement, PathContext& paths) {
    if (judgement.Missing < 0) {
        judgement.Missing = IsMissingPath(judgement.Target, judgement.Kind, paths) ? 1 : 0;
        judgement.AbsentDrive = judgement.Missing != 0 && IsOnAbsentDrive(judgement.Target, paths);
    }
    return judgement.Missing != 0;
}

}  // namespace hivewarden::scan
