#include "Pairing.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <tuple>
#include <unordered_map>

#include "compare/Comments.h"
#include "diff/HashUnit.h"
#include "platform/CodePage.h"
#include "platform/Collation.h"
#include "platform/TextFile.h"
#include "sides/ExportFile.h"
#include "sides/GitTree.h"

using diff::ChangeRecord;
using diff::KindAdded;
using diff::KindDeleted;
using diff::KindModified;
using diff::TDiff;
using diff::TLineClasses;

using pbl::PbTimeToDateTime;
using pbl::TDirList;
using pbl::TEntryRec;
using pbl::TKeyed;
using pbl::TLibStream;

namespace fs = std::filesystem;

namespace {

std::u16string NameToUtf16(const std::string& utf8) {
  return platform::CodePageToUtf16(platform::Utf8ToCodePage(utf8));
}

int CompareKeys(const std::string& a, const std::string& b) { return platform::CompareTextNoCase(a, b); }

int CompareNames(const std::string& a, const std::string& b) {
  return platform::CompareUnicodeNoCase(NameToUtf16(a), NameToUtf16(b));
}

// Sorts by keys decoded once up front.
template <class T>
void SortByDecoded(std::vector<TKeyed<T>>& list, const std::function<std::u16string(const std::string&)>& decode) {
  std::vector<std::u16string> keys;
  keys.reserve(list.size());
  for (const auto& item : list) keys.push_back(decode(item.Key));
  std::vector<std::size_t> order(list.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return platform::CompareUnicodeNoCase(keys[a], keys[b]) < 0;
  });
  std::vector<TKeyed<T>> sorted;
  sorted.reserve(list.size());
  for (std::size_t i : order) sorted.push_back(std::move(list[i]));
  list = std::move(sorted);
}

// Empty after removing leading and trailing bytes up to 32 (spaces and control characters).
bool IsBlankLine(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

bool AllBlank(const std::vector<std::string_view>& lines, std::int32_t from, std::int32_t count) {
  for (std::int32_t i = from; i < from + count; ++i)
    if (!IsBlankLine(lines.at(static_cast<std::size_t>(i)))) return false;
  return true;
}

std::string TimeText(const TEntryRec& e) { return platform::FormatDateTime(PbTimeToDateTime(e.Time)); }

}  // namespace

void SortDirList(TDirList& list) {
  SortByDecoded(list, [](const std::string& key) { return platform::CodePageToUtf16(key); });
}

void SortLibSelection(TLibSelection& list) { SortByDecoded(list, NameToUtf16); }

bool CheckObjectContents(const TLibStream& stream1, const TEntryRec& entry1, const TLibStream& stream2,
                         const TEntryRec& entry2, const TObjectCheck& check) {
  sides::TPblStreamView lib1(stream1), lib2(stream2);
  return CheckObjectContents(lib1, entry1, lib2, entry2, check);
}

namespace {

// Whether two texts' lines, as they are compared, count as the same: equal under the options, or
// but for blank lines added or removed.
bool SameComparedLines(const std::vector<std::string_view>& lines1, const std::vector<std::string_view>& lines2,
                       const TObjectCheck& check) {
  TLineClasses classes(check.Options.IgnoreCase, check.Options.IgnoreBlanks);
  const std::vector<std::uint32_t> values1 = classes.OfLines(lines1);
  const std::vector<std::uint32_t> values2 = classes.OfLines(lines2);
  TDiff local;
  TDiff& diff = check.Diff ? *check.Diff : local;
  if (!diff.Execute(values1, values2)) return false;
  // Only added or removed blank lines count as no change, a kind of change of their own.
  for (const ChangeRecord& c : diff.Changes()) {
    if (c.Kind == KindModified) return false;
    if (c.Kind == KindAdded && !AllBlank(lines2, c.Pos2, c.Count)) return false;
    if (c.Kind == KindDeleted && !AllBlank(lines1, c.Pos1, c.Count)) return false;
  }
  if (check.Note && !diff.Changes().empty()) *check.Note = {compare::ckBlankLines, false};
  return true;
}

// Whether two export texts count as the same (see CheckObjectContents).
bool SameLines(const std::vector<std::string>& lines1, const std::vector<std::string>& lines2, const TObjectCheck& check) {
  // The structure decides under the structure options; otherwise it only tells the kind of change.
  if (check.Note || compare::UsesStructure(check.Options))
    if (auto same = compare::CheckByStructure(lines1, lines2, check.Options, check.Note)) return *same;
  // Under IgnoreComments a line holding only a comment is compared as a blank line.
  const compare::TComparedText text1 = compare::ComparedLines(lines1, check.Options);
  const compare::TComparedText text2 = compare::ComparedLines(lines2, check.Options);
  return SameComparedLines(text1.Lines, text2.Lines, check);
}

}  // namespace

