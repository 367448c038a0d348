#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <tuple>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "LibWriter.h"
#include "platform/CodePage.h"
#include "platform/Collation.h"
#include "platform/DateTime.h"
#include "platform/FileSys.h"
#include "platform/Process.h"
#include "platform/TextFile.h"

namespace fs = std::filesystem;

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

// Converting in the text's own room gives what converting into a new string gives: where the
// text shrinks (Chinese), grows (the copyright sign, two bytes to four) anywhere or again and
// again past the room it was given, or is broken; after long ASCII runs too.
TEST(CodePage, ConversionInPlaceEqualsTheCopy) {
  std::string growing, longRuns;
  for (int i = 0; i < 300; ++i) growing += "\xC2\xA9 ";
  for (int i = 0; i < 20; ++i) longRuns += std::string(40 + i, 'x') + (i % 2 ? "登" : "\xC2\xA9");
  for (const std::string& utf8 : {std::string("plain ASCII only"), std::string("登陆窗口 and 中文"),
                                 std::string("\xC2\xA9 2003 at the start"), std::string("mid \xC2\xA9 then 登陆"),
                                 std::string("at the end \xC2\xA9"), std::string("a\xC3"), std::string("\xC3\xC3 x \xFF"),
                                 growing, longRuns}) {
    for (const std::size_t from : {std::size_t{0}, std::size_t{1}}) {
      std::string text = utf8;
      Utf8ToCodePageInPlace(text, from);
      EXPECT_EQ(text, Utf8ToCodePage(std::string_view(utf8).substr(from))) << utf8 << " from " << from;
    }
  }
}

// Every character of Unicode comes back from the code page as it went in, from UTF-8 and from
// UTF-16: nothing read is lost, and distinct UTF-8 lines stay distinct lines in the code page,
// which quorvex-cli diff relies on when it compares two UTF-8 texts without converting them. (The
// private-use characters that GB18030 has no code for are held in codes of the program's own.)
TEST(CodePage, EveryUnicodeCharacterMakesTheRoundTrip) {
  std::string all;
  for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    if (c < 0x800) {
      all += static_cast<char>(0xC0 | c >> 6);
    } else if (c < 0x10000) {
      all += static_cast<char>(0xE0 | c >> 12);
      all += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    } else {
      all += static_cast<char>(0xF0 | c >> 18);
      all += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      all += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    }
    all += static_cast<char>(0x80 | (c & 0x3F));
    all += '\n';
  }
  const std::string codePage = Utf8ToCodePage(all);
  EXPECT_EQ(codePage.find('?'), std::string::npos);
  EXPECT_TRUE(CodePageToUtf8(codePage) == all);
  const std::u16string wide = CodePageToUtf16(codePage);
  EXPECT_TRUE(Utf16ToCodePage(wide) == codePage);
  EXPECT_TRUE(CodePageToUtf8Strict(codePage) == all);
  // A file in GB18030 cannot hold the program's own codes: saving one there is refused.
  const std::string own = Utf8ToCodePage("a\uE78D");
  std::size_t bad = 99;
  EXPECT_FALSE(CodePageToAnsi(own, 936, &bad));
  EXPECT_EQ(bad, 1u);
  EXPECT_EQ(CodePageToUtf16(own), u"a\uE78D");
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

TEST(CodePage, SingleByteCodePagesKeepEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (int number : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
    std::string text = AnsiToCodePage(all, number);
    EXPECT_EQ(CodePageToAnsi(text, number), all) << number;
  }
  EXPECT_EQ(CodePageToUtf8(AnsiToCodePage("\xA9", 1252)), "©");
  EXPECT_EQ(CodePageToUtf8(AnsiToCodePage("\xC0\xE0", 1251)), "Аа");
  EXPECT_EQ(CodePageToUtf8(AnsiToCodePage("\xA1", 874)), "ก");
  // A letter and a combining accent stay two characters, as written.
  EXPECT_EQ(CodePageToUtf8(AnsiToCodePage("a\xEC", 1258)), "a\u0301");
  // 0x81 is no character of code page 1252: held as a private-use character.
  EXPECT_EQ(CodePageToUtf8(AnsiToCodePage("\x81", 1252)), "\U000F0081");
}

