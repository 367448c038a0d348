// Colour values (editor/Colors.h) as the toolkit's colours: the one conversion every widget uses,
// the panes and every other view that paints with TColor.
#pragma once

#include <QColor>
#include <QPalette>

#include "editor/Colors.h"

namespace editor {

// An RGB value as it is; a system colour resolved against `palette` (the edit background, text,
// highlight, button colours; the desktop colour behind the caret line is a dark shade of the
// palette's highlight, so that white text reads well on it whatever the theme).
QColor ToQColor(TColor c, const QPalette& palette);
// The other way: the RGB value of a toolkit colour.
TColor FromQColor(const QColor& c);

}  // namespace editor
