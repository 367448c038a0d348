// Pairing and classification of two sides, without any toolkit: sorting keyed lists, the pairing
// of two sorted lists into pairs that say, beside the lists, which item of each side a pair holds
// and how the pair compares, and the content checks of objects and libraries. The records of the
// lists describe what was read and carry no verdict. The words and colours of a result are the
// views' and the command line's.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

#include "diff/DiffUnit.h"
#include "compare/CompareCounts.h"
#include "compare/Options.h"
#include "compare/Side.h"
#include "compare/Structured.h"
#include "pbl/PbFuncs.h"
#include "sides/Collect.h"
#include "sides/Library.h"

enum TCompareResult : std::uint8_t { crSame = 0, crAdded = 1, crDeleted = 2, crChanged = 3 };

// One pair of a pairing: the index of its item in each side's list, or kNone where that side has
// none (an added or deleted item), how the pair compares, and what kind of change it is
// (compare::TChangeKind flags; set by CompareObjects, 0 elsewhere). A pairing is two-way: it
// fills the indices of Side1 and Side2.
struct TPair {
  static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
  std::array<std::size_t, compare::SideCount> Index = [] {
    std::array<std::size_t, compare::SideCount> none{};
    none.fill(kNone);
    return none;
  }();
  TCompareResult Result = crSame;
  std::uint8_t Kind = 0;
  bool Has(compare::TSide side) const { return Index[side] != kNone; }
};
// The pairs of two sorted lists, in the lists' order.
using TPairing = std::vector<TPair>;

// The item a pair holds on a side, or null.
template <class T>
const pbl::TKeyed<T>* ItemOf(const std::vector<pbl::TKeyed<T>>& list, const TPair& pair, compare::TSide side) {
  return pair.Has(side) && pair.Index[side] < list.size() ? &list[pair.Index[side]] : nullptr;
}
// The key a pair is known by: side 1's where it has one, else side 2's.
template <class T>
const std::string& PairKey(const std::vector<pbl::TKeyed<T>>& list1, const std::vector<pbl::TKeyed<T>>& list2, const TPair& pair) {
  static const std::string kNoKey;
  if (const pbl::TKeyed<T>* item = ItemOf(list1, pair, compare::Side1)) return item->Key;
  if (const pbl::TKeyed<T>* item = ItemOf(list2, pair, compare::Side2)) return item->Key;
  return kNoKey;
}

// What a row says of each result, in result order (same, added, deleted, changed): the words are
// the caller's, the view's or the command line's.
using TResultWords = std::array<std::string, 4>;

// Told after every step of a pairing's main loop: the number of pairs made and the percentage
// done (that number times 100 over the smaller of the two sides' lengths, each counted with the
// pairs so far that lack an item of that side).
using TPairProgress = std::function<void(std::size_t index, int percent)>;

// Sorting without regard to letter case by the user locale's collation: directory lists by key
// (code page), library selections by file name (UTF-8). Each key is decoded once, not once per
// comparison; items of equal keys keep their order.
void SortDirList(pbl::TDirList& list);
void SortLibSelection(TLibSelection& list);

// Pairs two sorted keyed lists, as both list views do: every item of either list is in one pair,
// in order; a pair of equal keys is the same or changed as `same` says, an item without a partner
// is deleted (side 1 only) or added (side 2 only). `compare` orders two keys (<0, 0, >0). Fills
// Added, Deleted and Changed of `counts`.
template <class T>
TPairing PairLists(const std::vector<pbl::TKeyed<T>>& list1, const std::vector<pbl::TKeyed<T>>& list2,
                   const std::function<int(const std::string&, const std::string&)>& compare,
                   const std::function<bool(const T&, const T&)>& same, TCompareCounts& counts,
                   const TPairProgress& progress = {});

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
  diff::TDiff* Diff = nullptr;
  compare::TCompareOptions Options{};
  pbl::TReadReport* Report = nullptr;
  sides::TSideReport* Problems = nullptr;
  compare::TChangeNote* Note = nullptr;  // where to note what kind of change a pair is
  TCheckMemo* Memo = nullptr;            // what CompareObjects found before, kept and used
  // The disk as the command has listed it (see sides::OpenLibrary); null: each library opened
  // lists its folder anew.
  std::shared_ptr<sides::TSourceTree> Disk = nullptr;
  // Whether CompareObjects sets the pairs' Kind. Without it and without the structure
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
bool CheckObjectContents(sides::TLibrary& lib1, const pbl::TEntryRec& entry1, sides::TLibrary& lib2,
                         const pbl::TEntryRec& entry2, const TObjectCheck& check);
