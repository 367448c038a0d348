// The counts a view shows in the status bar: the lengths of both sides and how many pairs were
// added, deleted and changed. Each view owns one and hands it to the main window's ShowCounts.
// Two-way by nature: added is what side 2 has and side 1 lacks, deleted the reverse.
#pragma once

#include <cstdint>

#include "compare/Side.h"

struct TCompareCounts {
  std::int32_t Count1 = 0;
  std::int32_t Count2 = 0;
  std::int32_t Added = 0;
  std::int32_t Deleted = 0;
  std::int32_t Changed = 0;

  std::int32_t Lines(compare::TSide side) const { return side == compare::Side1 ? Count1 : Count2; }
};
