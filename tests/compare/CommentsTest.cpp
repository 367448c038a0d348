// The PowerScript comment filter over whole texts: comments across lines, nested, and comment
// marks inside string literals.
#include <gtest/gtest.h>

#include "compare/Comments.h"

namespace {

using Lines = std::vector<std::string>;

struct TCase {
  const char* Name;
  Lines Text, Filtered;
};

class FilterComments : public testing::TestWithParam<TCase> {};

TEST_P(FilterComments, LeavesOutCommentsAndTheBlanksTheyLeave) {
  const TCase& c = GetParam();
  compare::TComparedText f = compare::ComparedLines(c.Text, {.IgnoreComments = true});
  EXPECT_EQ(Lines(f.Lines.begin(), f.Lines.end()), c.Filtered);
  // A line that only lost its end stays a view of the text given.
  for (std::size_t i = 0; i < c.Text.size(); ++i) {
    auto ranges = f.Comments.Line(i);
    if (ranges.size() == 1 && ranges[0].End == c.Text[i].size()) {
      EXPECT_EQ(f.Lines[i].data(), c.Text[i].data()) << "line " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FilterComments,
    testing::Values(
        TCase{"EndOfLine", {"x = 1 // old", "   // note", "y = 2\t//"}, {"x = 1", "", "y = 2"}},
        TCase{"MarksInsideStrings",
              {"ls = \"http://a\" // c", "ls = \"/* no */\"", "ls = 'it~'s // x' + b // c"},
              {"ls = \"http://a\"", "ls = \"/* no */\"", "ls = 'it~'s // x' + b"}},
        TCase{"TildeQuoteKeepsTheStringOpen", {"ls = \"a~\"// still\" // c", "ls = \"~~\" // c"},
              {"ls = \"a~\"// still\"", "ls = \"~~\""}},
        TCase{"BlockInTheMiddle", {"x = 1 /* a */ + 2", "    /* a */ x = 1", "f(a/*b*/, c)", "x /* a */ /* b */ y"},
              {"x = 1 + 2", "    x = 1", "f(a, c)", "x y"}},
        TCase{"AcrossLines", {"x = 1 /* start", " * Copyright (c) 2004-2017", "end */ y = 2", "z"},
              {"x = 1", "", "y = 2", "z"}},
        TCase{"Nested", {"/* outer /* inner */ still", "outer */ z", "/*/ a */ b"}, {"", "z", "b"}},
        TCase{"OnlyBlockCommentsCount", {"/* a // b */ c", "/* don't */ x", "a */ b"}, {"c", "x", "a */ b"}},
        TCase{"UnclosedAtTheEnd", {"x /* a", "b"}, {"x", ""}},
        TCase{"StringsEndWithTheirLine", {"ls = \"abc", "x = 1 // c"}, {"ls = \"abc", "x = 1"}},
        TCase{"ScriptOnTheHeaderLine", {"public function integer of_push (n_cst anv);/////", "return 1"},
              {"public function integer of_push (n_cst anv);", "return 1"}},
        TCase{"ExportHeadersAreData",
              {"$PBExportHeader$w_a.srw", "$PBExportComments$see http://a /* b", "HA$PBExportHeader$x.sru", "x // c"},
              {"$PBExportHeader$w_a.srw", "$PBExportComments$see http://a /* b", "HA$PBExportHeader$x.sru", "x"}},
        // GB18030: the trail byte of 0x81 0x7E is "~", and must not escape the closing quote.
        TCase{"TrailByteTilde", {"ls = \"\x81\x7E\" // c", "\xD6\xD0 /* \xCE\xC4 */ = 1"},
              {"ls = \"\x81\x7E\"", "\xD6\xD0 = 1"}}),
    [](const testing::TestParamInfo<TCase>& info) { return std::string(info.param.Name); });

TEST(CommentScanner, DepthCarriesFromLineToLine) {
  compare::TCommentScanner scanner;
  std::vector<compare::TByteRange> ranges;
  scanner.Scan("a /* b /* c", ranges);
  EXPECT_EQ(scanner.Depth(), 2);
  scanner.Scan("", ranges);  // an empty line inside a comment has nothing to leave out
  scanner.Scan("*/ d */ e", ranges);
  EXPECT_EQ(scanner.Depth(), 0);
  EXPECT_EQ(ranges, (std::vector<compare::TByteRange>{{1, 11}, {0, 8}}));
}

}  // namespace
