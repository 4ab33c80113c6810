// Printing the shown picture: as large as the page allows with its
// proportions kept, centred in the other direction, pixel for pixel
// stretched.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include "logger/Outcome.h"

class QPainter;
class QPrinter;

namespace brisol {

// Where a picture goes on a page, both in device pixels: the full page width
// when the picture's height then fits, else the full page height.
QRect PrintPlacement(QSize page, QSize picture);

// Draws the picture on a page of that size.
void PrintDraw(QPainter& painter, QSize page, const QImage& picture);

// Starts the painter on the printer; Failed, naming the printer (or target,
// when given) and the system's cause, when it cannot start.
Done BeginPrinting(QPainter& painter, QPrinter& printer, const QString& target = {});

// Prints the picture on one page of the printer (a PDF file when the
// printer writes one).
Done PrintImage(QPrinter& printer, const QImage& picture);

}  // namespace brisol
