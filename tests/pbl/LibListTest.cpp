#include <gtest/gtest.h>

#include "LibWriter.h"
#include "pbl/PbFuncs.h"

using pbl::ReadPbtLibList;
using pbl::ReadPbwTargets;

namespace fs = std::filesystem;

using testsupport::TTempDir;
using Paths = std::vector<fs::path>;

namespace {

Paths Targets(const TTempDir& dir, const std::string& name, const std::string& text) {
  Paths list;
  ReadPbtLibList(dir.Write(name, text), list);
  return list;
}

TEST(Target, RelativeLibrariesWithDoubledBackslashes) {
  TTempDir dir;
  Paths list = Targets(dir, "app/app.pbt",
                       "Save Format v3.0(19990112)\r\nappname \"app\";\r\nLIBLIST \"app.pbl;..\\\\shared\\\\util.pbl\";\r\n");
  EXPECT_EQ(list, (Paths{dir.Path() / "app" / "app.pbl", dir.Path() / "app" / "../shared/util.pbl"}));
}

TEST(Target, KeywordIsRecognisedInLowerCaseButNotIndented) {
  TTempDir dir;
  EXPECT_EQ(Targets(dir, "a.pbt", "liblist \"a.pbl\";\n").size(), 1u);
  EXPECT_TRUE(Targets(dir, "b.pbt", " LIBLIST \"a.pbl\";\n").empty());
  EXPECT_TRUE(Targets(dir, "c.pbt", "LIBLIST\t\"a.pbl\";\n").empty());
}

TEST(Target, OnlyTheFirstLibListLineCounts) {
  TTempDir dir;
  EXPECT_EQ(Targets(dir, "a.pbt", "LIBLIST \"a.pbl\";\nLIBLIST \"b.pbl;c.pbl\";\n"), (Paths{dir.Path() / "a.pbl"}));
}

TEST(Target, ItemsAreSplitAtSemicolonsOnlyAndTrimmed) {
  TTempDir dir;
  Paths list = Targets(dir, "a.pbt", "LIBLIST \" My Libs\\\\a.pbl ; \"C D.pbl\" ;;\"x\"\"y.pbl\";b.pbl\";\n");
  EXPECT_EQ(list, (Paths{dir.Path() / "My Libs/a.pbl", dir.Path() / "C D.pbl", dir.Path() / "x\"y.pbl", dir.Path() / "b.pbl"}));
}

TEST(Target, AbsoluteAndDrivePaths) {
  TTempDir dir;
  Paths list = Targets(dir, "a.pbt", "LIBLIST \"/opt//libs/a.pbl;C:\\\\pb\\\\b.pbl;d:/c.pbl\";\n");
  EXPECT_EQ(list, (Paths{"/opt/libs/a.pbl", "C:\\pb\\b.pbl", "d:/c.pbl"}));
}

TEST(Target, LineWithoutQuotesTakesTheTextAfterTheKeyword) {
  TTempDir dir;
  EXPECT_EQ(Targets(dir, "a.pbt", "LIBLIST a.pbl;b.pbl;\n"), (Paths{dir.Path() / "a.pbl", dir.Path() / "b.pbl"}));
}

TEST(Target, IsReadInTheCodePageUnlessAByteOrderMarkSaysOtherwise) {
  // 系统 in GBK is also valid UTF-8: it must not be taken for UTF-8.
  struct Case {
    int CodePage;
    std::string Mark, Bytes;
    const char* Folder;
  };
  for (const Case& c : {Case{936, "", "\xCF\xB5\xCD\xB3", "系统"}, Case{950, "", "\xA8\x74\xB2\xCE", "系統"},
                        Case{1252, "\xEF\xBB\xBF", "\xE7\xB3\xBB\xE7\xBB\x9F", "系统"}}) {
    testsupport::TCodePageScope page(c.CodePage);
    TTempDir dir;
    dir.Write(std::string(c.Folder) + "/sys.pbl", "x");
    Paths list = Targets(dir, "a.pbt", c.Mark + "LIBLIST \"" + c.Bytes + "\\\\sys.pbl\";\r\n");
    EXPECT_EQ(list, (Paths{dir.Path() / c.Folder / "sys.pbl"})) << c.CodePage;
    EXPECT_TRUE(platform::FindPathNoCase(list.front())) << c.CodePage;  // the library is found
  }
}

TEST(Target, MissingFileIsAFileError) {
  TTempDir dir;
  Paths list;
  EXPECT_THROW(ReadPbtLibList(dir.Path() / "none.pbt", list), platform::TFileError);
}

TEST(Workspace, TargetsBetweenBeginAndEndOnly) {
  TTempDir dir;
  dir.Write("t1/one.pbt", "LIBLIST \"a.pbl;b.pbl\";\n");
  dir.Write("t2/two.pbt", "LIBLIST \"a.pbl;..\\\\t1\\\\a.pbl\";\n");
  std::string pbw =
      "Save Format v3.0(19990112)\n"
      "@end;\n"
      " 9 \"outside.pbt\";\n"
      "@begin Targets\n"
      " 0 \"t1\\\\one.pbt\";\n"
      " no quote here\n"
      " 1 \"T2\\\\TWO.PBT\";\n"
      "@end;\n"
      " 2 \"after.pbt\";\n";
  Paths list;
  ReadPbwTargets(dir.Write("w.pbw", pbw), list);
  EXPECT_EQ(list, (Paths{dir.Path() / "t1/a.pbl", dir.Path() / "t1/b.pbl", dir.Path() / "t2/a.pbl", dir.Path() / "t2/../t1/a.pbl"}));
}

TEST(Workspace, MissingTargetEndsTheCollection) {
  TTempDir dir;
  Paths list;
  EXPECT_THROW(ReadPbwTargets(dir.Write("w.pbw", "@begin Targets\n 0 \"none.pbt\";\n@end;\n"), list), platform::TFileError);
}

TEST(RealLists, WorkspaceAndTargetOfTheTestData) {
  fs::path data = testsupport::TestDataDir();
  if (data.empty()) GTEST_SKIP() << "../shared/testdata is not there";
  Paths libs;
  ReadPbtLibList(data / "generic_pfc_app.pbt", libs);
  ASSERT_EQ(libs.size(), 11u);
  EXPECT_EQ(libs[0], data / "pfcapp.pbl");
  EXPECT_EQ(libs[1], data / "../pfeapsrv/pfeapsrv.pbl");
  EXPECT_EQ(libs[10], data / "../pfcwnsrv/pfcwnsrv.pbl");

  // The workspace names six targets that are not part of the test data.
  Paths fromWorkspace;
  EXPECT_THROW(ReadPbwTargets(data / "PFC.pbw", fromWorkspace), platform::TFileError);
}

}  // namespace
