// Pairing and classification of two sides, without any toolkit: the comparison results with their
// texts and colours, sorting keyed lists, the pairing of two sorted lists into aligned lists with
// placeholders, and the content checks of objects and libraries.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "diff/DiffUnit.h"
#include "compare/CompareCounts.h"
#include "compare/Options.h"
#include "compare/Structured.h"
#include "pbl/PbFuncs.h"
#include "sides/Collect.h"
#include "sides/Library.h"

enum TCompareResult : std::uint8_t { crSame = 0, crAdded = 1, crDeleted = 2, crChanged = 3 };

// "相同", "增加", "减少", "更改" (UTF-8), in result order.
extern const std::array<std::string, 4> CompareResultTexts;
const std::string& ResultText(int result);  // empty for a value outside 0..3

// Row colours, 0x00BBGGRR: white for the same, the given highlight colours for the others.
struct TResultColors {
  std::uint32_t Add = 0, Del = 0, Mod = 0;
};
constexpr std::uint32_t kSameRowColor = 0x00FFFFFF;
std::uint32_t ResultColor(int result, const TResultColors& colors);

// Told after every step of a pairing's main loop: the index after the step and the percentage
// done (index times 100 over the smaller of the two current lengths).
using TPairProgress = std::function<void(std::size_t index, int percent)>;

// Sorting without regard to letter case by the user locale's collation: directory lists by key
// (code page), library selections by file name (UTF-8). Each key is decoded once, not once per
// comparison; items of equal keys keep their order.
void SortDirList(TDirList& list);
void SortLibSelection(TLibSelection& list);

// Pairs two sorted keyed lists in place, as both list views do: afterwards both have the same
// length, and at every index either the keys are equal (results 0 or 3, as `same` says) or one
// side holds a placeholder (empty key) and the other result 1 or 2. `compare` orders two keys
// (<0, 0, >0). Fills Added, Deleted and Changed of `counts`.
template <class T>
void PairLists(std::vector<TKeyed<T>>& list1, std::vector<TKeyed<T>>& list2,
               const std::function<int(const std::string&, const std::string&)>& compare,
               const std::function<bool(const T&, const T&)>& same, TCompareCounts& counts,
               const TPairProgress& progress = {});

// Drops the placeholders of an aligned list and resets every other record's result to 0.
template <class T>
void RemovePlaceholders(std::vector<TKeyed<T>>& list);

// What the content checks of one command found, so that a pair of objects checked again
// (compare-libs --objects pairs a changed library's objects twice) is not read again. Only pairs
// of files are kept (folder libraries, revisions): a library file's export notes its damage in
// the check's Report each time it is read. Valid for one set of options.
struct TCheckMemo {
  struct TFound {
    bool Same = false;
    bool Kinds = false;  // Note was taken
    compare::TChangeNote Note;
  };
  std::unordered_map<std::string, TFound> Found;  // by both objects' locations
};

// What an object content check needs: the engine, the options, and optionally where to note
// damage met while exporting and the libraries and objects that could not be read at all.
struct TObjectCheck {
  TDiff* Diff = nullptr;
  compare::TCompareOptions Options{};
  TReadReport* Report = nullptr;
  sides::TSideReport* Problems = nullptr;
  compare::TChangeNote* Note = nullptr;  // where to note what kind of change a pair is
  TCheckMemo* Memo = nullptr;            // what CompareObjects found before, kept and used
  // The disk as the command has listed it (see sides::OpenLibrary); null: each library opened
  // lists its folder anew.
  std::shared_ptr<sides::TSourceTree> Disk = nullptr;
  // Whether CompareObjects sets the records' ChangeKind. Without it and without the structure
  // options a pair is decided by its lines alone, its structure not looked at.
  bool Kinds = true;
};

// An exported object larger than this is compared by its bytes alone (equal or changed), with a
// note in TObjectCheck::Problems: its text is never decoded, cut into lines or compared.
constexpr std::size_t kMaxObjectBytes = std::size_t{64} << 20;

// Whether two entries' sources count as the same: their export texts differ at most by added or
// removed lines that are empty after trimming blanks and control characters. An incomplete
// difference search counts as different. Under the structure options the sections (DataWindows:
// the attributes) decide instead, where the texts are understood (compare/Structured.h). Throws
// platform::TFileError when an object's file cannot be read. Files over kMaxObjectBytes that
// differ are changed, unread as text.
bool CheckObjectContents(sides::TLibrary& lib1, const TEntryRec& entry1, sides::TLibrary& lib2,
                         const TEntryRec& entry2, const TObjectCheck& check);
bool CheckObjectContents(const TLibStream& stream1, const TEntryRec& entry1, const TLibStream& stream2,
                         const TEntryRec& entry2, const TObjectCheck& check);

// Pairs two sorted directory lists in place. Pairs of two library files' entries with equal size
// and time are the same without reading; every other pair (any object of a folder library or a
// revision) is decided by the content check, which also sets both records' ChangeKind. A pair
// whose object cannot be read is changed and noted in the check's Problems (without them the file
// error is thrown); an object missing from a partial clone (sides::TMissingObject) is always thrown. A library may be null for a side whose list is empty.
void CompareObjects(TDirList& list1, sides::TLibrary* lib1, TDirList& list2, sides::TLibrary* lib2,
                    TCompareCounts& counts, const TObjectCheck& check);
