#include "GitTree.h"

#include <charconv>

namespace fs = std::filesystem;

namespace sides {
namespace {

const std::vector<std::pair<std::string, std::string>> kGitEnv = {
    {"GIT_OPTIONAL_LOCKS", "0"}, {"GIT_TERMINAL_PROMPT", "0"}, {"LC_ALL", "C"}, {"LANGUAGE", ""}};

std::string FirstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  if (line.rfind("fatal: ", 0) == 0 || line.rfind("error: ", 0) == 0) line = line.substr(line.find(' ') + 1);
  return line;
}

std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

platform::TProgramResult Git(const fs::path& repo, const std::vector<std::string>& args) {
  std::vector<std::string> all{"-C", repo.empty() ? std::string(".") : repo.string(), "-c", "core.fsmonitor=false"};
  all.insert(all.end(), args.begin(), args.end());
  return platform::RunProgram("git", all, {}, kGitEnv);
}

// The committer's time of a commit object's text ("committer NAME <MAIL> SECONDS ZONE").
platform::TDateTime CommitterTime(const std::string& commit) {
  std::size_t at = commit.find("\ncommitter ");
  if (at == std::string::npos) return {};
  std::string line = commit.substr(at + 1, commit.find('\n', at + 1) - at - 1);
  std::size_t mail = line.rfind('>');
  if (mail == std::string::npos) return {};
  long long seconds = 0;
  const char* p = line.data() + mail + 1;
  while (*p == ' ') ++p;
  std::from_chars(p, line.data() + line.size(), seconds);
  return platform::LocalFromUnixTime(static_cast<std::time_t>(seconds));
}

}  // namespace

platform::TProgramResult RunGit(const fs::path& repo, const std::vector<std::string>& args) { return Git(repo, args); }

TGitRevision::TGitRevision(fs::path repo, std::string rev, std::string commit, platform::TDateTime time)
    : repo_(std::move(repo)), rev_(std::move(rev)), commit_(std::move(commit)), time_(time) {}

std::shared_ptr<TGitRevision> TGitRevision::Open(const fs::path& folder, const std::string& rev) {
  const std::string named = "git:" + rev;
  if (rev.empty() || rev.front() == '-') throw platform::TFileError(named + ": no revision named");
  const fs::path where = folder.empty() ? fs::current_path() : folder;

  platform::TProgramResult top = Git(where, {"rev-parse", "--show-toplevel"});
  if (top.Exit != 0 && top.Err.find("not a git repository") == std::string::npos)
    top = Git(where, {"rev-parse", "--absolute-git-dir"});  // a bare repository has no work tree
  if (top.Exit != 0) {
    if (top.Err.find("not a git repository") != std::string::npos)
      throw platform::TFileError(named + ": \"" + platform::PathText(where) + "\" is not in a git repository");
    throw platform::TFileError(named + ": git: " + FirstLine(top.Err));
  }
  fs::path repo = Trimmed(top.Out);

  platform::TProgramResult commit = Git(repo, {"rev-parse", "--verify", "--quiet", rev + "^{commit}"});
  if (commit.Exit != 0)
    throw platform::TFileError(named + ": no revision \"" + rev + "\" in the repository \"" + platform::PathText(repo) + "\"");
  std::string id = Trimmed(commit.Out);

  platform::TProgramResult text = Git(repo, {"cat-file", "commit", id});
  if (text.Exit != 0) throw platform::TFileError(named + ": git: " + FirstLine(text.Err));
  return std::make_shared<TGitRevision>(repo, rev, id, CommitterTime(text.Out));
}

