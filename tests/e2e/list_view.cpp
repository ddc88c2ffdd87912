// Reading and clicking the window's list views.
#include "e2e/list_view.h"

#include "e2e/remote_memory.h"
#include "e2e/window_tools.h"

namespace hivewarden::e2e {
namespace {

constexpr int kCheckedImage = 2;
constexpr int kStateImageShift = 12;
constexpr int kLabelInset = 24;  // into the item's text, right of any check box
constexpr int kStateSearchWidth = 48;

std::string ListName(ui::Control list) {
    switch (list) {
        case ui::Control::lsvBackups:
            return "lsvBackups";
        case ui::Control::lstExcludeMain:
            return "lstExcludeMain";
        case ui::Control::lstCustomsStrs:
            return "lstCustomsStrs";
        default:
            return "?";
    }
}

LRESULT SendPlain(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

}  // namespace

std::vector<std::string> SplitList(const std::string& joined) {
    std::vector<std::string> items;
    if (joined.empty()) return items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = joined.find('|', start);
        items.push_back(joined.substr(start, bar - start));
        if (bar == std::string::npos) return items;
        start = bar + 1;
    }
}

std::string JoinList(const std::vector<std::string>& items) {
    std::string joined;
    for (std::size_t i = 0; i < items.size(); ++i) joined += (i > 0 ? "|" : "") + items[i];
    return joined;
}

ListView::ListView(AppSession& app, ui::Control list)
    : app_(app), list_(list), name_(ListName(list)) {}

HWND ListView::Window() const { return app_.Item(list_); }

std::vector<std::string> ListView::Items() {
    const std::optional<std::string> answer = app_.Ask("list " + name_);
    if (!answer) return {"?"};
    return SplitList(*answer);
}

int ListView::Find(const std::string& text) {
    const std::vector<std::string> items = Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) return static_cast<int>(i);
    }
    return -1;
}

int ListView::Count() const {
    return static_cast<int>(SendPlain(Window(), LVM_GETITEMCOUNT, 0, 0));
}

bool ListView::Checked(int index) const {
    const auto state = static_cast<UINT>(
        SendPlain(Window(), LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK));
    return ((state & LVIS_STATEIMAGEMASK) >> kStateImageShift) == kCheckedImage;
}

int ListView::Selected() const {
    return static_cast<int>(
        SendPlain(Window(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::optional<RECT> ListView::ItemRect(int index, int part) const {
    RECT rect{};
    rect.left = part;
    const std::optional<LRESULT> result =
        SendWithRemote(app_.Process().Handle(), Window(), LVM_GETITEMRECT,
                       static_cast<WPARAM>(index), &rect, sizeof(rect));
    if (!result || *result == 0) return std::nullopt;
    return rect;
}

UINT ListView::HitFlags(POINT point) const {
    LVHITTESTINFO hit{};
    hit.pt = point;
    const std::optional<LRESULT> result =
        SendWithRemote(app_.Process().Handle(), Window(), LVM_HITTEST, 0, &hit, sizeof(hit));
    return result && *result >= 0 ? hit.flags : 0;
}

bool ListView::Click(POINT point) {
    const LPARAM at = MAKELPARAM(point.x, point.y);
    return PostMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, at) &&
           PostMessageW(Window(), WM_LBUTTONUP, 0, at);
}

bool ListView::ClickItem(int index) {
    const std::optional<RECT> bounds = ItemRect(index, LVIR_BOUNDS);
    if (!bounds) return false;
    return Click(POINT{bounds->left + kLabelInset, (bounds->top + bounds->bottom) / 2});
}

bool ListView::ClickCheckBox(int index, std::string& how) {
    const std::optional<RECT> bounds = ItemRect(index, LVIR_BOUNDS);
    if (!bounds) {
        how = "no item rectangle";
        return false;
    }
    // The check box is the item's state image at its left end: the middle of the stretch where
    // the list's own hit test says "on the state icon".
    const int y = (bounds->top + bounds->bottom) / 2;
    int first = -1;
    int last = -1;
    for (int x = bounds->left; x < bounds->left + kStateSearchWidth; ++x) {
        if ((HitFlags(POINT{x, y}) & LVHT_ONITEMSTATEICON) == 0) continue;
        if (first < 0) first = x;
        last = x;
    }
    if (first < 0) {
        how = "the hit test finds no check box at the item's left end";
        return false;
    }
    return Click(POINT{(first + last) / 2, y});
}

}  // namespace hivewarden::e2e
