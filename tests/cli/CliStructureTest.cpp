// quorvex-cli by section, as a user runs it: diff --by-section (JSON and text), textconv, and the
// classification of compare and compare-libs with the kind of each change.
#include <gtest/gtest.h>

#include "LibWriter.h"
#include "RunCli.h"

using testsupport::Cli;
using testsupport::CliRun;
using testsupport::TFakeEntry;
using testsupport::TLibWriter;
using testsupport::TTempDir;
namespace fs = std::filesystem;

namespace {

const std::string kType = "global type n_x from nonvisualobject\nend type\n\n";
const std::string kF1 = "public function long of_a (string as_s);return 1\nend function\n\n";
const std::string kF2 = "public subroutine of_b ();\nend subroutine\n\n";

TEST(CliBySection, JsonNamesEverySectionWithItsStatusAndLines) {
  TTempDir dir;
  fs::path a = dir.Write("a.sru", "$PBExportHeader$n_x.sru\n" + kType + kF1 + kF2);
  fs::path b = dir.Write("b.sru", "$PBExportHeader$n_x.sru\n" + kType + kF2 +
                                      "public function long of_a (string as_s);return 2\nend function\n\n"
                                      "event constructor;\nend event\n");
  CliRun r = Cli(dir, {"diff", "--by-section", "--json", a.string(), b.string()});
  EXPECT_EQ(r.Exit, 1) << r.Err;
  EXPECT_EQ(r.Out,
            "{\"structured\": true, \"reason\": null, \"sections\": [\n"
            "  {\"key\": \"export header\", \"kind\": \"header\", \"status\": \"same\", \"changed\": false, \"lines1\": [1, 1], \"lines2\": [1, 1]},\n"
            "  {\"key\": \"type n_x\", \"kind\": \"type\", \"status\": \"same\", \"changed\": false, \"lines1\": [2, 4], \"lines2\": [2, 4]},\n"
            "  {\"key\": \"function of_a(string)\", \"kind\": \"function\", \"status\": \"changed\", \"changed\": true, \"lines1\": [5, 7], \"lines2\": [8, 10]},\n"
            "  {\"key\": \"event n_x::constructor\", \"kind\": \"event\", \"status\": \"added\", \"changed\": false, \"lines1\": null, \"lines2\": [11, 12]},\n"
            "  {\"key\": \"function of_b()\", \"kind\": \"function\", \"status\": \"moved\", \"changed\": false, \"lines1\": [8, 10], \"lines2\": [5, 7]}\n"
            "], \"items\": []}\n");
  // The same sections in another order are no difference.
  fs::path c = dir.Write("c.sru", "$PBExportHeader$n_x.sru\n" + kType + kF2 + kF1);
  EXPECT_EQ(Cli(dir, {"diff", "--by-section", a.string(), c.string()}).Exit, 0);
}

TEST(CliBySection, TextListsSectionsWithTheirChangedLinesAndFallsBackWithTheReason) {
  TTempDir dir;
  fs::path a = dir.Write("a.sru", kType + kF1 + kF2);
  fs::path b = dir.Write("b.sru", kType + kF2 + "public function long of_a (string as_s);return 2\nend function\n");
  CliRun r = Cli(dir, {"diff", "--by-section", a.string(), b.string()});
  EXPECT_EQ(r.Exit, 1);
  EXPECT_EQ(r.Out,
            "changed          function of_a(string)  4-6 / 7-8\n"
            "  - 4: public function long of_a (string as_s);return 1\n"
            "  + 7: public function long of_a (string as_s);return 2\n"
            "moved            function of_b()  7-9 / 4-6\n"
            "sections: 1 same, 1 changed, 1 moved, 0 added, 0 deleted\n");
  fs::path plain = dir.Write("plain.txt", "hello\n");
  r = Cli(dir, {"diff", "--by-section", a.string(), plain.string()});
  EXPECT_EQ(r.Exit, 1);
  EXPECT_EQ(r.Err, "quorvex-cli diff: compared line by line: side 2: line 1: \"hello\" starts no section\n");
  EXPECT_NE(r.Out.find("+ hello"), std::string::npos);
  r = Cli(dir, {"diff", "--by-section", "--json", a.string(), plain.string()});
  EXPECT_EQ(r.Out, "{\"structured\": false, \"reason\": \"side 2: line 1: \\\"hello\\\" starts no section\", "
                   "\"sections\": [], \"items\": []}\n");
  // Without the structure, --json gives the line rows.
  r = Cli(dir, {"diff", "--json", a.string(), b.string()});
  EXPECT_EQ(r.Exit, 1);
  EXPECT_EQ(r.Out.rfind("{\"file1\": ", 0), 0u) << r.Out;
}

TEST(CliBySection, DataWindowItemsWithPositionsAndDefaultsIgnored) {
  TTempDir dir;
  fs::path a = dir.Write("a.srd", "release 10;\ndatawindow(units=0 )\ntext(name=t_1 x=\"10\" text=\"a\" )\n");
  fs::path b = dir.Write("b.srd", "release 12.5;\ndatawindow(units=0 mine=1 )\ntext(name=t_1 x=\"20\" text=\"b\" )\nxhtmlgen()\n");
  fs::path table = dir.Write("mine.txt", "datawindow mine=1\n");
  CliRun r = Cli(dir, {"diff", "--ignore-position", "--ignore-defaults", "--defaults", table.string(), a.string(), b.string()});
  EXPECT_EQ(r.Exit, 1) << r.Err;
  EXPECT_EQ(r.Out,
            "changed          release  10 -> 12.5\n"
            "changed          text t_1: text  \"a\" -> \"b\"\n"
            "sections: 1 same, 2 changed, 0 moved, 1 added, 0 deleted; 2 changes\n");
  r = Cli(dir, {"diff", "--by-section", "--json", a.string(), b.string()});
  EXPECT_NE(r.Out.find("{\"object\": \"datawindow\", \"attribute\": \"mine\", \"status\": \"added\", \"old\": null, \"new\": \"1\"}"),
            std::string::npos)
      << r.Out;
  EXPECT_NE(r.Out.find("{\"object\": \"text t_1\", \"attribute\": \"x\", \"status\": \"changed\", \"old\": \"\\\"10\\\"\", "
                       "\"new\": \"\\\"20\\\"\"}"),
            std::string::npos);
  EXPECT_EQ(Cli(dir, {"diff", "--ignore-defaults", "--defaults", "none.txt", a.string(), b.string()}).Exit, 2);
}

TEST(CliTextconv, DataWindowsOneAttributePerLineOtherTextsAsTheyAre) {
  TTempDir dir;
  fs::path dw = dir.Write("d.srd", "$PBExportHeader$d.srd\r\nrelease 10;\r\ndatawindow(units=0 color=1 ) text(name=t_1\r\n text=\"a\r\nb\" )\r\n");
  CliRun r = Cli(dir, {"textconv", dw.string()});
  EXPECT_EQ(r.Exit, 0);
  // Each object's first line names it, for the hunk headers of git diff.
  EXPECT_EQ(r.Out, "$PBExportHeader$d.srd\nrelease 10;\ndatawindow(\n\tunits=0\n\tcolor=1\n)\ntext(  // t_1\n\tname=t_1\n\ttext=\"a\nb\"\n)\n");
  fs::path other = dir.Write("w.srw", "\xEF\xBB\xBFglobal type w from window\r\nend type\r\n");
  EXPECT_EQ(Cli(dir, {"textconv", other.string()}).Out, "global type w from window\nend type\n");
  fs::path broken = dir.Write("b.srd", "release 10;\ndatawindow(units=0\n");
  r = Cli(dir, {"textconv", broken.string()});
  EXPECT_EQ(r.Out, "release 10;\ndatawindow(units=0\n");
  EXPECT_NE(r.Err.find("'(' is not closed"), std::string::npos);
  EXPECT_EQ(Cli(dir, {"textconv", (dir.Path() / "none.srd").string()}).Exit, 2);
}

// The shipped git set-up in a real repository: git diff's hunk headers name the function a change
// stands in, and the DataWindow object whose attribute changed.
TEST(CliTextconv, GitHunkHeadersNameTheFunctionAndTheObject) {
  TTempDir dir;
  const std::string body = [] {
    std::string s;
    for (int i = 0; i < 12; ++i) s += "ll_x = ll_x + " + std::to_string(i) + "\n";
    return s;
  }();
  const std::string script = "$PBExportHeader$n_x.sru\nglobal type n_x from nonvisualobject\nend type\n\n"
                             "public function long of_sum (long al_x);long ll_x\n" + body + "return ll_x\nend function\n";
  std::string dw = "$PBExportHeader$d_x.srd\nrelease 12.5;\ndatawindow(units=0 color=1 )\n"
                   "text(band=header alignment=\"0\" text=\"A\" border=\"0\" color=\"0\" x=\"10\" y=\"4\" height=\"64\" "
                   "width=\"200\" html.valueishtml=\"0\" name=t_1 visible=\"1\" font.face=\"Arial\" font.height=\"-10\" )\n";
  dir.Write("repo/n_x.sru", script);
  dir.Write("repo/d_x.srd", dw);
  fs::copy_file(fs::path(QUORVEX_GIT_DOC) / "gitattributes", dir.Path() / "repo/.gitattributes");
  const std::string git = "cd " + testsupport::Quote((dir.Path() / "repo").string()) + " && PATH=" +
                          testsupport::Quote(fs::path(QUORVEX_CLI).parent_path().string()) + ":$PATH git -c include.path=" +
                          testsupport::Quote((fs::path(QUORVEX_GIT_DOC) / "quorvex.gitconfig").string()) +
                          " -c user.name=t -c user.email=t@t ";
  ASSERT_EQ(testsupport::Shell(dir, git + "init -q && " + git + "add . && " + git + "commit -qm one").Exit, 0);
  std::string changed = script;
  changed.replace(changed.find("+ 9"), 3, "* 9");
  dir.Write("repo/n_x.sru", changed);
  dw.replace(dw.find("x=\"10\""), 7, "x=\"12\"");
  dir.Write("repo/d_x.srd", dw);
  const CliRun diff = testsupport::Shell(dir, git + "diff");
  EXPECT_NE(diff.Out.find("@@ public function long of_sum (long al_x);long ll_x\n"), std::string::npos) << diff.Out;
  EXPECT_NE(diff.Out.find("@@ text(  // t_1\n"), std::string::npos) << diff.Out;
  EXPECT_NE(diff.Out.find("-\tx=\"10\"\n+\tx=\"12\"\n"), std::string::npos) << diff.Out;
}

std::string Library(const std::string& text, std::int32_t time) {
  TLibWriter w(false);
  w.AddNode({TFakeEntry{"n_x.sru", text, time, 0}, TFakeEntry{"n_same.sru", kType, 5, 0}});
  return w.Build();
}

TEST(CliCompareBySection, OrderIsNoChangeAndTheKindIsShown) {
  TTempDir dir;
  fs::create_directories(dir.Path() / "1");
  fs::create_directories(dir.Path() / "2");
  fs::path a = dir.Write("1/lib.pbl", Library(kType + kF1 + kF2, 1));
  fs::path b = dir.Write("2/lib.pbl", Library(kType + kF2 + kF1, 2));
  fs::last_write_time(b, fs::last_write_time(a) + std::chrono::seconds(10));
  CliRun lines = Cli(dir, {"compare", "--json", a.string(), b.string()});
  EXPECT_EQ(lines.Exit, 1) << lines.Err;
  EXPECT_NE(lines.Out.find("\"result\": \"更改\", \"time1\""), std::string::npos) << lines.Out;
  EXPECT_NE(lines.Out.find("\"type\": \"u\", \"change\": \"order\"}"), std::string::npos) << lines.Out;
  CliRun bySection = Cli(dir, {"compare", "--by-section", "--json", a.string(), b.string()});
  EXPECT_EQ(bySection.Exit, 0) << bySection.Err;
  EXPECT_EQ(bySection.Out.find("更改"), std::string::npos);
  EXPECT_NE(bySection.Out.find("\"change\": \"order\""), std::string::npos);
  // The library pair is the same by section too.
  EXPECT_EQ(Cli(dir, {"compare-libs", a.string(), b.string()}).Exit, 1);
  CliRun libs = Cli(dir, {"compare-libs", "--by-section", a.string(), b.string()});
  EXPECT_EQ(libs.Exit, 0) << libs.Out << libs.Err;
  // A real change stays one, and says so.
  fs::path c = dir.Write("c.pbl", Library(kType + kF2, 3));
  CliRun changed = Cli(dir, {"compare", "--by-section", "--json", a.string(), c.string()});
  EXPECT_EQ(changed.Exit, 1);
  EXPECT_NE(changed.Out.find("\"change\": \"content\""), std::string::npos);
}

}  // namespace
