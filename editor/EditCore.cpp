#include "editor/EditCore.h"

#include <algorithm>
#include <cstdlib>

#include "platform/CodePage.h"

namespace editor {

namespace {

bool IsWordChar(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// 7 delete forward, 8 backspace, 9 tab, 13 Enter and the bytes from the space on.
bool IsCharCode(std::uint8_t c) { return c == 7 || c == 8 || c == 9 || c == 13 || c >= 32; }

unsigned char ByteAt(std::string_view s, std::int32_t i) {
  return static_cast<unsigned char>(s[static_cast<std::size_t>(i)]);
}

}  // namespace

TEditCore::TEditCore(TEditView* view) : view_(view) {}

TEditCore::~TEditCore() = default;

// ---- The store's notifications, passed on to the view ---------------------------------------

TColor TEditCore::LinesColor() const { return view_ ? view_->LinesColor() : 0; }

std::int32_t TEditCore::LinesMaxLineLen() const {
  return view_ ? view_->LinesMaxLineLen() : ownMaxLineLen_;
}

void TEditCore::SetLinesMaxLineLen(std::int32_t value) {
  if (view_)
    view_->SetLinesMaxLineLen(value);
  else
    ownMaxLineLen_ = value;
}

void TEditCore::LinesCleared() {
  caretPos_ = {0, 0};
  selAnchor_ = 0;
  caretOffset_ = 0;
  // A refilled store gets a new text: the old records would be replayed onto the wrong lines.
  // The core's own emptying of the store (deleting a selection of everything) keeps them.
  if (!ownClear_ && !undo_.Busy()) undo_.Clear();
  if (view_) view_->LinesCleared();
}

void TEditCore::LinesUpdateScrollBars() {
  if (view_) view_->LinesUpdateScrollBars();
}

void TEditCore::LinesUpdateGutter() {
  if (view_) view_->LinesUpdateGutter();
}

void TEditCore::LinesInvalidate() {
  if (view_) view_->LinesInvalidate();
}

bool TEditCore::LinesHostDestroying() const { return view_ && view_->LinesHostDestroying(); }

void TEditCore::UndoReplayed() {
  if (view_) view_->EditReplayed();
}

void TEditCore::ScrollCaretIntoView() {
  if (view_) view_->EditScrollCaretIntoView();
}

void TEditCore::ReportCaret() {
  if (view_) view_->EditCaretPtChange();
}

void TEditCore::ReportSelection() {
  if (view_) view_->EditSelectionChange();
}

// ---- Characters -------------------------------------------------------------------------------

std::int32_t TEditCore::SnapToChar(std::string_view line, std::int32_t col) {
  std::int32_t i = 0;
  const auto len = static_cast<std::int32_t>(line.size());
  while (i < col && i < len) {
    if (ByteAt(line, i) < 0x80) {
      ++i;
      continue;
    }
    const auto n = static_cast<std::int32_t>(platform::CharLength(line.substr(static_cast<std::size_t>(i))));
    if (i + n > col) return i;
    i += n;
  }
  return col;
}

std::int32_t TEditCore::PrevCharCol(std::string_view line, std::int32_t col) {
  if (col <= 0) return col - 1;
  return SnapToChar(line, col - 1);
}

std::int32_t TEditCore::NextCharCol(std::string_view line, std::int32_t col) {
  const auto len = static_cast<std::int32_t>(line.size());
  if (col < 0 || col >= len) return col + 1;
  return col + static_cast<std::int32_t>(platform::CharLength(line.substr(static_cast<std::size_t>(col))));
}

// ---- Offsets and points -------------------------------------------------------------------------

std::int32_t TEditCore::PointToOffset(TPoint p) const {
  if (p.Y == lines_.Count()) return 0;
  return lines_.GetLineObj(p.Y).Start + p.X;
}

TPoint TEditCore::OffsetToPoint(std::int32_t offset) const {
  const int count = lines_.Count();
  if (count == 0) return {0, 0};
  int lo = 0, hi = count - 1, found = 0;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    if (lines_.GetLineObj(mid).Start <= offset) {
      found = mid;
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  const TLineObj& obj = lines_.GetLineObj(found);
  return {std::min(obj.Length, offset - obj.Start), found};
}

// ---- Caret and selection ----------------------------------------------------------------------

std::int32_t TEditCore::SelStart() const { return std::min(selAnchor_, caretOffset_); }

std::int32_t TEditCore::SelLength() const { return std::abs(caretOffset_ - selAnchor_); }

std::string TEditCore::SelText() const {
  if (!HasSelection() || lines_.Empty()) return {};
  const TPoint s = OffsetToPoint(SelStart());
  const TPoint e = OffsetToPoint(std::max(selAnchor_, caretOffset_));
  const std::string_view first = lines_.Get(s.Y);
  if (s.Y == e.Y)
    return std::string(first.substr(static_cast<std::size_t>(s.X), static_cast<std::size_t>(e.X - s.X)));
  std::string out(first.substr(static_cast<std::size_t>(s.X)));
  out += "\r\n";
  for (int y = s.Y + 1; y < e.Y; ++y) {
    out += lines_.Get(y);
    out += "\r\n";
  }
  out += lines_.Get(e.Y).substr(0, static_cast<std::size_t>(e.X));
  return out;
}

void TEditCore::UpdateCaret() {
  const int count = lines_.Count();
  if (caretPos_.Y >= count) caretPos_.Y = count - 1;
  if (caretPos_.Y < 0) caretPos_.Y = 0;
  if (count == 0 || caretPos_.X < 0) {
    caretPos_.X = 0;
  } else {
    const std::string_view s = lines_.Get(caretPos_.Y);
    caretPos_.X = SnapToChar(s, std::min(caretPos_.X, static_cast<std::int32_t>(s.size())));
  }
  caretOffset_ = PointToOffset(caretPos_);
  if (view_) view_->EditCaretMoved();
}

void TEditCore::SetCaretPos(TPoint p, bool collapse) {
  preferredCol_ = p.X;
  caretPos_ = p;
  UpdateCaret();
  if (collapse) selAnchor_ = caretOffset_;
  ReportCaret();
  ReportSelection();
}

void TEditCore::MoveCaretTo(TPoint p) {
  SetCaretPos(p, true);
  ScrollCaretIntoView();
}

void TEditCore::SetSelStart(std::int32_t value) {
  selAnchor_ = value;
  SetCaretPos(OffsetToPoint(value), false);
}

void TEditCore::SetSelLength(std::int32_t value) {
  const std::int32_t s = SelStart();
  selAnchor_ = s;
  SetCaretPos(OffsetToPoint(s + value), false);
}

void TEditCore::SelectAll() {
  selAnchor_ = 0;
  SetCaretPos({kLineEnd, lines_.Count() - 1}, false);
  ScrollCaretIntoView();
  ReportSelection();
}

void TEditCore::SelectWordAt(TPoint p) {
  if (lines_.Empty()) return;
  const std::string_view s = lines_.Get(p.Y);
  const auto len = static_cast<std::int32_t>(s.size());
  if (len == 0) return;
  std::int32_t i = std::min(p.X + 1, len);  // 1-based: the character under the point
  auto at = [&](std::int32_t k) { return ByteAt(s, k - 1); };
  if (!IsWordChar(at(i))) return;
  while (i < len && IsWordChar(at(i + 1))) ++i;
  SetCaretPos({i, p.Y}, false);
  while (i > 1 && IsWordChar(at(i - 1))) --i;
  selAnchor_ = lines_.GetLineObj(p.Y).Start + i - 1;
  ReportSelection();
}

// ---- Caret moves ------------------------------------------------------------------------------

void TEditCore::EndMove(bool extend) {
  if (!extend) selAnchor_ = caretOffset_;
  ReportCaret();
  ReportSelection();
}

// The column is not changed, so a run of vertical moves comes back to where it began.
void TEditCore::MoveToLine(std::int32_t y, bool extend) {
  caretPos_.Y = y;
  caretPos_.X = std::max(preferredCol_, caretPos_.X);
  UpdateCaret();
  EndMove(extend);
}

void TEditCore::MoveToCol(std::int32_t x, bool wrap, bool extend) {
  const int count = lines_.Count();
  const std::int32_t len =
      count > 0 && caretPos_.Y < count ? lines_.GetLineObj(caretPos_.Y).Length : 0;
  if (wrap && x < 0 && caretPos_.Y > 0) {
    --caretPos_.Y;
    caretPos_.X = kLineEnd;
  } else if (wrap && x > caretPos_.X && caretPos_.Y < count - 1 && caretPos_.X >= len) {
    ++caretPos_.Y;
    caretPos_.X = 0;
  } else {
    caretPos_.X = x;
  }
  preferredCol_ = caretPos_.X;
  UpdateCaret();
  EndMove(extend);
}

// Words are runs of bytes above the space; bytes from 0x80 up belong to them.
void TEditCore::WordRight(bool extend) {
  if (lines_.Empty()) return;
  const std::string_view s = lines_.Get(caretPos_.Y);
  const auto len = static_cast<std::int32_t>(s.size());
  std::int32_t x = std::min(caretPos_.X, len);
  if (x >= len) {
    if (caretPos_.Y >= lines_.Count() - 1) return;
    ++caretPos_.Y;
    caretPos_.X = 0;
  } else {
    while (x < len && ByteAt(s, x) > 32) ++x;
    while (x < len && ByteAt(s, x) <= 32) ++x;
    caretPos_.X = x;
  }
  UpdateCaret();
  preferredCol_ = caretPos_.X;
  EndMove(extend);
}

void TEditCore::WordLeft(bool extend) {
  if (lines_.Empty()) return;
  const std::string_view s = lines_.Get(caretPos_.Y);
  std::int32_t x = std::min(caretPos_.X, static_cast<std::int32_t>(s.size()));
  while (x > 0 && ByteAt(s, x - 1) <= 32) --x;
  if (x == 0) {
    if (caretPos_.Y > 0) {
      --caretPos_.Y;
      x = kLineEnd;
    }
  } else {
    while (x > 0 && ByteAt(s, x - 1) > 32) --x;
  }
  caretPos_.X = x;
  UpdateCaret();
  preferredCol_ = caretPos_.X;
  EndMove(extend);
}

// ---- Editing ----------------------------------------------------------------------------------

void TEditCore::ProcessChar(std::uint8_t c) {
  if (readOnly_ || !IsCharCode(c)) return;
  if (lines_.Empty()) {
    if (c == 7 || c == 8) return;
    lines_.Add(std::string_view());
    caretPos_.X = 0;
    if (c == 13) return;  // the empty text became one empty line
  }
  TUndoItem rec;
  rec.Kind = ukTypeChar;
  rec.Input = std::string(1, static_cast<char>(c));
  rec.Offset = caretOffset_;
  rec.Pos = caretPos_;
  bool record = true;  // the prepared record is added once the step is done
  if ((c == 7 || c == 8) && HasSelection()) {
    DeleteSelection();  // writes its own record
    record = false;
  } else if (c == 7 || c == 8) {
    if (!(c == 7 ? DeleteForward(rec) : DeleteBackward(rec))) return;
  } else if (c == 13) {
    BreakLine(rec);
  } else {
    TypeChar(c, rec);
  }
  preferredCol_ = caretPos_.X;
  UpdateCaret();
  selAnchor_ = caretOffset_;
  ScrollCaretIntoView();
  ReportCaret();
  if (!record) return;
  if (rec.Kind == ukTypeChar) {
    rec.EndPos = caretPos_;
    rec.AfterOffset = caretOffset_;
  }
  undo_.Add(rec);
}

// Delete: the character after the caret, or the line break at the end of the line.
bool TEditCore::DeleteForward(TUndoItem& rec) {
  const TPoint p = caretPos_;
  const std::string_view line = lines_.Get(p.Y);
  rec.Kind = ukDeleteChar;
  if (p.X >= static_cast<std::int32_t>(line.size())) {
    if (p.Y >= lines_.Count() - 1) return false;
    rec.Text = "\r";
    lines_.JoinLines(p.Y);
    return true;
  }
  const std::int32_t n = NextCharCol(line, p.X) - p.X;
  rec.Text = std::string(line.substr(static_cast<std::size_t>(p.X), static_cast<std::size_t>(n)));
  lines_.RemoveText(p, {p.X + n, p.Y});
  return true;
}

// Backspace: the character before the caret, or the line break before the line. The record
// stands at the point of what was removed.
bool TEditCore::DeleteBackward(TUndoItem& rec) {
  const TPoint p = caretPos_;
  rec.Kind = ukDeleteChar;
  if (p.X == 0) {
    if (p.Y == 0) return false;
    const std::int32_t joint = lines_.GetLineObj(p.Y - 1).Length;
    lines_.JoinLines(p.Y - 1);
    caretPos_ = {joint, p.Y - 1};
    rec.Text = "\r";
  } else {
    const std::string_view line = lines_.Get(p.Y);
    const std::int32_t x = std::min(p.X, static_cast<std::int32_t>(line.size()));
    const std::int32_t from = std::max(0, PrevCharCol(line, x));
    rec.Text = std::string(line.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(x - from)));
    lines_.RemoveText({from, p.Y}, {x, p.Y});
    caretPos_ = {from, p.Y};
  }
  rec.Pos = caretPos_;
  rec.Offset = PointToOffset(caretPos_);
  return true;
}

void TEditCore::EnsureLine() {
  if (!lines_.Empty()) return;
  lines_.Add(std::string_view());
  caretPos_ = {0, 0};
}

// Enter: the selection goes, the line breaks at the caret, the caret starts the next line.
void TEditCore::BreakLine(TUndoItem& rec) {
  DeleteSelection();
  EnsureLine();
  rec.Offset = caretOffset_;
  rec.Pos = caretPos_;
  lines_.SplitLine(caretPos_.Y, caretPos_.X);
  caretPos_ = {0, caretPos_.Y + 1};
}

// A tab or a byte typed over the selection.
void TEditCore::TypeChar(std::uint8_t c, TUndoItem& rec) {
  DeleteSelection();
  EnsureLine();
  rec.Offset = caretOffset_;
  rec.Pos = caretPos_;
  const char ch = static_cast<char>(c);
  caretPos_ = lines_.InsertText(caretPos_, std::string_view(&ch, 1));
}

void TEditCore::DeleteSelection() {
  if (!HasSelection() || readOnly_ || lines_.Empty()) return;
  const TPoint s = OffsetToPoint(SelStart());
  const TPoint e = OffsetToPoint(std::max(selAnchor_, caretOffset_));
  TUndoItem rec;
  rec.Kind = ukDeleteBlock;
  rec.AnchorOffset = selAnchor_;
  rec.Offset = caretOffset_;
  rec.Text = SelText();
  const int last = lines_.Count() - 1;
  if (s == TPoint{0, 0} && e.Y == last && e.X == lines_.GetLineObj(last).Length) {
    DeleteEverything(rec);
    return;
  }
  lines_.RemoveText(s, e);
  SetCaretPos(s, true);
  rec.EndOffset = SelStart();
  rec.EndPos = caretPos_;
  undo_.Add(rec);
}

// The whole text selected and deleted: the store is emptied (which resets caret and selection)
// and counts as changed.
void TEditCore::DeleteEverything(TUndoItem& rec) {
  ownClear_ = true;
  try {
    lines_.Clear();
  } catch (...) {
    ownClear_ = false;
    throw;
  }
  ownClear_ = false;
  lines_.SetModified(true);
  rec.EndOffset = 0;
  rec.EndPos = {0, 0};
  undo_.Add(rec);
}

void TEditCore::InsertText(const std::string& text) {
  if (readOnly_) return;
  DeleteSelection();
  if (text.empty()) return;
  TUndoItem rec;
  rec.Kind = ukInsertBlock;
  rec.Offset = caretOffset_;
  rec.Pos = caretPos_;
  EnsureLine();
  caretPos_ = lines_.InsertText(caretPos_, text);
  SetCaretPos(caretPos_, true);
  rec.AfterOffset = caretOffset_;
  rec.Input = text;
  undo_.Add(rec);
  ScrollCaretIntoView();
}

// The end of dragging the selection: a deletion and an insertion, undone together. The moved
// text ends up selected with the caret at its end.
void TEditCore::MoveSelectionToCaret() {
  std::int32_t d = PointToOffset(caretPos_);
  const std::int32_t s1 = SelStart();
  const std::int32_t s2 = s1 + SelLength();
  if (d >= s1 && d <= s2) return;
  if (readOnly_) {
    // Nothing can move: the caret goes to the drop point and the selection is given up.
    SetCaretPos(caretPos_, true);
    return;
  }
  const std::string t = SelText();
  const TPoint p0 = caretPos_;
  DeleteSelection();
  if (d > selAnchor_) {
    d -= static_cast<std::int32_t>(t.size());
    caretPos_ = OffsetToPoint(d);
  } else {
    caretPos_ = p0;
  }
  selAnchor_ = d;
  caretOffset_ = d;
  InsertText(t);
  selAnchor_ = d;
  ReportCaret();
  ReportSelection();
}

void TEditCore::Undo() {
  undo_.Undo();
  ScrollCaretIntoView();
}

void TEditCore::Redo() {
  undo_.Redo();
  ScrollCaretIntoView();
}

}  // namespace editor
