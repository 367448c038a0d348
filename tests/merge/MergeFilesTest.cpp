// The merge of files in their encodings: every format round trips (mark, breaks, final break,
// code page, UTF-16, HEXASCII); unchanged lines keep their own bytes; texts in different
// encodings meet in current's; what current's encoding cannot hold, and binary files, are errors.
#include <gtest/gtest.h>

#include <optional>

#include "LibWriter.h"
#include "merge/MergeFiles.h"
#include "platform/CodePage.h"
#include "platform/FileSys.h"
#include "platform/TextFile.h"
#include "sides/ExportFile.h"

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
      // Each line with platform's encoder, "HA" before the export header.
      std::string hex = "HA";
      std::size_t start = 0;
      while (start < cp.size()) {
        const std::size_t end = std::min(cp.find_first_of("\r\n", start), cp.size());
        hex += *platform::EncodeHexAsciiLine(cp.substr(start, end - start));
        const std::size_t next = cp.compare(end, 2, "\r\n") == 0 ? end + 2 : std::min(end + 1, cp.size());
        hex += cp.substr(end, next - end);
        start = next;
      }
      return hex;
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

// A HEXASCII export of an older release merged with UTF-8 ones: its lines keep the runs as the
// IDE cut them ("$$HEX2$$b0002000$$ENDHEX$$" holds the blank after a degree sign), the line the
// other side added is written in runs of its own.
TEST(MergeFiles, HexAsciiCurrentKeepsItsLinesAsRead) {
  const std::filesystem::path file = testsupport::TestDataDir().empty()
                                         ? std::filesystem::path()
                                         : testsupport::TestDataDir() / "pfc/PB2017/Source/pfcapsrv/pfc_n_cst_colorconv.sru";
  if (file.empty() || !std::filesystem::exists(file)) GTEST_SKIP() << "../shared/testdata is not there";
  const std::string current = platform::ReadFileBytes(file);
  const std::string utf8 = "\xEF\xBB\xBF" + platform::CodePageToUtf8(sides::DecodeExportText(current));
  const std::string added = "// 90° 改\n";
  const std::size_t at = utf8.find("public function");
  const std::string other = utf8.substr(0, at) + added + utf8.substr(at);
  const merge::TFileMerge r = MergeFiles({"cur.sru", current}, {"base.sru", utf8}, {"oth.sru", other}, {}, false);
  const std::size_t hexAt = current.find("public function");
  EXPECT_EQ(r.Bytes, current.substr(0, hexAt) + "// 90$$HEX1$$b000$$ENDHEX$$ $$HEX1$$3965$$ENDHEX$$\n" + current.substr(hexAt));
  EXPECT_NE(r.Bytes.find("$$HEX2$$b0002000$$ENDHEX$$from 0 to 360"), std::string::npos);
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
