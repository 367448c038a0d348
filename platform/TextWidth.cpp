#include "platform/TextWidth.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string>

#include "platform/CodePage.h"

namespace platform {

namespace {

struct TRange {
  char32_t First, Last;
};

bool In(const TRange* first, const TRange* last, char32_t c) {
  const TRange* r = std::upper_bound(first, last, c, [](char32_t v, const TRange& x) { return v < x.First; });
  return r != first && c <= (r - 1)->Last;
}

// Nonspacing and enclosing marks of the scripts code pages carry (Latin diacritics, Hebrew
// points, Arabic vowels, Thai vowels and tone marks, Vietnamese tones), and zero-width characters.
constexpr TRange kZero[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x05BF, 0x05BF}, {0x05C1, 0x05C2},
    {0x05C4, 0x05C5}, {0x05C7, 0x05C7}, {0x0610, 0x061A}, {0x064B, 0x065F}, {0x0670, 0x0670},
    {0x06D6, 0x06DC}, {0x06DF, 0x06E4}, {0x06E7, 0x06E8}, {0x06EA, 0x06ED}, {0x0E31, 0x0E31},
    {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F},
    {0x202A, 0x202E}, {0x2060, 0x2064}, {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F},
    {0xFEFF, 0xFEFF},
};

// East Asian wide and full-width characters (Unicode's EastAsianWidth W and F, in blocks).
constexpr TRange kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
    {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
    {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
    {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
    {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
    {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
    {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0x303E},
    {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
    {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},
    {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
    {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

// Symbols a CJK font draws two cells wide and a Western font one (EastAsianWidth A outside the
// alphabets): punctuation, letterlike symbols, number forms, arrows, mathematical operators,
// enclosed alphanumerics, box drawing, block elements, geometric shapes, dingbats.
constexpr TRange kAmbiguous[] = {
    {0x2010, 0x205E}, {0x2100, 0x2BFF}, {0xE000, 0xF8FF}, {0xFFFD, 0xFFFD},
};

}  // namespace

int CharCells(char32_t c) {
  if (c < 0x300) return 1;
  if (In(std::begin(kZero), std::end(kZero), c)) return 0;
  if (In(std::begin(kWide), std::end(kWide), c)) return 2;
  if (In(std::begin(kAmbiguous), std::end(kAmbiguous), c)) return kCellsOfFont;
  return 1;
}

char32_t FirstCodePoint(std::string_view rest, std::size_t& length) {
  length = CharLength(rest);
  if (length == 0) return 0;
  const auto lead = static_cast<unsigned char>(rest[0]);
  if (lead < 0x80) return lead;
  const std::u16string u = CodePageToUtf16(rest.substr(0, length));
  if (u.empty()) return 0xFFFD;
  if (u.size() >= 2 && u[0] >= 0xD800 && u[0] < 0xDC00 && u[1] >= 0xDC00 && u[1] < 0xE000)
    return 0x10000 + ((static_cast<char32_t>(u[0]) - 0xD800) << 10) + (u[1] - 0xDC00);
  return u[0];
}

}  // namespace platform
