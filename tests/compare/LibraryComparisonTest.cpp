// The library comparison without a display: pairing the sides, a pair's objects, reading again,
// the options, cancelling and the notes of what reading met.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "LibWriter.h"
#include "RunCli.h"
#include "compare/LibraryComparison.h"

using pbl::TKeyed;

namespace fs = std::filesystem;

using compare::Side1;
using compare::Side2;
using compare::TLibraryComparison;
using testsupport::TFakeEntry;
using testsupport::TLibWriter;
using testsupport::TTempDir;

namespace {

std::string Library(std::vector<TFakeEntry> entries) {
  TLibWriter w(false);
  w.AddNode(std::move(entries));
  return w.Build();
}

// The pairs as "key:result " in their order.
template <class T>
std::string Pairs(const std::vector<TKeyed<T>>& one, const std::vector<TKeyed<T>>& two, const TPairing& pairs) {
  std::string s;
  for (const TPair& p : pairs) s += PairKey(one, two, p) + ":" + std::to_string(p.Result) + " ";
  return s;
}

std::string LibraryPairs(const TLibraryComparison& m) {
  return Pairs(m.Libraries(Side1), m.Libraries(Side2), m.LibraryPairs());
}
std::string ObjectPairs(const TLibraryComparison& m) {
  return Pairs(m.Objects(Side1), m.Objects(Side2), m.ObjectPairs());
}

class LibraryComparison : public ::testing::Test {
 protected:
  TTempDir dir_;
  // Two releases, the second written later: a.pbl the same, b.pbl edited, e.pbl edited in letter
  // case only, c.pbl and d.pbl on one side only.
  fs::path a1_ = dir_.Write("one/a.pbl", Library({{"w_a.srw", "a\r\n", 10}}));
  fs::path b1_ = dir_.Write("one/b.pbl", Library({{"w_b.srw", "b\r\n", 10}, {"w_x.srw", "x\r\n", 10}}));
  fs::path c1_ = dir_.Write("one/c.pbl", Library({{"w_c.srw", "c\r\n", 10}}));
  fs::path a2_ = dir_.Write("two/a.pbl", Library({{"w_a.srw", "a\r\n", 20}}));
  fs::path b2_ = dir_.Write("two/B.pbl", Library({{"w_b.srw", "B\r\n", 20}, {"w_y.srw", "y\r\n", 20}}));
  fs::path d2_ = dir_.Write("two/d.pbl", Library({{"w_d.srw", "d\r\n", 20}}));
  fs::path e1_ = dir_.Write("one/e.pbl", Library({{"w_e.srw", "e\r\n", 10}}));
  fs::path e2_ = dir_.Write("two/e.pbl", Library({{"w_e.srw", "E\r\n", 20}}));
  TLibraryComparison model_;

