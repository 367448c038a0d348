// The comparison options, as one value: the views read their menu check marks once and pass it,
// quorvex-cli builds it from its flags. Everything below the views takes it as it is and never
// looks at a widget.
#pragma once

namespace compare {

struct TCompareOptions {
  bool IgnoreCase = false;    // ASCII letters compare without case
  bool IgnoreBlanks = false;  // tabs and spaces are left out of every line
  bool IgnoreComments = false;  // PowerScript comments are left out of every line (compare/Comments.h)
  bool AlignSimilar = false;    // a block of unequal line counts pairs its lines by likeness

  friend bool operator==(const TCompareOptions&, const TCompareOptions&) = default;
};

}  // namespace compare
