#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/CodePage.h"
#include "search/PaneSearch.h"
#include "search/Searches.h"

using search::FindBackward;
using search::FindForward;
using search::IsWholeWord;
using search::ReplaceBackward;
using search::ReplaceForward;
using search::TReplaceChoice;
using search::TReplaceRun;
using search::TSearch;
using search::TSearchPane;
using search::rcAll;
using search::rcCancel;
using search::rcReplace;
using search::rcSkip;

namespace {

// A pane of plain lines with a caret and a selection, behaving as the editor does for the calls
// the search makes: the caret never splits a character of the code page (GB18030).
class FakePane : public TSearchPane {
 public:
  explicit FakePane(std::vector<std::string> lines) : Lines(std::move(lines)) {}
  int LineCount() const override { return static_cast<int>(Lines.size()); }
  std::string_view LineText(int line) const override { return Lines[static_cast<std::size_t>(line)]; }
  int CaretX() const override { return X; }
  int CaretY() const override { return Y; }
  void MoveCaretTo(int x, int y) override {
    Y = y;
    X = SelStart = Snap(x);
    SelLen = 0;
  }
  void SetSelLength(int length) override {
    if (IgnoreSelection) return;
    X = Snap(SelStart + length);
    SelLen = X - SelStart;
  }
  void ScrollCaretIntoView() override {}
  void InsertText(const std::string& text) override {
    if (ReadOnly) return;
    // A Replace All that never ends fails here instead of hanging the test.
    if (++Inserted > 1000) throw std::runtime_error("endless replacing");
    std::string& line = Lines[static_cast<std::size_t>(Y)];
    line.replace(static_cast<std::size_t>(SelStart), static_cast<std::size_t>(SelLen), text);
    X = SelStart + static_cast<int>(text.size());
    SelStart = X;
    SelLen = 0;
  }
  std::pair<int, int> Selection() const { return {SelStart, SelLen}; }

  // The start of the character covering byte column x.
  int Snap(int x) const {
    if (Y < 0 || Y >= LineCount()) return x;
    const std::string& line = Lines[static_cast<std::size_t>(Y)];
    int at = 0;
    while (at < x && at < static_cast<int>(line.size())) {
      int next = at + static_cast<int>(platform::CharLength(std::string_view(line).substr(static_cast<std::size_t>(at))));
      if (next > x) return at;
      at = next;
    }
    return x;
  }

