// The merge by section on realistic merges made from the real exports of ../shared/testdata: both
// sides add a function; one side re-orders the functions and the other edits one; a control added
// on each side of a window; a control moved on one side and edited on the other; DataWindows
// re-saved by a newer release on one side and edited on the other.
#include <gtest/gtest.h>

#include <functional>

#include "LibWriter.h"
#include "merge/MergeFiles.h"
#include "pbparse/Sections.h"
#include "platform/FileSys.h"

namespace fs = std::filesystem;

namespace {

fs::path Pfc(const std::string& lib, const std::string& name) {
  const fs::path data = testsupport::TestDataDir();
  return data.empty() ? fs::path() : data / "pfc/PB2021/Source/ws_objects" / lib / (lib + ".pbl.src") / name;
}

#define SKIP_WITHOUT(path) \
  if (path.empty() || !fs::exists(path)) GTEST_SKIP() << "../shared/testdata is not there"

std::string Insert(std::string text, const std::string& before, const std::string& what, bool last = false) {
  const std::size_t at = last ? text.rfind(before) : text.find(before);
  EXPECT_NE(at, std::string::npos) << before;
  return at == std::string::npos ? text : text.insert(at, what);
}

std::string AddFunction(const std::string& text, const std::string& name, const std::string& owner) {
  std::string t = Insert(text, "end prototypes\n", "public function integer " + name + " (string as_x)\n");
  return Insert(t, "on " + owner + ".create\n",
                "public function integer " + name + " (string as_x);return len(as_x)\nend function\n\n");
}

std::string AddControl(const std::string& text, const std::string& name, int number) {
  const std::string owner = "pfc_w_about";
  std::string t = Insert(text, "end forward\n", "type " + name + " from u_cb within " + owner + "\nend type\n");
  t = Insert(t, "end type\nglobal " + owner, name + " " + name + "\n");
  t = Insert(t, "iCurrent=UpperBound(this.Control)\n", "this." + name + "=create " + name + "\n");
  t = Insert(t, "end on\n\non " + owner + ".destroy",
             "this.Control[iCurrent+" + std::to_string(number) + "]=this." + name + "\n");
  t = Insert(t, "end on\n", "destroy(this." + name + ")\n", true);
  return t + "\ntype " + name + " from u_cb within " + owner + "\ninteger x = 10\ninteger y = 700\nend type\n";
}

merge::TFileMerge Merge(const std::string& name, const std::string& ours, const std::string& base,
                        const std::string& theirs, bool bySection = true) {
  return merge::MergeFiles({name, ours}, {name, base}, {name, theirs}, {}, bySection);
}

TEST(SectionMergeReal, BothSidesAddAFunction) {
  const fs::path file = Pfc("pfcapsrv", "pfc_n_cst_numerical.sru");
  SKIP_WITHOUT(file);
  const std::string base = platform::ReadFileBytes(file);
  const std::string owner = "pfc_n_cst_numerical";
  const std::string ours = AddFunction(base, "of_ours", owner), theirs = AddFunction(base, "of_theirs", owner);
  const merge::TFileMerge r = Merge(file.string(), ours, base, theirs);
  EXPECT_TRUE(r.Structured) << r.Notice;
  EXPECT_EQ(r.Conflicts, 0);
  EXPECT_EQ(r.Bytes, AddFunction(ours, "of_theirs", owner));
  EXPECT_GT(Merge(file.string(), ours, base, theirs, false).Conflicts, 0);  // what a line merge cannot do
}

// The function sections of a text in reverse order, the rest in place.
std::string ReverseFunctions(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t s = 0, nl; s < text.size(); s = nl + 1) lines.push_back(text.substr(s, (nl = text.find('\n', s)) - s));
  const pbparse::TStructure st = pbparse::ParseStructure(lines, "x.sru");
  std::vector<std::pair<std::size_t, std::size_t>> spans, functions;
  for (std::size_t i = 0; i < st.Sections.size(); ++i) {
    const std::size_t end = i + 1 < st.Sections.size() ? static_cast<std::size_t>(st.Sections[i + 1].First) : lines.size();
    spans.emplace_back(static_cast<std::size_t>(st.Sections[i].First), end);
    if (st.Sections[i].Kind == pbparse::TSectionKind::Function) functions.push_back(spans.back());
  }
  std::string out;
  std::size_t f = functions.size();
  for (std::size_t i = 0; i < spans.size(); ++i) {
    auto span = st.Sections[i].Kind == pbparse::TSectionKind::Function ? functions[--f] : spans[i];
    for (std::size_t k = span.first; k < span.second; ++k) out += lines[k] + "\n";
  }
  return out;
}

TEST(SectionMergeReal, ReorderedOnOneSideEditedOnTheOther) {
  const fs::path file = Pfc("pfcapsrv", "pfc_n_cst_numerical.sru");
  SKIP_WITHOUT(file);
  const std::string base = platform::ReadFileBytes(file);
  const std::string ours = ReverseFunctions(base);
  ASSERT_NE(ours, base);
  // An edit in the body of one of two overloads: a function is known by its parameter types.
  auto edit = [](std::string text) {
    const std::size_t header = text.find("public function string of_binary (long al_decimal);");
    EXPECT_NE(header, std::string::npos);
    return header == std::string::npos ? text : text.insert(text.find('\n', header) + 1, "// checked after the merge\n");
  };
  const std::string theirs = edit(base);
  for (bool swapped : {false, true}) {
    SCOPED_TRACE(swapped ? "sides swapped" : "re-ordered in current");
    const merge::TFileMerge r = swapped ? Merge(file.string(), theirs, base, ours) : Merge(file.string(), ours, base, theirs);
    EXPECT_TRUE(r.Structured) << r.Notice;
    EXPECT_EQ(r.Conflicts, 0);
    EXPECT_EQ(r.Bytes, swapped ? theirs : edit(ours));  // the order is current's
  }
}

