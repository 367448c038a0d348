// The merge cases of tests/merge/cases (base, ours, theirs and the expected text per style), run
// through the line merge in each style and, for PowerBuilder exports, the merge by section; and
// the options over them: the sides swapped, conflicts settled one way, markers and labels.
#include <gtest/gtest.h>

#include "MergeTestSupport.h"

using mergetest::Cases;
using mergetest::Labelled;
using merge::TStyle;

namespace {

TStyle StyleOf(const std::string& name) {
  return name == "diff3" ? TStyle::Diff3 : name == "zdiff3" ? TStyle::ZDiff3 : TStyle::Merge;
}

bool HasMarkers(const std::string& text) { return text.find("<<<<<<< ours") != std::string::npos; }

// The expected text with every conflict settled: ours' half, theirs' half or both.
std::string Settle(const std::string& text, bool ours, bool theirs) {
  std::string out;
  int part = 0;  // 0 outside, 1 ours, 2 base, 3 theirs
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    nl = nl == std::string::npos ? text.size() : nl + 1;
    const std::string line = text.substr(start, nl - start);
    start = nl;
    if (line.rfind("<<<<<<< ours", 0) == 0) part = 1;
    else if (line.rfind("||||||| base", 0) == 0 && part) part = 2;
    else if (line == "=======\n" && part) part = 3;
    else if (line.rfind(">>>>>>> theirs", 0) == 0 && part) part = 0;
    else if (part == 0 || (part == 1 && ours) || (part == 3 && theirs)) out += line;
  }
  return out;
}

TEST(MergeCases, EachCaseGivesItsExpectedTextInEachStyle) {
  int runs = 0;
  for (const auto& c : Cases()) {
    for (const auto& [style, path] : c.Expected) {
      SCOPED_TRACE(c.Name + " " + style);
      const std::string expected = platform::ReadFileBytes(path);
      const merge::TFileMerge r = merge::MergeFiles(c.Ours, c.Base, c.Theirs, Labelled(StyleOf(style)), style == "section");
      EXPECT_EQ(r.Bytes, expected);
      EXPECT_EQ(r.Conflicts > 0, HasMarkers(expected));
      EXPECT_EQ(r.Structured, style == "section") << r.Notice;
      ++runs;
    }
  }
  EXPECT_GE(runs, 50);
}

TEST(MergeCases, SwappedSidesGiveTheSameTextWithTheConflictsHalvesSwapped) {
  for (const auto& c : Cases()) {
    for (TStyle style : {TStyle::Merge, TStyle::Diff3, TStyle::ZDiff3}) {
      SCOPED_TRACE(c.Name + " style " + std::to_string(static_cast<int>(style)));
      merge::TMergeOptions swapped = Labelled(style);
      std::swap(swapped.OursLabel, swapped.TheirsLabel);
      const merge::TFileMerge forward = merge::MergeFiles(c.Ours, c.Base, c.Theirs, Labelled(style), false);
      const merge::TFileMerge back = merge::MergeFiles(c.Theirs, c.Base, c.Ours, swapped, false);
      EXPECT_EQ(back.Bytes, mergetest::SwapHalves(forward.Bytes));
      EXPECT_EQ(back.Conflicts, forward.Conflicts);
    }
  }
}

TEST(MergeCases, FavorOptionsSettleEveryConflictTheirWay) {
  struct TRow {
    merge::TFavor Favor;
    bool Ours, Theirs;
  };
  for (const TRow& row : {TRow{merge::TFavor::Ours, true, false}, TRow{merge::TFavor::Theirs, false, true},
                          TRow{merge::TFavor::Union, true, true}}) {
    for (const auto& c : Cases()) {
      for (const auto& [style, path] : c.Expected) {
        if (style == "diff3" || style == "zdiff3") continue;
        SCOPED_TRACE(c.Name + " " + style + " favor " + std::to_string(static_cast<int>(row.Favor)));
        merge::TMergeOptions options = Labelled(TStyle::Merge);
        options.Favor = row.Favor;
        const merge::TFileMerge r = merge::MergeFiles(c.Ours, c.Base, c.Theirs, options, style == "section");
        EXPECT_EQ(r.Conflicts, 0);
        EXPECT_EQ(r.Bytes, Settle(platform::ReadFileBytes(path), row.Ours, row.Theirs));
      }
    }
  }
}

TEST(MergeCases, MarkersTakeTheirSizeAndAreBareWithoutLabels) {
  const merge::TMergeFile base{"b", "a\nb\nc\n"}, ours{"o", "a\nB1\nc\n"}, theirs{"t", "a\nB2\nc\n"};
  struct TRow {
    int Size;
    TStyle Style;
    bool Labels;
    std::string Expected;
  };
  for (const TRow& row : {
           TRow{3, TStyle::Merge, false, "a\n<<<\nB1\n===\nB2\n>>>\nc\n"},
           TRow{10, TStyle::Diff3, true, "a\n<<<<<<<<<< ours\nB1\n|||||||||| base\nb\n==========\nB2\n>>>>>>>>>> theirs\nc\n"},
           TRow{1, TStyle::ZDiff3, false, "a\n<\nB1\n|\nb\n=\nB2\n>\nc\n"},
       }) {
    merge::TMergeOptions options = row.Labels ? Labelled(row.Style) : merge::TMergeOptions{};
    options.Style = row.Style;
    options.MarkerSize = row.Size;
    EXPECT_EQ(merge::MergeFiles(ours, base, theirs, options, false).Bytes, row.Expected);
  }
}

}  // namespace
