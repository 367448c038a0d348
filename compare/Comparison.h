// TComparison: the comparison of two side texts, as one value the views and quorvex-cli share.
// Two-way by nature: its change records and rows relate side 1 to side 2.
//
// It holds the sides (shared, never copied), the options of its last run, the engine's change
// records and the aligned rows. Running it needs an engine (the views hand in theirs, whose step
// events keep the window alive); aligning again (when the equal rows are to be left out or shown
// again) needs none.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "compare/Comments.h"
#include "compare/InlineDiff.h"
#include "compare/Options.h"
#include "compare/Rows.h"
#include "compare/Side.h"
#include "compare/SideText.h"
#include "diff/DiffUnit.h"
#include "diff/HashUnit.h"

namespace compare {

class TComparison {
 public:
  std::array<std::shared_ptr<const TSideText>, SideCount> Sides;
  TCompareOptions Options;             // those of the last run
  std::vector<diff::ChangeRecord> Changes;   // of the last run
  TRows Rows;
  bool Present = false;                // a run has completed and its rows are aligned
  // The comment ranges of each side's lines, found when the last run's options needed them
  // (IgnoreComments, AlignSimilar): the inline comparison reads comments as prose and, under
  // IgnoreComments, leaves them out. Empty otherwise.
  std::array<TCommentMap, SideCount> Comments;

  // Compares the two sides under `options` and aligns the rows. False, with the last result kept,
  // when the engine refused or was cancelled.
  bool Run(diff::TDiff& engine, const TCompareOptions& options, bool leaveOutEqual);
  // Aligns the last run's rows again.
  void Align(bool leaveOutEqual);

  const TSideText& Text(TSide side) const { return *Sides[side]; }
  std::array<const TSideText*, SideCount> Texts() const;
  std::array<std::int32_t, SideCount> LineCounts() const;
  // A line of a side with its comment ranges, as the inline comparison takes it.
  TLineView LineView(TSide side, std::int32_t index) const;
};

// The values the engine compares for the lines of a text: the line classes of `classes` (one
// object for both texts of a comparison, made with the options' case and blank settings), equal
// exactly for lines that count as equal under the options. Under IgnoreComments these are the
// lines without their comments: the ranges of `comments` when given, otherwise found here.
std::vector<std::uint32_t> LineValues(const TSideText& text, const TCompareOptions& options, diff::TLineClasses& classes,
                                      const TCommentMap* comments = nullptr);

}  // namespace compare
