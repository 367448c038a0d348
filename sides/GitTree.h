// A revision of a git repository as a tree of files, read through the git program: the tree of a
// commit from `git ls-tree`, file contents from one `git cat-file --batch` that stays open while
// the revision is used. Nothing is ever written to the repository, its index or its work tree:
// only commands that read objects are run, with optional locks off.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "platform/Process.h"
#include "sides/SourceTree.h"

namespace sides {

class TGitRevision : public TSourceTree {
 public:
  // Revision `rev` (anything `git rev-parse` takes for a commit: HEAD~2, a tag, a branch, an id)
  // of the repository that holds `folder`. Throws platform::TFileError with a message naming
  // what is wrong: git is not installed, `folder` is in no repository, `rev` is no commit there.
  static std::shared_ptr<TGitRevision> Open(const std::filesystem::path& folder, const std::string& rev);

  const std::filesystem::path& Repository() const { return repo_; }  // the work tree's top folder (bare: the repository)
  const std::string& Revision() const { return rev_; }  // as given
  const std::string& Commit() const { return commit_; }  // its commit's id
  platform::TDateTime CommitTime() const { return time_; }

  // Paths are relative to the repository's top folder, "/" separated; "" is the top folder.
  std::optional<TTreeItem> Stat(const std::filesystem::path& p) override;
  std::string ReadFile(const std::filesystem::path& p, std::size_t limit = std::string::npos) override;
  std::unique_ptr<platform::TFileStream> OpenFile(const std::filesystem::path& p) override;
  std::string Location(const std::filesystem::path& p) const override;
  bool OnDisk() const override { return false; }

  TGitRevision(std::filesystem::path repo, std::string rev, std::string commit, platform::TDateTime time);

 protected:
  std::optional<std::vector<TTreeItem>> ReadListing(const std::filesystem::path& dir) override;
  std::optional<std::filesystem::path> Normal(const std::filesystem::path& p) const override;

 private:
  void LoadTree();
  const TTreeItem* Item(const std::filesystem::path& p);

  std::filesystem::path repo_;
  std::string rev_, commit_;
  platform::TDateTime time_;
  bool loaded_ = false;
  std::unordered_map<std::string, TTreeItem> items_;                 // by path
  std::unordered_map<std::string, std::vector<std::string>> children_;  // folder path -> item paths
  std::unique_ptr<platform::TPipedProcess> batch_;
};

// Runs git in `repo` with `args`, as every reading of a revision does (optional locks off, no
// prompts, messages in English). Throws platform::TFileError when git cannot be started.
platform::TProgramResult RunGit(const std::filesystem::path& repo, const std::vector<std::string>& args);

}  // namespace sides
