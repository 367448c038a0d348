// quorvex-cli run as a user runs it: output, files written, exit codes and messages.
#include <gtest/gtest.h>

#include "LibWriter.h"
#include "RunCli.h"
#include "platform/FileSys.h"

using testsupport::TFakeEntry;
using testsupport::TLibWriter;
using testsupport::TTempDir;
using testsupport::Cli;
using testsupport::CliRun;
namespace fs = std::filesystem;

namespace {

std::string SampleLibrary(bool unicode) {
  TLibWriter w(unicode);
  w.AddNode({TFakeEntry{"w_登陆.srw", "登陆窗口\r\nglobal type w_login\r\n", 0, static_cast<std::uint16_t>(unicode ? 4 : 8)},
             TFakeEntry{"x.pbd", "binary"}, TFakeEntry{"d_list.srd", "release 9;", 86400, 0}});
  return w.Build();
}

TEST(Cli, ListPrintsOneTabSeparatedLinePerSourceEntry) {
  TTempDir dir;
  fs::path lib = dir.Write("a.pbl", SampleLibrary(true));
  CliRun r = Cli(dir, {"list", lib.string()});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(r.Out, "w_登陆.srw\t54\t1970-01-01 08:00:00\t4\nd_list.srd\t20\t1970-01-02 08:00:00\t0\n");

  fs::path lib2 = dir.Write("b.pbl", SampleLibrary(false));
  r = Cli(dir, {"list", lib.string(), lib2.string()});
  EXPECT_EQ(r.Out.rfind("== " + lib.string() + "\n", 0), 0u);
  EXPECT_NE(r.Out.find("== " + lib2.string() + "\nw_登陆.srw\t31\t"), std::string::npos);
}

TEST(Cli, ListAsJson) {
  TTempDir dir;
  fs::path lib = dir.Write("a.pbl", SampleLibrary(false));
  CliRun r = Cli(dir, {"list", "--json", lib.string()});
  EXPECT_EQ(r.Exit, 0);
  EXPECT_EQ(r.Out.front(), '[');
  EXPECT_NE(r.Out.find("\"name\": \"w_登陆.srw\", \"key\": \"ww_登陆\", \"size\": 31, \"time\": \"1970-01-01 08:00:00\", \"commentLength\": 8"),
            std::string::npos)
      << r.Out;
  EXPECT_EQ(r.Out.substr(r.Out.size() - 2), "]\n");
}

TEST(Cli, ExportToStdoutAndToFiles) {
  TTempDir dir;
  fs::path lib = dir.Write("a.pbl", SampleLibrary(true));
  CliRun r = Cli(dir, {"export", lib.string(), "D_LIST.SRD"});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(r.Out, "$PBExportHeader$d_list.srd\nrelease 9;\n");

  r = Cli(dir, {"export", "--out", (dir.Path() / "out").string(), lib.string()});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(platform::ReadFileBytes(dir.Path() / "out" / "w_登陆.srw"),
            "$PBExportHeader$w_登陆.srw\r\n$PBExportComments$登陆窗口\r\n\r\nglobal type w_login\r\n");
  EXPECT_TRUE(fs::exists(dir.Path() / "out" / "d_list.srd"));
  EXPECT_FALSE(fs::exists(dir.Path() / "out" / "x.pbd"));
}

TEST(Cli, ExportedFileNamesStayInTheOutputFolder) {
  TTempDir dir;
  TLibWriter w(false);
  w.AddNode({TFakeEntry{"../../evil.srw", "x"}});
  fs::path lib = dir.Write("a.pbl", w.Build());
  CliRun r = Cli(dir, {"export", "--out", (dir.Path() / "out").string(), lib.string()});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_TRUE(fs::exists(dir.Path() / "out" / ".._.._evil.srw"));
  EXPECT_FALSE(fs::exists(dir.Path() / "evil.srw"));
}

TEST(Cli, BadArgumentsExitWithTwoAndNameTheFile) {
  TTempDir dir;
  CliRun r = Cli(dir, {"list", (dir.Path() / "none.pbl").string()});
  EXPECT_EQ(r.Exit, 2);
  EXPECT_NE(r.Err.find("none.pbl"), std::string::npos);
  EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1);

