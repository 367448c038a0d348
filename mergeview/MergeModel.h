// TMergeModel: what the merge view shows and edits, without a toolkit.
//
// Three texts (side 1 = ours, the base, side 2 = theirs) are decoded to code-page lines and
// aligned in rows of three cells from the line merge's regions (conflicts as found, unrefined,
// so that each holds its whole base) (a row per line of the longest
// text of a region, fillers in the others). The result is a list of chunks that follow each other
// without gap: each holds the three texts' lines it came from and a stretch of the result. It
// starts as the merge engine's result: by line, one chunk per region; by section (when asked and
// the exports are understood), the engine's result with each conflict a chunk of its own.
//
// A conflict holds the base's lines in the result until it is settled; no marker line is ever
// put into the result, so none reaches a saved file unless the user typed it. A conflict is
// settled by taking a side, both sides in either order, or the base, or by editing its lines.
// Every change of the result (a take or an edit by hand) is one step of the model's own undo,
// which puts the text and the conflicts' states back together.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "merge/MergeFiles.h"
#include "platform/TextFile.h"

namespace mergeview {

// The three texts in the order of their panes.
enum TPart : int { Ours = 0, Base = 1, Theirs = 2 };
inline constexpr int PartCount = 3;

enum class TChunkKind : std::uint8_t {
  Unchanged,  // the same in all three texts (by section: merged without conflict)
  Ours,       // changed by side 1 only
  Theirs,     // changed by side 2 only
  Both,       // changed alike by both
  Conflict,
};

// What a chunk's result holds: as merged (for a conflict: unsettled), a side, both sides in
// either order, the base, or the user's own edit.
enum class TTake : std::uint8_t { Merged, Ours, Theirs, OursThenTheirs, TheirsThenOurs, Base, Edited };

struct TChunk {
  TChunkKind Kind = TChunkKind::Unchanged;
  std::array<std::vector<std::string>, PartCount> Lines;  // the chunk in each text
  std::int32_t FirstRow = -1;                             // its first aligned row (-1: none found)
  std::int32_t Start = 0, Count = 0;                      // its lines of the result
  TTake Taken = TTake::Merged;
  bool Unsettled() const { return Kind == TChunkKind::Conflict && Taken == TTake::Merged; }
};

// One aligned row: a line of each text, or -1 for a filler; the kind of the line merge's region.
struct TRow {
  std::array<std::int32_t, PartCount> Line{-1, -1, -1};
  TChunkKind Kind = TChunkKind::Unchanged;
};

// A change of the result: lines [Start, Start + Removed) replaced by Lines.
struct TResultEdit {
  std::int32_t Start = 0, Removed = 0;
  std::vector<std::string> Lines;
};

class TMergeModel {
 public:
  // Decodes and merges the three files (ours, base, theirs). `nameHint` is the merged file's
  // name (its extension tells an export, *.sr?, and a DataWindow); `bySection` merges exports by
  // section.
  // Throws merge::TMergeError for a binary file; std::length_error beyond the engine's range.
  TMergeModel(const merge::TMergeFile& ours, const merge::TMergeFile& base, const merge::TMergeFile& theirs,
              const std::string& nameHint, bool bySection);

  const std::vector<std::string>& Text(TPart part) const { return texts_[static_cast<std::size_t>(part)]; }
  const std::vector<TRow>& Rows() const { return rows_; }
  const std::vector<TChunk>& Chunks() const { return chunks_; }
  const std::vector<std::string>& Result() const { return result_; }
  bool Structured() const { return structured_; }
  // Why a merge by section fell back to lines (code page), else empty.
  const std::string& Notice() const { return notice_; }
  // The format the result is saved in: side 1's (an ASCII side 1 takes on the UTF-8 of a side
  // that needs it; one without any line break takes the others' break).
  const platform::TTextFormat& Format() const { return format_; }

  int ConflictsLeft() const;
  // The chunk of result line `line` (an unsettled empty conflict standing there first); the last
  // chunk past the end; -1 when there is none.
  int ChunkAt(std::int32_t line) const;
  // The next (step 1) or previous (step -1) chunk from `from` that is a conflict, or any change
  // when `conflictsOnly` is false; -1 when there is none.
  int Next(int from, int step, bool conflictsOnly) const;

  // Puts into chunk `chunk`'s result what `how` names (not Merged, not Edited) and records it.
  TResultEdit Take(int chunk, TTake how);
  // An edit by hand: the chunks it touches grow or shrink with it, conflicts among them are
  // settled as edited. The lines go to the first chunk touched; an insertion between chunks goes
  // to an unsettled empty conflict standing there, else to the chunk that ends there.
  void Edit(const TResultEdit& edit);
  // The edit that turns the result into `text` (its common start and end kept), done as Edit
  // does; none when they are the same.
  std::optional<TResultEdit> EditTo(const std::vector<std::string>& text);

  bool CanUndo() const { return done_ > 0; }
  bool CanRedo() const { return done_ < history_.size(); }
  // Undoes or redoes a step; returns the change of the result it made.
  TResultEdit Undo();
  TResultEdit Redo();

  // Writes the result to `path` in Format(), whole or not at all. Throws platform::TFileError
  // (a character the format cannot hold, a write error).
  void Save(const std::filesystem::path& path) const;

 private:
  struct TPlace {
    std::int32_t Start, Count;
    TTake Taken;
  };
  struct TStep {
    TResultEdit Forward, Backward;
    std::vector<TPlace> Before, After;
  };
  void MergeByLine(const std::vector<merge::TRegion>& regions);
  bool MergeBySection(const std::string& nameHint);
  void BuildRows(const std::vector<merge::TRegion>& regions);
  void FindRows();
  std::vector<TPlace> Places() const;
  void SetPlaces(const std::vector<TPlace>& places);
  // Changes the result's lines; returns the lines it removed.
  std::vector<std::string> Apply(const TResultEdit& edit);
  void Record(const TResultEdit& forward, std::vector<std::string> removed, std::vector<TPlace> before);
  void Restart();

  std::array<std::vector<std::string>, PartCount> texts_;
  std::vector<TRow> rows_;
  std::vector<TChunk> chunks_;
  std::vector<std::string> result_;
  bool structured_ = false;
  std::string notice_;
  platform::TTextFormat format_;
  platform::THexAsciiLines asRead_;
  std::vector<TStep> history_;
  std::size_t done_ = 0;
};

}  // namespace mergeview
