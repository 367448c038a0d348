#include "editor/QtColor.h"

#include <QApplication>

QColor ToQColor(TColor c, const QPalette& pal) {
  if (!IsSystemColor(c))
    return QColor(static_cast<int>(RedOf(c)), static_cast<int>(GreenOf(c)), static_cast<int>(BlueOf(c)));
  switch (c) {
    case clWindow: return pal.color(QPalette::Base);
    case clWindowText: return pal.color(QPalette::Text);
    case clHighlight: return pal.color(QPalette::Highlight);
    case clHighlightText: return pal.color(QPalette::HighlightedText);
    case clBtnFace: return pal.color(QPalette::Button);
    case clBackground: {
      // The desktop colour behind the caret line: a dark blue that white text reads well on,
      // taken from the desktop's highlight so that it follows the theme.
      QColor d = QApplication::palette().color(QPalette::Highlight).darker(170);
      if (d.lightness() > 90) d = QColor(0x1C, 0x38, 0x6A);
      return d.toRgb();
    }
    default: return pal.color(QPalette::Window);
  }
}

TColor FromQColor(const QColor& c) {
  const QColor rgb = c.toRgb();
  return RGBColor(static_cast<unsigned>(rgb.red()), static_cast<unsigned>(rgb.green()),
                  static_cast<unsigned>(rgb.blue()));
}
