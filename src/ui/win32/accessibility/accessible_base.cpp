// Reference counting, IDispatch, IOleWindow and the default answers of the window's
// accessible objects.
#include "ui/win32/accessibility/accessible_base.h"

#include "ui/win32/wide_text.h"

namespace hivewarden::ui::win32 {
namespace {

HRESULT NoObject(VARIANT* result) {
    if (result == nullptr) return E_POINTER;
    VariantInit(result);
    return S_FALSE;
}

HRESULT NoText(BSTR* result) {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    return S_FALSE;
}

}  // namespace

HRESULT AccessibleBase::QueryInterface(REFIID id, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch) ||
        IsEqualIID(id, kAccessibleInterfaceId)) {
        *object = static_cast<IAccessible*>(this);
    } else if (IsEqualIID(id, IID_IOleWindow)) {
        *object = static_cast<IOleWindow*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG AccessibleBase::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG AccessibleBase::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT AccessibleBase::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT AccessibleBase::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT AccessibleBase::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT AccessibleBase::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                               UINT*) {
    return E_NOTIMPL;
}

HRESULT AccessibleBase::GetWindow(HWND* window) {
    if (window == nullptr) return E_POINTER;
    *window = window_;
    return S_OK;
}

HRESULT AccessibleBase::get_accParent(IDispatch** parent) {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    return AccessibleObjectFromWindow(window_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                      reinterpret_cast<void**>(parent));
}

HRESULT AccessibleBase::get_accChildCount(long* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT AccessibleBase::get_accChild(VARIANT, IDispatch** result) {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    return E_INVALIDARG;
}

HRESULT AccessibleBase::get_accName(VARIANT, BSTR* name) { return NoText(name); }
HRESULT AccessibleBase::get_accValue(VARIANT, BSTR* value) { return NoText(value); }
HRESULT AccessibleBase::get_accDescription(VARIANT, BSTR* text) { return NoText(text); }
HRESULT AccessibleBase::get_accHelp(VARIANT, BSTR* help) { return NoText(help); }
HRESULT AccessibleBase::get_accKeyboardShortcut(VARIANT, BSTR* keys) { return NoText(keys); }
HRESULT AccessibleBase::get_accDefaultAction(VARIANT, BSTR* action) { return NoText(action); }
HRESULT AccessibleBase::get_accRole(VARIANT, VARIANT* role) { return NoObject(role); }
HRESULT AccessibleBase::get_accState(VARIANT, VARIANT* state) { return NoObject(state); }
HRESULT AccessibleBase::get_accFocus(VARIANT* focus) { return NoObject(focus); }
HRESULT AccessibleBase::get_accSelection(VARIANT* selection) { return NoObject(selection); }

HRESULT AccessibleBase::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
    if (file != nullptr) *file = nullptr;
    if (topic != nullptr) *topic = -1;
    return S_FALSE;
}

HRESULT AccessibleBase::accSelect(long, VARIANT) { return DISP_E_MEMBERNOTFOUND; }

HRESULT AccessibleBase::accLocation(long* left, long* top, long* width, long* height, VARIANT) {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
        return E_POINTER;
    }
    *left = *top = *width = *height = 0;
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT AccessibleBase::accNavigate(long, VARIANT, VARIANT* end) { return NoObject(end); }
HRESULT AccessibleBase::accHitTest(long, long, VARIANT* hit) { return NoObject(hit); }
HRESULT AccessibleBase::accDoDefaultAction(VARIANT) { return DISP_E_MEMBERNOTFOUND; }
HRESULT AccessibleBase::put_accName(VARIANT, BSTR) { return DISP_E_MEMBERNOTFOUND; }
HRESULT AccessibleBase::put_accValue(VARIANT, BSTR) { return DISP_E_MEMBERNOTFOUND; }

HRESULT AccessibleBase::ReturnText(const std::string& text, BSTR* result) {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    if (text.empty()) return S_FALSE;
    const std::wstring wide = Wide(text);
    *result = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return *result != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT AccessibleBase::ReturnText(const char* text, BSTR* result) {
    return ReturnText(std::string(text != nullptr ? text : ""), result);
}

long AccessibleBase::WindowState() const {
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    long state = 0;
    if ((style & WS_DISABLED) != 0) {
        state |= STATE_SYSTEM_UNAVAILABLE;
    } else {
        state |= STATE_SYSTEM_FOCUSABLE;
    }
    if (!IsWindowVisible(window_)) state |= STATE_SYSTEM_INVISIBLE;
    if (GetFocus() == window_) state |= STATE_SYSTEM_FOCUSED;
    return state;
}

}  // namespace hivewarden::ui::win32
