// The real exports of ../shared/testdata/pfc, for the tests of the parsers and comparisons.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "LibWriter.h"
#include "compare/Rows.h"
#include "compare/SideText.h"

namespace pbtest {

namespace fs = std::filesystem;

// The pfc folder, or empty when the test data is not there.
inline fs::path Pfc() {
  fs::path dir = testsupport::TestDataDir();
  return dir.empty() || !fs::is_directory(dir / "pfc") ? fs::path() : dir / "pfc";
}

// Every exported object (.sr?) under pfc, sorted.
inline std::vector<fs::path> AllExports() {
  std::vector<fs::path> files;
  if (Pfc().empty()) return files;
  for (const auto& e : fs::recursive_directory_iterator(Pfc())) {
    std::string ext = e.path().extension().string();
    if (e.is_regular_file() && ext.size() == 4 && ext.compare(0, 3, ".sr") == 0) files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// A file's lines as quorvex-cli diff reads them: HEXASCII exports (the PowerBuilder 2017 ones)
// decoded to the text they stand for.
inline std::vector<std::string> Load(const fs::path& file) {
  const compare::TSideText text = compare::LoadSideText(file);
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(text.Count()));
  for (std::int32_t i = 0; i < text.Count(); ++i) lines.emplace_back(text.Line(i));
  return lines;
}

inline fs::path Pb2017(const std::string& lib, const std::string& name) { return Pfc() / "PB2017/Source" / lib / name; }
inline fs::path Pb2021(const std::string& lib, const std::string& name) {
  return Pfc() / "PB2021/Source/ws_objects" / lib / (lib + ".pbl.src") / name;
}

// Splits "a\nb\n" into lines.
inline std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string::npos) nl = text.size();
    lines.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  return lines;
}

}  // namespace pbtest

#define SKIP_WITHOUT_PFC()                                                        \
  if (pbtest::Pfc().empty()) GTEST_SKIP() << "../shared/testdata/pfc is not there"
