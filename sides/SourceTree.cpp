#include "SourceTree.h"

#include <algorithm>

#include "platform/Collation.h"
#include "platform/System.h"

namespace fs = std::filesystem;

namespace sides {

TListing::TListing(std::vector<TTreeItem> items) : items_(std::move(items)) {
  std::sort(items_.begin(), items_.end(), [](const TTreeItem& a, const TTreeItem& b) { return a.Name < b.Name; });
  exact_.reserve(items_.size());
  folded_.reserve(items_.size());
  for (std::size_t i = 0; i < items_.size(); ++i) {
    exact_.emplace(items_[i].Name, i);
    folded_.emplace(platform::FoldNameCase(items_[i].Name), i);  // the first in name order stays
  }
}

const TTreeItem* TListing::Find(const std::string& name) const {
  if (auto it = exact_.find(name); it != exact_.end()) return &items_[it->second];
  if (auto it = folded_.find(platform::FoldNameCase(name)); it != folded_.end()) return &items_[it->second];
  return nullptr;
}

const TListing* TSourceTree::List(const fs::path& dir) {
  const std::string key = dir.string();
  auto it = listings_.find(key);
  if (it != listings_.end()) return it->second.get();
  auto items = ReadListing(dir);
  std::unique_ptr<TListing> listing = items ? std::make_unique<TListing>(std::move(*items)) : nullptr;
  return listings_.emplace(key, std::move(listing)).first->second.get();
}

std::optional<fs::path> TSourceTree::Find(const fs::path& p) {
  std::optional<fs::path> normal = Normal(p);
  if (!normal || normal->empty()) return std::nullopt;
  if (Stat(*normal)) return normal;
  // Part by part: a part is taken as written where it exists, else looked up without regard to
  // case in its folder's listing, which is then kept for the next lookup in that folder.
  fs::path found = normal->root_path();
  for (const fs::path& part : normal->relative_path()) {
    const std::string name = part.string();
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      found /= part;
      continue;
    }
    auto cached = listings_.find(found.string());
    const TListing* listing = cached != listings_.end() ? cached->second.get() : nullptr;
    if (!listing) {
      fs::path candidate = found / part;
      if (existing_.count(candidate.string()) || Stat(candidate)) {
        existing_.insert(candidate.string());
        found = candidate;
        continue;
      }
      try {
        listing = List(found);
      } catch (const TMissingObject&) {
        throw;
      } catch (const platform::TFileError&) {
        return std::nullopt;  // a folder that cannot be read holds nothing to be found
      }
    }
    const TTreeItem* item = listing ? listing->Find(name) : nullptr;
    if (!item) return std::nullopt;
    found /= item->Name;
  }
  return found;
}

// ---- disk -----------------------------------------------------------------------------------

namespace {

std::optional<TTreeItem> StatItem(const fs::path& p, std::string name) {
  const std::optional<platform::TPathStat> st = platform::StatPath(p);
  if (!st) return std::nullopt;
  TTreeItem item;
  item.Name = std::move(name);
  item.Type = st->Kind == platform::TPathKind::Folder ? TItemType::Folder
              : st->Kind == platform::TPathKind::File ? TItemType::File
                                                      : TItemType::Other;
  item.Size = item.Type == TItemType::File ? st->Size : 0;
  item.Time = platform::LocalFromUnixTime(static_cast<std::time_t>(st->Time));
  return item;
}

}  // namespace

std::optional<TTreeItem> TDiskTree::Stat(const fs::path& p) { return StatItem(p, platform::PathToUtf8(p.filename())); }

std::optional<std::vector<TTreeItem>> TDiskTree::ReadListing(const fs::path& dir) {
  const fs::path folder = dir.empty() ? fs::path(".") : dir;
  const std::optional<std::vector<std::string>> names = platform::FolderNames(folder);
  if (!names) return std::nullopt;
  std::vector<TTreeItem> items;
  for (const std::string& name : *names) {
    // A link that leads nowhere is left out, as if it were not there.
    if (auto item = StatItem(folder / platform::PathFromUtf8(name), name)) items.push_back(std::move(*item));
  }
  return items;
}

std::string TDiskTree::ReadFile(const fs::path& p, std::size_t limit) {
  if (limit == std::string::npos) return platform::ReadFileBytes(p);
  platform::TFileStream stream(p);
  std::string bytes(std::min<std::size_t>(limit, static_cast<std::size_t>(stream.Size())), '\0');
  bytes.resize(stream.ReadAt(0, bytes.data(), bytes.size()));
  return bytes;
}

std::unique_ptr<platform::TFileStream> TDiskTree::OpenFile(const fs::path& p) {
  return std::make_unique<platform::TFileStream>(p);
}

std::string TDiskTree::Location(const fs::path& p) const { return platform::PathText(p); }

}  // namespace sides