bool CheckObjectContents(sides::TLibrary& lib1, const TEntryRec& entry1, sides::TLibrary& lib2,
                         const TEntryRec& entry2, const TObjectCheck& check) {
  // Files of one id in a revision, or of the same bytes, are the same whatever they hold: a text
  // is the same as itself under every option. Only files that differ are decoded and compared.
  const std::string id1 = lib1.ObjectId(entry1);
  if (!id1.empty() && id1 == lib2.ObjectId(entry2)) return true;
  std::optional<std::string> bytes1 = lib1.ObjectBytes(entry1);
  std::vector<std::string> lines1, lines2;
  if (!bytes1) lib1.Export(entry1, lines1, check.Report);
  std::optional<std::string> bytes2 = lib2.ObjectBytes(entry2);
  if (bytes1 && bytes2 && *bytes1 == *bytes2) return true;
  // A huge object (a generated file, a blob kept by mistake) would cost gigabytes as lines.
  bool tooLarge = false;
  for (const auto& [bytes, lib, entry] : {std::tuple{&bytes1, &lib1, &entry1}, std::tuple{&bytes2, &lib2, &entry2}}) {
    if (!*bytes || (*bytes)->size() <= kMaxObjectBytes) continue;
    tooLarge = true;
    if (check.Problems) {
      const std::string where = lib->EntryLocation(*entry);
      check.Problems->Add({sides::TProblemKind::Unreadable, where,
                           where + ": larger than " + std::to_string(kMaxObjectBytes >> 20) + " MB: compared by its bytes",
                           {}, false});
    }
  }
  if (tooLarge) return false;
  // Compared line by line as they are, two files need no line of their own.
  if (bytes1 && bytes2 && !check.Note && !compare::UsesStructure(check.Options) && !check.Options.IgnoreComments) {
    const std::string text1 = sides::DecodeExportText(std::move(*bytes1)), text2 = sides::DecodeExportText(std::move(*bytes2));
    std::vector<std::string_view> views1, views2;
    platform::SplitLines(text1, views1);
    platform::SplitLines(text2, views2);
    return SameComparedLines(views1, views2, check);
  }
  if (bytes1) lines1 = sides::DecodeExportFile(*bytes1);
  if (bytes2)
    lines2 = sides::DecodeExportFile(*bytes2);
  else
    lib2.Export(entry2, lines2, check.Report);
  return SameLines(lines1, lines2, check);
}

