#include "PaneSearch.h"

#include <climits>

#include "search/Searches.h"

namespace {

bool IsWordByte(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void Load(TBaseSearch& search, std::string_view line) {
  search.SetBuffer(line.data(), static_cast<std::int32_t>(line.size()));
}

int PatternLength(const TBaseSearch& search) { return static_cast<int>(search.Pattern().size()); }

// The first acceptable match of `line` at or after column `from`, or -1.
int FirstMatch(TBaseSearch& search, std::string_view line, int from, int len, bool wholeWords) {
  Load(search, line);
  for (int pos = search.FindFirst(); pos >= 0; pos = search.FindNext())
    if (pos >= from && (!wholeWords || IsWholeWord(line, pos, len))) return pos;
  return -1;
}

// The last acceptable match of `line` that starts before column `before`, or -1.
int LastMatch(TBaseSearch& search, std::string_view line, int before, int len, bool wholeWords) {
  Load(search, line);
  int found = -1;
  for (int pos = search.FindFirst(); pos >= 0 && pos < before; pos = search.FindNext())
    if (!wholeWords || IsWholeWord(line, pos, len)) found = pos;
  return found;
}

void SelectMatch(TSearchPane& pane, int pos, int line, int len) {
  pane.MoveCaretTo(pos, line);
  pane.SetSelLength(len);
  pane.ScrollCaretIntoView();
}

// The backward step, looking for matches that start before column `before` of the caret line.
bool FindBackwardBefore(TSearchPane& pane, TBaseSearch& search, bool wholeWords, int before) {
  const int y = pane.CaretY();
  if (y < 0 || y >= pane.LineCount()) return false;
  const int len = PatternLength(search);
  int pos = LastMatch(search, pane.LineText(y), before, len, wholeWords);
  int line = y;
  while (pos < 0 && --line >= 0) pos = LastMatch(search, pane.LineText(line), INT_MAX, len, wholeWords);
  if (pos < 0) return false;
  SelectMatch(pane, pos, line, len);
  return true;
}

// One loop for both directions. `step(before)` selects the next match; the backward step takes
// `before` as the column its match must start before on the caret line (INT_MAX: from the caret).
int Replace(TSearchPane& pane, const TReplaceRun& run, const std::function<bool(int before)>& step, bool backward,
            int patternLength) {
  int replaced = 0;
  // The backward search goes on before the start of the last match, so that it never meets the
  // text it has just inserted, however that text reads.
  int before = INT_MAX;
  auto next = [&] {
    bool ok = step(before);
    before = INT_MAX;
    return ok;
  };
  auto replace = [&] {
    int start = pane.CaretX() - patternLength;
    pane.InsertText(run.ReplaceText);
    ++replaced;
    if (backward) before = start;
  };
  if (run.Prompt) {
    TReplaceChoice choice = rcReplace;
    while (next()) {
      if (choice != rcAll) choice = run.Ask ? run.Ask() : rcCancel;
      if (choice == rcReplace) {
        replace();
        if (!run.ReplaceAll) break;
      } else if (choice == rcAll) {
        replace();
      } else if (choice == rcSkip) {
        continue;  // the caret stands at the end of the skipped match
      } else {
        break;
      }
    }
  } else if (run.ReplaceAll) {
    while (next()) replace();
  } else if (next()) {
    replace();
  }
  return replaced;
}

}  // namespace

bool IsWholeWord(std::string_view line, int pos, int len) {
  const int n = static_cast<int>(line.size());
  bool before = pos <= 0 || !IsWordByte(line[static_cast<std::size_t>(pos - 1)]);
  bool after = pos + len >= n || !IsWordByte(line[static_cast<std::size_t>(pos + len)]);
  return before && after;
}

bool FindForward(TSearchPane& pane, TBaseSearch& search, bool wholeWords) {
  const int y = pane.CaretY();
  if (y < 0 || y >= pane.LineCount()) return false;
  const int len = PatternLength(search);
  int pos = FirstMatch(search, pane.LineText(y), pane.CaretX(), len, wholeWords);
  int line = y;
  while (pos < 0 && ++line < pane.LineCount()) pos = FirstMatch(search, pane.LineText(line), 0, len, wholeWords);
  if (pos < 0) return false;
  SelectMatch(pane, pos, line, len);
  return true;
}

bool FindBackward(TSearchPane& pane, TBaseSearch& search, bool wholeWords) {
  // The caret stands for the end of the previous match: a match must start before the caret
  // column minus the pattern length.
  return FindBackwardBefore(pane, search, wholeWords, pane.CaretX() - PatternLength(search));
}

int ReplaceForward(TSearchPane& pane, TBaseSearch& search, const TReplaceRun& run) {
  return Replace(pane, run, [&](int) { return FindForward(pane, search, run.WholeWords); }, false, PatternLength(search));
}

int ReplaceBackward(TSearchPane& pane, TBaseSearch& search, const TReplaceRun& run) {
  const int len = PatternLength(search);
  return Replace(
      pane, run,
      [&](int before) {
        if (before == INT_MAX) before = pane.CaretX() - len;
        return FindBackwardBefore(pane, search, run.WholeWords, before);
      },
      true, len);
}
