// Libraries, targets, workspaces and compared texts are only ever read: every command of
// quorvex-cli and every reader leaves each file's bytes and modification time as they were, opens
// the files for reading only (the kernel's file events say how each was opened and closed), and
// works on files and folders that nobody may write.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <set>

#include "FileWatch.h"
#include "LibWriter.h"
#include "RunCli.h"
#include "compare/Pairing.h"
#include "pbl/PbFuncs.h"
#include "platform/FileSys.h"

using diff::TDiff;

using pbl::ExportEntry;
using pbl::ReadLibDirectory;
using pbl::ReadPbtLibList;
using pbl::ReadPbwTargets;
using pbl::TDirList;
using pbl::TLibStream;
using pbl::TReadReport;

using testsupport::Cli;
using testsupport::CliRun;
using testsupport::TFakeEntry;
using testsupport::TLibWriter;
using testsupport::Snap;
using testsupport::TSnapshot;
using testsupport::TTempDir;
using testsupport::TWatch;
namespace fs = std::filesystem;

namespace {

std::string Library(bool unicode, std::int32_t time, const std::string& extra) {
  TLibWriter w(unicode);
  w.BlockData = 40;  // chains of several blocks
  int root = w.AddNode({TFakeEntry{"w_main.srw", "forward\r\nglobal type w_main from window\r\nend type\r\n" + extra, time, 0},
                        TFakeEntry{"x.pbd", "compiled"}});
  int child = w.AddNode({TFakeEntry{"d_list.srd", "release 10;\r\ndatawindow()\r\n", time, 0},
                         TFakeEntry{"n_登陆.sru", "登陆\r\nglobal type n_login\r\n", 5, static_cast<std::uint16_t>(unicode ? 2 : 4)}});
  w.SetChildren(root, child, -1);
  return w.Build();
}

// Two sides of a comparison in a folder tree: a target beside its libraries, and a workspace
// whose target names libraries in a sibling folder; both texts of a text comparison.
class ReadOnly : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path root = files_.Path();
    one_ = root / "one";
    two_ = root / "two";
    main1_ = files_.Write("one/main.pbl", Library(false, 100, ""));
    shared1_ = files_.Write("one/shared.pbl", Library(false, 7, ""));
    pbt1_ = files_.Write("one/app.pbt", "Save Format v3.0(19990112)\r\nliblist \"MAIN.PBL;shared.pbl\";\r\n");
    main2_ = files_.Write("two/lib/main.pbl", Library(true, 200, "event open;\r\nend event\r\n"));
    shared2_ = files_.Write("two/lib/shared.pbl", Library(true, 7, ""));
    pbt2_ = files_.Write("two/app/app.pbt", "Save Format v3.0(19990112)\r\nliblist \"..\\\\lib\\\\main.pbl;..\\\\lib\\\\shared.pbl\";\r\n");
    pbw2_ = files_.Write("two/ws.pbw", "Save Format v3.0(19990112)\r\n@begin Targets\r\n 0 \"app\\\\app.pbt\";\r\n@end;\r\n");
    text1_ = files_.Write("one/a.txt", "line 1\r\nline 2\r\nline 3\r\n");
    text2_ = files_.Write("two/b.txt", "line 1\r\nline two\r\nline 3\r\n");
    dirs_ = {one_, two_, two_ / "lib", two_ / "app"};
    for (const auto& e : fs::recursive_directory_iterator(root))
      if (e.is_regular_file()) all_.push_back(e.path());
    // Nobody may write the files or the folders that hold them.
    for (const fs::path& f : all_) fs::permissions(f, fs::perms(0444));
    for (const fs::path& d : dirs_) fs::permissions(d, fs::perms(0555));
    fs::permissions(root, fs::perms(0555));
    fs::create_directories(out_.Path() / "export");
    fs::permissions(out_.Path(), fs::perms(0777));
    fs::permissions(out_.Path() / "export", fs::perms(0777));
    for (const fs::path& f : all_) before_[f] = Snap(f);
  }
  void TearDown() override {
    for (const fs::path& f : all_) EXPECT_EQ(Snap(f), before_[f]) << f << " changed";
    // Writable again, so that the folder can be removed.
    fs::permissions(files_.Path(), fs::perms::owner_all);
    for (const fs::path& d : dirs_) fs::permissions(d, fs::perms::owner_all);
  }

  void ExpectUnchanged() {
    for (const fs::path& f : all_) EXPECT_EQ(Snap(f), before_[f]) << f << " changed";
  }

  // quorvex-cli as a user without any right to write the files (run as "nobody" when the tests
  // run as the superuser, who could write anything).
  CliRun RunAsReader(const std::vector<std::string>& args) {
    if (::geteuid() != 0) return Cli(out_, args);
    std::string cmd = "setpriv --reuid=65534 --regid=65534 --clear-groups " + testsupport::Quote(QUORVEX_CLI);
    for (const auto& a : args) cmd += " " + testsupport::Quote(a);
    return testsupport::Shell(out_, cmd);
  }

  TTempDir files_, out_;
  fs::path one_, two_, main1_, shared1_, pbt1_, main2_, shared2_, pbt2_, pbw2_, text1_, text2_;
  std::vector<fs::path> dirs_, all_;
  std::map<fs::path, TSnapshot> before_;
};