TPairing CompareObjects(const TDirList& list1, sides::TLibrary* lib1, const TDirList& list2, sides::TLibrary* lib2,
                        TCompareCounts& counts, const TObjectCheck& check) {
  const bool trusted = (!lib1 || lib1->TrustsSizeAndTime()) && (!lib2 || lib2->TrustsSizeAndTime());
  std::unordered_map<const TEntryRec*, std::uint8_t> kinds;
  // Two files checked before are not read again.
  const bool memo = check.Memo && lib1 && lib2 && !lib1->TrustsSizeAndTime() && !lib2->TrustsSizeAndTime();
  auto memoKey = [&](const TEntryRec& e1, const TEntryRec& e2) {
    return memo ? lib1->EntryLocation(e1) + '\n' + lib2->EntryLocation(e2) : std::string();
  };
  auto memoFound = [&](const std::string& key) -> const TCheckMemo::TFound* {
    if (!memo) return nullptr;
    auto it = check.Memo->Found.find(key);
    // A pair found changed without its kind is checked again where the kind is wanted.
    if (it == check.Memo->Found.end() || !(it->second.Kinds || it->second.Same || !check.Kinds)) return nullptr;
    return &it->second;
  };
  // The files of the pairs about to be read are asked for in the order they will be, so that a
  // library read through git has the next one on its way while this one is compared.
  if (lib1 && lib2 && !trusted) {
    TCompareCounts scratch;
    PairLists<TEntryRec>(list1, list2, CompareKeys, [&](const TEntryRec& e1, const TEntryRec& e2) {
      const std::string id1 = lib1->ObjectId(e1);
      if ((id1.empty() || id1 != lib2->ObjectId(e2)) && !memoFound(memoKey(e1, e2))) {
        lib1->ReadAhead(e1);
        lib2->ReadAhead(e2);
      }
      return true;
    }, scratch);
  }
  std::function<bool(const TEntryRec&, const TEntryRec&)> same = [&](const TEntryRec& e1, const TEntryRec& e2) {
    if (trusted && e1.Size == e2.Size && e1.Time == e2.Time) return true;
    if (!lib1 || !lib2) throw std::logic_error("CompareObjects() - a side with entries has no library.");
    compare::TChangeNote note;
    TObjectCheck noting = check;
    noting.Note = check.Kinds || compare::UsesStructure(check.Options) ? &note : nullptr;
    bool result = false;
    const std::string key = memoKey(e1, e2);
    const TCheckMemo::TFound* found = memoFound(key);
    if (found) {
      result = found->Same;
      note = found->Note;
    } else {
      try {
        result = CheckObjectContents(*lib1, e1, *lib2, e2, noting);
      } catch (const sides::TMissingObject&) {
        throw;  // a clone that lacks objects cannot be compared at all
      } catch (const platform::TFileError& e) {
        if (!check.Problems) throw;
        check.Problems->Add({sides::TProblemKind::Unreadable, e.what(), e.what(), {}, false});
        return false;
      }
      if (memo) check.Memo->Found[key] = {result, noting.Note != nullptr, note};
    }
    // A pair the lines call the same has nothing to explain but blank lines added or removed,
    // which are told while the pair stays the same.
    if (result && (!note.ByStructure || note.Kind == compare::ckLayout)) note.Kind &= compare::ckBlankLines;
    if (note.Kind) kinds[&e1] = note.Kind;
    return result;
  };
  TPairing pairs = PairLists<TEntryRec>(list1, list2, CompareKeys, same, counts);
  for (TPair& pair : pairs)
    if (const TKeyed<TEntryRec>* item = ItemOf(list1, pair, compare::Side1); item && pair.Has(compare::Side2))
      if (auto it = kinds.find(item->Rec.get()); it != kinds.end()) pair.Kind = it->second;
  return pairs;
}

TPairing CompareObjects(const TDirList& list1, const TLibStream* stream1, const TDirList& list2,
                        const TLibStream* stream2, TCompareCounts& counts, const TObjectCheck& check) {
  std::optional<sides::TPblStreamView> lib1, lib2;
  if (stream1) lib1.emplace(*stream1);
  if (stream2) lib2.emplace(*stream2);
  return CompareObjects(list1, lib1 ? &*lib1 : nullptr, list2, lib2 ? &*lib2 : nullptr, counts, check);
}

