// A check of the window's layout as it shows now, for the end-to-end test at several DPIs:
// every shown control lies inside the client area, no two overlap (a group box holds its own),
// and every caption fits its control in the control's own font.
#include <string>
#include <vector>

#include "ui/win32/main_frame.h"
#include "ui/win32/wide_text.h"

namespace hivewarden::ui::win32 {
namespace {

struct Shown {
    HWND Window;
    RECT Box;
    std::wstring ClassName;
    LONG_PTR Style;
};

bool IsClass(const Shown& control, const wchar_t* name) {
    return lstrcmpiW(control.ClassName.c_str(), name) == 0;
}

bool IsGroupBox(const Shown& control) {
    return IsClass(control, L"BUTTON") && (control.Style & BS_TYPEMASK) == BS_GROUPBOX;
}

bool HasCaption(const Shown& control) {
    if (IsClass(control, L"STATIC")) {
        const LONG_PTR kind = control.Style & SS_TYPEMASK;
        return kind == SS_LEFT || kind == SS_RIGHT || kind == SS_CENTER ||
               kind == SS_LEFTNOWORDWRAP;
    }
    return IsClass(control, L"BUTTON") && !IsGroupBox(control);
}

// The room the caption needs within the control's width; false when it does not fit.
bool CaptionFits(const Shown& control, std::string& why) {
    const std::wstring text = Wide(WindowTextOf(control.Window));
    if (text.empty()) return true;
    HDC dc = GetDC(control.Window);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control.Window, WM_GETFONT, 0, 0));
    HGDIOBJ previous = SelectObject(dc, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
    const int width = control.Box.right - control.Box.left;
    const int height = control.Box.bottom - control.Box.top;
    int room = width;
    UINT format = DT_CALCRECT | DT_NOPREFIX;
    if (IsClass(control, L"STATIC")) {
        format |= DT_WORDBREAK;
    } else {
        format |= DT_SINGLELINE;
        // A check box or radio button draws its box and a gap before the text; a push
        // button keeps a margin on either side.
        const LONG_PTR kind = control.Style & BS_TYPEMASK;
        const bool box = kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX ||
                         kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON;
        room -= box ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 6;
    }
    RECT needed{0, 0, room, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed, format);
    SelectObject(dc, previous);
    ReleaseDC(control.Window, dc);
    const int neededWidth = needed.right - needed.left;
    const int neededHeight = needed.bottom - needed.top;
    if (neededWidth <= room && neededHeight <= height) return true;
    why = "needs " + std::to_string(neededWidth) + "x" + std::to_string(neededHeight) + ", has " +
          std::to_string(room) + "x" + std::to_string(height);
    return false;
}

std::string NameOf(const Shown& control) {
    return std::to_string(GetDlgCtrlID(control.Window)) + " \"" + WindowTextOf(control.Window) +
           "\"";
}

}  // namespace

std::string MainFrame::LayoutProblems() const {
    RECT client{};
    GetClientRect(window_, &client);
    std::vector<Shown> shown;
    for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        Shown control{child, {}, std::wstring(64, L'\0'), GetWindowLongPtrW(child, GWL_STYLE)};
        control.ClassName.resize(
            static_cast<std::size_t>(GetClassNameW(child, control.ClassName.data(), 64)));
        GetWindowRect(child, &control.Box);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&control.Box), 2);
        shown.push_back(std::move(control));
    }
    std::vector<std::string> problems;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const Shown& control = shown[i];
        RECT inside{};
        IntersectRect(&inside, &control.Box, &client);
        if (!EqualRect(&inside, &control.Box)) problems.push_back(NameOf(control) + " outside");
        std::string why;
        if (HasCaption(control) && !CaptionFits(control, why)) {
            problems.push_back(NameOf(control) + " clipped (" + why + ")");
        }
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            RECT common{};
            if (IsGroupBox(control) || IsGroupBox(shown[j]) ||
                !IntersectRect(&common, &control.Box, &shown[j].Box)) {
                continue;
            }
            problems.push_back(NameOf(control) + " overlaps " + NameOf(shown[j]));
        }
    }
    if (problems.empty()) return "ok " + std::to_string(shown.size()) + " controls";
    std::string text;
    for (const std::string& problem : problems) text += (text.empty() ? "" : "; ") + problem;
    return text;
}

}  // namespace hivewarden::ui::win32
