// brisol: the desktop program. `brisol [FILE...]` opens each picture named.
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <string>

#include "app/BrisolApp.h"
#include "logger/Alerts.h"
#include "ui/Icons.h"
#include "ui/MessageBoxAlertSink.h"

int main(int argc, char** argv) {
  // A save beyond the file-size limit fails with "File too large" and is
  // told as other failed saves are, instead of ending the program.
  std::signal(SIGXFSZ, SIG_IGN);
  // Answered without a display.
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::printf(
          "Usage: brisol [FILE...]\n\nThe Brisol desktop program; opens each picture FILE (bmp, tga, jpg, "
          "jpeg, pcx, png).\nThe manual: Help > Help Topics (F1).\n");
      return 0;
    }
    if (a == "--version") {
      std::printf("%s\n", brisol::CBrisolApp::VersionString().c_str());
      return 0;
    }
  }
  QApplication qapp(argc, argv);
  // Numbers in files and on the command line are read and written the C way.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Brisol"));
  QApplication::setOrganizationName(QStringLiteral("Brisol"));
  QApplication::setDesktopFileName(QStringLiteral("brisol"));
  QApplication::setWindowIcon(brisol::BrisolIcon(brisol::IconId::App));

  // The pictures named on the command line, made absolute before the
  // program changes its current directory.
  QStringList files;
  const QStringList arguments = QApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    files << QDir::current().absoluteFilePath(arguments[i]);
  }

  brisol::SetAlertSink(std::make_shared<brisol::MessageBoxAlertSink>());
  int rc = 1;
  {
    brisol::CBrisolApp app;
    // Pictures to open come before the splash picture.
    if (!app.InitInstance(files.isEmpty())) return 1;
    QTimer::singleShot(0, &app, [&app, files] {
      for (const QString& file : files) app.OpenImage(file);
    });
    rc = QApplication::exec();
    app.ExitInstance();
  }
  brisol::SetAlertSink(nullptr);
  return rc;
}
