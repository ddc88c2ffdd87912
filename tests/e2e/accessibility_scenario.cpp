// What a screen reader gets from the window, read the way one reads it: the accessible
// objects of oleacc (AccessibleObjectFromWindow, across processes). The results grid is a list
// whose children are its rows, each named from its cells; selecting a row selects and
// focuses its child; the row's default action opens the action drop-down, which has a name
// of its own; every other shown control and the labelled ones of every page have a name.
#include <oleacc.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/program_settings.h"
#include "e2e/registry_tools.h"
#include "e2e/results_grid.h"
#include "e2e/scan_steps.h"
#include "e2e/scenarios.h"
#include "e2e/scope_exit.h"
#include "e2e/stale_entries.h"
#include "e2e/utf8_text.h"
#include "ui/win32/accessibility/accessible_interface.h"
#include "ui/win32/control_ids.h"

namespace hivewarden::e2e {
namespace {

using ui::Control;
using ui::win32::kAccessibleInterfaceId;

const std::string kSeedKey = std::string(kAppPathsKey) + "\\hwa11y";
constexpr int kSeeded = 3;

// An IAccessible of a window, released when it goes.
class Accessible {
  public:
    explicit Accessible(HWND window) {
        if (window == nullptr) return;
        result_ =
            AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                       kAccessibleInterfaceId, reinterpret_cast<void**>(&object_));
    }
    // AccessibleObjectFromWindow's result, for the check lines.
    std::string Result() const {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(result_));
        return text;
    }
    ~Accessible() {
        if (object_ != nullptr) object_->Release();
    }
    Accessible(const Accessible&) = delete;
    Accessible& operator=(const Accessible&) = delete;

    bool Ready() const { return object_ != nullptr; }
    IAccessible* operator->() const { return object_; }

    std::string Name(long child = CHILDID_SELF) const {
        BSTR name = nullptr;
        if (object_ == nullptr || FAILED(object_->get_accName(Child(child), &name)) ||
            name == nullptr) {
            return {};
        }
        const std::string text = Utf8(std::wstring(name, SysStringLen(name)));
        SysFreeString(name);
        return text;
    }
    long Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*),
                long child = CHILDID_SELF) const {
        VARIANT result;
        VariantInit(&result);
        if (object_ == nullptr || FAILED((object_->*get)(Child(child), &result)) ||
            result.vt != VT_I4) {
            return -1;
        }
        return result.lVal;
    }
    long Role(long child = CHILDID_SELF) const { return Number(&IAccessible::get_accRole, child); }
    long State(long child = CHILDID_SELF) const {
        return Number(&IAccessible::get_accState, child);
    }
    long ChildCount() const {
        long count = -1;
        if (object_ == nullptr || FAILED(object_->get_accChildCount(&count))) return -1;
        return count;
    }
    long Selection() const {
        VARIANT result;
        VariantInit(&result);
        if (object_ == nullptr || FAILED(object_->get_accSelection(&result)) ||
            result.vt != VT_I4) {
            return -1;
        }
        return result.lVal;
    }
    static VARIANT Child(long id) {
        VARIANT child;
        VariantInit(&child);
        child.vt = VT_I4;
        child.lVal = id;
        return child;
    }

  private:
    IAccessible* object_ = nullptr;
    HRESULT result_ = E_FAIL;
};

// The name the window must give a row: its action, description, fixed value and key.
std::string ExpectedRowName(const RowTexts& row) {
    std::string name;
    for (const std::string& part :
         {row.Correction, row.ErrorKind,
          row.FixedValue.empty() ? std::string() : "Fixed Value: " + row.FixedValue, row.Body}) {
        if (part.empty()) continue;
        name += (name.empty() ? "" : ", ") + part;
    }
    return name;
}

