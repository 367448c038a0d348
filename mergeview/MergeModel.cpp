#include "mergeview/MergeModel.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "diff/HashUnit.h"
#include "merge/SectionMerge.h"
#include "platform/CodePage.h"
#include "sides/ExportFile.h"

using diff::TLineClasses;

namespace mergeview {
namespace {

using platform::TTextEncoding;

bool Wide(const platform::TTextFormat& f) {
  return f.Encoding == TTextEncoding::Utf16LE || f.Encoding == TTextEncoding::Utf16BE;
}

std::vector<std::string> DecodeLines(const merge::TMergeFile& file, const platform::TTextFormat& format) {
  if (!Wide(format) && std::memchr(file.Bytes.data(), '\0', file.Bytes.size()))
    throw merge::TMergeError(file.Name + ": a binary file, not text");
  const std::string text = format.HexAscii ? sides::DecodeExportText(file.Bytes) : platform::DecodeText(file.Bytes);
  std::vector<std::string> lines;
  platform::SplitLines(text, lines);
  return lines;
}

bool IsAscii(const merge::TMergeFile& file, const platform::TTextFormat& f) {
  const std::size_t skip = f.Encoding == TTextEncoding::Utf8Bom ? 3 : 0;
  return !Wide(f) && platform::FindNonAscii(file.Bytes, skip) == std::string_view::npos;
}

TChunkKind KindOf(merge::TRegionKind kind) {
  switch (kind) {
    case merge::TRegionKind::Ours: return TChunkKind::Ours;
    case merge::TRegionKind::Theirs: return TChunkKind::Theirs;
    case merge::TRegionKind::Both: return TChunkKind::Both;
    case merge::TRegionKind::Conflict: return TChunkKind::Conflict;
    default: return TChunkKind::Unchanged;
  }
}

bool IsExportName(const std::string& name) {
  const std::string ext = std::filesystem::path(name).extension().string();
  return ext.size() == 4 && (ext[1] == 's' || ext[1] == 'S') && (ext[2] == 'r' || ext[2] == 'R');
}

// The markers the merge by section is asked to write: longer than git's and labelled with a
// control character, so that no line of an export is taken for one.
constexpr int kMarkerSize = 23;
const std::string kLabels[PartCount] = {"\x1F" "1", "\x1F" "2", "\x1F" "3"};
std::string Marker(char mark, const std::string& label) {
  std::string line(kMarkerSize, mark);
  if (!label.empty()) (line += ' ') += label;
  return line;
}

}  // namespace

TMergeModel::TMergeModel(const merge::TMergeFile& ours, const merge::TMergeFile& base, const merge::TMergeFile& theirs,
                         const std::string& nameHint, bool bySection) {
  const std::array<const merge::TMergeFile*, PartCount> files{&ours, &base, &theirs};
  std::array<platform::TTextFormat, PartCount> formats;
  for (std::size_t k = 0; k < PartCount; ++k) {
    formats[k] = platform::DetectTextFormat(files[k]->Bytes);
    texts_[k] = DecodeLines(*files[k], formats[k]);
    if (formats[k].HexAscii) asRead_.merge(sides::HexAsciiLines(files[k]->Bytes));
  }
  format_ = formats[Ours];
  if (IsAscii(ours, format_) && !format_.HexAscii && format_.Encoding == TTextEncoding::CodePage)
    for (int k : {Theirs, Base})
      if (!IsAscii(*files[k], formats[k]) &&
          (formats[k].Encoding == TTextEncoding::Utf8 || formats[k].Encoding == TTextEncoding::Utf8Bom)) {
        format_.Encoding = TTextEncoding::Utf8;
        break;
      }
  if (ours.Bytes.find_first_of("\r\n") == std::string::npos)
    for (int k : {Theirs, Base})
      if (files[k]->Bytes.find_first_of("\r\n") != std::string::npos) {
        format_.Break = formats[k].Break;
        break;
      }

  std::array<std::vector<std::uint32_t>, PartCount> values;
  {
    TLineClasses classes;
    for (std::size_t k = 0; k < PartCount; ++k)
      for (const std::string& line : texts_[k]) values[k].push_back(classes.OfLasting(line));
  }
  const std::vector<merge::TRegion> regions =
      merge::MergeRegions({values[Base], values[Ours], values[Theirs]}, merge::TStyle::Diff3,
                          [this](std::int32_t line) { return merge::HoldsAlnum(texts_[Ours][static_cast<std::size_t>(line)]); });
  BuildRows(regions);
  // With a side the same as the base, the line merge gives the other side as it is. Only an
  // export (*.sr?) is merged by section: any other text would only say why it was not.
  const bool oneSided = texts_[Ours] == texts_[Base] || texts_[Theirs] == texts_[Base];
  if (!(bySection && !oneSided && IsExportName(nameHint) && MergeBySection(nameHint))) MergeByLine(regions);
  if (chunks_.empty()) chunks_.push_back(TChunk{});
  Restart();
}

void TMergeModel::BuildRows(const std::vector<merge::TRegion>& regions) {
  for (const merge::TRegion& r : regions) {
    const std::int32_t n = std::max({r.OursCount, r.BaseCount, r.TheirsCount});
    const std::array<std::int32_t, PartCount> start{r.Ours, r.Base, r.Theirs}, count{r.OursCount, r.BaseCount, r.TheirsCount};
    for (std::int32_t i = 0; i < n; ++i) {
      TRow row;
      row.Kind = KindOf(r.Kind);
      for (std::size_t k = 0; k < PartCount; ++k) row.Line[k] = i < count[k] ? start[k] + i : -1;
      rows_.push_back(row);
    }
  }
}

void TMergeModel::MergeByLine(const std::vector<merge::TRegion>& regions) {
  std::int32_t row = 0;
  for (const merge::TRegion& r : regions) {
    TChunk c;
    c.Kind = KindOf(r.Kind);
    c.FirstRow = row;
    const std::array<std::int32_t, PartCount> start{r.Ours, r.Base, r.Theirs}, count{r.OursCount, r.BaseCount, r.TheirsCount};
    for (std::size_t k = 0; k < PartCount; ++k) {
      const auto first = texts_[k].begin() + start[k];
      c.Lines[k].assign(first, first + count[k]);
    }
    row += std::max({r.OursCount, r.BaseCount, r.TheirsCount});
    const std::vector<std::string>& taken =
        c.Kind == TChunkKind::Theirs ? c.Lines[Theirs] : c.Kind == TChunkKind::Conflict ? c.Lines[Base] : c.Lines[Ours];
    c.Count = static_cast<std::int32_t>(taken.size());
    result_.insert(result_.end(), taken.begin(), taken.end());
    chunks_.push_back(std::move(c));
  }
}

bool TMergeModel::MergeBySection(const std::string& nameHint) {
  merge::TMergeOptions options;
  options.Style = merge::TStyle::Diff3;
  options.MarkerSize = kMarkerSize;
  options.OursLabel = kLabels[Ours];
  options.BaseLabel = kLabels[Base];
  options.TheirsLabel = kLabels[Theirs];
  const merge::TSectionMerge merged = merge::MergeBySection(texts_, nameHint, options);
  if (!merged.Structured) {
    notice_ = merged.Reason;
    return false;
  }
  const std::string open = Marker('<', kLabels[Ours]), mid = Marker('|', kLabels[Base]), sep = Marker('=', {}),
                    close = Marker('>', kLabels[Theirs]);
  std::vector<TChunk> chunks;
  TChunk plain;
  TChunk conflict;
  conflict.Kind = TChunkKind::Conflict;
  int part = -1;  // the part of a conflict being read; -1 outside
  auto flush = [&] {
    if (plain.Count > 0) chunks.push_back(std::move(plain));
    plain = TChunk{};
  };
  // A marker may say more after its label (what a deleted section was).
  auto is = [](const std::string& line, const std::string& marker) { return line.rfind(marker, 0) == 0; };
  for (const std::string& line : merged.Lines) {
    if (part < 0 && is(line, open)) {
      flush();
      part = Ours;
    } else if (part == Ours && is(line, mid)) {
      part = Base;
    } else if ((part == Ours || part == Base) && line == sep) {
      part = Theirs;
    } else if (part == Theirs && is(line, close)) {
      conflict.Count = static_cast<std::int32_t>(conflict.Lines[Base].size());
      chunks.push_back(std::move(conflict));
      conflict = TChunk{};
      conflict.Kind = TChunkKind::Conflict;
      part = -1;
    } else if (part >= 0) {
      conflict.Lines[static_cast<std::size_t>(part)].push_back(line);
    } else {
      for (std::vector<std::string>& lines : plain.Lines) lines.push_back(line);
      ++plain.Count;
    }
  }
  if (part >= 0) {
    notice_ = "the merge by section left a conflict open";
    return false;
  }
  flush();
  chunks_ = std::move(chunks);
  for (const TChunk& c : chunks_) {
    const std::vector<std::string>& taken = c.Kind == TChunkKind::Conflict ? c.Lines[Base] : c.Lines[Ours];
    result_.insert(result_.end(), taken.begin(), taken.end());
  }
  structured_ = true;
  FindRows();
  return true;
}

// A conflict of the merge by section stands where its lines stand in side 1 (else side 2, else
// the base), when they stand there together.
void TMergeModel::FindRows() {
  std::array<std::map<std::int32_t, std::int32_t>, PartCount> rowOf;
  for (std::size_t r = 0; r < rows_.size(); ++r)
    for (std::size_t k = 0; k < PartCount; ++k)
      if (rows_[r].Line[k] >= 0) rowOf[k].emplace(rows_[r].Line[k], static_cast<std::int32_t>(r));
  for (TChunk& c : chunks_) {
    if (c.Kind != TChunkKind::Conflict) continue;
    for (int k : {Ours, Theirs, Base}) {
      const std::vector<std::string>& text = texts_[static_cast<std::size_t>(k)];
      const std::vector<std::string>& want = c.Lines[static_cast<std::size_t>(k)];
      if (want.empty()) continue;
      const auto at = std::search(text.begin(), text.end(), want.begin(), want.end());
      if (at == text.end()) continue;
      c.FirstRow = rowOf[static_cast<std::size_t>(k)][static_cast<std::int32_t>(at - text.begin())];
      break;
    }
  }
}

void TMergeModel::Restart() {
  std::int32_t start = 0;
  for (TChunk& c : chunks_) {
    c.Start = start;
    start += c.Count;
  }
}

int TMergeModel::ConflictsLeft() const {
  return static_cast<int>(std::count_if(chunks_.begin(), chunks_.end(), [](const TChunk& c) { return c.Unsettled(); }));
}

int TMergeModel::ChunkAt(std::int32_t line) const {
  for (std::size_t i = 0; i < chunks_.size(); ++i)
    if (chunks_[i].Unsettled() && chunks_[i].Count == 0 && chunks_[i].Start == line) return static_cast<int>(i);
  for (std::size_t i = 0; i < chunks_.size(); ++i)
    if (chunks_[i].Start <= line && line < chunks_[i].Start + chunks_[i].Count) return static_cast<int>(i);
  return chunks_.empty() ? -1 : static_cast<int>(chunks_.size()) - 1;
}

int TMergeModel::Next(int from, int step, bool conflictsOnly) const {
  for (int i = from + step; i >= 0 && i < static_cast<int>(chunks_.size()); i += step) {
    const TChunkKind kind = chunks_[static_cast<std::size_t>(i)].Kind;
    if (conflictsOnly ? kind == TChunkKind::Conflict : kind != TChunkKind::Unchanged) return i;
  }
  return -1;
}

std::vector<TMergeModel::TPlace> TMergeModel::Places() const {
  std::vector<TPlace> places;
  places.reserve(chunks_.size());
  for (const TChunk& c : chunks_) places.push_back({c.Start, c.Count, c.Taken});
  return places;
}

void TMergeModel::SetPlaces(const std::vector<TPlace>& places) {
  for (std::size_t i = 0; i < chunks_.size(); ++i) {
    chunks_[i].Start = places[i].Start;
    chunks_[i].Count = places[i].Count;
    chunks_[i].Taken = places[i].Taken;
  }
}

std::vector<std::string> TMergeModel::Apply(const TResultEdit& edit) {
  const auto first = result_.begin() + edit.Start;
  std::vector<std::string> removed(std::make_move_iterator(first), std::make_move_iterator(first + edit.Removed));
  result_.erase(first, first + edit.Removed);
  result_.insert(result_.begin() + edit.Start, edit.Lines.begin(), edit.Lines.end());
  return removed;
}

void TMergeModel::Record(const TResultEdit& forward, std::vector<std::string> removed, std::vector<TPlace> before) {
  history_.resize(done_);
  TStep step;
  step.Forward = forward;
  step.Backward = {forward.Start, static_cast<std::int32_t>(forward.Lines.size()), std::move(removed)};
  step.Before = std::move(before);
  step.After = Places();
  history_.push_back(std::move(step));
  done_ = history_.size();
}

TResultEdit TMergeModel::Take(int chunk, TTake how) {
  TChunk& c = chunks_.at(static_cast<std::size_t>(chunk));
  std::vector<std::string> lines;
  auto add = [&](TPart part) {
    const std::vector<std::string>& from = c.Lines[static_cast<std::size_t>(part)];
    lines.insert(lines.end(), from.begin(), from.end());
  };
  switch (how) {
    case TTake::Ours: add(Ours); break;
    case TTake::Theirs: add(Theirs); break;
    case TTake::Base: add(Base); break;
    case TTake::OursThenTheirs: add(Ours), add(Theirs); break;
    case TTake::TheirsThenOurs: add(Theirs), add(Ours); break;
    default: throw std::invalid_argument("Take: not a side to take");
  }
  std::vector<TPlace> before = Places();
  TResultEdit edit{c.Start, c.Count, std::move(lines)};
  std::vector<std::string> removed = Apply(edit);
  c.Count = static_cast<std::int32_t>(edit.Lines.size());
  c.Taken = how;
  Restart();
  Record(edit, std::move(removed), std::move(before));
  return edit;
}

void TMergeModel::Edit(const TResultEdit& edit) {
  const std::int32_t from = edit.Start, to = edit.Start + edit.Removed;
  const int n = static_cast<int>(chunks_.size());
  int target = -1;
  if (edit.Removed > 0) {
    for (int i = 0; i < n && target < 0; ++i) {
      const TChunk& c = chunks_[static_cast<std::size_t>(i)];
      if (c.Start < to && from < c.Start + c.Count) target = i;
    }
  } else {
    for (int i = 0; i < n && target < 0; ++i) {
      const TChunk& c = chunks_[static_cast<std::size_t>(i)];
      if (c.Unsettled() && c.Count == 0 && c.Start == from) target = i;
    }
    for (int i = 0; i < n && target < 0; ++i) {
      const TChunk& c = chunks_[static_cast<std::size_t>(i)];
      if (c.Count > 0 && c.Start < from && from <= c.Start + c.Count) target = i;
    }
    for (int i = 0; i < n && target < 0; ++i)
      if (chunks_[static_cast<std::size_t>(i)].Start == from) target = i;
  }
  std::vector<TPlace> before = Places();
  for (int i = 0; i < n; ++i) {
    TChunk& c = chunks_[static_cast<std::size_t>(i)];
    const std::int32_t overlap = std::max(0, std::min(to, c.Start + c.Count) - std::max(from, c.Start));
    const bool inside = c.Count == 0 && from < c.Start && c.Start < to;
    if (overlap == 0 && !inside && i != target) continue;
    c.Count -= overlap;
    if (i == target) c.Count += static_cast<std::int32_t>(edit.Lines.size());
    c.Taken = TTake::Edited;
  }
  std::vector<std::string> removed = Apply(edit);
  Restart();
  Record(edit, std::move(removed), std::move(before));
}

std::optional<TResultEdit> TMergeModel::EditTo(const std::vector<std::string>& text) {
  const std::size_t shorter = std::min(text.size(), result_.size());
  std::size_t head = 0;
  while (head < shorter && text[head] == result_[head]) ++head;
  std::size_t tail = 0;
  while (tail < shorter - head && text[text.size() - 1 - tail] == result_[result_.size() - 1 - tail]) ++tail;
  if (head + tail == text.size() && head + tail == result_.size()) return std::nullopt;
  TResultEdit edit;
  edit.Start = static_cast<std::int32_t>(head);
  edit.Removed = static_cast<std::int32_t>(result_.size() - head - tail);
  edit.Lines.assign(text.begin() + static_cast<std::ptrdiff_t>(head), text.end() - static_cast<std::ptrdiff_t>(tail));
  Edit(edit);
  return edit;
}

TResultEdit TMergeModel::Undo() {
  if (!CanUndo()) return {};
  const TStep& step = history_[--done_];
  Apply(step.Backward);
  SetPlaces(step.Before);
  return step.Backward;
}

TResultEdit TMergeModel::Redo() {
  if (!CanRedo()) return {};
  const TStep& step = history_[done_++];
  Apply(step.Forward);
  SetPlaces(step.After);
  return step.Forward;
}

void TMergeModel::Save(const std::filesystem::path& path) const {
  platform::SaveTextLines(path, result_, format_, format_.HexAscii ? &asRead_ : nullptr);
}

}  // namespace mergeview
