#include "ui/SliderPair.h"

#include <QLineEdit>
#include <QSlider>
#include <algorithm>
#include <cmath>

#include "logger/Alerts.h"
#include "logger/Format.h"
#include "ui/NumberText.h"

namespace brisol {
namespace {

// The 16-bit range of a slider the integer pairs keep to.
constexpr int kSliderLimit = 32000;

// Writes the buddy string into its edit; a text that really changes raises
// the edit's textChanged, and only then.
void PushBuddy(QLineEdit* edit, const QString& buddy) {
  if (edit->text() != buddy) edit->setText(buddy);
}

// Reads the edit's text into the buddy string.
void PullBuddy(const QLineEdit* edit, QString* buddy) { *buddy = edit->text(); }

Done CheckInt(const int* pValue, int min, int max, const QString* buddy, const QLineEdit* edit, const QSlider* slider,
              const QWidget* dlg, const std::string& format) {
  if (pValue == nullptr) {
    return Fail("USP m_piVal error.");
  }
  if (dlg == nullptr) {
    return Fail("USP : m_pDlg==NULL");
  }
  if (slider == nullptr) {
    return Fail("USP : m_pSld==NULL");
  }
  if (buddy == nullptr || edit == nullptr) {
    return Fail("USP : m_pcsBuddy==NULL");
  }
  if (max <= min) {
    return Fail(Format("USP : min max errors : \n%d <= %d ", max, min));
  }
  if (min < -kSliderLimit || max > kSliderLimit) {
    return Fail(Format("USP : min(%d) max(%d) out of 16 bit slider range : \n", min, max));
  }
  if (!IsSingleConversion(format, 'd')) {
    return Fail(Format("Cisp::USP : Format error: <%s>", format.c_str()));
  }
  return {};
}

Done CheckDouble(const double* pValue, double min, double max, const QString* buddy, const QLineEdit* edit,
                 const QSlider* slider, const QWidget* dlg, const std::string& format) {
  if (pValue == nullptr) {
    return Fail("Dsp1 : pVal==NULL");
  }
  if (dlg == nullptr) {
    return Fail("Dsp2 : pDlg==NULL");
  }
  if (slider == nullptr) {
    return Fail("Dsp3 : pSld==NULL");
  }
  if (buddy == nullptr || edit == nullptr) {
    return Fail("Dsp4 : pcsBuddy==NULL");
  }
  // Infinite or undefined bounds give no usable mapping either.
  if (!(max > min) || !std::isfinite(min) || !std::isfinite(max)) {
    return Fail(Format("Dsp5 : %6.3f <= %6.3f ", max, min));
  }
  if (format.empty() || format.front() != '%') {
    return Fail(Format("Dsp6 : Format=<%s>", format.c_str()));
  }
  if (!IsSingleConversion(format, 'f')) {
    return Fail(Format("Dsp:Format=<%s>", format.c_str()));
  }
  return {};
}

}  // namespace

// --- Cisp ----------------------------------------------------------------------

Done Cisp::Init(int value, int min, int max, QString* buddy, QLineEdit* edit, QSlider* slider, QWidget* dlg,
                const char* format) {
  m_iOwn = value;
  return Bind(&m_iOwn, min, max, buddy, edit, slider, dlg, format);
}

Done Cisp::Init(int* pValue, int min, int max, QString* buddy, QLineEdit* edit, QSlider* slider, QWidget* dlg,
                const char* format) {
  return Bind(pValue, min, max, buddy, edit, slider, dlg, format);
}

Done Cisp::Bind(int* pValue, int min, int max, QString* buddy, QLineEdit* edit, QSlider* slider, QWidget* dlg,
                const char* format) {
  // Taken first, then checked: a failed binding keeps what it was given
  // and leaves the controls alone.
  m_piVal = pValue;
  m_iMin = min;
  m_iMax = max;
  m_pcsBuddy = buddy;
  m_pEdit = edit;
  m_pSld = slider;
  m_pDlg = dlg;
  if (format != nullptr) m_format = format;
  if (Done valid = IsValid(); !valid) return valid;

  m_pSld->setRange(m_iMin, m_iMax);
  m_pSld->setSingleStep(1);
  m_pSld->setPageStep(std::max(1, (m_iMax - m_iMin) / 10));
  m_pSld->setValue(*m_piVal);
  *m_pcsBuddy = FormatInt(m_format, *m_piVal);
  PushBuddy(m_pEdit, *m_pcsBuddy);
  return {};
}

Done Cisp::IsValid() const { return CheckInt(m_piVal, m_iMin, m_iMax, m_pcsBuddy, m_pEdit, m_pSld, m_pDlg, m_format); }

void Cisp::OnScroll() {
  if (!IsValid()) return;
  *m_piVal = m_pSld->sliderPosition();
  *m_pcsBuddy = FormatInt(m_format, *m_piVal);
  PushBuddy(m_pEdit, *m_pcsBuddy);
}

bool Cisp::OnEditChange() {
  if (!IsValid()) return false;
  PullBuddy(m_pEdit, m_pcsBuddy);
  *m_pcsBuddy = RemoveWhiteSpace(*m_pcsBuddy);
  int value = m_iMin;
  if (!m_pcsBuddy->isEmpty()) value = ScanInt(*m_pcsBuddy).value_or(m_iMin);
  value = std::clamp(value, m_iMin, m_iMax);
  m_pSld->setValue(value);
  *m_piVal = value;
  return true;
}

void Cisp::SetVal(int v) {
  if (!IsValid()) return;
  Show(std::clamp(v, m_iMin, m_iMax));
}

void Cisp::ShowValueInUse() {
  if (m_piVal != nullptr) SetVal(*m_piVal);
}

void Cisp::Show(int v) {
  m_pSld->setValue(v);
  *m_pcsBuddy = FormatInt(m_format, v);
  PushBuddy(m_pEdit, *m_pcsBuddy);
}

int Cisp::GetIntVal() const {
  if (m_piVal == nullptr) {
    AlertBox("GetIntVal on empty Int Slider Pair");
    return 0;
  }
  return *m_piVal;
}

// --- CDblSldrPair ------------------------------------------------------------------

Done CDblSldrPair::Init(double value, double min, double max, QString* buddy, QLineEdit* edit, QSlider* slider,
                        QWidget* dlg, const char* format) {
  m_dOwn = value;
  return Bind(&m_dOwn, min, max, buddy, edit, slider, dlg, format);
}

Done CDblSldrPair::Init(double* pValue, double min, double max, QString* buddy, QLineEdit* edit, QSlider* slider,
                        QWidget* dlg, const char* format) {
  return Bind(pValue, min, max, buddy, edit, slider, dlg, format);
}

Done CDblSldrPair::Bind(double* pValue, double min, double max, QString* buddy, QLineEdit* edit, QSlider* slider,
                        QWidget* dlg, const char* format) {
  // Taken first, then checked, as the integer pair does.
  m_pVal = pValue;
  m_dMin = min;
  m_dMax = max;
  m_pcsBuddy = buddy;
  m_pEdit = edit;
  m_pSld = slider;
  m_pDlg = dlg;
  if (format != nullptr) m_format = format;
  if (Done valid = IsValid(); !valid) return valid;

  m_pSld->setRange(0, kSteps);
  m_pSld->setSingleStep(kSteps / 100);
  m_pSld->setPageStep(kSteps / 10);
  SetVal(*m_pVal);
  return {};
}

Done CDblSldrPair::IsValid() const {
  return CheckDouble(m_pVal, m_dMin, m_dMax, m_pcsBuddy, m_pEdit, m_pSld, m_pDlg, m_format);
}

int CDblSldrPair::PositionOf(double v) const {
  const double position = std::trunc((v - m_dMin) * kSteps / (m_dMax - m_dMin));
  if (!(position > 0)) return 0;
  return position > kSteps ? kSteps : static_cast<int>(position);
}

void CDblSldrPair::OnScroll() {
  if (m_pSld == nullptr) {
    AlertBox("CDblSldrPair::OnScroll(), m_pSld is a bad pointer:=%d", 0);
    return;
  }
  if (!IsValid()) return;
  const int position = m_pSld->sliderPosition();
  *m_pVal = m_dMin + (m_dMax - m_dMin) * position * 0.0001;
  *m_pcsBuddy = FormatDouble(m_format, *m_pVal);
  PushBuddy(m_pEdit, *m_pcsBuddy);
}

bool CDblSldrPair::OnEditChange() {
  if (!IsValid()) return false;
  PullBuddy(m_pEdit, m_pcsBuddy);
  // Read at single precision, as the value has always been read back.
  float v = ScanFloat(*m_pcsBuddy).value_or(static_cast<float>(m_dMin));
  if (v < m_dMin) v = static_cast<float>(m_dMin);
  if (v > m_dMax) v = static_cast<float>(m_dMax);
  m_pSld->setValue(PositionOf(v));
  *m_pVal = v;
  return true;
}

void CDblSldrPair::SetVal(double v) {
  if (!IsValid()) return;
  Show(std::isnan(v) ? m_dMin : std::clamp(v, m_dMin, m_dMax));
}

void CDblSldrPair::ShowValueInUse() {
  if (m_pVal != nullptr) SetVal(*m_pVal);
}

void CDblSldrPair::Show(double v) {
  m_pSld->setValue(PositionOf(v));
  *m_pcsBuddy = FormatDouble(m_format, v);
  PushBuddy(m_pEdit, *m_pcsBuddy);
}

double CDblSldrPair::GetVal() const {
  if (m_pVal == nullptr) {
    AlertBox("GetVal on empty double slider pair");
    return 0.0;
  }
  return *m_pVal;
}

}  // namespace brisol
