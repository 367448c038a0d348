#include "Tokens.h"

#include <algorithm>

namespace compare {

std::vector<TToken> TokenizeLine(std::string_view line, std::span<const TByteRange> comments) {
  std::vector<TToken> out;
  std::size_t i = 0;
  for (const TByteRange& r : comments) {
    const std::size_t start = std::clamp<std::size_t>(r.Start, i, line.size());
    const std::size_t end = std::clamp<std::size_t>(r.End, start, line.size());
    pbparse::AppendTokens(line, i, start, false, out);
    pbparse::AppendTokens(line, start, end, true, out);
    i = end;
  }
  pbparse::AppendTokens(line, i, line.size(), false, out);
  return out;
}

}  // namespace compare
