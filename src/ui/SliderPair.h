// Slider pairs: a horizontal slider and the line edit beside it (its buddy)
// bound to one value. Moving the slider rewrites the text and the value;
// typing moves the slider and sets the value.
//
// Cisp binds an int whose slider positions are the values themselves.
// CDblSldrPair binds a double on a slider of 0..10000 steps mapped linearly
// onto the value's range. The pairs do not know what the value means: the
// owning window routes the slider's actions (QAbstractSlider::actionTriggered)
// to OnScroll of every pair and what the user types into an edit
// (QLineEdit::textEdited) to OnEditChange of its pair, and forwards the
// values it reads back; once the user is done with the edit (Return, or
// leaving it: QLineEdit::editingFinished) the owner shows the value in use
// with ShowValueInUse.
//
// Only the user's own typing is read back: a value the pair shows (when it
// is set up, or after a slider step) is never read from its printed text,
// so showing a value never changes it.
#pragma once

#include <QString>
#include <string>

#include "logger/Outcome.h"

class QLineEdit;
class QSlider;
class QWidget;

namespace brisol {

class Cisp {
 public:
  Cisp() = default;
  Cisp(const Cisp&) = delete;
  Cisp& operator=(const Cisp&) = delete;

  // Binds the pair to its own copy of value: the value, bounds, buddy,
  // controls and format (a null one keeps the current one, "%d" at first)
  // are taken, then checked. Failed, with why, when the binding is not
  // valid (for the dialog to tell); the controls are then left as they
  // were, and the calls below leave them alone.
  Done Init(int value, int min, int max, QString* buddy, QLineEdit* edit, QSlider* slider, QWidget* dlg,
            const char* format = nullptr);
  // Binds the pair to the owner's variable.
  Done Init(int* pValue, int min, int max, QString* buddy, QLineEdit* edit, QSlider* slider, QWidget* dlg,
            const char* format = nullptr);

  // Stores and shows the slider's position.
  void OnScroll();
  // Reads the edit's text: white space removed, scanned like "%d" (a text
  // that does not scan gives the minimum), clamped; moves the slider and
  // stores the value. The text itself is left alone. False when the
  // binding is not valid.
  bool OnEditChange();
  // Shows v (clamped) on the slider and in the edit without storing it.
  void SetVal(int v);
  // Shows the bound value, replacing whatever text was typed.
  void ShowValueInUse();
  // The bound value; 0 with a message when nothing is bound.
  int GetIntVal() const;
  bool IsBound() const { return m_piVal != nullptr; }
  // Checks the binding; Failed, naming the first fault found.
  Done IsValid() const;

  int Min() const { return m_iMin; }
  int Max() const { return m_iMax; }

 private:
  Done Bind(int* pValue, int min, int max, QString* buddy, QLineEdit* edit, QSlider* slider, QWidget* dlg,
            const char* format);
  void Show(int v);

  int* m_piVal = nullptr;
  int m_iOwn = 0;
  int m_iMin = 0;
  int m_iMax = 0;
  QString* m_pcsBuddy = nullptr;
  QLineEdit* m_pEdit = nullptr;
  QWidget* m_pDlg = nullptr;
  QSlider* m_pSld = nullptr;
  std::string m_format = "%d";
};

class CDblSldrPair {
 public:
  static constexpr int kSteps = 10000;

  CDblSldrPair() = default;
  CDblSldrPair(const CDblSldrPair&) = delete;
  CDblSldrPair& operator=(const CDblSldrPair&) = delete;

  // As Cisp's, with "%6.2f" as the first format.
  Done Init(double value, double min, double max, QString* buddy, QLineEdit* edit, QSlider* slider, QWidget* dlg,
            const char* format = nullptr);
  Done Init(double* pValue, double min, double max, QString* buddy, QLineEdit* edit, QSlider* slider, QWidget* dlg,
            const char* format = nullptr);

  // Stores min + (max - min) * position / 10000 and shows it.
  void OnScroll();
  // Reads the edit's text like "%f" into a float (a text that does not
  // scan, or not a number, gives the minimum), clamps it, moves the slider
  // and stores it. The text itself is left alone.
  bool OnEditChange();
  // Shows v (clamped) on the slider and in the edit without storing it.
  void SetVal(double v);
  // Shows the bound value, replacing whatever text was typed.
  void ShowValueInUse();
  double GetVal() const;
  bool IsBound() const { return m_pVal != nullptr; }
  Done IsValid() const;

  // The slider position of a value: trunc((v - min) * 10000 / (max - min)).
  int PositionOf(double v) const;
  double Min() const { return m_dMin; }
  double Max() const { return m_dMax; }

 private:
  Done Bind(double* pValue, double min, double max, QString* buddy, QLineEdit* edit, QSlider* slider, QWidget* dlg,
            const char* format);
  void Show(double v);

  double* m_pVal = nullptr;
  QString* m_pcsBuddy = nullptr;
  QLineEdit* m_pEdit = nullptr;
  QWidget* m_pDlg = nullptr;
  QSlider* m_pSld = nullptr;
  std::string m_format = "%6.2f";
  double m_dOwn = 0.0;
  double m_dMin = 0.0;
  double m_dMax = 1.0;
};

}  // namespace brisol
