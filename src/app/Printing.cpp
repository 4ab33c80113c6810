#include "app/Printing.h"

#include <QPainter>
#include <QPrinter>
#include <cstdint>

#include "logger/Alerts.h"

namespace brisol {

QRect PrintPlacement(QSize page, QSize picture) {
  const std::int64_t p = page.width(), q = page.height(), w = picture.width(), h = picture.height();
  if (p <= 0 || q <= 0 || w <= 0 || h <= 0) return {};
  const std::int64_t c = p * h / w;  // the height when the width fills the page
  const std::int64_t d = q * w / h;  // the width when the height fills the page
  if (c <= q) return QRect(0, static_cast<int>((q - c) / 2), static_cast<int>(p), static_cast<int>(c));
  return QRect(static_cast<int>((p - d) / 2), 0, static_cast<int>(d), static_cast<int>(q));
}

void PrintDraw(QPainter& painter, QSize page, const QImage& picture) {
  if (picture.isNull()) return;
  const QRect target = PrintPlacement(page, picture.size());
  if (target.isEmpty()) return;
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(target, picture);
}

Done BeginPrinting(QPainter& painter, QPrinter& printer, const QString& target) {
  if (painter.begin(&printer)) return {};
  const QString name = !target.isEmpty()                    ? target
                       : printer.outputFileName().isEmpty() ? printer.printerName()
                                                            : printer.outputFileName();
  return Fail("Could not start printing on <" + name.toStdString() + "> \n " + LastSystemErrorText());
}

Done PrintImage(QPrinter& printer, const QImage& picture) {
  QPainter painter;
  if (Done begun = BeginPrinting(painter, printer); !begun) return begun;
  PrintDraw(painter, QSize(printer.width(), printer.height()), picture);
  if (!painter.end()) return Fail("The printer did not take the page.");
  return {};
}

}  // namespace brisol