void CompareObjects(TDirList& list1, const TLibStream* stream1, TDirList& list2, const TLibStream* stream2,
                    TCompareCounts& counts, const TObjectCheck& check);

// Whether two libraries hold the same objects (each compared by CompareObjects).
bool CheckLibraryContents(sides::TLibrary& lib1, sides::TLibrary& lib2, const TObjectCheck& check);
// The same for two libraries of any kind; throws platform::TFileError when one cannot be opened
// or read.
bool CheckLibraryContents(const TFolderRec& rec1, const TFolderRec& rec2, const TObjectCheck& check);
// The same for two libraries on disk (library files or folder libraries).
bool CheckLibraryContents(const std::filesystem::path& path1, const std::filesystem::path& path2, const TObjectCheck& check);

// How many objects of two libraries differ (added, deleted or changed, each compared by
// CompareObjects); throws platform::TFileError when one cannot be opened or read.
std::size_t CountObjectDifferences(const TFolderRec& rec1, const TFolderRec& rec2, const TObjectCheck& check);

// The library equality test: two library files on disk of equal size and time are the same;
// a folder library holding no object opposite a library file is different; otherwise the
// libraries' objects decide. A library that cannot be opened or read makes the pair different
// and is noted in the check's Problems (without them the file error is thrown; a missing object
// of a partial clone always is).
bool SameLibrary(const TFolderRec& rec1, const TFolderRec& rec2, const TObjectCheck& check);

// Sorts both library lists by file name and pairs them with SameLibrary (Added, Deleted and
// Changed of `counts` are filled; Count1 and Count2 are the caller's).
void CompareLibraries(TLibSelection& list1, TLibSelection& list2, TCompareCounts& counts,
                      const TObjectCheck& check, const TPairProgress& progress = {});

// The same steps with another equality test (the library frame's, which notes what each check
// read).
void PairLibraries(TLibSelection& list1, TLibSelection& list2, TCompareCounts& counts,
                   const std::function<bool(const TFolderRec&, const TFolderRec&)>& same,
                   const TPairProgress& progress = {});

// The cells of a library row (file name, result text, time 1, size 1, time 2, size 2) and of an
// object row (name, result text, time 1, size 1, time 2, size 2, type letter), UTF-8, with the
// cells of a missing side empty. An object whose two names differ in letter case only is named
// "name1 → name2".
std::array<std::string, 6> LibraryRowCells(const TKeyed<TFolderRec>& side1, const TKeyed<TFolderRec>& side2);
std::array<std::string, 7> ObjectRowCells(const TKeyed<TEntryRec>& side1, const TKeyed<TEntryRec>& side2);

// The order in which the object list shows the aligned pairs: by name (locale collation without
// case), then, keeping that order, by type letter (ASCII letters without case, other bytes by
// value).
std::vector<std::size_t> ObjectRowOrder(const TDirList& list1, const TDirList& list2);

// ---------------------------------------------------------------------------------------------

template <class T>
void PairLists(std::vector<TKeyed<T>>& list1, std::vector<TKeyed<T>>& list2,
               const std::function<int(const std::string&, const std::string&)>& compare,
               const std::function<bool(const T&, const T&)>& same, TCompareCounts& counts,
               const TPairProgress& progress) {
  auto placeholder = [](std::uint8_t result) {
    TKeyed<T> item{std::string(), std::make_unique<T>()};
    item.Rec->CompareResult = result;
    return item;
  };
  counts.Added = counts.Deleted = counts.Changed = 0;
  std::size_t i = 0;
  while (i < list1.size() && i < list2.size()) {
    int order = compare(list1[i].Key, list2[i].Key);
    if (order < 0) {
      list2.insert(list2.begin() + static_cast<std::ptrdiff_t>(i), placeholder(crDeleted));
      list1[i].Rec->CompareResult = crDeleted;
      ++counts.Deleted;
    } else if (order > 0) {
      list1.insert(list1.begin() + static_cast<std::ptrdiff_t>(i), placeholder(crAdded));
      list2[i].Rec->CompareResult = crAdded;
      ++counts.Added;
    } else if (!same(*list1[i].Rec, *list2[i].Rec)) {
      list1[i].Rec->CompareResult = list2[i].Rec->CompareResult = crChanged;
      ++counts.Changed;
    }
    ++i;
    if (progress) progress(i, static_cast<int>(i * 100 / std::min(list1.size(), list2.size())));
  }
  for (; i < list1.size(); ++i) {
    list2.insert(list2.begin() + static_cast<std::ptrdiff_t>(i), placeholder(crDeleted));
    list1[i].Rec->CompareResult = crDeleted;
    ++counts.Deleted;
  }
  for (; i < list2.size(); ++i) {
    list1.insert(list1.begin() + static_cast<std::ptrdiff_t>(i), placeholder(crAdded));
    list2[i].Rec->CompareResult = crAdded;
    ++counts.Added;
  }
}

template <class T>
void RemovePlaceholders(std::vector<TKeyed<T>>& list) {
  for (std::size_t i = list.size(); i-- > 0;) {
    if (list[i].Key.empty()) {
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      list[i].Rec->CompareResult = crSame;
      if constexpr (requires { list[i].Rec->ChangeKind; }) list[i].Rec->ChangeKind = 0;
    }
  }
}
