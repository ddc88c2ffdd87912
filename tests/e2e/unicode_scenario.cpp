// Paths that no ANSI code page holds, through the whole window: App Paths to folders named in
// Chinese, Greek and German (three exist, one is missing), the scan's rows read back through
// the automation protocol and compared byte for byte, Change Value with a Chinese file chosen
// in the open-file dialog and edited in the input box, a repair into a backup with a Chinese
// name, and its restore. Texts are written as UTF-8 escapes, so this file stays ASCII.
#include <optional>
#include <string>

#include "e2e/common_dialogs.h"
#include "e2e/file_tools.h"
#include "e2e/list_view.h"
#include "e2e/program_settings.h"
#include "e2e/registry_tools.h"
#include "e2e/scan_steps.h"
#include "e2e/scenarios.h"
#include "e2e/scope_exit.h"
#include "e2e/utf8_text.h"
#include "e2e/window_tools.h"

namespace hivewarden::e2e {
namespace {

using ui::Control;

constexpr char kAppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr char kAppsFolder[] = "C:\\Apps";

// A folder under C:\Apps and the App Path key that names its app.exe.
struct AppFolder {
    const char* Label;
    std::string Folder;  // below C:\Apps
    std::string Key;     // below App Paths
    bool Exists;
};

// Li Ming, Omega and Juergen exist; Wang (the king) does not, and its key is named in Chinese
// too, so the row's key path holds it as well.
const AppFolder kLiMing{"Chinese", "\xE6\x9D\x8E\xE6\x98\x8E", "hwunicode-li.exe", true};
const AppFolder kOmega{"Greek", "\xCE\xA9mega", "hwunicode-omega.exe", true};
const AppFolder kJuergen{"German", "J\xC3\xBCrgen", "hwunicode-juergen.exe", true};
const AppFolder kWang{"missing Chinese", "\xE7\x8E\x8B", "hwunicode-\xE7\x8E\x8B.exe", false};
const AppFolder* const kFolders[] = {&kLiMing, &kOmega, &kJuergen, &kWang};

// What the input box's text is edited to: a Chinese file name with an emoji (a surrogate pair
// in UTF-16) in the existing Chinese folder.
const std::string kEditedName = "\xE5\xBA\x94\xE7\x94\xA8\xF0\x9F\x98\x80.exe";
// A backup name in Chinese ("backup").
const std::string kBackupName = "e2e-\xE5\xA4\x87\xE4\xBB\xBD";

constexpr DWORD kDialogTimeoutMs = 15000;
constexpr DWORD kImportWaitMs = 10000;
constexpr int kOpenFileNameBox = 1148;
constexpr int kInputEditId = 100;
const char* const kTitle = "Kestovar Hivewarden";

// Under Wine the window's UI font (Tahoma, which "MS Shell Dlg" becomes) shows Chinese only
// when a font named SimSun exists, as Windows links its UI fonts to one. While this scenario
// runs the host's CJK font stands in for it (each process reads this as it starts); without
// it the texts are still exact but draw as boxes. Nothing is changed on Windows.
class ChineseUiFontUnderWine {
  public:
    explicit ChineseUiFontUnderWine(AppSession& app) : wine_(RunsUnderWine()) {
        if (!wine_) return;
        WriteText(HKEY_CURRENT_USER, kReplacementsKey, "SimSun", kHostCjkFont);
        if (!FontInstalled(kHostCjkFont)) {
            app.Note(std::string("no ") + kHostCjkFont +
                     " (fonts-wqy-microhei): Chinese draws as "
                     "boxes in the screenshots");
        }
    }
    ~ChineseUiFontUnderWine() {
        if (wine_) DeleteValue(HKEY_CURRENT_USER, kReplacementsKey, "SimSun");
    }
    ChineseUiFontUnderWine(const ChineseUiFontUnderWine&) = delete;
    ChineseUiFontUnderWine& operator=(const ChineseUiFontUnderWine&) = delete;

  private:
    static constexpr char kReplacementsKey[] = "Software\\Wine\\Fonts\\Replacements";
    static constexpr char kHostCjkFont[] = "WenQuanYi Micro Hei";

