// How wide a character is drawn on a fixed-pitch grid, the panes' columns: a combining mark takes
// no cell of its own, East Asian wide and full-width characters two, Latin, Greek, Cyrillic and the
// other alphabets one. Symbols whose width East Asian fonts and Western fonts disagree on (①, ※,
// box drawing, arrows) are left to the font that draws them.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

inline constexpr int kCellsOfFont = -1;

// 0, 1 or 2 cells, or kCellsOfFont where the drawing font decides.
int CharCells(char32_t c);

// The first character of code-page text `rest` (GB18030), decoded; its length in bytes goes to
// `length` (as CharLength gives it). U+FFFD for a byte sequence that is no character.
char32_t FirstCodePoint(std::string_view rest, std::size_t& length);

}  // namespace platform
