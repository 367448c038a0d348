// Exported objects' files: every encoding and line-end style gives the lines a library's export
// gives, HEXASCII runs included; and the real files of two releases agree with their library.
#include <gtest/gtest.h>

#include <functional>

#include "LibWriter.h"
#include "compare/SideText.h"
#include "platform/CodePage.h"
#include "platform/FileSys.h"
#include "platform/TextFile.h"
#include "sides/ExportFile.h"
#include "sides/Library.h"

using pbl::TDirList;
using pbl::TLibStream;

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

std::string Cp(const std::string& utf8) { return platform::Utf8ToCodePage(utf8); }

std::string Utf16(const std::u16string& text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : text) {
    char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    bytes += bigEndian ? hi : lo;
    bytes += bigEndian ? lo : hi;
  }
  return bytes;
}

struct TDecodeCase {
  const char* Name;
  std::string Bytes;
  Lines Expected;  // UTF-8
  bool Utf8 = true;  // whether the bytes also read as UTF-8 lines (HoldsUtf8Text)
};

TEST(DecodeExportFile, EveryEncodingAndLineEndGivesTheSameLines) {
  const Lines text = {"$PBExportHeader$w_登陆.srw", "$PBExportComments$登陆窗口 ©", "", "end type"};
  const std::string lf = "$PBExportHeader$w_登陆.srw\n$PBExportComments$登陆窗口 ©\n\nend type";
  const std::vector<TDecodeCase> cases = {
      {"UTF-8 with a mark, LF, no final break", "\xEF\xBB\xBF" + lf, text},
      {"UTF-8 without a mark, CR LF", "$PBExportHeader$w_登陆.srw\r\n$PBExportComments$登陆窗口 ©\r\n\r\nend type\r\n", text},
      {"UTF-16 little-endian, CR", Utf16(u"$PBExportHeader$w_登陆.srw\r$PBExportComments$登陆窗口 ©\r\rend type\r", false), text, false},
      {"UTF-16 big-endian", Utf16(u"$PBExportHeader$w_登陆.srw\n$PBExportComments$登陆窗口 ©\n\nend type\n", true), text, false},
      {"code page (GBK)", Cp("$PBExportHeader$w_登陆.srw\r\n$PBExportComments$登陆窗口 ©\r\n\r\nend type\r\n"), text, false},
      {"private-use characters that GB18030 has no code for, in UTF-8 and in a run",
       "HA$PBExportHeader$x.sru\n\uE78D$$HEX2$$8de764e8$$ENDHEX$$\n", {"$PBExportHeader$x.sru", "\uE78D\uE78D\uE864"}},
      {"HEXASCII with unpaired surrogates, which become \"?\"", "HA$PBExportHeader$x.sru\n$$HEX2$$3dd84100$$ENDHEX$$$$HEX1$$00dc$$ENDHEX$$\n",
       {"$PBExportHeader$x.sru", "?A?"}},
      {"HEXASCII", "HA$PBExportHeader$w_$$HEX2$$7b764696$$ENDHEX$$.srw\r\n$PBExportComments$$$HEX4$$7b764696977ae353$$ENDHEX$$ $$HEX1$$a900$$ENDHEX$$\r\n\r\nend type\r\n",
       text},
      {"HEXASCII runs side by side, a character outside the BMP",
       "HA$PBExportHeader$x.sru\n$$HEX1$$a000$$ENDHEX$$$$HEX2$$3dd800de$$ENDHEX$$a$$HEX2$$b0002000$$ENDHEX$$b\n",
       {"$PBExportHeader$x.sru", "\u00A0\U0001F600a\u00B0 b"}},
      {"broken HEXASCII runs stay as written",
       "HA$PBExportHeader$x.sru\n$$HEX1$$a0$$ENDHEX$$ $$HEX1$$zz00$$ENDHEX$$ $$HEX$$a000$$ENDHEX$$ $$HEX1$$a000\n",
       {"$PBExportHeader$x.sru", "$$HEX1$$a0$$ENDHEX$$ $$HEX1$$zz00$$ENDHEX$$ $$HEX$$a000$$ENDHEX$$ $$HEX1$$a000"}},
      {"runs are decoded only in HEXASCII exports", "$PBExportHeader$x.sru\n$$HEX1$$a000$$ENDHEX$$\n",
       {"$PBExportHeader$x.sru", "$$HEX1$$a000$$ENDHEX$$"}},
      {"an empty file", "", {}},
  };
  for (const TDecodeCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Lines expected;
    for (const std::string& line : c.Expected) expected.push_back(Cp(line));
    EXPECT_EQ(sides::DecodeExportFile(c.Bytes), expected);
    // Read as UTF-8 lines, without the code page: the same lines in UTF-8.
    ASSERT_EQ(sides::HoldsUtf8Text(c.Bytes), c.Utf8);
    if (!c.Utf8) continue;
    Lines utf8;
    platform::SplitLines(sides::DecodeExportTextUtf8(std::string(c.Bytes)), utf8);
    EXPECT_EQ(utf8, c.Expected);
  }
}

