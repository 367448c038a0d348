// Writes the program icon as PNG files for the desktop's icon theme: OUTDIR/SIZExSIZE/quorvex.png
// for every size given, drawn by the same code as the window's icon.
#include "views/Artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: quorvex-icon OUTDIR SIZE...\n");
    return 2;
  }
  // Drawing needs no display; the offscreen platform lets this run on a build machine without one.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString out = QString::fromLocal8Bit(argv[1]);
  for (int i = 2; i < argc; ++i) {
    int size = std::atoi(argv[i]);
    if (size < 16 || size > 1024) {
      std::fprintf(stderr, "quorvex-icon: size %s is not between 16 and 1024\n", argv[i]);
      return 2;
    }
    QString dir = out + QString("/%1x%1").arg(size);
    QString file = dir + "/quorvex.png";
    if (!QDir().mkpath(dir) || !artwork::ProgramPixmap(size).toImage().save(file, "PNG")) {
      std::fprintf(stderr, "quorvex-icon: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
