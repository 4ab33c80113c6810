#include "ui/ObjectPreview.h"

#include <QPainter>

#include "dxf/DxfFile.h"
#include "dxf/Matrix.h"
#include "logger/Logger.h"
#include "raster/Dadc.h"
#include "ui/DadcImage.h"

namespace brisol {
namespace {

constexpr int kMargin = 5;
// The layers' pens the preview draws with: pen 0, the plain one.
constexpr int kPreviewPen = 0;

}  // namespace

QImage DrawShapePreview(const CEntList& shape, QSize frame) {
  if (frame.width() < 1 || frame.height() < 1) return {};
  CDADC surface(SIZE{frame.width(), frame.height()}, RGB(255, 255, 255));
  if (!surface.IsValid()) return {};
  const int w = frame.width() - 2 * kMargin, h = frame.height() - 2 * kMargin;
  CMatrix transform;
  transform.MakeTransform(CVec(w, -h, 1.0), 0.0, CVec(kMargin + w / 2, kMargin + h / 2, 0.0));
  // The list draws itself: each visible layer's entities with that layer's
  // pen, nothing filled; entities on invisible layers are passed over.
  shape.DrawIntoDC(surface.GetDC(), kPreviewPen, transform);
  return ToQImage(surface);
}

QImage LoadShapePreview(const std::string& path, QSize frame) {
  CDxfFile shape;
  if (!shape.ReadFile(path.c_str(), nullptr)) {
    TheLogger().Log(kLogError, "Could not read %s\n", path.c_str());
    return {};
  }
  if (shape.GetCount() == 0) {
    TheLogger().Log(kLogError, "%s does not contain any entities\n", path.c_str());
    return {};
  }
  return DrawShapePreview(shape, frame);
}

CObjectPreview::CObjectPreview(QWidget* parent, int id) : QFrame(parent) {
  setObjectName(QStringLiteral("frm%1").arg(id));
  setFrameShape(QFrame::Box);
}

void CObjectPreview::SetPicture(const QImage& picture) {
  m_picture = picture;
  update();
}

void CObjectPreview::paintEvent(QPaintEvent* event) {
  {
    QPainter painter(this);
    if (m_picture.isNull())
      painter.fillRect(rect(), Qt::white);
    else
      painter.drawImage(0, 0, m_picture);
  }
  QFrame::paintEvent(event);
}

}  // namespace brisol
