// The PowerScript line tokenizer on real PowerScript and DataWindow lines and on GB18030 text.
#include <gtest/gtest.h>

#include "compare/Tokens.h"

namespace {

using compare::TByteRange;
using compare::TokenizeLine;
using compare::TTokenKind;

struct TCase {
  const char* Name;
  std::string Line;
  std::vector<TByteRange> Comments;
  std::string Tokens;  // the tokens' texts, joined by "|"
  std::string Kinds;   // one letter per token: Blank, Word, Number, String, Enum, Punct; lower case in a comment
};

char Letter(TTokenKind kind) {
  switch (kind) {
    case TTokenKind::Blank: return 'B';
    case TTokenKind::Word: return 'W';
    case TTokenKind::Number: return 'N';
    case TTokenKind::String: return 'S';
    case TTokenKind::Enum: return 'E';
    case TTokenKind::Punct: return 'P';
  }
  return '?';
}

class Tokenize : public testing::TestWithParam<TCase> {};

TEST_P(Tokenize, CutsTheLineAsPowerScriptReadsIt) {
  const TCase& c = GetParam();
  std::string texts, kinds;
  std::uint32_t end = 0;
  for (const auto& t : TokenizeLine(c.Line, c.Comments)) {
    ASSERT_EQ(t.Start, end) << "tokens cover the line without gaps";
    end = t.End;
    texts += (texts.empty() ? "" : "|") + c.Line.substr(t.Start, t.End - t.Start);
    kinds += t.Comment ? static_cast<char>(Letter(t.Kind) - 'A' + 'a') : Letter(t.Kind);
  }
  EXPECT_EQ(end, c.Line.size());
  EXPECT_EQ(texts, c.Tokens);
  EXPECT_EQ(kinds, c.Kinds);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Tokenize,
    testing::Values(
        TCase{"NamesWithHyphenDollarHashPercent", "li_a-b = ls_x$+ls_y#*z%", {},
              "li_a-b| |=| |ls_x$|+|ls_y#|*|z%", "WBPBWPWPW"},
        TCase{"HyphenJoinsOnlyBeforeAWordCharacter", "li_i-- ; x -1", {}, "li_i|-|-| |;| |x| |-|1", "WPPBPBWBPN"},
        TCase{"EnumeratedValue", "MessageBox(\"Error\", ls_msg, Exclamation!)", {},
              "MessageBox|(|\"Error\"|,| |ls_msg|,| |Exclamation!|)", "WPSPBWPBEP"},
        TCase{"TildeEscapesInBothQuotes", "s = \"say ~\"hi~\"\" + 'it~'s'", {},
              "s| |=| |\"say ~\"hi~\"\"| |+| |'it~'s'", "WBPBSBPBS"},
        TCase{"UnclosedStringRunsToTheEnd", "ls = \"abc ~", {}, "ls| |=| |\"abc ~", "WBPBS"},
        TCase{"Numbers", "x = 1.5E+10 * 3.14 + 2nd", {}, "x| |=| |1.5E+10| |*| |3.14| |+| |2|nd", "WBPBNBPBNBPBNW"},
        TCase{"DataWindowObject", "column(band=detail id=1 x=\"9\" edit.limit=0)", {},
              "column|(|band|=|detail| |id|=|1| |x|=|\"9\"| |edit|.|limit|=|0|)", "WPWPWBWPNBWPSBWPWPNP"},
        TCase{"TabsAreBlanks", "\t\tif a then", {}, "\t\t|if| |a| |then", "BWBWBW"},
        // GB18030: 名称 and 中文 are double-byte; 0x81 0x7E ends in "~", 0x81 0x30 0x81 0x30 is four bytes.
        TCase{"DoubleByteCharactersBelongToWords", "ls_\xC3\xFB\xB3\xC6 = \"\xD6\xD0\xCE\xC4\"", {},
              "ls_\xC3\xFB\xB3\xC6| |=| |\"\xD6\xD0\xCE\xC4\"", "WBPBS"},
        TCase{"TrailByteTildeEscapesNothing", "s = \"\x81\x7E\" + t", {}, "s| |=| |\"\x81\x7E\"| |+| |t", "WBPBSBPBW"},
        TCase{"FourByteCharacterInAName", "a\x81\x30\x81\x30-b", {}, "a\x81\x30\x81\x30-b", "W"},
        TCase{"CommentsAreProse", "x = 1 // don't stop!", {{5, 20}}, "x| |=| |1| |/|/| |don|'|t| |stop|!",
              "WBPBNbppbwpwbwp"},
        TCase{"CodeAfterABlockComment", "/* it's */ s = 'a'", {{0, 11}}, "/|*| |it|'|s| |*|/| |s| |=| |'a'",
              "ppbwpwbppbWBPBS"}),
    [](const testing::TestParamInfo<TCase>& info) { return std::string(info.param.Name); });

}  // namespace
