#include "editor/Lines.h"

#include <algorithm>
#include <cstdio>

namespace editor {

namespace {

constexpr std::int32_t kDefaultMaxLineLen = 160;

// `text` cut at CR LF, CR or LF; a break at the very end gives no empty last part.
std::vector<std::string_view> SplitBreaks(std::string_view text, bool& endsWithBreak) {
  std::vector<std::string_view> parts;
  std::size_t begin = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    parts.push_back(text.substr(begin, i - begin));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    begin = i + 1;
  }
  endsWithBreak = !text.empty() && (text.back() == '\r' || text.back() == '\n');
  if (begin < text.size()) parts.push_back(text.substr(begin));
  return parts;
}

}  // namespace

template <typename F>
void TLines::InBracket(F&& work) {
  BeginUpdate();
  try {
    work();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TLines::TLines(TLinesHost* editor) : editor_(editor) {
  Clear();
  modified_ = false;
}

TLines::~TLines() {
  // The editor is going away with its store: nothing is reported to it any more.
  editor_ = nullptr;
  OnChange = nullptr;
  items_.clear();
}

std::int32_t TLines::MaxLineLen() const {
  return editor_ ? editor_->LinesMaxLineLen() : ownMaxLineLen_;
}

void TLines::RaiseMaxLineLen(std::int32_t length) {
  if (length <= MaxLineLen()) return;
  if (editor_)
    editor_->SetLinesMaxLineLen(length);
  else
    ownMaxLineLen_ = length;
}

void TLines::CheckListIndex(int index) const {
  if (index < 0 || index >= Count()) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "List index out of bounds (%d)", index);
    throw TEditorError(buf);
  }
}

// ---- Texts of the lines ---------------------------------------------------------------------

std::string_view TLines::TextOf(const TItem& item) const {
  if (item.Ref == kNoText) return {};
  if (IsOwned(item.Ref)) return owned_[item.Ref & ~kOwned];
  return source_->Line(static_cast<std::int32_t>(item.Ref));
}

std::uint32_t TLines::AllocSlot() {
  if (!freeOwned_.empty()) {
    const std::uint32_t slot = freeOwned_.back();
    freeOwned_.pop_back();
    return slot;
  }
  if (owned_.size() >= kOwned - 1) throw TEditorError("TLines - too many lines");
  owned_.emplace_back();
  return static_cast<std::uint32_t>(owned_.size() - 1);
}

// A new owned text. `s` is copied before the pool may move, so it may be a view of the pool.
std::uint32_t TLines::NewText(std::string_view s) {
  if (s.empty()) return kNoText;
  std::string copy(s);
  const std::uint32_t slot = AllocSlot();
  owned_[slot] = std::move(copy);
  return slot | kOwned;
}

void TLines::ReleaseText(TItem& item) {
  if (IsOwned(item.Ref)) {
    const std::uint32_t slot = item.Ref & ~kOwned;
    std::string().swap(owned_[slot]);  // gives the memory back
    freeOwned_.push_back(slot);
  }
  item.Ref = kNoText;
}

// The line's own text, copied from the source first if it still refers to it. The reference is
// valid until the next line gets a text of its own.
std::string& TLines::OwnText(TItem& item) {
  if (!IsOwned(item.Ref)) {
    const std::string_view text = TextOf(item);  // the source's bytes, never the pool's
    const std::uint32_t slot = AllocSlot();
    owned_[slot].assign(text.data(), text.size());
    item.Ref = slot | kOwned;
  }
  return owned_[item.Ref & ~kOwned];
}

// After the text of a line changed in place: its length, its flags, the extent, later offsets.
void TLines::LineEdited(int index) {
  TItem& item = items_[static_cast<std::size_t>(index)];
  const auto length = static_cast<std::int32_t>(TextOf(item).size());
  if (length == 0) ReleaseText(item);
  if (length != item.Obj.Length) InvalidateStartsFrom(index + 1);
  item.Obj.Length = length;
  item.Obj.Modified = true;
  modified_ = true;
  RaiseMaxLineLen(length);
}

std::string_view TLines::Get(int index) const {
  CheckListIndex(index);
  return TextOf(items_[static_cast<std::size_t>(index)]);
}

std::int32_t TLines::SourceLine(int index) const {
  CheckListIndex(index);
  const std::uint32_t ref = items_[static_cast<std::size_t>(index)].Ref;
  return IsRef(ref) ? static_cast<std::int32_t>(ref) : -1;
}

