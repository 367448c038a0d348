// TLines: the text of one editor pane, line by line, with per-line values.
//
// Every line is a byte string in the program's code page, without its terminator, and carries one
// TLineObj: its length, its offset in the whole text (the lines joined by CR LF, so each break
// counts 2), a changed flag, a background colour and two values kept for the pane's owner.
//
// A line's text is either the store's own or a line of a TLineSource that the store keeps alive:
// a view that shows the lines of texts held elsewhere adds them with AddRef and copies nothing. A
// referenced line becomes a line of its own the moment it is changed (copy on write). A line costs
// 24 bytes in the store, plus its own text when it has one.
//
// Editing goes through four operations (InsertText, RemoveText, SplitLine, JoinLines), each one
// change of the text with one notification; the editing core composes keys and commands of them.
//
// The store knows its editor only through TLinesHost, so it runs and is tested without a window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "editor/Colors.h"

namespace editor {

// Misuse of the line store or of the editor (an index outside the text, a forbidden method).
class TEditorError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A text point: X is the column (a byte of the line), Y the line.
struct TPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// The fields are ordered so that the record packs into 20 bytes.
struct TLineObj {
  std::int32_t Length = 0;   // bytes in the line; always the length of its text
  std::int32_t Start = 0;    // offset of the first byte in the whole text
  TColor Color = 0;          // background of the line
  std::int32_t Tag = 0;      // owner's value, handed to the gutter painter
  bool Modified = false;     // inserted or replaced since the last SetModified(false)
  std::uint8_t Kind = 0;     // owner's difference code; never read by the store or the editor
};

// Lines held elsewhere that a store may show without copying them. The text of a line must not
// change while a store refers to it.
class TLineSource {
 public:
  virtual ~TLineSource() = default;
  virtual std::int32_t Count() const = 0;
  // Line `index` (0 <= index < Count()) in code-page bytes, without its break.
  virtual std::string_view Line(std::int32_t index) const = 0;
};

// What the store needs from the pane that shows it.
class TLinesHost {
 public:
  virtual ~TLinesHost() = default;
  // The pane's background colour, given to every new line.
  virtual TColor LinesColor() const = 0;
  // The horizontal extent in characters, which the store raises for long lines.
  virtual std::int32_t LinesMaxLineLen() const = 0;
  virtual void SetLinesMaxLineLen(std::int32_t value) = 0;
  // The store is being cleared: reset scrolling, caret, selection and (with automatic line
  // numbers) the gutter width.
  virtual void LinesCleared() = 0;
  // After a change outside an update bracket: recompute the scroll bars, size the automatic
  // gutter, schedule a repaint.
  virtual void LinesUpdateScrollBars() = 0;
  virtual void LinesUpdateGutter() = 0;
  virtual void LinesInvalidate() = 0;
  // True while the pane is being destroyed: no more notifications reach it.
  virtual bool LinesHostDestroying() const = 0;
  // A new text is loaded with Assign: the old undo records no longer fit it.
  virtual void LinesClearUndo() = 0;
};

class TLines {
 public:
  // `editor` may be null: the store then works on its own with colour 0 and its own extent.
  explicit TLines(TLinesHost* editor);
  ~TLines();
  TLines(const TLines&) = delete;
  TLines& operator=(const TLines&) = delete;

  TLinesHost* Editor() const { return editor_; }

  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  // The text of a line, valid until that line or the store changes; fails with
  // "List index out of bounds (%d)" outside the store.
  std::string_view Get(int index) const;
  std::string_view operator[](int index) const { return Get(index); }
  // The line's values; fails with "TLines.GetLineObj() - index out of bounds.".
  TLineObj& GetLineObj(int index);
  const TLineObj& GetLineObj(int index) const;
  TLineObj& Objects(int index) { return GetLineObj(index); }

  // Drops every line and the source.
  void Clear();
  int Add(std::string_view s);
  void Insert(int index, std::string_view s);
  void Put(int index, std::string_view s);
  void Delete(int index);
  // Lines handed with an object of the caller's are refused: every line owns its own TLineObj.
  [[noreturn]] int AddObject(const std::string& s, void* object);
  [[noreturn]] void InsertObject(int index, const std::string& s, void* object);

  // ---- Lines of another store's text ---------------------------------------------------------
  // The text AddRef refers to; kept alive by the store until Clear or Assign. Lines that still
  // refer to an earlier source are copied first, so nothing is lost when it is replaced.
  void SetSource(std::shared_ptr<const TLineSource> source);
  const std::shared_ptr<const TLineSource>& Source() const { return source_; }
  // Appends a line whose text is line `sourceLine` of the source, without copying it; fails
  // without a source or outside it.
  int AddRef(std::int32_t sourceLine);
  // The source line that line `index` still shows, or -1 for a line with a text of its own.
  std::int32_t SourceLine(int index) const;

