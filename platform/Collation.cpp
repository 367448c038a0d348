#include "Collation.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "CodePage.h"
#include "CollationRule.h"
#include "CollationSystem.h"

namespace platform {
namespace collation_rule {
namespace {

// Languages whose collation keeps the root order of printable ASCII (tests/platform holds every
// locale of ICU's that this list admits to that order, and shows why a few others are left out).
constexpr std::array<std::string_view, 68> kRootOrderLanguages{
    "af", "am", "ar", "as", "be",  "bg",  "bn", "bo", "ca", "chr", "de", "dz", "el", "en", "eo", "es", "fa", "ff",
    "fi", "fr", "ga", "gl", "gu",  "he",  "hi", "hy", "id", "is",  "it", "ja", "ka", "kk", "km", "kn", "ko",
    "ky", "lb", "lo", "mk", "ml",  "mn",  "mr", "ms", "mt", "my",  "ne", "nl", "or", "pa", "pl", "ps", "pt", "ro",
    "ru", "si", "sl", "sv", "sw",  "ta",  "te", "th", "tk", "tr",  "uk", "ur", "vi", "yi", "zh"};
static_assert(std::is_sorted(kRootOrderLanguages.begin(), kRootOrderLanguages.end()));

constexpr std::array<unsigned char, 128> MakeRanks() {
  std::array<unsigned char, 128> r{};
  for (std::size_t i = 0; i < kAsciiOrder.size(); ++i) r[static_cast<unsigned char>(kAsciiOrder[i])] = static_cast<unsigned char>(i + 1);
  for (char c = 'A'; c <= 'Z'; ++c) r[static_cast<unsigned char>(c)] = r[static_cast<unsigned char>(c - 'A' + 'a')];
  return r;
}
// The place of each character in kAsciiOrder plus one, capitals as their small letters; 0 for a
// character the rule does not order.
constexpr std::array<unsigned char, 128> kRanks = MakeRanks();

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

template <typename Char>
std::optional<int> CompareRanks(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  const std::size_t n = std::min(a.size(), b.size());
  int first = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<std::make_unsigned_t<Char>>(a[i]), y = static_cast<std::make_unsigned_t<Char>>(b[i]);
    if (x >= 128 || y >= 128 || kRanks[x] == 0 || kRanks[y] == 0) return std::nullopt;
    if (first == 0 && kRanks[x] != kRanks[y]) first = kRanks[x] < kRanks[y] ? -1 : 1;
  }
  for (std::size_t i = n; i < a.size(); ++i)
    if (static_cast<std::make_unsigned_t<Char>>(a[i]) >= 128 || kRanks[static_cast<std::make_unsigned_t<Char>>(a[i])] == 0) return std::nullopt;
  for (std::size_t i = n; i < b.size(); ++i)
    if (static_cast<std::make_unsigned_t<Char>>(b[i]) >= 128 || kRanks[static_cast<std::make_unsigned_t<Char>>(b[i])] == 0) return std::nullopt;
  if (first != 0) return first;
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

TAsciiRule AsciiRuleFor(std::string_view name) {
  // language[_Script][_REGION][.codeset][@modifier], "-" also separating (Windows names).
  name = name.substr(0, std::min(name.find('.'), name.find('@')));
  if (name.empty() || name == "C" || name == "POSIX") return TAsciiRule::CodeUnits;
  std::string parts[4];
  std::size_t count = 0;
  for (std::size_t at = 0; at <= name.size();) {
    const std::size_t end = std::min(name.find_first_of("_-", at), name.size());
    if (count == 4) return TAsciiRule::Collator;
    parts[count++] = std::string(name.substr(at, end - at));
    at = end + 1;
  }
  std::string language = parts[0];
  for (char& c : language) {
    if (!IsAlpha(c)) return TAsciiRule::Collator;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  // A script of four letters and a region of two letters or three digits may follow; a variant
  // (en_US_POSIX, de__PHONEBOOK) or a keyword tailors the order, so it goes to the collator.
  std::size_t i = 1;
  if (i < count && parts[i].size() == 4 && std::all_of(parts[i].begin(), parts[i].end(), IsAlpha)) ++i;
  if (i < count && ((parts[i].size() == 2 && IsAlpha(parts[i][0]) && IsAlpha(parts[i][1])) ||
                    (parts[i].size() == 3 && std::all_of(parts[i].begin(), parts[i].end(), [](char c) { return c >= '0' && c <= '9'; }))))
    ++i;
  if (i != count) return TAsciiRule::Collator;
  return std::binary_search(kRootOrderLanguages.begin(), kRootOrderLanguages.end(), language) ? TAsciiRule::Root
                                                                                             : TAsciiRule::Collator;
}

std::optional<int> CompareByAsciiOrder(std::string_view a, std::string_view b) { return CompareRanks(a, b); }
std::optional<int> CompareByAsciiOrder(std::u16string_view a, std::u16string_view b) { return CompareRanks(a, b); }

}  // namespace collation_rule

namespace {

using collation_rule::TAsciiRule;

TAsciiRule Rule() {
  static const TAsciiRule rule = collation_rule::AsciiRuleFor(collation_system::LocaleName());
  return rule;
}

int Sign(int r) { return r < 0 ? -1 : (r > 0 ? 1 : 0); }

// The text with its case folded. ASCII, by far the common case, is folded into a buffer the
// thread keeps, so that sorting costs no allocation per comparison.
std::u16string_view Folded(std::u16string_view s, std::u16string& buffer) {
  buffer.assign(s);
  for (char16_t& c : buffer) {
    if (c >= 0x80) {
      buffer = collation_system::FoldCase(s);
      break;
    }
    if (c >= 'A' && c <= 'Z') c = static_cast<char16_t>(c - 'A' + 'a');
  }
  return buffer;
}

// Two ASCII texts by case-folded code units.
int CompareAsciiCodeUnits(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool IsAscii(std::string_view s) { return FindNonAscii(s) == std::string_view::npos; }

// Two ASCII texts (code page text and UTF-8 alike) without converting them, where the rule of the
// locale orders them; none where the collator must.
std::optional<int> CompareAscii(std::string_view a, std::string_view b) {
  if (a.empty() || b.empty()) return a.empty() ? (b.empty() ? 0 : -1) : 1;
  switch (Rule()) {
    case TAsciiRule::CodeUnits:
      return CompareAsciiCodeUnits(a, b);
    case TAsciiRule::Root:
      return collation_rule::CompareByAsciiOrder(a, b);
    case TAsciiRule::Collator:
      break;
  }
  return std::nullopt;
}

}  // namespace

int CompareUnicodeNoCase(std::u16string_view a, std::u16string_view b) {
  // An empty name sorts before every other, even one the collator would find to hold nothing.
  if (a.empty() || b.empty()) return a.empty() ? (b.empty() ? 0 : -1) : 1;
  const TAsciiRule rule = Rule();
  if (rule == TAsciiRule::Root)
    if (std::optional<int> r = collation_rule::CompareByAsciiOrder(a, b)) return *r;
  thread_local std::u16string bufferA, bufferB;
  const std::u16string_view fa = Folded(a, bufferA), fb = Folded(b, bufferB);
  if (rule == TAsciiRule::CodeUnits) return Sign(fa.compare(fb));
  return Sign(collation_system::Collate(fa, fb));
}

int CompareTextNoCase(std::string_view a, std::string_view b) {
  if (IsAscii(a) && IsAscii(b))
    if (std::optional<int> r = CompareAscii(a, b)) return *r;
  return CompareUnicodeNoCase(CodePageToUtf16(a), CodePageToUtf16(b));
}

int CompareNamesNoCase(std::string_view a, std::string_view b) {
  if (IsAscii(a) && IsAscii(b))
    if (std::optional<int> r = CompareAscii(a, b)) return *r;
  return CompareUnicodeNoCase(CodePageToUtf16(Utf8ToCodePage(a)), CodePageToUtf16(Utf8ToCodePage(b)));
}

namespace {

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
      out += static_cast<char16_t>(b0);
      ++i;
      continue;
    }
    const std::size_t len = b0 >= 0xF0 && b0 <= 0xF4 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC2 && b0 < 0xE0 ? 2 : 0;
    char32_t c = len == 2 ? b0 & 0x1F : len == 3 ? b0 & 0x0F : b0 & 0x07;
    bool ok = len != 0 && i + len <= s.size();
    for (std::size_t k = 1; ok && k < len; ++k) {
      const auto b = static_cast<unsigned char>(s[i + k]);
      ok = (b & 0xC0) == 0x80;
      c = c << 6 | (b & 0x3F);
    }
    ok = ok && !(len == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) && !(len == 4 && (c < 0x10000 || c > 0x10FFFF));
    if (!ok) {
      out += u'\xFFFD';
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += len;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(c, out);
  }
  return out;
}

std::string PathUtf8(const std::filesystem::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

}  // namespace

std::string FoldNameCase(std::string_view utf8) {
  if (IsAscii(utf8)) {
    std::string out(utf8);
    for (char& c : out)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
  }
  return Utf16ToUtf8(collation_system::FoldCase(Utf8ToUtf16(utf8)));
}

bool SameNameNoCase(const std::filesystem::path& a, const std::filesystem::path& b) {
  return FoldNameCase(PathUtf8(a)) == FoldNameCase(PathUtf8(b));
}

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

}  // namespace platform
