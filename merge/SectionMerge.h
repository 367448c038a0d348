// The merge of PowerBuilder exports by structure, on the sections of pbparse.
//
// Sections pair by key across the three texts; the result follows current's order, and a
// section new in other follows the section it follows there (after what current added at that
// place). A section changed on one side takes that side; changed on both, it is merged by what
// it is:
// - the forward block, the prototypes and variables blocks and the attribute lines of a type
//   definition are sets of entries keyed by the declared name, the function's signature or the
//   attribute's name, so that both sides' additions are kept and entries changed on each side
//   merge;
// - the create and destroy routines are made again from the merged lines: each control created
//   and destroyed once, in the order of the merged type definitions, Control[] numbered anew;
// - a DataWindow object merges attribute by attribute, written from the text of the side that
//   changed more of it, with the other side's changed attributes put in;
// - a raised release line is taken;
// - anything else is merged line by line inside the section, so conflicts stand in it alone.
// A section deleted on one side and changed on the other is a conflict that names it.
//
// The merged text is parsed again; when it does not give back the merged sections, or a text is
// not understood, the result says why and the caller merges line by line instead.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "merge/LineMerge.h"

namespace merge {

struct TSectionMerge {
  bool Structured = false;
  std::string Reason;  // when not: why (code-page text)
  std::vector<std::string> Lines;
  int Conflicts = 0;
};

// `texts` are current, base and other, as lines; `nameHint` is current's file name (its
// extension tells a DataWindow, query or pipeline).
TSectionMerge MergeBySection(const std::array<std::vector<std::string>, 3>& texts, std::string_view nameHint,
                             const TMergeOptions& options);

}  // namespace merge
