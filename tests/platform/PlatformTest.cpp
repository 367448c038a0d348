#include <gtest/gtest.h>

#include <fstream>

#include "LibWriter.h"
#include "platform/CodePage.h"
#include "platform/Collation.h"
#include "platform/DateTime.h"
#include "platform/FileSys.h"
#include "platform/TextFile.h"

using namespace platform;

namespace {

// 登陆 in GB18030 (the same bytes as in GBK).
const std::string kDengLuGbk = "\xB5\xC7\xC2\xBD";

TEST(CodePage, ChineseRoundTripsThroughUtf16AndUtf8) {
  std::u16string u = u"登陆窗口";
  std::string cp = Utf16ToCodePage(u);
  EXPECT_EQ(cp.substr(0, 4), kDengLuGbk);
  EXPECT_EQ(cp.size(), 8u);
  EXPECT_EQ(CodePageToUtf16(cp), u);
  EXPECT_EQ(CodePageToUtf8(cp), "登陆窗口");
  EXPECT_EQ(Utf8ToCodePage("登陆窗口"), cp);
}

TEST(CodePage, CharactersOutsideGbkSurviveAsFourByteSequences) {
  // U+1F600 needs a surrogate pair in UTF-16 and four bytes in GB18030.
  std::u16string u = u"a\U0001F600b";
  std::string cp = Utf16ToCodePage(u);
  ASSERT_EQ(cp.size(), 6u);
  EXPECT_EQ(CharLength(std::string_view(cp).substr(1)), 4u);
  EXPECT_EQ(CodePageToUtf16(cp), u);
}

TEST(CodePage, BrokenInputIsReplacedNotDropped) {
  std::u16string lone = u"a";
  lone += static_cast<char16_t>(0xD800);
  lone += u"b";
  EXPECT_EQ(Utf16ToCodePage(lone), "a?b");
  EXPECT_EQ(CodePageToUtf16("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(Utf8ToCodePage("a\xC3"), "a?");
}

TEST(CodePage, OddByteOfUtf16IsIgnored) {
  EXPECT_EQ(Utf16LEBytesToCodePage("a\0b\0c", 5), "ab");
}

TEST(CodePage, CharLengthWalksGb18030Sequences) {
  EXPECT_EQ(CharLength("A"), 1u);
  EXPECT_EQ(CharLength(kDengLuGbk), 2u);
  EXPECT_EQ(CharLength("\x81\x30\x81\x30"), 4u);
  EXPECT_EQ(CharLength("\x81"), 1u);      // cut short
  EXPECT_EQ(CharLength("\x81\x30\x41"), 1u);  // malformed four-byte form
  EXPECT_EQ(CharLength(""), 0u);
}

TEST(Collation, IgnoresLetterCaseAndOrdersText) {
  EXPECT_EQ(CompareTextNoCase("ww_Main", "WW_MAIN"), 0);
  EXPECT_LT(CompareTextNoCase("da", "db"), 0);
  EXPECT_GT(CompareTextNoCase("b", "A"), 0);
  EXPECT_LT(CompareTextNoCase("a", "ab"), 0);
  EXPECT_NE(CompareTextNoCase(kDengLuGbk, "\xB4\xB0\xBF\xDA"), 0);  // 登陆 and 窗口
  EXPECT_EQ(CompareUnicodeNoCase(u"PFCMAIN.PBL", u"pfcmain.pbl"), 0);
}

TEST(Collation, FileNamesMatchWithoutCase) {
  EXPECT_TRUE(SameNameNoCase("PFCMAIN.PBL", "pfcmain.pbl"));
  EXPECT_FALSE(SameNameNoCase("pfcmain.pbl", "pfcmain.pbd"));
  EXPECT_EQ(AsciiUpper("liblist \xB5\xC7"), "LIBLIST \xB5\xC7");
}

TEST(DateTime, FormatsEveryFieldWithLeadingZeros) {
  EXPECT_EQ(FormatDateTime(MakeDateTime(2003, 9, 6, 4, 5, 9)), "2003-09-06 04:05:09");
  EXPECT_EQ(FormatDateTime(MakeDateTime(2000, 2, 29, 23, 59, 59)), "2000-02-29 23:59:59");
  EXPECT_EQ(FormatDateTime({0}), "1970-01-01 00:00:00");
  EXPECT_EQ(FormatDateTime({-1}), "1969-12-31 23:59:59");
  EXPECT_EQ(FormatDateTime(MakeDateTime(1899, 12, 30, 0, 0, 0)), "1899-12-30 00:00:00");
}

TEST(DateTime, LocalTimeFollowsTheZone) {
  setenv("TZ", "CST-8", 1);  // POSIX form: needs no zone database
  tzset();
  EXPECT_EQ(FormatDateTime(LocalFromUnixTime(0)), "1970-01-01 08:00:00");
  setenv("TZ", "UTC0", 1);
  tzset();
  EXPECT_EQ(FormatDateTime(LocalFromUnixTime(86400 + 61)), "1970-01-02 00:01:01");
  unsetenv("TZ");
  tzset();
}

struct SplitCase {
  const char* Name;
  std::string Text;
  std::vector<std::string> Lines;
};

class SplitLinesTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesTest, CutsAtEveryKindOfBreak) {
  std::vector<std::string> lines;
  SplitLines(GetParam().Text, lines, true);
  EXPECT_EQ(lines, GetParam().Lines);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SplitLinesTest,
    testing::Values(SplitCase{"empty", "", {}}, SplitCase{"no_break", "abc", {"abc"}},
                    SplitCase{"crlf_at_end", "a\r\nb\r\n", {"a", "b"}},
                    SplitCase{"lone_cr_twice", "a\r\rb", {"a", "", "b"}},
                    SplitCase{"lone_lf", "a\nb", {"a", "b"}},
                    SplitCase{"lf_cr_is_two_breaks", "a\n\rb", {"a", "", "b"}},
                    SplitCase{"only_break", "\r\n", {""}},
                    SplitCase{"nul_ends_text", std::string("ab\0cd\r\nx", 8), {"ab"}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(TextFile, ByteOrderMarksAreRecognised) {
  TTextEncoding enc;
  EXPECT_EQ(DecodeText("\xEF\xBB\xBF\xE7\x99\xBB", &enc), "\xB5\xC7");
  EXPECT_EQ(enc, TTextEncoding::Utf8Bom);
  EXPECT_EQ(DecodeText(std::string("\xFF\xFE" "a\0", 4), &enc), "a");
  EXPECT_EQ(enc, TTextEncoding::Utf16LE);
  EXPECT_EQ(DecodeText(std::string("\xFE\xFF\0a", 4), &enc), "a");
  EXPECT_EQ(enc, TTextEncoding::Utf16BE);
  EXPECT_EQ(DecodeText("\xB5\xC7", &enc), "\xB5\xC7");
  EXPECT_EQ(enc, TTextEncoding::CodePage);
  // Unmarked UTF-8 is recognised only when it holds something beyond ASCII.
  EXPECT_EQ(DecodeText("a\xE7\x99\xBB", &enc), "a\xB5\xC7");
  EXPECT_EQ(enc, TTextEncoding::Utf8);
  EXPECT_EQ(DecodeText("plain", &enc), "plain");
  EXPECT_EQ(enc, TTextEncoding::CodePage);
}

TEST(TextFile, Utf8ValidityIsStrict) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("\xE7\x99\xBB\xF0\x9F\x98\x80\xC2\xA9"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE7\x99"));          // cut short
  EXPECT_FALSE(IsValidUtf8("\xB5\xC7\xC2\xBC"));  // code-page Chinese
}

TEST(TextFile, SaveAndLoadRoundTripInEveryEncoding) {
  testsupport::TTempDir dir;
  std::vector<std::string> lines{"first", kDengLuGbk, "", "last"};
  for (TTextEncoding enc : {TTextEncoding::CodePage, TTextEncoding::Utf8Bom, TTextEncoding::Utf8,
                            TTextEncoding::Utf16LE, TTextEncoding::Utf16BE}) {
    fs::path p = dir.Path() / "t.txt";
    SaveTextLines(p, lines, enc);
    TTextEncoding found;
    EXPECT_EQ(LoadTextLines(p, &found), lines);
    EXPECT_EQ(found, enc);
  }
  EXPECT_EQ(ReadFileBytes(dir.Path() / "t.txt").substr(0, 2), "\xFE\xFF");
}

TEST(FileSys, MissingPartsAreFoundWithoutCase) {
  testsupport::TTempDir dir;
  dir.Write("Sub/PfcMain.pbl", "x");
  auto found = FindPathNoCase(dir.Path() / "SUB" / "PFCMAIN.PBL");
  ASSERT_TRUE(found);
  EXPECT_EQ(*found, dir.Path() / "Sub" / "PfcMain.pbl");
  EXPECT_FALSE(FindPathNoCase(dir.Path() / "sub" / "other.pbl"));
  EXPECT_FALSE(FindPathNoCase(""));
}

TEST(FileSys, FileInformation) {
  testsupport::TTempDir dir;
  dir.Write("a.pbl", "12345");
  auto info = FindFirst(dir.Path() / "A.PBL");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->Path.filename(), "a.pbl");
  EXPECT_EQ(info->Size, 5);
  EXPECT_FALSE(info->IsDir);
  auto folder = FindFirst(dir.Path());
  ASSERT_TRUE(folder);
  EXPECT_TRUE(folder->IsDir);
}

TEST(FileSys, StreamReadsAreBoundedByTheFile) {
  testsupport::TTempDir dir;
  TFileStream s(dir.Write("f", "abcdef"));
  char buf[8] = {};
  EXPECT_EQ(s.Size(), 6);
  EXPECT_EQ(s.ReadAt(4, buf, 8), 2u);
  EXPECT_EQ(std::string(buf, 2), "ef");
  EXPECT_EQ(s.ReadAt(6, buf, 8), 0u);
  EXPECT_EQ(s.ReadAt(-1, buf, 8), 0u);
  EXPECT_THROW(TFileStream(dir.Path() / "missing"), TFileError);
  EXPECT_THROW(TFileStream(dir.Path()), TFileError);
  // A device never ends; reading it as a library or a text file must be refused, not hang.
  EXPECT_THROW(TFileStream("/dev/zero"), TFileError);
  EXPECT_THROW(ReadFileBytes("/dev/zero"), TFileError);
}

}  // namespace
