// Colour values of the editor panes and of the views that fill them.
//
// A colour is a 32-bit value laid out 0x00BBGGRR (the low byte is red), or one of the system
// colour constants below, which have the top byte set and are resolved against the widget's
// palette when painted. Keeping the constants symbolic lets a view tell "the pane's own colour"
// from a highlight colour by plain comparison, whatever the desktop theme is.
#pragma once

#include <cstdint>

namespace editor {

using TColor = std::uint32_t;

constexpr TColor clSystemColor = 0xFF000000u;
constexpr TColor clBackground = clSystemColor | 1;     // desktop background (caret line)
constexpr TColor clWindow = clSystemColor | 5;         // edit background
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnText = clSystemColor | 18;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clGray = 0x808080;

constexpr bool IsSystemColor(TColor c) { return (c & clSystemColor) == clSystemColor; }

// Builds a colour from its red, green and blue parts.
constexpr TColor RGBColor(unsigned r, unsigned g, unsigned b) {
  return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
constexpr unsigned RedOf(TColor c) { return c & 0xFF; }
constexpr unsigned GreenOf(TColor c) { return (c >> 8) & 0xFF; }
constexpr unsigned BlueOf(TColor c) { return (c >> 16) & 0xFF; }

}  // namespace editor