namespace {

// The objects of two open libraries, read and sorted: whether every pair is the same.
bool SameObjects(sides::TLibrary& lib1, TDirList& list1, sides::TLibrary& lib2, TDirList& list2,
                 const TObjectCheck& check) {
  SortDirList(list1);
  SortDirList(list2);
  TCompareCounts counts;
  TObjectCheck sameOrNot = check;
  sameOrNot.Kinds = false;  // the lists go
  const TPairing pairs = CompareObjects(list1, &lib1, list2, &lib2, counts, sameOrNot);
  return std::all_of(pairs.begin(), pairs.end(), [](const TPair& pair) { return pair.Result == crSame; });
}

// Opens a library and reads its objects; a library that cannot be read is noted, or its error
// thrown when the check takes no notes.
std::unique_ptr<sides::TLibrary> ReadLibrary(const TFolderRec& rec, TDirList& list, const TObjectCheck& check) {
  try {
    std::unique_ptr<sides::TLibrary> lib = sides::OpenLibrary(rec, false, check.Disk);
    lib->ReadDirectory(list, check.Report);
    return lib;
  } catch (const sides::TMissingObject&) {
    throw;
  } catch (const platform::TFileError& e) {
    if (!check.Problems) throw;
    check.Problems->Add({sides::TProblemKind::Unreadable, sides::LibraryLocation(rec), e.what(), {}, false});
    return nullptr;
  }
}

}  // namespace

bool CheckLibraryContents(sides::TLibrary& lib1, sides::TLibrary& lib2, const TObjectCheck& check) {
  TDirList list1, list2;
  lib1.ReadDirectory(list1, check.Report);
  lib2.ReadDirectory(list2, check.Report);
  return SameObjects(lib1, list1, lib2, list2, check);
}

bool CheckLibraryContents(const TFolderRec& rec1, const TFolderRec& rec2, const TObjectCheck& check) {
  std::unique_ptr<sides::TLibrary> lib1 = sides::OpenLibrary(rec1, false, check.Disk),
                                   lib2 = sides::OpenLibrary(rec2, false, check.Disk);
  return CheckLibraryContents(*lib1, *lib2, check);
}

bool CheckLibraryContents(const fs::path& path1, const fs::path& path2, const TObjectCheck& check) {
  auto record = [](const fs::path& p) {
    auto rec = GetFolderRec(p);
    if (!rec) throw platform::TFileError("Cannot open file \"" + platform::PathText(p) + "\". No such file or directory");
    return rec;
  };
  return CheckLibraryContents(*record(path1), *record(path2), check);
}

std::size_t CountObjectDifferences(const TFolderRec& rec1, const TFolderRec& rec2, const TObjectCheck& check) {
  std::unique_ptr<sides::TLibrary> lib1 = sides::OpenLibrary(rec1, false, check.Disk),
                                   lib2 = sides::OpenLibrary(rec2, false, check.Disk);
  TDirList list1, list2;
  lib1->ReadDirectory(list1, check.Report);
  lib2->ReadDirectory(list2, check.Report);
  SortDirList(list1);
  SortDirList(list2);
  TCompareCounts counts;
  TObjectCheck count = check;
  count.Kinds = false;
  count.Problems = nullptr;  // an object that cannot be read throws: the library file is unreadable
  CompareObjects(list1, lib1.get(), list2, lib2.get(), counts, count);
  return static_cast<std::size_t>(counts.Added + counts.Deleted + counts.Changed);
}

bool SameLibrary(const TFolderRec& rec1, const TFolderRec& rec2, const TObjectCheck& check) {
  // Only a library file's own size and time say something about its content.
  const bool files = !rec1.IsDir && !rec2.IsDir && !rec1.Revision && !rec2.Revision;
  if (files && rec1.Size == rec2.Size && rec1.Time == rec2.Time) return true;
  TDirList list1, list2;
  std::unique_ptr<sides::TLibrary> lib1 = ReadLibrary(rec1, list1, check);
  std::unique_ptr<sides::TLibrary> lib2 = ReadLibrary(rec2, list2, check);
  if (!lib1 || !lib2) return false;
  // A folder that holds no exported object is no library file, whatever the file holds.
  if (rec1.IsDir != rec2.IsDir && ((rec1.IsDir && list1.empty()) || (rec2.IsDir && list2.empty()))) return false;
  return SameObjects(*lib1, list1, *lib2, list2, check);
}

