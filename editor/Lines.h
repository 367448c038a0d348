// TLines: the text of one editor pane, line by line, with per-line values.
//
// Every line is a byte string in the program's code page, without its terminator, and carries one
// TLineObj: its length, its offset in the whole text (the lines joined by CR LF, so each break
// counts 2), a changed flag, a background colour and two values kept for the pane's owner.
//
// The store knows its editor only through TLinesHost, so it runs and is tested without a window.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/Colors.h"

// Misuse of the line store or of the editor (an index outside the text, a forbidden method).
class TEditorError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TLineObj {
  std::int32_t Length = 0;   // bytes in the line; always the length of its string
  std::int32_t Start = 0;    // offset of the first byte in the whole text
  bool Modified = false;     // inserted or replaced since the last SetModified(false)
  TColor Color = 0;          // background of the line
  std::int32_t Tag = 0;      // owner's value, handed to the gutter painter
  std::uint8_t Kind = 0;     // owner's difference code; never read by the store or the editor
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
  // The text of a line; fails with "List index out of bounds (%d)" outside the store.
  const std::string& Get(int index) const;
  const std::string& operator[](int index) const { return Get(index); }
  // The line's values; fails with "TLines.GetLineObj() - index out of bounds.".
  TLineObj& GetLineObj(int index);
  const TLineObj& GetLineObj(int index) const;
  TLineObj& Objects(int index) { return GetLineObj(index); }

  void Clear();
  int Add(const std::string& s);
  void Insert(int index, const std::string& s);
  void Put(int index, const std::string& s);
  void Delete(int index);
  // Lines handed with an object of the caller's are refused: every line owns its own TLineObj.
  [[noreturn]] int AddObject(const std::string& s, void* object);
  [[noreturn]] void InsertObject(int index, const std::string& s, void* object);

  // Appends the lines of `source`, in one update bracket.
  void AddStrings(const std::vector<std::string>& source);
  void AddStrings(const TLines& source);
  // Replaces the whole text. From a TLines the lines keep their Color and Tag. Empties the
  // editor's undo buffer and ends with SetModified(false).
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
  void Reserve(int n) { items_.reserve(static_cast<std::size_t>(n)); }
  int Capacity() const { return static_cast<int>(items_.capacity()); }

  // Fired after every change outside an update bracket and when the outermost bracket closes.
  std::function<void(TLines* sender)> OnChange;

  // The extent kept when the store has no editor.
  std::int32_t MaxLineLen() const;

 private:
  struct TItem {
    std::string Text;
    TLineObj Obj;
  };

  void InsertItem(int index, const std::string& s);
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
  mutable int validStarts_ = 0;
  int updateCount_ = 0;
  bool updating_ = false;
  bool modified_ = false;
  std::int32_t ownMaxLineLen_ = 160;
};
