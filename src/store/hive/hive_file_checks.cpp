// Hive header and transaction-log checks.
#include "store/hive/hive_file_checks.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "files/host_path.h"
#include "text/text.h"

namespace hivewarden::registry {
namespace {

namespace fs = std::filesystem;

std::uint32_t LittleEndian32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// A log beside the hive that is newer than it and not empty: its name, or empty text.
std::string NewerLog(const fs::path& hive) {
    std::error_code ec;
    const fs::file_time_type hiveTime = fs::last_write_time(hive, ec);
    if (ec) return {};
    const std::string hiveName = FromHostPath(hive.filename());
    for (fs::directory_iterator it(hive.parent_path().empty() ? "." : hive.parent_path(), ec), end;
         !ec && it != end; it.increment(ec)) {
        const std::string name = FromHostPath(it->path().filename());
        if (!EqualsNoCase(name, hiveName + ".LOG1") && !EqualsNoCase(name, hiveName + ".LOG2")) {
            continue;
        }
        std::error_code entryError;
        if (!it->is_regular_file(entryError) || it->file_size(entryError) == 0) continue;
        if (it->last_write_time(entryError) > hiveTime && !entryError) return name;
    }
    return {};
}

}  // namespace

bool ReadHiveSequence(const std::string& path, HiveSequence& sequence) {
    std::FILE* file = OpenHostFile(path, "rb");
    if (file == nullptr) return false;
    std::array<unsigned char, 12> header{};
    const std::size_t got = std::fread(header.data(), 1, header.size(), file);
    std::fclose(file);
    if (got != header.size() || header[0] != 'r' || header[1] != 'e' || header[2] != 'g' ||
        header[3] != 'f') {
        return false;
    }
    sequence.Primary = LittleEndian32(header.data() + 4);
    sequence.Secondary = LittleEndian32(header.data() + 8);
    return true;
}

std::string PendingLogReason(const std::string& path) {
    HiveSequence sequence;
    if (ReadHiveSequence(path, sequence) && sequence.Primary != sequence.Secondary) {
        return path + " was not written completely (its sequence numbers " +
               std::to_string(sequence.Primary) + " and " + std::to_string(sequence.Secondary) +
               " differ): changes are pending in its transaction logs";
    }
    const std::string log = NewerLog(ToHostPath(path));
    if (!log.empty()) {
        return path + " has changes pending in its transaction log " + log +
               " (newer than the hive)";
    }
    return {};
}

}  // namespace hivewarden::registry
