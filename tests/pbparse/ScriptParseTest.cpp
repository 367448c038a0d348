// The section parser of script objects: keys of every kind of section, the old `on` syntax,
// script on the header line, fallbacks with their reasons, and byte-exact round trips over every
// real export.
#include <gtest/gtest.h>

#include "RealExports.h"
#include "pbl/PbFuncs.h"
#include "pbparse/ScriptParse.h"
#include "pbparse/Sections.h"

using pbl::ExportEntry;
using pbl::ReadLibDirectory;
using pbl::TDirList;
using pbl::TLibStream;

using pbparse::ParseStructure;
using pbparse::TStructure;
using pbparse::TTextType;
using pbtest::Split;

namespace {

std::string Keys(const TStructure& s) {
  std::string out;
  for (const auto& sec : s.Sections) out += (out.empty() ? "" : "|") + sec.Key;
  return out;
}

std::string Kinds(const TStructure& s) {
  std::string out;
  for (const auto& sec : s.Sections) out += (out.empty() ? "" : " ") + std::string(pbparse::KindName(sec.Kind));
  return out;
}

const char* const kWindow =
    "$PBExportHeader$w_main.srw\n$PBExportComments$Main window\nforward\nglobal type w_main from window\nend type\n"
    "type cb_ok from commandbutton within w_main\nend type\nend forward\n\n"
    "global type w_main from window\ninteger width = 1200\nevent ue_close ( )\ncb_ok cb_ok\nend type\n"
    "global w_main w_main\n\ntype variables\nstring is_name\nend variables\n\n"
    "forward prototypes\npublic function integer of_set (string as_value)\n"
    "public function integer of_set (string as_value, long al_count)\npublic subroutine of_reset ()\nend prototypes\n\n"
    "public function integer of_set (string as_value);return 1\nend function\n\n"
    "public function integer of_set (string as_value, long al_count);return 2\nend function\n\n"
    "public subroutine of_reset ();\nend subroutine\n\n"
    "event open;call super::open;of_reset()\nend event\n\nevent ue_close ( );close(this)\nend event\n\n"
    "on w_main.create\nthis.cb_ok=create cb_ok\nend on\n\non w_main.destroy\ndestroy(this.cb_ok)\nend on\n\n"
    "type cb_ok from commandbutton within w_main\ninteger x = 10\nend type\n\n"
    "event clicked;parent.event ue_close()\nend event\n";

struct TCase {
  const char* Name;
  std::string Text;
  const char* Keys;
};

class Sections : public testing::TestWithParam<TCase> {};

TEST_P(Sections, KeysInTextOrder) {
  const TCase& c = GetParam();
  TStructure s = ParseStructure(Split(c.Text));
  ASSERT_EQ(s.Type, TTextType::Script) << s.Reason;
  EXPECT_EQ(Keys(s), c.Keys);
}

INSTANTIATE_TEST_SUITE_P(
    Script, Sections,
    testing::Values(
        TCase{"window_with_control_overloads_and_events", kWindow,
              "export header|forward|type w_main|global w_main|type variables|forward prototypes|"
              "function of_set(string)|function of_set(string,long)|function of_reset()|event w_main::open|"
              "event w_main::ue_close|create w_main|destroy w_main|type cb_ok|event cb_ok::clicked"},
        TCase{"old_on_syntax_and_a_comment_of_two_lines",
              "$PBExportHeader$w_old.srw\n$PBExportComments$Shown\non start, with event handling\nforward\nglobal type w_old from Window\nend type\nend forward\n\n"
              "global type w_old from Window\nend type\nglobal w_old w_old\n\non open;cb_1.text = \"x\"\nend on\n\n"
              "on w_old.create\nthis.cb_1=create cb_1\nend on\n\ntype cb_1 from commandbutton within w_old\nend type\n\n"
              "on clicked;close(parent)\nend on\n\non cb_1.getfocus;beep(1)\nend on\n",
              "export header|forward|type w_old|global w_old|event w_old::open|create w_old|type cb_1|"
              "event cb_1::clicked|event cb_1::getfocus"},
        TCase{"names_with_special_characters_and_written_owner",
              "global type n_x from nonvisualobject\nend type\n"
              "public function long of_count$-#% (long al_x[], ref string as_a, readonly integer ai_b[1 to 3]);return 0\n"
              "end function\nevent ue_do-it#1;\nend event\nevent type long n_x::ue_ask (string as_q);return 1\nend event\n",
              "type n_x|function of_count$-#%(long[],ref string,readonly integer[1 to 3])|event n_x::ue_do-it#1|"
              "event n_x::ue_ask"},
        TCase{"external_prototypes_shared_and_global_variables",
              "global type n_api from nonvisualobject\nend type\n\ntype prototypes\nPrivate:\n"
              "Function ulong GetTickCount () Library \"kernel32.dll\"\nend prototypes\n\nshared variables\n"
              "long sl_n\nend variables\nglobal variables\nstring gs_x\nend variables\n",
              "type n_api|type prototypes|shared variables|global variables"},
        TCase{"structures_and_binary_data",
              "$PBExportHeader$w_bin.srw\nforward\nglobal type w_bin from window\nend type\nend forward\n\n"
              "type s_pt from structure\n\tlong x\nend type\n\nglobal type w_bin from window\nend type\n"
              "global w_bin w_bin\n\nStart of PowerBuilder Binary Data Section : Do NOT Edit\n0Bw_bin.bin \n"
              "2B00000c00e011cfd0e11ab1a1000000000000000000\n1Bw_bin.bin \n"
              "End of PowerBuilder Binary Data Section : No Source Expected After This Point\n",
              "export header|forward|type s_pt|type w_bin|global w_bin|binary"},
        TCase{"controls_of_one_name_on_two_tab_pages",
              "global type w_t from window\nend type\ntype tabpage_1 from userobject within tab_1\nend type\n"
              "on tabpage_1.create\nend on\ntype cb_1 from commandbutton within tabpage_1\nend type\n"
              "event clicked;\nend event\ntype cb_1 from commandbutton within tabpage_2\nend type\n"
              "event clicked;\nend event\non cb_1.getfocus;\nend on\n",
              "type w_t|type tabpage_1|create tabpage_1|type tabpage_1.cb_1|event tabpage_1.cb_1::clicked|"
              "type tabpage_2.cb_1|event tabpage_2.cb_1::clicked|event tabpage_2.cb_1::getfocus"},
        TCase{"menu_items_and_repeated_keys",
              "global type m_main from menu\nend type\ntype m_file from menu within m_main\nend type\n"
              "on m_file.create\nend on\nevent clicked;\nend event\non m_new.create\nend on\n"
              "type variables\nend variables\ntype variables\nend variables\n",
              "type m_main|type m_file|create m_file|event m_file::clicked|create m_new|type variables|"
              "type variables #2"},
        TCase{"end_words_inside_comments_end_nothing",
              "global type n_c from nonvisualobject\nend type\n"
              "public function long of_a ();/* old code:\nend function\n\npublic function long of_b ()\n*/ return 1\n"
              "end function\nevent ue_x;/* outer /* nested\n*/\nend event\n*/\nend event\n"
              "public function long of_c ();// end function\nstring ls = \"/*\"\nend function\n",
              "type n_c|function of_a()|event n_c::ue_x|function of_c()"}),
    [](const testing::TestParamInfo<TCase>& info) { return std::string(info.param.Name); });

TEST(Sections, ScriptOnTheHeaderLineIsSplitFromTheSignature) {
  TStructure s = ParseStructure(Split(kWindow));
  ASSERT_EQ(s.Type, TTextType::Script) << s.Reason;
  std::map<std::string, std::uint32_t> columns;
  for (const auto& sec : s.Sections) columns[sec.Key] = sec.ScriptColumn;
  EXPECT_EQ(columns["event w_main::open"], std::string("event open;").size());
  EXPECT_EQ(columns["function of_set(string)"], std::string("public function integer of_set (string as_value);").size());
  EXPECT_EQ(columns["function of_reset()"], 0u);  // nothing after the ';'
  EXPECT_EQ(columns["create w_main"], 0u);
  EXPECT_EQ(Kinds(ParseStructure(Split("global type x from y\nend type\nglobal x x\non x.destroy\nend on\n"))),
            "type variables destroy");
}

TEST(Sections, WhatIsNotUnderstoodFallsBackWithTheReason) {
  struct {
    const char* Text;
    const char* Reason;
  } cases[] = {
      {"global type w from window\nend type\nthis is not PowerBuilder\n", "line 3: \"this is not PowerBuilder\" starts no section"},
      {"global type w from window\nend type\npublic function long of_x ();\nreturn 1\n",
       "line 3: \"public function long of_x ();\" has no \"end function\""},
      {"$PBExportHeader$n_x.sru\n$PBExportComments$words\nand more words\n", "no PowerBuilder section after the export header"},
      {"$PBExportHeader$p_app.srj\nEXE:app.exe,,0,1\nPBD:lib.pbl,,1\n",
       "a project object (.srj) is a list of settings, compared line by line"},
      {"event clicked;\nend on\n", "line 1: \"event clicked;\" has no \"end event\""},
  };
  for (const auto& c : cases) {
    TStructure s = ParseStructure(Split(c.Text));
    EXPECT_EQ(s.Type, TTextType::Plain) << c.Text;
    EXPECT_EQ(s.Reason, c.Reason);
    EXPECT_TRUE(s.Sections.empty());
  }
}

TEST(Sections, FunctionKeysKeepTypesAndBoundsNotNames) {
  EXPECT_EQ(pbparse::FunctionKey("public function integer of_x (ref string as_a[], long al_n);return 1"),
            "function of_x(ref string[],long)");
  EXPECT_EQ(pbparse::FunctionKey("global function string f_x ()"), "function f_x()");
  EXPECT_EQ(pbparse::FunctionKey("private subroutine of_y (decimal{2} adc_v, any aa_x[])"), "function of_y(decimal{2},any[])");
  EXPECT_EQ(pbparse::FunctionKey("public function long of_z (long al_a) throws exception;"), "function of_z(long)");
}

// Every real export is understood, its sections follow each other, and joined they give the
// text back byte for byte.
TEST(RealExports, EveryScriptAndDataWindowParsesAndRoundTrips) {
  SKIP_WITHOUT_PFC();
  int scripts = 0, dataWindows = 0;
  for (const auto& file : pbtest::AllExports()) {
    std::vector<std::string> lines = LoadSourceLines(file);
    TStructure s = ParseStructure(lines, file.filename().string());
    ASSERT_NE(s.Type, TTextType::Plain) << file << ": " << s.Reason;
    (s.Type == TTextType::Script ? scripts : dataWindows)++;
    std::string joined = pbparse::JoinLines(lines), back;
    std::int32_t line = 0;
    for (std::size_t i = 0; i < s.Sections.size(); ++i) {
      back += pbparse::SectionText(s, joined, i);
      ASSERT_GE(s.Sections[i].First, line) << file << " " << s.Sections[i].Key;
      line = s.Sections[i].First;
    }
    ASSERT_EQ(back, joined) << file;
    if (s.Type == TTextType::Script) {
      EXPECT_EQ(s.Sections.back().Last + 1, static_cast<std::int32_t>(lines.size())) << file;
    }
  }
  EXPECT_GT(scripts, 200);
  EXPECT_GT(dataWindows, 20);
}

// The objects of the real libraries of PowerBuilder 9 and 10 (releases of 1997 to 2006, in both
// library variants), exported as the object check exports them: all but the project understood.
TEST(RealExports, EveryObjectOfTheRealLibrariesParses) {
  const pbtest::fs::path dir = testsupport::TestDataDir();
  if (dir.empty()) GTEST_SKIP() << "../shared/testdata is not there";
  int parsed = 0;
  for (const char* name : {"pfcmsg-pb9-8bit.pbl", "pfcmsg-pb10-16bit.pbl", "pbexamfn-pb10-16bit.pbl"}) {
    TLibStream stream(dir / name);
    TDirList list;
    ReadLibDirectory(stream, list);
    for (const auto& item : list) {
      std::vector<std::string> lines;
      ExportEntry(stream, *item.Rec, lines);
      TStructure s = ParseStructure(lines);
      if (pbtest::fs::path(item.Rec->Name).extension() == ".srj") {
        EXPECT_EQ(s.Reason, "a project object (.srj) is a list of settings, compared line by line");
        continue;
      }
      EXPECT_NE(s.Type, TTextType::Plain) << name << " " << item.Rec->Name << ": " << s.Reason;
      ++parsed;
    }
  }
  EXPECT_GT(parsed, 40);
}

TEST(RealExports, KeysOfAWindowAMenuAndAnObjectWithExternalFunctions) {
  SKIP_WITHOUT_PFC();
  auto keys = [](const pbtest::fs::path& file) { return Keys(ParseStructure(pbtest::Load(file))); };
  std::string find = keys(pbtest::Pb2021("pfcapsrv", "pfc_w_find.srw"));
  for (const char* k : {"|type pfc_w_find|", "|event pfc_w_find::pfc_default|", "|create pfc_w_find|",
                        "|type cb_findnext|", "|event cb_findnext::clicked|", "|type ddlb_searchdirection|"})
    EXPECT_NE(find.find(k), std::string::npos) << k << " in " << find;
  std::string menu = keys(pbtest::Pb2021("pfewnsrv", "m_master.srm"));
  EXPECT_EQ(menu.substr(0, menu.find("|create m_open")),
            "export header|forward|type m_master|global m_master|create m_master|destroy m_master|create m_new");
  std::string unicode = keys(pbtest::Pb2021("pfcapsrv", "pfc_n_cst_platformunicode.sru"));
  for (const char* k : {"|type os_memorystatus|", "|type os_size|", "|type prototypes|", "|type variables|"})
    EXPECT_NE(unicode.find(k), std::string::npos) << k;
}

}  // namespace
