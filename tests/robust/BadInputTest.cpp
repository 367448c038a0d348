// The bad inputs of doc/bad-input.md's catalogue, each as the user meets it: what quorvex-cli prints
// and its exit status, and what the readers under the views raise or report.
#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "LibWriter.h"
#include "RunCli.h"
#include "app/Settings.h"
#include "compare/Rows.h"
#include "pbl/PbFuncs.h"
#include "platform/FileSys.h"

using pbl::ExportEntry;
using pbl::ReadLibDirectory;
using pbl::ReadPbtLibList;
using pbl::TDirList;
using pbl::TLibStream;
using pbl::TReadProblem;
using pbl::TReadReport;

using testsupport::Cli;
using testsupport::CliRun;
using testsupport::PutI32;
using testsupport::TFakeEntry;
using testsupport::TLibWriter;
using testsupport::TTempDir;
using app::ReadSettings;
using app::TIniFile;
using app::TSettings;
using app::WriteSettings;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

// A library of three entries in two nodes, with chains of several blocks.
struct TSample {
  TLibWriter Writer{false};
  std::string Bytes;
  TSample() {
    Writer.BlockData = 40;
    int root = Writer.AddNode({TFakeEntry{"w_main.srw", "global type w_main from window\r\nend type\r\nevent open;\r\nend event\r\n", 10, 0},
                               TFakeEntry{"d_list.srd", "release 10;\r\ndatawindow(units=0)\r\n", 20, 0}});
    int child = Writer.AddNode({TFakeEntry{"n_cst.sru", "global type n_cst from nonvisualobject\r\nend type\r\n", 30, 0}});
    Writer.SetChildren(root, child, -1);
    Bytes = Writer.Build();
  }
  std::int64_t Node(int n) const { return Writer.NodeOffsets[n]; }
  std::int64_t Data(int n, int e) const { return Writer.DataOffsets[n][e]; }
};

// Runs `body` in a child process that has given up the superuser's rights (the rights a file's
// permissions are checked against); its exit status is the result.
int AsNobody(const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(100);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class BadInput : public ::testing::Test {
 protected:
  void SetUp() override { fs::permissions(dir_.Path(), fs::perms(0755)); }
  fs::path Write(const std::string& name, const std::string& bytes) { return dir_.Write(name, bytes); }
  std::string P(const std::string& name) const { return (dir_.Path() / name).string(); }

  // quorvex-cli as an ordinary user (the superuser may read any file).
  CliRun CliAsUser(const std::vector<std::string>& args) {
    if (::geteuid() != 0) return Cli(dir_, args);
    std::string cmd = "setpriv --reuid=65534 --regid=65534 --clear-groups " + testsupport::Quote(QUORVEX_CLI);
    for (const auto& a : args) cmd += " " + testsupport::Quote(a);
    return testsupport::Shell(dir_, cmd);
  }

  TTempDir dir_;
  TSample sample_;
};

struct TCliCase {
  const char* Name;
  std::vector<std::string> Args;  // "@x" is the file x of the test folder
  int Exit;
  std::string Err;  // the whole of stderr, "@x" again standing for a path
  std::string OutStart;
};

std::string Expand(const std::string& text, const fs::path& dir) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '@') {
      out += text[i];
      continue;
    }
    std::size_t end = text.find_first_of(" :\"\n", i);
    if (end == std::string::npos) end = text.size();
    out += (dir / text.substr(i + 1, end - i - 1)).string();
    i = end - 1;
  }
  return out;
}

