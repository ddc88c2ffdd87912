// The in-memory dialog template: DLGTEMPLATE, its caption and font, then each item DWORD-aligned
// with its class atom, its text and no creation data. Texts are UTF-16, as DialogBoxIndirectParamW
// reads them.
#include "ui/win32/dialog_template.h"

#include <cstring>

#include "text/unicode.h"

namespace hivewarden::ui::win32 {
namespace {

constexpr std::size_t kCountWord = 4;  // cdit sits at this WORD of the header

template <typename T>
void Append(std::vector<WORD>& words, const T& value) {
    static_assert(sizeof(T) % sizeof(WORD) == 0);
    WORD parts[sizeof(T) / sizeof(WORD)];
    std::memcpy(parts, &value, sizeof(T));
    words.insert(words.end(), std::begin(parts), std::end(parts));
}

}  // namespace

DialogTemplate::DialogTemplate(const std::string& caption, short width, short height) {
    DLGTEMPLATE header{};
    header.style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    header.cx = width;
    header.cy = height;
    Append(words_, header);
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the standard dialog class
    Text(caption);
    words_.push_back(8);  // font size in points
    Text("MS Shell Dlg");
}

void DialogTemplate::Text(const std::string& text) {
    // The program's UTF-8 as the template's zero-terminated UTF-16.
    for (const char16_t unit : Utf16FromUtf8(text)) words_.push_back(static_cast<WORD>(unit));
    words_.push_back(0);
}

void DialogTemplate::Align() {
    if (words_.size() % 2 != 0) words_.push_back(0);
}

void DialogTemplate::Add(ItemKind kind, WORD id, DWORD style, short x, short y, short width,
                         short height, const std::string& text) {
    Align();
    DLGITEMTEMPLATE item{};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = x;
    item.y = y;
    item.cx = width;
    item.cy = height;
    item.id = id;
    Append(words_, item);
    words_.push_back(0xFFFF);
    words_.push_back(static_cast<WORD>(kind));
    Text(text);
    words_.push_back(0);  // no creation data
    ++count_;
}

const DLGTEMPLATE* DialogTemplate::Get() {
    std::memcpy(&words_[kCountWord], &count_, sizeof count_);
    return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
}

}  // namespace hivewarden::ui::win32
