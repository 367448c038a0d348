// Writes the text pairs of bench/diff-vs-gnu.sh, each as NAME.1 and NAME.2 in DIR, from the
// exported sources under TESTDATA (../shared/testdata):
//   releases          the exports of two releases of the same libraries, concatenated
//   edit-N-P          N lines of source text (the exports cycled), P per mille of lines edited,
//                     inserted or deleted at random places
//   frequent-N-P      the same with a quarter of the lines blank and a quarter "end if"
//   copy-N            N lines against a byte copy
//   shuffled-N        N lines against the same lines in random order
//   random-N          N random lines against N other random lines
//   reversed-N        N lines against their reverse
// Usage: quorvex_make_diff_inputs TESTDATA DIR [--quick]
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// The lines of a file without line ends and byte-order mark: the two releases differ in both.
void ReadLines(const fs::path& p, Lines& out) {
  std::ifstream in(p, std::ios::binary);
  std::string line;
  bool first = true;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    first = false;
    out.push_back(line);
  }
}

bool IsExport(const fs::path& p) {
  const std::string e = p.extension().string();
  return e.size() == 4 && e.rfind(".sr", 0) == 0;
}

// The exports below the folders, in order of their paths.
Lines Exports(const std::vector<fs::path>& roots) {
  std::vector<fs::path> files;
  for (const fs::path& root : roots)
    for (const auto& e : fs::recursive_directory_iterator(root))
      if (e.is_regular_file() && IsExport(e.path())) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  Lines lines;
  for (const fs::path& f : files) ReadLines(f, lines);
  return lines;
}

void Save(const fs::path& p, const Lines& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  std::ofstream out(p, std::ios::binary);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out) throw std::runtime_error("cannot write " + p.string());
}

void SavePair(const fs::path& dir, const std::string& name, const Lines& one, const Lines& two) {
  Save(dir / (name + ".1"), one);
  Save(dir / (name + ".2"), two);
  std::cout << name << '\n';
}

Lines Cycled(const Lines& source, std::size_t n) {
  Lines out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) out.push_back(source[i % source.size()]);
  return out;
}

// Edits `perMille` of the lines: replaced, inserted before or removed in equal parts, at random
// places (one pass, so that a million lines take no time).
Lines Edited(const Lines& lines, int perMille, std::mt19937& rng) {
  Lines out;
  out.reserve(lines.size() + lines.size() / 10);
  std::size_t e = 0;
  for (const std::string& line : lines) {
    if (static_cast<int>(rng() % 1000) >= perMille) {
      out.push_back(line);
      continue;
    }
    std::string fresh = "\tli_edit = " + std::to_string(rng()) + " // " + std::to_string(e);
    switch (e++ % 3) {
      case 0: out.push_back(std::move(fresh)); break;
      case 1: out.push_back(std::move(fresh)), out.push_back(line); break;
      default: break;
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: quorvex_make_diff_inputs TESTDATA DIR [--quick]\n";
    return 2;
  }
  const fs::path data = argv[1], dir = argv[2];
  const bool quick = argc > 3 && std::string(argv[3]) == "--quick";
  fs::create_directories(dir);
  std::mt19937 rng(2026);

  const fs::path pfc = data / "pfc";
  SavePair(dir, "releases",
           Exports({pfc / "PB2017" / "Source" / "pfcapsrv", pfc / "PB2017" / "Source" / "pfewnsrv"}),
           Exports({pfc / "PB2021" / "Source" / "ws_objects" / "pfcapsrv", pfc / "PB2021" / "Source" / "ws_objects" / "pfewnsrv"}));

  const Lines source = Exports({data});
  const std::vector<std::size_t> sizes = quick ? std::vector<std::size_t>{200000} : std::vector<std::size_t>{200000, 1000000};
  for (std::size_t n : sizes) {
    const Lines text = Cycled(source, n);
    for (int perMille : {1, 10, 100, 300})
      SavePair(dir, "edit-" + std::to_string(n) + "-" + std::to_string(perMille), text, Edited(text, perMille, rng));
  }

  Lines frequent = Cycled(source, 200000);
  for (std::size_t i = 0; i < frequent.size(); ++i) {
    const auto r = rng() % 4;
    if (r == 0) frequent[i].clear();
    if (r == 1) frequent[i] = "end if";
  }
  for (int perMille : {10, 100}) SavePair(dir, "frequent-200000-" + std::to_string(perMille), frequent, Edited(frequent, perMille, rng));

  const Lines million = Cycled(source, 1000000);
  SavePair(dir, "copy-1000000", million, million);

  for (std::size_t n : quick ? std::vector<std::size_t>{20000} : std::vector<std::size_t>{20000, 100000}) {
    const Lines text(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(std::min(n, source.size())));
    Lines shuffled = Cycled(text, n);
    std::shuffle(shuffled.begin(), shuffled.end(), rng);
    SavePair(dir, "shuffled-" + std::to_string(n), Cycled(text, n), shuffled);
    Lines r1, r2;
    for (std::size_t i = 0; i < n; ++i) {
      r1.push_back("\tls_random = \"" + std::to_string(rng()) + std::to_string(rng()) + "\"");
      r2.push_back("\tls_random = \"" + std::to_string(rng()) + std::to_string(rng()) + "\"");
    }
    SavePair(dir, "random-" + std::to_string(n), r1, r2);
  }

  const Lines forward = Cycled(source, 200000);
  Lines backward(forward.rbegin(), forward.rend());
  SavePair(dir, "reversed-200000", forward, backward);
  return 0;
}
