// What the value check learns from one data text, remembered for the length of one walk: the
// path cut out of it, the path's kind, the virus marker, and whether the path is missing.
// Real registries repeat the same data thousands of times (a system DLL, "Apartment", a
// class id), and the file system is taken as unchanged during a scan (the probes cache their
// answers on that ground too). A fixed table of slots chosen by the text's hash keeps memory
// small whatever the registry's size; a text takes a slot only when it is met a second time,
// so the many texts met once (numbers, hex data) neither push repeated ones out nor cost a
// copy. Slots are found through a small array of hash fingerprints, which stays in the
// processor's cache.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "scan/path_extract.h"

namespace hivewarden::scan {

class DataMemo {
public:
    struct Judgement {
        std::string Target;           // ExtractPath(data)
        std::int32_t Kind = 0;        // PathKindOfPath(Target)
        bool VirusMarker = false;     // the data holds kVirusMarker
        std::int8_t Missing = -1;     // IsMissingPath(Target, Kind): -1 until asked
        bool AbsentDrive = false;     // IsOnAbsentDrive(Target), asked with Missing when missing
    };

    DataMemo();
    ~DataMemo();
    DataMemo(const DataMemo&) = delete;
    DataMemo& operator=(const DataMemo&) = delete;

    // The judgement of `data`, remembered or worked out now; yields as ExtractPath does either
    // way. Valid until the next call.
    Judgement& Judge(std::string_view data, PathContext& paths);
    // IsMissingPath of the judgement's path, asked once per remembered text; a missing path
    // also learns whether its drive is absent.
    bool IsMissing(Judgement& judgement, PathContext& paths);

    // Texts longer than this are worked out every time (they rarely repeat).
    static constexpr std::size_t kMaxRememberedText = 512;
    static constexpr std::size_t kSlots = std::size_t{1} << 14;

private:
    struct Slot {
        std::string Data;
        Judgement Result;
    };
    static constexpr std::size_t kSeen = std::size_t{1} << 15;

    std::unique_ptr<Slot[]> slots_;
    // 32-bit fingerprints keep both arrays small enough to stay in the cache.
    std::unique_ptr<std::uint32_t[]> fingerprints_;  // of each slot's text; 0: empty
    std::unique_ptr<std::uint32_t[]> seen_;  // fingerprints of texts met once, by other bits
    Judgement scratch_;  // the judgement of a text that is not remembered
};

}  // namespace hivewarden::scan
