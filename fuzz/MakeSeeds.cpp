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

// A literal with the NUL bytes it holds (not its terminating one).
template <std::size_t N>
std::string Bytes(const char (&s)[N]) {
  return std::string(s, N - 1);
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
  Save(dir / "Settings", "saved.ini",
       "[Options]\r\nBounds.Left=120\r\nBounds.Top=-8\r\nBounds.Width=1024\r\nBounds.Height=$300\r\n"
       "AddColor=$00F0CCA8\r\nModColor=7338890\r\nDelColor=$FFBB77FF\r\nFont.Name=\"宋体\"\r\nFont.size=12\r\n"
       "Horizontal=1\r\nFolder.1=/home/user/pb/\r\nFolder.2=  'C:\\src\\'  \r\n");
  Save(dir / "Settings", "sections.ini",
       "; kept\n[Other]\nFont.Name=x\n[options]\n font.NAME = Arial \nbounds.left=+2147483647\n"
       "Bounds.Top=-2147483648\nHorizontal\n[Options]\nFont.size=99\n");
  // Diff: a flag byte, then two sequences (see FuzzDiff.cpp).
  Save(dir / "Diff", "bytes.bin", Bytes("\x02" "abcabba\xFF" "cbabac"));
  Save(dir / "Diff", "snakes.bin", Bytes("\x01" "\x00\x01\x00\x00\x01\x01\x00\xFF\x01\x01\x00\x01\x00\x00"));
  Save(dir / "Diff", "texts.txt",
       Bytes("\x38" "forward\nglobal type w_main\n\tinteger i\nend type\n\0"
                   "forward\nGLOBAL TYPE w_main\ninteger  i\n\nend type\nend forward\n"));
  // Inline: two PowerScript texts split at a NUL, with comments, strings and GB18030 text.
  Save(dir / "Inline", "script.txt",
       Bytes("x = 1 // old\n/* a\n * b /* c */ */ y = 'it~'s'\nls = \"\xD6\xD0~\"//\" + \"\x81\x7E\"\n"
             "MessageBox(\"Error\", ls, Exclamation!)\n\0"
             "x = 2 // new\nz = 3\ny = 'it~'s!'\nls = \"\xD6\xD0~\"//\" + \"\x81\x7E\" /* end\n"
             "MessageBox(\"Error\", ls, StopSign!)\n"));
  // Long lines (a DataWindow's object lines run to several KB): the changed words and the line
  // engine reach them from the first run instead of growing inputs a few bytes at a time.
  std::string columns1, columns2;
  for (int i = 0; i < 300; ++i) {
    const std::string n = std::to_string(i);
    columns1 += " column(name=c" + n + " x=\"" + n + "\" y=\"4\" text=\"~\"" + n + "~\"\" font.face=\"Arial\")";
    columns2 += " column(name=c" + n + " x=\"" + std::to_string(i % 7 ? i : i + 1) + "\" y=\"4\" text=\"~\"" + n +
                "~\"\" font.face=\"" + (i % 11 ? "Arial" : "宋体") + "\")";
  }
  Save(dir / "Inline", "long-lines.txt", "ls_a = \"" + columns1 + "\"\nx = 1\n" + std::string(1, '\0') + "ls_a = \"" + columns2 + "\"\nx = 1\n");
  Save(dir / "Diff", "long-lines.txt", "\x38" + columns1 + "\n" + columns2 + "\nend\n" + std::string(1, '\0') + columns2 + "\nend\n" + columns1 + "\n");
  // PbParse: script objects (new and old event syntax, binary data) and DataWindow syntax.
  Save(dir / "PbParse", "w_main.srw",
       "$PBExportHeader$w_main.srw\r\nforward\r\nglobal type w_main from window\r\nend type\r\nend forward\r\n\r\n"
       "global type w_main from window\r\nend type\r\nglobal w_main w_main\r\n\r\nforward prototypes\r\n"
       "public function long of_x (ref string as_a[])\r\nend prototypes\r\n\r\n"
       "public function long of_x (ref string as_a[]);return 1\r\nend function\r\n\r\n"
       "event open;call super::open;\r\nend event\r\n\r\non clicked;close(this)\r\nend on\r\n\r\n"
       "on w_main.create\r\nend on\r\n\r\nStart of PowerBuilder Binary Data Section : Do NOT Edit\r\n0Bw_main.bin\r\n");
  Save(dir / "PbParse", "d_list.srd",
       "$PBExportHeader$d_list.srd\r\nrelease 12.5;\r\ndatawindow(units=0 print.orientation = 0 )\r\n"
       "table(column=(type=char(10) name=a dbname=\"a\" values=\"x~\"y~~\" )\r\n retrieve=\"SELECT a\r\nFROM t\" "
       "arguments=((\"as_a\", string)) )\r\ngroup(level=1 by=(\"a\" , \"b\" ))\r\n"
       "text(name=t_1 text=\"~\"q~\"\" x=\"1\" ) xhtmlgen()\r\n");
  Save(dir / "PbParse", "p_copy.srp",
       "$PBExportHeader$p_copy.srp\r\nPIPELINE(source_connect=EAS Demo,type=replace,commit=100)\r\n"
       "SOURCE(name=\"t\",COLUMN(type=long,name=\"a\",key=yes)\r\n COLUMN(type=char,name=\"b\"))\r\n");
  return 0;
}
