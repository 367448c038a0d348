// Pairing and classification: pairs beside the lists, the content checks of objects and libraries
// on synthetic libraries, row cells and order, and two real library releases.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "LibWriter.h"
#include "compare/Pairing.h"
#include "compare/Structured.h"
#include "sides/ExportFile.h"
#include "platform/Collation.h"
#include "platform/FileSys.h"

using diff::TDiff;

using pbl::ReadLibDirectory;
using pbl::TDirList;
using pbl::TEntryRec;
using pbl::TLibStream;
using pbl::TReadReport;

namespace fs = std::filesystem;

using testsupport::TFakeEntry;
using testsupport::TLibWriter;
using testsupport::TTempDir;

namespace {

TDirList Keys(std::initializer_list<const char*> keys) {
  TDirList list;
  for (const char* k : keys) list.push_back({k, std::make_unique<TEntryRec>()});
  return list;
}

// The words the rows say a result in.
const TResultWords kWords{"相同", "增加", "减少", "更改"};

// Each pair as "key1/key2:RR" ("-" for a side without an item, its result once for each side).
std::string Layout(const TDirList& l1, const TDirList& l2, const TPairing& pairs) {
  std::string s;
  for (const TPair& p : pairs) {
    const auto *one = ItemOf(l1, p, compare::Side1), *two = ItemOf(l2, p, compare::Side2);
    s += (one ? one->Key : "-") + "/" + (two ? two->Key : "-") + ":" + std::to_string(p.Result) +
         std::to_string(p.Result) + " ";
  }
  return s;
}

TEST(PairLists, PairsEveryItemOnceAndCounts) {
  TDirList a = Keys({"dd_a", "wW_Main", "wx", "wz1", "wz2"}), b = Keys({"aapp", "dd_a", "ww_main", "wy"});
  SortDirList(a);
  SortDirList(b);
  TCompareCounts counts{9, 9, 9, 9, 9};
  std::function<bool(const TEntryRec&, const TEntryRec&)> same = [](const TEntryRec&, const TEntryRec&) { return false; };
  const TPairing pairs = PairLists<TEntryRec>(a, b, platform::CompareTextNoCase, same, counts);
  EXPECT_EQ(Layout(a, b, pairs), "-/aapp:11 dd_a/dd_a:33 wW_Main/ww_main:33 wx/-:22 -/wy:11 wz1/-:22 wz2/-:22 ");
  EXPECT_EQ(counts.Count1, 9);  // the caller's
  EXPECT_EQ(counts.Added, 2);
  EXPECT_EQ(counts.Deleted, 3);
  EXPECT_EQ(counts.Changed, 2);
  // The lists stay as read: the verdicts are the pairs'.
  EXPECT_EQ(a.size(), 5u);
  EXPECT_EQ(b.size(), 4u);
}

TEST(PairLists, ProgressCountsPlaceholdersAndStaysWithin100) {
  TLibSelection a, b;
  for (const char* n : {"a1.pbl", "a2.pbl", "a3.pbl", "a4.pbl"}) a.push_back({n, std::make_unique<TFolderRec>()});
  for (int i = 0; i < 10; ++i) b.push_back({"b" + std::to_string(i) + ".pbl", std::make_unique<TFolderRec>()});
  std::vector<int> percents;
  TCompareCounts counts;
  CompareLibraries(a, b, counts, {}, [&](std::size_t, int p) { percents.push_back(p); });
  ASSERT_FALSE(percents.empty());
  EXPECT_LE(percents.front(), 25);
  for (int p : percents) EXPECT_LE(p, 100);
  EXPECT_EQ(counts.Deleted, 4);
  EXPECT_EQ(counts.Added, 10);
}

TEST(SortLibSelection, ByNameWithoutCase) {
  TLibSelection list;
  for (const char* n : {"b.pbl", "A.pbl", "c.pbl", "a2.pbl"}) list.push_back({n, std::make_unique<TFolderRec>()});
  SortLibSelection(list);
  std::string order;
  for (const auto& item : list) order += item.Key + " ";
  EXPECT_EQ(order, "A.pbl a2.pbl b.pbl c.pbl ");
}

// --- Content checks on synthetic libraries. ---

struct Side {
  fs::path Path;
  std::unique_ptr<TLibStream> Stream;
  TDirList List;
};

Side Open(const TTempDir& dir, const std::string& name, std::vector<TFakeEntry> entries, bool unicode = false) {
  TLibWriter w(unicode);
  w.AddNode(std::move(entries));
  Side s{dir.Write(name, w.Build()), nullptr, {}};
  s.Stream = std::make_unique<TLibStream>(s.Path);
  ReadLibDirectory(*s.Stream, s.List);
  SortDirList(s.List);
  return s;
}

// Classifies one object written with text1 on side 1 and text2 on side 2 (different times).
int Classify(const std::string& text1, const std::string& text2, bool ignoreCase = false, bool ignoreBlanks = false) {
  TTempDir dir;
  Side a = Open(dir, "a.pbl", {TFakeEntry{"w_x.srw", text1, 100}});
  Side b = Open(dir, "b.pbl", {TFakeEntry{"w_x.srw", text2, 200}}, true);
  TDiff diff;
  TCompareCounts counts;
  return CompareObjects(a.List, a.Stream.get(), b.List, b.Stream.get(), counts, {&diff, ignoreCase, ignoreBlanks})
      .at(0)
      .Result;
}

TEST(CompareObjects, ContentDecidesWhenTimeDiffers) {
  const std::string code = "global type w_x from window\r\nend type\r\n";
  EXPECT_EQ(Classify(code, code), crSame);
  EXPECT_EQ(Classify(code, "global type w_x from window\r\nend typo\r\n"), crChanged);
  // Only empty or blank lines added or removed: the same, whatever the options.
  EXPECT_EQ(Classify(code, "\r\nglobal type w_x from window\r\n \t\r\n\r\nend type\r\n"), crSame);
  EXPECT_EQ(Classify("\r\n  \r\n" + code, code, true, true), crSame);
  // A blank line added together with a code line.
  EXPECT_EQ(Classify(code, "global type w_x from window\r\n\r\nx = 1\r\nend type\r\n"), crChanged);
  // An empty line where the other side has spaces is a modified line unless blanks are ignored.
  EXPECT_EQ(Classify("a\r\n\r\nb\r\n", "a\r\n   \r\nb\r\n"), crChanged);
  EXPECT_EQ(Classify("a\r\n\r\nb\r\n", "a\r\n   \r\nb\r\n", false, true), crSame);
  // Letter case.
  EXPECT_EQ(Classify("IF x THEN\r\n", "if x then\r\n"), crChanged);
  EXPECT_EQ(Classify("IF x THEN\r\n", "if x then\r\n", true), crSame);
}

TEST(CompareObjects, EqualSizeAndTimeIsSameWithoutReading) {
  TTempDir dir;
  Side a = Open(dir, "a.pbl", {TFakeEntry{"w_x.srw", "abc", 100}, TFakeEntry{"f_only1.srf", "x", 1}});
  Side b = Open(dir, "b.pbl", {TFakeEntry{"W_X.srw", "xyz", 100}, TFakeEntry{"m_only2.srm", "y", 1}});
  TCompareCounts counts;
  // No engine and no streams: equal size and time must not need either.
  const TPairing pairs = CompareObjects(a.List, static_cast<sides::TLibrary*>(nullptr), b.List, nullptr, counts, {});
  EXPECT_EQ(Layout(a.List, b.List, pairs), "ff_only1/-:22 -/mm_only2:11 ww_x/wW_X:00 ");
  EXPECT_EQ(counts.Added, 1);
  EXPECT_EQ(counts.Deleted, 1);
  EXPECT_EQ(counts.Changed, 0);
}

TEST(CheckLibraryContents, SameObjectsOrOneMore) {
  TTempDir dir;
  std::vector<TFakeEntry> objects{TFakeEntry{"w_a.srw", "one\r\n", 10}, TFakeEntry{"d_b.srd", "two\r\n", 20}};
  Side a = Open(dir, "a.pbl", objects);
  Side b = Open(dir, "b.pbl", objects, true);
  objects.push_back(TFakeEntry{"f_c.srf", "three\r\n", 30});
  Side c = Open(dir, "c.pbl", objects);
  EXPECT_TRUE(CheckLibraryContents(a.Path, b.Path, {}));
  EXPECT_FALSE(CheckLibraryContents(a.Path, c.Path, {}));
  EXPECT_FALSE(CheckLibraryContents(c.Path, a.Path, {}));
  EXPECT_THROW(CheckLibraryContents(a.Path, dir.Path() / "missing.pbl", {}), platform::TFileError);
}

TEST(CompareLibraries, EqualityTest) {
  TTempDir dir;
  Side a = Open(dir, "a.pbl", {TFakeEntry{"w_a.srw", "one\r\n", 10}});
  Side b = Open(dir, "b.pbl", {TFakeEntry{"w_a.srw", "one\r\n", 99}});
  Side c = Open(dir, "c.pbl", {TFakeEntry{"w_a.srw", "two\r\n", 99}});
  auto rec = [](const fs::path& p, std::int64_t size, int minute, bool dir = false) {
    auto r = std::make_unique<TFolderRec>();
    r->Path = p;
    r->Size = size;
    r->Time = platform::MakeDateTime(2024, 1, 1, 0, minute, 0);
    r->IsDir = dir;
    return r;
  };
  TLibSelection l1, l2;
  l1.push_back({"equal.pbl", rec(dir.Path() / "nowhere1", 5, 1)});  // never opened
  l2.push_back({"EQUAL.pbl", rec(dir.Path() / "nowhere2", 5, 1)});
  l1.push_back({"rebuilt.pbl", rec(a.Path, 1, 1)});
  l2.push_back({"rebuilt.pbl", rec(b.Path, 1, 2)});
  l1.push_back({"edited.pbl", rec(a.Path, 1, 1)});
  l2.push_back({"edited.pbl", rec(c.Path, 1, 2)});
  l1.push_back({"folder1.pbl", rec(dir.Path(), 0, 1, true)});
  l2.push_back({"folder1.pbl", rec(a.Path, 9, 9)});
  l1.push_back({"folder2.pbl", rec(a.Path, 9, 9)});
  l2.push_back({"folder2.pbl", rec(dir.Path(), 0, 1, true)});
  TCompareCounts counts;
  const TPairing pairs = CompareLibraries(l1, l2, counts, {});
  std::string got;
  for (const TPair& p : pairs) got += PairKey(l1, l2, p) + ":" + std::to_string(p.Result) + " ";
  // A folder holding no exported object is no library file, on either side.
  EXPECT_EQ(got, "edited.pbl:3 equal.pbl:0 folder1.pbl:3 folder2.pbl:3 rebuilt.pbl:0 ");
  EXPECT_EQ(counts.Changed, 3);

  auto cells = LibraryRowCells(l1, l2, pairs[0], kWords);
  EXPECT_EQ(cells[1], "更改");
  EXPECT_EQ(cells[2], "2024-01-01 00:01:00");
  EXPECT_EQ(cells[5], "1");
}

// Objects as files (folder libraries, revisions), counting what is read.
class TFiles : public sides::TLibrary {
 public:
  struct TFile {
    std::string Name, Bytes, Id;
  };
  explicit TFiles(std::vector<TFile> files) : files_(std::move(files)) {}
  TDirList List() const {
    TDirList list;
    for (std::size_t i = 0; i < files_.size(); ++i) {
      auto rec = std::make_unique<TEntryRec>();
      rec->DataOffset = static_cast<std::int32_t>(i);
      list.push_back({files_[i].Name, std::move(rec)});
    }
    return list;
  }
  void ReadDirectory(TDirList&, TReadReport*) override {}
  void Export(const TEntryRec& e, std::vector<std::string>& lines, TReadReport*) override {
    ++Decoded;
    for (auto& line : sides::DecodeExportFile(File(e).Bytes)) lines.push_back(line);
  }
  bool TrustsSizeAndTime() const override { return false; }
  std::string EntryLocation(const TEntryRec& e) const override { return File(e).Name; }
  std::optional<std::string> ObjectBytes(const TEntryRec& e) override {
    ++Read;
    return File(e).Bytes;
  }
  std::string ObjectId(const TEntryRec& e) const override { return File(e).Id; }
  int Read = 0, Decoded = 0;

