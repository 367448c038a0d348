// quorvex-cli diff and compare run as a user runs them; the number of changed lines is held to
// GNU diff --minimal on random text pairs.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "LibWriter.h"
#include "RunCli.h"
#include "platform/CodePage.h"
#include "platform/FileSys.h"

using testsupport::TFakeEntry;
using testsupport::TLibWriter;
using testsupport::TTempDir;
using testsupport::Cli;
using testsupport::CliRun;
using testsupport::Quote;
using testsupport::Shell;
namespace fs = std::filesystem;

namespace {

int CountPrefixed(const std::string& text, const std::string& a, const std::string& b) {
  int n = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (line.rfind(a, 0) == 0 || line.rfind(b, 0) == 0) ++n;
    start = end + 1;
  }
  return n;
}

TEST(CliDiff, ReportAndExitStatus) {
  TTempDir dir;
  fs::path a = dir.Write("a.txt", "one\r\ntwo\r\nthree\r\n"), b = dir.Write("b.txt", "one\nTWO\nthree\nfour\n");
  CliRun r = Cli(dir, {"diff", a.string(), b.string()});
  EXPECT_EQ(r.Exit, 1) << r.Err;
  EXPECT_NE(r.Out.find("File 1: \"" + a.string() + "\"\n"), std::string::npos);
  EXPECT_NE(r.Out.find("Lines modified at 2\n" + std::string(80, '=') + "\n- two\n+ TWO\n"), std::string::npos);
  EXPECT_NE(r.Out.find("Lines added at 4\n" + std::string(80, '=') + "\n+ four\n"), std::string::npos);

  fs::path c = dir.Write("c.txt", "one\nTWO\nthree\n");
  EXPECT_EQ(Cli(dir, {"diff", "--ignore-case", a.string(), c.string()}).Exit, 0);
  // Same bytes: the header alone, as for equal texts; same size, other bytes: compared.
  fs::path a2 = dir.Write("a2.txt", "one\r\ntwo\r\nthree\r\n"), a3 = dir.Write("a3.txt", "one\r\ntwo\r\nthreE\r\n");
  r = Cli(dir, {"diff", a.string(), a2.string()});
  EXPECT_EQ(r.Exit, 0);
  EXPECT_EQ(std::count(r.Out.begin(), r.Out.end(), '\n'), 8) << r.Out;
  EXPECT_EQ(Cli(dir, {"diff", a.string(), a3.string()}).Exit, 1);
  EXPECT_EQ(Cli(dir, {"diff", a.string(), (dir.Path() / "none").string()}).Exit, 2);
  EXPECT_EQ(Cli(dir, {"diff", a.string()}).Exit, 2);
}

// One text in every encoding a file may use is one text; a changed line prints in UTF-8 whether the
// texts were compared in UTF-8 (both UTF-8 or HEXASCII) or through the code page.
TEST(CliDiff, OneTextInEveryEncodingIsOneText) {
  TTempDir dir;
  const std::string utf8 = "$PBExportHeader$x.sru\r\n中文 ©\r\n\U0001D11E end\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : std::u16string(u"$PBExportHeader$x.sru\r\n中文 ©\r\n\U0001D11E end\r\n"))
    utf16 += static_cast<char>(c & 0xFF), utf16 += static_cast<char>(c >> 8);
  const std::vector<fs::path> files = {
      dir.Write("utf8.sru", utf8), dir.Write("bom.sru", "\xEF\xBB\xBF" + utf8), dir.Write("utf16.sru", utf16),
      dir.Write("gb.sru", platform::Utf8ToCodePage(utf8)),
      dir.Write("hex.sru", "HA$PBExportHeader$x.sru\r\n$$HEX2$$2d4e8765$$ENDHEX$$ $$HEX1$$a900$$ENDHEX$$\r\n"
                           "$$HEX2$$34d81edd$$ENDHEX$$ end\r\n")};
  for (const fs::path& a : files)
    for (const fs::path& b : files) EXPECT_EQ(Cli(dir, {"diff", a.string(), b.string()}).Exit, 0) << a << " " << b;

  const fs::path changed = dir.Write("改.sru", "$PBExportHeader$x.sru\n中文 ®\n\U0001D11E end\n");
  for (const fs::path& a : files) {
    const CliRun r = Cli(dir, {"diff", a.string(), changed.string()});
    EXPECT_EQ(r.Exit, 1) << a;
    EXPECT_NE(r.Out.find("File 2: \"" + changed.string() + "\"\n"), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("\n- 中文 ©\n+ 中文 ®\n"), std::string::npos) << a << "\n" << r.Out;
  }
  // Two private-use characters that GB18030 has no code for are still two characters, also where
  // the texts go through the code page (--ignore-case).
  const fs::path pua1 = dir.Write("pua1.txt", "a\n\uE78D\n"), pua2 = dir.Write("pua2.txt", "a\n\uE78E\n");
  for (const char* option : {"--ignore-blanks", "--ignore-case"}) {
    const CliRun r = Cli(dir, {"diff", option, pua1.string(), pua2.string()});
    EXPECT_EQ(r.Exit, 1) << option;
    EXPECT_NE(r.Out.find("\n- \uE78D\n+ \uE78E\n"), std::string::npos) << option << "\n" << r.Out;
  }
}

