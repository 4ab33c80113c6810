// Building blocks of the panels and dialogs: numbered controls, slider rows
// and combo boxes that behave like the classic sorted drop-down lists.
#pragma once

#include <QString>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QSlider;
class QWidget;

namespace brisol {

struct SliderRow {
  QLabel* label = nullptr;  // null when the row has none
  QSlider* slider = nullptr;
  QLineEdit* edit = nullptr;
};

// A row of grid: label (when given) in column 0, the slider ("sld<id>") in
// column 1 (0 and 1 without a label) and its edit ("edt<id>", at most maxChars characters) in column 2.
SliderRow AddSliderRow(QGridLayout* grid, int row, const QString& label, int sliderId, int editId, int maxChars);

// Gives the first column of every group's grid the same width, so that the
// sliders of all groups line up.
void AlignFirstColumns(QWidget* panel);

// The least width at which a window manager's title bar shows the window's
// whole title beside its buttons (the title in a bold face, as most window
// managers draw it).
int TitleBarWidth(const QWidget* window);

// A drop-down list named "cmb<id>".
QComboBox* MakeComboBox(QWidget* parent, int id);
// Inserts the text where a sorted list keeps it (letter case ignored).
void AddSorted(QComboBox* combo, const QString& text);
// Selects the first item equal to text (letter case ignored), or the first
// item when none is.
void SelectByText(QComboBox* combo, const QString& text);
// Selects the first item that begins with text (letter case ignored); the
// selection is left alone when none does. False then.
bool SelectByPrefix(QComboBox* combo, const QString& text);
// The selected item's text; empty without a selection.
QString SelectedText(const QComboBox* combo);

}  // namespace brisol