  fs::path lib = dir.Write("a.pbl", SampleLibrary(false));
  r = Cli(dir, {"export", lib.string(), "w_none.srw"});
  EXPECT_EQ(r.Exit, 2);
  EXPECT_NE(r.Err.find("w_none.srw"), std::string::npos);

  EXPECT_EQ(Cli(dir, {"list", "--bogus", lib.string()}).Exit, 2);
  EXPECT_EQ(Cli(dir, {"frobnicate"}).Exit, 2);
  EXPECT_EQ(Cli(dir, {"libs", "--type", "exe", lib.string()}).Exit, 2);
}

TEST(Cli, DamagedLibraryIsListedAsFarAsItReadsWithAWarning) {
  TTempDir dir;
  std::string bytes = SampleLibrary(false);
  fs::path lib = dir.Write("cut.pbl", bytes.substr(0, 1024 + 32 + 24 + 12 + 30));
  CliRun r = Cli(dir, {"list", lib.string()});
  EXPECT_EQ(r.Exit, 1);
  EXPECT_EQ(r.Out, "w_登陆.srw\t31\t1970-01-01 08:00:00\t8\n");
  EXPECT_NE(r.Err.find("truncated"), std::string::npos) << r.Err;
}

TEST(Cli, LibsExpandsTargetsAndReportsMissingLibraries) {
  TTempDir dir;
  dir.Write("app/one.pbl", "12345");
  fs::path target = dir.Write("app/app.pbt", "LIBLIST \"one.pbl;two.pbl\";\r\n");
  CliRun r = Cli(dir, {"libs", target.string()});
  EXPECT_EQ(r.Exit, 1);
  EXPECT_EQ(r.Out.substr(0, r.Out.find('\t', r.Out.find('\t') + 1)), "one.pbl\t" + (dir.Path() / "app/one.pbl").string());
  EXPECT_NE(r.Out.find("\t5\t"), std::string::npos);
  EXPECT_EQ(r.Err, (dir.Path() / "app/two.pbl").string() + " does not exist\n");

  r = Cli(dir, {"libs", "--json", "--type", "pbl", (dir.Path() / "app/one.pbl").string()});
  EXPECT_EQ(r.Exit, 0);
  EXPECT_NE(r.Out.find("\"name\": \"one.pbl\""), std::string::npos);

  EXPECT_EQ(Cli(dir, {"libs", (dir.Path() / "none.pbw").string()}).Exit, 2);
}

TEST(Cli, CodePageOptionHoldsForEveryCommand) {
  TTempDir dir;
  // "©" written in code page 1252 and in UTF-8: the same text only when read in 1252.
  fs::path a = dir.Write("a.txt", "\xA9 2003\r\n"), b = dir.Write("b.txt", "© 2003\r\n");
  EXPECT_EQ(Cli(dir, {"diff", a.string(), b.string()}).Exit, 1);
  EXPECT_EQ(Cli(dir, {"diff", "--codepage", "1252", a.string(), b.string()}).Exit, 0);
  EXPECT_EQ(Cli(dir, {"diff", a.string(), b.string(), "--codepage=1252"}).Exit, 0);
  // A target in Big5 naming 系統\sys.pbl.
  dir.Write("系統/sys.pbl", "12345");
  fs::path target = dir.Write("app.pbt", "LIBLIST \"\xA8\x74\xB2\xCE\\\\sys.pbl\";\r\n");
  CliRun r = Cli(dir, {"libs", "--codepage", "950", target.string()});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(r.Out.substr(0, 8), "sys.pbl\t");
  if (!testsupport::TestDataDir().empty()) {
    r = Cli(dir, {"export", "--codepage", "1252", (testsupport::TestDataDir() / "pfcmsg-pb9-8bit.pbl").string(), "pfcmsg.sra"});
    EXPECT_EQ(r.Exit, 0) << r.Err;
    EXPECT_NE(r.Out.find("Copyright © 1996"), std::string::npos);
  }
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"diff", "--codepage", "1234", a.string(), b.string()},
           {"list", "--codepage=utf8", a.string()},
           {"list", a.string(), "--codepage"}}) {
    r = Cli(dir, bad);
    EXPECT_EQ(r.Exit, 2) << bad[1];
    EXPECT_NE(r.Err.find("--codepage"), std::string::npos) << r.Err;
  }
}