// The report after its eight header lines.
std::string Body(const std::string& report) {
  std::size_t at = 0;
  for (int i = 0; i < 8 && at != std::string::npos; ++i) at = report.find('\n', at) + 1;
  return report.substr(at);
}

TEST(CliDiff, CommentsIgnoredAndSimilarLinesAligned) {
  TTempDir dir;
  fs::path a = dir.Write("a.sru", "x = 1 // old\n/* (c) 2004-2005\n */\nli_a = 1\nli_b = of_get(2)\nend\n");
  fs::path b = dir.Write("b.sru", "x = 1 // new\n/* (c) 2004-2017\n */\nli_a = 10\nof_log(\"step\")\nli_b = of_get(20)\nend\n");
  const std::string rule(80, '=');
  auto block = [&](const std::string& heading, const std::string& lines) { return rule + "\n" + heading + "\n" + rule + "\n" + lines; };
  CliRun plain = Cli(dir, {"diff", "--ignore-comments", a.string(), b.string()});
  EXPECT_EQ(plain.Exit, 1) << plain.Err;
  EXPECT_EQ(Body(plain.Out), block("Lines modified at 4", "- li_a = 1\n+ li_a = 10\n- li_b = of_get(2)\n+ of_log(\"step\")\n") +
                                 block("Lines added at 6", "+ li_b = of_get(20)\n"));
  CliRun aligned = Cli(dir, {"diff", "--ignore-comments", "--align-similar", a.string(), b.string()});
  EXPECT_EQ(Body(aligned.Out), block("Lines modified at 4", "- li_a = 1\n+ li_a = 10\n") +
                                   block("Lines added at 5", "+ of_log(\"step\")\n") +
                                   block("Lines modified at 5", "- li_b = of_get(2)\n+ li_b = of_get(20)\n"));
  // Comments are compared without the option; a comment-only change is no change with it.
  EXPECT_NE(Cli(dir, {"diff", a.string(), b.string()}).Out.find("- x = 1 // old\n+ x = 1 // new\n"), std::string::npos);
  fs::path c = dir.Write("c.sru", "x = 1\nli_a = 1 /* was 0 */\nli_b = of_get(2)\nend // of script\n");
  fs::path d = dir.Write("d.sru", "x = 1\nli_a = 1\nli_b = of_get(2)\nend\n");
  EXPECT_EQ(Cli(dir, {"diff", "--ignore-comments", c.string(), d.string()}).Exit, 0);
}

TEST(CliDiff, ChangedLinesAgreeWithGnuDiffMinimal) {
  TTempDir dir;
  if (Shell(dir, "diff --version").Exit != 0) GTEST_SKIP() << "GNU diff is not installed";
  std::mt19937 rng(11);
  for (int round = 0; round < 30; ++round) {
    std::string t1, t2;
    int n = 20 + round * 10;
    for (int i = 0; i < n; ++i) {
      int v = std::uniform_int_distribution<int>(0, 3 + round % 7)(rng);
      t1 += "line " + std::to_string(v) + "\n";
      int w = std::uniform_int_distribution<int>(0, 9)(rng) < 7 ? v : std::uniform_int_distribution<int>(0, 12)(rng);
      if (w != 12) t2 += "line " + std::to_string(w) + "\n";
    }
    fs::path a = dir.Write("a.txt", t1), b = dir.Write("b.txt", t2);
    CliRun ours = Cli(dir, {"diff", a.string(), b.string()});
    CliRun gnu = Shell(dir, "diff --minimal " + Quote(a.string()) + " " + Quote(b.string()));
    std::string body = ours.Out.substr(ours.Out.find("\n\n", ours.Out.find("File 2:")) + 2);
    ASSERT_EQ(CountPrefixed(body, "- ", "+ "), CountPrefixed(gnu.Out, "< ", "> ")) << "round " << round;
  }
}

