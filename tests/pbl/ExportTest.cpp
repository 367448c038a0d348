#include <gtest/gtest.h>

#include "LibWriter.h"
#include "pbl/PbFuncs.h"
#include "platform/CodePage.h"

using pbl::ExportEntry;
using pbl::ReadLibDirectory;
using pbl::TDirList;
using pbl::TLibStream;
using pbl::TReadProblem;
using pbl::TReadReport;

using testsupport::TFakeEntry;
using testsupport::TLibWriter;
using testsupport::TTempDir;
using Lines = std::vector<std::string>;

namespace {

// Builds a one-entry library of the given variant and returns the entry's export in UTF-8.
struct Exported {
  Lines Text;
  TReadReport Report;
};

Exported ExportOne(bool unicode, const TFakeEntry& entry, std::size_t blockData = 502,
                   const std::function<void(std::string&, const TLibWriter&)>& damage = nullptr) {
  TLibWriter w(unicode);
  w.BlockData = blockData;
  w.AddNode({entry});
  std::string bytes = w.Build();
  if (damage) damage(bytes, w);
  TTempDir dir;
  TLibStream stream(dir.Write("e.pbl", bytes));
  TDirList list;
  ReadLibDirectory(stream, list);
  EXPECT_EQ(list.size(), 1u);
  Exported out;
  if (list.empty()) return out;
  Lines lines;
  ExportEntry(stream, *list[0].Rec, lines, &out.Report);
  for (const auto& l : lines) out.Text.push_back(platform::CodePageToUtf8(l));
  return out;
}

struct ExportCase {
  const char* Name;
  TFakeEntry Entry;
  Lines Expected;
};

class ExportBothVariants : public testing::TestWithParam<std::tuple<ExportCase, bool>> {};

TEST_P(ExportBothVariants, BuildsHeaderCommentAndSourceLines) {
  const auto& [c, unicode] = GetParam();
  // Short blocks make every text a chain of several blocks; the result must not depend on it.
  for (std::size_t block : {502u, 7u, 1u}) {
    Exported e = ExportOne(unicode, c.Entry, block);
    EXPECT_EQ(e.Text, c.Expected) << "block size " << block;
    EXPECT_TRUE(e.Report.Clean()) << e.Report.Describe();
  }
}

const ExportCase kCases[] = {
    {"no_comment", {"w_main.srw", "forward\r\nend forward\r\n", 0, 0}, {"$PBExportHeader$w_main.srw", "forward", "end forward"}},
    {"comment_then_break", {"w_a.srw", "hello\r\nline", 0, 5}, {"$PBExportHeader$w_a.srw", "$PBExportComments$hello", "", "line"}},
    {"comment_runs_into_source", {"w_a.srw", "abcdef", 0, 3}, {"$PBExportHeader$w_a.srw", "$PBExportComments$abc", "def"}},
    {"comment_with_line_break", {"w_a.srw", "one\r\ntwo\r\nx", 0, 8}, {"$PBExportHeader$w_a.srw", "$PBExportComments$one", "two", "", "x"}},
    {"comment_longer_than_text", {"w_a.srw", "ab", 0, 9}, {"$PBExportHeader$w_a.srw", "$PBExportComments$ab"}},
    {"cr_cr", {"w_a.srw", "a\r\rb", 0, 0}, {"$PBExportHeader$w_a.srw", "a", "", "b"}},
    {"empty_text", {"w_a.srw", "", 0, 0}, {"$PBExportHeader$w_a.srw"}},
    {"trailing_nul", {"w_a.srw", "x\r\ny", 0, 0, true}, {"$PBExportHeader$w_a.srw", "x", "y"}},
    {"chinese_comment", {"w_登陆.srw", "登陆窗口\r\nglobal type", 0, 0}, {"$PBExportHeader$w_登陆.srw", "登陆窗口", "global type"}},
};

INSTANTIATE_TEST_SUITE_P(Texts, ExportBothVariants, testing::Combine(testing::ValuesIn(kCases), testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).Name) + (std::get<1>(info.param) ? "_unicode" : "_ansi");
                         });

TEST(Export, UnicodeCommentLengthCountsUtf16Units) {
  // Four Chinese characters stored with comment length 4: eight bytes once converted.
  Exported e = ExportOne(true, {"w_login.srw", "登陆窗口\r\nglobal type w_login", 0, 4});
  EXPECT_EQ(e.Text, (Lines{"$PBExportHeader$w_login.srw", "$PBExportComments$登陆窗口", "", "global type w_login"}));
}

TEST(Export, AnsiCommentLengthCountsBytes) {
  Exported e = ExportOne(false, {"w_login.srw", "登陆窗口\r\nglobal type w_login", 0, 8});
  EXPECT_EQ(e.Text, (Lines{"$PBExportHeader$w_login.srw", "$PBExportComments$登陆窗口", "", "global type w_login"}));
}

