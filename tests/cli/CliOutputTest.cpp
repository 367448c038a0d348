// quorvex-cli diff's outputs for people and programs: the unified difference (applied with patch
// and git apply, byte for byte), the rows as JSON, the side-by-side HTML page (rendered by a
// headless browser when one is installed).
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <regex>
#include <set>

#include "LibWriter.h"
#include "RunCli.h"
#include "report/HtmlReport.h"
#include "platform/TextFile.h"

using testsupport::Cli;
using testsupport::CliRun;
using testsupport::Quote;
using testsupport::Shell;
using testsupport::TTempDir;
namespace fs = std::filesystem;

namespace {

// Runs quorvex-cli in `dir`, so that the names in a unified header are relative.
CliRun CliIn(const TTempDir& dir, const std::vector<std::string>& args) {
  std::string cmd = "cd " + Quote(dir.Path().string()) + " && " + Quote(QUORVEX_CLI);
  for (const auto& a : args) cmd += " " + Quote(a);
  return Shell(dir, cmd);
}

// Everything after the two header lines.
std::string Hunks(const std::string& out) {
  std::size_t at = out.find('\n');
  at = at == std::string::npos ? at : out.find('\n', at + 1);
  return at == std::string::npos ? out : out.substr(at + 1);
}

// Writes `diff -u` of a/NAME against b/NAME to a patch, applies it to a copy of a/NAME with patch
// and with git apply, and returns what each tool made of it ("" when the tool failed).
std::array<std::string, 2> ApplyBoth(const TTempDir& dir, const std::string& name, const std::vector<std::string>& options) {
  std::vector<std::string> args{"diff"};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back("a/" + name);
  args.push_back("b/" + name);
  const CliRun diff = CliIn(dir, args);
  EXPECT_LE(diff.Exit, 1) << diff.Err;
  dir.Write("p.diff", diff.Out);
  const std::string original = platform::ReadFileBytes(dir.Path() / "a" / name);
  std::array<std::string, 2> results;
  const std::string cd = "cd " + Quote(dir.Path().string()) + " && ";
  dir.Write(name, original);
  if (Shell(dir, cd + "patch --binary -s " + Quote(name) + " < p.diff").Exit == 0)
    results[0] = platform::ReadFileBytes(dir.Path() / name);
  dir.Write(name, original);
  if (Shell(dir, cd + "git apply --unidiff-zero p.diff").Exit == 0) results[1] = platform::ReadFileBytes(dir.Path() / name);
  return results;
}

struct TUnifiedCase {
  const char* Name;
  std::string File1, File2;
  std::vector<std::string> Options;
  std::string Hunks;  // expected, after the header
};

void PrintTo(const TUnifiedCase& c, std::ostream* os) { *os << c.Name; }

const std::vector<TUnifiedCase> kUnified = {
    {"line ends only", "a\r\nb\r\n", "a\nb\n", {"-u"}, "@@ -1,2 +1,2 @@\n-a\r\n-b\r\n+a\n+b\n"},
    {"byte-order mark kept", "\xEF\xBB\xBFx\ny\n", "\xEF\xBB\xBFx\nz\n", {"-u"}, "@@ -1,2 +1,2 @@\n \xEF\xBB\xBFx\n-y\n+z\n"},
    {"byte-order mark added", "x\n", "\xEF\xBB\xBFx\n", {"--unified"}, "@@ -1 +1 @@\n-x\n+\xEF\xBB\xBFx\n"},
    {"encoding only", "\xB0\xA1\n", "\xE5\x95\x8A\n", {"-u"}, "@@ -1 +1 @@\n-\xB0\xA1\n+\xE5\x95\x8A\n"},
    {"no final break in file 1", "a\nb", "a\nb\n", {"-u"}, "@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+b\n"},
    {"no final break in either", "a\nb", "a\nc", {"-u"},
     "@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+c\n\\ No newline at end of file\n"},
    {"empty against lines", "", "a\nb\n", {"-u"}, "@@ -0,0 +1,2 @@\n+a\n+b\n"},
    {"lines against empty", "a\n", "", {"-u"}, "@@ -1 +0,0 @@\n-a\n"},
    {"lone CR inside a line", "a\rb\nc\n", "a\rB\nc\n", {"-u"}, "@@ -1,2 +1,2 @@\n-a\rb\n+a\rB\n c\n"},
    {"context of one, two hunks", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n", "1\n2\n3\n4\nx\n6\n7\n8\ny\n10\n", {"-u1"},
     "@@ -4,3 +4,3 @@\n 4\n-5\n+x\n 6\n@@ -8,3 +8,3 @@\n 8\n-9\n+y\n 10\n"},
    {"context of one, hunks joined", "1\n2\n3\n4\n5\n6\n", "1\nx\n3\n4\ny\n6\n", {"--unified=1"},
     "@@ -1,6 +1,6 @@\n 1\n-2\n+x\n 3\n 4\n-5\n+y\n 6\n"},
    {"no context", "1\n2\n3\n", "1\n3\n4\n", {"-U", "0"}, "@@ -2 +1,0 @@\n-2\n@@ -3,0 +3 @@\n+4\n"},
    {"ignore-case prints the lines as they are", "A\nB\nC\n", "a\nb\nd\n", {"-u", "--ignore-case"},
     "@@ -1,3 +1,3 @@\n A\n B\n-C\n+d\n"},
    {"equal under ignore-blanks", "a b\n", "ab\n", {"-u", "--ignore-blanks"}, ""},
};

class UnifiedCases : public ::testing::TestWithParam<TUnifiedCase> {};

TEST_P(UnifiedCases, HunksAndRoundTrip) {
  const TUnifiedCase& c = GetParam();
  TTempDir dir;
  dir.Write("a/f.txt", c.File1);
  dir.Write("b/f.txt", c.File2);
  std::vector<std::string> args{"diff"};
  args.insert(args.end(), c.Options.begin(), c.Options.end());
  args.insert(args.end(), {"a/f.txt", "b/f.txt"});
  const CliRun r = CliIn(dir, args);
  EXPECT_EQ(r.Exit, c.Hunks.empty() ? 0 : 1) << r.Err;
  if (c.Hunks.empty()) {
    EXPECT_EQ(r.Out, "");
    return;
  }
  static const std::regex header(
      "--- a/f\\.txt\t\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{9} [+-]\\d{4}\n"
      "\\+\\+\\+ b/f\\.txt\t\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{9} [+-]\\d{4}\n");
  EXPECT_TRUE(std::regex_search(r.Out, header, std::regex_constants::match_continuous)) << r.Out;
  EXPECT_EQ(Hunks(r.Out), c.Hunks);
  const bool exact = std::find_if(c.Options.begin(), c.Options.end(),
                                  [](const std::string& o) { return o.rfind("--ignore", 0) == 0; }) == c.Options.end();
  if (exact) {
    const auto applied = ApplyBoth(dir, "f.txt", c.Options);
    EXPECT_EQ(applied[0], c.File2) << "patch";
    if (!c.File2.empty()) {
      EXPECT_EQ(applied[1], c.File2) << "git apply";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Crafted, UnifiedCases, ::testing::ValuesIn(kUnified), [](const auto& info) {
  std::string name = info.param.Name;
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name;
});

// Names that would break a header line are quoted as GNU diff and git quote them, so that git
// apply finds the file; other names, Chinese ones and spaces included, stand as they are.
TEST(CliUnified, HeaderNamesAreQuotedWhereTheyMustBe) {
  const std::vector<std::pair<std::string, std::string>> names{
      {"new\nline.txt", "\"a/new\\nline.txt\""}, {"ta\tb.txt", "\"a/ta\\tb.txt\""},
      {"q\"x.txt", "\"a/q\\\"x.txt\""},         {"b\\s\x01.txt", "\"a/b\\\\s\\001.txt\""},
      {"中文 a.txt", "a/中文 a.txt"}};
  for (const auto& [name, quoted] : names) {
    TTempDir dir;
    dir.Write("a/" + name, "one\ntwo\n");
    dir.Write("b/" + name, "one\nTWO\n");
    const CliRun r = CliIn(dir, {"diff", "-u", "a/" + name, "b/" + name});
    EXPECT_EQ(r.Out.substr(0, r.Out.find('\t')), "--- " + quoted) << name;
    EXPECT_EQ(ApplyBoth(dir, name, {"-u"})[1], "one\nTWO\n") << name;
  }
}

// git difftool passes /dev/null for the missing side of an added or deleted file, and labels for
// the names: the file is shown whole as added or deleted, under the labels, in every output.
TEST(CliDiff, NullDeviceIsAnEmptySideAndLabelsStandForNames) {
  TTempDir dir;
  dir.Write("new.txt", "a\nb\n");
  CliRun r = CliIn(dir, {"diff", "-u", "-L", "a/new.txt", "-Lb/new.txt", "/dev/null", "new.txt"});
  EXPECT_EQ(r.Exit, 1) << r.Err;
  EXPECT_EQ(r.Out, "--- a/new.txt\n+++ b/new.txt\n@@ -0,0 +1,2 @@\n+a\n+b\n");
  r = CliIn(dir, {"diff", "--label", "old name", "new.txt", "/dev/null"});
  EXPECT_EQ(r.Exit, 1) << r.Err;
  EXPECT_NE(r.Out.find("File 1: \"old name\""), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("- a\n- b\n"), std::string::npos) << r.Out;
  r = CliIn(dir, {"diff", "--json", "-L", "x", "-L", "y", "/dev/null", "/dev/null"});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(r.Out.rfind("{\"file1\": \"x\", \"file2\": \"y\"", 0), 0u) << r.Out;
  EXPECT_EQ(CliIn(dir, {"diff", "-L", "1", "-L", "2", "-L", "3", "new.txt", "new.txt"}).Exit, 2);
}

// The documented difftool set-up in a real repository: an added file comes as /dev/null and the
// file, under the repository's name for it.
TEST(CliDiff, GitDifftoolOverAnAddedFile) {
  TTempDir dir;
  dir.Write("repo/old.txt", "x\n");
  const std::string git = "cd " + Quote((dir.Path() / "repo").string()) +
                          " && git -c user.name=t -c user.email=t@t -c difftool.prompt=false -c \"difftool.q.cmd=" +
                          std::string(QUORVEX_CLI) + " diff -L \\\"a/\\$MERGED\\\" -L \\\"b/\\$MERGED\\\" \\\"\\$LOCAL\\\" \\\"\\$REMOTE\\\"\" ";
  ASSERT_EQ(Shell(dir, git + "init -q && " + git + "add . && " + git + "commit -qm one").Exit, 0);
  dir.Write("repo/new.txt", "a\nb\n");
  ASSERT_EQ(Shell(dir, git + "add . && " + git + "commit -qm two").Exit, 0);
  const CliRun r = Shell(dir, git + "difftool --tool=q HEAD~1 HEAD");
  EXPECT_NE(r.Out.find("File 1: \"a/new.txt\""), std::string::npos) << r.Out << r.Err;
  EXPECT_NE(r.Out.find("File 2: \"b/new.txt\""), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("+ a\n+ b\n"), std::string::npos) << r.Out;
  EXPECT_EQ(r.Err, "");
}

// Release pairs of real exports: HEXASCII with LF line ends against UTF-8 with a byte-order mark,
// DataWindows whose last line has no break.
TEST(CliUnified, RealReleasesPatchByteForByte) {
  const fs::path pfc = testsupport::TestDataDir() / "pfc";
  if (!fs::is_directory(pfc)) GTEST_SKIP() << "../shared/testdata/pfc is not there";
  const std::vector<std::pair<fs::path, fs::path>> folders{
      {pfc / "PB2017/Source/pfewnsrv", pfc / "PB2021/Source/ws_objects/pfewnsrv/pfewnsrv.pbl.src"},
      {pfc / "PB2017/Source/pfcapsrv", pfc / "PB2021/Source/ws_objects/pfcapsrv/pfcapsrv.pbl.src"},
      {pfc / "PB105/Source/pfcdwsrv", pfc / "PB2021/Source/ws_objects/pfcdwsrv/pfcdwsrv.pbl.src"}};
  int pairs = 0;
  for (const auto& [old, now] : folders) {
    for (const auto& e : fs::directory_iterator(old)) {
      const std::string name = e.path().filename().string();
      if (!fs::exists(now / name) || e.path().extension().string().rfind(".sr", 0) != 0) continue;
      TTempDir dir;
      dir.Write("a/" + name, platform::ReadFileBytes(e.path()));
      const std::string wanted = platform::ReadFileBytes(now / name);
      dir.Write("b/" + name, wanted);
      const auto applied = ApplyBoth(dir, name, {"-u"});
      EXPECT_TRUE(applied[0] == wanted) << "patch: " << name;
      EXPECT_TRUE(applied[1] == wanted) << "git apply: " << name;
      ++pairs;
    }
  }
  EXPECT_GE(pairs, 20);
}

TEST(CliUnified, RefusesOutputsItCannotJoin) {
  TTempDir dir;
  dir.Write("a.txt", "a\n");
  dir.Write("b.txt", "b\n");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-u", "--json"}, {"-u", "--by-section"}, {"-u", "--align-similar"}, {"--json", "--html"},
        {"--unified=x"}}) {
    std::vector<std::string> words{"diff"};
    words.insert(words.end(), args.begin(), args.end());
    words.insert(words.end(), {"a.txt", "b.txt"});
    const CliRun r = CliIn(dir, words);
    EXPECT_EQ(r.Exit, 2) << args[0] << " " << args.back();
    EXPECT_EQ(r.Out, "");
  }
  // Under the ignore options the lines are matched to the text; a lone CR breaks a line there.
  dir.Write("cr.txt", "a\rb\n");
  EXPECT_EQ(CliIn(dir, {"diff", "-u", "--ignore-case", "cr.txt", "b.txt"}).Exit, 2);
}

// --- JSON ---

QJsonObject ParseJson(const std::string& text) {
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
  return doc.object();
}

std::string Describe(const QJsonValue& cell) {
  if (cell.isNull()) return "-";
  const QJsonObject o = cell.toObject();
  std::string s = std::to_string(o["line"].toInt()) + ":" + o["text"].toString().toStdString();
  for (const QJsonValue& span : o["spans"].toArray())
    s += " [" + std::to_string(span.toArray()[0].toInt()) + "," + std::to_string(span.toArray()[1].toInt()) + ")";
  return s;
}

TEST(CliJson, RowsWithLinesTextsAndCodePointSpans) {
  TTempDir dir;
  dir.Write("a.txt", "keep\r\n版权 (c) 2004-2005\r\ngone\r\nsame\tx\r\n");
  dir.Write("b.txt", "keep\n版权 (c) 2004-2017\nsame\tx\nnew \"q\"\n");
  struct {
    std::vector<std::string> Options;
    std::vector<std::string> Rows;  // kind|left|right
    QJsonArray OptionNames;
  } cases[] = {
      {{},
       {"equal|1:keep|1:keep", "modified|2:版权 (c) 2004-2005 [12,16)|2:版权 (c) 2004-2017 [12,16)", "deleted|3:gone|-",
        "equal|4:same\tx|3:same\tx", "added|-|4:new \"q\""},
       {}},
      {{"--diffs-only", "--ignore-case", "--align-similar"},
       {"modified|2:版权 (c) 2004-2005 [12,16)|2:版权 (c) 2004-2017 [12,16)", "deleted|3:gone|-", "added|-|4:new \"q\""},
       {"ignore-case", "align-similar"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"diff", "--json"};
    args.insert(args.end(), c.Options.begin(), c.Options.end());
    args.insert(args.end(), {"a.txt", "b.txt"});
    const CliRun r = CliIn(dir, args);
    EXPECT_EQ(r.Exit, 1) << r.Err;
    const QJsonObject doc = ParseJson(r.Out);
    EXPECT_EQ(doc["file1"].toString(), "a.txt");
    EXPECT_EQ(doc["file2"].toString(), "b.txt");
    EXPECT_EQ(doc["options"].toArray(), c.OptionNames);
    std::vector<std::string> rows;
    for (const QJsonValue& row : doc["rows"].toArray())
      rows.push_back(row["kind"].toString().toStdString() + "|" + Describe(row["left"]) + "|" + Describe(row["right"]));
    EXPECT_EQ(rows, c.Rows);
  }
  const CliRun same = CliIn(dir, {"diff", "--json", "a.txt", "a.txt"});
  EXPECT_EQ(same.Exit, 0);
  EXPECT_EQ(ParseJson(same.Out)["rows"].toArray().size(), 4);
}

// --- HTML ---

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(CliHtml, OnePageWithEscapedTextColoursAndCounts) {
  TTempDir dir;
  dir.Write("a.txt", "<b>&\"x\"</b>\x1b[2J\n版权 (c) 2004-2005\nsame\n");
  dir.Write("b.txt", "版权 (c) 2004-2017\nsame\nadded\n");
  const CliRun r = CliIn(dir, {"diff", "--html", "--ignore-case", "--align-similar", "a.txt", "b.txt"});
  ASSERT_EQ(r.Exit, 1) << r.Err;
  const std::string& page = r.Out;
  EXPECT_EQ(page.rfind("<!DOCTYPE html>\n", 0), 0u);
  EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
  for (const char* outside : {"http:", "https:", " src=", "<link", "@import", "url("})
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
  EXPECT_NE(page.find("&lt;b&gt;&amp;&quot;x&quot;&lt;/b&gt;"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
  EXPECT_NE(page.find("&lt;/b&gt;\u241B[2J"), std::string::npos);  // a control character as its symbol
  EXPECT_NE(page.find("版权 (c) 2004-<span class=\"w\">2005</span>"), std::string::npos);
  EXPECT_NE(page.find("版权 (c) 2004-<span class=\"w\">2017</span>"), std::string::npos);
  EXPECT_NE(page.find("增加 1 行，减少 1 行，更改 1 行"), std::string::npos);
  EXPECT_NE(page.find("忽略大小写"), std::string::npos);
  for (const char* colour : {"#8afb6f", "#a8ccf0", "#ff77bb"}) EXPECT_NE(page.find(colour), std::string::npos) << colour;
  // Left-out equal rows are marked where they were.
  const CliRun diffsOnly = CliIn(dir, {"diff", "--html", "--diffs-only", "--align-similar", "a.txt", "b.txt"});
  EXPECT_EQ(Count(diffsOnly.Out, "<tr class=\"gap\">"), 1u);
  EXPECT_EQ(Count(diffsOnly.Out, ">same<"), 0u);
  for (const std::string tag : {"html", "head", "title", "style", "body", "table", "tr", "td", "span"})
    EXPECT_EQ(Count(page, "<" + tag + ">") + Count(page, "<" + tag + " "), Count(page, "</" + tag + ">")) << tag;
  // A file name in another code page is shown escaped, never as bytes that are no UTF-8.
  dir.Write("\xB0\xE6.txt", "x\n");
  const CliRun gbkName = CliIn(dir, {"diff", "--html", "\xB0\xE6.txt", "b.txt"});
  EXPECT_TRUE(platform::IsValidUtf8(gbkName.Out));
  EXPECT_NE(gbkName.Out.find("\\xB0\\xE6.txt"), std::string::npos);
}

// By section, a function that only moved is a move: rows of their own kind, and no difference.
TEST(CliHtml, BySectionShowsMovesAndFallsBackToLines) {
  const std::string head = "$PBExportHeader$n_x.sru\nforward\nglobal type n_x from nonvisualobject\nend type\nend forward\n\n"
                           "global type n_x from nonvisualobject\nend type\nglobal n_x n_x\n\n";
  const std::string a = "public function integer of_a ();return 1\nend function\n\n";
  const std::string b = "public function integer of_b ();return 2\nend function\n\n";
  const std::string tail = "on n_x.create\ncall super::create\nend on\n";
  TTempDir dir;
  dir.Write("a.sru", head + a + b + tail);
  dir.Write("b.sru", head + b + a + tail);
  dir.Write("plain.txt", "hello\n");
  CliRun r = CliIn(dir, {"diff", "--html", "--by-section", "a.sru", "b.sru"});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_NE(r.Out.find("<tr class=\"v\">"), std::string::npos);
  EXPECT_NE(r.Out.find("按段比较"), std::string::npos);
  r = CliIn(dir, {"diff", "--html", "--by-section", "a.sru", "plain.txt"});
  EXPECT_EQ(r.Exit, 1);
  EXPECT_EQ(r.Err.rfind("quorvex-cli diff: compared line by line: ", 0), 0u) << r.Err;
  EXPECT_NE(r.Out.find("<tr class=\"d\">"), std::string::npos);  // the lines' page
}

// The page as a browser draws it: modified rows in ModColor, the changed words in the stronger
// shade, added lines in AddColor.
TEST(CliHtml, BrowserDrawsTheRowsInTheirColours) {
  if (std::system("command -v chromium >/dev/null 2>&1") != 0) GTEST_SKIP() << "chromium is not installed";
  TTempDir dir;
  dir.Write("a.txt", "keep\nvalue = 2005\n");
  dir.Write("b.txt", "keep\nvalue = 2017\nadded line\n");
  const CliRun r = CliIn(dir, {"diff", "--html", "a.txt", "b.txt"});
  ASSERT_EQ(r.Exit, 1) << r.Err;
  const fs::path page = dir.Write("page.html", r.Out), shot = dir.Path() / "page.png";
  Shell(dir, "chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1200,800 --screenshot=" +
                 Quote(shot.string()) + " " + Quote("file://" + page.string()));
  QImage image;
  ASSERT_TRUE(image.load(QString::fromStdString(shot.string()))) << "no screenshot";
  std::set<QRgb> seen;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) seen.insert(image.pixel(x, y) & 0xFFFFFF);
  const report::THtmlColors colours;
  for (std::uint32_t c : {colours.Mod, colours.Add, report::StrongerShade(colours.Mod)})
    EXPECT_TRUE(seen.count(qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                                static_cast<int>((c >> 16) & 0xFF)) & 0xFFFFFF))
        << report::CssColor(c);
}

// The changed words' colour is the one the desktop program derives with QColor.
TEST(HtmlShade, MatchesTheDesktopDerivation) {
  for (std::uint32_t c : {0x6FFB8Au, 0xF0CCA8u, 0xBB77FFu, 0x000000u, 0xFFFFFFu, 0x808080u, 0x203040u, 0x00FF00u,
                          0x0000FFu, 0x7F7F7Fu, 0x818181u, 0x3050F0u, 0xC0C0C0u, 0x102030u, 0x80FF80u, 0x123456u,
                          0xFEDCBAu, 0x010203u, 0x7F8081u, 0x00C0FFu}) {
    const QColor mod(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
    const QColor strong = mod.lightness() > 128 ? mod.darker(135) : mod.lighter(150);
    const std::uint32_t want = static_cast<std::uint32_t>(strong.red()) | static_cast<std::uint32_t>(strong.green()) << 8 |
                               static_cast<std::uint32_t>(strong.blue()) << 16;
    EXPECT_EQ(report::CssColor(report::StrongerShade(c)), report::CssColor(want)) << report::CssColor(c);
  }
}

}  // namespace