 private:
  const TFile& File(const TEntryRec& e) const { return files_.at(static_cast<std::size_t>(e.DataOffset)); }
  std::vector<TFile> files_;
};

// Files of one id are the same unread; files of the same bytes are the same undecoded; every
// other pair is decided by its decoded text as before. What a command found is not read again,
// unless the kind of change is wanted and was not taken.
TEST(CompareObjects, FilesOfOneIdOrOfTheSameBytesAreTheSameUndecoded) {
  const std::string code = "$PBExportHeader$w_a.srw\r\nglobal type w_a from window\r\nend type\r\n";
  const std::string lf = "\xEF\xBB\xBF$PBExportHeader$w_a.srw\nglobal type w_a from window\nend type";
  const std::string edited = "$PBExportHeader$w_a.srw\r\nglobal type w_a from window\r\nEND type\r\n";
  TFiles one({{"aid", code, "1111"}, {"bbytes", code, ""}, {"cmark", code, ""}, {"dedit", code, "2222"}});
  // "aid": another text under the same id is not read, so it cannot count.
  TFiles two({{"aid", edited, "1111"}, {"bbytes", code, "9999"}, {"cmark", lf, ""}, {"dedit", edited, "3333"}});
  TDiff diff;
  TCheckMemo memo;
  TObjectCheck check{&diff};
  check.Memo = &memo;
  auto run = [&]() {
    TDirList l1 = one.List(), l2 = two.List();
    TCompareCounts counts;
    const TPairing pairs = CompareObjects(l1, &one, l2, &two, counts, check);
    std::string s;
    for (const TPair& p : pairs) s += PairKey(l1, l2, p) + ":" + std::to_string(p.Result) + "/" + std::to_string(p.Kind) + " ";
    return s;
  };
  const std::string expected = "aid:0/0 bbytes:0/0 cmark:0/0 dedit:3/" + std::to_string(compare::ckContent) + " ";
  EXPECT_EQ(run(), expected);
  EXPECT_EQ(one.Read, 3);
  EXPECT_EQ(two.Read, 3);
  EXPECT_EQ(one.Decoded + two.Decoded, 0);  // the bytes read are decoded in place, once
  EXPECT_EQ(run(), expected);
  EXPECT_EQ(one.Read + two.Read, 6);

  // Taken without kinds, a changed pair is read again where the kind is wanted; a same pair is not.
  memo.Found.clear();
  check.Kinds = false;
  EXPECT_EQ(run(), "aid:0/0 bbytes:0/0 cmark:0/0 dedit:3/0 ");
  check.Kinds = true;
  EXPECT_EQ(run(), expected);
  EXPECT_EQ(one.Read + two.Read, 6 + 6 + 2);
}

// An object past the size bound is equal or changed by its bytes, never cut into lines, and said so.
TEST(CompareObjects, HugeObjectsAreComparedByTheirBytes) {
  const std::string huge(kMaxObjectBytes + 1, 'x');
  std::string other = huge;
  other.back() = 'y';
  TFiles one({{"huge", huge, ""}, {"same", huge, ""}}), two({{"huge", other, ""}, {"same", huge, ""}});
  sides::TSideReport problems;
  TDiff diff;
  TObjectCheck check{&diff};
  check.Problems = &problems;
  TDirList l1 = one.List(), l2 = two.List();
  TCompareCounts counts;
  const TPairing pairs = CompareObjects(l1, &one, l2, &two, counts, check);
  EXPECT_EQ(PairKey(l1, l2, pairs[0]) + ":" + std::to_string(pairs[0].Result), "huge:" + std::to_string(crChanged));
  EXPECT_EQ(pairs[1].Result, crSame);
  ASSERT_EQ(problems.Problems().size(), 1u);  // each place once (both sides name it "huge" here)
  EXPECT_EQ(sides::TSideReport::Describe(problems.Problems()[0]), "huge: larger than 64 MB: compared by its bytes");
}

// Blank lines added or removed leave a pair the same, and are told as a kind of their own.
TEST(CompareObjects, BlankLinesAloneAreSameAndSaidSo) {
  const std::string text = "$PBExportHeader$n_x.sru\nglobal type n_x from nonvisualobject\nend type\n\nevent e;\nlong a\nend event\n";
  const std::string blanks = "$PBExportHeader$n_x.sru\nglobal type n_x from nonvisualobject\nend type\n\n\nevent e;\nlong a\n \nend event\n";
  TFiles one({{"a", text, ""}, {"b", text, ""}}), two({{"a", blanks, ""}, {"b", text, ""}});
  TDiff diff;
  TObjectCheck check{&diff};
  TDirList l1 = one.List(), l2 = two.List();
  TCompareCounts counts;
  const TPairing pairs = CompareObjects(l1, &one, l2, &two, counts, check);
  EXPECT_EQ(pairs[0].Result, crSame);
  EXPECT_EQ(compare::ChangeKindText(pairs[0].Kind), "blank lines");
  EXPECT_EQ(pairs[1].Kind, 0);  // the same line for line
}

// A name changed in letter case only pairs as one object, and the row shows both names.
TEST(ObjectRowCells, ACaseOnlyRenameShowsBothNames) {
  const std::string text = "$PBExportHeader$m_a.srm\n";
  TFiles one({{"mm_ancestral", text, ""}}), two({{"mM_Ancestral", text, ""}});
  TDiff diff;
  TObjectCheck check{&diff};
  TDirList l1 = one.List(), l2 = two.List();
  TCompareCounts counts;
  const TPairing pairs = CompareObjects(l1, &one, l2, &two, counts, check);
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(ObjectRowCells(l1, l2, pairs[0], kWords)[0], "m_ancestral → M_Ancestral");
  EXPECT_EQ(counts.Changed, 0);
}

// Libraries of every kind pair by library name; a folder library is classified by its objects,
// and every object of a folder by its content, whatever its size and time.
TEST(CompareLibraries, AcrossKinds) {
  TTempDir dir;
  const std::string code = "$PBExportHeader$w_a.srw\r\nglobal type w_a from window\r\nend type\r\n";
  Side lib = Open(dir, "lib/app.pbl", {TFakeEntry{"w_a.srw", "global type w_a from window\r\nend type\r\n", 10}});
  // The same object as a source-control copy: a byte-order mark, LF, no final break.
  dir.Write("ws/app.pbl.src/w_a.srw", "\xEF\xBB\xBF$PBExportHeader$w_a.srw\nglobal type w_a from window\nend type");
  // Two folders whose objects have the same size and time but not the same text.
  fs::path x1 = dir.Write("x1/lib.pbl/w_a.srw", code), x2 = dir.Write("x2/lib.pbl/w_a.srw", code);
  platform::WriteFileBytes(x2, std::string(code).replace(code.find("end"), 3, "END"));
  fs::last_write_time(x2, fs::last_write_time(x1));
  fs::create_directories(dir.Path() / "empty.pbl");
  auto side = [&](std::vector<fs::path> files) {
    sides::TSideReport report;
    TLibSelection sel = CollectLibFiles(files, sides::ftLibraries, report);
    EXPECT_TRUE(report.Empty());
    return sel;
  };
  TDiff diff;
  TObjectCheck check;
  check.Diff = &diff;
  auto result = [&](std::vector<fs::path> one, std::vector<fs::path> two) {
    TLibSelection a = side(one), b = side(two);
    TCompareCounts counts;
    const TPairing pairs = CompareLibraries(a, b, counts, check);
    std::string s;
    for (const TPair& p : pairs) s += PairKey(a, b, p) + ":" + std::to_string(p.Result) + " ";
    return s;
  };
  EXPECT_EQ(result({lib.Path}, {dir.Path() / "ws/app.pbl.src"}), "app.pbl:0 ");
  EXPECT_EQ(result({dir.Path() / "ws/app.pbl.src"}, {lib.Path}), "app.pbl:0 ");
  EXPECT_EQ(result({x1.parent_path()}, {x2.parent_path()}), "lib.pbl:3 ");
  EXPECT_EQ(result({x1.parent_path()}, {x1.parent_path()}), "lib.pbl:0 ");
  // A folder holding no object opposite a library file, on either side.
  auto empty = GetFolderRec(dir.Path() / "empty.pbl"), file = GetFolderRec(lib.Path);
  EXPECT_FALSE(SameLibrary(*empty, *file, check));
  EXPECT_FALSE(SameLibrary(*file, *empty, check));

  // A library that cannot be read makes its pair changed and is noted; the pairing goes on.
  ASSERT_EQ(::mkfifo((dir.Path() / "pipe.pbl").c_str(), 0644), 0);
  TFolderRec pipe = *file;
  pipe.Path = dir.Path() / "pipe.pbl";
  pipe.Time.Seconds += 1;
  sides::TSideReport report;
  check.Problems = &report;
  EXPECT_FALSE(SameLibrary(*file, pipe, check));
  ASSERT_EQ(report.Problems().size(), 1u);
  EXPECT_EQ(report.Problems()[0].Where, pipe.Path.string());
  EXPECT_NE(report.Problems()[0].Detail.find("Not a regular file"), std::string::npos);
  check.Problems = nullptr;
  EXPECT_THROW(SameLibrary(*file, pipe, check), platform::TFileError);
}

TEST(RowCells, EmptyCellsOfTheMissingSide) {
  TDirList a = Keys({"wx"}), b = Keys({"dy"});
  a[0].Rec->Size = 7;
  b[0].Rec->Size = 8;
  TCompareCounts counts;
  std::function<bool(const TEntryRec&, const TEntryRec&)> same = [](const TEntryRec&, const TEntryRec&) { return true; };
  const TPairing pairs = PairLists<TEntryRec>(a, b, platform::CompareTextNoCase, same, counts);
  // dy/- then... sorted order is by key: "dy" before "wx".
  auto added = ObjectRowCells(a, b, pairs[0], kWords);
  EXPECT_EQ(added, (std::array<std::string, 7>{"y", "增加", "", "", "1970-01-01 08:00:00", "8", "d"}));
  auto deleted = ObjectRowCells(a, b, pairs[1], kWords);
  EXPECT_EQ(deleted, (std::array<std::string, 7>{"x", "减少", "1970-01-01 08:00:00", "7", "", "", "w"}));
}

TEST(ObjectRowOrder, ByTypeLetterThenName) {
  TDirList a = Keys({"wa", "dz", "fb", "Wc", "sb"}), b = Keys({"ab", "wa"});
  SortDirList(a);
  SortDirList(b);
  TCompareCounts counts;
  std::function<bool(const TEntryRec&, const TEntryRec&)> same = [](const TEntryRec&, const TEntryRec&) { return true; };
  const TPairing pairs = PairLists<TEntryRec>(a, b, platform::CompareTextNoCase, same, counts);
  std::string got;
  for (std::size_t i : ObjectRowOrder(a, b, pairs)) got += PairKey(a, b, pairs[i]) + " ";
  EXPECT_EQ(got, "ab dz fb sb wa Wc ");
}

// Two releases of one real library: every object pairs, and a library against itself is the same.
TEST(RealLibraries, ConsecutiveReleases) {
  fs::path data = testsupport::TestDataDir();
  if (data.empty()) GTEST_SKIP() << "no real libraries in the test data folder";
  fs::path p9 = data / "pfcmsg-pb9-8bit.pbl", p10 = data / "pfcmsg-pb10-16bit.pbl";
  if (!fs::exists(p9) || !fs::exists(p10)) GTEST_SKIP() << "pfcmsg releases not present";
  TDiff diff;
  TObjectCheck check{&diff, {}};
  EXPECT_TRUE(CheckLibraryContents(p9, p9, check));
  TLibStream s1(p9), s2(p10);
  TDirList l1, l2;
  ReadLibDirectory(s1, l1);
  ReadLibDirectory(s2, l2);
  std::size_t n1 = l1.size(), n2 = l2.size();
  SortDirList(l1);
  SortDirList(l2);
  TCompareCounts counts;
  const TPairing pairs = CompareObjects(l1, &s1, l2, &s2, counts, check);
  EXPECT_EQ(pairs.size() - counts.Added, n1);
  EXPECT_EQ(pairs.size() - counts.Deleted, n2);
  for (const TPair& p : pairs)
    if (p.Has(compare::Side1) && p.Has(compare::Side2)) {
      EXPECT_EQ(platform::CompareTextNoCase(l1[p.Index[compare::Side1]].Key, l2[p.Index[compare::Side2]].Key), 0);
    }
}

}  // namespace