TEST_F(BadInput, CliNamesTheFileAndWhatItFound) {
  const std::string& good = sample_.Bytes;
  Write("notalib.pbl", "this is a text file, not a library\r\n");
  Write("empty.pbl", "");
  // Cut inside the second entry record of the root node: the first entry survives, the child
  // node lies past the end.
  Write("cutdir.pbl", good.substr(0, static_cast<std::size_t>(sample_.Writer.EntryOffsets[0][1]) + 10));
  // Cut after the directory: the entries are listed, their texts are gone.
  Write("cutdata.pbl", good.substr(0, static_cast<std::size_t>(sample_.Data(0, 0)) + 20));
  std::string loop = good;
  PutI32(loop, static_cast<std::size_t>(sample_.Node(1) + 4), static_cast<std::int32_t>(sample_.Node(0)));
  Write("loop.pbl", loop);
  std::string chain = good;
  PutI32(chain, static_cast<std::size_t>(sample_.Data(1, 0) + 4), static_cast<std::int32_t>(sample_.Data(1, 0)));
  Write("chain.pbl", chain);
  Write("good.pbl", good);
  Write("app.pbt", "Save Format v3.0(19990112)\r\nliblist \"good.pbl;gone.pbl;sub\\\\gone2.pbl\";\r\n");
  Write("ws.pbw", "Save Format v3.0(19990112)\r\n@begin Targets\r\n 0 \"app.pbt\";\r\n 1 \"lost\\\\lost.pbt\";\r\n@end;\r\n");
  fs::create_directory(dir_.Path() / "folder");
  ASSERT_EQ(::mkfifo(P("fifo.pbl").c_str(), 0644), 0);

  const std::vector<TCliCase> cases = {
      {"not a library", {"list", "@notalib.pbl"}, 1,
       "warning: @notalib.pbl: no library header; offset out of range at offset 1536\n", ""},
      {"empty file", {"export", "@empty.pbl"}, 1,
       "warning: @empty.pbl: no library header; offset out of range at offset 1536\n", ""},
      {"directory cut short", {"list", "@cutdir.pbl"}, 1,
       "warning: @cutdir.pbl: truncated at offset " + std::to_string(sample_.Writer.EntryOffsets[0][1]) +
           "; offset out of range at offset " + std::to_string(sample_.Node(1)) + "\n",
       "w_main.srw\t"},
      {"entry data cut short", {"export", "@cutdata.pbl", "n_cst.sru"}, 1,
       "warning: @cutdata.pbl: n_cst.sru: offset out of range at offset " + std::to_string(sample_.Data(1, 0)) + "\n",
       "$PBExportHeader$n_cst.sru\n"},
      {"directory loop", {"list", "@loop.pbl"}, 1,
       "warning: @loop.pbl: directory node read twice at offset " + std::to_string(sample_.Node(0)) + "\n",
       "w_main.srw\t"},
      {"block chain loop", {"export", "@chain.pbl", "n_cst.sru"}, 1,
       "warning: @chain.pbl: n_cst.sru: block chain loops at offset " + std::to_string(sample_.Data(1, 0)) + "\n",
       "$PBExportHeader$n_cst.sru\nglobal type n_cst from nonvisu"},
      {"damaged library in a comparison", {"compare", "@good.pbl", "@loop.pbl"}, 1,
       "warning: @loop.pbl: directory node read twice at offset " + std::to_string(sample_.Node(0)) + "\n", ""},
      {"missing library", {"list", "@none.pbl"}, 2, "quorvex-cli list: @none.pbl: no such file\n", ""},
      {"folder without libraries", {"list", "@folder"}, 1, "warning: @folder holds no library\n", ""},
      {"pipe as library", {"list", "@fifo.pbl"}, 2,
       "quorvex-cli list: Cannot open file \"@fifo.pbl\". Not a regular file\n", ""},
      {"target naming missing libraries", {"libs", "@app.pbt"}, 1,
       "@gone.pbl does not exist\n@sub/gone2.pbl does not exist\n", "good.pbl\t"},
      {"workspace naming a missing target", {"compare-libs", "@ws.pbw", "@good.pbl"}, 2,
       // The missing target ends the reading before the libraries are looked for.
       "quorvex-cli compare-libs: Cannot open file \"@lost/lost.pbt\". No such file or directory\n",
       ""},
      {"missing target", {"compare-libs", "@good.pbl", "@none.pbt"}, 2,
       "quorvex-cli compare-libs: @none.pbt: no such file\n", ""},
      {"missing text", {"diff", "@none.txt", "@good.pbl"}, 2, "quorvex-cli diff: @none.txt: no such file\n", ""},
      {"name past the system's limit", {"compare-libs", "@" + std::string(300, 'n') + ".pbl", "@good.pbl"}, 2,
       "quorvex-cli compare-libs: @" + std::string(300, 'n') + ".pbl: the name is too long\n", ""},
  };
  for (const TCliCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<std::string> args;
    for (const std::string& a : c.Args) args.push_back(Expand(a, dir_.Path()));
    CliRun r = Cli(dir_, args);
    EXPECT_EQ(r.Exit, c.Exit);
    EXPECT_EQ(r.Err, Expand(c.Err, dir_.Path()));
    EXPECT_EQ(r.Out.substr(0, c.OutStart.size()), c.OutStart);
  }
}

TEST_F(BadInput, UnreadableFilesAreNamedWithTheReason) {
  fs::path lib = Write("secret.pbl", sample_.Bytes);
  fs::path target = Write("secret.pbt", "liblist \"secret.pbl\";\r\n");
  fs::path text = Write("secret.txt", "a\r\n");
  for (const fs::path& f : {lib, target, text}) fs::permissions(f, fs::perms::none);
  struct {
    std::vector<std::string> Args;
    std::string Err;
  } cases[] = {
      {{"list", lib.string()}, "quorvex-cli list: Cannot open file \"" + lib.string() + "\". Permission denied\n"},
      {{"libs", target.string()}, "quorvex-cli libs: Cannot open file \"" + target.string() + "\". Permission denied\n"},
      {{"diff", text.string(), text.string()},
       "quorvex-cli diff: Cannot open file \"" + text.string() + "\". Permission denied\n"},
  };
  for (const auto& c : cases) {
    CliRun r = CliAsUser(c.Args);
    EXPECT_EQ(r.Exit, 2) << c.Args[0];
    EXPECT_EQ(r.Err, c.Err);
  }
  // The readers raise the file error the views show.
  EXPECT_EQ(AsNobody([&] {
              try {
                TLibStream stream(lib);
              } catch (const platform::TFileError& e) {
                return std::string(e.what()).find("Permission denied") != std::string::npos ? 0 : 1;
              }
              return 2;
            }),
            0);
  EXPECT_EQ(AsNobody([&] {
              std::vector<fs::path> list;
              try {
                ReadPbtLibList(target, list);
              } catch (const platform::TFileError&) {
                return 0;
              }
              return 2;
            }),
            0);
}

