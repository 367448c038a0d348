#include "editor/Lines.h"

#include <cstdio>
#include <string_view>

namespace {

constexpr std::int32_t kDefaultMaxLineLen = 160;

}  // namespace

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

const std::string& TLines::Get(int index) const {
  CheckListIndex(index);
  return items_[static_cast<std::size_t>(index)].Text;
}

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

void TLines::Clear() {
  if (editor_) {
    editor_->SetLinesMaxLineLen(kDefaultMaxLineLen);
    editor_->LinesCleared();
  } else {
    ownMaxLineLen_ = kDefaultMaxLineLen;
  }
  if (items_.empty()) return;
  items_.clear();
  validStarts_ = 0;
  Changed();
}

void TLines::InsertItem(int index, const std::string& s) {
  if (index < 0 || index > Count()) CheckListIndex(index);
  TItem item;
  item.Text = s;
  if (index > 0) {
    const TLineObj& prev = GetLineObj(index - 1);
    item.Obj.Start = prev.Start + prev.Length + 2;
  }
  item.Obj.Length = static_cast<std::int32_t>(s.size());
  RaiseMaxLineLen(item.Obj.Length);
  item.Obj.Modified = true;
  item.Obj.Color = editor_ ? editor_->LinesColor() : 0;
  items_.insert(items_.begin() + index, std::move(item));
  modified_ = true;
  // The new line's own Start is right; every later one moved by its length plus the break.
  if (validStarts_ >= index) validStarts_ = index + 1;
  Changed();
}

int TLines::Add(const std::string& s) {
  int index = Count();
  InsertItem(index, s);
  return index;
}

void TLines::Insert(int index, const std::string& s) { InsertItem(index, s); }

int TLines::AddObject(const std::string&, void*) {
  throw TEditorError("TLines.AddObject - invalid method");
}

void TLines::InsertObject(int, const std::string&, void*) {
  throw TEditorError("TLines.InsertObject - invalid method");
}

void TLines::Put(int index, const std::string& s) {
  CheckListIndex(index);
  TItem& item = items_[static_cast<std::size_t>(index)];
  std::int32_t length = static_cast<std::int32_t>(s.size());
  std::int32_t delta = length - static_cast<std::int32_t>(item.Text.size());
  item.Text = s;
  item.Obj.Length = length;
  item.Obj.Modified = true;
  modified_ = true;
  RaiseMaxLineLen(length);
  if (delta != 0) InvalidateStartsFrom(index + 1);
  Changed();
}

void TLines::Delete(int index) {
  CheckListIndex(index);
  items_.erase(items_.begin() + index);
  InvalidateStartsFrom(index);
  modified_ = true;
  Changed();
}

void TLines::AddStrings(const std::vector<std::string>& source) {
  BeginUpdate();
  try {
    items_.reserve(items_.size() + source.size());
    for (const std::string& s : source) InsertItem(Count(), s);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TLines::AddStrings(const TLines& source) {
  if (&source == this) {
    AddStrings(source.ToVector());
    return;
  }
  BeginUpdate();
  try {
    items_.reserve(items_.size() + source.items_.size());
    for (const TItem& item : source.items_) InsertItem(Count(), item.Text);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TLines::Assign(const TLines& source) {
  if (&source == this) return;
  if (editor_) editor_->LinesClearUndo();
  BeginUpdate();
  try {
    Clear();
    items_.reserve(source.items_.size());
    for (const TItem& item : source.items_) InsertItem(Count(), item.Text);
    for (std::size_t i = 0; i < items_.size(); ++i) {
      items_[i].Obj.Color = source.items_[i].Obj.Color;
      items_[i].Obj.Tag = source.items_[i].Obj.Tag;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  SetModified(false);
}

void TLines::Assign(const std::vector<std::string>& source) {
  if (editor_) editor_->LinesClearUndo();
  BeginUpdate();
  try {
    Clear();
    AddStrings(source);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  SetModified(false);
}

std::string TLines::Text() const {
  std::string text;
  std::size_t total = 0;
  for (const TItem& item : items_) total += item.Text.size() + 2;
  text.reserve(total);
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += items_[i].Text;
  }
  return text;
}

std::vector<std::string> TLines::ToVector() const {
  std::vector<std::string> lines;
  lines.reserve(items_.size());
  for (const TItem& item : items_) lines.push_back(item.Text);
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
