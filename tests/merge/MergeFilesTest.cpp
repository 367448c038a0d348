// The merge of files in their encodings: every format round trips (mark, breaks, final break,
// code page, UTF-16, HEXASCII); unchanged lines keep their own bytes; texts in different
// encodings meet in current's; what current's encoding cannot hold, and binary files, are errors.
#include <gtest/gtest.h>

#include <optional>

#include "LibWriter.h"
#include "merge/MergeFiles.h"
#include "platform/CodePage.h"

namespace {

using merge::MergeFiles;
using merge::TMergeFile;

enum class TForm { Utf8, Utf8Bom, Gbk, Utf16LE, Utf16BE, HexAscii };

// Code-page text in a form, with "\n" breaks made `brk`.
std::string Bytes(const std::string& utf8, TForm form, const std::string& brk = "\n") {
  std::string text;
  for (char c : utf8) text += c == '\n' ? brk : std::string(1, c);
  const std::string cp = platform::Utf8ToCodePage(text);
  switch (form) {
    case TForm::Utf8: return text;
    case TForm::Utf8Bom: return "\xEF\xBB\xBF" + text;
    case TForm::Gbk: return *platform::CodePageToAnsi(cp, 936);
    case TForm::Utf16LE: return "\xFF\xFE" + *platform::CodePageToUtf16LEStrict(cp);
    case TForm::Utf16BE: {
      std::string le = *platform::CodePageToUtf16LEStrict(cp);
      for (std::size_t i = 0; i + 1 < le.size(); i += 2) std::swap(le[i], le[i + 1]);
      return "\xFE\xFF" + le;
    }
    case TForm::HexAscii: {
      bool ok = false;
      return merge::EncodeHexAscii(cp, ok);
    }
  }
  return {};
}

TEST(MergeFiles, EveryFormatRoundTrips) {
  const std::string base = "$PBExportHeader$n_x.sru\n// 注释 é\nline 2\nline 3\nline 4\n";
  const std::string ours = "$PBExportHeader$n_x.sru\n// 注释 é\nline 2 ours 改\nline 3\nline 4\n";
  const std::string theirs = "$PBExportHeader$n_x.sru\n// 注释 é\nline 2\nline 3\nline 4 theirs ü\n";
  const std::string merged = "$PBExportHeader$n_x.sru\n// 注释 é\nline 2 ours 改\nline 3\nline 4 theirs ü\n";
  struct TRow {
    const char* Name;
    TForm Form;
    std::string Break;
    bool FinalBreak;
  };
  for (const TRow& row : {TRow{"UTF-8", TForm::Utf8, "\n", true}, TRow{"UTF-8 mark, no final break", TForm::Utf8Bom, "\n", false},
                          TRow{"GBK CR LF", TForm::Gbk, "\r\n", true}, TRow{"UTF-16LE CR LF", TForm::Utf16LE, "\r\n", true},
                          TRow{"UTF-16BE CR", TForm::Utf16BE, "\r", false}, TRow{"HEXASCII CR LF", TForm::HexAscii, "\r\n", true}}) {
    SCOPED_TRACE(row.Name);
    auto cut = [&](const std::string& t) { return row.FinalBreak ? t : t.substr(0, t.size() - 1); };
    const TMergeFile b{"b", Bytes(cut(base), row.Form, row.Break)}, o{"o", Bytes(cut(ours), row.Form, row.Break)},
        t{"t", Bytes(cut(theirs), row.Form, row.Break)};
    for (bool bySection : {false, true}) {
      const merge::TFileMerge r = MergeFiles(o, b, t, {}, bySection);
      EXPECT_EQ(r.Bytes, Bytes(cut(merged), row.Form, row.Break));
      EXPECT_EQ(r.Conflicts, 0);
    }
  }
}

TEST(MergeFiles, UnchangedLinesKeepTheirOwnBytes) {
  // A lone LF among CR LF breaks, trailing blanks, and a byte that is no UTF-8 in an 8-bit text.
  const TMergeFile b{"b", "a\r\nb \nc\xA1\r\nd\r\n"}, o{"o", "A\r\nb \nc\xA1\r\nd\r\n"}, t{"t", "a\r\nb \nc\xA1\r\nD\r\n"};
  EXPECT_EQ(MergeFiles(o, b, t, {}, false).Bytes, "A\r\nb \nc\xA1\r\nD\r\n");
}

TEST(MergeFiles, SidesInOtherEncodingsAreWrittenInCurrents) {
  const std::string base = "a\nb\nc\n", theirs = "a\nb\nc 改 ü\n";
  struct TRow {
    const char* Name;
    TForm Current, Other;
  };
  for (const TRow& row : {TRow{"UTF-16 current, UTF-8 other", TForm::Utf16LE, TForm::Utf8Bom},
                          TRow{"GBK current, UTF-8 other", TForm::Gbk, TForm::Utf8},
                          TRow{"HEXASCII current, UTF-8 other", TForm::HexAscii, TForm::Utf8Bom},
                          TRow{"UTF-8 current, HEXASCII other", TForm::Utf8Bom, TForm::HexAscii}}) {
    SCOPED_TRACE(row.Name);
    const std::string header = "$PBExportHeader$x.srw\n";
    const merge::TFileMerge r =
        MergeFiles({"o", Bytes(header + "A 中\nb\nc\n", row.Current)}, {"b", Bytes(header + base, row.Other)},
                   {"t", Bytes(header + theirs, row.Other)}, {}, false);
    EXPECT_EQ(r.Bytes, Bytes(header + "A 中\nb\nc 改 ü\n", row.Current));
  }
  // An ASCII current without a mark takes on the UTF-8 of the other side, not the code page.
  EXPECT_EQ(MergeFiles({"o", "A\nb\nc\n"}, {"b", base}, {"t", Bytes(theirs, TForm::Utf8Bom)}, {}, false).Bytes,
            "A\nb\nc 改 ü\n");
}

TEST(MergeFiles, BadInputIsAnErrorNamingTheFile) {
  testsupport::TCodePageScope latin(1252);
  struct TRow {
    const char* Name;
    TMergeFile Current, Base, Other;
    std::string Message;
  };
  const std::string ok = "a\nb\n";
  for (const TRow& row : {
           TRow{"binary", {"cur", ok}, {"base.bin", std::string("a\0b\n", 4)}, {"oth", ok}, "base.bin: a binary file"},
           TRow{"a character code page 1252 lacks",
                {"cur", "a\nb\xE9\n"},
                {"base", "a\nb\xE9\n"},
                {"oth", Bytes("a 改\nb\xC3\xA9\n", TForm::Utf8Bom)},
                "oth: the character \"改\" (U+6539) cannot be written in code page 1252, the encoding of cur"},
       }) {
    SCOPED_TRACE(row.Name);
    try {
      MergeFiles(row.Current, row.Base, row.Other, {}, false);
      ADD_FAILURE() << "no error";
    } catch (const merge::TMergeError& e) {
      EXPECT_EQ(std::string(e.what()).substr(0, row.Message.size()), row.Message);
    }
  }
}

}  // namespace
