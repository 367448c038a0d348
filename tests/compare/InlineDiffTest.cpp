// The changed parts of modified lines, on real PowerScript and DataWindow lines, and their
// conversion to code-point offsets.
#include <gtest/gtest.h>

#include "compare/InlineDiff.h"
#include "platform/CodePage.h"

namespace {

using compare::TCompareOptions;
using compare::TSpan;

// The line with "[" and "]" around each changed part.
std::string Marked(std::string_view line, const std::vector<TSpan>& spans) {
  std::string out;
  std::size_t at = 0;
  for (const TSpan& s : spans) {
    const auto start = static_cast<std::size_t>(s.Start), end = static_cast<std::size_t>(s.End);
    out.append(line.substr(at, start - at)).append("[").append(line.substr(start, end - start)).append("]");
    at = end;
  }
  return out.append(line.substr(at));
}

constexpr TCompareOptions kExact{};
constexpr TCompareOptions kCase{.IgnoreCase = true};
constexpr TCompareOptions kBlanks{.IgnoreBlanks = true};
constexpr TCompareOptions kComments{.IgnoreComments = true};

struct TCase {
  const char* Name;
  std::string Line1, Line2;
  TCompareOptions Options;
  std::string Marked1, Marked2;  // "-": too little in common, no changed parts
};

class ChangedSpans : public testing::TestWithParam<TCase> {};

TEST_P(ChangedSpans, MarksWhatReallyChanged) {
  const TCase& c = GetParam();
  compare::TInlineDiff d = compare::ChangedSpans(c.Line1, c.Line2, c.Options);
  if (c.Marked1 == "-") {
    EXPECT_FALSE(d.Similar) << d.Likeness;
    EXPECT_TRUE(d.Changed1.empty() && d.Changed2.empty());
    return;
  }
  EXPECT_TRUE(d.Similar) << d.Likeness;
  EXPECT_EQ(Marked(c.Line1, d.Changed1), c.Marked1);
  EXPECT_EQ(Marked(c.Line2, d.Changed2), c.Marked2);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ChangedSpans,
    testing::Values(
        TCase{"EnumeratedValue", "MessageBox(\"Error\", ls_msg, Exclamation!)", "MessageBox(\"Error\", ls_msg, StopSign!)",
              kExact, "MessageBox(\"Error\", ls_msg, [Exclamation!])", "MessageBox(\"Error\", ls_msg, [StopSign!])"},
        TCase{"NumberInAComment", " * Copyright (c) 2004-2005, All rights reserved.",
              " * Copyright (c) 2004-2017, All rights reserved.", kExact,
              " * Copyright (c) 2004-[2005], All rights reserved.", " * Copyright (c) 2004-[2017], All rights reserved."},
        TCase{"CharactersOfAStringLiteral", "ls_msg = \"Please select a row first\"",
              "ls_msg = \"Please choose a row first\"", kExact, "ls_msg = \"Please [select] a row first\"",
              "ls_msg = \"Please [choose] a row first\""},
        TCase{"DoubleByteCharactersInAString", "ls = \"\xD3\xC3\xBB\xA7\xC3\xFB\xB3\xC6\"",
              "ls = \"\xBF\xCD\xBB\xA7\xC3\xFB\xB3\xC6\"", kExact, "ls = \"[\xD3\xC3]\xBB\xA7\xC3\xFB\xB3\xC6\"",
              "ls = \"[\xBF\xCD]\xBB\xA7\xC3\xFB\xB3\xC6\""},
        TCase{"ArgumentList", "li_rc = of_SetItem(ll_row, \"name\", ls_value, TRUE)",
              "li_rc = of_SetItem(ll_row, \"name\", ls_new_value, FALSE)", kExact,
              "li_rc = of_SetItem(ll_row, \"name\", [ls_value, TRUE])",
              "li_rc = of_SetItem(ll_row, \"name\", [ls_new_value, FALSE])"},
        TCase{"DataWindowAttributes",
              "column(band=detail id=1 alignment=\"0\" x=\"9\" y=\"4\" height=\"64\" width=\"347\" name=emp_id)",
              "column(band=detail id=1 alignment=\"0\" x=\"12\" y=\"4\" height=\"64\" width=\"400\" name=emp_id)",
              kExact, "column(band=detail id=1 alignment=\"0\" x=\"[9]\" y=\"4\" height=\"64\" width=\"[347]\" name=emp_id)",
              "column(band=detail id=1 alignment=\"0\" x=\"[12]\" y=\"4\" height=\"64\" width=\"[400]\" name=emp_id)"},
        TCase{"RewrittenLine", "ll_count = dw_1.RowCount()", "IF IsValid(inv_base) THEN RETURN 1", kExact, "-", "-"},
        TCase{"IndentationCountsForNothing", "\t\t\t\t\t\tx = a", "\t\t\t\t\t\ty = b + c", kExact, "-", "-"},
        // A line past the bound costs no tokens: changed whole, however alike.
        TCase{"HugeLineIsChangedWhole", "x = " + std::string(compare::kMaxInlineBytes, 'a') + " 1",
              "x = " + std::string(compare::kMaxInlineBytes, 'a') + " 2", kExact, "-", "-"},
        TCase{"ChangedIndentation", "\tli_x = 1", "    li_x = 1", kExact, "[\t]li_x = 1", "[    ]li_x = 1"},
        TCase{"CaseIgnored", "If li_x = 1 Then", "IF li_x = 2 THEN", kCase, "If li_x = [1] Then", "IF li_x = [2] THEN"},
        TCase{"CaseCounts", "If li_x = 1 Then", "IF li_x = 1 THEN", kExact, "[If] li_x = 1 [Then]", "[IF] li_x = 1 [THEN]"},
        TCase{"BlanksIgnored", "x=a+b*c", "x = a + b * d", kBlanks, "x=a+b*[c]", "x = a + b * [d]"},
        TCase{"ChangesAcrossIgnoredBlanks", "ls_a = of_get(ab, cd, ef, gh)", "ls_a = of_get(ab, xy  zw, ef, gh)",
              kBlanks, "ls_a = of_get(ab, [cd], ef, gh)", "ls_a = of_get(ab, [xy  zw], ef, gh)"},
        TCase{"CommentsIgnored", "li_max = 10 // was 5", "li_max = 20 // now 10", kComments, "li_max = [10] // was 5",
              "li_max = [20] // now 10"},
        TCase{"CommentsCompared", "li_max = 10 // was 5", "li_max = 10 // now 8", kExact, "li_max = 10 // [was 5]",
              "li_max = 10 // [now 8]"}),
    [](const testing::TestParamInfo<TCase>& info) { return std::string(info.param.Name); });

TEST(CodePointSpans, CountCharactersAsTheDecoderDoes) {
  // ASCII, double-byte, a four-byte character outside the BMP (U+1F600), bytes that are no
  // character, and a four-byte shape past the last code, which decodes to four code points.
  const std::string line = "a\xD6\xD0" "b\x95\x32\x82\x36" "c\x80\xFF" "d" "\xFE\x39\xFE\x39" "e";
  std::vector<TSpan> bytes;
  for (std::int32_t end : {0, 1, 3, 4, 8, 9, 10, 11, 12, 16, 17}) bytes.push_back({0, end});
  std::vector<TSpan> points = compare::CodePointSpans(line, bytes);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::u16string text = platform::CodePageToUtf16(line.substr(0, static_cast<std::size_t>(bytes[i].End)));
    std::int32_t n = 0;
    for (std::size_t k = 0; k < text.size(); ++k, ++n)
      if (text[k] >= 0xD800 && text[k] < 0xDC00) ++k;
    EXPECT_EQ(points[i].End, n) << "bytes 0.." << bytes[i].End;
  }
}

}  // namespace
