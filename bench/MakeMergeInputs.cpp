// Writes the merge inputs of bench/merge-vs-git.sh, each as NAME.base, NAME.ours and NAME.theirs
// in DIR, from the exported sources under TESTDATA (../shared/testdata):
//   export-N      a user object of about N lines: functions whose bodies are lines of the real
//                 exports; ours adds 5 functions, edits 20 and moves 10 to the end, theirs adds 5
//                 other functions, edits 20 others and adds 3 variables
//   lines-N-P     N lines of source text (the exports cycled); each side edits P per mille of
//                 the lines (replaced, inserted before or removed) at its own random places
// Usage: quorvex_make_merge_inputs TESTDATA DIR [--quick]
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

Lines SourceLines(const fs::path& root) {
  std::vector<fs::path> files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string ext = e.path().extension().string();
    if (e.is_regular_file() && ext.size() == 4 && ext.rfind(".sr", 0) == 0) files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  Lines lines;
  for (const fs::path& f : files) {
    std::ifstream in(f, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
      // Lines that would end a function early are left out of the bodies.
      if (line.rfind("end ", 0) == 0 || line.rfind("public ", 0) == 0 || line.rfind("event ", 0) == 0 ||
          line.rfind("on ", 0) == 0 || line.rfind("type ", 0) == 0 || line.rfind("global ", 0) == 0 ||
          line.rfind("forward", 0) == 0 || line.rfind("private ", 0) == 0 || line.rfind("protected ", 0) == 0)
        continue;
      lines.push_back(line);
    }
  }
  return lines;
}

void Save(const fs::path& p, const Lines& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  std::ofstream out(p, std::ios::binary);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out) throw std::runtime_error("cannot write " + p.string());
}

void SaveTriple(const fs::path& dir, const std::string& name, const Lines& base, const Lines& ours, const Lines& theirs) {
  Save(dir / (name + ".base"), base);
  Save(dir / (name + ".ours"), ours);
  Save(dir / (name + ".theirs"), theirs);
  std::cout << name << '\n';
}

struct TFunction {
  std::string Name;
  Lines Body;
};

struct TObject {
  Lines Variables;
  std::vector<TFunction> Functions;

  Lines Text() const {
    Lines t{"$PBExportHeader$n_bench.sru", "forward", "global type n_bench from nonvisualobject", "end type",
            "end forward", "", "global type n_bench from nonvisualobject", "end type", "global n_bench n_bench", "",
            "type variables"};
    t.insert(t.end(), Variables.begin(), Variables.end());
    t.insert(t.end(), {"end variables", "", "forward prototypes"});
    for (const TFunction& f : Functions) t.push_back("public function long " + f.Name + " (string as_arg)");
    t.insert(t.end(), {"end prototypes", ""});
    for (const TFunction& f : Functions) {
      t.push_back("public function long " + f.Name + " (string as_arg);" + f.Body.front());
      t.insert(t.end(), f.Body.begin() + 1, f.Body.end());
      t.insert(t.end(), {"end function", ""});
    }
    t.insert(t.end(), {"on n_bench.create", "call super::create", "TriggerEvent( this, \"constructor\" )", "end on", "",
                       "on n_bench.destroy", "TriggerEvent( this, \"destructor\" )", "call super::destroy", "end on"});
    return t;
  }
};

TObject MakeObject(const Lines& source, std::size_t lines, std::mt19937& rng) {
  TObject o;
  for (int v = 0; v < 40; ++v) o.Variables.push_back("long il_value" + std::to_string(v));
  std::size_t at = 0, total = 60;
  for (int f = 0; total < lines; ++f) {
    TFunction fn{"of_function" + std::to_string(f), {}};
    const std::size_t n = 10 + rng() % 20;
    for (std::size_t k = 0; k < n; ++k) fn.Body.push_back(source[at++ % source.size()]);
    fn.Body.push_back("return 1");
    total += fn.Body.size() + 3;
    o.Functions.push_back(std::move(fn));
  }
  return o;
}

TFunction NewFunction(const std::string& name, const Lines& source, std::mt19937& rng) {
  TFunction fn{name, {}};
  for (int k = 0; k < 15; ++k) fn.Body.push_back(source[rng() % source.size()]);
  fn.Body.push_back("return 0");
  return fn;
}

void EditBody(TFunction& f, std::mt19937& rng) { f.Body[rng() % (f.Body.size() - 1)] = "\tli_edit = " + std::to_string(rng()); }

Lines Cycled(const Lines& source, std::size_t n) {
  Lines out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) out.push_back(source[i % source.size()]);
  return out;
}

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
    std::cerr << "usage: quorvex_make_merge_inputs TESTDATA DIR [--quick]\n";
    return 2;
  }
  const fs::path data = argv[1], dir = argv[2];
  const bool quick = argc > 3 && std::string(argv[3]) == "--quick";
  fs::create_directories(dir);
  std::mt19937 rng(2026);
  const Lines source = SourceLines(data / "pfc");

  const TObject base = MakeObject(source, 10000, rng);
  TObject ours = base, theirs = base;
  const std::size_t n = base.Functions.size();
  for (int k = 0; k < 20; ++k) EditBody(ours.Functions[(k * 7) % n], rng);
  for (int k = 0; k < 20; ++k) EditBody(theirs.Functions[(k * 7 + 3) % n], rng);
  for (int k = 0; k < 10; ++k) {
    const std::size_t from = (k * 13 + 5) % ours.Functions.size();
    TFunction moved = ours.Functions[from];
    ours.Functions.erase(ours.Functions.begin() + static_cast<std::ptrdiff_t>(from));
    ours.Functions.push_back(std::move(moved));
  }
  for (int k = 0; k < 5; ++k) {
    ours.Functions.push_back(NewFunction("of_ours" + std::to_string(k), source, rng));
    theirs.Functions.push_back(NewFunction("of_theirs" + std::to_string(k), source, rng));
  }
  for (int k = 0; k < 3; ++k) theirs.Variables.push_back("string is_theirs" + std::to_string(k));
  SaveTriple(dir, "export-10000", base.Text(), ours.Text(), theirs.Text());

  for (std::size_t lines : quick ? std::vector<std::size_t>{200000} : std::vector<std::size_t>{200000, 1000000}) {
    const Lines text = Cycled(source, lines);
    for (int perMille : {1, 10}) {
      const Lines o = Edited(text, perMille, rng), t = Edited(text, perMille, rng);
      SaveTriple(dir, "lines-" + std::to_string(lines) + "-" + std::to_string(perMille), text, o, t);
    }
  }
  return 0;
}
