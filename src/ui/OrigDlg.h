// The "Original Image" panel: a reduced copy of the document's original
// image, fitted and centred into a black frame.
#pragma once

#include <QImage>
#include <memory>

#include "ui/PanelDlg.h"

class QFrame;

namespace brisol {

class CDADC;

class COrigDlg : public CPanelDlg {
  Q_OBJECT
 public:
  // The frame's size when the panel is made.
  static constexpr int kFrameWidth = 240, kFrameHeight = 180;

  explicit COrigDlg(QWidget* parent);
  ~COrigDlg() override;

  // Shows a reduced copy of the image whose longer side is the frame's
  // longer side. A null image is reported and changes nothing.
  void SetImage(const CDADC* image);
  // Drops the reduced copy and hides the panel.
  void HideImage();
  // Drops the reduced copy: the frame is empty.
  void ClearImage();

  // The reduced copy, or null.
  const CDADC* Thumbnail() const { return m_pThumb.get(); }
  // What the frame shows: the copy fitted and centred on black (null
  // without a copy).
  QImage FramePicture() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::unique_ptr<CDADC> m_pThumb;
  QFrame* m_pFrame = nullptr;
};

}  // namespace brisol