std::string Library(bool unicode, std::vector<TFakeEntry> entries) {
  TLibWriter w(unicode);
  w.AddNode(std::move(entries));
  return w.Build();
}

TEST(CliCompare, ObjectRowsAndCounts) {
  TTempDir dir;
  fs::path a = dir.Write("a.pbl", Library(false, {TFakeEntry{"w_main.srw", "x\r\n", 0}, TFakeEntry{"d_old.srd", "y", 0},
                                                  TFakeEntry{"f_same.srf", "s\r\n", 5}}));
  fs::path b = dir.Write("b.pbl", Library(true, {TFakeEntry{"w_main.srw", "z\r\n", 86400}, TFakeEntry{"m_new.srm", "q", 0},
                                                 TFakeEntry{"f_same.srf", "s\r\n", 9}}));
  CliRun r = Cli(dir, {"compare", a.string(), b.string()});
  EXPECT_EQ(r.Exit, 1) << r.Err;
  EXPECT_EQ(r.Out,
            "d_old\t减少\t1970-01-01 08:00:00\t1\t\t\td\n"
            "f_same\t相同\t1970-01-01 08:00:05\t3\t1970-01-01 08:00:09\t6\tf\n"
            "m_new\t增加\t\t\t1970-01-01 08:00:00\t2\tm\n"
            "w_main\t更改\t1970-01-01 08:00:00\t3\t1970-01-02 08:00:00\t6\tw\n"
            "3 3 1 1 1\n");
  EXPECT_EQ(Cli(dir, {"compare", a.string(), a.string()}).Exit, 0);
  CliRun j = Cli(dir, {"compare", "--json", a.string(), b.string()});
  EXPECT_NE(j.Out.find("\"counts\": {\"count1\": 3, \"count2\": 3, \"added\": 1, \"deleted\": 1, \"changed\": 1}"),
            std::string::npos);

  CliRun libs = Cli(dir, {"compare-libs", "--objects", a.string(), b.string()});
  EXPECT_EQ(libs.Exit, 1);
  EXPECT_EQ(libs.Out.substr(0, 2), "a.");
  EXPECT_NE(libs.Out.find("1 1 1 1 0\n"), std::string::npos) << libs.Out;
}

TEST(CliCompare, LibraryNamesPairAndCountAsDuplicatesByOneRule) {
  // Letter case makes no other name, width does: m.pbl and M.PBL are one library, full-width
  // ｍ.pbl (GBK A3 ED in the targets) another, on both sides and under any locale.
  TTempDir dir;
  const std::string lib = Library(false, {TFakeEntry{"w_main.srw", "x\r\n", 0}});
  for (const char* name : {"one/m.pbl", "one/M.pbl", "one/ｍ.pbl", "two/M.PBL", "two/ｍ.pbl"}) dir.Write(name, lib);
  fs::path t1 = dir.Write("one/app.pbt", "LIBLIST \"m.pbl;M.pbl;\xA3\xED.pbl\";\r\n");
  fs::path t2 = dir.Write("two/app.pbt", "LIBLIST \"\xA3\xED.pbl;M.PBL\";\r\n");
  CliRun r = Cli(dir, {"compare-libs", t1.string(), t2.string()});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  ASSERT_EQ(std::count(r.Out.begin(), r.Out.end(), '\n'), 3) << r.Out;
  EXPECT_EQ(r.Out.substr(0, r.Out.find('\t')), "m.pbl");
  EXPECT_NE(r.Out.find("\nｍ.pbl\t相同\t"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("\n2 2 0 0 0\n"), std::string::npos) << r.Out;
}

TEST(CliCompare, CommentOnlyChangesAreNoChangeUnderIgnoreComments) {
  TTempDir dir;
  const std::string script = "li_x = 1\r\nreturn li_x\r\n";
  fs::create_directories(dir.Path() / "1");
  fs::create_directories(dir.Path() / "2");
  fs::path a = dir.Write("1/app.pbl", Library(false, {TFakeEntry{"n_a.sru", "// v1\r\n" + script, 0}}));
  fs::path b = dir.Write("2/app.pbl", Library(true, {TFakeEntry{"n_a.sru", "/* v2\r\n   2017 */\r\n" + script + "// end\r\n", 5}}));
  for (const char* command : {"compare", "compare-libs"}) {
    EXPECT_EQ(Cli(dir, {command, a.string(), b.string()}).Exit, 1) << command;
    CliRun r = Cli(dir, {command, "--ignore-comments", a.string(), b.string()});
    EXPECT_EQ(r.Exit, 0) << command << "\n" << r.Out << r.Err;
  }
}

}  // namespace
