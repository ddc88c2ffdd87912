// The recursive key walker: checks every value of a key and its whole subtree, appends the
// findings to the shared results, and reports empty keys when asked. Knows nothing of windows
// or files beyond the path probes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/access.h"
#include "scan/data_memo.h"
#include "scan/registry_view.h"
#include "scan/scan_session.h"
#include "scan/view_probes.h"

namespace hivewarden::scan {

// The message shown when value data carries the virus marker.
inline constexpr const char* kVirusMarker = "2dadd52doc.ex";
inline constexpr const char* kVirusMarkerMessage = "Zelquin is Here";

// True for paths whose values the walker never examines (the root itself, classes and their
// 32-bit view, certificates, SYSTEM, SECURITY, SAM, HARDWARE, ...). Takes the path in upper
// case.
bool IsProtectedPath(std::string_view upperPath);

// ProgressPercent for entering top-level key number `position` of `total`.
std::int32_t ProgressForPosition(std::int64_t position, std::int64_t total);

class KeyWalker {
public:
    KeyWalker(ScanSession& session, ScanFrontEnd& frontEnd)
        : session_(session),
          frontEnd_(frontEnd),
          native_(session.Paths, RegistryView::kNative),
          wow32_(session.Paths, RegistryView::kWow32) {}

    // Walks root\path and everything below it.
    void WalkKey(registry::RootKey root, const std::string& path);

    // The category mask of a value's data at a key path, tested against ActiveScanOptions.
    // `dataKind`: PathKindOf(data) where the caller knows it already.
    bool CategoryDecision(std::string_view data, std::string_view keyPath,
                          std::optional<std::int32_t> dataKind = std::nullopt);

private:
    // How the entries of one registry view are judged: the file system as that view's programs
    // see it, and what was learned from each data text in that view. The same text can name an
    // existing file in one view and a missing one in the other.
    struct ViewJudge {
        ViewJudge(PathContext& paths, RegistryView view)
            : Probes(paths.Probes, view, paths.WindowsDir),
              Paths{Probes, paths.WindowsDir, paths.Signals, paths.FontFolders} {}
        ViewProbes Probes;
        PathContext Paths;
        DataMemo Memo;
    };

    ViewJudge& JudgeFor(std::string_view keyPath) {
        return ViewOfKeyPath(keyPath) == RegistryView::kWow32 ? wow32_ : native_;
    }
    void Walk(registry::RootKey root, const std::string& path, int depth);
    // Checks one key's values (or its emptiness) and gives its subkey names.
    std::vector<std::string> VisitKey(registry::RootKey root, const std::string& path);
    void CheckValue(registry::KeyReader& key, registry::RootKey root, const std::string& path,
                    const std::string& valueKeyPath, const registry::ValueRecord& value,
                    ViewJudge& view);
    void CheckEmptyKey(registry::RootKey root, const std::string& path, registry::KeyReader& key);
    std::int32_t CategoryMask(std::string_view data, std::string_view keyPath,
                              std::optional<std::int32_t> dataKind, PathContext& paths);
    void Yield() { session_.State.Yield(); }
    bool Stopped() const { return session_.State.StopRequested; }

    ScanSession& session_;
    ScanFrontEnd& frontEnd_;
    ViewJudge native_;
    ViewJudge wow32_;
};

}  // namespace hivewarden::scan
