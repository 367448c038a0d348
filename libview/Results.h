// What the library and object lists say of a pair's result and the colour of its row. Without
// any toolkit, so that the words can be checked without a display.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "compare/Pairing.h"

namespace libview {

// "相同", "增加", "减少", "更改" (UTF-8), in result order.
inline const TResultWords& ResultWords() {
  static const TResultWords words{"相同", "增加", "减少", "更改"};
  return words;
}
// Empty for a value outside 0..3.
inline const std::string& ResultText(int result) {
  static const std::string kNone;
  return result >= 0 && result < 4 ? ResultWords()[static_cast<std::size_t>(result)] : kNone;
}

// Row colours, 0x00BBGGRR: white for the same, the given highlight colours for the others.
struct TResultColors {
  std::uint32_t Add = 0, Del = 0, Mod = 0;
};
inline constexpr std::uint32_t kSameRowColor = 0x00FFFFFF;
inline std::uint32_t ResultColor(int result, const TResultColors& colors) {
  switch (result) {
    case crAdded: return colors.Add;
    case crDeleted: return colors.Del;
    case crChanged: return colors.Mod;
    default: return kSameRowColor;
  }
}

}  // namespace libview
