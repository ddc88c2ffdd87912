// The results grid as the driver handles it: rows and cells read through the automation
// questions, clicks posted at a cell's centre, and the action drop-down laid over the
// Correction cell. Rows and columns count from 1, as the window counts them. The custom
// search's grid is handled the same way (its Action column is column 2 too).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "e2e/app_session.h"

namespace hivewarden::e2e {

inline constexpr int kColumnIcon = 1;
inline constexpr int kColumnCorrection = 2;
inline constexpr int kColumnErrorKind = 3;
inline constexpr int kColumnFixedValue = 4;
inline constexpr int kColumnBody = 7;

// In the grid's client coordinates.
struct CellBox {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

struct RowTexts {
    int Row = 0;
    std::string Icon;
    std::string Correction;
    std::string ErrorKind;
    std::string FixedValue;
    std::string Body;
};

class ResultsGrid {
  public:
    explicit ResultsGrid(AppSession& app) : ResultsGrid(app, ui::Control::lstFound) {}
    // lstFound with cmbAction, or lstCustomSearching with cmbCustomRplAction.
    ResultsGrid(AppSession& app, ui::Control grid);

    HWND Window() const;
    int Rows();
    std::string Cell(int row, int column);
    RowTexts Read(int row);
    std::optional<CellBox> Box(int row, int column);
    // The first row that `match` accepts; nullopt when none does.
    std::optional<RowTexts> Find(const std::function<bool(const RowTexts&)>& match);

    // Scrolls until the row's Correction cell lies wholly in the rows area.
    bool EnsureVisible(int row);
    // Clicks the row's Correction cell (a first click selects the row) until the drop-down
    // shows; false when it does not.
    bool OpenChooser(int row);
    // The drop-down's items while it shows; empty when it is hidden.
    std::vector<std::string> ChooserItems();
    bool ChooserShown();
    // Selects `action` in the shown drop-down and tells the window (CBN_SELCHANGE).
    bool ChooseItem(const std::string& action);
    // The drop-down's screen rectangle against the cell's: true when it covers the cell.
    bool ChooserCoversCell(int row, std::string& detail);

  private:
    bool Click(const CellBox& box);
    int HeaderBottom();

    std::string Chooser();

    AppSession& app_;
    ui::Control grid_;
    ui::Control chooser_;
    std::string gridName_;
    int headerBottom_ = -1;
};

}  // namespace hivewarden::e2e
