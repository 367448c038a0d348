// Aligning similar lines in changed blocks of unequal line counts.
#include <gtest/gtest.h>

#include "compare/AlignSimilar.h"
#include "compare/Comparison.h"

using diff::ChangeRecord;
using diff::KindAdded;
using diff::KindModified;
using diff::TDiff;

namespace {

using compare::kNoLine;
using compare::TLineView;
using Lines = std::vector<std::string>;

std::vector<TLineView> Views(const Lines& lines) { return {lines.begin(), lines.end()}; }

// "1-2": line 1 of block 1 opposite line 2 of block 2; "1-" deleted; "-2" added.
std::string Rows(const std::vector<compare::TLinePair>& rows) {
  std::string s;
  for (const auto& r : rows) {
    s += s.empty() ? "" : " ";
    s += (r.Line1 == kNoLine ? "" : std::to_string(r.Line1)) + "-" + (r.Line2 == kNoLine ? "" : std::to_string(r.Line2));
  }
  return s;
}

struct TCase {
  const char* Name;
  Lines Block1, Block2;
  std::string Rows;
};

class AlignSimilar : public testing::TestWithParam<TCase> {};

TEST_P(AlignSimilar, PairsLinesByLikenessInOrder) {
  const TCase& c = GetParam();
  std::vector<TLineView> b1 = Views(c.Block1), b2 = Views(c.Block2);
  EXPECT_EQ(Rows(compare::AlignSimilar(b1, b2, {})), c.Rows);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, AlignSimilar,
    testing::Values(
        TCase{"LineInsertedBetweenEdits", {"li_a = 1", "li_b = of_get(2)"},
              {"li_a = 10", "of_log(\"step\")", "li_b = of_get(20)"}, "0-0 -1 1-2"},
        TCase{"LineDroppedBeforeAnEdit", {"SetPointer(HourGlass!)", "dw_1.Retrieve()", "ll_rows = dw_1.RowCount()"},
              {"ll_rows = dw_2.RowCount()"}, "0- 1- 2-0"},
        TCase{"NothingAlike", {"x = 1", "y = 2"}, {"IF IsValid(a) THEN", "RETURN -1", "END IF"}, "0- 1- -0 -1 -2"},
        TCase{"OrderIsKept", {"x = of_a(1)", "y = of_b(2)"}, {"y = of_b(2, 3)", "zzz", "x = of_a(4)"}, "-0 -1 0-2 1-"},
        TCase{"TheMoreAlikeLineWins", {"ls_name = \"Smith\""},
              {"ls_title = \"Mr\"", "ls_name = \"Smyth\"", "ls_name = \"Jones\""}, "-0 0-1 -2"}),
    [](const testing::TestParamInfo<TCase>& info) { return std::string(info.param.Name); });

// Through the comparison model: the records and rows of a run with the option.
TEST(AlignChanges, BlocksOfUnequalCountsBecomeRowsInOrder) {
  compare::TComparison model;
  model.Sides[compare::Side1] = std::make_shared<compare::TSideText>(
      Lines{"a", "li_a = 1", "li_b = of_get(2)", "b", "c", "x", "d"});
  model.Sides[compare::Side2] = std::make_shared<compare::TSideText>(
      Lines{"a", "li_a = 10", "of_log(\"step\")", "li_b = of_get(20)", "b", "c", "y", "d"});
  TDiff diff;
  ASSERT_TRUE(model.Run(diff, {.AlignSimilar = true}, false));
  EXPECT_EQ(model.Changes, (std::vector<ChangeRecord>{
                               {KindModified, 1, 1, 1}, {KindAdded, 2, 2, 1}, {KindModified, 2, 3, 1}, {KindModified, 5, 6, 1}}));
  std::string kinds;
  for (const compare::TRow& row : model.Rows.Rows) kinds += "EADM"[static_cast<int>(row.Kind)];
  EXPECT_EQ(kinds, "EMAMEEME");
  EXPECT_EQ(model.Rows.Rows[3].Cells[compare::Side1].Line, 2);
  EXPECT_EQ(model.Rows.Rows[3].Cells[compare::Side2].Line, 3);
  // Without the option the block pairs by position.
  ASSERT_TRUE(model.Run(diff, {}, false));
  EXPECT_EQ(model.Changes, (std::vector<ChangeRecord>{{KindModified, 1, 1, 2}, {KindAdded, 3, 3, 1}, {KindModified, 5, 6, 1}}));
}

}  // namespace
