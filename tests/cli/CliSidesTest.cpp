// quorvex-cli with sides of every kind, as a user runs it: folder libraries and folders of
// libraries beside library files, git revisions, libraries a target names that cannot be read.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "LibWriter.h"
#include "RunCli.h"

using testsupport::Cli;
using testsupport::CliRun;
using testsupport::TFakeEntry;
using testsupport::TLibWriter;
using testsupport::TTempDir;
namespace fs = std::filesystem;

namespace {

std::string Library(const std::vector<TFakeEntry>& entries) {
  TLibWriter w(true);
  w.AddNode(entries);
  return w.Build();
}

// A library file and its source-control copy, in which one object changed and one is new.
void Release(const TTempDir& dir) {
  dir.Write("lib/app.pbl", Library({{"w_a.srw", "global type w_a from window\r\nend type\r\n", 10},
                                    {"n_b.sru", "Helper\r\nglobal type n_b\r\n", 10, 6}}));
  dir.Write("ws/app/app.pbl.src/w_a.srw", "\xEF\xBB\xBF$PBExportHeader$w_a.srw\nglobal type w_a from window\nend type\n");
  dir.Write("ws/app/app.pbl.src/n_b.sru", "\xEF\xBB\xBF$PBExportHeader$n_b.sru\n$PBExportComments$Helper\nglobal type n_c\n");
  dir.Write("ws/app/app.pbl.src/f_new.srf", "\xEF\xBB\xBF$PBExportHeader$f_new.srf\nglobal function f_new\n");
  dir.Write("ws/other/other.pbl.src/w_o.srw", "HA$PBExportHeader$w_o.srw\n// a$$HEX1$$a000$$ENDHEX$$b\n");
}

TEST(CliSides, LibraryFilesAgainstFoldersKeepTheirFields) {
  TTempDir dir;
  Release(dir);
  const std::string lib = (dir.Path() / "lib").string(), ws = (dir.Path() / "ws").string();
  CliRun r = Cli(dir, {"compare-libs", "--objects", lib, ws});
  EXPECT_EQ(r.Exit, 1) << r.Err;
  EXPECT_EQ(r.Err, "");
  const std::string rows = r.Out.substr(0, r.Out.find("== "));
  EXPECT_NE(rows.find("app.pbl\t更改\t"), std::string::npos) << r.Out;
  EXPECT_NE(rows.find("other.pbl\t增加\t\t\t"), std::string::npos) << r.Out;
  EXPECT_NE(rows.find("\n1 2 1 0 1\n"), std::string::npos) << r.Out;
  const std::string objects = r.Out.substr(r.Out.find("== app.pbl\n"));
  EXPECT_NE(objects.find("\nf_new\t增加\t"), std::string::npos) << objects;
  EXPECT_NE(objects.find("\nn_b\t更改\t"), std::string::npos) << objects;
  EXPECT_NE(objects.find("\nw_a\t相同\t"), std::string::npos) << objects;

  r = Cli(dir, {"compare-libs", "--objects", "--json", lib, ws});
  EXPECT_NE(r.Out.find("{\"name\": \"app.pbl\", \"result\": \"更改\", \"time1\": "), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("\"objects\": {\"rows\": [\n    {\"name\": \"f_new\", \"result\": \"增加\", "), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("{\"name\": \"other.pbl\", \"result\": \"增加\", \"time1\": \"\""), std::string::npos) << r.Out;

  // A folder library is a library for every command: its objects, their comments, their text.
  const std::string folder = (dir.Path() / "ws/app/app.pbl.src").string();
  r = Cli(dir, {"list", folder});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_NE(r.Out.find("n_b.sru\t"), std::string::npos);
  EXPECT_NE(r.Out.find("\t6\n"), std::string::npos) << r.Out;  // the comment's length
  r = Cli(dir, {"export", (dir.Path() / "ws/other").string(), "W_O.SRW"});
  EXPECT_EQ(r.Out, "$PBExportHeader$w_o.srw\n// a\u00A0b\n");
  r = Cli(dir, {"compare", lib, folder});
  EXPECT_EQ(r.Exit, 1) << r.Err;
  r = Cli(dir, {"compare", lib, ws});
  EXPECT_EQ(r.Exit, 2);
  EXPECT_EQ(r.Err, "quorvex-cli compare: " + ws + ": holds 2 libraries, not one\n");
}

TEST(CliSides, LibsGivesEachLibraryAndEachProblemOnce) {
  TTempDir dir;
  dir.Write("libs/a.pbl", "a");
  dir.Write("libs/b.pbl", "b");
  dir.Write("t1.pbt", "LIBLIST \"libs\\\\a.pbl;libs\\\\gone.pbl;libs\\\\b.pbl\";\r\n");
  dir.Write("t2.pbt", "LIBLIST \"libs\\\\b.pbl;libs\\\\gone.pbl;libs\\\\A.PBL;libs\\\\gone2.pbl\";\r\n");
  CliRun r = Cli(dir, {"libs", (dir.Path() / "t1.pbt").string(), (dir.Path() / "t2.pbt").string()});
  EXPECT_EQ(r.Exit, 1);
  EXPECT_EQ(std::count(r.Out.begin(), r.Out.end(), '\n'), 2) << r.Out;
  EXPECT_EQ(r.Err, (dir.Path() / "libs/gone.pbl").string() + " does not exist\n" + (dir.Path() / "libs/gone2.pbl").string() +
                       " does not exist\n");
}

// A library a target names that cannot be read: its pair is changed, one warning says why, the
// other pairs are compared; given directly, the same file is a usage error.
TEST(CliSides, UnreadableNamedLibrariesAreChangedPairs) {
  TTempDir dir;
  const std::string lib = Library({{"w_a.srw", "x\r\n", 10}});
  dir.Write("one/a.pbl", lib);
  dir.Write("two/a.pbl", lib);
  dir.Write("one/b.pbl", lib);
  ASSERT_EQ(::mkfifo((dir.Path() / "two/b.pbl").c_str(), 0644), 0);
  dir.Write("one/app.pbt", "LIBLIST \"a.pbl;b.pbl\";\r\n");
  dir.Write("two/app.pbt", "LIBLIST \"a.pbl;b.pbl;c.pbl\";\r\n");
  CliRun r = Cli(dir, {"compare-libs", "--objects", (dir.Path() / "one/app.pbt").string(), (dir.Path() / "two/app.pbt").string()});
  EXPECT_EQ(r.Exit, 1);
  const std::string pipe = (dir.Path() / "two/b.pbl").string();
  EXPECT_EQ(r.Err, "warning: Cannot open file \"" + pipe + "\". Not a regular file\n" + (dir.Path() / "two/c.pbl").string() +
                       " does not exist\n");
  EXPECT_EQ(r.Out.substr(0, r.Out.find('\t')), "a.pbl");
  EXPECT_NE(r.Out.find("\nb.pbl\t更改\t"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("\n2 2 0 0 1\n"), std::string::npos) << r.Out;
  r = Cli(dir, {"compare-libs", (dir.Path() / "one/b.pbl").string(), pipe});
  EXPECT_EQ(r.Exit, 2);
  EXPECT_EQ(r.Err, "quorvex-cli compare-libs: Cannot open file \"" + pipe + "\". Not a regular file\n");
}

// Two lines with one CRC-32 (0xA40CD64F) are different lines for every command that compares.
TEST(CliSides, LinesWithOneChecksumAreDifferentLines) {
  TTempDir dir;
  const std::string text1 = "global type n_a\r\nldc_amount = 903291985642\r\nend type\r\n";
  const std::string text2 = "global type n_a\r\nldc_amount = 657590501813\r\nend type\r\n";
  dir.Write("1.txt", text1);
  dir.Write("2.txt", text2);
  dir.Write("one/a.pbl", Library({{"n_a.sru", text1, 10}}));
  dir.Write("two/a.pbl", Library({{"n_a.sru", text2, 20}}));
  dir.Write("ws1/a.pbl.src/n_a.sru", text1);
  dir.Write("ws2/a.pbl.src/n_a.sru", text2);
  const std::string one = (dir.Path() / "one/a.pbl").string(), two = (dir.Path() / "two/a.pbl").string();
  // Library files of one size and time are the same library without a look inside.
  fs::last_write_time(two, fs::last_write_time(one) + std::chrono::hours(1));
  CliRun r = Cli(dir, {"diff", (dir.Path() / "1.txt").string(), (dir.Path() / "2.txt").string()});
  EXPECT_EQ(r.Exit, 1) << r.Out;
  EXPECT_NE(r.Out.find("- ldc_amount = 903291985642"), std::string::npos) << r.Out;
  r = Cli(dir, {"compare", one, two});
  EXPECT_NE(r.Out.find("n_a\t更改\t"), std::string::npos) << r.Out;
  r = Cli(dir, {"compare-libs", one, two});
  EXPECT_NE(r.Out.find("a.pbl\t更改\t"), std::string::npos) << r.Out;
  r = Cli(dir, {"compare-libs", (dir.Path() / "ws1").string(), (dir.Path() / "ws2").string()});
  EXPECT_NE(r.Out.find("a.pbl\t更改\t"), std::string::npos) << r.Out;
  r = Cli(dir, {"diff", "--by-section", "--json", (dir.Path() / "ws1/a.pbl.src/n_a.sru").string(),
                (dir.Path() / "ws2/a.pbl.src/n_a.sru").string()});
  EXPECT_EQ(r.Exit, 1) << r.Out << r.Err;
}

TEST(CliSides, GitRevisionsAsSides) {
  if (std::system("git --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "git is not installed";
  TTempDir dir;
  Release(dir);
  const std::string git = "cd " + testsupport::Quote((dir.Path() / "ws").string()) +
                          " && git -c user.name=T -c user.email=t@example.com ";
  ASSERT_EQ(std::system((git + "init -q && " + git + "add -A && " + git + "commit -qm one").c_str()), 0);
  dir.Write("ws/app/app.pbl.src/w_a.srw", "\xEF\xBB\xBF$PBExportHeader$w_a.srw\nglobal type w_a from window\nint i\nend type\n");
  ASSERT_EQ(std::system((git + "commit -qam two").c_str()), 0);
  const std::string cli = "cd " + testsupport::Quote((dir.Path() / "ws/app").string()) + " && " + testsupport::Quote(QUORVEX_CLI);
  CliRun r = testsupport::Shell(dir, cli + " compare-libs --objects git:HEAD~1 git:HEAD");
  EXPECT_EQ(r.Exit, 1) << r.Err;
  EXPECT_NE(r.Out.find("app.pbl\t更改\t"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("other.pbl\t相同\t"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("\nw_a\t更改\t"), std::string::npos) << r.Out;
  // GIT_DIR and GIT_WORK_TREE naming another repository change nothing but a note naming the
  // repository read.
  const fs::path other = dir.Path() / "other";
  ASSERT_EQ(std::system(("git init -q " + testsupport::Quote(other.string())).c_str()), 0);
  CliRun elsewhere = testsupport::Shell(
      dir, "cd " + testsupport::Quote((dir.Path() / "ws/app").string()) + " && GIT_DIR=" +
               testsupport::Quote((other / ".git").string()) + " GIT_WORK_TREE=" + testsupport::Quote(other.string()) + " " +
               testsupport::Quote(QUORVEX_CLI) + " compare-libs --objects git:HEAD~1 git:HEAD");
  EXPECT_EQ(elsewhere.Exit, r.Exit);
  EXPECT_EQ(elsewhere.Out, r.Out);
  EXPECT_EQ(elsewhere.Err, "note: git sides are read from the repository \"" + fs::canonical(dir.Path() / "ws").string() +
                               "\", not from GIT_DIR, GIT_WORK_TREE of the environment\n");
  // The revision against the library file it was exported from, and a folder in the work tree.
  r = testsupport::Shell(dir, cli + " compare-libs git:HEAD~1:app " + testsupport::Quote((dir.Path() / "ws/app").string()));
  EXPECT_NE(r.Out.find("app.pbl\t更改\t"), std::string::npos) << r.Out;
  r = testsupport::Shell(dir, cli + " list git:HEAD:app/app.pbl.src");
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(std::count(r.Out.begin(), r.Out.end(), '\n'), 3) << r.Out;
  r = testsupport::Shell(dir, cli + " list git:nosuch:app");
  EXPECT_EQ(r.Exit, 2);
  EXPECT_NE(r.Err.find("quorvex-cli list: git:nosuch: no revision \"nosuch\" in the repository"), std::string::npos) << r.Err;
  r = testsupport::Shell(dir, cli + " list git:HEAD:nothing");
  EXPECT_EQ(r.Err, "quorvex-cli list: git:HEAD:nothing: no such file\n");
}

}  // namespace

// The older source-control layout: a library file with its exports and object list in one folder.
// The exports are the library; a library file that differs from them is said once, exit 1; with
// --library-files the file is read. An object list given as a side is the exports it names.
TEST(CliSides, OlderLayoutReadsTheExportsAndSaysWhereTheFileDiffers) {
  TTempDir dir;
  const std::string a = "\xEF\xBB\xBF$PBExportHeader$w_a.srw\r\nglobal type w_a from window\r\nend type\r\n";
  const std::string list = "Save Format v3.0(19990112)\r\n@begin Libraries\r\n \"app\\\\app.pbl\" \"\";\r\n@end;\r\n"
                           "@begin Objects\r\n \"app\\\\w_a.srw\" \"app\\\\app.pbl\";\r\n@end;\r\n";
  for (const char* side : {"one", "two"}) {
    dir.Write(std::string(side) + "/app/app.pbl", Library({{"w_a.srw", "global type w_a from window\r\nend type\r\n", 10}}));
    dir.Write(std::string(side) + "/app/app.pbg", list);
    dir.Write(std::string(side) + "/app/w_a.srw", a);
  }
  dir.Write("two/app/w_a.srw", a + "// edited\r\n");
  dir.Write("two/app/w_stale.srw", a);  // no object of the list
  const std::string one = (dir.Path() / "one").string(), two = (dir.Path() / "two").string();
  const struct {
    std::vector<std::string> Args;
    int Exit;
    std::string Out, Err;
  } cases[] = {
      {{"compare-libs", one, two}, 1, "\t更改\t", two + "/app: app.pbl and its exports in this folder differ in 2 objects\n"},
      {{"compare-libs", "--library-files", one, two}, 0, "\t相同\t", ""},
      {{"libs", one + "/app/app.pbl"}, 0, one + "/app\t", ""},
      {{"list", two + "/app/app.pbg"}, 0, "w_a.srw\t", ""},
  };
  for (const auto& c : cases) {
    CliRun r = Cli(dir, c.Args);
    SCOPED_TRACE(c.Args.back());
    EXPECT_EQ(r.Exit, c.Exit) << r.Err;
    EXPECT_NE(r.Out.find(c.Out), std::string::npos) << r.Out;
    EXPECT_EQ(r.Err, c.Err.empty() ? "" : "warning: " + c.Err);
  }
  EXPECT_EQ(Cli(dir, {"list", two + "/app/app.pbg"}).Out.find("w_stale"), std::string::npos);
}