bool CheckObjectContents(const pbl::TLibStream& stream1, const pbl::TEntryRec& entry1, const pbl::TLibStream& stream2,
                         const pbl::TEntryRec& entry2, const TObjectCheck& check);

// Pairs two sorted directory lists. Pairs of two library files' entries with equal size and time
// are the same without reading; every other pair (any object of a folder library or a revision)
// is decided by the content check, which also sets the pair's Kind. A pair
// whose object cannot be read is changed and noted in the check's Problems (without them the file
// error is thrown); an object missing from a partial clone (sides::TMissingObject) is always thrown. A library may be null for a side whose list is empty.
TPairing CompareObjects(const pbl::TDirList& list1, sides::TLibrary* lib1, const pbl::TDirList& list2, sides::TLibrary* lib2,
                        TCompareCounts& counts, const TObjectCheck& check);
TPairing CompareObjects(const pbl::TDirList& list1, const pbl::TLibStream* stream1, const pbl::TDirList& list2,
                        const pbl::TLibStream* stream2, TCompareCounts& counts, const TObjectCheck& check);

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
TPairing CompareLibraries(TLibSelection& list1, TLibSelection& list2, TCompareCounts& counts,
                          const TObjectCheck& check, const TPairProgress& progress = {});

// The same steps with another equality test (the library frame's, which notes what each check
// read).
TPairing PairLibraries(TLibSelection& list1, TLibSelection& list2, TCompareCounts& counts,
                       const std::function<bool(const TFolderRec&, const TFolderRec&)>& same,
                       const TPairProgress& progress = {});

// The cells of a library row (file name, result, time 1, size 1, time 2, size 2) and of an object
// row (name, result, time 1, size 1, time 2, size 2, type letter) of one pair, UTF-8, with the
// cells of a missing side empty and the result said in `words`. An object whose two names differ
// in letter case only is named "name1 → name2".
std::array<std::string, 6> LibraryRowCells(const TLibSelection& list1, const TLibSelection& list2, const TPair& pair,
                                           const TResultWords& words);
std::array<std::string, 7> ObjectRowCells(const pbl::TDirList& list1, const pbl::TDirList& list2, const TPair& pair,
                                          const TResultWords& words);

// The order in which the object list shows the pairs (indices into `pairs`): by name (locale
// collation without case), then, keeping that order, by type letter (ASCII letters without case,
// other bytes by value).
std::vector<std::size_t> ObjectRowOrder(const pbl::TDirList& list1, const pbl::TDirList& list2, const TPairing& pairs);

// ---------------------------------------------------------------------------------------------

template <class T>
TPairing PairLists(const std::vector<pbl::TKeyed<T>>& list1, const std::vector<pbl::TKeyed<T>>& list2,
                   const std::function<int(const std::string&, const std::string&)>& compare,
                   const std::function<bool(const T&, const T&)>& same, TCompareCounts& counts,
                   const TPairProgress& progress) {
  using compare::Side1;
  using compare::Side2;
  counts.Added = counts.Deleted = counts.Changed = 0;
  TPairing pairs;
  pairs.reserve(std::max(list1.size(), list2.size()));
  auto add = [&](std::size_t i1, std::size_t i2, TCompareResult result) {
    TPair pair;
    pair.Index[Side1] = i1;
    pair.Index[Side2] = i2;
    pair.Result = result;
    pairs.push_back(pair);
  };
  std::size_t i1 = 0, i2 = 0;
  while (i1 < list1.size() && i2 < list2.size()) {
    int order = compare(list1[i1].Key, list2[i2].Key);
    if (order < 0) {
      add(i1++, TPair::kNone, crDeleted);
      ++counts.Deleted;
    } else if (order > 0) {
      add(TPair::kNone, i2++, crAdded);
      ++counts.Added;
    } else {
      const bool equal = same(*list1[i1].Rec, *list2[i2].Rec);
      add(i1++, i2++, equal ? crSame : crChanged);
      if (!equal) ++counts.Changed;
    }
    if (progress) {
      // Each side counted with the pairs that lack its item, as if those were rows of its own.
      const std::size_t length1 = list1.size() + static_cast<std::size_t>(counts.Added);
      const std::size_t length2 = list2.size() + static_cast<std::size_t>(counts.Deleted);
      progress(pairs.size(), static_cast<int>(pairs.size() * 100 / std::min(length1, length2)));
    }
  }
  for (; i1 < list1.size(); ++counts.Deleted) add(i1++, TPair::kNone, crDeleted);
  for (; i2 < list2.size(); ++counts.Added) add(TPair::kNone, i2++, crAdded);
  return pairs;
}
