// Any bytes as a library file: the directory is read and every entry exported.
#include <cstdint>

#include "FuzzInput.h"
#include "pbl/PbFuncs.h"

using pbl::ExportEntry;
using pbl::ReadLibDirectory;
using pbl::TDirList;
using pbl::TLibStream;
using pbl::TReadReport;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzFile file(data, size);
  if (!file.Ok()) return 0;
  TLibStream stream(file.Path());
  TDirList list;
  TReadReport report;
  ReadLibDirectory(stream, list, &report);
  for (const auto& item : list) {
    std::vector<std::string> lines;
    ExportEntry(stream, *item.Rec, lines, &report);
    if (lines.empty() || lines[0].rfind("$PBExportHeader$", 0) != 0) __builtin_trap();
  }
  report.Describe();
  return 0;
}
