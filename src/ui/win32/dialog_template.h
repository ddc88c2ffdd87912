// Small modal dialogs built in memory (no resource script): a template of a caption, a font
// and a few buttons, labels and edit boxes, in dialog units. Used by the input box and the
// start-up prompt.
#pragma once

#include <string>
#include <vector>

#include "ui/win32/win32_headers.h"

namespace hivewarden::ui::win32 {

enum class ItemKind : WORD { Button = 0x0080, Edit = 0x0081, Static = 0x0082 };

class DialogTemplate {
  public:
    // Captions and texts are UTF-8.
    DialogTemplate(const std::string& caption, short width, short height);
    void Add(ItemKind kind, WORD id, DWORD style, short x, short y, short width, short height,
             const std::string& text = {});
    // The template, ready for DialogBoxIndirectParamW.
    const DLGTEMPLATE* Get();

  private:
    void Text(const std::string& text);
    void Align();

    std::vector<WORD> words_;
    WORD count_ = 0;
};

}  // namespace hivewarden::ui::win32
