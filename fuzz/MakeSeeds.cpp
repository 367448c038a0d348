// Writes the seed corpora of the fuzz targets: synthetic libraries of both variants (several
// nodes, multi-block chains, comments, Chinese names), targets and workspaces.
#include <fstream>
#include <iostream>

#include "LibWriter.h"

namespace {

void Save(const std::filesystem::path& dir, const std::string& name, const std::string& bytes) {
  std::filesystem::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary) << bytes;
}

std::string Library(bool unicode, std::size_t block) {
  testsupport::TLibWriter w(unicode);
  w.BlockData = block;
  int root = w.AddNode({{"w_main.srw", "forward\r\nglobal type w_main from window\r\nend type\r\n", 100, 0},
                        {"w_登陆.srw", "登陆窗口\r\nglobal type w_login", 200, static_cast<std::uint16_t>(unicode ? 4 : 8)},
                        {"x.pbd", "compiled"}});
  int a = w.AddNode({{"d_list.srd", "release 10;\r\ndatawindow()", -5, 0, true}});
  int b = w.AddNode({{"n_cst.sru", std::string("abc\0def\r\n", 9), 7, 3}});
  w.SetChildren(root, a, b);
  return w.Build();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: fuzz_seeds DIR\n";
    return 2;
  }
  std::filesystem::path dir = argv[1];
  for (bool unicode : {false, true})
    for (std::size_t block : {502u, 16u})
      Save(dir / "Library", std::string(unicode ? "u" : "a") + std::to_string(block) + ".pbl", Library(unicode, block));
  Save(dir / "LibList", "app.pbt", "Save Format v3.0(19990112)\r\nappname \"app\";\r\nliblist \"a.pbl;..\\\\b\\\\b.pbl;\"\"c d.pbl\"\"\";\r\n");
  Save(dir / "LibList", "ws.pbw", "Save Format v3.0(19990112)\r\n@begin Targets\r\n 0 \"app\\\\app.pbt\";\r\n@end;\r\n");
  Save(dir / "Text", "gbk.txt", "\xB5\xC7\xC2\xBD\r\nline\rx\n");
  Save(dir / "Text", "utf8.txt", "\xEF\xBB\xBF\xE7\x99\xBB\r\n");
  Save(dir / "Text", "utf16.txt", std::string("\xFF\xFE" "a\0\r\0\n\0", 8));
  return 0;
}
