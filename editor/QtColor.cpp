#include "editor/QtColor.h"

namespace editor {

QColor ToQColor(TColor c, const QPalette& palette) {
  if (!IsSystemColor(c))
    return QColor(static_cast<int>(RedOf(c)), static_cast<int>(GreenOf(c)), static_cast<int>(BlueOf(c)));
  switch (c) {
    case clWindow: return palette.color(QPalette::Base);
    case clWindowText: return palette.color(QPalette::Text);
    case clHighlight: return palette.color(QPalette::Highlight);
    case clHighlightText: return palette.color(QPalette::HighlightedText);
    case clBtnFace: return palette.color(QPalette::Button);
    case clBtnText: return palette.color(QPalette::ButtonText);
    case clBackground: {
      QColor d = palette.color(QPalette::Highlight).darker(170);
      if (d.lightness() > 90) d = QColor(0x1C, 0x38, 0x6A);
      return d.toRgb();
    }
    default: return palette.color(QPalette::Window);
  }
}

TColor FromQColor(const QColor& c) {
  const QColor rgb = c.toRgb();
  return RGBColor(static_cast<unsigned>(rgb.red()), static_cast<unsigned>(rgb.green()),
                  static_cast<unsigned>(rgb.blue()));
}

}  // namespace editor
