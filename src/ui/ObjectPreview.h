// The objects wizard's preview: one shape drawn into a white frame.
#pragma once

#include <QFrame>
#include <QImage>
#include <string>

namespace brisol {

class CEntList;

// The shape drawn to fit a frame of that size: 5 pixels of margin on every
// side, the drawing's unit square scaled onto the rest with y turned
// upward, centred; drawn as the drawing itself says, with its layers' pens,
// unfilled, invisible layers left out; white where there is no shape.
QImage DrawShapePreview(const CEntList& shape, QSize frame);

// Reads a shape file and draws it for the frame. A file that cannot be read,
// or holds no entities, is reported and gives a null image.
QImage LoadShapePreview(const std::string& path, QSize frame);

class CObjectPreview : public QFrame {
  Q_OBJECT
 public:
  CObjectPreview(QWidget* parent, int id);

  void SetPicture(const QImage& picture);
  const QImage& Picture() const { return m_picture; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage m_picture;
};

}  // namespace brisol