// Another program rewrites or truncates a library while it is open: the next read reports what
// the file now holds.
TEST_F(BadInput, LibraryCutWhileOpenReportsOnTheNextRead) {
  fs::path lib = Write("busy.pbl", sample_.Bytes);
  TLibStream stream(lib);
  TDirList list;
  TReadReport report;
  ReadLibDirectory(stream, list, &report);
  ASSERT_EQ(list.size(), 3u);
  ASSERT_TRUE(report.Clean());

  fs::resize_file(lib, static_cast<std::uintmax_t>(sample_.Data(0, 0)));
  std::vector<std::string> lines;
  ExportEntry(stream, *list[0].Rec, lines, &report);
  EXPECT_EQ(lines, std::vector<std::string>{"$PBExportHeader$w_main.srw"});
  EXPECT_FALSE(report.Clean());

  // Another program rewrites the file in place (the program's own saves replace it instead).
  std::ofstream(lib, std::ios::binary | std::ios::trunc) << "not a library any more";
  TDirList again;
  TReadReport second;
  ReadLibDirectory(stream, again, &second);
  EXPECT_TRUE(again.empty());
  ASSERT_FALSE(second.Clean());
  EXPECT_EQ(second.Issues[0].Kind, TReadProblem::NoHeader);
}

// Binary files in the text comparison are text like any other: every byte is kept, NUL and
// control bytes included, and the lines are cut at the line breaks they happen to hold.
TEST_F(BadInput, BinaryFilesAreComparedByteForByte) {
  std::string bin1, bin2;
  for (int i = 0; i < 1024; ++i) bin1 += static_cast<char>(i * 37 % 256);
  bin2 = bin1;
  bin2[700] = '\0';
  fs::path f1 = Write("one.bin", bin1), f2 = Write("two.bin", bin2);
  platform::TTextEncoding enc;
  std::vector<std::string> lines = LoadSourceLines(f1, &enc);
  EXPECT_EQ(enc, platform::TTextEncoding::CodePage);
  std::size_t kept = 0;
  for (const auto& l : lines) kept += l.size();
  EXPECT_EQ(kept, bin1.size() - static_cast<std::size_t>(std::count_if(bin1.begin(), bin1.end(),
                                                                        [](char c) { return c == '\r' || c == '\n'; })));
  EXPECT_NE(lines[0].find('\0'), std::string::npos);

  CliRun same = Cli(dir_, {"diff", f1.string(), f1.string()});
  EXPECT_EQ(same.Exit, 0) << same.Err;
  CliRun r = Cli(dir_, {"diff", f1.string(), f2.string()});
  EXPECT_EQ(r.Exit, 1) << r.Err;
  EXPECT_TRUE(r.Err.empty()) << r.Err;
  EXPECT_NE(r.Out.find("Lines modified at "), std::string::npos);
}

// The settings folder may not be written: reading gives the stored values, the first write raises
// "Unable to write to" and the full path, which the main window shows before it stays open.
TEST_F(BadInput, SettingsInAFolderNobodyMayWrite) {
  fs::create_directory(dir_.Path() / "config");
  fs::path ini = Write("config/quorvex.ini", "[Options]\nFont.size=14\n");
  fs::permissions(ini, fs::perms(0444));
  fs::permissions(dir_.Path() / "config", fs::perms(0555));
  EXPECT_EQ(AsNobody([&] {
              TIniFile file(ini);
              TSettings s = ReadSettings(file);
              if (s.FontSize != 14) return 1;
              try {
                WriteSettings(file, s, true);
              } catch (const platform::TFileError& e) {
                return std::string(e.what()) == "Unable to write to " + ini.string() ? 0 : 3;
              }
              return 2;
            }),
            0);
  EXPECT_EQ(AsNobody([&] {
              TIniFile file(dir_.Path() / "config" / "new.ini");
              try {
                WriteSettings(file, TSettings{}, true);
              } catch (const platform::TFileError&) {
                return fs::exists(file.FileName()) ? 1 : 0;
              }
              return 2;
            }),
            0);
  fs::permissions(dir_.Path() / "config", fs::perms::owner_all);
}

}  // namespace
