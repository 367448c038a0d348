// The three-way line merge: what two texts (ours, theirs) changed of a common base, found by two
// comparisons from the base with the difference engine, as regions that are unchanged, changed
// on one side, changed alike on both sides, or in conflict.
//
// It follows git's xdiff/xmerge.c: changes of the two sides that overlap or touch in the base are
// one region; a region where both sides made the same change is clean; a conflict is then
// refined by the style: the plain style compares the two sides' lines of a conflict and keeps
// only what differs in conflict (conflicts fewer than four lines apart, or apart by lines without
// a letter or digit, joined again); zdiff3 only moves the lines both sides begin and end with out
// of the conflict; diff3 leaves the conflict as found, since it shows the base too.
//
// The texts come in as line values (one TLineClasses for all three, so that equal values are equal
// lines); memory is linear in the texts.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace diff {
class TDiff;
}  // namespace diff

namespace merge {

enum class TStyle : std::uint8_t { Merge, Diff3, ZDiff3 };
// How conflicts are settled: left in the text with markers, or by one side, or by both (ours
// first).
enum class TFavor : std::uint8_t { None, Ours, Theirs, Union };

struct TMergeOptions {
  TStyle Style = TStyle::Merge;
  TFavor Favor = TFavor::None;
  int MarkerSize = 7;
  // Written after the markers <<<<<<<, ||||||| and >>>>>>> (nothing when empty).
  std::string OursLabel, BaseLabel, TheirsLabel;
};

enum class TRegionKind : std::uint8_t {
  Unchanged,  // the same lines in all three
  Ours,       // changed by ours only: ours' lines
  Theirs,     // changed by theirs only: theirs' lines
  Both,       // changed alike by both: ours' lines
  Conflict,
};

// A stretch of each text: lines [Start, Start + Count). Regions follow each other without gap
// in all three texts and cover them whole. A conflict refined by the plain style has the base
// stretch of the whole change it came from on its first piece and an empty one on the others.
struct TRegion {
  TRegionKind Kind = TRegionKind::Unchanged;
  std::int32_t Base = 0, BaseCount = 0;
  std::int32_t Ours = 0, OursCount = 0;
  std::int32_t Theirs = 0, TheirsCount = 0;
};

struct TLineValues {
  std::span<const std::uint32_t> Base, Ours, Theirs;
};

// Whether a line of ours holds a letter or a digit (for the plain style's joining of conflicts);
// without it, every line counts as holding one.
using THasAlnum = std::function<bool(std::int32_t oursLine)>;

// The regions of the merge of `values` in `style`. Throws std::length_error when a text is beyond
// the engine's range.
std::vector<TRegion> MergeRegions(const TLineValues& values, TStyle style, const THasAlnum& hasAlnum = {});

// Where the merged text's lines come from, one call per line in order.
enum class TSource : std::uint8_t { Base, Ours, Theirs };
struct TMergeSink {
  std::function<void(TSource source, std::int32_t line)> Line;
  // A marker line: `mark` repeated MarkerSize times, then a space and the label when there is one.
  std::function<void(char mark, std::string_view label)> Marker;
};

// Writes the merged text of `regions` to `sink` as `options` say; returns the number of
// conflicts left in it (0 under a favor option).
int WriteMerge(const std::vector<TRegion>& regions, const TMergeOptions& options, const TMergeSink& sink);

// Whether the bytes hold a letter or digit (ASCII), as git's joining of conflicts asks.
bool HoldsAlnum(std::string_view line);

}  // namespace merge
