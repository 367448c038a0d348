// Properties every merge must have, over generated texts (line merge) and the real exports of
// ../shared/testdata (merge by section): a text merged with itself is itself; when one side is the
// base, the result is the other side; the merge of the sides the other way round is the same with
// each conflict's halves swapped.
#include <gtest/gtest.h>

#include <random>

#include "LibWriter.h"
#include "MergeTestSupport.h"
#include "merge/SectionMerge.h"
#include "platform/TextFile.h"
#include "sides/ExportFile.h"

namespace fs = std::filesystem;
using merge::TStyle;

namespace {

// A text of lines drawn from a few, so that lines repeat as braces and blank lines do.
std::string RandomText(std::mt19937& rng, int lines) {
  static const char* const kWords[] = {"a", "b", "c", "end if", "", "x = 1", "return", "d"};
  std::string text;
  for (int i = 0; i < lines; ++i) text += std::string(kWords[rng() % 8]) + "\n";
  return text;
}

std::string Edit(std::mt19937& rng, const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t s = 0, nl; s < text.size(); s = nl + 1) lines.push_back(text.substr(s, (nl = text.find('\n', s)) - s));
  const int edits = static_cast<int>(rng() % 4);
  for (int e = 0; e < edits; ++e) {
    const std::size_t at = lines.empty() ? 0 : rng() % (lines.size() + 1);
    switch (rng() % 3) {
      case 0: lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), "new " + std::to_string(rng() % 5)); break;
      case 1: if (at < lines.size()) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at)); break;
      default: if (at < lines.size()) lines[at] = "changed " + std::to_string(rng() % 5);
    }
  }
  std::string out;
  for (const auto& l : lines) out += l + "\n";
  return out;
}

TEST(MergeProperties, LineMergeOfGeneratedTexts) {
  std::mt19937 rng(25);
  for (int round = 0; round < 300; ++round) {
    const std::string base = RandomText(rng, static_cast<int>(rng() % 20));
    const std::string ours = Edit(rng, base), theirs = Edit(rng, base);
    for (TStyle style : {TStyle::Merge, TStyle::Diff3, TStyle::ZDiff3}) {
      SCOPED_TRACE("round " + std::to_string(round) + " style " + std::to_string(static_cast<int>(style)));
      const merge::TMergeOptions options = mergetest::Labelled(style);
      auto run = [&](const std::string& o, const std::string& b, const std::string& t, const merge::TMergeOptions& opt) {
        return merge::MergeFiles({"o", o}, {"b", b}, {"t", t}, opt, false);
      };
      for (const std::string& text : {base, ours}) {
        const merge::TFileMerge self = run(text, text, text, options);
        EXPECT_EQ(self.Bytes, text);
        EXPECT_EQ(self.Conflicts, 0);
      }
      EXPECT_EQ(run(ours, base, base, options).Bytes, ours);
      EXPECT_EQ(run(base, base, theirs, options).Bytes, theirs);
      EXPECT_EQ(run(ours, base, ours, options).Bytes, ours);
      merge::TMergeOptions swapped = options;
      std::swap(swapped.OursLabel, swapped.TheirsLabel);
      const merge::TFileMerge forward = run(ours, base, theirs, options), back = run(theirs, base, ours, swapped);
      EXPECT_EQ(back.Bytes, mergetest::SwapHalves(forward.Bytes));
      // A clean merge holds every line both sides added.
      if (forward.Conflicts == 0)
        for (const std::string& side : {ours, theirs})
          for (std::size_t s = 0, nl; s < side.size(); s = nl + 1) {
            const std::string line = side.substr(s, (nl = side.find('\n', s)) - s);
            if (line.rfind("new ", 0) == 0 && base.find(line) == std::string::npos) {
              EXPECT_NE(forward.Bytes.find(line), std::string::npos) << line;
            }
          }
    }
  }
}

TEST(MergeProperties, MergeBySectionOfRealExportsWithThemselves) {
  const fs::path data = testsupport::TestDataDir();
  if (data.empty()) GTEST_SKIP() << "../shared/testdata is not there";
  std::vector<fs::path> files;
  for (const auto& e : fs::recursive_directory_iterator(data))
    if (e.is_regular_file() && sides::IsExportFileName(e.path().filename().string())) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  ASSERT_GT(files.size(), 50u);
  int structured = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i].string());
    const merge::TMergeFile file{files[i].string(), platform::ReadFileBytes(files[i])};
    const merge::TFileMerge self = merge::MergeFiles(file, file, file, {}, true);
    EXPECT_EQ(self.Bytes, file.Bytes);
    EXPECT_EQ(self.Conflicts, 0);
    // The merge by section itself, which the file merge leaves out when a side is the base.
    const std::vector<std::string> lines = sides::DecodeExportFile(file.Bytes);
    const merge::TSectionMerge sections = merge::MergeBySection({lines, lines, lines}, file.Name, {});
    if (sections.Structured) {
      EXPECT_EQ(sections.Lines, lines);
      EXPECT_EQ(sections.Conflicts, 0);
      ++structured;
    }
    // One side the base: the other side, whatever it is (here the next file).
    const merge::TMergeFile other{file.Name, platform::ReadFileBytes(files[(i + 1) % files.size()])};
    if (platform::DetectTextFormat(other.Bytes) == platform::DetectTextFormat(file.Bytes) &&
        sides::IsHexAscii(other.Bytes) == sides::IsHexAscii(file.Bytes)) {
      EXPECT_EQ(merge::MergeFiles(file, file, other, {}, true).Bytes, other.Bytes);
      EXPECT_EQ(merge::MergeFiles(other, file, file, {}, true).Bytes, other.Bytes);
    }
  }
  EXPECT_GT(structured, static_cast<int>(files.size()) * 8 / 10);
}

}  // namespace
