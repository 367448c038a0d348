// The language of the desktop program's texts: Chinese (the texts as written in the code) or
// English, chosen by the settings file's "Language" key or, without one, by the system locale.
#pragma once

#include <QString>
#include <string>

namespace app {

// The language a "Language" setting names: "zh" or "en" as they stand; anything else (empty
// included) follows the locale `systemLocale` (a name such as "zh_CN" or "en_US"): Chinese for
// every "zh_*" locale, English otherwise.
std::string ResolveLanguage(const std::string& setting, const QString& systemLocale);

// Installs the translations of `language` ("zh" or "en") into the application, replacing those
// installed before: the program's own (":/i18n/quorvex_en.qm" or ":/i18n/quorvex_zh_CN.qm") and,
// for Chinese, Qt's own dialogs and buttons (qtbase_zh_CN.qm of Qt's translations folder).
// Returns false when the program's own file could not be loaded (its texts then stay as written).
bool InstallLanguage(const std::string& language);

// Removes what InstallLanguage installed: the texts show as written in the code again.
void RemoveLanguage();

}  // namespace app