TEST(CodePage, MultiByteCodePagesConvertAndKeepStrayBytes) {
  const std::vector<std::tuple<int, std::string, std::string>> cases{
      {950, "\xA4\xA4\xA4\xE5", "中文"}, {932, "\x93\xFA\x96\x7B", "日本"}, {949, "\xC7\xD1\xB1\xB9", "한국"},
      {936, "\xD6\xD0\xCE\xC4", "中文"}};
  for (const auto& [number, bytes, utf8] : cases) {
    EXPECT_EQ(AnsiToCodePage(bytes, number), Utf8ToCodePage(utf8)) << number;
    // Stray bytes and a lead byte cut short at the end come back as they were.
    const std::string stray = bytes + "\x80x\xFF" + bytes.substr(0, 1);
    std::optional<std::string> back = CodePageToAnsi(AnsiToCodePage(stray, number), number);
    EXPECT_EQ(back, stray) << number;
  }
}

TEST(CodePage, CharactersACodePageCannotHoldAreFound) {
  std::size_t bad = 0;
  EXPECT_FALSE(CodePageToAnsi("ab" + Utf8ToCodePage("中"), 1252, &bad));
  EXPECT_EQ(bad, 2u);
  EXPECT_FALSE(CodePageToAnsi(Utf8ToCodePage("中한"), 950, &bad));
  EXPECT_EQ(bad, 2u);
  // 936 is GB18030 itself: it holds everything.
  EXPECT_EQ(CodePageToAnsi(Utf8ToCodePage("한\U0001F600"), 936), Utf8ToCodePage("한\U0001F600"));
  EXPECT_FALSE(CodePageToUtf8Strict("a\x80", &bad));
  EXPECT_EQ(bad, 1u);
}

TEST(CodePage, ControlCharactersAreShownAsVisibleSymbols) {
  EXPECT_EQ(ShowControls(std::string("w_\x1b[2J\t\n\0x\x7f登", 14)), "w_␛[2J␉␊␀x␡登");
  EXPECT_EQ(ShowControls("plain"), "plain");
}

TEST(CodePage, OnlySupportedCodePagesCanBeSet) {
  testsupport::TCodePageScope page(1252);
  EXPECT_EQ(AnsiToCodePage("\xA9"), Utf8ToCodePage("©"));
  EXPECT_THROW(SetAnsiCodePage(1234), std::invalid_argument);
  EXPECT_THROW(SetAnsiCodePage(65001), std::invalid_argument);
  EXPECT_EQ(AnsiCodePage(), 1252);
  EXPECT_EQ(AnsiCodePages().front().Number, 936);
}

TEST(Collation, IgnoresLetterCaseAndOrdersText) {
  EXPECT_EQ(CompareTextNoCase("ww_Main", "WW_MAIN"), 0);
  EXPECT_LT(CompareTextNoCase("da", "db"), 0);
  EXPECT_GT(CompareTextNoCase("b", "A"), 0);
  EXPECT_LT(CompareTextNoCase("a", "ab"), 0);
  EXPECT_NE(CompareTextNoCase(kDengLuGbk, "\xB4\xB0\xBF\xDA"), 0);  // 登陆 and 窗口
  EXPECT_EQ(CompareUnicodeNoCase(u"PFCMAIN.PBL", u"pfcmain.pbl"), 0);
}

