// The name collation against its references: the ASCII order rule against ICU's collator under
// every locale ICU knows, and the whole rule against the one the program used through QtCore's
// QCollator before it loaded ICU itself (case folded first, then the locale's collator at full
// strength), over generated names. ctest runs this under several locales (CMakeLists.txt).
#include <gtest/gtest.h>
#include <unicode/ucol.h>
#include <unicode/uset.h>

#include <QCollator>
#include <QLocale>
#include <QString>

#include <random>
#include <string>
#include <vector>

#include "platform/Collation.h"
#include "platform/CollationRule.h"

using namespace platform;
using namespace platform::collation_rule;

namespace {

// A collator set as the program sets its own.
UCollator* OpenCollator(const char* locale) {
  UErrorCode status = U_ZERO_ERROR;
  UCollator* c = ucol_open(locale, &status);
  ucol_setAttribute(c, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
  ucol_setAttribute(c, UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
  ucol_setAttribute(c, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
  EXPECT_TRUE(U_SUCCESS(status)) << locale;
  return c;
}

int Sign(int r) { return r < 0 ? -1 : (r > 0 ? 1 : 0); }

bool IsPrintableAscii(UChar32 c) { return c >= 0x20 && c < 0x7F; }

// Every string of one or two characters of kAsciiOrder, in the order the rule gives them.
std::vector<std::u16string> ShortNamesInRuleOrder() {
  std::vector<std::u16string> names;
  for (char a : kAsciiOrder) {
    names.push_back(std::u16string(1, static_cast<char16_t>(a)));
    for (char b : kAsciiOrder) names.push_back({static_cast<char16_t>(a), static_cast<char16_t>(b)});
  }
  std::stable_sort(names.begin(), names.end(), [](const auto& x, const auto& y) { return *CompareByAsciiOrder(x, y) < 0; });
  return names;
}

TEST(CollationRule, AsciiOrderIsTheCollatorsUnderEveryLocaleItIsUsedFor) {
  const std::vector<std::u16string> names = ShortNamesInRuleOrder();
  int checked = 0;
  for (int i = 0; i < ucol_countAvailable(); ++i) {
    const char* locale = ucol_getAvailable(i);
    if (AsciiRuleFor(locale) != TAsciiRule::Root) continue;
    ++checked;
    UCollator* c = OpenCollator(locale);
    // The collator's order is total: rising from each name to the next, it agrees on every pair.
    for (std::size_t k = 1; k < names.size(); ++k)
      ASSERT_EQ(ucol_strcoll(c, names[k - 1].data(), -1 + static_cast<int32_t>(names[k - 1].size()) + 1, names[k].data(),
                             static_cast<int32_t>(names[k].size())),
                UCOL_LESS)
          << locale << " at name " << k;
    // No contraction of ASCII characters (it would tie letters into one, as "ch" in Czech) and
    // no ASCII character spread over several weights, in any length of name.
    USet* contractions = uset_openEmpty();
    USet* expansions = uset_openEmpty();
    UErrorCode status = U_ZERO_ERROR;
    ucol_getContractionsAndExpansions(c, contractions, expansions, true, &status);
    ASSERT_TRUE(U_SUCCESS(status)) << locale;
    for (USet* set : {contractions, expansions}) {
      for (int32_t item = 0; item < uset_getItemCount(set); ++item) {
        UChar32 first = 0, last = 0;
        UChar text[64];
        status = U_ZERO_ERROR;
        const int32_t len = uset_getItem(set, item, &first, &last, text, 64, &status);
        if (len == 0) {
          EXPECT_FALSE(first <= 0x7E && last >= 0x20) << locale << " tailors ASCII U+" << std::hex << first;
        } else {
          bool allAscii = true;
          for (int32_t k = 0; k < len; ++k) allAscii = allAscii && IsPrintableAscii(text[k]);
          EXPECT_FALSE(allAscii) << locale << " contracts an ASCII string";
        }
      }
    }
    uset_close(contractions);
    uset_close(expansions);
    ucol_close(c);
  }
  EXPECT_GT(checked, 50);
}

TEST(CollationRule, LocalesThatReorderAsciiAndLocaleNamesGoToTheCollator) {
  // Each locale here orders the pair the other way round from the root order.
  struct Case {
    const char* Locale;
    std::u16string Before, After;  // by the root order
  };
  for (const Case& c : {Case{"da_DK.UTF-8", u"aa", u"b"}, Case{"nb_NO", u"aa", u"b"}, Case{"cs_CZ.UTF-8", u"ch", u"d"},
                        Case{"sk_SK", u"ch", u"d"}, Case{"hu_HU", u"csa", u"cz"}, Case{"lt_LT", u"j", u"y"},
                        Case{"et_EE", u"t", u"z"}, Case{"cy_GB", u"ch", u"ci"}, Case{"hr_HR", u"lj", u"lz"}}) {
    EXPECT_EQ(AsciiRuleFor(c.Locale), TAsciiRule::Collator) << c.Locale;
    std::string locale(c.Locale);
    UCollator* col = OpenCollator(locale.substr(0, locale.find('.')).c_str());
    EXPECT_EQ(ucol_strcoll(col, c.Before.data(), -1, c.After.data(), -1), UCOL_GREATER) << c.Locale;
    ucol_close(col);
  }
  struct NameCase {
    const char* Name;
    TAsciiRule Rule;
  };
  for (const NameCase& c : {NameCase{"", TAsciiRule::CodeUnits}, NameCase{"C", TAsciiRule::CodeUnits},
                            NameCase{"C.UTF-8", TAsciiRule::CodeUnits}, NameCase{"POSIX", TAsciiRule::CodeUnits},
                            NameCase{"zh_CN.UTF-8", TAsciiRule::Root}, NameCase{"zh-CN", TAsciiRule::Root},
                            NameCase{"zh_Hant_TW", TAsciiRule::Root}, NameCase{"de_DE@euro", TAsciiRule::Root},
                            NameCase{"es_419", TAsciiRule::Root}, NameCase{"en_US_POSIX", TAsciiRule::Collator},
                            NameCase{"de__PHONEBOOK", TAsciiRule::Collator}, NameCase{"zz_ZZ", TAsciiRule::Collator},
                            NameCase{"sr_RS@latin", TAsciiRule::Collator}})
    EXPECT_EQ(AsciiRuleFor(c.Name), c.Rule) << c.Name;
}

// The rule as the program held it through QtCore.
int QtRule(std::u16string_view a, std::u16string_view b) {
  QCollator collator(QLocale::system());
  collator.setCaseSensitivity(Qt::CaseSensitive);
  collator.setNumericMode(false);
  collator.setIgnorePunctuation(false);
  auto folded = [](std::u16string_view s) {
    return QStringView(s.data(), static_cast<qsizetype>(s.size())).toString().toCaseFolded();
  };
  return Sign(collator.compare(folded(a), folded(b)));
}

TEST(CollationRule, NamesPairAndSortAsThroughQtCore) {
  // Names of characters whose folding and order differ: ASCII of every kind, accents, width,
  // Chinese, Greek final sigma, Turkish dotted I, Danish letters, a combining accent, controls
  // (ignored by the collator), characters beyond the basic plane and just below its end.
  const std::vector<std::u16string> pool{
      u"a", u"A", u"b", u"Z", u"z", u"0", u"9", u"_", u".", u"-", u" ", u"$", u"~", u"(", u"aa", u"ch", u"ll", u"y",
      u"é", u"É", u"e\u0301", u"ß", u"ss", u"ｍ", u"Ｍ", u"m", u"阿", u"波", u"中", u"登陆", u"Σ", u"σ", u"ς",
      u"İ", u"ı", u"å", u"æ", u"ø", u"\x01", u"\t", u"\U00020000", u"\U0001F600", u"\xFFFD", u"\xFF5A"};
  std::mt19937 random(27);
  auto name = [&] {
    std::u16string s;
    const int parts = static_cast<int>(random() % 5);
    for (int i = 0; i < parts; ++i) s += pool[random() % pool.size()];
    return s;
  };
  int same = 0;
  for (int i = 0; i < 20000; ++i) {
    const std::u16string a = name(), b = i % 4 == 0 ? a : name();
    const int want = QtRule(a, b);
    ASSERT_EQ(CompareUnicodeNoCase(a, b), want) << QString::fromStdU16String(a).toStdString() << " | "
                                                << QString::fromStdU16String(b).toStdString();
    same += want == 0;
  }
  EXPECT_GT(same, 5000);
}

}  // namespace
