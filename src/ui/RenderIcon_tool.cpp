// brisol-render-icon DIR: writes the program's icon as DIR/brisol-<size>.png
// (16 .. 256 pixels) and its scalable twin at 256 pixels as DIR/brisol.png,
// for the desktop files installed with the program. Needs no display.
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "ui/Icons.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: brisol-render-icon DIR\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QString dir = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(dir)) {
    std::fprintf(stderr, "brisol-render-icon: cannot make %s\n", argv[1]);
    return 1;
  }
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString path = QStringLiteral("%1/brisol-%2.png").arg(dir).arg(size);
    if (!brisol::BrisolIconPixmap(brisol::IconId::App, size).save(path)) {
      std::fprintf(stderr, "brisol-render-icon: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  if (!brisol::BrisolIconPixmap(brisol::IconId::App, 256).save(dir + QStringLiteral("/brisol.png"))) return 1;
  return 0;
}