TEST(Cli, ControlCharactersInNamesNeverReachTheTerminal) {
  TTempDir dir;
  TLibWriter w(false);
  // ESC [2J clears a terminal; DEL and U+0085 (a C1 control) are controls too.
  w.AddNode({TFakeEntry{"\x1b[2Jw\tx\x7f\u0085.srw", "a\x1b\tb"}});
  fs::path lib = dir.Write("a.pbl", w.Build());
  auto raw = [](const std::string& s) {
    return s.find_first_of("\x1b\x7f") != std::string::npos || s.find("\u0085") != std::string::npos;
  };
  CliRun r = Cli(dir, {"list", lib.string()});
  EXPECT_EQ(r.Out.substr(0, r.Out.find('\t')), "\\x1b[2Jw\\x09x\\x7f\\u0085.srw");
  r = Cli(dir, {"list", "--json", lib.string()});
  EXPECT_NE(r.Out.find("\"name\": \"\\u001b[2Jw\\tx\\u007f\\u0085.srw\""), std::string::npos) << r.Out;
  // The text of an export is data: to a pipe or a file it goes as the object holds it; only a
  // terminal sees it escaped (tabs kept).
  r = Cli(dir, {"export", lib.string()});
  EXPECT_EQ(r.Out, "$PBExportHeader$\x1b[2Jw\tx\x7f\u0085.srw\na\x1b\tb\n");
  if (std::system("command -v script >/dev/null 2>&1") == 0) {
    const CliRun tty = testsupport::Shell(
        dir, "script -qec " + testsupport::Quote(testsupport::Quote(QUORVEX_CLI) + " export " + testsupport::Quote(lib.string())) + " /dev/null");
    EXPECT_NE(tty.Out.find("$PBExportHeader$\\x1b[2Jw\tx\\x7f\\u0085.srw"), std::string::npos) << tty.Out;
    EXPECT_NE(tty.Out.find("a\\x1b\tb"), std::string::npos) << tty.Out;
    EXPECT_FALSE(raw(tty.Out));
  }
  r = Cli(dir, {"export", lib.string(), "\x1b[2J"});
  EXPECT_EQ(r.Exit, 2);
  EXPECT_NE(r.Err.find("no entry named \\x1b[2J"), std::string::npos) << r.Err;
  for (const CliRun& run : {r, Cli(dir, {"list", lib.string()})}) {
    EXPECT_FALSE(raw(run.Out));
    EXPECT_FALSE(raw(run.Err));
  }
}

TEST(Cli, HelpForEveryCommand) {
  TTempDir dir;
  for (const char* c : {"list", "export", "libs"}) {
    CliRun r = Cli(dir, {c, "--help"});
    EXPECT_EQ(r.Exit, 0);
    EXPECT_EQ(r.Out.rfind(std::string("usage: quorvex-cli ") + c, 0), 0u);
  }
  EXPECT_NE(Cli(dir, {"--help"}).Out.find("commands:"), std::string::npos);
  const CliRun version = Cli(dir, {"--version"});
  EXPECT_EQ(version.Exit, 0);
  EXPECT_EQ(version.Out.rfind("quorvex-cli ", 0), 0u);
}

}  // namespace
