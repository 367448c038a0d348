// The unified difference of two files, as GNU `diff -u` writes it, in the files' own bytes: each
// line goes out as it was read (its encoding, its line break, the byte-order mark on the first
// line), so that `patch` or `git apply` turns file 1 into file 2 byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "diff/DiffUnit.h"
#include "platform/TextFile.h"

namespace compare {

// The lines of a file's bytes as patch reads them: cut after every line feed (by code unit, two
// bytes in UTF-16), each line with its break (a CR before the line feed stays in the line, as
// does a lone CR) and the first with the byte-order mark. A break at the very end starts no empty
// last line. Without lone CRs, line i here is line i of the decoded text.
std::vector<std::string_view> RawLines(std::string_view bytes, platform::TTextEncoding encoding);

// Whether a raw line ends with a line feed (in UTF-16, a line-feed unit).
bool HasLineBreak(std::string_view rawLine, platform::TTextEncoding encoding);

struct TUnifiedFile {
  std::string Name;   // as given; the header quotes it where it holds a control character, a quote or a backslash
  std::string Time;   // the header's time stamp, empty for none
  std::vector<std::string_view> Lines;  // RawLines of the file
  platform::TTextEncoding Encoding = platform::TTextEncoding::CodePage;
};

// The unified difference of the files from the change records that turn file 1's lines into
// file 2's, with `context` equal lines around every change; empty when there are no changes.
// Equal lines are written from file 1, as GNU diff does.
std::string UnifiedDiff(const TUnifiedFile& file1, const TUnifiedFile& file2, const std::vector<diff::ChangeRecord>& changes,
                        std::int32_t context);

}  // namespace compare
