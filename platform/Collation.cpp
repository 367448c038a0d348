#include "Collation.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include "CodePage.h"

namespace platform {
namespace {

QCollator& Collator() {
  thread_local QCollator collator = [] {
    QCollator c(QLocale::system());
    c.setCaseSensitivity(Qt::CaseInsensitive);
    c.setNumericMode(false);
    c.setIgnorePunctuation(false);
    return c;
  }();
  return collator;
}

QStringView View(std::u16string_view s) {
  return QStringView(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

int CompareUnicodeNoCase(std::u16string_view a, std::u16string_view b) {
  int r = Collator().compare(View(a), View(b));
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CompareTextNoCase(std::string_view a, std::string_view b) {
  return CompareUnicodeNoCase(CodePageToUtf16(a), CodePageToUtf16(b));
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
