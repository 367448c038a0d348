// Any bytes as the settings file. Reading never fails; writing the values read back into the
// same file and reading again gives the same values (as far as the reader's trimming of blanks
// and quotes lets a value through twice), and writing them a second time changes no byte.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "app/Settings.h"
#include "platform/FileSys.h"

using app::MaxIniValueLength;
using app::ReadSettings;
using app::TIniFile;
using app::TSettings;
using app::WriteSettings;

namespace {

[[noreturn]] void Fail() { __builtin_trap(); }

// What the reader makes of a value it reads a second time.
std::string Reread(std::string_view v) {
  std::size_t b = v.find_first_not_of(" \t");
  v = b == std::string_view::npos ? std::string_view() : v.substr(b, v.find_last_not_of(" \t") - b + 1);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  return std::string(v);
}

}  // namespace

// Every read and write parses the whole file afresh, some forty times per input here: past this
// size an input of nothing but line breaks takes longer than a fuzz input may, and a settings
// file is a few hundred bytes.
constexpr std::size_t MaxInput = 64 * 1024;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > MaxInput) return 0;
  TFuzzFile file(data, size);
  if (!file.Ok()) return 0;
  TIniFile ini(file.Path());
  const TSettings read = ReadSettings(ini);
  if (read.FontName.size() > MaxIniValueLength || read.Folders[0].string().size() > MaxIniValueLength) Fail();

  WriteSettings(ini, read, true);
  const std::string once = platform::ReadFileBytes(file.Path());
  TSettings expected = read;
  expected.FontName = Reread(read.FontName);
  expected.Folders[0] = Reread(read.Folders[0].string());
  expected.Folders[1] = Reread(read.Folders[1].string());
  const TSettings back = ReadSettings(ini);
  if (!(back.Bounds == expected.Bounds) || back.Add != expected.Add || back.Mod != expected.Mod ||
      back.Del != expected.Del || back.FontName != expected.FontName || back.FontSize != expected.FontSize ||
      back.Horizontal != expected.Horizontal || back.Folders[0] != expected.Folders[0] || back.Folders[1] != expected.Folders[1])
    Fail();

  // Writing the same values again finds every key where the first write left it.
  WriteSettings(ini, read, true);
  if (platform::ReadFileBytes(file.Path()) != once) Fail();
  return 0;
}
