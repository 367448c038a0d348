#include "app/ExeDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace app {

namespace {
std::filesystem::path& Override() {
  static std::filesystem::path dir;
  return dir;
}

std::filesystem::path ToPath(const QString& s) { return std::filesystem::path(s.toStdString()); }
}  // namespace

void SetExeDir(const std::filesystem::path& dir) { Override() = dir; }

std::filesystem::path ExeDir() {
  if (!Override().empty()) return Override();
  QString dir = QCoreApplication::applicationDirPath();
  if (!dir.isEmpty() && QFileInfo(dir).isWritable()) return ToPath(dir);
  QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  QDir().mkpath(config);
  return ToPath(config);
}

std::filesystem::path ProgramFileWith(std::string_view extension) {
  QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
  if (base.isEmpty()) base = QCoreApplication::applicationName();
  return ExeDir() / (base.toStdString() + std::string(extension));
}

std::filesystem::path FindHelp(const std::filesystem::path& chm, const std::filesystem::path& programDir) {
  std::error_code ec;
  if (!chm.empty() && std::filesystem::is_regular_file(chm, ec)) return chm;
  if (programDir.empty()) return {};
  const std::filesystem::path manual = std::filesystem::path("manual") / "index.html";
  for (const std::filesystem::path& dir :
       {programDir / "doc", programDir / ".." / "doc", programDir / ".." / "share" / "doc" / "quorvex"}) {
    std::filesystem::path index = dir / manual;
    if (std::filesystem::is_regular_file(index, ec)) return index.lexically_normal();
  }
  return {};
}

std::filesystem::path HelpFile() {
  return FindHelp(ProgramFileWith(".chm"), ToPath(QCoreApplication::applicationDirPath()));
}

}  // namespace app
