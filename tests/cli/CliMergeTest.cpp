// quorvex-cli merge as people and git run it: the result over CURRENT (permissions kept) or on
// standard output, the exit status, the options, bad input (nothing written), and git's merge
// driver in a real repository.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "LibWriter.h"
#include "RunCli.h"

using testsupport::Cli;
using testsupport::CliRun;
using testsupport::Quote;
using testsupport::Shell;
using testsupport::TTempDir;
namespace fs = std::filesystem;

namespace {

TEST(CliMerge, WritesOverCurrentKeepingItsPermissionsOrToStdout) {
  TTempDir dir;
  const fs::path cur = dir.Write("cur.txt", "a\nB\nc\nd\n"), base = dir.Write("base.txt", "a\nb\nc\nd\n"),
                 oth = dir.Write("oth.txt", "a\nb\nc\nD\n");
  ::chmod(cur.c_str(), 0640);
  CliRun r = Cli(dir, {"merge", "-p", cur.string(), base.string(), oth.string()});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(r.Out, "a\nB\nc\nD\n");
  EXPECT_EQ(platform::ReadFileBytes(cur), "a\nB\nc\nd\n");
  r = Cli(dir, {"merge", cur.string(), base.string(), oth.string()});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(platform::ReadFileBytes(cur), "a\nB\nc\nD\n");
  struct stat st {};
  ASSERT_EQ(::stat(cur.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(CliMerge, OptionsAsGitMergeFileTakesThem) {
  TTempDir dir;
  const fs::path cur = dir.Write("cur", "a\nB1\nc\n"), base = dir.Write("base", "a\nb\nc\n"), oth = dir.Write("oth", "a\nB2\nc\n");
  struct TRow {
    std::vector<std::string> Options;
    int Exit;
    std::string Out;
  };
  for (const TRow& row : {
           TRow{{}, 1, "a\n<<<<<<< " + cur.string() + "\nB1\n=======\nB2\n>>>>>>> " + oth.string() + "\nc\n"},
           TRow{{"-L", "mine", "-L", "old", "-L", "yours", "--diff3"}, 1,
                "a\n<<<<<<< mine\nB1\n||||||| old\nb\n=======\nB2\n>>>>>>> yours\nc\n"},
           TRow{{"-Lmine", "--zdiff3", "--marker-size", "3"}, 1,
                "a\n<<< mine\nB1\n||| " + base.string() + "\nb\n===\nB2\n>>> " + oth.string() + "\nc\n"},
           TRow{{"--marker-size=9", "-q", "-L", "x"}, 1, "a\n<<<<<<<<< x\nB1\n=========\nB2\n>>>>>>>>> " + oth.string() + "\nc\n"},
           TRow{{"--ours"}, 0, "a\nB1\nc\n"},
           TRow{{"--theirs"}, 0, "a\nB2\nc\n"},
           TRow{{"--union"}, 0, "a\nB1\nB2\nc\n"},
           TRow{{"--by-section", "--union"}, 0, "a\nB1\nB2\nc\n"},  // not an export: merged by line
           TRow{{"--union", "BASE=/dev/null"}, 0, "a\nB1\nB2\nc\n"},     // added on both sides
       }) {
    std::vector<std::string> args{"merge", "-p"};
    std::string baseArg = base.string();
    for (const std::string& o : row.Options)
      if (o.rfind("BASE=", 0) == 0) baseArg = o.substr(5);
      else args.push_back(o);
    args.insert(args.end(), {cur.string(), baseArg, oth.string()});
    const CliRun r = Cli(dir, args);
    SCOPED_TRACE(testing::PrintToString(row.Options) + " " + r.Err);
    EXPECT_EQ(r.Exit, row.Exit);
    EXPECT_EQ(r.Out, row.Out);
    const bool quiet = std::find(row.Options.begin(), row.Options.end(), "-q") != row.Options.end();
    EXPECT_EQ(r.Err.find("1 conflict") != std::string::npos, row.Exit == 1 && !quiet);
  }
}

TEST(CliMerge, BadInputNamesTheFileExitsWithTwoAndWritesNothing) {
  TTempDir dir;
  const std::string kept = "a\nb\n";
  const fs::path cur = dir.Write("cur.srw", kept), base = dir.Write("base", kept), oth = dir.Write("oth", "a\nB\n");
  const fs::path bin = dir.Write("bin", std::string("a\0b\n", 4)), folder = dir.Path() / "folder";
  fs::create_directory(folder);
  const fs::path latin = dir.Write("latin", "a\nb\xE9\n"), chinese = dir.Write("chinese", "\xEF\xBB\xBF" "a\nb\xC3\xA9 \xE6\x94\xB9\n");
  struct TRow {
    std::vector<std::string> Args;
    std::string Message;
  };
  for (const TRow& row : {
           TRow{{cur.string(), (dir.Path() / "missing").string(), oth.string()}, "missing: no such file"},
           TRow{{cur.string(), folder.string(), oth.string()}, "folder: a folder, not a file"},
           TRow{{cur.string(), base.string(), bin.string()}, "bin: a binary file"},
           TRow{{"--codepage", "1252", latin.string(), latin.string(), chinese.string()}, "chinese: the character"},
           TRow{{cur.string(), base.string()}, "name three files"},
           TRow{{"--ours", "--theirs", cur.string(), base.string(), oth.string()}, "choose one of"},
           TRow{{"--marker-size", "0", cur.string(), base.string(), oth.string()}, "--marker-size 0"},
           TRow{{"-x", cur.string(), base.string(), oth.string()}, "unknown option -x"},
       }) {
    std::vector<std::string> args{"merge"};
    args.insert(args.end(), row.Args.begin(), row.Args.end());
    const CliRun r = Cli(dir, args);
    SCOPED_TRACE(row.Message);
    EXPECT_EQ(r.Exit, 2);
    EXPECT_EQ(r.Out, "");
    EXPECT_NE(r.Err.find(row.Message), std::string::npos) << r.Err;
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
    EXPECT_EQ(platform::ReadFileBytes(cur), kept);
    EXPECT_EQ(platform::ReadFileBytes(latin), "a\nb\xE9\n");
  }
}

TEST(CliMerge, BySectionSaysWhyItMergedByLine) {
  TTempDir dir;
  const std::string head = "$PBExportHeader$n_x.sru\nglobal type n_x from nonvisualobject\nend type\n";
  const fs::path cur = dir.Write("cur.sru", head + "not a section\n"), base = dir.Write("base.sru", head),
                 oth = dir.Write("oth.sru", head + "\nevent constructor;\nend event\n");
  const CliRun r = Cli(dir, {"merge", "-p", "--by-section", cur.string(), base.string(), oth.string()});
  EXPECT_EQ(r.Exit, 1);
  EXPECT_NE(r.Err.find("merged line by line: current: line 4: \"not a section\" starts no section"), std::string::npos)
      << r.Err;
}

// Two branches each add a function to one object: git's own merge conflicts, the driver merges.
TEST(CliMerge, GitMergeDriverMergesWhatGitCannot) {
  TTempDir dir;
  if (Shell(dir, "git --version").Exit != 0) GTEST_SKIP() << "git is not installed";
  const fs::path repo = dir.Path() / "repo";
  fs::create_directory(repo);
  const std::string head = "$PBExportHeader$n_x.sru\nglobal type n_x from nonvisualobject\nend type\nglobal n_x n_x\n\n";
  auto object = [&](const std::vector<std::string>& functions) {
    std::string text = head + "forward prototypes\n";
    for (const auto& f : functions) text += "public function long " + f + " ()\n";
    text += "end prototypes\n\n";
    for (const auto& f : functions) text += "public function long " + f + " ();return 1\nend function\n\n";
    return text + "on n_x.create\nTriggerEvent( this, \"constructor\" )\nend on\n";
  };
  const std::string git = "git -C " + Quote(repo.string()) + " -c user.name=t -c user.email=t@t ";
  auto run = [&](const std::string& command) {
    const CliRun r = Shell(dir, git + command);
    EXPECT_EQ(r.Exit, 0) << command << "\n" << r.Out << r.Err;
  };
  run("init -q -b main");
  dir.Write("repo/n_x.sru", object({"of_a"}));
  run("add n_x.sru");
  run("commit -q -m base");
  run("checkout -q -b ours");
  dir.Write("repo/n_x.sru", object({"of_a", "of_b"}));
  run("commit -q -am ours");
  run("checkout -q -b theirs main");
  dir.Write("repo/n_x.sru", object({"of_a", "of_c"}));
  run("commit -q -am theirs");
  run("checkout -q ours");

  // Without the driver: a conflict.
  EXPECT_EQ(Shell(dir, git + "merge -q --no-edit theirs").Exit, 1);
  run("merge --abort");

  // With it, set up as the documentation says.
  dir.Write("repo/.gitattributes", "*.sr? merge=quorvex\n");
  run("config merge.quorvex.name \"PowerBuilder exports by section\"");
  run("config merge.quorvex.driver " +
      Quote(Quote(QUORVEX_CLI) + " merge --by-section --marker-size %L -L ours -L base -L theirs %A %O %B"));
  const CliRun r = Shell(dir, git + "merge -q --no-edit theirs");
  EXPECT_EQ(r.Exit, 0) << r.Out << r.Err;
  EXPECT_EQ(platform::ReadFileBytes(repo / "n_x.sru"), object({"of_a", "of_b", "of_c"}));
  EXPECT_EQ(Shell(dir, git + "status --porcelain").Out, "?? .gitattributes\n");
}

}  // namespace
