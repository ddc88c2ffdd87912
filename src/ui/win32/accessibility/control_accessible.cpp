// Accessible names of the window's standard controls: the system's own accessible object for
// the control (role, state, value, children as the system knows them) with the name the
// window gives it, so that an edit box, a list or a progress bar is announced by its label
// and a drop-down by its own name on Windows and under Wine alike.
#include <oleacc.h>

#include "ui/win32/accessibility/accessible_base.h"
#include "ui/win32/accessibility/grid_accessible.h"
#include "ui/win32/grid/grid_control.h"
#include "ui/win32/wide_text.h"

namespace hivewarden::ui::win32 {
namespace {

constexpr const wchar_t* kNameProperty = L"Hivewarden.AccessibleName";
constexpr UINT_PTR kNamingSubclassId = 0x4857414E;  // "HWAN"

// Everything from the system's object, the name from the window.
class NamedControlAccessible final : public AccessibleBase {
  public:
    NamedControlAccessible(HWND control, IAccessible* standard)
        : AccessibleBase(control), standard_(standard) {}
    ~NamedControlAccessible() override { standard_->Release(); }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (IsSelf(child)) return ReturnText(AccessibleNameOf(Window()), name);
        return standard_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        return standard_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** result) override {
        return standard_->get_accChild(child, result);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        const HRESULT result = standard_->get_accValue(child, value);
        // A drop-down list's value is its chosen item, where the system's object has none.
        if (result == S_FALSE && IsSelf(child) && IsComboBox()) {
            return ReturnText(WindowTextOf(Window()), value);
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return standard_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        const HRESULT result = standard_->get_accRole(child, role);
        // Systems whose object knows no drop-downs call one a plain client area.
        if (SUCCEEDED(result) && IsSelf(child) && role->vt == VT_I4 &&
            role->lVal == ROLE_SYSTEM_CLIENT && IsComboBox()) {
            role->lVal = ROLE_SYSTEM_COMBOBOX;
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return standard_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        return standard_->get_accFocus(focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return standard_->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
        return standard_->accHitTest(x, y, hit);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

  private:
    bool IsComboBox() const {
        wchar_t name[32] = {};
        return GetClassNameW(Window(), name, 32) > 0 && lstrcmpiW(name, L"ComboBox") == 0;
    }

    IAccessible* standard_;
};

LRESULT NamedControlObject(HWND control, WPARAM wParam) {
    IAccessible* standard = nullptr;
    if (FAILED(CreateStdAccessibleObject(control, OBJID_CLIENT, kAccessibleInterfaceId,
                                         reinterpret_cast<void**>(&standard))) ||
        standard == nullptr) {
        return 0;
    }
    auto* object = new (std::nothrow) NamedControlAccessible(control, standard);
    if (object == nullptr) {
        standard->Release();
        return 0;
    }
    const LRESULT result =
        LresultFromObject(kAccessibleInterfaceId, wParam, static_cast<IAccessible*>(object));
    object->Release();
    return result;
}

LRESULT CALLBACK NamingSubclass(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                UINT_PTR id, DWORD_PTR) {
    // The grid answers for itself: it keeps only the name here.
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT &&
        GridControl::FromWindow(control) == nullptr) {
        if (const LRESULT result = NamedControlObject(control, wParam)) return result;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(control, NamingSubclass, id);
        RemovePropW(control, kNameProperty);
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

}  // namespace

void SetAccessibleName(HWND control, const char* name) {
    if (control == nullptr || name == nullptr) return;
    SetPropW(control, kNameProperty, reinterpret_cast<HANDLE>(const_cast<char*>(name)));
    SetWindowSubclass(control, NamingSubclass, kNamingSubclassId, 0);
}

const char* AccessibleNameOf(HWND control) {
    return static_cast<const char*>(GetPropW(control, kNameProperty));
}

}  // namespace hivewarden::ui::win32
