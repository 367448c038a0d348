// The PowerScript scanner's string literals and bracket-aware search, on which the section
// parser, the DataWindow reader and the merge's line readers rely; comments and tokens are
// tested through their users (tests/compare/CommentsTest.cpp, TokensTest.cpp).
#include <gtest/gtest.h>

#include "pbparse/DataWindow.h"
#include "pbparse/Lexer.h"

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// GB18030: 0x81 0x7E ends in "~", 0x81 0x5B in "[": trail bytes that are neither.
TEST(Lexer, StringLiteralsEndAtTheirOwnQuote) {
  struct {
    const char* Name;
    std::string Text;
    std::size_t End;  // FindStringEnd from offset 0
  } cases[] = {
      {"double quotes", "\"ab\" + c", 4},
      {"single quotes hold a double one", "'a\"b' x", 5},
      {"tilde quote stays inside", "\"a~\"b\" x", 6},
      {"tilde tilde then the end", "\"a~~\" x", 5},
      {"unclosed", "\"abc", kNone},
      {"tilde at the very end", "\"abc~", kNone},
      {"spans lines", "\"a\nb\" x", 5},
      {"trail byte tilde escapes nothing", "\"\x81\x7E\" x", 4},
      {"tilde escapes a whole double-byte character", "\"~\x81\x7E\" x", 5},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(pbparse::FindStringEnd(c.Text, 0), c.End) << c.Name;
    EXPECT_EQ(pbparse::SkipStringLiteral(c.Text, 0), std::min(c.End, c.Text.size())) << c.Name;
  }
}

TEST(Lexer, FindOutsideSkipsStringsAndBrackets) {
  struct {
    const char* Name;
    std::string Text, Targets, Brackets;
    std::size_t At;
  } cases[] = {
      {"top-level comma", "a(b,c),d", ",", "()", 6},
      {"list's own end", "a(b,c)) ,d", ",)", "()", 6},
      {"semicolon in a string", "f(\";\") ; x", ";", "()", 7},
      {"stray closing bracket passed over", "a) = b", "=", "()", 3},
      {"all three brackets", "a[i] {x=1} (y=2) = z", "=", "()[]{}", 17},
      {"unclosed string hides the rest", "a \"x, b", ",", "()", kNone},
      {"no brackets at all", "(a) = b", "=", "", 4},
      {"trail byte is no bracket", "s\x81\x5B = 1", "=", "()[]{}", 4},
      {"trail byte tilde closes no string late", "\"\x81\x7E\", x", ",", "()", 4},
  };
  for (const auto& c : cases) EXPECT_EQ(pbparse::FindOutside(c.Text, 0, c.Targets, c.Brackets), c.At) << c.Name;
}

TEST(Lexer, DataWindowStringsEndOnATrailByteTilde) {
  const pbparse::TDwParse p =
      pbparse::ParseDataWindow({"release 10;", "text(band=header text=\"\xD6\xD0\x81\x7E\" name=t_1 )"});
  ASSERT_TRUE(p.DataWindow) << p.Reason;
  ASSERT_EQ(p.DataWindow->Objects.size(), 1u);
  EXPECT_EQ(p.DataWindow->Objects[0].Key, "text t_1");
}

}  // namespace