  // ---- Editing -------------------------------------------------------------------------------
  // Each operation is one change (one notification); the lines it changes are marked modified and
  // hold their own text afterwards. Points are clamped to their line; lines outside the store fail
  // with "List index out of bounds (%d)" before anything changed.
  //
  // Inserts `text` at `at`; CR LF, CR or LF in it break lines. At column 0 a text that ends with a
  // break goes in as whole lines before line `at.Y`, which keeps its values. Returns the point
  // after the inserted text.
  TPoint InsertText(TPoint at, std::string_view text);
  // Removes the text from `from` to `to` (`from` first). From column 0 the lines before `to.Y` go
  // and line `to.Y` keeps its values; otherwise line `from.Y` keeps them.
  void RemoveText(TPoint from, TPoint to);
  // Breaks line `line` before column `col`. At column 0 an empty line is inserted before it, at
  // its end after it; the broken line keeps its values either way.
  void SplitLine(int line, std::int32_t col);
  // Joins line `line` and the next. An empty line is removed rather than joined, so that the other
  // keeps its values.
  void JoinLines(int line);

  // Appends the lines of `source`, in one update bracket.
  void AddStrings(const std::vector<std::string>& source);
  void AddStrings(const TLines& source);
  // Replaces the whole text. From a TLines the lines keep their Color and Tag, and referenced
  // lines stay references to the same source. Empties the editor's undo buffer and ends with
  // SetModified(false).
  void Assign(const TLines& source);
  void Assign(const std::vector<std::string>& source);

  // The whole text, the lines joined by CR LF (no break after the last line).
  std::string Text() const;
  std::vector<std::string> ToVector() const;

  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return updating_; }

  bool Modified() const { return modified_; }
  void SetModified(bool value);

  // Reserves room for `n` lines.
  // Room for n lines. An empty store that must grow lets its old room go first, so that a large
  // refill does not hold the old and the new room at once.
  void Reserve(int n) {
    if (items_.empty() && static_cast<std::size_t>(n) > items_.capacity()) decltype(items_)().swap(items_);
    items_.reserve(static_cast<std::size_t>(n));
  }
  int Capacity() const { return static_cast<int>(items_.capacity()); }

  // Fired after every change outside an update bracket and when the outermost bracket closes.
  std::function<void(TLines* sender)> OnChange;

  // The extent kept when the store has no editor.
  std::int32_t MaxLineLen() const;

 private:
  // Ref is a line of the source (below kOwned), a string of owned_ (kOwned set) or kNoText.
  struct TItem {
    TLineObj Obj;
    std::uint32_t Ref;
  };
  // Two 1,000,000-line texts side by side must stay within a small multiple of their size.
  static_assert(sizeof(TItem) <= 24, "a referenced line costs at most 24 bytes");
  static constexpr std::uint32_t kOwned = 0x80000000u;
  static constexpr std::uint32_t kNoText = 0xFFFFFFFFu;
  // Runs `work` inside an update bracket that is closed also when the work throws.
  template <typename F>
  void InBracket(F&& work);

  static bool IsRef(std::uint32_t ref) { return ref < kOwned; }
  static bool IsOwned(std::uint32_t ref) { return ref >= kOwned && ref != kNoText; }
  std::string_view TextOf(const TItem& item) const;
  std::uint32_t AllocSlot();
  std::uint32_t NewText(std::string_view s);
  void ReleaseText(TItem& item);
  std::string& OwnText(TItem& item);
  void LineEdited(int index);
  void InsertItem(int index, std::uint32_t ref, std::int32_t length);
  void InsertLines(int index, const std::vector<std::string_view>& texts);
  TPoint InsertParts(TPoint at, std::vector<std::string_view> parts, bool endsWithBreak);
  void EraseLines(int first, int count);
  void CopyLinesFrom(const TLines& source);
  void SetUpdateState(bool updating);
  void Changed();
  void CheckListIndex(int index) const;
  void RaiseMaxLineLen(std::int32_t length);
  // Start offsets are brought up to date lazily: lines before `validStarts_` are correct, later
  // ones are recomputed from their predecessors when they are read. An edit near the top of a long
  // text thus costs nothing for the lines below until someone looks at them.
  void EnsureStarts(int index) const;
  void InvalidateStartsFrom(int index) { if (index < validStarts_) validStarts_ = index; }

  TLinesHost* editor_;
  mutable std::vector<TItem> items_;
  std::shared_ptr<const TLineSource> source_;
  std::vector<std::string> owned_;
  std::vector<std::uint32_t> freeOwned_;
  mutable int validStarts_ = 0;
  int updateCount_ = 0;
  bool updating_ = false;
  bool modified_ = false;
  std::int32_t ownMaxLineLen_ = 160;
};

}  // namespace editor
