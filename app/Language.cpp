#include "app/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace app {

namespace {

// The program's translation and Qt's, kept while installed.
std::unique_ptr<QTranslator> ownTexts, qtTexts;

}  // namespace

std::string ResolveLanguage(const std::string& setting, const QString& systemLocale) {
  if (setting == "zh" || setting == "en") return setting;
  return systemLocale == u"zh" || systemLocale.startsWith(u"zh_") ? "zh" : "en";
}

bool InstallLanguage(const std::string& language) {
  RemoveLanguage();
  const bool chinese = language == "zh";
  auto own = std::make_unique<QTranslator>();
  const bool loaded =
      own->load(chinese ? QStringLiteral(":/i18n/quorvex_zh_CN.qm") : QStringLiteral(":/i18n/quorvex_en.qm"));
  if (loaded) {
    QCoreApplication::installTranslator(own.get());
    ownTexts = std::move(own);
  }
  if (chinese) {
    // Missing where Qt's translations are not installed: Qt's dialogs then stay in English.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      QCoreApplication::installTranslator(qt.get());
      qtTexts = std::move(qt);
    }
  }
  return loaded;
}

void RemoveLanguage() {
  for (auto* t : {&ownTexts, &qtTexts}) {
    if (*t) QCoreApplication::removeTranslator(t->get());
    t->reset();
  }
}

}  // namespace app
