#include <gtest/gtest.h>

#include "LibWriter.h"
#include "pbl/PbFuncs.h"
#include "platform/CodePage.h"

using pbl::EntryKey;
using pbl::PbTimeToDateTime;
using pbl::ReadLibDirectory;
using pbl::TDirList;
using pbl::TEntryRec;
using pbl::TLibStream;
using pbl::TReadIssue;
using pbl::TReadProblem;
using pbl::TReadReport;

namespace fs = std::filesystem;

using testsupport::TFakeEntry;
using testsupport::TLibWriter;
using testsupport::TTempDir;

namespace {

struct Read {
  TDirList List;
  TReadReport Report;
};

Read ReadBytes(const std::string& bytes) {
  TTempDir dir;
  TLibStream stream(dir.Write("lib.pbl", bytes));
  Read r;
  ReadLibDirectory(stream, r.List, &r.Report);
  return r;
}

std::vector<std::string> Keys(const TDirList& list) {
  std::vector<std::string> keys;
  for (const auto& item : list) keys.push_back(item.Key);
  return keys;
}

class BothVariants : public testing::TestWithParam<bool> {};

TEST_P(BothVariants, WalksNodeThenFirstSubtreeThenSecond) {
  TLibWriter w(GetParam());
  int root = w.AddNode({{"w_root.srw", "r"}});
  int a = w.AddNode({{"w_a1.srw", "x"}, {"w_a2.srw", "x"}});
  int aa = w.AddNode({{"w_aa.srw", "x"}});
  int b = w.AddNode({{"w_b.srw", "x"}});
  w.SetChildren(root, a, b);
  w.SetChildren(a, aa, -1);
  Read r = ReadBytes(w.Build());
  EXPECT_TRUE(r.Report.Clean()) << r.Report.Describe();
  EXPECT_EQ(Keys(r.List), (std::vector<std::string>{"ww_root", "ww_a1", "ww_a2", "ww_aa", "ww_b"}));
  for (const auto& item : r.List) EXPECT_EQ(item.Rec->IsUnicode, GetParam());
}

TEST_P(BothVariants, KeepsOnlySourceEntriesByTheirExtension) {
  TLibWriter w(GetParam());
  w.AddNode({{"w_a.srw", "x"}, {"x.pbd", "x"}, {"d_b.SRD", "x"}, {"a.sr", "x"}, {"noext", "x"}, {"a.srw\\x", "x"}});
  Read r = ReadBytes(w.Build());
  EXPECT_EQ(Keys(r.List), (std::vector<std::string>{"ww_a", "r"}));
}

TEST_P(BothVariants, FieldsAreReadAsStored) {
  TLibWriter w(GetParam());
  TFakeEntry e{"n_cst_thing.sru", "comment\r\nbody", -86400, 7};
  w.AddNode({e});
  std::string bytes = w.Build();
  Read r = ReadBytes(bytes);
  ASSERT_EQ(r.List.size(), 1u);
  const TEntryRec& rec = *r.List[0].Rec;
  EXPECT_EQ(r.List[0].Key, "un_cst_thing");
  EXPECT_EQ(rec.Name, "n_cst_thing.sru");
  EXPECT_EQ(rec.Time, -86400);
  EXPECT_EQ(rec.CommentLen, 7);
  EXPECT_EQ(rec.Size, GetParam() ? 26 : 13);
  EXPECT_EQ(rec.DataOffset, w.DataOffsets[0][0]);
  EXPECT_EQ(std::string(rec.Signature.data(), 4), "ENT*");
  EXPECT_EQ(std::string(rec.Version.data(), 4), "0600");
  EXPECT_EQ(rec.NameLen, GetParam() ? 32 : 16);
}

TEST_P(BothVariants, DuplicatesInDifferentNodesAreKept) {
  TLibWriter w(GetParam());
  int root = w.AddNode({{"w_a.srw", "1"}});
  int child = w.AddNode({{"w_a.srw", "2"}});
  w.SetChildren(root, -1, child);
  EXPECT_EQ(ReadBytes(w.Build()).List.size(), 2u);
}

TEST_P(BothVariants, ChineseAndLongNamesAreKeptWhole) {
  TLibWriter w(GetParam());
  std::string longName(70, 'n');
  w.AddNode({{"w_登陆.srw", "x"}, {longName + ".srw", "x"}});
  Read r = ReadBytes(w.Build());
  ASSERT_EQ(r.List.size(), 2u);
  EXPECT_EQ(platform::CodePageToUtf8(r.List[0].Rec->Name), "w_登陆.srw");
  EXPECT_EQ(platform::CodePageToUtf8(r.List[0].Key), "ww_登陆");
  EXPECT_EQ(r.List[1].Rec->Name, longName + ".srw");
}

TEST_P(BothVariants, EmptyNodeContributesNothing) {
  TLibWriter w(GetParam());
  w.AddNode({});
  Read r = ReadBytes(w.Build());
  EXPECT_TRUE(r.List.empty());
  EXPECT_TRUE(r.Report.Clean());
}

TEST_P(BothVariants, NodeLoopsAreWalkedOnce) {
  TLibWriter w(GetParam());
  int root = w.AddNode({{"w_root.srw", "x"}});
  int child = w.AddNode({{"w_child.srw", "x"}});
  w.SetChildren(root, child, -1);
  std::string bytes = w.Build();
  // The child's second offset leads back to the root.
  testsupport::PutI32(bytes, static_cast<std::size_t>(w.NodeOffsets[child] + 12), static_cast<std::int32_t>(w.NodeOffsets[root]));
  Read r = ReadBytes(bytes);
  EXPECT_EQ(Keys(r.List), (std::vector<std::string>{"ww_root", "ww_child"}));
  ASSERT_EQ(r.Report.Issues.size(), 1u);
  EXPECT_EQ(r.Report.Issues[0].Kind, TReadProblem::NodeLoop);
}

TEST_P(BothVariants, OffsetsPastTheEndAreReported) {
  TLibWriter w(GetParam());
  w.AddNode({{"w_a.srw", "x"}});
  std::string bytes = w.Build();
  testsupport::PutI32(bytes, static_cast<std::size_t>(w.NodeOffsets[0] + 4), 0x7FFFFFF0);
  testsupport::PutI32(bytes, static_cast<std::size_t>(w.NodeOffsets[0] + 12), -5);
  Read r = ReadBytes(bytes);
  EXPECT_EQ(r.List.size(), 1u);
  ASSERT_EQ(r.Report.Issues.size(), 2u);
  EXPECT_EQ(r.Report.Issues[0].Kind, TReadProblem::BadOffset);
  EXPECT_EQ(r.Report.Issues[0].Offset, 0x7FFFFFF0);
  EXPECT_EQ(r.Report.Issues[1].Offset, -5);
}

TEST_P(BothVariants, EntryCountPastTheEndKeepsWhatWasRead) {
  TLibWriter w(GetParam());
  w.AddNode({{"w_a.srw", "x"}, {"w_b.srw", "x"}});
  std::string bytes = w.Build();
  testsupport::PutU16(bytes, static_cast<std::size_t>(w.NodeOffsets[0] + 20), 60000);
  Read r = ReadBytes(bytes);
  EXPECT_GE(r.List.size(), 2u);
  ASSERT_FALSE(r.Report.Clean());
  EXPECT_EQ(r.Report.Issues.back().Kind, TReadProblem::Truncated);
}

TEST_P(BothVariants, TruncatedFilesGivePartialLists) {
  TLibWriter w(GetParam());
  w.AddNode({{"w_first.srw", "x"}, {"w_second.srw", "x"}});
  std::string bytes = w.Build();
  // Cut inside the second entry's name, then at every length down to nothing.
  std::size_t cut = static_cast<std::size_t>(w.EntryOffsets[0][1]) + 30;
  Read r = ReadBytes(bytes.substr(0, cut));
  EXPECT_EQ(Keys(r.List), (std::vector<std::string>{"ww_first"}));
  EXPECT_FALSE(r.Report.Clean());
  for (std::size_t len = cut; len-- > 0;) {
    Read part = ReadBytes(bytes.substr(0, len));
    EXPECT_LE(part.List.size(), 1u);
    if (len < static_cast<std::size_t>(w.NodeOffsets[0]) + 22) {
      EXPECT_TRUE(part.List.empty());
    }
  }
}

TEST_P(BothVariants, EntriesRunningIntoANodeReadBeforeAreCutThere) {
  // Node b lies before node a in the file but is read after it; its count runs on into a.
  TLibWriter w(GetParam());
  int root = w.AddNode({{"w_root.srw", "x"}});
  int b = w.AddNode({{"w_b.srw", "x"}});
  int a = w.AddNode({{"w_a.srw", "x"}});
  w.SetChildren(root, a, b);
  std::string bytes = w.Build();
  testsupport::PutU16(bytes, static_cast<std::size_t>(w.NodeOffsets[b] + 20), 60000);
  Read r = ReadBytes(bytes);
  EXPECT_EQ(Keys(r.List), (std::vector<std::string>{"ww_root", "ww_a", "ww_b"}));
  ASSERT_EQ(r.Report.Issues.size(), 1u) << r.Report.Describe();
  EXPECT_EQ(r.Report.Issues[0].Kind, TReadProblem::Overlap);
  EXPECT_LE(r.Report.Issues[0].Offset, w.NodeOffsets[a]);
  EXPECT_GT(r.Report.Issues[0].Offset, w.NodeOffsets[b]);
}

INSTANTIATE_TEST_SUITE_P(Variant, BothVariants, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Unicode" : "Ansi"; });

TEST(Directory, HeaderTextIsComparedWithoutCase) {
  TLibWriter w(false);
  w.AddNode({{"w_a.srw", "x"}});
  std::string bytes = w.Build();
  bytes.replace(0, 16, "hdr*powerbuilder");
  Read r = ReadBytes(bytes);
  ASSERT_EQ(r.List.size(), 1u);
  EXPECT_FALSE(r.List[0].Rec->IsUnicode);
}

TEST(Directory, NotALibraryIsReadWithoutCrashing) {
  std::string noise;
  unsigned state = 12345;
  for (int size : {0, 3, 100, 1600, 4096, 20000}) {
    noise.resize(static_cast<std::size_t>(size));
    for (char& c : noise) c = static_cast<char>((state = state * 1103515245 + 12345) >> 16);
    Read r = ReadBytes(noise);
    EXPECT_FALSE(r.Report.Clean()) << size;
    EXPECT_EQ(r.Report.Issues[0].Kind, TReadProblem::NoHeader);
  }
}

TEST(Directory, SelfReferencingRootReadsOnce) {
  TLibWriter w(true);
  w.AddNode({{"w_a.srw", "x"}});
  std::string bytes = w.Build();
  testsupport::PutI32(bytes, static_cast<std::size_t>(w.NodeOffsets[0] + 4), static_cast<std::int32_t>(w.NodeOffsets[0]));
  testsupport::PutI32(bytes, static_cast<std::size_t>(w.NodeOffsets[0] + 12), static_cast<std::int32_t>(w.NodeOffsets[0]));
  Read r = ReadBytes(bytes);
  EXPECT_EQ(r.List.size(), 1u);
  EXPECT_EQ(r.Report.Issues.size(), 2u);
}

TEST(Directory, OverlappingNodesAreReadOnceEach) {
  // Kept with the fuzz finds: from offset 1024 on, a node every 8 bytes, each one's first child
  // the next, its second child and entry count taken from the cells after it, so that every
  // node's entries would run on to the end of the file. Each byte is read as a record at most
  // once: the first node reads its entries, the nodes inside them are refused.
  TLibStream stream(fs::path(QUORVEX_CORPUS) / "Library" / "overlapping-directory-nodes");
  Read r;
  ReadLibDirectory(stream, r.List, &r.Report);
  EXPECT_TRUE(r.List.empty());
  ASSERT_EQ(r.Report.Issues.size(), 2u) << r.Report.Describe();
  for (const TReadIssue& issue : r.Report.Issues) EXPECT_EQ(issue.Kind, TReadProblem::Overlap);
  EXPECT_EQ(r.Report.Describe(), "directory records overlap at offset 1032; directory records overlap at offset 1040");
}

TEST(Directory, ALongReportNamesTheFirstTenIssues) {
  TReadReport report;
  for (int i = 0; i < 12; ++i) report.Issues.push_back({TReadProblem::NodeLoop, 1024});
  const std::string text = report.Describe();
  std::size_t named = 0;
  for (std::size_t at = text.find("read twice"); at != std::string::npos; at = text.find("read twice", at + 1)) ++named;
  EXPECT_EQ(named, 10u);
  EXPECT_EQ(text.substr(text.size() - 16), "1024; and 2 more");
}

TEST(EntryTime, CountsSecondsFromEightInTheMorning) {
  EXPECT_EQ(platform::FormatDateTime(PbTimeToDateTime(0)), "1970-01-01 08:00:00");
  EXPECT_EQ(platform::FormatDateTime(PbTimeToDateTime(86400)), "1970-01-02 08:00:00");
  EXPECT_EQ(platform::FormatDateTime(PbTimeToDateTime(-28801)), "1969-12-31 23:59:59");
  EXPECT_EQ(platform::FormatDateTime(PbTimeToDateTime(1163562459)), "2006-11-15 11:47:39");
  EXPECT_EQ(platform::FormatDateTime(PbTimeToDateTime(2147483647)), "2038-01-19 11:14:07");
}

TEST(EntryKey, TypeLetterThenNameWithoutExtension) {
  EXPECT_EQ(EntryKey("w_main.srw"), "ww_main");
  EXPECT_EQ(EntryKey("d_list.srd"), "dd_list");
  EXPECT_EQ(EntryKey("a.sr"), "r");
  EXPECT_EQ(EntryKey(""), "");
}

}  // namespace
