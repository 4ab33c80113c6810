// The side pane of the open-image dialog: "Preview", the picture fitted into
// a frame, its width, height, colours and file size, and "Show Preview".
#pragma once

#include <QFrame>
#include <QImage>
#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;

namespace brisol {

// The frame the preview is drawn into.
class CPreviewFrame : public QFrame {
  Q_OBJECT
 public:
  CPreviewFrame(QWidget* parent, int id);
  void SetPicture(const QImage& picture);
  bool HasPicture() const { return !m_picture.isNull(); }
  // Where the picture goes in the frame's own coordinates.
  QRect PictureRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QImage m_picture;
  QImage m_scaled;  // the picture at PictureRect's size
};

class COpenImagePreview : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kFrameWidth = 180, kFrameHeight = 140;

  explicit COpenImagePreview(QWidget* parent);

  // The dialog has started: no preview, "Show Preview" as last time.
  void Start();
  // The user selected a path (file or directory).
  void OnSelChange(const QString& path);
  // The dialog is closing with OK.
  void Finish();

  const CPreviewFrame* Frame() const { return m_pFrame; }
  QString InfoText(int line) const;  // 0..3: width, height, colours, size

  // The colour line for a depth in bits per pixel.
  static QString ColorsText(int bitsPerPixel);

 private:
  void OnShowPreviewClicked(bool checked);
  void Clear();

  QString m_current;
  CPreviewFrame* m_pFrame = nullptr;
  QLabel* m_apInfo[4] = {};
  QCheckBox* m_pShow = nullptr;
};

}  // namespace brisol