  void AddBoth() {
    for (const fs::path& p : {a2_, b2_, d2_, e2_}) fs::last_write_time(p, fs::last_write_time(a1_) + std::chrono::minutes(1));
    EXPECT_TRUE(model_.Add(Side1, {a1_, b1_, c1_, e1_}, sides::ftLibraries).Empty());
    EXPECT_TRUE(model_.Add(Side2, {d2_, b2_, a2_, e2_}, sides::ftLibraries).Empty());
  }
};

// Both sides are sorted and paired by name; the options decide what a changed text is; clearing
// a side leaves the other's libraries added or deleted.
TEST_F(LibraryComparison, PairsTheSidesUnderTheOptions) {
  AddBoth();
  struct TCase {
    const char* Name;
    bool IgnoreCase;
    bool ClearSide1;
    std::string Pairs;
    TCompareCounts Counts;
  };
  const TCase cases[] = {
      {"as read", false, false, "a.pbl:0 b.pbl:3 c.pbl:2 d.pbl:1 e.pbl:3 ", {4, 4, 1, 1, 2}},
      {"letter case ignored", true, false, "a.pbl:0 b.pbl:3 c.pbl:2 d.pbl:1 e.pbl:0 ", {4, 4, 1, 1, 1}},
      {"side 1 cleared", false, true, "a.pbl:1 B.pbl:1 d.pbl:1 e.pbl:1 ", {0, 4, 4, 0, 0}},
  };
  for (const TCase& c : cases) {
    model_.Options = [&] { return compare::TCompareOptions{.IgnoreCase = c.IgnoreCase}; };
    if (c.ClearSide1) model_.Clear(Side1);
    model_.PairLibraries();
    EXPECT_EQ(LibraryPairs(model_), c.Pairs) << c.Name;
    const TCompareCounts& n = model_.LibraryCounts();
    EXPECT_EQ(std::vector<int>({n.Count1, n.Count2, n.Added, n.Deleted, n.Changed}),
              std::vector<int>({c.Counts.Count1, c.Counts.Count2, c.Counts.Added, c.Counts.Deleted, c.Counts.Changed}))
        << c.Name;
  }
  EXPECT_TRUE(model_.Added(Side1).empty());
  EXPECT_EQ(model_.Added(Side2), (std::vector<fs::path>{d2_, b2_, a2_, e2_}));
}

// A pair's objects are paired with their kinds of change; a pair that lacks a side shows the
// other side's objects alone, and reading again reads only what that pair holds.
TEST_F(LibraryComparison, OpensAPairAndReadsItAgain) {
  AddBoth();
  model_.PairLibraries();
  struct TCase {
    const char* Library;
    std::string Objects;
  };
  const TCase cases[] = {
      {"b.pbl", "ww_b:3 ww_x:2 ww_y:1 "},
      {"c.pbl", "ww_c:2 "},
      {"d.pbl", "ww_d:1 "},
      {"a.pbl", "ww_a:0 "},
  };
  for (const TCase& c : cases) {
    const TPairing& pairs = model_.LibraryPairs();
    std::size_t k = 0;
    while (k < pairs.size() && PairKey(model_.Libraries(Side1), model_.Libraries(Side2), pairs[k]) != c.Library) ++k;
    ASSERT_LT(k, pairs.size()) << c.Library;
    model_.OpenPair(k);
    EXPECT_EQ(ObjectPairs(model_), c.Objects) << c.Library;
    ASSERT_TRUE(model_.ReadObjectsAgain());
    EXPECT_EQ(ObjectPairs(model_), c.Objects) << c.Library << ", read again";
    EXPECT_TRUE(model_.TakeNotes().empty()) << c.Library;
  }
  // The exported sources of a pair, one side missing.
  model_.OpenPair(2);  // c.pbl, side 1 only
  std::vector<std::string> lines1, lines2;
  model_.Export(model_.ObjectPairs().at(0), Side1, "c", lines1);
  model_.Export(model_.ObjectPairs().at(0), Side2, "c", lines2);
  EXPECT_EQ(lines1.back(), "c");
  EXPECT_TRUE(lines2.empty());
  // Reset forgets all: nothing is open to read again.
  model_.Reset();
  EXPECT_FALSE(model_.ReadObjectsAgain());
  EXPECT_TRUE(model_.Libraries(Side1).empty() && model_.ObjectPairs().empty() && model_.LibraryPath(Side1).empty());
}

// Cancelling between pairs stops the pairing and leaves no pairs behind; the next pairing runs.
TEST_F(LibraryComparison, CancelledBetweenPairs) {
  AddBoth();
  int made = 0;
  model_.OnProgress = [&](std::size_t, int) { ++made; };
  model_.Cancelled = [&] { return made == 2; };
  EXPECT_THROW(model_.PairLibraries(), compare::TPairingCancelled);
  EXPECT_EQ(made, 2);
  EXPECT_TRUE(model_.LibraryPairs().empty());
  model_.Cancelled = nullptr;
  model_.PairLibraries();
  EXPECT_EQ(model_.LibraryPairs().size(), 5u);
}

// What reading met is noted once per command: damage under the library's name, a library that
// cannot be read by its problem; BeginCommand forgets what was told.
TEST_F(LibraryComparison, NotesDamageAndUnreadableLibrariesOnce) {
  std::string bytes = Library({{"w_a.srw", std::string(2000, 'x') + "\r\n", 10}});
  const fs::path cut = dir_.Write("cut/a.pbl", bytes.substr(0, bytes.size() - 300));
  ASSERT_EQ(::mkfifo((dir_.Path() / "b.pbl").c_str(), 0644), 0);
  sides::TSideReport collected = model_.Add(Side1, {cut, b1_}, sides::ftLibraries);
  model_.Add(Side2, {a2_, dir_.Path() / "b.pbl"}, sides::ftLibraries);
  for (int run = 0; run < 2; ++run) {
    model_.BeginCommand();
    model_.PairLibraries();
    EXPECT_EQ(LibraryPairs(model_), "a.pbl:3 b.pbl:3 ") << run;
    std::vector<compare::TReadNote> notes = model_.TakeNotes();
    ASSERT_EQ(notes.size(), 2u) << run;
    EXPECT_NE(notes[0].What.find(cut.string()), std::string::npos) << notes[0].What;
    EXPECT_FALSE(notes[0].Report.Clean());
    EXPECT_NE(notes[1].What.find("b.pbl"), std::string::npos) << notes[1].What;
    EXPECT_TRUE(notes[1].Report.Clean());
    EXPECT_EQ(model_.Problems().Problems().size(), 1u);
  }
}

}  // namespace

