// What can be told about a hive file before it is opened: whether it starts like a hive, and
// whether its transaction logs hold changes the hive itself does not hold yet. Portable file
// reads; no hive library.
#pragma once

#include <cstdint>
#include <string>

namespace hivewarden::registry {

// The two sequence numbers of a hive's header: equal when the hive was written completely.
struct HiveSequence {
    std::uint32_t Primary = 0;
    std::uint32_t Secondary = 0;
};

// The header's sequence numbers; false when `path` cannot be read or does not start with
// "regf".
bool ReadHiveSequence(const std::string& path, HiveSequence& sequence);

// Empty when the hive holds every change made to it; otherwise why it does not, naming the
// file: its two sequence numbers differ, or a transaction log beside it (FILE.LOG1 or
// FILE.LOG2, the name matched without regard to case) is newer than the hive and not empty.
std::string PendingLogReason(const std::string& path);

}  // namespace hivewarden::registry