    static bool RunsUnderWine() {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }
    static int CALLBACK Found(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
        *reinterpret_cast<bool*>(found) = true;
        return 0;
    }
    static bool FontInstalled(const char* family) {
        LOGFONTW font{};
        font.lfCharSet = DEFAULT_CHARSET;
        const std::wstring name = Wide(family);
        name.copy(font.lfFaceName, LF_FACESIZE - 1);
        bool found = false;
        const HDC screen = GetDC(nullptr);
        EnumFontFamiliesExW(screen, &font, Found, reinterpret_cast<LPARAM>(&found), 0);
        ReleaseDC(nullptr, screen);
        return found;
    }

    bool wine_;
};

std::string FolderPath(const AppFolder& folder) {
    return std::string(kAppsFolder) + "\\" + folder.Folder;
}
std::string FilePath(const AppFolder& folder) { return FolderPath(folder) + "\\app.exe"; }
std::string KeyPath(const AppFolder& folder) { return kAppPaths + folder.Key; }

// A string value's bytes as Windows stores them: UTF-16LE with the terminating NUL unit.
std::string StoredString(const std::string& text) {
    const std::wstring wide = Wide(text) + L'\0';
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

bool Seed() {
    bool made = true;
    for (const AppFolder* folder : kFolders) {
        if (folder->Exists) {
            made =
                MakeFolders(FolderPath(*folder)) && WriteWholeFile(FilePath(*folder), "MZ") && made;
        }
        made = WriteText(HKEY_LOCAL_MACHINE, KeyPath(*folder), "", FilePath(*folder)) && made;
    }
    return made;
}

void CleanUp(const std::string& programFolder) {
    for (const AppFolder* folder : kFolders) {
        DeleteTree(HKEY_LOCAL_MACHINE, KeyPath(*folder));
        RemoveFile(FilePath(*folder));
        RemoveFolder(FolderPath(*folder));
    }
    RemoveFile(FolderPath(kLiMing) + "\\" + kEditedName);
    RemoveFolder(kAppsFolder);
    RemoveFile(programFolder + "\\" + kBackupName + ".reg");
}

// The seeded files exist as the driver wrote them, read back through the wide calls.
void CheckSeededFiles(AppSession& app) {
    for (const AppFolder* folder : kFolders) {
        app.Check(FileExists(FilePath(*folder)) == folder->Exists,
                  std::string("unicode: the ") + folder->Label + " app.exe " +
                      (folder->Exists ? "exists" : "does not exist"));
    }
}

// The rows of the scan: the missing path with its exact text, none for the three that exist.
std::optional<RowTexts> CheckRows(AppSession& app, ResultsGrid& grid) {
    const std::string suffix = "\\App Paths\\" + kWang.Key;
    const std::optional<RowTexts> row = grid.Find([&](const RowTexts& texts) {
        return texts.Body.size() >= suffix.size() &&
               texts.Body.compare(texts.Body.size() - suffix.size(), suffix.size(), suffix) == 0;
    });
    if (!app.Check(row.has_value(),
                   "unicode: the App Path to the missing Chinese folder is a row, its key path "
                   "ending in the Chinese key name")) {
        return std::nullopt;
    }
    const std::string kind = "Invalid Application Path - " + FilePath(kWang);
    app.Check(row->ErrorKind == kind, "unicode: the row reads \"" + kind + "\" exactly",
              "got \"" + row->ErrorKind + "\"");
    app.Check(row->Body == "HKEY_LOCAL_MACHINE\\" + KeyPath(kWang),
              "unicode: the row's key path is exact", "got \"" + row->Body + "\"");
    for (const AppFolder* folder : {&kLiMing, &kOmega, &kJuergen}) {
        const bool reported =
            grid.Find([&](const RowTexts& texts) {
                    return texts.Body.find(folder->Key) != std::string::npos ||
                           texts.ErrorKind.find(folder->Folder) != std::string::npos;
                })
                .has_value();
        app.Check(!reported, std::string("unicode: the App Path to the existing ") + folder->Label +
                                 " folder is not reported");
    }
    return row;
}

// Change Value: the open-file dialog takes the existing Chinese file, Yes to editing, and the
// input box shows that path exactly and gives back the edited one.
bool ChangeToChineseFile(AppSession& app, ResultsGrid& grid, int row) {
    if (!app.Check(grid.OpenChooser(row), "unicode: the row's drop-down opens") ||
        !app.Check(grid.ChooseItem("Change Value"), "unicode: \"Change Value\" is chosen")) {
        return false;
    }
    const DWORD pid = app.Process().Pid();
    const HWND open = WaitForDialog(pid, "Please, select the new file path", "", kDialogTimeoutMs);
    if (!app.Check(open != nullptr, "unicode: the open-file dialog opens")) return false;
    const std::string chosen = FilePath(kLiMing);
    const HWND nameBox = GetDlgItem(open, kOpenFileNameBox);
    app.Check(SetWindowTextTo(nameBox, chosen) && WindowText(nameBox) == chosen,
              "unicode: the Chinese path is typed into the open-file dialog",
              "reads \"" + WindowText(nameBox) + "\"");
    PostClick(GetDlgItem(open, IDOK));
    const HWND question =
        WaitForDialog(pid, kTitle, "Would you like to edit the selected path?", kDialogTimeoutMs);
    if (!app.Check(question != nullptr,
                   "unicode: the dialog accepts the existing Chinese file "
                   "and the program asks whether to edit it")) {
        return false;
    }
    PostClick(GetDlgItem(question, IDYES));
    const HWND input =
        WaitForDialog(pid, kTitle, "Please, edit the current path", kDialogTimeoutMs);
    if (!app.Check(input != nullptr, "unicode: the input box opens")) return false;
    const HWND edit = GetDlgItem(input, kInputEditId);
    app.Check(WindowText(edit) == chosen,
              "unicode: the input box shows the chosen Chinese path exactly",
              "shows \"" + WindowText(edit) + "\"");
    app.Shot("30-unicode-edit-path");
    const std::string edited = FolderPath(kLiMing) + "\\" + kEditedName;
    app.Check(SetWindowTextTo(edit, edited),
              "unicode: the path is edited to a Chinese name "
              "with an emoji");
    PostClick(GetDlgItem(input, IDOK));
    const bool changed = WaitUntil(
        [&] {
            return grid.Cell(row, kColumnCorrection) == "Change Value" &&
                   grid.Cell(row, kColumnFixedValue) == edited;
        },
        kShortWaitMs);
    return app.Check(changed,
                     "unicode: the row reads \"Change Value\" with the edited path as its Fixed "
                     "Value, exactly",
                     "\"" + grid.Cell(row, kColumnCorrection) + "\", \"" +
                         grid.Cell(row, kColumnFixedValue) + "\"");
}

// The repaired value holds the edited path as UTF-16 with its NUL; the backup holds the old one.
void CheckAfterRepair(AppSession& app, const std::string& programFolder) {
    const std::string edited = FolderPath(kLiMing) + "\\" + kEditedName;
    const std::optional<RawData> raw = ReadRaw(HKEY_LOCAL_MACHINE, KeyPath(kWang), "");
    app.Check(raw && raw->Type == REG_SZ && raw->Bytes == StoredString(edited),
              "registry: the value holds the edited path, byte for byte",
              raw ? "read \"" + ReadText(HKEY_LOCAL_MACHINE, KeyPath(kWang), "").value_or("?") +
                        "\" in " + std::to_string(raw->Bytes.size()) + " bytes"
                  : std::string("no value"));
    for (const AppFolder* folder : {&kLiMing, &kOmega, &kJuergen}) {
        app.Check(ReadText(HKEY_LOCAL_MACHINE, KeyPath(*folder), "") == FilePath(*folder),
                  std::string("registry: the App Path to the existing ") + folder->Label +
                      " folder is unchanged");
    }
    const std::string expected = programFolder + "\\" + kBackupName + ".reg";
    const std::string reported = app.Ask("backup").value_or("");
    app.Check(EqualsNoCase(reported, expected), "backup: the backup is " + expected,
              "the window says \"" + reported + "\"");
    const std::optional<std::string> bytes = ReadWholeFile(expected);
    if (!app.Check(bytes.has_value(), "backup: the file with the Chinese name is written")) {
        return;
    }
    // Not every line fits an ANSI code page: a version 5 file, UTF-16LE with its BOM.
    const bool utf16 = bytes->size() >= 2 && bytes->compare(0, 2, "\xFF\xFE") == 0;
    std::wstring wide(utf16 ? (bytes->size() - 2) / 2 : 0, L'\0');
    if (utf16) bytes->copy(reinterpret_cast<char*>(wide.data()), wide.size() * 2, 2);
    const std::string text = Utf8(wide);
    app.Check(utf16 && text.rfind("Windows Registry Editor Version 5.00\r\n", 0) == 0,
              "backup: a \"Windows Registry Editor Version 5.00\" file in UTF-16LE");
    const std::string section = "[HKEY_LOCAL_MACHINE\\" + KeyPath(kWang) + "]\r\n";
    std::string oldValue = "@=\"";
    for (const char c : FilePath(kWang)) {
        oldValue += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    oldValue += "\"\r\n";
    app.Check(text.find(section + oldValue) != std::string::npos,
              "backup: it holds the Chinese key and the old Chinese path exactly");
}

// The restore page lists the backup by its Chinese name; restored through the system's import
// (the registry editor, for a version 5 file), the value holds its old bytes again.
void RestoreTheBackup(AppSession& app) {
    app.Post(Control::cmdExit);  // Finish
    if (!app.Check(app.WaitPages("FrameStart"), "unicode: Finish shows the start page")) return;
    app.Send(Control::optStart1);
    app.Post(Control::cmdNext);
    if (!app.Check(app.WaitPages("FrameRestore"), "restore page: it opens")) return;
    ListView backups(app, Control::lsvBackups);
    const int index = backups.Find(kBackupName + ".reg");
    if (!app.Check(index >= 0, "restore page: the backup is listed by its Chinese name exactly",
                   "listed \"" + JoinList(backups.Items()) + "\"")) {
        return;
    }
    std::string how;
    backups.ClickCheckBox(index, how);
    if (!app.Check(
            WaitUntil([&] { return backups.Checked(index) && app.Enabled(Control::cmdNext); },
                      kShortWaitMs),
            "restore page: its box is checked and Next enabled", how)) {
        return;
    }
    app.Post(Control::cmdNext);
    const std::string original = StoredString(FilePath(kWang));
    const bool restored = WaitUntil(
        [&] {
            const std::optional<RawData> raw = ReadRaw(HKEY_LOCAL_MACHINE, KeyPath(kWang), "");
            return raw && raw->Type == REG_SZ && raw->Bytes == original;
        },
        kImportWaitMs, 100);
    app.Check(
        app.WaitPages("FrameBackUped") && restored,
        "restored: the value holds the old Chinese path again, byte for byte",
        "reads \"" + ReadText(HKEY_LOCAL_MACHINE, KeyPath(kWang), "").value_or("(none)") + "\"");
    app.Post(Control::cmdNext);
    app.Check(app.WaitPages("FrameStart") && app.ExitProgram(),
              "unicode: Next, then Exit ends the program");
}

}  // namespace

void RunUnicodePaths(DriverContext& context) {
    const std::string programFolder = FolderOf(context.AppPath);
    const ScopeExit cleanUp([&] { CleanUp(programFolder); });
    AppSession app(context, "unicode");
    const ChineseUiFontUnderWine font(app);
    ResetProgramSettings();
    CleanUp(programFolder);
    if (!app.Check(Seed(),
                   "unicode: folders named in Chinese, Greek and German and four App "
                   "Paths to them are made")) {
        return;
    }
    CheckSeededFiles(app);
    if (!app.Launch("") || !app.Check(app.WaitMainWindow(), "unicode: the main window appears")) {
        return;
    }
    ResultsGrid grid(app);
    if (!ScanCategories(app, {Control::chkAppPaths}, "unicode")) return;
    const std::optional<RowTexts> row = CheckRows(app, grid);
    if (!row) return;
    app.Send(Control::cmdDeselect);
    if (!ChangeToChineseFile(app, grid, row->Row)) return;
    grid.EnsureVisible(row->Row);
    app.Shot("29-unicode-results");
    if (!RepairWithBackup(app, kBackupName, 1, "unicode")) return;
    CheckAfterRepair(app, programFolder);
    RestoreTheBackup(app);
}

}  // namespace hivewarden::e2e