TEST(SectionMergeReal, AControlAddedOnEachSideOfAWindow) {
  const fs::path file = Pfc("pfcapsrv", "pfc_w_about.srw");
  SKIP_WITHOUT(file);
  const std::string base = platform::ReadFileBytes(file);
  const std::string ours = AddControl(base, "cb_ours", 6), theirs = AddControl(base, "cb_theirs", 6);
  const merge::TFileMerge r = Merge(file.string(), ours, base, theirs);
  EXPECT_TRUE(r.Structured) << r.Notice;
  EXPECT_EQ(r.Conflicts, 0);
  EXPECT_EQ(r.Bytes, AddControl(ours, "cb_theirs", 7));
  EXPECT_GT(Merge(file.string(), ours, base, theirs, false).Conflicts, 0);
}

TEST(SectionMergeReal, AControlMovedOnOneSideAndEditedOnTheOther) {
  const fs::path file = Pfc("pfcapsrv", "pfc_w_about.srw");
  SKIP_WITHOUT(file);
  const std::string base = platform::ReadFileBytes(file);
  auto replace = [](std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
  };
  const std::string moved = "integer x = 1300\ninteger y = 640\n", edited = "integer taborder = 30\nstring text = \"Close\"\n";
  const std::string ours = replace(base, "integer x = 1280\ninteger y = 612\n", moved);
  const std::string theirs = replace(base, "integer taborder = 20\nstring text = \"OK\"\n", edited);
  const merge::TFileMerge r = Merge(file.string(), ours, base, theirs);
  EXPECT_EQ(r.Conflicts, 0);
  EXPECT_EQ(r.Bytes, replace(ours, "integer taborder = 20\nstring text = \"OK\"\n", edited));
  EXPECT_GT(Merge(file.string(), ours, base, theirs, false).Conflicts, 0);
}

// Each DataWindow of dwmigrate: current re-saved by the newer release, other with the x of its
// first text object moved; the result is the migrated text with that x moved.
TEST(SectionMergeReal, DataWindowMigratedOnOneSideEditedOnTheOther) {
  const fs::path data = testsupport::TestDataDir();
  if (data.empty() || !fs::exists(data / "dwmigrate")) GTEST_SKIP() << "../shared/testdata/dwmigrate is not there";
  int merged = 0;
  for (const auto& e : fs::directory_iterator(data / "dwmigrate/release19")) {
    SCOPED_TRACE(e.path().filename().string());
    const std::string base = platform::ReadFileBytes(e.path());
    const std::string migrated = platform::ReadFileBytes(data / "dwmigrate/release22" / e.path().filename());
    // The first text object whose line is the same up to its x in both releases' texts.
    const std::size_t line = base.find("\ntext(");
    if (line == std::string::npos) continue;
    const std::string object = base.substr(line + 1, base.find('\n', line + 1) - line - 1);
    const std::size_t x = object.find(" x=\"");
    const std::size_t nameAt = object.find(" name=");
    if (x == std::string::npos || nameAt == std::string::npos) continue;
    const std::string name = object.substr(nameAt, object.find(' ', nameAt + 1) - nameAt + 1);
    const std::string xValue = object.substr(x, object.find('"', x + 4) - x + 1);
    auto move = [&](std::string text) {
      const std::size_t at = text.find(name);
      const std::size_t start = text.rfind('\n', at) + 1;
      const std::size_t xAt = text.find(xValue, start);
      if (at == std::string::npos || xAt == std::string::npos || xAt > text.find('\n', start)) return std::string();
      return text.replace(xAt, xValue.size(), " x=\"4321\"");
    };
    const std::string theirs = move(base), expected = move(migrated);
    if (theirs.empty() || expected.empty()) continue;  // the migration moved that object too
    const merge::TFileMerge r = Merge(e.path().string(), migrated, base, theirs);
    EXPECT_TRUE(r.Structured) << r.Notice;
    EXPECT_EQ(r.Conflicts, 0);
    EXPECT_EQ(r.Bytes, expected);
    // The other way round: the edited object is written from the migrated line, the release raised.
    const merge::TFileMerge back = Merge(e.path().string(), theirs, base, migrated);
    EXPECT_EQ(back.Conflicts, 0);
    const std::size_t edited = expected.find(" x=\"4321\"");
    const std::size_t from = expected.rfind('\n', edited) + 1;
    EXPECT_NE(back.Bytes.find(expected.substr(from, expected.find('\n', edited) - from)), std::string::npos);
    const std::size_t release = migrated.find("\nrelease ");
    EXPECT_NE(back.Bytes.find(migrated.substr(release, migrated.find('\n', release + 1) - release)), std::string::npos);
    // Where the migration rewrote the edited object's line, a line merge cannot do it.
    if (migrated.find(object) == std::string::npos) {
      EXPECT_GT(Merge(e.path().string(), migrated, base, theirs, false).Conflicts, 0);
    }
    ++merged;
  }
  EXPECT_GE(merged, 6);
}

}  // namespace
