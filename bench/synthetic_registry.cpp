// Deterministic synthetic registry and drive.
#include "synthetic_registry.h"

#include <fstream>
#include <random>
#include <vector>

#include "text/unicode.h"

namespace hivewarden::bench {
namespace {

// String data as the registry stores it: UTF-16LE with a terminating NUL unit.
std::string Utf(const std::string& text) {
    std::string bytes = Utf16LeFromUtf8(text);
    bytes.append(2, '\0');
    return bytes;
}

std::string TargetPath(std::uint32_t target) {
    return "C:\\Program Files\\Vendor" + std::to_string(target % 97) + "\\App" +
           std::to_string(target % 13) + "\\file" + std::to_string(target) + ".dll";
}

std::filesystem::path HostPath(const std::filesystem::path& driveC, std::uint32_t target) {
    return driveC / "Program Files" / ("Vendor" + std::to_string(target % 97)) /
           ("App" + std::to_string(target % 13)) / ("file" + std::to_string(target) + ".dll");
}

}  // namespace

SyntheticCounts BuildSyntheticMachine(const SyntheticShape& shape, registry::RegistryStore& store,
                                      const std::filesystem::path& driveC) {
    std::mt19937 random(shape.Seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<std::uint32_t> pick(0, shape.DistinctTargets - 1);

    // Targets below the missing share do not exist; the rest are created as empty files.
    const auto missingTargets =
        static_cast<std::uint32_t>(shape.MissingShare * shape.DistinctTargets);
    std::filesystem::create_directories(driveC / "Windows" / "Fonts");
    for (std::uint32_t t = missingTargets; t < shape.DistinctTargets; ++t) {
        std::filesystem::create_directories(HostPath(driveC, t).parent_path());
        std::ofstream(HostPath(driveC, t)).put('x');
    }

    SyntheticCounts counts;
    for (std::uint32_t k = 0; k < shape.Keys; ++k) {
        // Three levels: Bench\G<group>\S<sub>\K<k>, half under each root.
        const registry::RootKey root = (k % 2) ? registry::kLocalMachine : registry::kCurrentUser;
        const std::string path = "Software\\Bench\\G" + std::to_string(k % 50) + "\\S" +
                                 std::to_string(k % 1000) + "\\K" + std::to_string(k);
        const registry::StoreHandle key = store.Create(root, path);
        ++counts.Keys;
        for (std::uint32_t v = 0; v < shape.ValuesPerKey; ++v) {
            registry::RawValue value;
            const double r = unit(random);
            if (r < shape.PathShare) {
                const std::uint32_t target = pick(random);
                value = {registry::kRegSz, Utf(TargetPath(target))};
                ++counts.PathValues;
                if (target < missingTargets) ++counts.MissingValues;
            } else if (r < shape.PathShare + 0.2) {
                const std::uint32_t n = static_cast<std::uint32_t>(random());
                value = {registry::kRegDword, std::string(reinterpret_cast<const char*>(&n), 4)};
            } else if (r < shape.PathShare + 0.3) {
                std::string bytes(24, '\0');
                for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
                value = {registry::kRegBinary, bytes};
            } else {
                value = {registry::kRegSz, Utf("Setting value " + std::to_string(random() % 100000))};
            }
            store.Write(key, "Value" + std::to_string(v), value);
            ++counts.Values;
        }
        store.Close(key);
    }
    return counts;
}

}  // namespace hivewarden::bench
