#include "Pairing.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

#include "compare/Comments.h"
#include "diff/HashUnit.h"
#include "platform/CodePage.h"
#include "platform/Collation.h"

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

const std::array<std::string, 4> CompareResultTexts = {"相同", "增加", "减少", "更改"};

const std::string& ResultText(int result) {
  static const std::string kNone;
  return result >= 0 && result < 4 ? CompareResultTexts[static_cast<std::size_t>(result)] : kNone;
}

std::uint32_t ResultColor(int result, const TResultColors& colors) {
  switch (result) {
    case crAdded: return colors.Add;
    case crDeleted: return colors.Del;
    case crChanged: return colors.Mod;
    default: return kSameRowColor;
  }
}

void SortDirList(TDirList& list) {
  SortByDecoded(list, [](const std::string& key) { return platform::CodePageToUtf16(key); });
}

void SortLibSelection(TLibSelection& list) { SortByDecoded(list, NameToUtf16); }

bool CheckObjectContents(const TLibStream& stream1, const TEntryRec& entry1, const TLibStream& stream2,
                         const TEntryRec& entry2, const TObjectCheck& check) {
  std::vector<std::string> lines1, lines2;
  ExportEntry(stream1, entry1, lines1, check.Report);
  ExportEntry(stream2, entry2, lines2, check.Report);
  if (auto same = compare::CheckByStructure(lines1, lines2, check.Options, check.Note)) return *same;
  // Under IgnoreComments a line holding only a comment is compared as a blank line.
  const compare::TComparedText text1 = compare::ComparedLines(lines1, check.Options);
  const compare::TComparedText text2 = compare::ComparedLines(lines2, check.Options);
  auto hashes = [&check](const std::vector<std::string_view>& lines) {
    std::vector<std::uint32_t> h(lines.size());
    std::transform(lines.begin(), lines.end(), h.begin(), [&check](std::string_view line) {
      return HashLine(line, check.Options.IgnoreCase, check.Options.IgnoreBlanks);
    });
    return h;
  };
  TDiff local;
  TDiff& diff = check.Diff ? *check.Diff : local;
  if (!diff.Execute(hashes(text1.Lines), hashes(text2.Lines))) return false;
  // Only added or removed blank lines count as no change.
  for (const ChangeRecord& c : diff.Changes()) {
    if (c.Kind == KindModified) return false;
    if (c.Kind == KindAdded && !AllBlank(text2.Lines, c.Pos2, c.Count)) return false;
    if (c.Kind == KindDeleted && !AllBlank(text1.Lines, c.Pos1, c.Count)) return false;
  }
  return true;
}

void CompareObjects(TDirList& list1, const TLibStream* stream1, TDirList& list2, const TLibStream* stream2,
                    TCompareCounts& counts, const TObjectCheck& check) {
  std::unordered_map<const TEntryRec*, std::uint8_t> kinds;
  std::function<bool(const TEntryRec&, const TEntryRec&)> same = [&](const TEntryRec& e1, const TEntryRec& e2) {
    if (e1.Size == e2.Size && e1.Time == e2.Time) return true;
    if (!stream1 || !stream2) throw std::logic_error("CompareObjects() - a side with entries has no library.");
    compare::TChangeNote note;
    TObjectCheck noting = check;
    noting.Note = &note;
    bool result = CheckObjectContents(*stream1, e1, *stream2, e2, noting);
    // A pair the lines call the same (blank lines apart) has nothing to explain.
    if (result && (!note.ByStructure || note.Kind == compare::ckLayout)) note.Kind = 0;
    if (note.Kind) kinds[&e1] = note.Kind;
    return result;
  };
  PairLists<TEntryRec>(list1, list2, CompareKeys, same, counts);
  for (std::size_t i = 0; i < list1.size(); ++i) {
    auto it = kinds.find(list1[i].Rec.get());
    std::uint8_t kind = it == kinds.end() ? 0 : it->second;
    list1[i].Rec->ChangeKind = list2[i].Rec->ChangeKind = kind;
  }
}

bool CheckLibraryContents(const fs::path& path1, const fs::path& path2, const TObjectCheck& check) {
  TLibStream stream1(path1), stream2(path2);
  TDirList list1, list2;
  ReadLibDirectory(stream1, list1, check.Report);
  ReadLibDirectory(stream2, list2, check.Report);
  SortDirList(list1);
  SortDirList(list2);
  TCompareCounts counts;
  CompareObjects(list1, &stream1, list2, &stream2, counts, check);
  return std::all_of(list1.begin(), list1.end(), [](const auto& item) { return item.Rec->CompareResult == crSame; });
}

bool SameLibrary(const TFolderRec& rec1, const TFolderRec& rec2, const TObjectCheck& check) {
  if (rec1.IsDir) return true;
  if (rec1.Size == rec2.Size && rec1.Time == rec2.Time) return true;
  // A folder cannot be read as a library; it is simply not the same thing as a file.
  if (rec2.IsDir) return false;
  return CheckLibraryContents(rec1.Path, rec2.Path, check);
}

void CompareLibraries(TLibSelection& list1, TLibSelection& list2, TCompareCounts& counts,
                      const TObjectCheck& check, const TPairProgress& progress) {
  PairLibraries(
      list1, list2, counts, [&](const TFolderRec& a, const TFolderRec& b) { return SameLibrary(a, b, check); },
      progress);
}

void PairLibraries(TLibSelection& list1, TLibSelection& list2, TCompareCounts& counts,
                   const std::function<bool(const TFolderRec&, const TFolderRec&)>& same,
                   const TPairProgress& progress) {
  SortLibSelection(list1);
  SortLibSelection(list2);
  PairLists<TFolderRec>(list1, list2, CompareNames, same, counts, progress);
}

std::array<std::string, 6> LibraryRowCells(const TKeyed<TFolderRec>& side1, const TKeyed<TFolderRec>& side2) {
  const int result = side1.Rec->CompareResult;
  std::array<std::string, 6> cells;
  cells[0] = result == crAdded ? side2.Key : side1.Key;
  cells[1] = ResultText(result);
  if (result != crAdded) {
    cells[2] = platform::FormatDateTime(side1.Rec->Time);
    cells[3] = std::to_string(side1.Rec->Size);
  }
  if (result != crDeleted) {
    cells[4] = platform::FormatDateTime(side2.Rec->Time);
    cells[5] = std::to_string(side2.Rec->Size);
  }
  return cells;
}

std::array<std::string, 7> ObjectRowCells(const TKeyed<TEntryRec>& side1, const TKeyed<TEntryRec>& side2) {
  const int result = side1.Rec->CompareResult;
  const std::string& key = result == crAdded ? side2.Key : side1.Key;
  std::array<std::string, 7> cells;
  cells[0] = platform::CodePageToUtf8(key.empty() ? key : key.substr(1));
  cells[1] = ResultText(result);
  if (result != crAdded) {
    cells[2] = TimeText(*side1.Rec);
    cells[3] = std::to_string(side1.Rec->Size);
  }
  if (result != crDeleted) {
    cells[4] = TimeText(*side2.Rec);
    cells[5] = std::to_string(side2.Rec->Size);
  }
  cells[6] = platform::CodePageToUtf8(key.substr(0, key.empty() ? 0 : 1));
  return cells;
}

std::vector<std::size_t> ObjectRowOrder(const TDirList& list1, const TDirList& list2) {
  const std::size_t n = std::min(list1.size(), list2.size());
  std::vector<std::u16string> names(n);
  std::vector<char> letters(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::string& key = list1[i].Key.empty() ? list2[i].Key : list1[i].Key;
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