void TGitRevision::LoadTree() {
  if (loaded_) return;
  platform::TProgramResult r = Git(repo_, {"ls-tree", "-r", "-t", "-l", "-z", commit_});
  if (r.Exit != 0) throw platform::TFileError(Location({}) + ": git ls-tree: " + FirstLine(r.Err));
  children_[""];
  // Each record: MODE TYPE ID SIZE<TAB>PATH<NUL>, the size "-" for a folder.
  std::size_t pos = 0;
  while (pos < r.Out.size()) {
    std::size_t end = r.Out.find('\0', pos);
    if (end == std::string::npos) end = r.Out.size();
    std::string_view record(r.Out.data() + pos, end - pos);
    pos = end + 1;
    std::size_t tab = record.find('\t');
    if (tab == std::string_view::npos) continue;
    std::string path(record.substr(tab + 1));
    std::vector<std::string_view> meta;
    std::string_view head = record.substr(0, tab);
    for (std::size_t i = 0; i < head.size();) {
      std::size_t sp = head.find(' ', i);
      if (sp == std::string_view::npos) sp = head.size();
      if (sp > i) meta.push_back(head.substr(i, sp - i));
      i = sp + 1;
    }
    if (meta.size() < 4) continue;
    TTreeItem item;
    item.Name = fs::path(path).filename().string();
    item.Id = std::string(meta[2]);
    item.Time = time_;
    if (meta[1] == "tree") {
      item.Type = TItemType::Folder;
      children_[path];
    } else if (meta[1] == "blob" && meta[0] != "120000") {
      item.Type = TItemType::File;
      std::from_chars(meta[3].data(), meta[3].data() + meta[3].size(), item.Size);
    } else {
      item.Type = TItemType::Other;  // a symbolic link or a submodule
    }
    std::size_t slash = path.rfind('/');
    children_[slash == std::string::npos ? std::string() : path.substr(0, slash)].push_back(path);
    items_.emplace(std::move(path), std::move(item));
  }
  loaded_ = true;
}

std::optional<fs::path> TGitRevision::Normal(const fs::path& p) const {
  std::string s = p.lexically_normal().generic_string();
  if (s == ".") s.clear();
  if (!s.empty() && s.back() == '/') s.pop_back();
  // Nothing lies above the top folder or outside the repository.
  if (p.is_absolute() || s == ".." || s.rfind("../", 0) == 0) return std::nullopt;
  return fs::path(s);
}

const TTreeItem* TGitRevision::Item(const fs::path& p) {
  LoadTree();
  auto it = items_.find(p.generic_string());
  return it == items_.end() ? nullptr : &it->second;
}

std::optional<TTreeItem> TGitRevision::Stat(const fs::path& p) {
  auto normal = Normal(p);
  if (!normal) return std::nullopt;
  if (normal->empty()) return TTreeItem{"", TItemType::Folder, 0, time_, commit_};
  const TTreeItem* item = Item(*normal);
  return item ? std::optional<TTreeItem>(*item) : std::nullopt;
}

std::optional<std::vector<TTreeItem>> TGitRevision::ReadListing(const fs::path& dir) {
  LoadTree();
  auto normal = Normal(dir);
  if (!normal) return std::nullopt;
  auto it = children_.find(normal->generic_string());
  if (it == children_.end()) return std::nullopt;
  std::vector<TTreeItem> items;
  for (const std::string& path : it->second) items.push_back(items_.at(path));
  return items;
}

std::string TGitRevision::ReadFile(const fs::path& p, std::size_t limit) {
  auto normal = Normal(p);
  const TTreeItem* item = normal ? Item(*normal) : nullptr;
  if (!item || item->Type != TItemType::File)
    throw platform::TFileError("Cannot open file \"" + Location(p) + "\". No such file in the revision");
  if (!batch_)
    batch_ = std::make_unique<platform::TPipedProcess>(
        "git", std::vector<std::string>{"-C", repo_.string(), "cat-file", "--batch"}, fs::path(), kGitEnv);
  batch_->Write(item->Id + "\n");
  // The answer: ID TYPE SIZE, the contents, a line break; or ID missing.
  std::string header = batch_->ReadLine();
  std::size_t sp = header.rfind(' ');
  std::size_t size = 0;
  if (sp == std::string::npos || header.find(" blob ") == std::string::npos ||
      std::from_chars(header.data() + sp + 1, header.data() + header.size(), size).ec != std::errc())
    throw platform::TFileError("Cannot read file \"" + Location(p) + "\". git cat-file: " + header);
  std::string bytes = batch_->Read(size);
  batch_->Read(1);
  if (bytes.size() > limit) bytes.resize(limit);
  return bytes;
}

std::unique_ptr<platform::TFileStream> TGitRevision::OpenFile(const fs::path& p) {
  return std::make_unique<platform::TFileStream>(fs::path(Location(p)), ReadFile(p));
}

std::string TGitRevision::Location(const fs::path& p) const {
  std::string path = p.generic_string();
  return "git:" + rev_ + (path.empty() ? std::string() : ":" + path);
}

}  // namespace sides
