// "Resize Image": a smaller size for a picture larger than the screen, by
// percent, width or height, always keeping the picture's proportions, with
// the memory the new picture needs.
#pragma once

#include <QDialog>
#include <QString>

#include "ui/SliderPair.h"

namespace brisol {

class CResizeDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CResizeDlg(QWidget* parent);
  ~CResizeDlg() override;

  // Set by the caller before the dialog is shown: the proposed size and the
  // picture's size. m_iWidth and m_iHeight hold the chosen size after OK.
  int m_iWidth = 0, m_iHeight = 0, m_iOrigWidth = 0, m_iOrigHeight = 0;
  double m_dPercent = 0;

  // The memory a picture of that size needs, as the dialog shows it.
  static QString MemoryText(int width, int height);
  // Whole megabytes of a picture of that size.
  static unsigned MegaBytes(int width, int height);

 public slots:
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  enum class Changed { Percent, Width, Height };
  // The picture's other measures follow the one changed.
  void Couple(Changed changed);
  void ShowMemory();

  bool m_bReady = false;
  Cisp m_Width, m_Height;
  CDblSldrPair m_Percent;
  QString m_csWidth, m_csHeight, m_csPercent;
};

}  // namespace brisol