TEST(Collation, OneRuleWithoutCaseButWithWidth) {
  // Run under the locale of the environment: ctest runs these tests under C and zh_CN.UTF-8.
  struct Case {
    const char* A;
    const char* B;
    bool Same;
  };
  for (const Case& c : {Case{"W_Main", "w_main", true}, Case{"Ｍ_ＭＡＩＮ", "ｍ_ｍａｉｎ", true},
                        Case{"ｍ_main", "m_main", false}, Case{"ｗｍ_a", "wm_a", false},
                        Case{"登陆", "登陆", true}, Case{"Éa", "éA", true}, Case{"ea", "éa", false}}) {
    const std::string a = Utf8ToCodePage(c.A), b = Utf8ToCodePage(c.B);
    EXPECT_EQ(CompareTextNoCase(a, b) == 0, c.Same) << c.A << " " << c.B;
    // Library names pair and count as duplicates by the same rule.
    EXPECT_EQ(CompareNamesNoCase(std::string(c.A) + ".pbl", std::string(c.B) + ".PBL") == 0, c.Same) << c.A;
    EXPECT_EQ(CompareTextNoCase(a, b), -CompareTextNoCase(b, a)) << c.A;
  }
  // The locale's order: letters without case, Chinese by pinyin under a Chinese locale.
  EXPECT_LT(CompareTextNoCase("a", "B"), 0);
  EXPECT_LT(CompareTextNoCase("B", "c"), 0);
  const char* lang = std::getenv("LC_ALL");
  if (lang && std::string(lang).rfind("zh_CN", 0) == 0) {
    EXPECT_LT(CompareNamesNoCase("阿", "波"), 0);
    EXPECT_LT(CompareNamesNoCase("波", "中"), 0);
  }
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

struct FormatCase {
  const char* Name;
  std::string Bytes;
  TTextFormat Format;
};

class TextFormatTest : public testing::TestWithParam<FormatCase> {};

// The format is told from the bytes, and saving the lines read in it gives the same bytes back.
TEST_P(TextFormatTest, IsDetectedAndSavedBackByteForByte) {
  testsupport::TCodePageScope page(1252);
  const FormatCase& c = GetParam();
  EXPECT_EQ(DetectTextFormat(c.Bytes), c.Format);
  testsupport::TTempDir dir;
  fs::path p = dir.Write("t.txt", c.Bytes);
  std::vector<std::string> lines = LoadTextLines(p);
  SaveTextLines(p, lines, c.Format);
  EXPECT_EQ(ReadFileBytes(p), c.Bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TextFormatTest,
    testing::Values(
        FormatCase{"crlf", "a\r\n\r\nb\r\n", {TTextEncoding::CodePage, TLineBreak::CrLf, true, 1252}},
        FormatCase{"lf_without_final_break", "a\nb", {TTextEncoding::CodePage, TLineBreak::Lf, false, 1252}},
        FormatCase{"lone_cr", "a\rb\r", {TTextEncoding::CodePage, TLineBreak::Cr, true, 1252}},
        FormatCase{"one_line", "a", {TTextEncoding::CodePage, TLineBreak::CrLf, false, 1252}},
        FormatCase{"empty", "", {TTextEncoding::CodePage, TLineBreak::CrLf, true, 1252}},
        // Code page 1252: "©", and 0x81, which is no character of it.
        FormatCase{"code_page_bytes", "\xA9 2003\x81\r\n", {TTextEncoding::CodePage, TLineBreak::CrLf, true, 1252}},
        FormatCase{"bom_lf_unterminated", "\xEF\xBB\xBFrelease 12;\n\xE7\x99\xBB", {TTextEncoding::Utf8Bom, TLineBreak::Lf, false, 0}},
        FormatCase{"utf8", "\xC2\xA9\n", {TTextEncoding::Utf8, TLineBreak::Lf, true, 0}},
        FormatCase{"utf16le", std::string("\xFF\xFE" "a\0\r\0\n\0b\0", 10), {TTextEncoding::Utf16LE, TLineBreak::CrLf, false, 0}},
        FormatCase{"utf16be", std::string("\xFE\xFF\0a\0\n", 6), {TTextEncoding::Utf16BE, TLineBreak::Lf, true, 0}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(TextFile, UnmarkedTextIsReadAsTheCallerSays) {
  testsupport::TCodePageScope page(1252);
  // 系统 in GBK is also valid UTF-8; "\xA9" is "©" in code page 1252.
  const std::string gbk = "\xCF\xB5\xCD\xB3";
  TTextEncoding enc;
  EXPECT_EQ(DecodeText(gbk, &enc, TUnmarked::Guess), Utf8ToCodePage("\u03F5\u0373"));
  EXPECT_EQ(enc, TTextEncoding::Utf8);
  EXPECT_EQ(DecodeText("\xA9", &enc, TUnmarked::CodePage), Utf8ToCodePage("©"));
  EXPECT_EQ(DecodeText(gbk, &enc, TUnmarked::Gb18030), gbk);
  EXPECT_EQ(enc, TTextEncoding::CodePage);
  EXPECT_EQ(DetectTextFormat(gbk, TUnmarked::Gb18030).CodePage, 936);
  // A byte-order mark decides whatever the caller says.
  EXPECT_EQ(DecodeText("\xEF\xBB\xBF\xC2\xA9", &enc, TUnmarked::Gb18030), Utf8ToCodePage("©"));
}

TEST(TextFile, WhatTheEncodingCannotHoldIsReportedBeforeAnythingIsWritten) {
  testsupport::TTempDir dir;
  fs::path p = dir.Write("t.txt", "old");
  const std::string zhong = Utf8ToCodePage("中");
  struct Case {
    TTextFormat Format;
    std::vector<std::string> Lines;
    std::vector<std::string> Told;
  };
  for (const Case& c : std::vector<Case>{
           {{TTextEncoding::CodePage, TLineBreak::Lf, true, 1252}, {"ok", "x" + zhong}, {"Line 2", "中", "U+4E2D", "1252"}},
           {{TTextEncoding::Utf8Bom}, {"a", "b", "\x80"}, {"Line 3", "0x80"}},
           {{TTextEncoding::Utf16LE}, {"\xFF"}, {"Line 1", "0xFF"}}}) {
    try {
      SaveTextLines(p, c.Lines, c.Format);
      ADD_FAILURE() << c.Told[0];
    } catch (const TFileError& e) {
      const std::string what = e.what();
      EXPECT_NE(what.find(p.string()), std::string::npos) << what;
      for (const std::string& part : c.Told) EXPECT_NE(what.find(part), std::string::npos) << what;
    }
    EXPECT_EQ(ReadFileBytes(p), "old");
  }
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

// What a failed save leaves behind: the old file whole, and nothing else in its folder.
void ExpectUntouched(const fs::path& folder, const fs::path& file, const std::string& old) {
  EXPECT_EQ(ReadFileBytes(file), old);
  std::size_t entries = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(folder)) ++entries;
  EXPECT_EQ(entries, 1u) << "a temporary file was left in " << folder;
}

TEST(FileSys, WritesReplaceWholeKeepingModeAndLinks) {
#ifdef _WIN32
  GTEST_SKIP() << "POSIX permissions and symbolic links: not on Windows (WinPlatformTest.cpp covers its writes)";
#else
  testsupport::TTempDir dir;
  fs::path file = dir.Write("a.srw", "old text\n");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("a.srw", dir.Path() / "link.srw");
  WriteFileBytes(dir.Path() / "link.srw", "new text\n");
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "link.srw"));
  EXPECT_EQ(ReadFileBytes(file), "new text\n");
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  std::size_t entries = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(entries, 2u);
#endif
}

TEST(FileSys, AFailedWriteLeavesTheOldFileWhole) {
#ifdef _WIN32
  GTEST_SKIP() << "mount, file-size limits and POSIX permissions: not on Windows (WinPlatformTest.cpp covers its writes)";
#else
  const std::string old = "old text\n", big(40000, 'x');
  // A full disk: a tiny file system where root may mount one, else a file-size limit, which fails
  // the write the same way part of the way through.
  fs::path mount = fs::temp_directory_path() / ("quorvex-full-" + std::to_string(::getpid()));
  fs::create_directories(mount);
  bool mounted = std::system(("mount -t tmpfs -o size=16k tmpfs " + mount.string() + " 2>/dev/null").c_str()) == 0;
  if (mounted) {
    fs::path file = mount / "a.srw";
    std::ofstream(file) << old;
    EXPECT_THROW(WriteFileBytes(file, big), TFileError);
    ExpectUntouched(mount, file, old);
    std::ignore = std::system(("umount " + mount.string()).c_str());
  }
  fs::remove(mount);

  testsupport::TTempDir dir;
  fs::path file = dir.Write("a.srw", old);
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ::setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_THROW(WriteFileBytes(file, big), TFileError);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  ExpectUntouched(dir.Path(), file, old);

  // A read-only file is refused as before, not replaced behind the user's back.
  fs::permissions(file, fs::perms::owner_read);
  if (::access(file.c_str(), W_OK) != 0) {
    EXPECT_THROW(WriteFileBytes(file, big), TFileError);
    ExpectUntouched(dir.Path(), file, old);
  }
#endif
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

// A program's error output is kept up to a bound and said to be cut beyond it, while its output
// is kept whole; a variable given kRemoveVariable is not passed on.
TEST(Process, ErrorOutputIsBoundedAndVariablesCanBeRemoved) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a POSIX shell and its tools";
#endif
  ::setenv("QUORVEX_TEST_VARIABLE", "inherited", 1);
  TProgramResult r = RunProgram(
      "sh", {"-c", "head -c 3000000 /dev/zero | tr '\\0' e >&2; head -c 200000 /dev/zero | tr '\\0' o; "
                   "echo \"${QUORVEX_TEST_VARIABLE-unset} ${QUORVEX_OTHER-unset}\""},
      {}, {{"QUORVEX_TEST_VARIABLE", kRemoveVariable}, {"QUORVEX_OTHER", ""}});
  ::unsetenv("QUORVEX_TEST_VARIABLE");
  EXPECT_EQ(r.Exit, 0);
  EXPECT_EQ(r.Out, std::string(200000, 'o') + "unset \n");
  EXPECT_EQ(r.Err, std::string(kErrorBytes, 'e') + "\n[" + std::to_string(3000000 - kErrorBytes) +
                       " more bytes of error output left out]\n");

  r = RunProgram("sh", {"-c", "printf short >&2"});
  EXPECT_EQ(r.Err, "short");
}

}  // namespace
