// The key walker and the value check. Values under protected branches are skipped but the
// branches are still descended, so every key of a root is visited.
#include "scan/key_walker.h"

#include <cmath>

#include "text/text.h"
#include "scan/category_rules.h"
#include "scan/scan_options.h"
#include "scan/scanned_value.h"

namespace hivewarden::scan {
namespace {

// Registry keys nest at most 512 levels deep; a deeper chain can only come from a broken
// store, and the walk must not exhaust the stack on it.
constexpr int kMaxWalkDepth = 512;

struct ProtectedText {
    std::string_view Text;
    bool AlsoWhole;  // the path may also equal the text without its final "\"
};

constexpr ProtectedText kProtectedTexts[] = {
    {"SOFTWARE\\CLASSES", false},
    // The classes of 32-bit programs on 64-bit Windows (a view of Software\Classes\Wow6432Node).
    {"SOFTWARE\\WOW6432NODE\\CLASSES", false},
    {"SOFTWARE\\MICROSOFT\\EVENTSYSTEM", false},
    {"SOFTWARE\\MICROSOFT\\PROTECTEDSTORAGE", false},
    {"SOFTWARE\\MICROSOFT\\PROTECTED STORAGE", false},
    {"SOFTWARE\\MICROSOFT\\SYSTEMCERTIFICATES", false},
    {"SYSTEM\\", true},
    {"SECURITY\\", true},
    {"SAM\\", true},
    {"HARDWARE\\", true},
};

std::string LastComponent(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string JoinKeyPath(registry::RootKey root, std::string_view path) {
    std::string keyPath = registry::RootName(root);
    keyPath += '\\';
    keyPath += path;
    return keyPath;
}

}  // namespace

bool IsProtectedPath(std::string_view upperPath) {
    if (upperPath.empty()) return true;
    for (const ProtectedText& p : kProtectedTexts) {
        if (upperPath.find(p.Text) != std::string_view::npos) return true;
        if (p.AlsoWhole && upperPath == p.Text.substr(0, p.Text.size() - 1)) return true;
    }
    return false;
}

std::int32_t ProgressForPosition(std::int64_t position, std::int64_t total) {
    if (total <= 0) return 2;
    // Rounded to the nearest whole number, halves to even.
    const double p = std::nearbyint(static_cast<double>(position) * 100.0 /
                                    static_cast<double>(total));
    // Top-level keys added during the walk could push it past 100; it stays below 100
    // until the scan really ends.
    if (p >= 100.0) return 99;
    if (p < 5.0) return 2;
    return static_cast<std::int32_t>(p);
}

void KeyWalker::WalkKey(registry::RootKey root, const std::string& path) { Walk(root, path, 0); }

void KeyWalker::Walk(registry::RootKey root, const std::string& path, int depth) {
    if (depth > kMaxWalkDepth) return;
    const std::vector<std::string> subkeys = VisitKey(root, path);
    engine::ScanState& state = session_.State;
    for (std::size_t i = 0; i < subkeys.size(); ++i) {
        if (path.empty()) {
            const std::int64_t position =
                std::int64_t{state.ProgressBaseCU} + state.ProgressBaseLM + (i + 1);
            state.ProgressPercent = ProgressForPosition(
                position, std::int64_t{state.TopKeyCountCU} + state.TopKeyCountLM);
            Walk(root, subkeys[i], depth + 1);
        } else {
            Walk(root, path + "\\" + subkeys[i], depth + 1);
        }
        Yield();
        if (Stopped()) return;
    }
}

std::vector<std::string> KeyWalker::VisitKey(registry::RootKey root, const std::string& path) {
    // Values and subkeys through one open key, which is closed again before the walk goes down.
    registry::KeyReader key = session_.Access.ReadKey(root, path);
    ++session_.State.KeysVisited;
    Yield();
    if (!IsProtectedPath(ToUpper(path))) {
        Yield();
        const std::vector<registry::ValueRecord> values = key.Values();
        if (values.empty()) {
            CheckEmptyKey(root, path, key);
        } else {
            const std::string keyPath = JoinKeyPath(root, path);
            ViewJudge& view = JudgeFor(keyPath);
            for (const registry::ValueRecord& value : values) {
                CheckValue(key, root, path, keyPath, value, view);
                Yield();
                if (Stopped()) break;
            }
        }
    }
    Yield();
    return key.Subkeys();
}

std::int32_t KeyWalker::CategoryMask(std::string_view data, std::string_view keyPath,
                                     std::optional<std::int32_t> dataKind, PathContext& paths) {
    std::int32_t mask = 0;
    if (!session_.Trojans.TrojanNameFor(data).empty()) mask |= ScanTrojans;
    if (IsFontEntry(keyPath, data)) mask |= ScanFonts;
    if (IsAutoRunEntry(keyPath, data)) mask |= ScanAutoRun;
    if (IsUninstallEntry(keyPath, data, paths, dataKind)) mask |= ScanUninstall;
    if (IsSoundEntry(keyPath, data)) mask |= ScanSounds;
    if (IsAppPathEntry(keyPath, data, paths, dataKind)) mask |= ScanAppPaths;
    if (IsHelpEntry(data, keyPath)) mask |= ScanHelp;
    if (IsSharedDllEntry(data, keyPath)) mask |= ScanSharedDlls;
    if (IsDriverEntry(data)) mask |= ScanDrivers;
    return mask;
}

bool KeyWalker::CategoryDecision(std::string_view data, std::string_view keyPath,
                                 std::optional<std::int32_t> dataKind) {
    const std::int32_t options = session_.State.ActiveScanOptions;
    if (CategoryMask(data, keyPath, dataKind, JudgeFor(keyPath).Paths) & options) return true;
    return (options & ScanAll) != 0;
}

void KeyWalker::CheckValue(registry::KeyReader& key, registry::RootKey root,
                           const std::string& path, const std::string& valueKeyPath,
                           const registry::ValueRecord& value, ViewJudge& view) {
    const std::string& data = value.Data;
    PathContext& paths = view.Paths;
    DataMemo& memo = view.Memo;
    Yield();
    // The path is cut out once per distinct text of a view; the kind, the missing test and the
    // finding all use it.
    DataMemo::Judgement& judgement = memo.Judge(data, paths);
    const std::int32_t kind = judgement.Kind;
    if (judgement.VirusMarker) frontEnd_.ShowMessage(kVirusMarkerMessage);

    const bool font = IsFontEntry(valueKeyPath, data);
    const bool candidate = font || session_.State.ActiveScanOptions == ScanDrivers || kind != 0;
    if (!candidate) return;

    Yield();
    const bool missing = memo.IsMissing(judgement, paths);
    const std::string& target = judgement.Target;  // only Judge changes the memo
    const bool driver = IsDriverEntry(data);
    // A driver whose file is still there is worth a look only when the user asked for
    // drivers; otherwise the whole-registry scan would offer to delete working drivers.
    const bool existingDriverWanted =
        driver && (session_.State.ActiveScanOptions & ScanDrivers) != 0;
    if (!missing && !existingDriverWanted) return;

    Yield();
    // A missing in-process server makes its class key the finding.
    std::string keyPath = valueKeyPath;
    const bool comServer = missing && ContainsNoCase(keyPath, "INPROCSERVER32");
    if (comServer) {
        const std::size_t slash = path.rfind('\\');
        keyPath = JoinKeyPath(root, slash == std::string::npos ? std::string_view{}
                                                               : std::string_view(path).substr(0, slash));
    }
    // The data's path kind is known: the rules that ask it need not cut the path out again.
    if (!CategoryDecision(data, keyPath, kind)) return;

    Yield();
    engine::ErrorEntry entry;
    if (comServer) {
        entry.EntryKind = engine::kKeyEntry;
        entry.IsComServer = true;
        entry.ItemName = LastComponent(keyPath);
    } else {
        entry.EntryKind = engine::kValueEntry;
        entry.IsSharedDll = IsSharedDllEntry(data, keyPath);
        entry.IsHelp = IsHelpEntry(data, keyPath);
        entry.IsUninstall = IsUninstallEntry(keyPath, data, paths, kind);
        entry.ItemName = value.Name;
        entry.ValueType = value.Type;
    }
    entry.KeyPath = keyPath;
    entry.TargetPath = target;
    entry.ItemData = data;
    entry.PathKind = kind;
    entry.RootKey = root;
    entry.IsAppPath = IsAppPathEntry(keyPath, data, paths, kind);
    entry.IsSound = IsSoundEntry(keyPath, data);
    entry.IsDriver = driver;
    entry.IsFont = IsFontEntry(keyPath, data);
    entry.IsAutoRun = IsAutoRunEntry(keyPath, data);
    entry.IsShell32 = ContainsNoCase(entry.TargetPath, "SHELL32");
    entry.IsAbsentDrive = missing && judgement.AbsentDrive;
    entry.TrojanName = session_.Trojans.TrojanNameFor(data);
    entry.IsTrojan = !entry.TrojanName.empty();
    entry.TargetWasMissing = missing;
    RecordScannedValue(entry, key, root, path, value.Name);
    session_.State.AppendFinding(std::move(entry));
}

void KeyWalker::CheckEmptyKey(registry::RootKey root, const std::string& path,
                              registry::KeyReader& key) {
    if (!session_.State.CheckEmptyKeys || path.empty()) return;
    // Emptiness is the store's own count, not the listing (which Cancel or an unreadable item
    // may have cut short). A key that cannot be read or was deleted meanwhile is not known to
    // be empty; reporting it would invite the user to delete a key whose contents nobody has
    // seen.
    if (!key.IsEmpty()) return;
    Yield();
    engine::ErrorEntry entry;
    entry.EntryKind = engine::kKeyEntry;
    entry.IsEmptyKey = true;
    entry.KeyPath = JoinKeyPath(root, path);
    entry.ItemName = LastComponent(path);
    entry.ItemData = entry.ItemName;
    entry.RootKey = root;
    entry.IsSharedDll = IsSharedDllEntry(path, entry.KeyPath);
    entry.IsHelp = IsHelpEntry(path, entry.KeyPath);
    entry.IsDriver = IsDriverEntry(entry.ItemName);
    entry.TrojanName = session_.Trojans.TrojanNameFor(entry.ItemName);
    entry.IsTrojan = !entry.TrojanName.empty();
    session_.State.AppendFinding(std::move(entry));
}

}  // namespace hivewarden::scan
