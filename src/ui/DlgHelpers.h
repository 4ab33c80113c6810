// Small helpers the panels and dialogs share. Controls are found by their
// number: a child whose object name is a short lower-case prefix followed by
// the number ("sld1015", "edt1016", "swatch1053", "txt1063" ...).
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <functional>
#include <string>

#include "raster/Types.h"

class QPainter;
class QWidget;

namespace brisol {

// The dialog's control numbered id, or null.
QWidget* FindControl(const QWidget* dialog, int id);

// The control's rectangle in the dialog's coordinates; false when the
// control is missing.
bool ControlRect(const QWidget* dialog, int id, QRect& rect);

// Fills the control's rectangle with the colour; "PaintColorRect %d failed"
// when the control is missing.
void PaintColorRect(const QWidget* dialog, int id, QPainter& painter, COLORREF colour);

// Enables or disables the control; "EnableDlgItemInput(%d,%d) failed" when
// it is missing.
void EnableDlgItemInput(QWidget* dialog, int id, bool enable);

// Formats printf-style and makes the result the control's text (labels,
// line edits, buttons, group boxes). Formats of 5000 characters or more
// are refused.
void SetControlTxt(QWidget* dialog, int id, const char* format, ...) __attribute__((format(printf, 3, 4)));

// Asks the user for a colour, starting from colour; true with the chosen
// colour on OK. Replaceable so that tests can answer without a person.
using ColorChooser = std::function<bool(QWidget* parent, COLORREF& colour)>;
// The platform's chooser (QColorDialog).
bool ChooseColorWithDialog(QWidget* parent, COLORREF& colour);

// When point lies strictly inside the control's rectangle, opens the chooser
// on colour; true when the user chose one (colour then holds it).
bool PickColorOnClick(QWidget* dialog, int id, QPoint point, COLORREF& colour, const ColorChooser& chooser);

// A message of the core libraries ("no photos to paint") as a window shows
// it: a sentence with a capital and a full stop.
QString Sentence(const std::string& message);

}  // namespace brisol
