// What the system gives the name collation (platform/Collation.cpp): the locale it collates by,
// Unicode case folding and the locale's collator. One implementation per system: ICU loaded on
// first use on Linux (CollationIcu.cpp), the Windows API (win/CollationWin.cpp).
#pragma once

#include <string>
#include <string_view>

namespace platform::collation_system {

// The locale names are collated by, as the system names it ("zh_CN.UTF-8", "C", "zh-CN");
// read without loading any collation data.
std::string LocaleName();

// `in` with its letter case folded character by character (Unicode's simple case folding: the
// text keeps its length, ß stays ß, İ stays İ). Where the system offers none, only ASCII letters
// are folded.
std::u16string FoldCase(std::u16string_view in);

// The locale's collator at full strength (letters, accents, case, width all count; punctuation
// not ignored, digits not read as numbers) over two texts whose case is already folded: <0, 0, >0.
// Where no collator can be had, the texts are compared by their UTF-16 code units.
int Collate(std::u16string_view a, std::u16string_view b);

}  // namespace platform::collation_system
