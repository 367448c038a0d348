// Line values for the difference engine. `TLineClasses` numbers the distinct lines of the texts
// it is given, so that two lines get one number exactly when their bytes are equal under the
// comparison options: this is what the engine compares. The CRC-32 of a line (`HashLine`) stays
// for whoever wants a checksum; equal CRCs do not make equal lines.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace diff {

// The table of the reflected CRC-32 polynomial 0xEDB88320, stored as data.
extern const std::array<std::uint32_t, 256> CrcTable;

// The CRC-32 of IEEE 802.3 over `length` bytes; 0 when `length` <= 0.
std::uint32_t Crc32(const void* bytes, std::int64_t length);

// The CRC-32 of `line` (code-page text without its line break) after, optionally, deleting every
// tab and space and lowering the ASCII capitals A-Z. The bytes of a multi-byte character are never
// folded, so the trail byte of a double-byte character that happens to lie in 0x41..0x5A stays.
std::uint32_t HashLine(std::string_view line, bool IgnoreCase, bool IgnoreBlanks);

// The CRC values of all lines, in line order.
std::vector<std::uint32_t> HashLines(const std::vector<std::string>& lines, bool IgnoreCase, bool IgnoreBlanks);

// A line as compared: without tabs and spaces under `IgnoreBlanks`, ASCII capitals lowered under
// `IgnoreCase` (never the trail byte of a double-byte character). `line` itself when neither
// option changes it; otherwise the result is built in `buffer`.
std::string_view NormalizedLine(std::string_view line, bool IgnoreCase, bool IgnoreBlanks, std::string& buffer);

// Numbers lines by their content: the first distinct line met gets 0, the next 1, and so on; a
// line equal (after the options) to one met before gets that line's number. One object numbers
// both texts of a comparison, so that their numbers can be compared. The keys are copied, so the
// lines need not outlive the call.
class TLineClasses {
 public:
  TLineClasses(bool IgnoreCase = false, bool IgnoreBlanks = false)
      : ignoreCase_(IgnoreCase), ignoreBlanks_(IgnoreBlanks) {}

  std::uint32_t Of(std::string_view line) { return Classify(line, false); }
  // The same for a line whose bytes outlive this object: its key is not copied when the options
  // leave it as it is.
  std::uint32_t OfLasting(std::string_view line) { return Classify(line, true); }
  template <class Range>
  std::vector<std::uint32_t> OfLines(const Range& lines) {
    std::vector<std::uint32_t> out;
    out.reserve(std::size(lines));
    for (const auto& line : lines) out.push_back(Of(std::string_view(line)));
    return out;
  }
  // How many distinct lines have been met.
  std::size_t Count() const { return count_; }

 private:
  // An open-addressing table of 32-bit slots: 0 is empty, else the class plus one in the low 25
  // bits and 7 more bits of the key's hash above them, so that a key is looked at only when those
  // agree. Classes beyond 2^25 - 2 are refused (std::length_error).
  static constexpr int kClassBits = 25;
  static constexpr std::uint32_t kClassMask = (1u << kClassBits) - 1;
  // The keys by class, in blocks of this many that never move (no copy of all of them on growth).
  static constexpr std::size_t kKeyBlock = 1 << 10;

  std::uint32_t Classify(std::string_view line, bool lasting);
  std::string_view& KeyOf(std::size_t cls) { return keyBlocks_[cls / kKeyBlock][cls % kKeyBlock]; }
  std::string_view Keep(std::string_view key);
  void Grow();

  bool ignoreCase_, ignoreBlanks_;
  std::vector<std::uint32_t> slots_;
  std::vector<std::unique_ptr<std::string_view[]>> keyBlocks_;
  std::size_t count_ = 0;
  // The bytes of keys that are copied, in blocks that never move once filled.
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t blockUsed_ = 0, blockSize_ = 0;
  std::string buffer_;
};

// Whether two texts are equal line by line under the options.
bool SameLines(const std::vector<std::string>& a, const std::vector<std::string>& b, bool IgnoreCase,
               bool IgnoreBlanks);

}  // namespace diff
