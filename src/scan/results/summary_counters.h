// The twelve summary counters of the results page and their captions. Plain data with
// reset and count-up; the window copies the texts into its labels.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace hivewarden::scan {

enum class Counter : std::size_t {
    TotalProblems,
    Trojan,
    Fonts,
    Startup,
    Sounds,
    Devs,
    Help,
    Empty,
    Shared,
    AddRemove,
    VirDev,
    Shortcuts,
};

struct CounterInfo {
    Counter Id;
    std::string_view Name;     // the counter label ("lblTrojan")
    std::string_view Caption;  // the caption label beside it
};

inline constexpr std::array<CounterInfo, 12> kCounterTable = {{
    {Counter::TotalProblems, "lblTotalProblems", "Problem(s) Found"},
    {Counter::Trojan, "lblTrojan", "Trojan Horse"},
    {Counter::Fonts, "lblFonts", "Windows Fonts"},
    {Counter::Startup, "lblStartup", "Startup Programs"},
    {Counter::Sounds, "lblSounds", "Sounds"},
    {Counter::Devs, "lblDevs", "Device Drivers"},
    {Counter::Help, "lblHelp", "Help and Resources"},
    {Counter::Empty, "lblEmpty", "Empty Folders"},
    {Counter::Shared, "lblShared", "Shared DLLs"},
    {Counter::AddRemove, "lblAddRemove", "Add/Remove Programs"},
    {Counter::VirDev, "lblVirDev", "Virtual Devices"},
    {Counter::Shortcuts, "lblShortcuts", "Shortcuts and Links"},
}};

class SummaryCounters {
  public:
    // Every counter back to 0 (a scan starts).
    void Reset() { values_.fill(0); }
    void CountUp(Counter counter) { ++values_[static_cast<std::size_t>(counter)]; }
    std::int32_t Value(Counter counter) const { return values_[static_cast<std::size_t>(counter)]; }
    // The number as the label shows it.
    std::string Text(Counter counter) const { return std::to_string(Value(counter)); }

  private:
    std::array<std::int32_t, kCounterTable.size()> values_{};
};

}  // namespace hivewarden::scan