// ---- Offsets --------------------------------------------------------------------------------

void TLines::EnsureStarts(int index) const {
  if (index < validStarts_) return;
  int i = validStarts_;
  std::int32_t start = 0;
  if (i > 0) {
    const TLineObj& prev = items_[static_cast<std::size_t>(i - 1)].Obj;
    start = prev.Start + prev.Length + 2;
  }
  for (; i <= index; ++i) {
    TLineObj& obj = items_[static_cast<std::size_t>(i)].Obj;
    obj.Start = start;
    start += obj.Length + 2;
  }
  validStarts_ = index + 1;
}

TLineObj& TLines::GetLineObj(int index) {
  if (index < 0 || index >= Count()) throw TEditorError("TLines.GetLineObj() - index out of bounds.");
  EnsureStarts(index);
  return items_[static_cast<std::size_t>(index)].Obj;
}

const TLineObj& TLines::GetLineObj(int index) const {
  return const_cast<TLines*>(this)->GetLineObj(index);
}

// ---- Lines in and out -----------------------------------------------------------------------

void TLines::Clear() {
  if (editor_) {
    editor_->SetLinesMaxLineLen(kDefaultMaxLineLen);
    editor_->LinesCleared();
  } else {
    ownMaxLineLen_ = kDefaultMaxLineLen;
  }
  const bool notify = !items_.empty();
  items_.clear();
  validStarts_ = 0;
  owned_.clear();  // like items_, keeps its room for the next fill
  freeOwned_.clear();
  source_.reset();
  if (notify) Changed();
}

void TLines::InsertItem(int index, std::uint32_t ref, std::int32_t length) {
  TItem item{};
  item.Ref = ref;
  if (index > 0) {
    const TLineObj& prev = GetLineObj(index - 1);
    item.Obj.Start = prev.Start + prev.Length + 2;
  }
  item.Obj.Length = length;
  RaiseMaxLineLen(length);
  item.Obj.Modified = true;
  item.Obj.Color = editor_ ? editor_->LinesColor() : 0;
  items_.insert(items_.begin() + index, item);
  modified_ = true;
  // The new line's own Start is right; every later one moved by its length plus the break.
  if (validStarts_ >= index) validStarts_ = index + 1;
  Changed();
}

// New lines at `index`, in one step however many there are; no notification.
void TLines::InsertLines(int index, const std::vector<std::string_view>& texts) {
  if (texts.empty()) return;
  const TColor color = editor_ ? editor_->LinesColor() : 0;
  std::vector<TItem> fresh(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    fresh[i].Ref = NewText(texts[i]);
    fresh[i].Obj.Length = static_cast<std::int32_t>(texts[i].size());
    fresh[i].Obj.Modified = true;
    fresh[i].Obj.Color = color;
    RaiseMaxLineLen(fresh[i].Obj.Length);
  }
  items_.insert(items_.begin() + index, fresh.begin(), fresh.end());
  InvalidateStartsFrom(index);
  modified_ = true;
}

void TLines::EraseLines(int first, int count) {
  if (count <= 0) return;
  const auto begin = items_.begin() + first;
  for (auto it = begin; it != begin + count; ++it) ReleaseText(*it);
  items_.erase(begin, begin + count);
  InvalidateStartsFrom(first);
  modified_ = true;
}

int TLines::Add(std::string_view s) {
  const int index = Count();
  InsertItem(index, NewText(s), static_cast<std::int32_t>(s.size()));
  return index;
}

void TLines::Insert(int index, std::string_view s) {
  if (index < 0 || index > Count()) CheckListIndex(index);
  InsertItem(index, NewText(s), static_cast<std::int32_t>(s.size()));
}

int TLines::AddObject(const std::string&, void*) {
  throw TEditorError("TLines.AddObject - invalid method");
}

void TLines::InsertObject(int, const std::string&, void*) {
  throw TEditorError("TLines.InsertObject - invalid method");
}

void TLines::Put(int index, std::string_view s) {
  CheckListIndex(index);
  TItem& item = items_[static_cast<std::size_t>(index)];
  if (s.empty())
    ReleaseText(item);
  else if (IsOwned(item.Ref))
    owned_[item.Ref & ~kOwned].assign(s.data(), s.size());  // `s` may be a view of this very text
  else
    item.Ref = NewText(s);
  LineEdited(index);
  Changed();
}

