#include "GitTree.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

namespace fs = std::filesystem;

namespace sides {
namespace {

// Variables that make git read another repository than the one holding the folder it runs in, or
// objects from elsewhere: those `git rev-parse --local-env-vars` lists, and those that steer the
// search for the repository. Git runs without them.
const char* const kRepositoryVariables[] = {
    "GIT_ALTERNATE_OBJECT_DIRECTORIES", "GIT_CONFIG",       "GIT_CONFIG_PARAMETERS", "GIT_CONFIG_COUNT",
    "GIT_OBJECT_DIRECTORY",             "GIT_DIR",          "GIT_WORK_TREE",         "GIT_IMPLICIT_WORK_TREE",
    "GIT_GRAFT_FILE",                   "GIT_INDEX_FILE",   "GIT_NO_REPLACE_OBJECTS", "GIT_REPLACE_REF_BASE",
    "GIT_PREFIX",                       "GIT_INTERNAL_SUPER_PREFIX", "GIT_SHALLOW_FILE", "GIT_COMMON_DIR",
    "GIT_CEILING_DIRECTORIES",          "GIT_DISCOVERY_ACROSS_FILESYSTEM", "GIT_NAMESPACE",
};

// Optional locks off, no prompts, messages in English; never fetch a missing object from a
// promisor remote (GIT_NO_LAZY_FETCH, and for a git that does not know it, no transport allowed:
// an empty GIT_ALLOW_PROTOCOL overrides whatever the repository's configuration allows).
const std::vector<std::pair<std::string, std::string>>& GitEnvironment() {
  static const std::vector<std::pair<std::string, std::string>> env = [] {
    std::vector<std::pair<std::string, std::string>> e = {{"GIT_OPTIONAL_LOCKS", "0"}, {"GIT_TERMINAL_PROMPT", "0"},
                                                          {"LC_ALL", "C"},           {"LANGUAGE", ""},
                                                          {"GIT_NO_LAZY_FETCH", "1"}, {"GIT_ALLOW_PROTOCOL", ""}};
    for (const char* name : kRepositoryVariables) e.emplace_back(name, platform::kRemoveVariable);
    return e;
  }();
  return env;
}

// The id of an object git could not find or fetch, from its error output; empty when the error
// is of another kind.
std::string MissingObjectId(const std::string& err) {
  static const char* const kMarks[] = {"from promisor remote", "lazy fetching disabled", "unable to read",
                                       "missing", "not a valid object", "bad object"};
  if (std::none_of(std::begin(kMarks), std::end(kMarks),
                   [&](const char* m) { return err.find(m) != std::string::npos; }))
    return {};
  for (std::size_t i = 0; i < err.size();) {
    std::size_t n = 0;
    while (i + n < err.size() && std::isxdigit(static_cast<unsigned char>(err[i + n]))) ++n;
    if (n == 40 || n == 64) return err.substr(i, n);
    i += n + 1;
  }
  return {};
}

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
  std::vector<std::string> all{"-C", repo.empty() ? std::string(".") : repo.string(), "-c", "core.fsmonitor=false",
                               "--literal-pathspecs"};
  all.insert(all.end(), args.begin(), args.end());
  return platform::RunProgram("git", all, {}, GitEnvironment());
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

// `git ls-tree` of `p` and everything below it in `treeish`, the paths from the top folder
// whatever folder of the work tree git runs in. Only the path asked for, so that a partial clone
// holding that much is enough, and no other object is looked at (the sizes of files elsewhere
// would be).
platform::TProgramResult ListTree(const fs::path& folder, const std::string& treeish, const std::string& p) {
  std::vector<std::string> args{"ls-tree", "-r", "-t", "-l", "-z", "--full-tree", treeish};
  if (!p.empty()) args.insert(args.end(), {"--", p});
  return Git(folder, args);
}

// The top folder of the repository that holds `where`; throws the reason, after `named`, when
// there is none or git cannot be run.
fs::path TopFolder(const fs::path& where, const std::string& named) {
  platform::TProgramResult top = Git(where, {"rev-parse", "--show-toplevel"});
  if (top.Exit != 0 && top.Err.find("not a git repository") == std::string::npos)
    top = Git(where, {"rev-parse", "--absolute-git-dir"});  // a bare repository has no work tree
  if (top.Exit != 0) {
    if (top.Err.find("not a git repository") != std::string::npos)
      throw platform::TFileError(named + ": \"" + platform::PathText(where) + "\" is not in a git repository");
    throw platform::TFileError(named + ": git: " + FirstLine(top.Err));
  }
  return fs::path(Trimmed(top.Out));
}

// A path of a revision as its listings name it: relative, "/" separated, no "." or ".." parts;
// none for a path outside the revision.
std::optional<fs::path> NormalPath(const fs::path& p) {
  std::string s = p.lexically_normal().generic_string();
  if (s == ".") s.clear();
  if (!s.empty() && s.back() == '/') s.pop_back();
  // Nothing lies above the top folder or outside the repository.
  if (p.is_absolute() || s == ".." || s.rfind("../", 0) == 0) return std::nullopt;
  return fs::path(s);
}

}  // namespace

platform::TProgramResult RunGit(const fs::path& repo, const std::vector<std::string>& args) { return Git(repo, args); }

void TGitObjects::Start() {
  batch_ = std::make_unique<platform::TPipedProcess>(
      "git", std::vector<std::string>{"-C", folder_.string(), "cat-file", "--batch"}, fs::path(), GitEnvironment());
}

// Writes the requests waiting while few enough are unanswered: the answers git cannot write while
// this program is busy hold it up, and with it the reading of the requests, which then have to
// fit into the pipe.
void TGitObjects::WriteWaiting() {
  constexpr std::size_t kMostUnanswered = 64;
  std::string requests;
  while (!waiting_.empty() &&
         (written_.empty() || (written_.size() < kMostUnanswered &&
                               writtenBytes_ + requests.size() + waiting_.front().size() + 1 <= platform::TPipedProcess::kRequestRoom))) {
    requests += waiting_.front() + '\n';
    written_.push_back(std::move(waiting_.front()));
    waiting_.pop_front();
  }
  if (requests.empty()) return;
  batch_->Write(requests);
  writtenBytes_ += requests.size();
}

// The answer to the oldest request written: ID TYPE SIZE, the contents, a line break; or NAME
// missing (or ambiguous).
TGitObjects::TAnswer TGitObjects::ReadAnswer() {
  std::string header = batch_->ReadLine();
  writtenBytes_ -= std::min(writtenBytes_, written_.front().size() + 1);
  written_.pop_front();
  std::size_t sp1 = header.find(' '), sp2 = header.rfind(' ');
  std::size_t size = 0;
  if (sp1 == std::string::npos || sp1 == sp2 ||
      std::from_chars(header.data() + sp2 + 1, header.data() + header.size(), size).ec != std::errc())
    return std::nullopt;
  TObject object{header.substr(0, sp1), header.substr(sp1 + 1, sp2 - sp1 - 1), batch_->Read(size)};
  batch_->Read(1);
  return object;
}

void TGitObjects::ReadAhead(const std::string& name) {
  if (name.empty() || name.find_first_of("\r\n") != std::string::npos) return;
  waiting_.push_back(name);
  try {
    if (!batch_) Start();
    WriteWaiting();
  } catch (const platform::TFileError&) {
    // Said by the Read that needs it.
  }
}

std::optional<TGitObjects::TObject> TGitObjects::Read(const std::string& name) {
  if (auto early = early_.find(name); early != early_.end()) {
    TAnswer answer = std::move(early->second);
    early_.erase(early);
    return answer;
  }
  auto asked = [&](const std::deque<std::string>& q) { return std::find(q.begin(), q.end(), name) != q.end(); };
  if (!asked(written_) && !asked(waiting_)) waiting_.push_back(name);
  try {
    if (!batch_) Start();
    for (;;) {
      WriteWaiting();
      const bool mine = written_.front() == name;
      std::string answered = written_.front();
      TAnswer answer = ReadAnswer();
      if (mine) return answer;
      early_.emplace(std::move(answered), std::move(answer));
    }
  } catch (const platform::TFileError&) {
    // Nothing asked of the git that ended is answered; the next read starts another.
    batch_.reset();
    waiting_.clear();
    written_.clear();
    writtenBytes_ = 0;
    early_.clear();
    throw;
  }
}

TGitRevision::TGitRevision(std::shared_ptr<TGitObjects> objects, std::string rev, std::string commit,
                           platform::TDateTime time)
    : rev_(std::move(rev)), commit_(std::move(commit)), time_(time), objects_(std::move(objects)) {}

const fs::path& TGitObjects::Repository() {
  if (!repo_) repo_ = TopFolder(folder_, "git");
  return *repo_;
}

std::future<platform::TProgramResult> TGitRevision::ListAhead(const fs::path& folder, const std::string& rev,
                                                              const std::string& path) {
  std::optional<fs::path> normal = NormalPath(path);
  if (rev.empty() || rev.front() == '-' || rev.find_first_of("\r\n") != std::string::npos || !normal) return {};
  return std::async(std::launch::async, [folder = folder.empty() ? fs::current_path() : folder, rev, p = normal->generic_string()] {
    try {
      return ListTree(folder, rev, p);
    } catch (const platform::TFileError& e) {
      return platform::TProgramResult{-1, {}, e.what()};
    }
  });
}

void TGitRevision::Expect(const std::string& path, std::future<platform::TProgramResult> listing) {
  std::optional<fs::path> normal = NormalPath(path);
  if (normal && listing.valid() && !Loaded(normal->generic_string())) ahead_.emplace(normal->generic_string(), std::move(listing));
}

std::shared_ptr<TGitRevision> TGitRevision::Open(const fs::path& folder, const std::string& rev,
                                                 std::shared_ptr<TGitObjects>* shared) {
  const std::string named = "git:" + rev;
  if (rev.empty() || rev.front() == '-') throw platform::TFileError(named + ": no revision named");
  std::shared_ptr<TGitObjects> objects = shared ? *shared : nullptr;
  const bool found = objects != nullptr;
  if (!found) objects = std::make_shared<TGitObjects>(folder.empty() ? fs::current_path() : folder);
  // The commit and its text in one request (a name is one line of the request). The repository
  // is found by the git that answers it; only when it cannot answer is git asked why.
  std::optional<TGitObjects::TObject> commit;
  try {
    if (rev.find_first_of("\r\n") == std::string::npos) commit = objects->Read(rev + "^{commit}");
  } catch (const platform::TFileError&) {
    if (!found) TopFolder(objects->Folder(), named);
    throw;
  }
  if (!commit || commit->Type != "commit")
    throw platform::TFileError(named + ": no revision \"" + rev + "\" in the repository \"" +
                               platform::PathText(objects->Repository()) + "\"");
  if (shared && !found) *shared = objects;
  return std::make_shared<TGitRevision>(objects, rev, commit->Id, CommitterTime(commit->Bytes));
}

std::vector<std::string> TGitRevision::IgnoredVariables() {
  std::vector<std::string> set;
  for (const char* name : kRepositoryVariables)
    if (std::getenv(name)) set.emplace_back(name);
  return set;
}

void TGitRevision::Fail(const std::string& what, const std::string& err) const {
  std::string id = MissingObjectId(err);
  if (!id.empty()) throw TMissingObject(what + ": object " + id + " is not in this clone");
  throw platform::TFileError(what + ": git: " + FirstLine(err));
}

bool TGitRevision::Loaded(const std::string& p) const {
  if (loaded_.count(std::string())) return true;
  for (std::size_t end = p.size(); end != std::string::npos && end > 0; end = p.rfind('/', end - 1))
    if (loaded_.count(p.substr(0, end))) return true;
  return false;
}

void TGitRevision::Load(const std::string& p) {
  if (Loaded(p)) return;
  platform::TProgramResult r;
  if (auto ahead = ahead_.find(p); ahead != ahead_.end()) {
    r = ahead->second.get();
    ahead_.erase(ahead);
  }
  if (r.Exit != 0) r = ListTree(objects_->Folder(), commit_, p);
  if (r.Exit != 0) Fail(Location(p), r.Err);
  auto below = [&](const std::string& path) {
    return p.empty() || (path.size() > p.size() && path.compare(0, p.size(), p) == 0 && path[p.size()] == '/');
  };
  if (p.empty()) children_[""];
  // Each record: MODE TYPE ID SIZE<TAB>PATH<NUL>, the size "-" for a folder. The folders on the
  // way to `p` come first; they are known, not listed.
  std::size_t pos = 0;
  while (pos < r.Out.size()) {
    std::size_t end = r.Out.find('\0', pos);
    if (end == std::string::npos) end = r.Out.size();
    std::string_view record(r.Out.data() + pos, end - pos);
    pos = end + 1;
    std::size_t tab = record.find('\t');
    if (tab == std::string_view::npos) continue;
    std::string path(record.substr(tab + 1));
    std::string_view meta[4];
    std::size_t fields = 0;
    std::string_view head = record.substr(0, tab);
    for (std::size_t i = 0; i < head.size() && fields < 4;) {
      std::size_t sp = head.find(' ', i);
      if (sp == std::string_view::npos) sp = head.size();
      if (sp > i) meta[fields++] = head.substr(i, sp - i);
      i = sp + 1;
    }
    if (fields < 4) continue;
    TTreeItem item;
    item.Name = path.substr(path.rfind('/') + 1);
    item.Id = std::string(meta[2]);
    item.Time = time_;
    const bool inside = path == p || below(path);
    if (meta[1] == "tree") {
      item.Type = TItemType::Folder;
      if (inside) children_[path];
    } else if (meta[1] == "blob" && meta[0] != "120000") {
      item.Type = TItemType::File;
      std::from_chars(meta[3].data(), meta[3].data() + meta[3].size(), item.Size);
    } else {
      item.Type = TItemType::Other;  // a symbolic link or a submodule
    }
    if (below(path)) {
      // A folder listed by an earlier run (a path below this one asked for first) has its items.
      std::size_t slash = path.rfind('/');
      std::string parent = slash == std::string::npos ? std::string() : path.substr(0, slash);
      if (loaded_.empty() || !Loaded(parent)) children_[parent].push_back(path);
    }
    items_.emplace(std::move(path), std::move(item));
  }
  loaded_.insert(p);
}

std::optional<fs::path> TGitRevision::Normal(const fs::path& p) const { return NormalPath(p); }

const TTreeItem* TGitRevision::Item(const fs::path& p) {
  const std::string path = p.generic_string();
  Load(path);
  auto it = items_.find(path);
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
  auto normal = Normal(dir);
  if (!normal) return std::nullopt;
  const std::string path = normal->generic_string();
  Load(path);
  auto it = children_.find(path);
  if (it == children_.end()) return std::nullopt;
  std::vector<TTreeItem> items;
  items.reserve(it->second.size());
  for (const std::string& path : it->second) items.push_back(items_.at(path));
  return items;
}

std::string TGitRevision::ReadFile(const fs::path& p, std::size_t limit) {
  auto normal = Normal(p);
  const TTreeItem* item = normal ? Item(*normal) : nullptr;
  if (!item || item->Type != TItemType::File)
    throw platform::TFileError("Cannot open file \"" + Location(p) + "\". No such file in the revision");
  // A git that cannot fetch a missing object may end rather than say it is missing: asked once
  // more on its own, it says why.
  std::optional<TGitObjects::TObject> object;
  try {
    object = objects_->Read(item->Id);
  } catch (const platform::TFileError&) {
    platform::TProgramResult r = Git(objects_->Folder(), {"cat-file", "-e", item->Id});
    if (r.Exit != 0) Fail(Location(p), r.Err.empty() ? item->Id + " missing" : r.Err);
    throw;
  }
  if (!object) Fail(Location(p), item->Id + " missing");
  if (object->Type != "blob")
    throw platform::TFileError("Cannot read file \"" + Location(p) + "\". git cat-file: " + object->Id + " is a " + object->Type);
  if (object->Bytes.size() > limit) object->Bytes.resize(limit);
  return std::move(object->Bytes);
}

void TGitRevision::ReadAhead(const fs::path& p) {
  try {
    auto normal = Normal(p);
    const TTreeItem* item = normal ? Item(*normal) : nullptr;
    if (item && item->Type == TItemType::File) objects_->ReadAhead(item->Id);
  } catch (const platform::TFileError&) {
    // Said by the ReadFile that needs it.
  }
}

std::unique_ptr<platform::TFileStream> TGitRevision::OpenFile(const fs::path& p) {
  return std::make_unique<platform::TFileStream>(fs::path(Location(p)), ReadFile(p));
}

std::string TGitRevision::Location(const fs::path& p) const {
  std::string path = p.generic_string();
  return "git:" + rev_ + (path.empty() ? std::string() : ":" + path);
}

}  // namespace sides
