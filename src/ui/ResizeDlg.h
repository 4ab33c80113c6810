// "Resize Image": a smaller size for a picture larger than the screen, by
// percent, width or height, always keeping the picture's proportions, with
// the memory the new picture needs.
#pragma once

#include <QDialog>
#include <QString>

#include "ui/SliderPair.h"

class QLabel;

namespace brisol {

class CResizeDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CResizeDlg(QWidget* parent);

  // Set by the caller before the dialog is shown: the proposed size and the
  // picture's size. m_iWidth and m_iHeight hold the chosen size after OK.
  int m_iWidth = 0, m_iHeight = 0, m_iOrigWidth = 0, m_iOrigHeight = 0;
  double m_dPercent = 0;

  // The memory a picture of that size needs, as the dialog shows it.
  static QString MemoryText(int width, int height);

 public slots:
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void OnPercentChanged();
  void OnWidthChanged();
  void OnHeightChanged();
  void ShowMemory();

  bool m_bReady = false;
  Cisp m_Width, m_Height;
  CDblSldrPair m_Percent;
  QString m_csWidth, m_csHeight, m_csPercent;
};

}  // namespace brisol
