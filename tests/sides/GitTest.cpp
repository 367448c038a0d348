// Sides in git revisions: a repository made here with two commits, read through git as folder
// libraries, library files and targets of each revision, paired with each other and with the work
// tree; bad revisions and paths; and the repository left exactly as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <map>

#include "LibWriter.h"
#include "RunCli.h"
#include "compare/Pairing.h"
#include "sides/Collect.h"
#include "sides/GitTree.h"

using diff::TDiff;

using pbl::PbTimeToDateTime;
using pbl::TDirList;

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

class GitSides : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("git --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "git is not installed";
    repo_ = dir_.Path() / "repo";
    fs::create_directories(repo_);
    Git("init -q");
    // Release 1: a solution library folder, a library file and the target naming both.
    dir_.Write("repo/src/lib1.pbl/w_a.srw", "\xEF\xBB\xBF$PBExportHeader$w_a.srw\nglobal type w_a from window\nend type\n");
    dir_.Write("repo/src/lib1.pbl/n_b.sru", "\xEF\xBB\xBF$PBExportHeader$n_b.sru\n$PBExportComments$Helper\nx\n");
    dir_.Write("repo/src/lib2.pbl", Library({{"f_x.srf", "global function f_x\r\n", 100}}));
    dir_.Write("repo/src/app.pbt", "LIBLIST \"LIB1.PBL;lib2.pbl;gone.pbl\";\r\n");
    Commit("2024-01-02T03:04:05+00:00");
    // Release 2: one object changed, one removed, one added; the library file as it was.
    dir_.Write("repo/src/lib1.pbl/w_a.srw", "\xEF\xBB\xBF$PBExportHeader$w_a.srw\nglobal type w_a from window\nint i\nend type\n");
    fs::remove(repo_ / "src/lib1.pbl/n_b.sru");
    dir_.Write("repo/src/lib1.pbl/d_c.srd", "\xEF\xBB\xBF$PBExportHeader$d_c.srd\nrelease 12.5;\n");
    Commit("2024-02-03T04:05:06+00:00");
  }

  void Git(const std::string& args) {
    std::string cmd = "cd " + testsupport::Quote(repo_.string()) +
                      " && git -c user.name=Tester -c user.email=tester@example.com " + args + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  }
  void Commit(const std::string& date) { Git("add -A && GIT_COMMITTER_DATE=" + date + " git -c user.name=T -c user.email=t@example.com commit -q -m r"); }

  TLibSelection Side(const std::string& side, sides::TSideReport& report, const fs::path& repo = {}) {
    sides::TSideCollector collector(repo.empty() ? repo_ : repo);
    return collector.Collect({fs::path(side)}, sides::ftAuto, report);
  }

  // Every file under the repository (or `root`) with its size, time and bytes.
  std::map<std::string, std::string> Snapshot(const fs::path& root = {}) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root.empty() ? repo_ : root)) {
      struct stat st {};
      ::lstat(e.path().c_str(), &st);
      std::string state = std::to_string(st.st_size) + "@" + std::to_string(st.st_mtim.tv_sec) + "." +
                          std::to_string(st.st_mtim.tv_nsec);
      if (e.is_regular_file()) state += ":" + platform::ReadFileBytes(e.path());
      files[e.path().string()] = state;
    }
    return files;
  }

  TTempDir dir_;
  fs::path repo_;
};

std::string Names(const TLibSelection& sel) {
  std::string s;
  for (const auto& item : sel) s += item.Key + "=" + sides::LibraryLocation(*item.Rec) + " ";
  return s;
}

