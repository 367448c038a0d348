// The counts a view shows in the status bar: the lengths of both sides and how many pairs were
// added, deleted and changed. Each view owns one and hands it to the main window's ShowCounts.
#pragma once

#include <cstdint>

struct TCompareCounts {
  std::int32_t Count1 = 0;
  std::int32_t Count2 = 0;
  std::int32_t Added = 0;
  std::int32_t Deleted = 0;
  std::int32_t Changed = 0;
};
