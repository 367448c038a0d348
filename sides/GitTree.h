// A revision of a git repository as a tree of files, read through the git program: the entries at
// and below each path asked for from one `git ls-tree` limited to that path (started ahead, beside
// the other sides' listings, where the caller knows the paths), file contents from one
// `git cat-file --batch` that stays open while the revision is used. Nothing is ever written
// to the repository, its index or its work tree: only commands that read objects are run, with
// optional locks off, and an object the repository lacks (a partial clone) is never fetched from
// a remote (no remote command runs, no pack is written): it is reported as missing. Git runs
// without the variables that point it at a repository (GIT_DIR, GIT_WORK_TREE, ...), so the
// repository read is always the one that holds the folder given.
#pragma once

#include <deque>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/Process.h"
#include "sides/SourceTree.h"

namespace sides {

// The objects of one repository, read through one `git cat-file --batch` that stays open while
// any revision that shares it is used.
class TGitObjects {
 public:
  // `folder`: a folder of the repository (its work tree or below, or the repository itself); git
  // runs there.
  explicit TGitObjects(std::filesystem::path folder) : folder_(std::move(folder)) {}
  const std::filesystem::path& Folder() const { return folder_; }
  // The work tree's top folder (bare: the repository), asked of git the first time; throws
  // platform::TFileError naming what is wrong when git cannot say (see TGitRevision::Open).
  const std::filesystem::path& Repository();

  struct TObject {
    std::string Id, Type, Bytes;
  };
  // The object `name` names (an id, or an expression such as REV^{commit}); none when the
  // repository holds no such object. Throws platform::TFileError when git cannot be run or ends
  // before it answers (the next read starts it again).
  std::optional<TObject> Read(const std::string& name);
  // An object about to be Read, in the order objects will be read: its request is written ahead
  // (a few dozen at most are waiting, so that git, blocked on an answer not read yet, never
  // blocks this program on a request), and git reads the next object while the caller works on
  // this one. An answer that comes before it is asked for is kept until it is.
  void ReadAhead(const std::string& name);

 private:
  using TAnswer = std::optional<TObject>;
  void Start();
  void WriteWaiting();
  TAnswer ReadAnswer();

  std::filesystem::path folder_;
  std::optional<std::filesystem::path> repo_;
  std::unique_ptr<platform::TPipedProcess> batch_;
  std::deque<std::string> waiting_;  // asked for ahead, not written yet
  std::deque<std::string> written_;  // written, answers not read yet, in order
  std::size_t writtenBytes_ = 0;
  std::unordered_multimap<std::string, TAnswer> early_;  // answers read before they were asked for
};

class TGitRevision : public TSourceTree {
 public:
  // Revision `rev` (anything git takes for a commit: HEAD~2, a tag, a branch, an id) of the
  // repository that holds `folder`. Throws platform::TFileError with a message naming what is
  // wrong: git is not installed, `folder` is in no repository, `rev` is no commit there. With
  // `shared`, revisions share the repository found first and its object reader: null, it is set
  // to this revision's; set, `folder` is not looked at.
  static std::shared_ptr<TGitRevision> Open(const std::filesystem::path& folder, const std::string& rev,
                                            std::shared_ptr<TGitObjects>* shared = nullptr);

  const std::filesystem::path& Repository() const { return objects_->Repository(); }  // the work tree's top folder (bare: the repository)
  const std::string& Revision() const { return rev_; }  // as given
  const std::string& Commit() const { return commit_; }  // its commit's id
  platform::TDateTime CommitTime() const { return time_; }

  // The variables git is run without that are set in this program's environment: when any is,
  // a plain `git` there may read another repository than Repository().
  static std::vector<std::string> IgnoredVariables();

  // A listing of `path` (and everything below it) in revision `rev` of the repository that holds
  // `folder`, started now in a git of its own beside the caller, so that the listings of several
  // sides overlap instead of following one another (starting git and reading the trees is most
  // of the time a small side takes). The revision opened for `rev` takes it with Expect; the
  // revision is named, not its commit, so a branch moved between the two gives a listing of its
  // newer commit. Never throws: a listing that failed is run again when it is needed.
  static std::future<platform::TProgramResult> ListAhead(const std::filesystem::path& folder, const std::string& rev,
                                                         const std::string& path);
  void Expect(const std::string& path, std::future<platform::TProgramResult> listing);

  // Paths are relative to the repository's top folder, "/" separated; "" is the top folder.
  // Asking for a path lists it and everything below it once; nothing outside is read. Throws
  // TMissingObject for an object the repository does not hold.
  std::optional<TTreeItem> Stat(const std::filesystem::path& p) override;
  std::string ReadFile(const std::filesystem::path& p, std::size_t limit = std::string::npos) override;
  std::unique_ptr<platform::TFileStream> OpenFile(const std::filesystem::path& p) override;
  std::string Location(const std::filesystem::path& p) const override;
  bool OnDisk() const override { return false; }
  void ReadAhead(const std::filesystem::path& p) override;

  TGitRevision(std::shared_ptr<TGitObjects> objects, std::string rev, std::string commit, platform::TDateTime time);

 protected:
  std::optional<std::vector<TTreeItem>> ReadListing(const std::filesystem::path& dir) override;
  std::optional<std::filesystem::path> Normal(const std::filesystem::path& p) const override;

 private:
  // Lists `p` and everything below it, unless that was done for it or a folder above it.
  void Load(const std::string& p);
  bool Loaded(const std::string& p) const;
  const TTreeItem* Item(const std::filesystem::path& p);
  [[noreturn]] void Fail(const std::string& what, const std::string& err) const;

  std::string rev_, commit_;
  platform::TDateTime time_;
  std::unordered_set<std::string> loaded_;                            // paths listed with all below them
  std::unordered_map<std::string, TTreeItem> items_;                 // by path
  std::unordered_map<std::string, std::vector<std::string>> children_;  // listed folder path -> item paths
  std::unordered_map<std::string, std::future<platform::TProgramResult>> ahead_;  // listings started ahead, by path
  std::shared_ptr<TGitObjects> objects_;
};

// Runs git in `repo` with `args`, as every reading of a revision does (optional locks off, no
// prompts, no fetching, no repository but the one that holds `repo`, messages in English). Throws platform::TFileError when git cannot be started.
platform::TProgramResult RunGit(const std::filesystem::path& repo, const std::vector<std::string>& args);

}  // namespace sides