void CheckGridObject(AppSession& app, ResultsGrid& grid) {
    const Accessible list(grid.Window());
    if (!app.Check(list.Ready(), "access: the results grid gives an accessible object",
                   "AccessibleObjectFromWindow: " + list.Result())) {
        return;
    }
    app.Check(list.Role() == ROLE_SYSTEM_LIST, "access: the grid's role is a list",
              "role " + std::to_string(list.Role()));
    app.Check(list.Name() == "Found Items", "access: the grid is named by its label",
              "\"" + list.Name() + "\"");
    const int rows = grid.Rows();
    app.Check(rows >= kSeeded && list.ChildCount() == rows,
              "access: its children are the grid's rows",
              std::to_string(list.ChildCount()) + " children, " + std::to_string(rows) + " rows");
    const int shown = rows < 4 ? rows : 4;
    for (int row = 1; row <= shown; ++row) {
        const std::string expected = ExpectedRowName(grid.Read(row));
        const std::string got = list.Name(row);
        app.Note("access: row " + std::to_string(row) + " reads \"" + got + "\"");
        app.Check(!got.empty() && got == expected,
                  "access: row " + std::to_string(row) + " is named from its cells",
                  "expected \"" + expected + "\"");
        app.Check(list.Role(row) == ROLE_SYSTEM_LISTITEM,
                  "access: row " + std::to_string(row) + " is a list item");
    }
    app.Check(list.Name(rows + 1).empty(), "access: no child past the last row");

    // Selecting a child selects the grid's row; the screen reader's focus follows it.
    const HRESULT selected =
        list->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, Accessible::Child(2));
    const long state = list.State(2);
    app.Check(SUCCEEDED(selected) && (state & STATE_SYSTEM_SELECTED) != 0 &&
                  (state & STATE_SYSTEM_FOCUSED) != 0,
              "access: accSelect selects and focuses row 2", "state " + std::to_string(state));
    app.Check((list.State(1) & STATE_SYSTEM_SELECTED) == 0 && list.Selection() == 2,
              "access: row 1 is not selected; the selection is row 2");

    // The default action opens the row's action drop-down, which has its own name.
    const HRESULT acted = list->accDoDefaultAction(Accessible::Child(2));
    app.Check(SUCCEEDED(acted) && WaitUntil([&] { return grid.ChooserShown(); }, kShortWaitMs),
              "access: the row's default action opens the action drop-down");
    const Accessible chooser(app.Item(Control::cmbAction));
    app.Check(chooser.Name() == "Correction" && chooser.Role() == ROLE_SYSTEM_COMBOBOX,
              "access: the drop-down is announced as the combo box \"Correction\"",
              "\"" + chooser.Name() + "\", role " + std::to_string(chooser.Role()));
    // Escape would press Exit: the drop-down closes by choosing the row's action again.
    app.Check(grid.ChooseItem(grid.Read(2).Correction), "access: the drop-down closes");
}

// Labelled controls of every page (shown or not): each is named by its label or its own name.
void CheckNamedControls(AppSession& app) {
    struct Case {
        Control Which;
        const char* Name;
    };
    const Case cases[] = {
        {Control::ScanProgress, "Scan Progress"},
        {Control::txtBackUpName, "Enter a name for the backup:"},
        {Control::pgrFixing, "Repair progress"},
        {Control::lsvBackups, "Restore Backups"},
        {Control::lstExcludeMain,
         "Ignore these files, folders and drives when searching for matches"},
        {Control::txtCustomStr, "Enter the text to search for"},
        {Control::lstCustomsStrs, "Texts to search for"},
        {Control::txtTextReplace,
         "Enter the text you would like to replace with, all of them (optional)"},
        {Control::lstCustomSearching, "Strings Found"},
        {Control::txtCustomBackUpName, "Enter a name for the backup:"},
        {Control::cmbCustomRplAction, "Action"},
    };
    for (const Case& c : cases) {
        const Accessible control(app.Item(c.Which));
        app.Check(control.Name() == c.Name,
                  std::string("access: control ") + std::to_string(ui::win32::ControlId(c.Which)) +
                      " is named \"" + c.Name + "\"",
                  "\"" + control.Name() + "\", " + control.Result());
    }
    // A button is named by its caption as it reads now ("Repair" on the results page).
    const std::string next = app.Text(Control::cmdNext);
    app.Check(!next.empty() && Accessible(app.Item(Control::cmdNext)).Name() == next,
              "access: Next is named by its caption \"" + next + "\"");
    // Every control that shows now, except the separator line, has a name.
    std::vector<std::string> unnamed;
    int count = 0;
    for (HWND child = GetWindow(app.Main(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ETCHEDHORZ) continue;
        ++count;
        if (Accessible(child).Name().empty()) {
            unnamed.push_back(std::to_string(GetDlgCtrlID(child)));
        }
    }
    std::string list;
    for (const std::string& id : unnamed) list += " " + id;
    app.Check(count > 10 && unnamed.empty(),
              "access: every shown control (" + std::to_string(count) + ") has a name",
              "unnamed:" + list);
}

}  // namespace

void RunAccessibility(DriverContext& context) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const ScopeExit uninitialize([] { CoUninitialize(); });
    const ScopeExit unseed([] { DeleteTree(HKEY_LOCAL_MACHINE, kSeedKey); });
    for (int n = 1; n <= kSeeded; ++n) {
        WriteText(HKEY_LOCAL_MACHINE, kSeedKey + std::to_string(n) + ".exe", "",
                  "C:\\HwGone\\a11y" + std::to_string(n) + ".exe");
    }
    AppSession app(context, "access");
    ResetProgramSettings();
    if (!app.Launch("") || !app.Check(app.WaitMainWindow(), "access: the main window appears")) {
        return;
    }
    ResultsGrid grid(app);
    if (ScanCategories(app, {Control::chkAppPaths}, "access")) {
        CheckNamedControls(app);
        CheckGridObject(app, grid);
    }
    app.Check(app.ExitProgram(), "exit: Exit ends the program");
}

}  // namespace hivewarden::e2e
