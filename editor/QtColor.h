// Colour values (editor/Colors.h) as the toolkit's colours: the one conversion every widget uses.
#pragma once

#include <QColor>
#include <QPalette>

#include "editor/Colors.h"

// An RGB value as it is; a system colour resolved against `palette` (clBackground, the caret
// line's colour, from the application's highlight).
QColor ToQColor(TColor c, const QPalette& palette);
// The other way: the RGB value of a toolkit colour.
TColor FromQColor(const QColor& c);