namespace {

// A folder library's export: a header, a type line and one body line, in UTF-8 with a mark and
// CR LF breaks as PowerBuilder writes ws_objects.
std::string BomExport(const std::string& name, const std::string& body) {
  return "\xEF\xBB\xBF$PBExportHeader$" + name + "\r\nglobal type x from window\r\n" + body + "\r\nend type\r\n";
}

std::string FileBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Opens the one library pair of what `side1` and `side2` name (a revision's repository being
// `repository`).
void OpenSides(TLibraryComparison& model, const std::string& side1, const std::string& side2,
               const fs::path& repository = {}) {
  model.Reset();
  model.Add(Side1, {side1}, sides::ftAuto, repository);
  model.Add(Side2, {side2}, sides::ftAuto, repository);
  model.PairLibraries();
  ASSERT_EQ(model.LibraryPairs().size(), 1u) << LibraryPairs(model);
  model.OpenPair(0);
}

const TPair* PairOf(const TLibraryComparison& m, const std::string& key) {
  for (const TPair& p : m.ObjectPairs())
    if (PairKey(m.Objects(Side1), m.Objects(Side2), p) == key) return &p;
  return nullptr;
}

}  // namespace

// Copying an object onto a folder side writes its file there (a folder's file as it is, a
// library file's or a revision's export as the folder's exports are encoded) and reads the lists
// again; deleting removes the file. Library files and revisions are never written.
TEST_F(LibraryComparison, CopiesAndDeletesObjectsOfFolderSides) {
  const fs::path f1 = dir_.Path() / "f1/app.pbl.src", f2 = dir_.Path() / "f2/app.pbl.src";
  const fs::path lf = dir_.Path() / "lf/app.pbl.src";
  dir_.Write("f1/app.pbl.src/w_a.srw", BomExport("w_a.srw", "int a1"));
  dir_.Write("f1/app.pbl.src/w_b.srw", BomExport("w_b.srw", "int b"));
  dir_.Write("f2/app.pbl.src/w_a.srw", BomExport("w_a.srw", "int a2"));
  dir_.Write("f2/app.pbl.src/w_c.srw", BomExport("w_c.srw", "int c"));
  dir_.Write("lf/app.pbl.src/w_a.srw", "$PBExportHeader$w_a.srw\nint a\n");  // ASCII, LF breaks
  const fs::path pbl = dir_.Write("pbl/app.pbl", Library({{"w_d.srw", "int d\r\n", 10}}));
  // A repository whose HEAD holds the folder f1 as it is now.
  const std::string git =
      "cd " + testsupport::Quote(dir_.Path().string()) + " && git -c user.name=T -c user.email=t@example.com ";
  const bool haveGit =
      std::system((git + "init -q && " + git + "add f1 && " + git + "commit -qm one >/dev/null").c_str()) == 0;

  struct TCase {
    const char* Name;
    std::string Side1, Side2;
    bool Delete;          // else copy
    compare::TSide Side;  // written to
    std::string Key;
    std::string Bytes;  // the file written; empty: refused
    std::string After;  // the object list after it
    bool Git = false;
  };
  const std::string dLf = "$PBExportHeader$w_d.srw\nint d\n";
  const TCase cases[] = {
      {"a new file, to the right", f1.string(), f2.string(), false, Side2, "ww_b", BomExport("w_b.srw", "int b"),
       "ww_a:3 ww_b:0 ww_c:1 "},
      {"a replaced file, to the left", f1.string(), f2.string(), false, Side1, "ww_a", BomExport("w_a.srw", "int a2"),
       "ww_a:0 ww_b:2 ww_c:1 "},
      {"deleted on the right", f1.string(), f2.string(), true, Side2, "ww_c", "", "ww_a:3 ww_b:2 "},
      {"a library file's export, as the folder writes", pbl.string(), f2.string(), false, Side2, "ww_d",
       "\xEF\xBB\xBF$PBExportHeader$w_d.srw\r\nint d\r\n", "ww_a:1 ww_c:1 ww_d:0 "},
      {"a library file's export into an ASCII folder", lf.string(), pbl.string(), false, Side1, "ww_d", dLf,
       "ww_a:2 ww_d:0 "},
      {"onto a library file", f1.string(), pbl.string(), false, Side2, "ww_a", "", ""},
      {"deleted from a library file", f1.string(), pbl.string(), true, Side2, "ww_d", "", ""},
      {"a revision's file, as the folder writes", "git:HEAD:f1/app.pbl.src", lf.string(), false, Side2, "ww_b",
       "$PBExportHeader$w_b.srw\nglobal type x from window\nint b\nend type\n", "ww_a:3 ww_b:0 ", true},
      {"onto a revision", lf.string(), "git:HEAD:f1/app.pbl.src", false, Side2, "ww_a", "", "", true},
  };
  for (const TCase& c : cases) {
    if (c.Git && !haveGit) continue;
    // Every case starts from the files as set up above.
    dir_.Write("f1/app.pbl.src/w_a.srw", BomExport("w_a.srw", "int a1"));
    dir_.Write("f2/app.pbl.src/w_c.srw", BomExport("w_c.srw", "int c"));
    for (const char* gone :
         {"f2/app.pbl.src/w_b.srw", "f2/app.pbl.src/w_d.srw", "lf/app.pbl.src/w_d.srw", "lf/app.pbl.src/w_b.srw"})
      fs::remove(dir_.Path() / gone);
    OpenSides(model_, c.Side1, c.Side2, c.Git ? dir_.Path() : fs::path());
    const TPair* pair = PairOf(model_, c.Key);
    ASSERT_TRUE(pair) << c.Name << ": " << ObjectPairs(model_);
    const std::string before = ObjectPairs(model_);
    if (c.Bytes.empty() && !c.Delete) {
      EXPECT_FALSE(model_.WhyReadOnly(c.Side).empty()) << c.Name;
      EXPECT_TRUE(model_.CopyTarget(*pair, c.Side).empty()) << c.Name;
      EXPECT_THROW(model_.CopyObject(*pair, c.Side), std::logic_error) << c.Name;
      EXPECT_EQ(ObjectPairs(model_), before) << c.Name;
      continue;
    }
    if (c.Delete && c.After.empty()) {
      EXPECT_FALSE(model_.WhyReadOnly(c.Side).empty()) << c.Name;
      EXPECT_THROW(model_.DeleteObject(*pair, c.Side), std::logic_error) << c.Name;
      EXPECT_TRUE(fs::exists(pbl)) << c.Name;
      continue;
    }
    EXPECT_EQ(model_.WhyReadOnly(c.Side), "") << c.Name;
    if (c.Delete) {
      const fs::path file = model_.ObjectFile(*pair, c.Side);
      model_.DeleteObject(*pair, c.Side);
      EXPECT_FALSE(fs::exists(file)) << c.Name;
    } else {
      const fs::path target = model_.CopyTarget(*pair, c.Side);
      model_.CopyObject(*pair, c.Side);
      EXPECT_EQ(FileBytes(target), c.Bytes) << c.Name;
      EXPECT_EQ(target.parent_path(), model_.LibraryPath(c.Side)) << c.Name;
    }
    EXPECT_EQ(ObjectPairs(model_), c.After) << c.Name;
  }
}
