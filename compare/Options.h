// The comparison options, as one value: the views read their menu check marks once and pass it,
// quorvex-cli builds it from its flags. Everything below the views takes it as it is and never
// looks at a widget.
#pragma once

namespace pbparse {
class TDefaults;
}

namespace compare {

struct TCompareOptions {
  bool IgnoreCase = false;    // ASCII letters compare without case
  bool IgnoreBlanks = false;  // tabs and spaces are left out of every line
  bool IgnoreComments = false;  // PowerScript comments are left out of every line (compare/Comments.h)
  bool AlignSimilar = false;    // a block of unequal line counts pairs its lines by likeness
  // Script objects compare section by section and DataWindows attribute by attribute; the order
  // of sections, objects and attributes is no change.
  bool BySection = false;
  bool IgnorePosition = false;  // DataWindows: x, y, width, height, x1, y1, x2, y2 are no change
  // DataWindows: an attribute on one side only with the value newer releases write by default
  // (the table `Defaults`) is no change.
  bool IgnoreDefaults = false;
  // The table of migration defaults (pbparse::LoadDefaults), owned by whoever sets it and alive
  // while the options are used; it also tells the kind of a change when IgnoreDefaults is off.
  const pbparse::TDefaults* Defaults = nullptr;

  friend bool operator==(const TCompareOptions&, const TCompareOptions&) = default;
};

}  // namespace compare