// A HEXASCII export saved as it was read gives back its bytes, however the program that wrote it
// cut its runs; an edited line is written in runs of its own, the "HA" prefix kept.
TEST(HexAsciiSave, UneditedGivesTheBytesBackEditedLinesGetRuns) {
  testsupport::TTempDir dir;
  auto roundTrip = [&](const std::string& bytes, const std::function<void(Lines&)>& edit) {
    const fs::path in = dir.Write("in.srw", bytes), out = dir.Path() / "out.srw";
    const compare::TSideText text = compare::LoadSideText(in);
    EXPECT_TRUE(text.Format.HexAscii);
    Lines lines = text.ToVector();
    edit(lines);
    platform::SaveTextLines(out, lines, text.Format, text.HexLines.get());
    return platform::ReadFileBytes(out);
  };
  const auto unchanged = [](Lines&) {};
  for (const std::string& bytes :
       {std::string("HA$PBExportHeader$w_$$HEX2$$7b764696$$ENDHEX$$.srw\r\n$PBExportComments$x\r\n//CIE-H$$HEX2$$b0002000$$ENDHEX$$from\r\n"),
        std::string("HA$PBExportHeader$x.sru\n$$HEX1$$a0$$ENDHEX$$ broken $$HEX1$$a000\nno final break $$HEX1$$a000$$ENDHEX$$")})
    EXPECT_EQ(roundTrip(bytes, unchanged), bytes);
  const std::string edited = roundTrip("HA$PBExportHeader$x.sru\nls = \"a\"\n", [](Lines& lines) {
    lines[1] = Cp("ls = \"中文 ©\" // ok");
    lines.push_back(Cp("😀"));
  });
  EXPECT_EQ(edited, "HA$PBExportHeader$x.sru\nls = \"$$HEX2$$2d4e8765$$ENDHEX$$ $$HEX1$$a900$$ENDHEX$$\" // ok\n"
                    "$$HEX2$$3dd800de$$ENDHEX$$\n");

  const fs::path pfc = testsupport::TestDataDir() / "pfc";
  if (pfc.empty() || !fs::is_directory(pfc)) GTEST_SKIP() << "../shared/testdata/pfc is not there";
  int files = 0;
  for (const auto& e : fs::recursive_directory_iterator(pfc)) {
    if (!e.is_regular_file()) continue;
    const std::string bytes = platform::ReadFileBytes(e.path());
    if (!sides::IsHexAscii(bytes)) continue;
    ++files;
    EXPECT_EQ(roundTrip(bytes, unchanged), bytes) << e.path();
  }
  EXPECT_GT(files, 0);
}

TEST(ExportFileName, SourceExtensionsInAnyCaseOnly) {
  for (const char* name : {"w_main.srw", "D_LIST.SRD", "f.Srf", "a.srx"}) EXPECT_TRUE(sides::IsExportFileName(name)) << name;
  for (const char* name : {"w_main.sr", "app.pbl", ".srw", "a.srw.bak", "pfewnsrv.pbg", "readme"})
    EXPECT_FALSE(sides::IsExportFileName(name)) << name;
  EXPECT_EQ(sides::ExportComment({"$PBExportHeader$a.sru", "$PBExportComments$Utility"}), "Utility");
  EXPECT_EQ(sides::ExportComment({"$PBExportHeader$a.sru", "forward"}), "");
}

// The 2021 library and its source-control copy hold the same lines object by object; the 2017
// HEXASCII exports decode to the 2021 text wherever the object did not change.
TEST(RealExports, LibraryAndFilesOfTwoReleasesAgree) {
  const fs::path data = testsupport::TestDataDir();
  const fs::path root = data / "pfc";
  if (data.empty() || !fs::exists(root / "PB2021/Source/pfewnsrv/pfewnsrv.pbl")) GTEST_SKIP() << "no pfc test data";
  const fs::path files2021 = root / "PB2021/Source/ws_objects/pfewnsrv/pfewnsrv.pbl.src";
  sides::TPblLibrary library(std::make_unique<TLibStream>(root / "PB2021/Source/pfewnsrv/pfewnsrv.pbl"));
  TDirList entries;
  library.ReadDirectory(entries);
  ASSERT_EQ(entries.size(), 15u);
  for (const auto& item : entries) {
    const std::string name = platform::CodePageToUtf8(item.Rec->Name);
    Lines exported;
    library.Export(*item.Rec, exported);
    EXPECT_EQ(sides::DecodeExportFile(platform::ReadFileBytes(files2021 / name)), exported) << name;
    Lines hex = sides::DecodeExportFile(platform::ReadFileBytes(root / "PB2017/Source/pfewnsrv" / name));
    EXPECT_EQ(hex, exported) << name;
  }
  // A HEXASCII export with characters outside ASCII, unchanged between the releases.
  const fs::path colors2017 = root / "PB2017/Source/pfcapsrv/pfc_n_cst_colorconv.sru";
  const fs::path colors2021 = root / "PB2021/Source/ws_objects/pfcapsrv/pfcapsrv.pbl.src/pfc_n_cst_colorconv.sru";
  std::string raw = platform::ReadFileBytes(colors2017);
  ASSERT_NE(raw.find("$$HEX2$$b0002000$$ENDHEX$$"), std::string::npos);
  Lines decoded = sides::DecodeExportFile(raw);
  EXPECT_EQ(decoded, sides::DecodeExportFile(platform::ReadFileBytes(colors2021)));
  bool degree = false;
  for (const std::string& line : decoded) degree = degree || line.find(Cp("CIE-H° from 0 to 360°")) != std::string::npos;
  EXPECT_TRUE(degree);
}

}  // namespace
