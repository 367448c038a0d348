// Name collation on Windows: the user's locale through CompareStringEx, case folded before
// (LCMapStringEx), so that of all the differences only case does not count.
#include <windows.h>

#include "platform/CollationSystem.h"

namespace platform::collation_system {

std::string LocaleName() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  if (GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) <= 0) return "en-US";
  std::string out;
  for (const wchar_t* p = name; *p; ++p) out += static_cast<char>(*p < 0x80 ? *p : '?');
  return out;
}

std::u16string FoldCase(std::u16string_view in) {
  std::u16string out(in);
  if (in.empty()) return out;
  const int n = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, reinterpret_cast<const wchar_t*>(in.data()),
                              static_cast<int>(in.size()), reinterpret_cast<wchar_t*>(out.data()),
                              static_cast<int>(out.size()), nullptr, nullptr, 0);
  if (n == static_cast<int>(in.size())) return out;
  out.assign(in);
  for (char16_t& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char16_t>(c - 'A' + 'a');
  return out;
}

int Collate(std::u16string_view a, std::u16string_view b) {
  // SORT_STRINGSORT: hyphens and apostrophes are characters like the other signs, not skipped.
  const int r = CompareStringEx(LOCALE_NAME_USER_DEFAULT, SORT_STRINGSORT, reinterpret_cast<const wchar_t*>(a.data()),
                                static_cast<int>(a.size()), reinterpret_cast<const wchar_t*>(b.data()),
                                static_cast<int>(b.size()), nullptr, nullptr, 0);
  if (r == 0) return a.compare(b);
  return r - CSTR_EQUAL;
}

}  // namespace platform::collation_system
