// brisol-make-icons DIR: writes the program's icon, as the program draws
// it, at the sizes the desktop's icon theme keeps (DIR/brisol-SIZE.png).
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "ui/Icons.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: brisol-make-icons DIR\n");
    return 2;
  }
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QString file = dir.filePath(QStringLiteral("brisol-%1.png").arg(size));
    if (!brisol::BrisolIconPixmap(brisol::IconId::App, size).save(file)) {
      std::fprintf(stderr, "brisol-make-icons: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