TEST_F(GitSides, RevisionsAreSidesOfEveryKind) {
  const auto before = Snapshot();
  sides::TSideReport report;
  TLibSelection old = Side("git:HEAD~1:src", report), now = Side("git:HEAD:src", report);
  // A folder's library files first, then its folders.
  EXPECT_EQ(Names(old), "lib2.pbl=git:HEAD~1:src/lib2.pbl lib1.pbl=git:HEAD~1:src/lib1.pbl ");
  ASSERT_EQ(now.size(), 2u);
  EXPECT_EQ(sides::KindOf(*now[0].Rec), sides::TLibKind::RevisionFile);
  EXPECT_EQ(sides::KindOf(*now[1].Rec), sides::TLibKind::RevisionFolder);
  EXPECT_EQ(platform::FormatDateTime(now[1].Rec->Time), platform::FormatDateTime(platform::LocalFromUnixTime(1706933106)));
  EXPECT_TRUE(report.Empty()) << sides::TSideReport::Describe(report.Problems()[0]);

  // A target of a revision names libraries of that revision, found without regard to case.
  TLibSelection byTarget = Side("git:HEAD~1:src/app.pbt", report);
  EXPECT_EQ(Names(byTarget), "lib1.pbl=git:HEAD~1:src/lib1.pbl lib2.pbl=git:HEAD~1:src/lib2.pbl ");
  ASSERT_EQ(report.Problems().size(), 1u);
  EXPECT_EQ(sides::TSideReport::Describe(report.Problems()[0]), "git:HEAD~1:src/gone.pbl does not exist");

  // The objects of a revision: key, size, time and comment.
  auto lib = sides::OpenLibrary(*old[1].Rec);
  TDirList objects;
  lib->ReadDirectory(objects);
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[0].Key, "un_b");
  EXPECT_EQ(objects[0].Rec->CommentLen, 6);
  EXPECT_EQ(platform::FormatDateTime(PbTimeToDateTime(objects[0].Rec->Time)),
            platform::FormatDateTime(platform::LocalFromUnixTime(1704164645)));

  // Two revisions pair by objects; the library file, the same in both, is the same.
  TDiff diff;
  TObjectCheck check;
  check.Diff = &diff;
  TCompareCounts counts;
  const TPairing pairs = CompareLibraries(old, now, counts, check);
  EXPECT_EQ(Names(old), "lib1.pbl=git:HEAD~1:src/lib1.pbl lib2.pbl=git:HEAD~1:src/lib2.pbl ");  // sorted by name
  EXPECT_EQ(pairs[0].Result, crChanged);
  EXPECT_EQ(pairs[1].Result, crSame);
  EXPECT_EQ(Snapshot(), before);  // nothing of the repository was written

  // A revision opposite the work tree: line ends and byte-order marks are no change.
  dir_.Write("repo/src/lib1.pbl/w_a.srw", "$PBExportHeader$w_a.srw\r\nglobal type w_a from window\r\nint i\r\nend type");
  sides::TSideReport diskReport;
  TLibSelection disk = CollectLibFiles({repo_ / "src"}, sides::ftAuto, diskReport);
  now = Side("git:HEAD:src", report);
  CompareLibraries(now, disk, counts, check);
  EXPECT_EQ(counts.Changed, 0);
  EXPECT_EQ(counts.Added + counts.Deleted, 0);
}

// A path is listed with what lies below it; asking for a folder above it later lists each item
// once all the same.
TEST_F(GitSides, EachPathIsListedOnceWhateverTheOrderAsked) {
  auto rev = sides::TGitRevision::Open(repo_, "HEAD");
  ASSERT_TRUE(rev->Stat("src/lib1.pbl/w_a.srw"));
  ASSERT_TRUE(rev->Stat("src/lib1.pbl"));
  ASSERT_TRUE(rev->List(""));
  auto names = [&](const char* dir) {
    std::string s;
    for (const auto& item : rev->List(dir)->Items()) s += item.Name + " ";
    return s;
  };
  EXPECT_EQ(names("src/lib1.pbl"), "d_c.srd w_a.srw ");
  EXPECT_EQ(names("src"), "app.pbt lib1.pbl lib2.pbl ");
  EXPECT_EQ(names(""), "src ");
}

