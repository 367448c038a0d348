#include "Collation.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include "CodePage.h"

namespace platform {
namespace {

// The user locale's collation at its full strength: letters, accents, case and width all count.
// Case is taken out before (see Folded), so that of all the differences only case does not count:
// a collator set to ignore case compares at secondary strength, which ignores width too, and
// full-width ｍ would pair with m although they are different names everywhere else.
QCollator& Collator() {
  thread_local QCollator collator = [] {
    QCollator c(QLocale::system());
    c.setCaseSensitivity(Qt::CaseSensitive);
    c.setNumericMode(false);
    c.setIgnorePunctuation(false);
    return c;
  }();
  return collator;
}

// The text with its case folded. ASCII, by far the common case, is folded in place into a
// buffer the thread keeps, so that sorting costs no allocation per comparison.
QStringView Folded(std::u16string_view s, std::u16string& buffer, QString& wide) {
  buffer.assign(s);
  for (char16_t& c : buffer) {
    if (c >= 0x80) {
      wide = QStringView(s.data(), static_cast<qsizetype>(s.size())).toString().toCaseFolded();
      return wide;
    }
    if (c >= 'A' && c <= 'Z') c = static_cast<char16_t>(c - 'A' + 'a');
  }
  return QStringView(buffer.data(), static_cast<qsizetype>(buffer.size()));
}

}  // namespace

int CompareUnicodeNoCase(std::u16string_view a, std::u16string_view b) {
  thread_local std::u16string bufferA, bufferB;
  thread_local QString wideA, wideB;
  int r = Collator().compare(Folded(a, bufferA, wideA), Folded(b, bufferB, wideB));
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CompareTextNoCase(std::string_view a, std::string_view b) {
  return CompareUnicodeNoCase(CodePageToUtf16(a), CodePageToUtf16(b));
}

int CompareNamesNoCase(std::string_view a, std::string_view b) {
  return CompareUnicodeNoCase(CodePageToUtf16(Utf8ToCodePage(a)), CodePageToUtf16(Utf8ToCodePage(b)));
}

bool SameNameNoCase(const std::filesystem::path& a, const std::filesystem::path& b) {
  QString qa = QString::fromStdString(a.string());
  QString qb = QString::fromStdString(b.string());
  return qa.compare(qb, Qt::CaseInsensitive) == 0;
}

std::string FoldNameCase(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toCaseFolded().toStdString();
}

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

}  // namespace platform
