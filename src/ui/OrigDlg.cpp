#include "ui/OrigDlg.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "logger/Logger.h"
#include "raster/Dadc.h"
#include "ui/DadcImage.h"
#include "ui/FitPicture.h"

namespace brisol {

constexpr int kFrameId = 1000;

COrigDlg::COrigDlg(QWidget* parent) : CPanelDlg(parent, "ORIGDLG", QStringLiteral("Original Image")) {
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  m_pFrame = new QFrame(this);
  m_pFrame->setObjectName(QStringLiteral("frm%1").arg(kFrameId));
  m_pFrame->setFixedSize(kFrameWidth, kFrameHeight);
  m_pFrame->setAutoFillBackground(false);
  layout->addWidget(m_pFrame, 0, Qt::AlignHCenter);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("btnClose"));
  close->setAutoDefault(false);
  connect(buttons, &QDialogButtonBox::rejected, this, &COrigDlg::reject);
  layout->addWidget(buttons);
}

COrigDlg::~COrigDlg() = default;

void COrigDlg::SetImage(const CDADC* image) {
  if (image == nullptr) {
    TheLogger().Log(kLogError, "COrigDlg::SetImage with NULL pointer");
    return;
  }
  if (m_pFrame == nullptr) return;
  const int side = std::max(m_pFrame->width(), m_pFrame->height());
  m_pThumb = CreateThumbnail(*image, static_cast<unsigned>(side));
  update();
}

void COrigDlg::HideImage() {
  ClearImage();
  HidePanel();
}

void COrigDlg::ClearImage() {
  m_pThumb.reset();
  update();
}

QImage COrigDlg::FramePicture() const {
  if (!m_pThumb || m_pFrame == nullptr) return {};
  // Black, with the copy fitted in its own proportions and centred.
  CDADC frame(SIZE{m_pFrame->width(), m_pFrame->height()});
  if (!frame.IsValid()) return {};
  const QRect fitted =
      FitPicture(QSize(m_pThumb->GetWidth(), m_pThumb->GetHeight()), QRect(QPoint(0, 0), m_pFrame->size()));
  DrawContext& dc = frame.GetDC();
  dc.SetStretchBltMode(COLORONCOLOR);
  dc.StretchBlt(fitted.x(), fitted.y(), fitted.width(), fitted.height(), m_pThumb->GetDC(), 0, 0, m_pThumb->GetWidth(),
                m_pThumb->GetHeight());
  return ToQImage(frame);
}

void COrigDlg::paintEvent(QPaintEvent* event) {
  CPanelDlg::paintEvent(event);
  QPainter painter(this);
  const QRect rect(m_pFrame->mapTo(this, QPoint(0, 0)), m_pFrame->size());
  const QImage picture = FramePicture();
  if (!picture.isNull()) {
    painter.drawImage(rect.topLeft(), picture);
    return;
  }
  // An empty black frame.
  painter.setPen(Qt::black);
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

}  // namespace brisol