void TLines::Delete(int index) {
  CheckListIndex(index);
  EraseLines(index, 1);
  Changed();
}

// ---- Lines of another store's text ----------------------------------------------------------

void TLines::SetSource(std::shared_ptr<const TLineSource> source) {
  if (source == source_) return;
  for (TItem& item : items_)
    if (IsRef(item.Ref)) item.Ref = NewText(TextOf(item));  // or kNoText for an empty line
  source_ = std::move(source);
}

int TLines::AddRef(std::int32_t sourceLine) {
  if (!source_) throw TEditorError("TLines.AddRef - no source");
  if (sourceLine < 0 || sourceLine >= source_->Count()) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "TLines.AddRef - source line out of bounds (%d)", sourceLine);
    throw TEditorError(buf);
  }
  const int index = Count();
  InsertItem(index, static_cast<std::uint32_t>(sourceLine),
             static_cast<std::int32_t>(source_->Line(sourceLine).size()));
  return index;
}

// ---- Editing --------------------------------------------------------------------------------

TPoint TLines::InsertText(TPoint at, std::string_view text) {
  CheckListIndex(at.Y);
  at.X = std::clamp(at.X, 0, items_[static_cast<std::size_t>(at.Y)].Obj.Length);
  if (text.empty()) return at;
  const std::string own(text);  // the text may be a view of this store's lines
  bool endsWithBreak = false;
  std::vector<std::string_view> parts = SplitBreaks(own, endsWithBreak);
  TPoint end = at;
  InBracket([&] { end = InsertParts(at, std::move(parts), endsWithBreak); });
  return end;
}

TPoint TLines::InsertParts(TPoint at, std::vector<std::string_view> parts, bool endsWithBreak) {
  const int y = at.Y;
  const auto lineCount = static_cast<int>(parts.size());
  if (at.X == 0 && endsWithBreak) {
    InsertLines(y, parts);
    return {0, y + lineCount};
  }
  if (at.X == 0) {
    const std::string_view last = parts.back();
    parts.pop_back();
    InsertLines(y, parts);
    const int ly = y + lineCount - 1;
    OwnText(items_[static_cast<std::size_t>(ly)]).insert(0, last);
    LineEdited(ly);
    return {static_cast<std::int32_t>(last.size()), ly};
  }
  if (endsWithBreak) parts.emplace_back();
  std::string& first = OwnText(items_[static_cast<std::size_t>(y)]);
  std::string tail = first.substr(static_cast<std::size_t>(at.X));
  first.erase(static_cast<std::size_t>(at.X));
  first += parts[0];
  if (parts.size() == 1) {
    const auto x = static_cast<std::int32_t>(first.size());
    first += tail;
    LineEdited(y);
    return {x, y};
  }
  LineEdited(y);
  InsertLines(y + 1, std::vector<std::string_view>(parts.begin() + 1, parts.end()));
  const int ly = y + static_cast<int>(parts.size()) - 1;
  std::string& last = OwnText(items_[static_cast<std::size_t>(ly)]);
  const auto x = static_cast<std::int32_t>(last.size());
  last += tail;
  LineEdited(ly);
  return {x, ly};
}

void TLines::RemoveText(TPoint from, TPoint to) {
  CheckListIndex(from.Y);
  CheckListIndex(to.Y);
  if (to.Y < from.Y || (to.Y == from.Y && to.X < from.X)) std::swap(from, to);
  from.X = std::clamp(from.X, 0, items_[static_cast<std::size_t>(from.Y)].Obj.Length);
  to.X = std::clamp(to.X, 0, items_[static_cast<std::size_t>(to.Y)].Obj.Length);
  if (from == to) return;
  InBracket([&] {
    if (from.X == 0) {
      EraseLines(from.Y, to.Y - from.Y);  // line to.Y moves up, keeping its values
      if (to.X > 0) {
        OwnText(items_[static_cast<std::size_t>(from.Y)]).erase(0, static_cast<std::size_t>(to.X));
        LineEdited(from.Y);
      }
      return;
    }
    std::string& head = OwnText(items_[static_cast<std::size_t>(from.Y)]);
    if (to.Y == from.Y) {
      head.erase(static_cast<std::size_t>(from.X), static_cast<std::size_t>(to.X - from.X));
    } else {
      head.erase(static_cast<std::size_t>(from.X));
      head += TextOf(items_[static_cast<std::size_t>(to.Y)]).substr(static_cast<std::size_t>(to.X));
    }
    LineEdited(from.Y);
    EraseLines(from.Y + 1, to.Y - from.Y);
  });
}

