// Collecting a side: folder libraries and their names, folders of libraries walked at any depth,
// targets and workspaces, each library once, and every problem once in the order met.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "LibWriter.h"
#include "sides/Collect.h"

using testsupport::TTempDir;
using sides::TProblemKind;
namespace fs = std::filesystem;

namespace {

// "name:kind" for every library of a selection; kind f (file) or d (folder library).
std::string Names(const TLibSelection& sel) {
  std::string s;
  for (const auto& item : sel) s += item.Key + ":" + (item.Rec->IsDir ? "d" : "f") + " ";
  return s;
}

// One line per problem, with the test folder's path left out.
std::string Problems(const sides::TSideReport& report, const TTempDir& dir) {
  std::string s;
  for (const auto& p : report.Problems()) {
    std::string line = sides::TSideReport::Describe(p);
    for (std::size_t at; (at = line.find(dir.Path().string() + "/")) != std::string::npos;)
      line.erase(at, dir.Path().string().size() + 1);
    s += line + "\n";
  }
  return s;
}

struct TFolderCase {
  const char* Name;
  std::vector<std::pair<std::string, std::string>> Files;  // path under the test folder, contents
  std::string Given;
  std::string Expected;  // Names() of the selection
};

TEST(Collect, FolderLibrariesAndTheirNames) {
  const std::vector<TFolderCase> cases = {
      {"source-control copy", {{"lib.pbl.src/w_a.srw", "x"}}, "lib.pbl.src", "lib.pbl:d "},
      {"solution library", {{"lib.pbl/w_a.srw", "x"}}, "lib.pbl", "lib.pbl:d "},
      {"plain folder of exports, upper-case extension", {{"exports/W_A.SRW", "x"}}, "exports", "exports.pbl:d "},
      {"object list names the library",
       {{"src/demo.pbg", "Save Format v3.0(19990112)\r\n@begin Libraries\r\n \"demoapp\\\\peat.pbl\" \"\";\r\n@end;\r\n"},
        {"src/w_a.srw", "x"}},
       "src",
       "peat.pbl:d "},
      {"two object lists: named after the folder", {{"src/a.pbg", ""}, {"src/b.pbg", ""}, {"src/w_a.srw", "x"}}, "src", "src.pbl:d "},
      {"empty folder named as a library", {{"empty.pbl/readme.txt", "x"}}, "empty.pbl", "empty.pbl:d "},
      {"exports kept beside their library", {{"old/old.pbl", "x"}, {"old/w_a.srw", "x"}}, "old", "old.pbl:f "},
  };
  for (const TFolderCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempDir dir;
    for (const auto& [path, bytes] : c.Files) dir.Write(path, bytes);
    sides::TSideReport report;
    TLibSelection sel = CollectLibFiles({dir.Path() / c.Given}, sides::ftAuto, report);
    EXPECT_EQ(Names(sel), c.Expected);
    EXPECT_EQ(Problems(report, dir), "");
  }
}

TEST(Collect, FolderOfLibrariesAtAnyDepthOneLibraryPerName) {
  TTempDir dir;
  dir.Write("tree/0/z.pbl.src/w_x.srw", "x");  // met first, but the library file of that name wins
  dir.Write("tree/a/a.pbl", "lib");
  dir.Write("tree/a/w_old.srw", "beside the library: not a second one");
  dir.Write("tree/b.pbl/w_y.srw", "x");
  dir.Write("tree/c/deep/c.pbl.src/n_q.sru", "x");
  dir.Write("tree/w/a/a.pbl.src/w_x.srw", "x");
  dir.Write("tree/z/Z.PBL", "lib");
  dir.Write("tree/.git/objects/w_hidden.srw", "hidden folders are not walked");
  dir.Write("tree/notes/readme.txt", "no library here");
  sides::TSideReport report;
  TLibSelection sel = CollectLibFiles({dir.Path() / "tree"}, sides::ftAuto, report);
  EXPECT_EQ(Names(sel), "a.pbl:f b.pbl:d c.pbl:d Z.PBL:f ");
  EXPECT_EQ(Problems(report, dir),
            "tree/0/z.pbl.src left out: z.pbl is tree/z/Z.PBL\n"
            "tree/w/a/a.pbl.src left out: a.pbl is tree/a/a.pbl\n");
  EXPECT_EQ(sel[1].Rec->Path, dir.Path() / "tree/b.pbl");
  EXPECT_EQ(sel[1].Rec->Size, 1);

  // A folder holding nothing of the kind is said so.
  sides::TSideReport none;
  EXPECT_TRUE(CollectLibFiles({dir.Path() / "tree/notes"}, sides::ftAuto, none).empty());
  EXPECT_EQ(Problems(none, dir), "tree/notes holds no library\n");
}

TEST(Collect, TargetsAndWorkspacesGiveEachLibraryOnceAndEachProblemOnceInOrder) {
  TTempDir dir;
  dir.Write("libs/shared.pbl", "s");
  dir.Write("libs/one.pbl", "1");
  dir.Write("libs/solution.pbl/w_a.srw", "x");
  dir.Write("other/one.pbl", "another file of the same name");
  dir.Write("sub/w_b.srw", "x");
  ASSERT_EQ(::mkfifo((dir.Path() / "libs/pipe.pbl").c_str(), 0644), 0);
  dir.Write("t1/t1.pbt", "LIBLIST \"..\\\\libs\\\\SHARED.PBL;..\\\\libs\\\\gone.pbl;..\\\\libs\\\\one.pbl;..\\\\sub\\\\;"
                         "..\\\\libs\\\\pipe.pbl\";\r\n");
  dir.Write("t2/t2.pbt", "LIBLIST \"..\\\\libs\\\\gone.pbl;..\\\\libs\\\\shared.pbl;..\\\\other\\\\one.pbl;"
                         "..\\\\libs\\\\solution.pbl;..\\\\t1\\\\..\\\\libs\\\\gone2.pbl\";\r\n");
  fs::path ws = dir.Write("app.pbw", "@begin Targets\r\n 0 \"t1\\\\t1.pbt\";\r\n 1 \"t2\\\\t2.pbt\";\r\n@end;\r\n");
  TLibSelection onSide;
  onSide.push_back({"SOLUTION.PBL", std::make_unique<TFolderRec>()});
  onSide.back().Rec->Path = "/elsewhere/solution.pbl";
  sides::TSideReport report;
  TLibSelection sel = CollectLibFiles({ws}, sides::ftAuto, report, &onSide);
  EXPECT_EQ(Names(sel), "shared.pbl:f one.pbl:f pipe.pbl:f ");
  EXPECT_EQ(sel[0].Rec->Path, dir.Path() / "t1/../libs/shared.pbl");
  EXPECT_EQ(Problems(report, dir),
            "t1/../libs/gone.pbl does not exist\n"
            "t1/../sub/ does not exist\n"  // a name ending in a separator names no library
            "Cannot open file \"t1/../libs/pipe.pbl\". Not a regular file\n"
            "t2/../other/one.pbl left out: one.pbl is t1/../libs/one.pbl\n"
            "solution.pbl already in Destination\n"
            "t2/../t1/../libs/gone2.pbl does not exist\n");
  // The pipe stays on the side (its pair is changed); it is the one problem that says why.
  EXPECT_EQ(report.Count(TProblemKind::Unreadable), 1u);
  EXPECT_EQ(report.Count(TProblemKind::Missing), 3u);
}

TEST(Collect, TheDialogTypeDecidesHowFilesAreRead) {
  TTempDir dir;
  fs::path lib = dir.Write("lib.pbl", "HDR*PowerBuilder");
  fs::path target = dir.Write("app.pbt", "LIBLIST \"lib.pbl\";\n");
  sides::TSideReport report;
  // The target type reads the first file chosen as a target and no other.
  EXPECT_EQ(Names(CollectLibFiles({target, dir.Path() / "none.pbl"}, sides::ftTarget, report)), "lib.pbl:f ");
  // A library chosen under the target type has no LIBLIST line; a target under the library type
  // is taken as a library file.
  EXPECT_TRUE(CollectLibFiles({lib}, sides::ftTarget, report).empty());
  EXPECT_EQ(Names(CollectLibFiles({target}, sides::ftLibraries, report)), "app.pbt:f ");
  EXPECT_TRUE(report.Empty());
  // Given files that are missing are said in the order given.
  CollectLibFiles({dir.Path() / "b.pbl", lib, dir.Path() / "a.pbl", dir.Path() / "b.pbl"}, sides::ftLibraries, report);
  EXPECT_EQ(Problems(report, dir), "b.pbl does not exist\na.pbl does not exist\n");
  EXPECT_TRUE(report.Problems()[0].Given);
}

TEST(Collect, FilesAndFoldersAreFoundWithoutCase) {
  TTempDir dir;
  dir.Write("libs/Main.PBL", "12345678");
  dir.Write("libs/Src.pbl.src/w_a.srw", "abc");
  auto rec = GetFolderRec(dir.Path() / "LIBS" / "main.pbl");
  ASSERT_TRUE(rec);
  EXPECT_EQ(rec->Path, dir.Path() / "libs" / "Main.PBL");
  EXPECT_EQ(rec->Size, 8);
  EXPECT_FALSE(rec->IsDir);
  auto folder = GetFolderRec(dir.Path() / "libs/src.PBL.src");
  ASSERT_TRUE(folder);
  EXPECT_TRUE(folder->IsDir);
  EXPECT_EQ(folder->Size, 3);
  EXPECT_FALSE(GetFolderRec(dir.Path() / "nothing.pbl"));
}

}  // namespace