TEST(Export, AnsiNulCutsOnlyItsOwnBlock) {
  // Blocks of 5 bytes: "abc\0x" "yz\r\nq" → the NUL drops "x", the next block still counts.
  Exported e = ExportOne(false, {"w_a.srw", std::string("abc\0xyz\r\nq", 10), 0, 0}, 5);
  EXPECT_EQ(e.Text, (Lines{"$PBExportHeader$w_a.srw", "abcyz", "q"}));
}

TEST(Export, UnicodeNulEndsTheText) {
  Exported e = ExportOne(true, {"w_a.srw", std::string("ab\0cd", 5), 0, 0});
  EXPECT_EQ(e.Text, (Lines{"$PBExportHeader$w_a.srw", "ab"}));
}

TEST(Export, EmptyBlocksInAChainAddNothing) {
  for (bool unicode : {false, true}) {
    Exported e = ExportOne(unicode, {"w_a.srw", "abcdef", 0, 0}, 4, [](std::string& bytes, const TLibWriter& w) {
      testsupport::PutU16(bytes, static_cast<std::size_t>(w.DataOffsets[0][0]) + 8, 0);
    });
    // Blocks of four bytes: the first holds "abcd" in the 8-bit variant, "ab" in the 16-bit one.
    EXPECT_EQ(e.Text, (Lines{"$PBExportHeader$w_a.srw", unicode ? "cdef" : "ef"}));
  }
}

TEST(Export, ChainLoopEndsTheText) {
  Exported e = ExportOne(false, {"w_a.srw", "abcdefghij", 0, 0}, 4, [](std::string& bytes, const TLibWriter& w) {
    // The second block points back to the first.
    std::size_t first = static_cast<std::size_t>(w.DataOffsets[0][0]);
    std::size_t second = first + 512;
    testsupport::PutI32(bytes, second + 4, static_cast<std::int32_t>(first));
  });
  EXPECT_EQ(e.Text, (Lines{"$PBExportHeader$w_a.srw", "abcdefgh"}));
  ASSERT_EQ(e.Report.Issues.size(), 1u);
  EXPECT_EQ(e.Report.Issues[0].Kind, TReadProblem::ChainLoop);
}

TEST(Export, OverlongAnsiBlockIsClampedTo502Bytes) {
  std::string text(600, 'a');
  Exported e = ExportOne(false, {"w_a.srw", text, 0, 0}, 600);
  ASSERT_EQ(e.Text.size(), 2u);
  EXPECT_EQ(e.Text[1].size(), 502u);
  EXPECT_EQ(e.Report.Issues.at(0).Kind, TReadProblem::BlockTooLong);
}

TEST(Export, UnicodeDataBeyondTheSizeIsDropped) {
  TFakeEntry entry{"w_a.srw", "abcdef", 0, 0};
  entry.SizeOverride = 6;  // three UTF-16 units
  Exported e = ExportOne(true, entry, 4);
  EXPECT_EQ(e.Text, (Lines{"$PBExportHeader$w_a.srw", "abc"}));
  EXPECT_EQ(e.Report.Issues.at(0).Kind, TReadProblem::SizeExceeded);
}

TEST(Export, BadDataOffsetGivesTheHeaderOnly) {
  Exported e = ExportOne(true, {"w_a.srw", "abc", 0, 2}, 502, [](std::string& bytes, const TLibWriter& w) {
    testsupport::PutI32(bytes, static_cast<std::size_t>(w.EntryOffsets[0][0] + 12), 1 << 30);
  });
  EXPECT_EQ(e.Text, (Lines{"$PBExportHeader$w_a.srw", "$PBExportComments$"}));
  EXPECT_EQ(e.Report.Issues.at(0).Kind, TReadProblem::BadOffset);
}

TEST(Export, TruncatedBlockKeepsWhatTheFileHolds) {
  Exported e = ExportOne(false, {"w_a.srw", "abcdefgh", 0, 0}, 502, [](std::string& bytes, const TLibWriter& w) {
    bytes.resize(static_cast<std::size_t>(w.DataOffsets[0][0]) + 10 + 3);
  });
  EXPECT_EQ(e.Text, (Lines{"$PBExportHeader$w_a.srw", "abc"}));
  EXPECT_EQ(e.Report.Issues.at(0).Kind, TReadProblem::Truncated);
}

TEST(Export, AppendsWithoutClearing) {
  TLibWriter w(false);
  w.AddNode({{"w_a.srw", "x"}});
  TTempDir dir;
  TLibStream stream(dir.Write("e.pbl", w.Build()));
  TDirList list;
  ReadLibDirectory(stream, list);
  Lines lines{"kept"};
  ExportEntry(stream, *list[0].Rec, lines);
  EXPECT_EQ(lines, (Lines{"kept", "$PBExportHeader$w_a.srw", "x"}));
}

}  // namespace
