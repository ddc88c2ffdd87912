// The window's report-style list views (the backups with their check boxes, the exclusion list,
// the search texts) as the driver handles them: items read through the automation question,
// states read by message, clicks posted where a user would click.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "e2e/app_session.h"

namespace hivewarden::e2e {

class ListView {
  public:
    // lsvBackups, lstExcludeMain or lstCustomsStrs.
    ListView(AppSession& app, ui::Control list);

    HWND Window() const;
    // The items' texts in list order; {"?"} when the window did not answer.
    std::vector<std::string> Items();
    // The position of the item whose text is `text`; -1 when none is.
    int Find(const std::string& text);
    int Count() const;
    // The item's check box (its state image 2 = checked, 1 = unchecked).
    bool Checked(int index) const;
    // The first selected item, -1 when none is.
    int Selected() const;

    // A click on the item's text: selects it.
    bool ClickItem(int index);
    // A click on the item's check box: toggles it. Empty `how` when it worked; otherwise why not.
    bool ClickCheckBox(int index, std::string& how);

  private:
    std::optional<RECT> ItemRect(int index, int part) const;
    // LVM_HITTEST at `point`: the flags, or 0 when the point hits nothing.
    UINT HitFlags(POINT point) const;
    bool Click(POINT point);

    AppSession& app_;
    ui::Control list_;
    std::string name_;
};

// "a|b|c" -> {"a", "b", "c"}; "" -> {}.
std::vector<std::string> SplitList(const std::string& joined);
std::string JoinList(const std::vector<std::string>& items);

}  // namespace hivewarden::e2e
