// The shortcut walk. Iterative over an explicit stack of folders, so a deep tree costs heap,
// not call stack; the order of visits is that of the plain recursive walk.
#include "scan/shortcuts/shortcut_scan.h"

#include <utility>
#include <vector>

#include "text/text.h"
#include "files/windows_path.h"
#include "scan/shortcuts/shortcut_target.h"

namespace hivewarden::scan {
namespace {

constexpr std::string_view kLinkExtension = ".lnk";

// A folder whose shortcuts have been read, and how far its subfolders have been walked.
struct FolderVisit {
    std::string Folder;  // with trailing "\"
    std::vector<std::string> Subfolders;
    std::size_t Next = 0;
};

bool IsLinkFileName(std::string_view name) {
    return name.size() > kLinkExtension.size() &&
           EqualsNoCase(name.substr(name.size() - kLinkExtension.size()), kLinkExtension);
}

bool IsDotName(std::string_view name) { return name == "." || name == ".."; }

// The subfolders worth entering, in listing order.
std::vector<std::string> CollectSubfolders(const std::string& folder,
                                           const std::vector<registry::DirEntry>& entries,
                                           const ShortcutScanContext& context) {
    std::vector<std::string> subfolders;
    const std::size_t folderLength = registry::Utf16Length(folder);
    for (const registry::DirEntry& entry : entries) {
        if (context.ScanHalted) break;
        context.Signals.Yield();
        std::string name = StripNulls(entry.Name);
        if (name.empty() || IsDotName(name) || !entry.IsDirectory || entry.IsLink ||
            entry.OtherFileSystem) {
            continue;
        }
        // Room for the name, its "\" and at least one more name below.
        if (folderLength + registry::Utf16Length(name) + 1 >= kMaxShortcutPathLength) continue;
        subfolders.push_back(std::move(name));
    }
    return subfolders;
}

// Reads one shortcut and reports it when its target is gone.
void CheckShortcut(const std::string& linkPath, ShortcutResults& results,
                   const ShortcutScanContext& context) {
    const std::string target =
        GetShortcutTargetOfFile(linkPath, context.Probes, context.AnsiCodePage);
    if (target.empty() || context.Probes.IsDirectory(target) || context.Probes.FileExists(target)) {
        return;
    }
    ShortcutEntry& entry = results.Grow();
    entry.LinkPath = linkPath.substr(0, linkPath.size() - kLinkExtension.size());
    entry.LinkTarget = target;
    entry.LinkIndex = results.Count();
    entry.RemoveMark = false;
    context.Signals.Yield();
    if (context.OnFound) context.OnFound(results[entry.LinkIndex]);
}

void CheckShortcuts(const std::string& folder, const std::vector<registry::DirEntry>& entries,
                    ShortcutResults& results, const ShortcutScanContext& context) {
    const std::size_t folderLength = registry::Utf16Length(folder);
    for (const registry::DirEntry& entry : entries) {
        if (context.ScanHalted) break;
        const std::string name = StripNulls(entry.Name);
        if (IsDotName(name)) continue;
        context.Signals.Yield();
        // Cancel may have come in during the yield: no file is read after it.
        if (context.ScanHalted) break;
        // A link may lead off the machine: it is neither read nor reported.
        if (entry.IsDirectory || entry.IsLink || !IsLinkFileName(name)) continue;
        if (folderLength + registry::Utf16Length(name) > kMaxShortcutPathLength) continue;
        CheckShortcut(folder + name, results, context);
    }
}

// Lists one folder, reports its shortcuts and returns its subfolders for the walk.
FolderVisit VisitFolder(std::string folder, ShortcutResults& results,
                        const ShortcutScanContext& context) {
    FolderVisit visit{std::move(folder), {}, 0};
    context.Signals.Yield();
    if (context.ScanHalted) return visit;
    std::vector<registry::DirEntry> entries;
    // One listing serves both passes: subfolders first, then the shortcuts.
    if (!context.Probes.ListDirectory(visit.Folder, entries)) return visit;
    visit.Subfolders = CollectSubfolders(visit.Folder, entries, context);
    CheckShortcuts(visit.Folder, entries, results, context);
    context.Signals.Yield();
    return visit;
}

}  // namespace

std::string SearchShortcuts(std::string_view folder, ShortcutResults& results,
                            const ShortcutScanContext& context) {
    std::string start(folder);
    if (start.empty() || start.back() != '\\') start += '\\';
    if (context.Probes.HostPath(start) == "/") {
        return "The shortcut search was not run: " + start +
               " is the host's root folder \"/\", and the search would walk the whole host";
    }
    std::vector<FolderVisit> stack;
    stack.push_back(VisitFolder(std::move(start), results, context));
    while (!stack.empty() && !context.ScanHalted) {
        FolderVisit& top = stack.back();
        if (top.Next == top.Subfolders.size()) {
            stack.pop_back();
            // The parent's yield after walking one of its subfolders.
            if (!stack.empty()) context.Signals.Yield();
            continue;
        }
        std::string child = top.Folder + top.Subfolders[top.Next++] + '\\';
        FolderVisit visit = VisitFolder(std::move(child), results, context);
        stack.push_back(std::move(visit));
    }
    return {};
}

}  // namespace hivewarden::scan