TPairing CompareLibraries(TLibSelection& list1, TLibSelection& list2, TCompareCounts& counts,
                          const TObjectCheck& check, const TPairProgress& progress) {
  return PairLibraries(
      list1, list2, counts, [&](const TFolderRec& a, const TFolderRec& b) { return SameLibrary(a, b, check); },
      progress);
}

TPairing PairLibraries(TLibSelection& list1, TLibSelection& list2, TCompareCounts& counts,
                       const std::function<bool(const TFolderRec&, const TFolderRec&)>& same,
                       const TPairProgress& progress) {
  SortLibSelection(list1);
  SortLibSelection(list2);
  return PairLists<TFolderRec>(list1, list2, CompareNames, same, counts, progress);
}

std::array<std::string, 6> LibraryRowCells(const TLibSelection& list1, const TLibSelection& list2, const TPair& pair,
                                           const TResultWords& words) {
  std::array<std::string, 6> cells;
  cells[0] = PairKey(list1, list2, pair);
  cells[1] = words[pair.Result];
  if (const TKeyed<TFolderRec>* one = ItemOf(list1, pair, compare::Side1)) {
    cells[2] = platform::FormatDateTime(one->Rec->Time);
    cells[3] = std::to_string(one->Rec->Size);
  }
  if (const TKeyed<TFolderRec>* two = ItemOf(list2, pair, compare::Side2)) {
    cells[4] = platform::FormatDateTime(two->Rec->Time);
    cells[5] = std::to_string(two->Rec->Size);
  }
  return cells;
}

std::array<std::string, 7> ObjectRowCells(const TDirList& list1, const TDirList& list2, const TPair& pair,
                                          const TResultWords& words) {
  const TKeyed<TEntryRec>* one = ItemOf(list1, pair, compare::Side1);
  const TKeyed<TEntryRec>* two = ItemOf(list2, pair, compare::Side2);
  const std::string& key = PairKey(list1, list2, pair);
  std::array<std::string, 7> cells;
  cells[0] = platform::CodePageToUtf8(key.empty() ? key : key.substr(1));
  // An object renamed in letter case only is one pair: both names are shown.
  if (one && two && two->Key.size() > 1 && two->Key != one->Key)
    cells[0] += " → " + platform::CodePageToUtf8(two->Key.substr(1));
  cells[1] = words[pair.Result];
  if (one) {
    cells[2] = TimeText(*one->Rec);
    cells[3] = std::to_string(one->Rec->Size);
  }
  if (two) {
    cells[4] = TimeText(*two->Rec);
    cells[5] = std::to_string(two->Rec->Size);
  }
  cells[6] = platform::CodePageToUtf8(key.substr(0, key.empty() ? 0 : 1));
  return cells;
}

std::vector<std::size_t> ObjectRowOrder(const TDirList& list1, const TDirList& list2, const TPairing& pairs) {
  const std::size_t n = pairs.size();
  std::vector<std::u16string> names(n);
  std::vector<char> letters(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::string& key = PairKey(list1, list2, pairs[i]);
    names[i] = platform::CodePageToUtf16(key.empty() ? key : key.substr(1));
    char c = key.empty() ? '\0' : key[0];
    letters[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return platform::CompareUnicodeNoCase(names[a], names[b]) < 0;
  });
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return static_cast<unsigned char>(letters[a]) < static_cast<unsigned char>(letters[b]);
  });
  return order;
}
