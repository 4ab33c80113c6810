#include "app/AboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/Icons.h"

namespace brisol {

CAboutDlg::CAboutDlg(QWidget* parent, const QString& version) : QDialog(parent) {
  setObjectName(QStringLiteral("aboutDlg"));
  setWindowTitle(tr("About Brisol"));
  auto* icon = new QLabel(this);
  icon->setPixmap(BrisolIconPixmap(IconId::App, 48));
  icon->setAlignment(Qt::AlignTop);
  auto* text = new QLabel(version.left(120), this);
  text->setObjectName(QStringLiteral("txt1054"));
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* blurb = new QLabel(tr("Paints photos anew with thousands of small vector shapes."), this);
  blurb->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* texts = new QVBoxLayout;
  texts->addWidget(text);
  texts->addWidget(blurb);
  texts->addStretch();
  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  top->addSpacing(12);
  top->addLayout(texts, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);
  setMinimumWidth(360);
}

}  // namespace brisol
