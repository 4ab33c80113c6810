#include "app/ScrollView.h"

#include <QContextMenuEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include "app/BrisolDoc.h"
#include "app/ScrollSteps.h"
#include "app/Sfs.h"
#include "app/ShownPictures.h"
#include "effect/Effect.h"
#include "logger/Logger.h"
#include "raster/Dadc.h"
#include "ui/DadcImage.h"

namespace brisol {

CBrisolScrollView::CBrisolScrollView(CBrisolDoc* doc, QWidget* parent) : QAbstractScrollArea(parent), m_pDoc(doc) {
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setBackgroundRole(QPalette::Dark);
  viewport()->setAutoFillBackground(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
          [this](int action) { OnScrollAction(horizontalScrollBar(), action, m_scrollArea.width()); });
  connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
          [this](int action) { OnScrollAction(verticalScrollBar(), action, m_scrollArea.height()); });
}

CBrisolScrollView::~CBrisolScrollView() = default;

const CDADC* CBrisolScrollView::GetCurrentDADC() const {
  switch (m_iShow) {
    case 1:
      return m_pOutputDADC.get();
    case 0:
      break;
    default:
      TheLogger().Log(kLogError, "Bad case in GetCurrentDADC:%d", m_iShow);
      break;
  }
  return m_pDoc ? m_pDoc->GetOriginal() : nullptr;
}

QImage CBrisolScrollView::CurrentImage() const {
  const CDADC* shown = m_iShow == 1 ? m_pOutputDADC.get() : (m_pDoc ? m_pDoc->GetOriginal() : nullptr);
  return shown ? ToQImage(*shown) : QImage();
}

CDADC* CBrisolScrollView::GetOutputDADC() const {
  if (!m_pOutputDADC) TheLogger().Log(kLogError, "CBrisolScrollView::GetOutputDADC, NULL preview output");
  return m_pOutputDADC.get();
}

bool CBrisolScrollView::IsSameEffect(const CEffect* effect) const {
  if (!m_pLastEffect || effect == nullptr) return !m_pLastEffect && effect == nullptr;
  return *m_pLastEffect == *effect;
}

void CBrisolScrollView::RememberEffect(std::shared_ptr<const CEffect> effect) { m_pLastEffect = std::move(effect); }

void CBrisolScrollView::SetOutputPicture(std::shared_ptr<CDADC> picture, std::shared_ptr<const CEffect> effect,
                                         QImage shown) {
  m_pOutputDADC = std::move(picture);
  m_pShownEffect = std::move(effect);
  m_outputShown = std::move(shown);
  m_preview = QImage();
  m_pPreviewEffect.reset();
  if (m_iShow == 1) viewport()->update();
}

void CBrisolScrollView::SetPreview(QImage preview, std::shared_ptr<const CEffect> effect) {
  m_preview = std::move(preview);
  m_pPreviewEffect = std::move(effect);
  if (m_iShow == 1) viewport()->update();
}

void CBrisolScrollView::SetShownPictures(QSize shown, QImage original, QImage picture,
                                         std::shared_ptr<const CDADC> of) {
  if (shown != ShownSize()) return;  // the zoom changed again meanwhile
  if (original.size() == shown) m_originalShown = std::move(original);
  if (of && of == m_pOutputDADC && picture.size() == shown) m_outputShown = std::move(picture);
  viewport()->update();
}

void CBrisolScrollView::ForgetUnfinishedEffect() {
  m_pLastEffect = m_pShownEffect;
  if (m_preview.isNull()) return;
  m_preview = QImage();
  m_pPreviewEffect.reset();
  if (m_iShow == 1) viewport()->update();
}

QSize CBrisolScrollView::ShownSize() const {
  const CDADC* original = m_pDoc ? m_pDoc->GetOriginal() : nullptr;
  if (original == nullptr) return {};
  const QSize logical = ZoomedSize(original->GetSize(), m_iZoom);
  const qreal ratio = viewport()->devicePixelRatioF();
  const QSize shown(qRound(logical.width() * ratio), qRound(logical.height() * ratio));
  if (shown.isEmpty() || shown.width() >= original->GetWidth() || shown.height() >= original->GetHeight()) return {};
  return shown;
}

const QImage* CBrisolScrollView::ReducedForPaint(QSize shown) const {
  const QImage& reduced = m_iShow == 1 ? m_outputShown : m_originalShown;
  return !shown.isEmpty() && reduced.size() == shown ? &reduced : nullptr;
}

bool CBrisolScrollView::PaintsReducedImage() const {
  return (m_iShow != 1 || m_preview.isNull()) && ReducedForPaint(ShownSize()) != nullptr;
}

void CBrisolScrollView::AskForShownPictures(QSize shown) {
  if (m_pDoc == nullptr || !m_pDoc->SharedOriginal()) return;
  if (m_bAsked && m_askedSize == shown && m_askedPicture.lock() == m_pOutputDADC) return;
  m_bAsked = true;
  m_askedSize = shown;
  m_askedPicture = m_pOutputDADC;
  m_pDoc->Renderer().RequestShown(ShowJob{m_pDoc->SharedOriginal(), m_pOutputDADC, shown});
}

void CBrisolScrollView::SetShow(int show) {
  if (m_iShow == show) return viewport()->update();
  m_iShow = show;
  OnUpdate();
  viewport()->update();
}