  std::vector<std::string> Lines;
  int X = 0, Y = 0, SelStart = 0, SelLen = 0, Inserted = 0;
  bool ReadOnly = false;
  bool IgnoreSelection = false;  // a pane that cannot select: the worst a pane can do
};

void Use(TSearch& s, const std::string& pattern, bool caseSensitive = false) {
  s.SetPattern(pattern);
  s.SetCaseSensitive(caseSensitive);
}

TReplaceRun Replacement(std::string text, bool prompt, bool all, std::function<TReplaceChoice()> ask = {}) {
  TReplaceRun run;
  run.ReplaceText = std::move(text);
  run.Prompt = prompt;
  run.ReplaceAll = all;
  run.Ask = std::move(ask);
  return run;
}

TEST(FindForward, StepsThroughMatchesWithoutOverlapAndDoesNotWrap) {
  FakePane pane({"abab", "xx", "zab"});
  TSearch s;
  Use(s, "ab");
  ASSERT_TRUE(FindForward(pane, s, false));
  EXPECT_EQ(pane.Selection(), std::make_pair(0, 2));
  ASSERT_TRUE(FindForward(pane, s, false));
  EXPECT_EQ(pane.Selection(), std::make_pair(2, 2));
  ASSERT_TRUE(FindForward(pane, s, false));
  EXPECT_EQ(pane.Y, 2);
  EXPECT_EQ(pane.Selection(), std::make_pair(1, 2));
  EXPECT_FALSE(FindForward(pane, s, false));
  EXPECT_EQ(pane.Y, 2);  // the caret stays where the last match left it
  EXPECT_EQ(pane.X, 3);
}

TEST(FindForward, MatchBeforeTheCaretOnItsLineIsNotFound) {
  FakePane pane({"ab ab"});
  pane.MoveCaretTo(1, 0);
  TSearch s;
  Use(s, "ab");
  ASSERT_TRUE(FindForward(pane, s, false));
  EXPECT_EQ(pane.Selection(), std::make_pair(3, 2));
}

TEST(FindForward, EmptyPaneOrCaretPastTheEnd) {
  FakePane empty({});
  TSearch s;
  Use(s, "a");
  EXPECT_FALSE(FindForward(empty, s, false));
  EXPECT_FALSE(FindBackward(empty, s, false));
  FakePane pane({"a"});
  pane.MoveCaretTo(0, 1);
  EXPECT_FALSE(FindForward(pane, s, false));
}

struct WordCase {
  const char* Name;
  std::string Line;
  int Pos, Len;
  bool Whole;
};

class WholeWord : public testing::TestWithParam<WordCase> {};

TEST_P(WholeWord, OnlyAsciiLettersAndDigitsMakeWords) {
  const WordCase& c = GetParam();
  EXPECT_EQ(IsWholeWord(c.Line, c.Pos, c.Len), c.Whole);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, WholeWord,
    testing::Values(WordCase{"underscore_delimits", "x_ab ab", 2, 2, true}, WordCase{"blank_after", "x_ab ab", 5, 2, true},
                    WordCase{"letter_before", "xab ab", 1, 2, false}, WordCase{"end_of_line", "(ab", 1, 2, true},
                    WordCase{"digit_after", "ab1", 0, 2, false}, WordCase{"dollar_delimits", "$ab$", 1, 2, true},
                    WordCase{"high_byte_delimits", "\xB5\xC7" "ab", 2, 2, true},
                    // A double-byte character whose trail byte (0x41) lies in the ASCII letter
                    // range: the test looks at single bytes, so that byte counts as a letter.
                    WordCase{"trail_byte_letter", "\xB0\x41" "ab", 2, 2, false}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(FindForward, WholeWordsSkipsEmbeddedMatches) {
  FakePane pane({"xab ab"});
  TSearch s;
  Use(s, "ab");
  ASSERT_TRUE(FindForward(pane, s, true));
  EXPECT_EQ(pane.Selection(), std::make_pair(4, 2));
}

TEST(FindBackward, NearestMatchBeforeTheSelectedOne) {
  FakePane pane({"ab", "ab ab ab"});
  pane.MoveCaretTo(8, 1);  // after typing: the match ending at the caret is skipped
  TSearch s;
  Use(s, "AB");
  ASSERT_TRUE(FindBackward(pane, s, false));
  EXPECT_EQ(pane.Selection(), std::make_pair(3, 2));
  ASSERT_TRUE(FindBackward(pane, s, false));
  EXPECT_EQ(pane.Selection(), std::make_pair(0, 2));
  ASSERT_TRUE(FindBackward(pane, s, false));
  EXPECT_EQ(pane.Y, 0);
  EXPECT_FALSE(FindBackward(pane, s, false));
}

TEST(FindBackward, CaseSensitiveSearcherMissesOtherCase) {
  FakePane pane({"AB ab"});
  pane.MoveCaretTo(5, 0);
  TSearch s;
  Use(s, "AB", true);
  ASSERT_TRUE(FindBackward(pane, s, false));
  EXPECT_EQ(pane.Selection(), std::make_pair(0, 2));
}

TEST(Replace, OneWithoutPromptReplacesTheNextMatchAfterTheCaret) {
  FakePane pane({"a a a"});
  TSearch s;
  Use(s, "a");
  TReplaceRun run = Replacement("bb", false, false);
  EXPECT_EQ(ReplaceForward(pane, s, run), 1);
  EXPECT_EQ(pane.Lines[0], "bb a a");
  EXPECT_EQ(ReplaceForward(pane, s, run), 1);
  EXPECT_EQ(pane.Lines[0], "bb bb a");
}

TEST(Replace, AllForwardAndBackwardEvenWhenTheReplacementHoldsThePattern) {
  for (bool backward : {false, true}) {
    FakePane pane({"a-a", "xa", ""});
    if (backward) pane.MoveCaretTo(0, 2);
    TSearch s;
  Use(s, "a");
    TReplaceRun run = Replacement("ab", false, true);
    int n = backward ? ReplaceBackward(pane, s, run) : ReplaceForward(pane, s, run);
    EXPECT_EQ(n, 3) << backward;
    EXPECT_EQ(pane.Lines, (std::vector<std::string>{"ab-ab", "xab", ""})) << backward;
  }
}

TEST(Replace, EmptyReplacementDeletes) {
  FakePane pane({"keep-drop-keep"});
  TSearch s;
  Use(s, "-drop");
  EXPECT_EQ(ReplaceForward(pane, s, Replacement("", false, true)), 1);
  EXPECT_EQ(pane.Lines[0], "keep-keep");
}

TEST(Replace, PromptSkipThenAllReplacesTheRestWithoutAsking) {
  FakePane pane({"a a a a"});
  TSearch s;
  Use(s, "a");
  std::vector<TReplaceChoice> answers{rcSkip, rcAll};
  int asked = 0;
  TReplaceRun run = Replacement("b", true, true, [&] { return answers[static_cast<std::size_t>(asked++)]; });
  EXPECT_EQ(ReplaceForward(pane, s, run), 3);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(pane.Lines[0], "a b b b");
}

TEST(Replace, PromptCancelChangesNothingAndReplaceOneStopsAfterOne) {
  FakePane pane({"a a"});
  TSearch s;
  Use(s, "a");
  TReplaceRun cancel = Replacement("b", true, true, [] { return rcCancel; });
  EXPECT_EQ(ReplaceForward(pane, s, cancel), 0);
  EXPECT_EQ(pane.Lines[0], "a a");

  pane.MoveCaretTo(0, 0);
  TReplaceRun one = Replacement("b", true, false, [] { return rcReplace; });
  EXPECT_EQ(ReplaceForward(pane, s, one), 1);
  EXPECT_EQ(pane.Lines[0], "b a");
}

TEST(Replace, ReadOnlyPaneEndsReplaceAllUnchanged) {
  for (bool backward : {false, true}) {
    FakePane pane({"a a", "a", ""});
    pane.ReadOnly = true;
    if (backward) pane.MoveCaretTo(0, 2);
    TSearch s;
  Use(s, "a");
    int n = backward ? ReplaceBackward(pane, s, Replacement("b", false, true))
                     : ReplaceForward(pane, s, Replacement("b", false, true));
    EXPECT_EQ(n, 3);
    EXPECT_EQ(pane.Lines, (std::vector<std::string>{"a a", "a", ""}));
  }
}

// GBK 說 is D5 66, so "f" and "F" match its second byte; GB18030 "©" is 81 30 84 38, so "0"
// matches inside it. Such matches split a character and are no matches, in every command.
const std::string kShuo = "\xD5\x66";
const std::string kCopyright = "\x81\x30\x84\x38";

TEST(DoubleByte, FindSkipsMatchesThatSplitACharacterInBothDirections) {
  FakePane pane({"x" + kShuo + "y f"});
  TSearch s;
  Use(s, "F");
  ASSERT_TRUE(FindForward(pane, s, false));
  EXPECT_EQ(pane.Selection(), std::make_pair(5, 1));
  EXPECT_FALSE(FindForward(pane, s, false));
  EXPECT_FALSE(FindBackward(pane, s, false));  // the only match before it splits 說
  // A match that ends inside a character is none either; one overlapping a turned-down match
  // is still found.
  FakePane ends({"a" + kShuo + "a" + kShuo + "ff"});
  Use(s, "a\xD5");
  EXPECT_FALSE(FindForward(ends, s, false));
  Use(s, "ff");
  ASSERT_TRUE(FindForward(ends, s, false));
  EXPECT_EQ(ends.Selection(), std::make_pair(6, 2));
}

TEST(DoubleByte, EveryReplaceAllEndsAndReplacesOnlyWholeCharacters) {
  const std::vector<std::string> text{"c" + kCopyright + " 2003 0", kShuo + "f" + kShuo};
  for (bool backward : {false, true}) {
    for (bool prompt : {false, true}) {
      FakePane pane(text);
      if (backward) pane.MoveCaretTo(static_cast<int>(text[1].size()), 1);
      TSearch s;
      Use(s, "0");
      int asked = 0;
      TReplaceRun run = Replacement("zero", prompt, true, [&] {
        ++asked;
        return rcReplace;
      });
      int n = backward ? ReplaceBackward(pane, s, run) : ReplaceForward(pane, s, run);
      EXPECT_EQ(n, 3) << backward << prompt;
      EXPECT_EQ(asked, prompt ? 3 : 0);
      EXPECT_EQ(pane.Lines[0], "c" + kCopyright + " 2zerozero3 zero") << backward << prompt;
      Use(s, "F");
      pane.MoveCaretTo(0, backward ? 1 : 0);
      if (backward) pane.MoveCaretTo(static_cast<int>(pane.Lines[1].size()), 1);
      EXPECT_EQ(backward ? ReplaceBackward(pane, s, run) : ReplaceForward(pane, s, run), 1);
      EXPECT_EQ(pane.Lines[1], kShuo + "zero" + kShuo);
    }
  }
}

TEST(WholeWords, AMatchOverlappingATurnedDownOneIsFound) {
  FakePane pane({"ba-a-a"});
  TSearch s;
  Use(s, "a-a");
  ASSERT_TRUE(FindForward(pane, s, true));
  EXPECT_EQ(pane.Selection(), std::make_pair(3, 3));
}

TEST(Replace, AllEndsEvenOverAPaneThatCannotSelect) {
  for (bool backward : {false, true}) {
    FakePane pane({"a a", "a"});
    pane.IgnoreSelection = true;
    if (backward) pane.MoveCaretTo(1, 1);
    TSearch s;
    Use(s, "a");
    int n = backward ? ReplaceBackward(pane, s, Replacement("ba", false, true))
                     : ReplaceForward(pane, s, Replacement("ba", false, true));
    EXPECT_LE(n, 10) << backward;  // at most one per byte and line break of the pane
  }
}

}  // namespace