void TLines::SplitLine(int line, std::int32_t col) {
  CheckListIndex(line);
  TItem& item = items_[static_cast<std::size_t>(line)];
  col = std::clamp(col, 0, item.Obj.Length);
  InBracket([&] {
    if (col == 0) {
      InsertLines(line, {std::string_view()});
    } else if (col == item.Obj.Length) {
      InsertLines(line + 1, {std::string_view()});
    } else {
      std::string& text = OwnText(item);
      const std::string tail = text.substr(static_cast<std::size_t>(col));
      text.erase(static_cast<std::size_t>(col));
      LineEdited(line);
      InsertLines(line + 1, {tail});
    }
  });
}

void TLines::JoinLines(int line) {
  CheckListIndex(line);
  CheckListIndex(line + 1);
  InBracket([&] {
    if (items_[static_cast<std::size_t>(line)].Obj.Length == 0) {
      EraseLines(line, 1);
    } else if (items_[static_cast<std::size_t>(line + 1)].Obj.Length == 0) {
      EraseLines(line + 1, 1);
    } else {
      std::string& text = OwnText(items_[static_cast<std::size_t>(line)]);
      text += TextOf(items_[static_cast<std::size_t>(line + 1)]);
      LineEdited(line);
      EraseLines(line + 1, 1);
    }
  });
}

// ---- Whole texts ----------------------------------------------------------------------------

void TLines::AddStrings(const std::vector<std::string>& source) {
  InBracket([&] {
    items_.reserve(items_.size() + source.size());
    owned_.reserve(owned_.size() + source.size());
    for (const std::string& s : source) Add(s);
  });
}

// Appends the lines of another store: its references to the same source stay references.
void TLines::CopyLinesFrom(const TLines& source) {
  const bool sameSource = source_ && source.source_ == source_;
  for (const TItem& item : source.items_) {
    if (sameSource && IsRef(item.Ref))
      InsertItem(Count(), item.Ref, item.Obj.Length);
    else
      InsertItem(Count(), NewText(source.TextOf(item)), item.Obj.Length);
  }
}

void TLines::AddStrings(const TLines& source) {
  if (&source == this) {
    AddStrings(source.ToVector());
    return;
  }
  InBracket([&] {
    items_.reserve(items_.size() + source.items_.size());
    CopyLinesFrom(source);
  });
}

void TLines::Assign(const TLines& source) {
  if (&source == this) return;
  if (editor_) editor_->LinesClearUndo();
  InBracket([&] {
    Clear();
    source_ = source.source_;
    items_.reserve(source.items_.size());
    CopyLinesFrom(source);
    for (std::size_t i = 0; i < items_.size(); ++i) {
      items_[i].Obj.Color = source.items_[i].Obj.Color;
      items_[i].Obj.Tag = source.items_[i].Obj.Tag;
    }
  });
  SetModified(false);
}

void TLines::Assign(const std::vector<std::string>& source) {
  if (editor_) editor_->LinesClearUndo();
  InBracket([&] {
    Clear();
    AddStrings(source);
  });
  SetModified(false);
}

std::string TLines::Text() const {
  std::string text;
  std::size_t total = 0;
  for (const TItem& item : items_) total += static_cast<std::size_t>(item.Obj.Length) + 2;
  text.reserve(total);
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += TextOf(items_[i]);
  }
  return text;
}

std::vector<std::string> TLines::ToVector() const {
  std::vector<std::string> lines;
  lines.reserve(items_.size());
  for (const TItem& item : items_) lines.emplace_back(TextOf(item));
  return lines;
}

void TLines::BeginUpdate() {
  if (updateCount_++ == 0) SetUpdateState(true);
}

void TLines::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) SetUpdateState(false);
}

void TLines::SetUpdateState(bool updating) {
  updating_ = updating;
  if (!updating) Changed();
}

void TLines::SetModified(bool value) {
  if (value == modified_) return;
  modified_ = value;
  for (TItem& item : items_) item.Obj.Modified = value;
}

void TLines::Changed() {
  if (updateCount_ > 0) return;
  if (!updating_ && editor_) {
    if (editor_->LinesHostDestroying()) return;
    editor_->LinesUpdateScrollBars();
    editor_->LinesUpdateGutter();
    editor_->LinesInvalidate();
  }
  if (OnChange) OnChange(this);
}

}  // namespace editor
