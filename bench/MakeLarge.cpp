// Writes the large inputs that scripts/large.sh feeds to quorvex-cli:
//   one/big.pbl  an 8-bit library of 50,000 source entries, about 100 MB
//   two/big.pbl  the same library with 1 entry in 100 changed, 1 in 1,000 left out and 50 added
//   u16/big.pbl  two/big.pbl in the 16-bit variant
//   one.pbt, two.pbt  targets naming one/big.pbl and two/big.pbl
//   text1.txt, text2.txt  1,000,000 lines each; text 2 has 1,000 scattered edits
// Usage: quorvex_make_large DIR
#include <chrono>
#include <fstream>
#include <iostream>
#include <random>

#include "LibWriter.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TFakeEntry;
using testsupport::TLibWriter;

constexpr int kEntries = 50000;
constexpr int kPerNode = 20;

void Save(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + p.string());
}

// A source text of about 2,000 bytes that looks like PowerScript; `version` changes one line.
std::string SourceText(int id, int version) {
  std::string text = "global type w_obj" + std::to_string(id) + " from window\r\nend type\r\n";
  int line = 0;
  while (text.size() < 2000) {
    text += "\tinteger li_" + std::to_string(line) + " = " + std::to_string(line == 7 ? id + version : id) +
            " // 计数器\r\n";
    ++line;
  }
  return text;
}

std::string Library(bool changed, bool unicode = false) {
  std::vector<TFakeEntry> all;
  for (int id = 0; id < kEntries; ++id) {
    if (changed && id % 1000 == 999) continue;
    const bool edit = changed && id % 100 == 50;
    all.push_back({"w_obj" + std::to_string(id) + ".srw", SourceText(id, edit ? 1 : 0), edit ? 2000000 + id : 1000000 + id, 0});
  }
  for (int id = 0; changed && id < 50; ++id)
    all.push_back({"n_new" + std::to_string(id) + ".sru", SourceText(id, 3), 3000000 + id, 0});
  TLibWriter w(unicode);
  const int nodes = static_cast<int>((all.size() + kPerNode - 1) / kPerNode);
  for (int n = 0; n < nodes; ++n) {
    std::vector<TFakeEntry> entries;
    for (std::size_t i = static_cast<std::size_t>(n) * kPerNode; i < all.size() && entries.size() < kPerNode; ++i)
      entries.push_back(std::move(all[i]));
    w.AddNode(std::move(entries));
  }
  for (int n = 0; n < nodes; ++n)
    w.SetChildren(n, 2 * n + 1 < nodes ? 2 * n + 1 : -1, 2 * n + 2 < nodes ? 2 * n + 2 : -1);
  return w.Build();
}

// 1,000,000 lines of about 40 bytes; the edited one has 1,000 changes: lines replaced, inserted
// and removed at random places.
void WriteTexts(const fs::path& dir) {
  constexpr int kLines = 1000000;
  std::vector<std::string> lines;
  lines.reserve(kLines);
  for (int i = 0; i < kLines; ++i)
    lines.push_back("\tls_value[" + std::to_string(i % 977) + "] = string(" + std::to_string(i) + ")");
  auto join = [](const std::vector<std::string>& ls) {
    std::string s;
    for (const auto& l : ls) s += l + "\r\n";
    return s;
  };
  Save(dir / "text1.txt", join(lines));
  std::mt19937 rng(8);
  for (int e = 0; e < 1000; ++e) {
    std::size_t at = std::uniform_int_distribution<std::size_t>(0, lines.size() - 1)(rng);
    switch (e % 3) {
      case 0: lines[at] += " // changed"; break;
      case 1: lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), "\t// inserted " + std::to_string(e)); break;
      default: lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at)); break;
    }
  }
  Save(dir / "text2.txt", join(lines));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: quorvex_make_large DIR\n";
    return 2;
  }
  const fs::path dir = argv[1];
  Save(dir / "one" / "big.pbl", Library(false));
  Save(dir / "two" / "big.pbl", Library(true));
  // A day newer, so that the library comparison looks inside even where the sizes agree.
  fs::last_write_time(dir / "two" / "big.pbl", fs::last_write_time(dir / "one" / "big.pbl") + std::chrono::hours(24));
  // The changed library in the 16-bit variant: every entry's size differs from side one's, so
  // every pair is compared by its source.
  Save(dir / "u16" / "big.pbl", Library(true, true));
  Save(dir / "one.pbt", "Save Format v3.0(19990112)\r\nliblist \"one\\\\big.pbl\";\r\n");
  Save(dir / "two.pbt", "Save Format v3.0(19990112)\r\nliblist \"two\\\\big.pbl\";\r\n");
  WriteTexts(dir);
  return 0;
}
