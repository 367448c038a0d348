// Finding and replacing in a text pane, line by line, with the pattern searcher: forwards and
// backwards from the caret, whole words only if asked, with or without a prompt per match.
// Toolkit-free: the pane is reached through TSearchPane, the prompt through a callback.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace search {

class TBaseSearch;

enum TReplaceChoice { rcReplace = 0, rcSkip = 1, rcAll = 2, rcCancel = 3 };

// What the search needs of a pane: its lines, its caret and selection, and text insertion.
class TSearchPane {
 public:
  virtual ~TSearchPane() = default;
  virtual int LineCount() const = 0;
  virtual std::string_view LineText(int line) const = 0;
  virtual int CaretX() const = 0;
  virtual int CaretY() const = 0;
  // Caret to (x, y), selection collapsed, scrolled into view.
  virtual void MoveCaretTo(int x, int y) = 0;
  // Selects `length` characters from the selection start, the caret at the end.
  virtual void SetSelLength(int length) = 0;
  virtual void ScrollCaretIntoView() = 0;
  // Replaces the selection by `text` (ignored by a read-only pane), the caret after it.
  virtual void InsertText(const std::string& text) = 0;
};

// Whether the match at `pos` of length `len` stands alone: the bytes on both sides are no ASCII
// letters or digits (underscores, "$", blanks and bytes from 0x80 up delimit words).
bool IsWholeWord(std::string_view line, int pos, int len);

// Select the next match at or after the caret / the nearest one before it. The searcher's
// pattern and case mode are set by the caller. No wrapping around.
bool FindForward(TSearchPane& pane, TBaseSearch& search, bool wholeWords);
bool FindBackward(TSearchPane& pane, TBaseSearch& search, bool wholeWords);

struct TReplaceRun {
  std::string ReplaceText;
  bool WholeWords = false;
  bool Prompt = false;
  bool ReplaceAll = false;
  // Asked before each replacement while Prompt is set; the match is selected.
  std::function<TReplaceChoice()> Ask;
};

// Replace the next match, or every match when ReplaceAll is set, in the search direction.
// Returns how many matches were handed to the pane's InsertText (a read-only pane keeps them).
int ReplaceForward(TSearchPane& pane, TBaseSearch& search, const TReplaceRun& run);
int ReplaceBackward(TSearchPane& pane, TBaseSearch& search, const TReplaceRun& run);

}  // namespace search
