// libFuzzer target for path extraction: arbitrary text goes through ExtractPath, PathKindOf
// and IsMissing over a small fixed machine. Besides sanitizer findings it checks their promises:
// the path is never longer than the text plus ".exe", the same text gives the same answers,
// the kind is one of the five codes, each call yields once and the probes asked are bounded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/error_entry.h"
#include "files/files.h"
#include "store/signals.h"
#include "text/text.h"
#include "scan/path_extract.h"

namespace {

using hivewarden::registry::DirEntry;

void Require(bool condition) {
    if (!condition) std::abort();
}

// Files and folders that exist, with short names the fuzzer can find.
class FixedProbes : public hivewarden::registry::FileProbes {
public:
    bool FileExists(std::string_view path) override {
        ++Probes;
        return Files.count(Normal(path)) > 0 || Folders.count(Normal(path)) > 0;
    }
    bool IsDirectory(std::string_view path) override {
        ++Probes;
        return Folders.count(Normal(path)) > 0;
    }
    bool IsNetworkPath(std::string_view path) override {
        ++Probes;
        return path.starts_with("\\\\");
    }
    std::string ExpandEnvironment(std::string_view text) override { return std::string(text); }
    std::string WindowsDirectory() override { return "C:\\Windows\\"; }
    bool ListDirectory(std::string_view, std::vector<DirEntry>&) override { return false; }
    bool ReadWholeFile(std::string_view, std::size_t, std::string&) override { return false; }
    bool DeleteFile(std::string_view) override { return false; }

    std::size_t Probes = 0;

private:
    static std::string Normal(std::string_view path) {
        std::string p(path);
        while (p.size() > 3 && p.back() == '\\') p.pop_back();
        return p;
    }

    using NameSet = std::set<std::string, hivewarden::LessNoCase>;
    const NameSet Files{R"(C:\a\b.exe)",
                        R"(C:\a.exe)",
                        R"(C:\x y\a.dll)",
                        R"(C:\a-b.exe)",
                        R"(C:\a;b)",
                        R"(C:\Windows\Fonts\a.ttf)",
                        "a",
                        R"(\\s\h\f)",
                        R"(C:\a\\b.exe)"};
    const NameSet Folders{
        R"(C:\)", R"(C:\a)", R"(C:\x y)", R"(C:\Windows)", R"(C:\Windows\Fonts)", R"(C:\d.e)"};
};

// Every pass of the cleaning loop asks at most three probes and the steps after it at most
// four; PathKindOf asks two more after its extraction.
constexpr std::size_t kMaxProbesPerText = 3 * hivewarden::scan::kMaxCleaningPasses + 8;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hivewarden;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    FixedProbes probes;
    registry::EngineSignals signals;
    int yields = 0;
    signals.YieldHook = [&yields] { ++yields; };
    scan::PathContext context{probes, "C:\\Windows\\", &signals};

    const std::string path = scan::ExtractPath(text, context);
    Require(path.size() <= text.size() + 4);
    Require(yields == 1);
    Require(probes.Probes <= kMaxProbesPerText);
    Require(scan::ExtractPath(text, context) == path);

    probes.Probes = 0;
    const std::int32_t kind = scan::PathKindOf(text, context);
    Require(kind >= engine::kNotAPath && kind <= engine::kNetworkPath);
    Require(probes.Probes <= kMaxProbesPerText + 2);
    Require(yields == 3);

    const bool missing = scan::IsMissing(text, kind, context);
    Require(yields == 4);
    // Empty text names the fonts folder itself, which exists here.
    if (path.empty()) Require(!missing);
    return 0;
}
