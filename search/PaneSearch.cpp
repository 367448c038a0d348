#include "PaneSearch.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "platform/CodePage.h"
#include "search/Searches.h"

namespace search {

namespace {

bool IsWordByte(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void Load(TBaseSearch& search, std::string_view line) {
  search.SetBuffer(line.data(), static_cast<std::int32_t>(line.size()));
}

int PatternLength(const TBaseSearch& search) { return static_cast<int>(search.Pattern().size()); }

// Walks the character boundaries of a line from its start, for offsets asked in increasing
// order, so that all the tests of one line cost one pass over it.
class TCharBounds {
 public:
  explicit TCharBounds(std::string_view line) : line_(line) {}
  // Whether a character of the code page starts at `offset` (the end of the line counts).
  bool At(int offset) {
    while (at_ < offset) at_ += static_cast<int>(platform::CharLength(line_.substr(static_cast<std::size_t>(at_))));
    return at_ == offset;
  }

 private:
  std::string_view line_;
  int at_ = 0;
};

// Calls `found(pos)` for every acceptable match of `line`, left to right, until it returns
// false. Acceptable matches do not overlap; the search goes on after one. A match that does not
// start and end on character boundaries is no match (the pattern's bytes lie inside a
// double-byte character), nor is one that is not a whole word when whole words are asked: the
// search goes on one byte after it, so that a real match overlapping it is still found.
template <class Found>
void EachMatch(TBaseSearch& search, std::string_view line, int len, bool wholeWords, Found found) {
  Load(search, line);
  TCharBounds starts(line), ends(line);
  int pos = search.FindFirst();
  while (pos >= 0) {
    if (!starts.At(pos) || !ends.At(pos + len) || (wholeWords && !IsWholeWord(line, pos, len))) {
      pos = search.FindFrom(pos + 1);
      continue;
    }
    if (!found(pos)) return;
    pos = search.FindNext();
  }
}

// The first acceptable match of `line` at or after column `from`, or -1.
int FirstMatch(TBaseSearch& search, std::string_view line, int from, int len, bool wholeWords) {
  int result = -1;
  EachMatch(search, line, len, wholeWords, [&](int pos) {
    if (pos < from) return true;
    result = pos;
    return false;
  });
  return result;
}

// The last acceptable match of `line` that starts before column `before`, or -1.
int LastMatch(TBaseSearch& search, std::string_view line, int before, int len, bool wholeWords) {
  int result = -1;
  EachMatch(search, line, len, wholeWords, [&](int pos) {
    if (pos >= before) return false;
    result = pos;
    return true;
  });
  return result;
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
  // Every match found lies in text not searched before, so a pane of N bytes holds at most
  // N / pattern length of them: a bound that ends the loop even over a pane that does not
  // select or insert as asked.
  std::int64_t budget = -1;
  if (run.Prompt || run.ReplaceAll) {
    budget = 1;
    for (int i = 0; i < pane.LineCount(); ++i) budget += static_cast<std::int64_t>(pane.LineText(i).size()) + 2;
    budget = budget / std::max(patternLength, 1) + 1;
  }
  auto next = [&] {
    if (budget == 0) return false;
    if (budget > 0) --budget;
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

}  // namespace search
