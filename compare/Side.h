// The sides of a comparison. Everything below the two-pane widgets takes a side by index and
// loops up to SideCount, so that a third side (the base of a three-way merge) is a matter of
// raising the count and giving the widgets a third pane.
#pragma once

#include <array>
#include <cstdint>

namespace compare {

enum TSide : std::uint8_t { Side1 = 0, Side2 = 1 };
inline constexpr int SideCount = 2;

inline constexpr std::array<TSide, SideCount> AllSides{Side1, Side2};

}  // namespace compare