struct TCommandCase {
  const char* Name;
  std::vector<std::string> Args;  // "@main1" and the like stand for the fixture's files
  int Exit;
  std::vector<const char*> Reads;  // files that must have been opened (and only read)
};

TEST_F(ReadOnly, EveryCliCommandOnlyReads) {
  const std::map<std::string, fs::path> files = {
      {"@main1", main1_}, {"@shared1", shared1_}, {"@pbt1", pbt1_}, {"@main2", main2_}, {"@shared2", shared2_},
      {"@pbt2", pbt2_},   {"@pbw2", pbw2_},       {"@text1", text1_}, {"@text2", text2_}};
  const std::string outDir = (out_.Path() / "export").string();
  const std::vector<TCommandCase> cases = {
      {"list", {"list", "@main1", "@main2"}, 0, {"@main1", "@main2"}},
      {"list json", {"list", "--json", "@shared2"}, 0, {"@shared2"}},
      {"export to stdout", {"export", "@main1"}, 0, {"@main1"}},
      {"export by name", {"export", "@main2", "N_登陆.SRU"}, 0, {"@main2"}},
      {"export to files", {"export", "--out", outDir, "@main2"}, 0, {"@main2"}},
      {"libs of a target and a workspace", {"libs", "@pbt1", "@pbw2"}, 0, {"@pbt1", "@pbw2", "@pbt2"}},
      {"libs as target", {"libs", "--type", "pbt", "--json", "@pbt2"}, 0, {"@pbt2"}},
      {"compare", {"compare", "@main1", "@main2"}, 1, {"@main1", "@main2"}},
      {"compare ignoring case", {"compare", "--ignore-case", "--ignore-blanks", "--json", "@shared1", "@shared2"}, 0,
       {"@shared1", "@shared2"}},
      {"compare-libs", {"compare-libs", "--objects", "@pbt1", "@pbw2"}, 1, {"@pbt1", "@pbw2", "@pbt2", "@main1", "@main2"}},
      {"compare-libs of libraries", {"compare-libs", "--json", "@main1", "@main2"}, 1, {"@main1", "@main2"}},
      {"diff", {"diff", "@text1", "@text2"}, 1, {"@text1", "@text2"}},
      {"diff of one file", {"diff", "--diffs-only", "@text1", "@text1"}, 0, {"@text1"}},
  };
  TWatch watch(dirs_);
  for (const TCommandCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<std::string> args;
    for (const std::string& a : c.Args) args.push_back(files.count(a) ? files.at(a).string() : a);
    CliRun r = RunAsReader(args);
    EXPECT_EQ(r.Exit, c.Exit) << r.Err;
    testsupport::TFileEvents events = watch.Take();
    EXPECT_EQ(events.Changes, std::vector<std::string>());
    for (const char* f : c.Reads) EXPECT_TRUE(events.Read.count(files.at(f))) << f << " was not read";
    ExpectUnchanged();
  }
  EXPECT_TRUE(fs::exists(out_.Path() / "export" / "n_登陆.sru"));
}

TEST_F(ReadOnly, TheReadersOnlyRead) {
  TWatch watch(dirs_);
  for (const fs::path& lib : {main1_, main2_}) {
    TLibStream stream(lib);
    TDirList list;
    TReadReport report;
    ReadLibDirectory(stream, list, &report);
    EXPECT_TRUE(report.Clean()) << report.Describe();
    ASSERT_EQ(list.size(), 3u);
    for (const auto& item : list) {
      std::vector<std::string> lines;
      ExportEntry(stream, *item.Rec, lines, &report);
      EXPECT_FALSE(lines.empty());
    }
  }
  std::vector<fs::path> libs;
  ReadPbtLibList(pbt1_, libs);
  ReadPbwTargets(pbw2_, libs);
  EXPECT_EQ(libs.size(), 4u);
  sides::TSideReport problems;
  TLibSelection side1 = CollectLibFiles({pbt1_}, sides::ftTarget, problems);
  TLibSelection side2 = CollectLibFiles({pbw2_}, sides::ftWorkspace, problems);
  EXPECT_TRUE(problems.Empty());
  TDiff diff;
  TObjectCheck check;
  check.Diff = &diff;
  TCompareCounts counts;
  CompareLibraries(side1, side2, counts, check);
  EXPECT_EQ(counts.Changed, 1);
  testsupport::TFileEvents events = watch.Take();
  EXPECT_EQ(events.Changes, std::vector<std::string>());
  for (const fs::path& f : {main1_, main2_, pbt1_, pbw2_, pbt2_}) EXPECT_TRUE(events.Read.count(f)) << f << " was not read";
  ExpectUnchanged();
}

// The one place libraries are opened: the descriptor it holds allows reading and nothing else.
TEST_F(ReadOnly, TheFileStreamOpensForReadingOnly) {
  TLibStream stream(main1_);
  EXPECT_EQ(testsupport::OpenForWriting({main1_}), std::vector<fs::path>());
  // The check sees a descriptor that may write.
  int fd = ::open(out_.Path().c_str(), O_TMPFILE | O_RDWR, 0600);
  ASSERT_GE(fd, 0);
  fs::path tmp = fs::read_symlink("/proc/self/fd/" + std::to_string(fd));
  EXPECT_EQ(testsupport::OpenForWriting({tmp}), std::vector<fs::path>({tmp}));
  ::close(fd);
  char byte = 0;
  EXPECT_EQ(stream.ReadAt(0, &byte, 1), 1u);
}

}  // namespace
