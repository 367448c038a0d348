// The sides of a comparison, by index. Per-side data is an array over SideCount and per-side work
// a loop over AllSides, which is made from the count, so the two cannot disagree.
//
// Raising SideCount does not by itself give a third side. What is two-way by nature stays
// two-way: the diff engine's change records (ChangeRecord), the aligned rows and the reports of a
// two-text comparison (TComparison, TRow, TReportRow), the status bar's counts (TCompareCounts)
// and the command-line tool's left/right output compare exactly side 1 with side 2; a three-way
// view needs records of its own beside them. The windows need a pane, menu items and toolbar
// buttons for the new side: the numbering of the commands (views::TCommandId) and the main
// window's table of their items are checked at compile time to hold every (command, side) pair
// once, so the window does not build until the new side's items are in it.
#pragma once

#include <array>
#include <cstdint>

namespace compare {

enum TSide : std::uint8_t { Side1 = 0, Side2 = 1 };
inline constexpr int SideCount = 2;

// The sides 0 .. N-1 in order.
template <int N>
constexpr std::array<TSide, N> SidesUpTo() {
  std::array<TSide, N> sides{};
  for (int i = 0; i < N; ++i) sides[static_cast<std::size_t>(i)] = static_cast<TSide>(i);
  return sides;
}

inline constexpr std::array<TSide, SideCount> AllSides = SidesUpTo<SideCount>();

// Every side once, in order: a loop over AllSides reaches each side of the count.
template <std::size_t N>
constexpr bool EachSideOnce(const std::array<TSide, N>& sides) {
  for (std::size_t i = 0; i < N; ++i)
    if (sides[i] != static_cast<TSide>(i)) return false;
  return true;
}
static_assert(AllSides.size() == SideCount && EachSideOnce(AllSides));

}  // namespace compare