// Objects asked for ahead are answered to the reads that come, in whatever order they come:
// twice asked, never asked, missing, and more than git is given at once.
TEST_F(GitSides, ObjectsReadAheadAnswerEveryRead) {
  auto rev = sides::TGitRevision::Open(repo_, "HEAD~1");
  const std::string a = rev->Stat("src/lib1.pbl/w_a.srw")->Id, b = rev->Stat("src/lib1.pbl/n_b.sru")->Id,
                    c = rev->Stat("src/app.pbt")->Id, missing(a.size(), '0');
  sides::TGitObjects objects(repo_ / "src");
  auto bytes = [&](const std::string& id) {
    auto object = objects.Read(id);
    return object ? object->Bytes.substr(0, 20) : std::string("(missing)");
  };
  const std::string aBytes = bytes(a), bBytes = bytes(b), cBytes = bytes(c);
  for (const std::string& id : {a, b, a, missing}) objects.ReadAhead(id);
  const std::pair<std::string, std::string> reads[] = {{b, bBytes}, {c, cBytes}, {a, aBytes},
                                                       {missing, "(missing)"}, {a, aBytes}, {b, bBytes}};
  for (const auto& [id, expected] : reads) EXPECT_EQ(bytes(id), expected) << id;
  for (int i = 0; i < 300; ++i) objects.ReadAhead(i % 2 ? a : c);
  for (int i = 0; i < 300; ++i) ASSERT_EQ(bytes(i % 2 ? a : c), i % 2 ? aBytes : cBytes) << i;
  EXPECT_NE(aBytes, cBytes);
}

TEST_F(GitSides, BadRevisionsPathsAndRepositoriesAreNamed) {
  sides::TSideReport report;
  struct {
    std::string Side;
    fs::path Folder;
    std::string Message;
  } errors[] = {
      {"git:nosuch:src", repo_, "git:nosuch: no revision \"nosuch\" in the repository"},
      {"git:--output=x", repo_, "git:--output=x: no revision named"},
      {"git::src", repo_, "git:: no revision named"},
      {"git:HEAD", dir_.Path(), "is not in a git repository"},
      {"git:HEAD:../x", repo_, "git:HEAD:../x: a path in a revision runs from the repository's top"},
  };
  for (const auto& e : errors) {
    sides::TSideCollector collector(e.Folder);
    try {
      collector.Collect({fs::path(e.Side)}, sides::ftAuto, report);
      ADD_FAILURE() << e.Side << " was read";
    } catch (const platform::TFileError& err) {
      EXPECT_NE(std::string(err.what()).find(e.Message), std::string::npos) << err.what();
    }
  }
  // "." is the top, as git:HEAD alone.
  EXPECT_EQ(Side("git:HEAD:.", report).size(), Side("git:HEAD", report).size());
  EXPECT_TRUE(report.Problems().empty());
  EXPECT_TRUE(Side("git:HEAD:nowhere/lib.pbl", report).empty());
  ASSERT_EQ(report.Problems().size(), 1u);
  EXPECT_EQ(sides::TSideReport::Describe(report.Problems()[0]), "git:HEAD:nowhere/lib.pbl does not exist");
  EXPECT_TRUE(report.Problems()[0].Given);

  // Without the git program.
  const std::string path = std::getenv("PATH");
  ::setenv("PATH", dir_.Path().c_str(), 1);
  try {
    Side("git:HEAD:src", report);
    ADD_FAILURE() << "read without git";
  } catch (const platform::TFileError& err) {
    EXPECT_NE(std::string(err.what()).find("\"git\" was not found"), std::string::npos) << err.what();
  }
  ::setenv("PATH", path.c_str(), 1);
}

