// The merge of three files' bytes: current (ours), base and other (theirs), as `quorvex-cli
// merge` does it.
//
// Each text is read in its own format (byte-order marks, unmarked UTF-8, the 8-bit code page,
// UTF-16, HEXASCII exports). Where the three are written alike (the same encoding, mark and
// HEXASCII form; ASCII text goes with any 8-bit form) their lines are merged as bytes, and every
// line keeps its own bytes and break. Otherwise they are merged as code-page text and the result
// is written in current's format; a character that format cannot hold is an error, never
// replaced. The result keeps current's byte-order mark, line breaks and final break.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "merge/LineMerge.h"

namespace merge {

// Input that cannot be merged; the message names the file.
class TMergeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TMergeFile {
  std::string Name;   // for messages (UTF-8), and for telling a DataWindow by its extension
  std::string Bytes;  // as read
};

struct TFileMerge {
  std::string Bytes;   // the merged file
  int Conflicts = 0;   // conflicts left in it
  bool Structured = false;  // merged by section
  std::string Notice;  // why a merge by section fell back to lines (UTF-8), else empty
};

// Merges what base -> other changed into current. `bySection` merges PowerBuilder exports by
// section (falling back to lines with a notice when they are not understood). Throws TMergeError
// for a binary file or a result current's encoding cannot hold; std::length_error for texts
// beyond the engine's range.
TFileMerge MergeFiles(const TMergeFile& current, const TMergeFile& base, const TMergeFile& other,
                      const TMergeOptions& options, bool bySection);

}  // namespace merge
