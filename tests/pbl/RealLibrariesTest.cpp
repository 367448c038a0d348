// The real libraries of ../shared/testdata: written by PowerBuilder itself, so they catch
// misreadings that hand-made fixtures cannot.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "LibWriter.h"
#include "pbl/PbFuncs.h"
#include "platform/CodePage.h"

using pbl::EntryKey;
using pbl::ExportEntry;
using pbl::PbTimeToDateTime;
using pbl::ReadLibDirectory;
using pbl::TDirList;
using pbl::TLibStream;
using pbl::TReadReport;

namespace {

struct Library {
  std::unique_ptr<TLibStream> Stream;
  TDirList List;
  TReadReport Report;
};

Library Open(const char* name) {
  Library lib;
  lib.Stream = std::make_unique<TLibStream>(testsupport::TestDataDir() / name);
  ReadLibDirectory(*lib.Stream, lib.List, &lib.Report);
  return lib;
}

std::map<std::string, std::vector<std::string>> ExportAll(const Library& lib) {
  std::map<std::string, std::vector<std::string>> texts;
  for (const auto& item : lib.List) {
    TReadReport report;
    ExportEntry(*lib.Stream, *item.Rec, texts[item.Rec->Name], &report);
    EXPECT_TRUE(report.Clean()) << item.Rec->Name << ": " << report.Describe();
  }
  return texts;
}

class RealLibraries : public testing::Test {
 protected:
  void SetUp() override {
    if (testsupport::TestDataDir().empty()) GTEST_SKIP() << "../shared/testdata is not there";
  }
};

TEST_F(RealLibraries, EveryVariantListsItsSourceEntries) {
  struct Expect {
    const char* File;
    std::size_t Entries;
    bool Unicode;
  };
  for (Expect e : {Expect{"pfcmsg-pb9-8bit.pbl", 13, false}, Expect{"pfcmsg-pb10-16bit.pbl", 13, true},
                   Expect{"pbexamfn-pb10-16bit.pbl", 19, true}}) {
    Library lib = Open(e.File);
    EXPECT_TRUE(lib.Report.Clean()) << e.File << ": " << lib.Report.Describe();
    ASSERT_EQ(lib.List.size(), e.Entries) << e.File;
    for (const auto& item : lib.List) {
      EXPECT_EQ(item.Rec->IsUnicode, e.Unicode);
      EXPECT_EQ(item.Key, EntryKey(item.Rec->Name));
      EXPECT_GT(item.Rec->Size, 0);
    }
  }
}

TEST_F(RealLibraries, MigratedLibraryHoldsTheSameObjects) {
  Library ansi = Open("pfcmsg-pb9-8bit.pbl"), unicode = Open("pfcmsg-pb10-16bit.pbl");
  std::set<std::string> a, u;
  for (const auto& item : ansi.List) a.insert(item.Key);
  for (const auto& item : unicode.List) u.insert(item.Key);
  EXPECT_EQ(a, u);
  EXPECT_TRUE(a.count("ww_msgs_login"));

  // Objects that the migration left alone export to the same lines from both variants.
  auto ta = ExportAll(ansi), tu = ExportAll(unicode);
  for (const char* same : {"s_copystruct.srs", "proj_pfcmsg.srj", "w_splash.srw", "m_msgs_sheet.srm"}) {
    EXPECT_EQ(ta[same], tu[same]) << same;
    EXPECT_GT(ta[same].size(), 10u) << same;
  }
}

TEST_F(RealLibraries, ExportsStartWithHeaderAndStoredComment) {
  for (const char* file : {"pfcmsg-pb9-8bit.pbl", "pfcmsg-pb10-16bit.pbl", "pbexamfn-pb10-16bit.pbl"}) {
    Library lib = Open(file);
    auto texts = ExportAll(lib);
    for (const auto& item : lib.List) {
      const auto& lines = texts[item.Rec->Name];
      ASSERT_GE(lines.size(), 2u);
      EXPECT_EQ(lines[0], "$PBExportHeader$" + item.Rec->Name);
      bool hasComment = lines[1].rfind("$PBExportComments$", 0) == 0;
      EXPECT_EQ(hasComment, item.Rec->CommentLen > 0) << item.Rec->Name;
      // These comments are single lines of ASCII: the stored length is the line's length.
      if (hasComment) {
        EXPECT_EQ(lines[1].size() - 18, item.Rec->CommentLen) << file << " " << item.Rec->Name;
      }
    }
  }
}

TEST_F(RealLibraries, EightBitTextIsReadInTheCodePageSet) {
  // The PowerBuilder 9 library was written in code page 1252: its "©" is the byte 0xA9.
  for (int page : {1252, 936}) {
    testsupport::TCodePageScope scope(page);
    auto texts = ExportAll(Open("pfcmsg-pb9-8bit.pbl"));
    const auto& lines = texts["pfcmsg.sra"];
    auto copyright = std::find_if(lines.begin(), lines.end(),
                                  [](const std::string& l) { return l.find("Copyright ") != std::string::npos; });
    ASSERT_NE(copyright, lines.end());
    const std::string sign = page == 1252 ? platform::Utf8ToCodePage("©") : "\xA9";
    EXPECT_NE(copyright->find("Copyright " + sign + " 1996"), std::string::npos) << page << ": " << *copyright;
  }
}

TEST_F(RealLibraries, KnownEntryReadsExactly) {
  Library lib = Open("pbexamfn-pb10-16bit.pbl");
  auto texts = ExportAll(lib);
  const auto& lines = texts["f_remove_char.srf"];
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[1], "$PBExportComments$Removes all occurences of a specified character from a string");
  EXPECT_EQ(lines[2], "global type f_remove_char from function_object");
  EXPECT_EQ(lines[3], "end type");
  EXPECT_EQ(platform::FormatDateTime(PbTimeToDateTime(lib.List[6].Rec->Time)), "2007-08-15 12:00:59");
}

}  // namespace
