// Ordering of keys and file names without regard to letter case, by the collation of the user's
// locale. Keys are code-page text; file names are Unicode.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// <0, 0, >0 as `a` sorts before, together with, or after `b`: the locale's collation without
// letter case. Characters of different width (full-width ｍ and m) stay different, under any
// locale. This is the one rule by which keys and library names are sorted, paired and found to
// be duplicates: 0 means the same name.
int CompareTextNoCase(std::string_view a, std::string_view b);
int CompareUnicodeNoCase(std::u16string_view a, std::u16string_view b);
// The same for names in UTF-8 (library file names).
int CompareNamesNoCase(std::string_view a, std::string_view b);

// Whether two file names are the same name without regard to letter case (Unicode's simple case
// folding, not collation: "a" and "á" are different names), as a file system that ignores case
// sees them.
bool SameNameNoCase(const std::filesystem::path& a, const std::filesystem::path& b);

// A file name with its letter case folded (UTF-8): two names are the same by SameNameNoCase
// exactly when their folded forms are equal, so folded names can key a lookup table.
std::string FoldNameCase(std::string_view utf8);

// Upper-cases ASCII letters only; multi-byte characters are left alone.
std::string AsciiUpper(std::string_view text);

}  // namespace platform
