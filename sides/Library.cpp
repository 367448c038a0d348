#include "Library.h"

#include <algorithm>

#include "platform/CodePage.h"
#include "platform/Collation.h"
#include "platform/TextFile.h"
#include "sides/Collect.h"
#include "sides/ExportFile.h"
#include "sides/GitTree.h"
#include "sides/SourceTree.h"

using platform::TDateTime;

using pbl::EntryKey;
using pbl::ExportEntry;
using pbl::PbTimeToDateTime;
using pbl::ReadLibDirectory;
using pbl::TDirList;
using pbl::TEntryRec;
using pbl::TReadReport;

namespace fs = std::filesystem;

namespace sides {

TLibKind KindOf(const TFolderRec& rec) {
  if (rec.Revision) return rec.IsDir ? TLibKind::RevisionFolder : TLibKind::RevisionFile;
  return rec.IsDir ? TLibKind::Folder : TLibKind::File;
}

std::string LibraryLocation(const TFolderRec& rec) {
  return rec.Revision ? rec.Revision->Location(rec.Path) : platform::PathText(rec.Path);
}

std::int32_t EntryTimeOf(TDateTime time) {
  static const TDateTime base = PbTimeToDateTime(0);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(time.Seconds - base.Seconds, INT32_MIN, INT32_MAX));
}

// ---- library files ----------------------------------------------------------------------------

void TPblLibrary::ReadDirectory(TDirList& list, TReadReport* report) { ReadLibDirectory(*stream_, list, report); }

void TPblLibrary::Export(const TEntryRec& entry, std::vector<std::string>& lines, TReadReport* report) {
  ExportEntry(*stream_, entry, lines, report);
}

std::string TPblLibrary::EntryLocation(const TEntryRec& entry) const {
  return platform::PathText(stream_->Path()) + "@" + platform::CodePageToUtf8(entry.Name);
}

void TPblStreamView::ReadDirectory(TDirList& list, TReadReport* report) { ReadLibDirectory(stream_, list, report); }

void TPblStreamView::Export(const TEntryRec& entry, std::vector<std::string>& lines, TReadReport* report) {
  ExportEntry(stream_, entry, lines, report);
}

std::string TPblStreamView::EntryLocation(const TEntryRec& entry) const {
  return platform::PathText(stream_.Path()) + "@" + platform::CodePageToUtf8(entry.Name);
}

// ---- folder libraries -------------------------------------------------------------------------

namespace {

// The first bytes of an object's file hold its header and comment lines.
constexpr std::size_t kHeadBytes = 4096;

std::uint16_t CommentLength(const std::string& comment) {
  return static_cast<std::uint16_t>(std::min<std::size_t>(platform::CodePageToUtf16(comment).size(), 0xFFFF));
}

}  // namespace

TFolderLibrary::TFolderLibrary(std::shared_ptr<TSourceTree> tree, fs::path folder, bool comments,
                               const std::string& objectList)
    : tree_(std::move(tree)), folder_(std::move(folder)), comments_(comments) {
  // A folder that cannot be listed cannot be opened.
  if (!tree_->List(folder_))
    throw platform::TFileError("Cannot open folder \"" + tree_->Location(folder_) + "\". No such folder");
  if (!objectList.empty()) {
    named_.emplace();
    for (const std::string& name : ObjectListObjects(tree_->ReadFile(folder_ / objectList)))
      named_->insert(platform::FoldNameCase(name));
  }
}

void TFolderLibrary::ReadDirectory(TDirList& list, TReadReport* /*report*/) {
  const TListing* listing = tree_->List(folder_);
  if (!listing) return;
  for (const TTreeItem& item : listing->Items()) {
    if (item.Type != TItemType::File || !IsExportFileName(item.Name)) continue;
    if (named_ && !named_->count(platform::FoldNameCase(item.Name))) continue;
    auto rec = std::make_unique<TEntryRec>();
    rec->Name = platform::Utf8ToCodePage(item.Name);
    rec->Size = static_cast<std::int32_t>(std::min<std::int64_t>(item.Size, INT32_MAX));
    rec->Time = EntryTimeOf(item.Time);
    rec->DataOffset = static_cast<std::int32_t>(files_.size());
    rec->NameLen = static_cast<std::uint16_t>(std::min<std::size_t>(rec->Name.size(), 0xFFFF));
    if (comments_) {
      try {
        std::vector<std::string> head;
        platform::SplitLines(DecodeExportText(tree_->ReadFile(folder_ / item.Name, kHeadBytes)), head);
        rec->CommentLen = CommentLength(ExportComment(head));
      } catch (const TMissingObject&) {
        throw;
      } catch (const platform::TFileError&) {
        // Listed all the same; reading its text says why it cannot be read.
      }
    }
    files_.push_back(item);
    // The type letter is lower case, whatever the case of the file's extension.
    std::string key = EntryKey(rec->Name);
    if (!key.empty() && key[0] >= 'A' && key[0] <= 'Z') key[0] = static_cast<char>(key[0] - 'A' + 'a');
    list.push_back({std::move(key), std::move(rec)});
  }
}

const TTreeItem& TFolderLibrary::FileOf(const TEntryRec& entry) const {
  if (entry.DataOffset < 0 || static_cast<std::size_t>(entry.DataOffset) >= files_.size())
    throw std::logic_error("TFolderLibrary::Export() - the entry is not one of this library.");
  return files_[static_cast<std::size_t>(entry.DataOffset)];
}

void TFolderLibrary::Export(const TEntryRec& entry, std::vector<std::string>& lines, TReadReport* /*report*/) {
  std::vector<std::string> text = DecodeExportFile(tree_->ReadFile(folder_ / FileOf(entry).Name));
  lines.insert(lines.end(), std::make_move_iterator(text.begin()), std::make_move_iterator(text.end()));
}

std::optional<std::string> TFolderLibrary::ObjectBytes(const TEntryRec& entry) {
  return tree_->ReadFile(folder_ / FileOf(entry).Name);
}

fs::path TFolderLibrary::ObjectFile(const TEntryRec& entry) const {
  return tree_->OnDisk() ? folder_ / FileOf(entry).Name : fs::path();
}

std::string TFolderLibrary::ObjectId(const TEntryRec& entry) const { return FileOf(entry).Id; }

void TFolderLibrary::ReadAhead(const TEntryRec& entry) { tree_->ReadAhead(folder_ / FileOf(entry).Name); }

std::string TFolderLibrary::EntryLocation(const TEntryRec& entry) const {
  return tree_->Location(folder_ / FileOf(entry).Name);
}

// ---- opening ----------------------------------------------------------------------------------

std::unique_ptr<TLibrary> OpenLibrary(const TFolderRec& rec, bool comments, std::shared_ptr<TSourceTree> disk) {
  std::shared_ptr<TSourceTree> tree;
  if (rec.Revision)
    tree = rec.Revision;
  else
    tree = disk ? std::move(disk) : std::make_shared<TDiskTree>();
  if (rec.IsDir) return std::make_unique<TFolderLibrary>(tree, rec.Path, comments, rec.ObjectList);
  return std::make_unique<TPblLibrary>(tree->OpenFile(rec.Path));
}

}  // namespace sides
