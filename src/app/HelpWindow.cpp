#include "app/HelpWindow.h"

#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/Icons.h"

// The manual is built into the program's library; its resources are
// registered on first use.
static void RegisterManual() { Q_INIT_RESOURCE(manual); }

namespace brisol {

CHelpWindow::CHelpWindow(QWidget* owner) : QWidget(owner, Qt::Window), m_pBrowser(new QTextBrowser(this)) {
  RegisterManual();
  setObjectName(QStringLiteral("helpWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(tr("Brisol Help"));
  setWindowIcon(BrisolIcon(IconId::App));
  m_pBrowser->setObjectName(QStringLiteral("helpBrowser"));
  m_pBrowser->setOpenExternalLinks(true);
  m_pBrowser->setSource(QUrl(QString::fromLatin1(kManualUrl)), QTextDocument::MarkdownResource);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_pBrowser);
  resize(820, 760);
}

}  // namespace brisol
