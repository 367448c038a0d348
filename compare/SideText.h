// TSideText: the text of one side of a comparison, with what is known of where it came from.
//
// The lines are code-page bytes without their breaks, held in one buffer with an offset per
// line (no allocation per line), so that a million-line text costs little more than its bytes.
// The views refer to these lines instead of copying them; a side text does not change once
// built, and is shared (std::shared_ptr<const TSideText>) by the comparison and the panes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"
#include "platform/TextFile.h"

namespace compare {

class TSideText {
 public:
  TSideText() = default;
  // The lines as they are (a handed-over text).
  explicit TSideText(const std::vector<std::string>& lines);
  // Code-page text cut at CR LF, a lone CR and a lone LF; a break at the very end starts no
  // empty last line. Takes the buffer over and compacts it in place.
  static TSideText FromText(std::string text);

  std::int32_t Count() const { return static_cast<std::int32_t>(starts_.size()) - 1; }
  bool Empty() const { return Count() == 0; }
  std::string_view Line(std::int32_t index) const {
    const auto i = static_cast<std::size_t>(index);
    return std::string_view(buffer_.data() + starts_[i], starts_[i + 1] - starts_[i]);
  }
  std::vector<std::string_view> Views() const;
  std::vector<std::string> ToVector() const;
  // Bytes held, for the memory budget of the views.
  std::size_t ByteSize() const { return buffer_.capacity() + starts_.capacity() * sizeof(std::uint32_t); }

  // Where the text came from: a file's path or a caption (UTF-8), the file's time (none for a
  // handed-over text), how the file was written (for saving it back), and whether the user may
  // edit and save it.
  std::string Title;
  std::optional<platform::TDateTime> FileTime;
  platform::TTextFormat Format;
  // For a HEXASCII export, its lines that hold runs as read, so that saving keeps them.
  std::shared_ptr<const platform::THexAsciiLines> HexLines;
  bool ReadOnly = false;

 private:
  std::string buffer_;
  std::vector<std::uint32_t> starts_{0};  // Count() + 1 offsets; line i is [starts_[i], starts_[i+1])
};

// A text file's bytes as read, before they become a side text.
struct TSideFile {
  std::filesystem::path Path;
  std::string Bytes;
};
// Throws platform::TFileError.
TSideFile ReadSideFile(const std::filesystem::path& path);

// The side text of a file's bytes, as LoadSideText makes it; with `utf8`, for a file whose bytes
// hold UTF-8 text (sides::HoldsUtf8Text), the lines stay in UTF-8 instead: for a comparison
// that only compares and prints lines, two such texts compare as their code-page forms do (the
// conversion keeps distinct lines distinct), and nothing is converted.
TSideText SideTextOf(TSideFile file, bool utf8 = false);

// Reads a text file: decoded as platform::DecodeText does (byte-order marks, unmarked UTF-8, else
// the code page; an export in the HEXASCII format as the text it stands for) and cut into lines. Title is the path as given (UTF-8), FileTime the file's last
// write time, Format what the file holds. Throws platform::TFileError.
TSideText LoadSideText(const std::filesystem::path& path);

}  // namespace compare