void CBrisolScrollView::OnInitialUpdate() {
  const CDADC* original = m_pDoc ? m_pDoc->GetOriginal() : nullptr;
  if (original == nullptr) return;
  auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
  if (frame == nullptr) {
    TheLogger().Log(kLogError, "OnInitialUpdate: could not get parent frame");
    return;
  }
  const SIZE size = original->GetSize();
  m_pOutputDADC = std::make_shared<CDADC>(size);
  m_scrollArea = QSize(size.cx, size.cy);
  UpdateScrollBars();
  SFS(frame, size.cx, size.cy);
  // A picture larger than the room its window got is shown whole.
  const QSize room = maximumViewportSize();
  if (size.cx > room.width() || size.cy > room.height()) {
    m_iZoom = FittingZoom(size, room);
    ApplyZoom();
  }
}

void CBrisolScrollView::OnUpdate() {
  const CDADC* shown = GetCurrentDADC();
  if (shown == nullptr) return;
  const unsigned w = static_cast<unsigned>(shown->GetWidth()), h = static_cast<unsigned>(shown->GetHeight());
  if (m_iZoom == 100)
    m_scrollArea = QSize(static_cast<int>(w), static_cast<int>(h));
  else
    m_scrollArea = QSize(static_cast<int>(m_iZoom * w / 100), static_cast<int>(m_iZoom * h / 100));
  UpdateScrollBars();
}

void CBrisolScrollView::ApplyZoom() {
  const CDADC* shown = GetCurrentDADC();
  if (shown == nullptr) return;
  const unsigned w = static_cast<unsigned>(shown->GetWidth()), h = static_cast<unsigned>(shown->GetHeight());
  if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    if (m_iZoom == 100)
      SFS(frame, static_cast<int>(w), static_cast<int>(h));
    else
      SFS(frame, static_cast<int>(m_iZoom * w / 100), static_cast<int>(m_iZoom * h / 100));
  }
  OnUpdate();
}

void CBrisolScrollView::OnZoomIn() {
  if (m_iZoom < kMaxZoom) m_iZoom += kZoomStep;
  if (m_iZoom > kMaxZoom) m_iZoom = kMaxZoom;
  ApplyZoom();
  viewport()->update();
}

void CBrisolScrollView::OnZoomOut() {
  if (m_iZoom > kMinZoom) m_iZoom -= kZoomStep;
  if (m_iZoom < kMinZoom) m_iZoom = kMinZoom;
  ApplyZoom();
  viewport()->update();
}

void CBrisolScrollView::OnZoomNormal() {
  m_iZoom = 100;
  ApplyZoom();
  viewport()->update();
}

void CBrisolScrollView::UpdateScrollBars() {
  // A picture that fits once the scroll bars are gone needs none.
  QSize room = viewport()->size();
  const QSize most = maximumViewportSize();
  if (m_scrollArea.width() <= most.width() && m_scrollArea.height() <= most.height()) room = most;
  const ScrollSteps h = ScrollStepsFor(m_scrollArea.width()), v = ScrollStepsFor(m_scrollArea.height());
  QScrollBar* hbar = horizontalScrollBar();
  hbar->setRange(0, std::max(0, m_scrollArea.width() - room.width()));
  hbar->setPageStep(room.width());  // the handle shows how much is in view
  hbar->setSingleStep(h.line);
  QScrollBar* vbar = verticalScrollBar();
  vbar->setRange(0, std::max(0, m_scrollArea.height() - room.height()));
  vbar->setPageStep(room.height());
  vbar->setSingleStep(v.line);
}

void CBrisolScrollView::OnScrollAction(QScrollBar* bar, int action, int extent) {
  // A page is a tenth of the scroll area, whatever part of it is in view.
  const int page = ScrollStepsFor(extent).page;
  if (action == QAbstractSlider::SliderPageStepAdd) bar->setSliderPosition(bar->value() + page);
  if (action == QAbstractSlider::SliderPageStepSub) bar->setSliderPosition(std::max(0, bar->value() - page));
}

void CBrisolScrollView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void CBrisolScrollView::scrollContentsBy(int, int) { viewport()->update(); }

void CBrisolScrollView::paintEvent(QPaintEvent*) {
  const CDADC* shown = m_iShow == 1 ? m_pOutputDADC.get() : (m_pDoc ? m_pDoc->GetOriginal() : nullptr);
  if (shown == nullptr) return;
  QPainter painter(viewport());
  const QPoint origin(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
  const QRect area(origin, m_iZoom == 100 ? QSize(shown->GetWidth(), shown->GetHeight()) : m_scrollArea);
  if (m_iShow == 1 && !m_preview.isNull()) {
    // Small, and at this size unless the zoom changed since it was asked.
    painter.drawImage(area, m_preview);
    return;
  }
  const QSize reducedSize = ShownSize();
  if (const QImage* reduced = ReducedForPaint(reducedSize)) {
    painter.drawImage(area, *reduced);
    return;
  }
  // Until the reduced picture comes (after a new zoom), the surface itself.
  if (!reducedSize.isEmpty()) AskForShownPictures(reducedSize);
  PaintDadc(painter, *shown, area);
}

void CBrisolScrollView::contextMenuEvent(QContextMenuEvent* event) {
  if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    if (QMdiArea* area = frame->mdiArea()) area->setActiveSubWindow(frame);
  }
  QMenu menu(this);
  menu.addAction(tr("&Wizard"), this, [this] { m_pDoc->OnRunWiz(); });
  menu.addAction(tr("Show &Original Image"), this, [this] { OnViewOriginal(); });
  menu.addAction(tr("Show Final Image"), this, [this] { OnShowCreated(); });
  menu.exec(event->globalPos());
}

}  // namespace brisol
