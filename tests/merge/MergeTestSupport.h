// Helpers of the merge tests: reading a case folder, and the halves of conflicts swapped.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "merge/MergeFiles.h"
#include "platform/FileSys.h"

namespace mergetest {

namespace fs = std::filesystem;

// A case folder's files: base.*, ours.*, theirs.* and expected.<style>.
struct TCase {
  std::string Name;
  merge::TMergeFile Base, Ours, Theirs;
  std::vector<std::pair<std::string, fs::path>> Expected;  // style ("merge", "diff3", "zdiff3", "section")
};

inline std::vector<TCase> Cases() {
  std::vector<fs::path> dirs;
  for (const auto& e : fs::directory_iterator(QUORVEX_MERGE_CASES))
    if (e.is_directory()) dirs.push_back(e.path());
  std::sort(dirs.begin(), dirs.end());
  std::vector<TCase> cases;
  for (const fs::path& dir : dirs) {
    TCase c;
    c.Name = dir.filename().string();
    for (const auto& e : fs::directory_iterator(dir)) {
      const std::string stem = e.path().stem().string(), ext = e.path().extension().string();
      merge::TMergeFile file{e.path().string(), platform::ReadFileBytes(e.path())};
      if (stem == "base") c.Base = file;
      else if (stem == "ours") c.Ours = file;
      else if (stem == "theirs") c.Theirs = file;
      else if (stem == "expected") c.Expected.emplace_back(ext.substr(1), e.path());
    }
    std::sort(c.Expected.begin(), c.Expected.end());
    cases.push_back(std::move(c));
  }
  return cases;
}

inline merge::TMergeOptions Labelled(merge::TStyle style) {
  merge::TMergeOptions o;
  o.Style = style;
  o.OursLabel = "ours";
  o.BaseLabel = "base";
  o.TheirsLabel = "theirs";
  return o;
}

// The text with the two halves of every conflict (and their labels) swapped: what merging the
// sides the other way round gives.
inline std::string SwapHalves(const std::string& text, int size = 7) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string::npos) nl = text.size() - 1;
    lines.push_back(text.substr(start, nl + 1 - start));
    start = nl + 1;
  }
  // Markers of the merge carry the labels ours, base and theirs (a text may hold others).
  auto is = [&](const std::string& l, char c) {
    if (l.size() < static_cast<std::size_t>(size) || l.find_first_not_of(c) != static_cast<std::size_t>(size)) return false;
    const std::string rest = l.substr(static_cast<std::size_t>(size));
    return c == '=' ? rest == "\n" || rest == "\r\n" : rest.rfind(" ours", 0) == 0 || rest.rfind(" base", 0) == 0 || rest.rfind(" theirs", 0) == 0;
  };
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!is(lines[i], '<')) {
      out += lines[i];
      continue;
    }
    std::size_t j = i + 1, mid = 0, bar = 0;
    while (j < lines.size() && !is(lines[j], '>')) {
      if (is(lines[j], '|')) bar = j;
      if (is(lines[j], '=')) mid = j;
      ++j;
    }
    const std::size_t oursEnd = bar ? bar : mid;
    std::string ours, theirs, base;
    for (std::size_t k = i + 1; k < oursEnd; ++k) ours += lines[k];
    for (std::size_t k = bar ? bar : mid; bar && k < mid; ++k) base += lines[k];
    for (std::size_t k = mid + 1; k < j; ++k) theirs += lines[k];
    const std::string label1 = lines[i].substr(static_cast<std::size_t>(size)), label2 = lines[j].substr(static_cast<std::size_t>(size));
    out += std::string(static_cast<std::size_t>(size), '<') + label2 + theirs + base + lines[mid] + ours +
           std::string(static_cast<std::size_t>(size), '>') + label1;
    i = j;
  }
  return out;
}

}  // namespace mergetest
