// The comparison options, as one value: the views read their menu check marks once and pass it,
// quorvex-cli builds it from its flags. Everything below the views takes it as it is and never
// looks at a widget.
#pragma once

#include <memory>

namespace pbparse {
class TDefaults;
}

namespace compare {

struct TCompareOptions {
  bool IgnoreCase = false;    // ASCII letters compare without case
  bool IgnoreBlanks = false;  // tabs and spaces are left out of every line
  // Script objects compare section by section and DataWindows attribute by attribute; the order
  // of sections, objects and attributes is no change.
  bool BySection = false;
  bool IgnorePosition = false;  // DataWindows: x, y, width, height, x1, y1, x2, y2 are no change
  // DataWindows: an attribute on one side only with the value newer releases write by default
  // (the table `Defaults`) is no change.
  bool IgnoreDefaults = false;
  std::shared_ptr<const pbparse::TDefaults> Defaults = nullptr;

  friend bool operator==(const TCompareOptions&, const TCompareOptions&) = default;
};

}  // namespace compare
