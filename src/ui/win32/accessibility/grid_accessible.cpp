// The grid control's IAccessible: rows as simple child elements (child id = row number).
// Every call looks the control up afresh by its window, so an object that a screen reader
// keeps after the window is gone answers "not available" instead of touching freed memory.
#include "ui/win32/accessibility/grid_accessible.h"

#include <oleacc.h>

#include <string>

#include "ui/grid_accessible_name.h"
#include "ui/win32/accessibility/accessible_base.h"
#include "ui/win32/grid/grid_control.h"
#include "ui/win32/wide_text.h"

namespace hivewarden::ui::win32 {
namespace {

// The column of both grids that holds the row's action; its drop-down is the default action.
constexpr int kActionColumn = 2;
constexpr const wchar_t* kDefaultAction = L"Choose action";

class GridAccessible final : public AccessibleBase {
  public:
    explicit GridAccessible(HWND grid) : AccessibleBase(grid) {}

    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (count == nullptr) return E_POINTER;
        GridControl* grid = Control();
        if (grid == nullptr) return RPC_E_DISCONNECTED;
        *count = grid->RowCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** result) override {
        if (result == nullptr) return E_POINTER;
        *result = nullptr;
        // Rows are simple elements: the grid answers for them.
        return RowOf(child) > 0 ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (name == nullptr) return E_POINTER;
        *name = nullptr;
        GridControl* grid = Control();
        if (grid == nullptr) return RPC_E_DISCONNECTED;
        if (IsSelf(child)) return ReturnText(AccessibleNameOf(Window()), name);
        const int row = RowOf(child);
        if (row <= 0 || grid->Source() == nullptr) return E_INVALIDARG;
        return ReturnText(GridRowAccessibleName(*grid->Source(), row), name);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (role == nullptr) return E_POINTER;
        VariantInit(role);
        if (!IsSelf(child) && RowOf(child) <= 0) return E_INVALIDARG;
        role->vt = VT_I4;
        role->lVal = IsSelf(child) ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (state == nullptr) return E_POINTER;
        VariantInit(state);
        GridControl* grid = Control();
        if (grid == nullptr) return RPC_E_DISCONNECTED;
        const bool focused = GetFocus() == Window();
        long flags = 0;
        if (IsSelf(child)) {
            flags = WindowState();
        } else {
            const int row = RowOf(child);
            if (row <= 0) return E_INVALIDARG;
            flags = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
            if (row == grid->SelectedRow()) {
                flags |= STATE_SYSTEM_SELECTED;
                if (focused) flags |= STATE_SYSTEM_FOCUSED;
            }
            RECT client{};
            GetClientRect(Window(), &client);
            RECT box = grid->RowClientRect(row);
            RECT shown{};
            if (!IntersectRect(&shown, &box, &client)) flags |= STATE_SYSTEM_OFFSCREEN;
        }
        state->vt = VT_I4;
        state->lVal = flags;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (focus == nullptr) return E_POINTER;
        VariantInit(focus);
        GridControl* grid = Control();
        if (grid == nullptr) return RPC_E_DISCONNECTED;
        if (GetFocus() != Window()) return S_FALSE;
        focus->vt = VT_I4;
        focus->lVal = grid->SelectedRow() > 0 ? grid->SelectedRow() : CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (selection == nullptr) return E_POINTER;
        VariantInit(selection);
        GridControl* grid = Control();
        if (grid == nullptr) return RPC_E_DISCONNECTED;
        if (grid->SelectedRow() <= 0) return S_FALSE;
        selection->vt = VT_I4;
        selection->lVal = grid->SelectedRow();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (action == nullptr) return E_POINTER;
        *action = nullptr;
        if (IsSelf(child)) return S_FALSE;
        if (RowOf(child) <= 0) return E_INVALIDARG;
        *action = SysAllocString(kDefaultAction);
        return *action != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        GridControl* grid = Control();
        if (grid == nullptr) return RPC_E_DISCONNECTED;
        const int row = IsSelf(child) ? 0 : RowOf(child);
        if (!IsSelf(child) && row <= 0) return E_INVALIDARG;
        if ((flags & SELFLAG_TAKEFOCUS) != 0) ::SetFocus(Window());
        if (row > 0 && (flags & (SELFLAG_TAKESELECTION | SELFLAG_ADDSELECTION)) != 0) {
            grid->SelectRow(row);
            grid->EnsureVisible(row);
        }
        if (row > 0 && (flags & SELFLAG_REMOVESELECTION) != 0 && grid->SelectedRow() == row) {
            grid->SelectRow(0);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
            return E_POINTER;
        }
        *left = *top = *width = *height = 0;
        GridControl* grid = Control();
        if (grid == nullptr) return RPC_E_DISCONNECTED;
        RECT box{};
        if (IsSelf(child)) {
            GetClientRect(Window(), &box);
        } else {
            const int row = RowOf(child);
            if (row <= 0) return E_INVALIDARG;
            box = grid->RowClientRect(row);
        }
        MapWindowPoints(Window(), nullptr, reinterpret_cast<POINT*>(&box), 2);
        *left = box.left;
        *top = box.top;
        *width = box.right - box.left;
        *height = box.bottom - box.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (end == nullptr) return E_POINTER;
        VariantInit(end);
        GridControl* grid = Control();
        if (grid == nullptr) return RPC_E_DISCONNECTED;
        const int count = grid->RowCount();
        int target = 0;
        if (IsSelf(start)) {
            if (direction == NAVDIR_FIRSTCHILD) target = count > 0 ? 1 : 0;
            if (direction == NAVDIR_LASTCHILD) target = count;
            if (direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD) {
                return S_FALSE;  // siblings of the grid itself: the window's object knows them
            }
        } else {
            const int row = RowOf(start);
            if (row <= 0) return E_INVALIDARG;
            if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) target = row + 1;
            if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) target = row - 1;
        }
        if (target < 1 || target > count) return S_FALSE;
        end->vt = VT_I4;
        end->lVal = target;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
        if (hit == nullptr) return E_POINTER;
        VariantInit(hit);
        GridControl* grid = Control();
        if (grid == nullptr) return RPC_E_DISCONNECTED;
        POINT point{x, y};
        ScreenToClient(Window(), &point);
        RECT client{};
        GetClientRect(Window(), &client);
        if (!PtInRect(&client, point)) return S_FALSE;
        const int row = grid->RowAtClientPoint(point);
        hit->vt = VT_I4;
        hit->lVal = row > 0 ? row : CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        GridControl* grid = Control();
        if (grid == nullptr) return RPC_E_DISCONNECTED;
        if (IsSelf(child)) return DISP_E_MEMBERNOTFOUND;
        const int row = RowOf(child);
        if (row <= 0) return E_INVALIDARG;
        ::SetFocus(Window());
        grid->SelectRow(row);
        grid->EnsureVisible(row);
        grid->EditCell(row, kActionColumn);
        return S_OK;
    }

  private:
    GridControl* Control() const { return GridControl::FromWindow(Window()); }
    // The row a child id names; 0 for the grid itself or a row that does not exist.
    int RowOf(const VARIANT& child) const {
        if (child.vt != VT_I4 || child.lVal == CHILDID_SELF) return 0;
        GridControl* grid = Control();
        if (grid == nullptr || child.lVal < 1 || child.lVal > grid->RowCount()) return -1;
        return static_cast<int>(child.lVal);
    }
};

}  // namespace

LRESULT GridAccessibleObject(HWND grid, WPARAM wParam, LPARAM objectId) {
    if (static_cast<LONG>(objectId) != OBJID_CLIENT) return 0;
    auto* object = new (std::nothrow) GridAccessible(grid);
    if (object == nullptr) return 0;
    const LRESULT result =
        LresultFromObject(kAccessibleInterfaceId, wParam, static_cast<IAccessible*>(object));
    object->Release();  // the result holds its own reference
    return result;
}

void AnnounceGridSelection(HWND grid, int row) {
    const LONG child = row > 0 ? row : CHILDID_SELF;
    if (row > 0) NotifyWinEvent(EVENT_OBJECT_SELECTION, grid, OBJID_CLIENT, child);
    if (GetFocus() == grid) NotifyWinEvent(EVENT_OBJECT_FOCUS, grid, OBJID_CLIENT, child);
}

void AnnounceGridRowsChanged(HWND grid) {
    NotifyWinEvent(EVENT_OBJECT_REORDER, grid, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace hivewarden::ui::win32
