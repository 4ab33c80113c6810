#include "app/HelpWindow.h"

#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/Icons.h"

// The manual is built into the program's library; its resources are
// registered on first use.
static void RegisterManual() { Q_INIT_RESOURCE(manual); }

namespace brisol {

QVariant CHelpBrowser::loadResource(int type, const QUrl& name) {
  QVariant resource = QTextBrowser::loadResource(type, name);
  if (type != QTextDocument::ImageResource) return resource;
  QImage image = resource.value<QImage>();
  if (image.isNull()) image.loadFromData(resource.toByteArray());
  const int room = std::max(viewport()->width() - 40, 400);
  if (image.isNull() || image.width() <= room) return resource;
  return image.scaledToWidth(room, Qt::SmoothTransformation);
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
  resize(900, 800);
  if (owner != nullptr) move(owner->geometry().topLeft() + QPoint(60, 40));
  // The page's width is known once the window has its size.
  layout->activate();
  m_pBrowser->setSource(QUrl(QString::fromLatin1(kManualUrl)), QTextDocument::MarkdownResource);
}

}  // namespace brisol
