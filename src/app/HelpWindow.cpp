#include "app/HelpWindow.h"

#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/Icons.h"

// The manual is built into the program's library; its resources are
// registered on first use.
static void RegisterManual() { Q_INIT_RESOURCE(manual); }

namespace brisol {

CHelpBrowser::CHelpBrowser(QWidget* parent) : QTextBrowser(parent), m_pRelayout(new QTimer(this)) {
  // A window being dragged wider or narrower lays out its pictures once
  // it rests.
  m_pRelayout->setSingleShot(true);
  m_pRelayout->setInterval(150);
  connect(m_pRelayout, &QTimer::timeout, this, &CHelpBrowser::Relayout);
}

int CHelpBrowser::PictureRoom() const {
  return std::max(viewport()->width() - 2 * static_cast<int>(document()->documentMargin()) - 8, 120);
}

QVariant CHelpBrowser::loadResource(int type, const QUrl& name) {
  QVariant resource = QTextBrowser::loadResource(type, name);
  if (type != QTextDocument::ImageResource) return resource;
  QImage image = resource.value<QImage>();
  if (image.isNull()) image.loadFromData(resource.toByteArray());
  m_iLaidOutFor = viewport()->width();
  const int room = PictureRoom();
  if (image.isNull() || image.width() <= room) return resource;
  return image.scaledToWidth(room, Qt::SmoothTransformation);
}

void CHelpBrowser::resizeEvent(QResizeEvent* event) {
  QTextBrowser::resizeEvent(event);
  if (viewport()->width() != m_iLaidOutFor && !source().isEmpty()) m_pRelayout->start();
}

void CHelpBrowser::Relayout() {
  // The pictures are loaded again for the new width, the reader kept at
  // the same part of the page.
  QScrollBar* bar = verticalScrollBar();
  const double at = bar->maximum() > 0 ? double(bar->value()) / bar->maximum() : 0.0;
  reload();
  bar->setValue(static_cast<int>(at * bar->maximum()));
}

CHelpWindow::CHelpWindow(QWidget* owner) : QWidget(owner, Qt::Window), m_pBrowser(new CHelpBrowser(this)) {
  RegisterManual();
  setObjectName(QStringLiteral("helpWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(tr("Brisol Help"));
  setWindowIcon(BrisolIcon(IconId::App));
  m_pBrowser->setObjectName(QStringLiteral("helpBrowser"));
  m_pBrowser->setOpenExternalLinks(true);
  m_pBrowser->document()->setDocumentMargin(14);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_pBrowser);
  // As large as reads well, within the screen, beside the main window's
  // corner.
  const QRect screen = owner && owner->screen() ? owner->screen()->availableGeometry() : QRect(0, 0, 1280, 1024);
  resize(QSize(900, 800).boundedTo(screen.size() * 0.85));
  if (owner != nullptr) move(owner->geometry().topLeft() + QPoint(60, 40));
  auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(close, &QShortcut::activated, this, &QWidget::close);
  // The page's width is known once the window has its size.
  layout->activate();
  m_pBrowser->setSource(QUrl(QString::fromLatin1(kManualUrl)), QTextDocument::MarkdownResource);
}

}  // namespace brisol