// A partial clone that holds one folder's files of the last commit and a remote whose upload
// command would leave a mark: that folder is read; asking for anything more is an error naming
// the missing object, and nothing is fetched, run or written.
TEST_F(GitSides, PartialClonesAreNeverFetchedInto) {
  Git("config uploadpack.allowFilter true");
  const fs::path clone = dir_.Path() / "clone", mark = dir_.Path() / "fetched";
  const std::string inClone = "cd " + testsupport::Quote(clone.string()) + " && git ";
  const std::string setup = "git clone -q --filter=blob:none --no-local --sparse " +
                            testsupport::Quote("file://" + repo_.string()) + " " + testsupport::Quote(clone.string()) +
                            " && " + inClone + "sparse-checkout set --no-cone /src/lib1.pbl/ && " + inClone +
                            "config remote.origin.uploadpack " + testsupport::Quote("touch " + mark.string() + "; git-upload-pack");
  ASSERT_EQ(std::system((setup + " >/dev/null 2>&1").c_str()), 0) << setup;
  const auto before = Snapshot(clone / ".git/objects");

  sides::TSideReport report;
  TLibSelection lib = Side("git:HEAD:src/lib1.pbl", report, clone);
  ASSERT_EQ(lib.size(), 1u);
  auto open = sides::OpenLibrary(*lib[0].Rec);
  TDirList objects;
  open->ReadDirectory(objects);
  ASSERT_EQ(objects.size(), 2u);
  std::vector<std::string> lines;
  for (const auto& o : objects) open->Export(*o.Rec, lines);
  EXPECT_EQ(lines.size(), 6u);

  for (const char* side : {"git:HEAD:src", "git:HEAD~1:src/lib1.pbl", "git:HEAD"}) {
    try {
      Side(side, report, clone);
      ADD_FAILURE() << side << " was read";
    } catch (const sides::TMissingObject& e) {
      EXPECT_NE(std::string(e.what()).find(" is not in this clone"), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind(std::string(side).substr(0, 9), 0), 0u) << e.what();
    }
  }
  EXPECT_FALSE(fs::exists(mark));
  EXPECT_EQ(Snapshot(clone / ".git/objects"), before);
}

// Variables that point git at another repository (as `git difftool -d` sets them for its tool)
// are left out: the repository read is the one holding the folder given, and every variable git
// itself calls local to a repository is among those left out.
TEST_F(GitSides, RepositoryVariablesOfTheEnvironmentAreLeftOut) {
  const fs::path other = dir_.Path() / "other";
  ASSERT_EQ(std::system(("git init -q " + testsupport::Quote(other.string()) + " >/dev/null").c_str()), 0);
  platform::TProgramResult local = sides::RunGit(repo_, {"rev-parse", "--local-env-vars"});
  ASSERT_EQ(local.Exit, 0);
  std::vector<std::string> names;
  for (std::size_t at = 0, nl; (nl = local.Out.find('\n', at)) != std::string::npos; at = nl + 1)
    names.push_back(local.Out.substr(at, nl - at));
  ASSERT_FALSE(names.empty());
  struct TUnset {
    std::vector<std::string> Names;
    ~TUnset() {
      for (const auto& n : Names) ::unsetenv(n.c_str());
    }
  } unset{names};
  for (const auto& n : names) ::setenv(n.c_str(), (other / ".git").c_str(), 1);
  ::setenv("GIT_WORK_TREE", other.c_str(), 1);
  ::setenv("GIT_CONFIG_COUNT", "1", 1);

  sides::TSideReport report;
  TLibSelection side = Side("git:HEAD:src", report);
  EXPECT_EQ(Names(side), "lib2.pbl=git:HEAD:src/lib2.pbl lib1.pbl=git:HEAD:src/lib1.pbl ");
  EXPECT_EQ(side.at(0).Rec->Revision->Repository(), repo_);
  const std::vector<std::string> ignored = sides::TGitRevision::IgnoredVariables();
  for (const auto& n : names) EXPECT_NE(std::find(ignored.begin(), ignored.end(), n), ignored.end()) << n;
}

}  // namespace
