// The rule that orders names of printable ASCII without the collator (platform/Collation.cpp).
//
// Most names (library files, objects, events, functions) are ASCII. Under most locales the
// collator orders such names exactly as the common order of Unicode's root collation does:
// character by character, a shorter name before a longer one it begins, and the characters in the
// order of kAsciiOrder (letter case folded first). Where a locale's tailoring changes that order
// (Danish "aa" after "z", Czech "ch" after "h", Lithuanian "y" beside "i"), only the collator
// knows; and under the C locale the collator is the order of UTF-16 code units.
#pragma once

#include <optional>
#include <string_view>

namespace platform::collation_rule {

enum class TAsciiRule {
  CodeUnits,  // C and POSIX: every name by its case-folded UTF-16 code units; no collator at all
  Root,       // names of printable ASCII by kAsciiOrder, the others through the collator
  Collator,   // every name through the collator
};

// Printable ASCII (space to '~', capitals left out: they fold to the small letters) in the order
// of the root collation.
inline constexpr std::string_view kAsciiOrder =
    " _-,;:!?.'\"()[]{}@*/\\&#%`^+<=>|~$0123456789abcdefghijklmnopqrstuvwxyz";

// The rule for a locale named as the system names it ("zh_CN.UTF-8", "de-DE", "C"), decided from
// its name without loading any collation data: the root order only for languages whose
// tailoring keeps the order of every printable ASCII character (tests/platform checks each
// against ICU's collator).
TAsciiRule AsciiRuleFor(std::string_view localeName);

// Two names by the root order; none when either holds a character outside printable ASCII.
std::optional<int> CompareByAsciiOrder(std::string_view a, std::string_view b);
std::optional<int> CompareByAsciiOrder(std::u16string_view a, std::u16string_view b);

}  // namespace platform::collation_rule
