// The real main window: creates the controls of every page, turns window messages into the
// logic's handlers (MainWindow), and is the View the logic drives. One per process.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/main_window.h"
#include "ui/result_grid_source.h"
#include "ui/view.h"
#include "ui/win32/grid/grid_control.h"
#include "ui/win32/page_layout.h"
#include "ui/win32/win32_headers.h"

namespace hivewarden::ui::win32 {

class MainFrame final : public View {
  public:
    MainFrame(HINSTANCE instance, WindowServices services, ProgramInfo program);
    ~MainFrame() override;
    MainFrame(const MainFrame&) = delete;
    MainFrame& operator=(const MainFrame&) = delete;

    // Registers the class and creates the window and its controls (hidden); false on failure.
    bool Create();
    HWND Window() const { return window_; }
    MainWindow& Logic() { return logic_; }

    // --- View ---
    void ShowPage(Page page, bool shown) override;
    bool PageShown(Page page) const override;
    void SetLayout(Layout layout) override;
    void SetWindowCaption(const std::string& text) override;
    void SetText(Control control, const std::string& text) override;
    std::string Text(Control control) const override;
    void SetEnabled(Control control, bool enabled) override;
    bool Enabled(Control control) const override;
    void SetVisible(Control control, bool visible) override;
    void SetChecked(Control control, bool checked) override;
    bool Checked(Control control) const override;
    void SetFocus(Control control) override;
    void SetProgress(Control control, std::int32_t percent) override;
    void SetCounterText(scan::Counter counter, const std::string& text) override;
    Answer ShowMessage(const std::string& text, MessageIcon icon, MessageButtons buttons) override;
    void ShowListMessage(const std::string& text, const std::vector<std::string>& lines,
                         MessageIcon icon) override;
    std::optional<std::string> InputBox(const std::string& prompt,
                                        const std::string& initial) override;
    std::string BrowseForFolder(const std::string& title) override;
    std::optional<std::string> OpenFileDialog(const std::string& title,
                                              const std::string& filter) override;
    bool StartupPrompt() override;
    void ShowAbout() override;
    void ShellOpen(const std::string& target, const std::string& folder) override;
    void StartTimer(Timer timer, std::int32_t intervalMs) override;
    void StopTimer(Timer timer) override;
    void Yield() override;
    void GridSuspendRedraw(Control grid) override;
    void GridResumeRedraw(Control grid) override;
    void GridRowsAppended(Control grid) override;
    void GridRowsReset(Control grid) override;
    void GridRowChanged(Control grid, std::int32_t row) override;
    CellBox GridCellBox(Control grid, std::int32_t row, std::int32_t column) const override;
    std::int32_t GridSelectedRow(Control grid) const override;
    void GridEndEdit(Control grid) override;
    std::optional<std::string> SaveFileDialog(const std::string& filter) override;
    void ShowActionChooser(Control chooser, const std::vector<std::string>& items,
                           const std::string& text, const CellBox& box) override;
    void HideActionChooser(Control chooser) override;
    std::optional<std::string> ActionChooserSelection(Control chooser) const override;
    void ListClear(Control list) override;
    void ListAdd(Control list, const std::string& text) override;
    std::int32_t ListCount(Control list) const override;
    std::string ListText(Control list, std::int32_t index) const override;
    void ListSetText(Control list, std::int32_t index, const std::string& text) override;
    void ListRemove(Control list, std::int32_t index) override;
    std::optional<std::int32_t> ListSelection(Control list) const override;
    bool ListChecked(Control list, std::int32_t index) const override;
    void ShowAnimationFrame(std::int32_t frame) override;
    bool Minimized() const override;
    bool Visible() const override;
    void Minimize() override;
    void Hide() override;
    void RestoreFromTray() override;
    void CenterOnScreen() override;
    void DisableCloseCommand() override;
    void AddTrayIcon() override;
    void RemoveTrayIcon() override;
    void Terminate() override;

  private:
    friend LRESULT CALLBACK MainWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code, HWND control);
    LRESULT OnNotify(const NMHDR& header);
    LRESULT OnCopyData(HWND reply, const COPYDATASTRUCT& data);
    // Enter presses the focused push button, else Next (see Handle's DM_GETDEFID).
    LRESULT DefaultButton() const;
    // Explorer started again: the icon it forgot is added again.
    void AddTrayIconAgain();
    std::string Answer(const std::string& question);

    void CreateFonts();
    void CreateControls();
    void CreateSummaryCounters();
    // --- DPI, theme and accessibility (frame_dpi.cpp, frame_layout_check.cpp) ---
    // The pictures and icon lists at the window's DPI (again after a DPI change).
    void LoadImages();
    // WM_DPICHANGED: fonts, controls, grids and pictures at `dpi`; `suggested`, when given, is
    // where the system puts the window.
    void OnDpiChanged(int dpi, const RECT* suggested);
    void ThemeChanged();
    void NameControls();
    // "ok N controls", or what is clipped, outside the client area or overlapping.
    std::string LayoutProblems() const;
    void SetUpGrids();
    void SetUpLists();
    void DrawAnimation(const DRAWITEMSTRUCT& item);
    LRESULT OnGridNotify(const NMHDR& header);
    HWND Item(Control control) const;
    HFONT FontOf(FontKind kind) const;
    int Scale(int pixels) const;
    GridControl* Grid(Control grid) const;

    HINSTANCE instance_;
    HWND window_ = nullptr;
    MainWindow logic_;
    int dpi_ = 96;
    Layout layout_ = Layout::Compact;
    std::array<HFONT, 5> fonts_{};
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HIMAGELIST gridIcons_ = nullptr;
    HIMAGELIST customIcons_ = nullptr;
    HIMAGELIST animation_ = nullptr;
    std::int32_t animationFrame_ = 0;
    std::vector<HBITMAP> bitmaps_;
    std::unique_ptr<ResultGridSource> resultsSource_;
    GridControl* resultsGrid_ = nullptr;
    std::unique_ptr<CustomGridSource> customSource_;
    GridControl* customGrid_ = nullptr;
    std::map<int, Page> pageOf_;  // control id -> its page
    std::array<bool, kPageCount> pagesShown_{};
    std::vector<HWND> summaryControls_;
    std::vector<HWND> buttonRow_;
    HWND separator_ = nullptr;
    DWORD lastPump_ = 0;
    bool trayIconAdded_ = false;
    UINT taskbarCreated_ = 0;  // the registered "TaskbarCreated" message
};

}  // namespace hivewarden::ui::win32
