// Colour values (editor/Colors.h) as Qt colours: the one mapping of the system colour constants
// onto a palette, for the panes and every other view that paints with TColor.
#pragma once

#include <QColor>
#include <QPalette>

#include "editor/Colors.h"

// An RGB value as it is; a system colour resolved against `palette` (the edit background, text,
// highlight, button colours; the desktop colour behind the caret line is a dark shade of the
// highlight, so that white text reads well on it whatever the theme).
QColor ToQColor(TColor c, const QPalette& palette);
