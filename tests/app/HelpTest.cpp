// Which help file F1 opens: the ".chm" beside the program, else the HTML manual beside the
// program, in the build tree or in the installed documentation folder.
#include "app/ExeDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

using app::FindHelp;

namespace fs = std::filesystem;

namespace {

class HelpTest : public ::testing::Test {
protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("quorvex-help-" + std::to_string(std::random_device{}()));
    fs::create_directories(root / "prefix" / "bin");
  }
  void TearDown() override { fs::remove_all(root); }

  fs::path Bin() const { return root / "prefix" / "bin"; }
  fs::path Chm() const { return Bin() / "quorvex.chm"; }
  fs::path Touch(const fs::path& relative) {
    fs::path p = root / "prefix" / relative;
    fs::create_directories(p.parent_path());
    std::ofstream(p) << "x";
    return p;
  }

  fs::path root;
};

struct TCase {
  const char* name;
  std::vector<const char*> files;  // below the prefix; "bin/quorvex.chm" is the help file
  const char* expected;            // below the prefix, "" for none
};

TEST_F(HelpTest, FirstPresentCandidateWins) {
  const std::vector<TCase> cases = {
      {"nothing anywhere", {}, ""},
      {"chm beside the program", {"bin/quorvex.chm"}, "bin/quorvex.chm"},
      {"chm beats every manual",
       {"bin/quorvex.chm", "bin/doc/manual/index.html", "share/doc/quorvex/manual/index.html"},
       "bin/quorvex.chm"},
      {"manual beside the program", {"bin/doc/manual/index.html"}, "bin/doc/manual/index.html"},
      {"manual in the build tree", {"doc/manual/index.html"}, "doc/manual/index.html"},
      {"installed manual", {"share/doc/quorvex/manual/index.html"}, "share/doc/quorvex/manual/index.html"},
      {"beside beats installed", {"bin/doc/manual/index.html", "share/doc/quorvex/manual/index.html"},
       "bin/doc/manual/index.html"},
      {"build tree beats installed", {"doc/manual/index.html", "share/doc/quorvex/manual/index.html"},
       "doc/manual/index.html"},
      {"a manual folder without its index", {"share/doc/quorvex/manual/other.html"}, ""},
      {"chm of another name", {"bin/other.chm"}, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(root / "prefix");
    fs::create_directories(Bin());
    for (const char* f : c.files) Touch(f);
    fs::path expected = *c.expected ? (root / "prefix" / c.expected).lexically_normal() : fs::path();
    EXPECT_EQ(FindHelp(Chm(), Bin()), expected);
  }
}

TEST_F(HelpTest, FoldersNamedLikeTheFilesDoNotCount) {
  fs::create_directories(Chm());
  fs::create_directories(Bin() / "doc" / "manual" / "index.html");
  EXPECT_EQ(FindHelp(Chm(), Bin()), fs::path());
  fs::path installed = Touch("share/doc/quorvex/manual/index.html");
  EXPECT_EQ(FindHelp(Chm(), Bin()), installed.lexically_normal());
}

TEST_F(HelpTest, FoundManualPathHasNoDotDot) {
  Touch("share/doc/quorvex/manual/index.html");
  fs::path found = FindHelp(Chm(), Bin());
  ASSERT_FALSE(found.empty());
  for (const fs::path& part : found) EXPECT_NE(part, "..");
  EXPECT_TRUE(fs::is_regular_file(found));
}

TEST_F(HelpTest, EmptyProgramFolderLooksOnlyForTheChm) {
  EXPECT_EQ(FindHelp(fs::path(), fs::path()), fs::path());
  Touch("bin/quorvex.chm");
  EXPECT_EQ(FindHelp(Chm(), fs::path()), Chm());
}

}  // namespace
