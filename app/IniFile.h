// A small INI file reader and writer with the behaviour the settings rely on.
//
// Section and key names are matched without regard to ASCII letter case. Every read parses the
// file afresh and every write rewrites it at once: nothing is cached between calls, so two
// programs sharing one file each see the other's last write. Lines the writer does not change,
// other keys and other sections, are kept byte for byte, and so is the file's line-break style
// (CR LF or LF; a new file gets LF).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// Values are read as at most this many bytes, cut at a UTF-8 character boundary.
inline constexpr std::size_t MaxIniValueLength = 2047;

// The ordinary string-to-integer conversion: optional blanks in front, an optional sign, then
// either "$" and up to eight hexadecimal digits (which may set the top bit: "$FFFFFFFF" is -1) or
// decimal digits within the 32-bit range. Anything else, trailing characters included, is none.
std::optional<std::int32_t> StrToInt(std::string_view text);
std::int32_t StrToIntDef(std::string_view text, std::int32_t def);

class TIniFile {
 public:
  explicit TIniFile(std::filesystem::path fileName) : fileName_(std::move(fileName)) {}

  const std::filesystem::path& FileName() const { return fileName_; }

  // A missing file, section or key, or a file that cannot be read, gives `def`. Blanks around
  // the value are dropped, and so is one pair of matching quotes around it.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t def) const;
  // An integer; any value other than 0 is true, a value that is not an integer gives `def`.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  // Sets the key's value, replacing its first line in the section, or adding the key at the end
  // of the section, or the section at the end of the file. A line break in the value would end
  // the line early, so each one is written as a blank. Throws platform::TFileError with the
  // message "Unable to write to <full path>" when the file cannot be read back or written.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  // Removes the key's first line in the section; nothing happens when there is none. Throws as
  // WriteString does.
  void DeleteKey(std::string_view section, std::string_view key);

 private:
  std::filesystem::path fileName_;
};

}  // namespace app
