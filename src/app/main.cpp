// brisol: the desktop program.
#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Brisol");
  return 0;
}
