#include "ui/ResizeDlg.h"
#include "ui/Tell.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QVBoxLayout>
#include <cstdint>

#include "logger/Alerts.h"
#include "ui/DlgHelpers.h"
#include "ui/NumberText.h"

namespace brisol {
namespace {

constexpr int kMinSide = 10;
constexpr double kMinPercent = 10.0, kMaxPercent = 100.0;
// Whole megabytes from which the dialog asks before accepting.
constexpr unsigned kAskFromMegaBytes = 16;
constexpr int kMemoryId = 1059;

struct Group {
  QSlider* slider;
  QLineEdit* edit;
};

Group AddGroup(QWidget* parent, QVBoxLayout* layout, const char* title, int editId, int sliderId) {
  auto* group = new QGroupBox(QString::fromLatin1(title), parent);
  auto* row = new QHBoxLayout(group);
  auto* edit = new QLineEdit(group);
  edit->setObjectName(QStringLiteral("edt%1").arg(editId));
  edit->setMaxLength(10);
  edit->setAlignment(Qt::AlignRight);
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000000.00")) + 14);
  auto* slider = new QSlider(Qt::Horizontal, group);
  slider->setObjectName(QStringLiteral("sld%1").arg(sliderId));
  slider->setMinimumWidth(220);
  row->addWidget(edit);
  row->addWidget(slider, 1);
  layout->addWidget(group);
  return {slider, edit};
}

}  // namespace

CResizeDlg::CResizeDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("RESIZEDLG"));
  setWindowTitle(QStringLiteral("Resize Image"));
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  const Group percent = AddGroup(this, layout, "Percent", 1053, 1054);
  const Group width = AddGroup(this, layout, "Horizontal Pixels", 1055, 1056);
  const Group height = AddGroup(this, layout, "Vertical Pixels", 1057, 1058);
  auto* memory = new QLabel(this);
  memory->setObjectName(QStringLiteral("txt%1").arg(kMemoryId));
  layout->addWidget(memory);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &CResizeDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CResizeDlg::reject);

  // Keep the pairs' own storage out of it: each is bound to its member in
  // showEvent. A slider moved stores its value first, then the others follow.
  connect(percent.slider, &QAbstractSlider::actionTriggered, this, [this] {
    if (!m_bReady) return;
    m_Percent.OnScroll();
    Couple(Changed::Percent);
  });
  connect(width.slider, &QAbstractSlider::actionTriggered, this, [this] {
    if (!m_bReady) return;
    m_Width.OnScroll();
    Couple(Changed::Width);
  });
  connect(height.slider, &QAbstractSlider::actionTriggered, this, [this] {
    if (!m_bReady) return;
    m_Height.OnScroll();
    Couple(Changed::Height);
  });
  // A text that holds no number keeps the last valid size (and its
  // proportions); once the user is done with an edit, every edit shows the
  // size in use.
  connect(percent.edit, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!m_bReady || !ScanFloat(RemoveWhiteSpace(text)) || !m_Percent.OnEditChange()) return;
    Couple(Changed::Percent);
  });
  connect(width.edit, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!m_bReady || !ScanInt(RemoveWhiteSpace(text)) || !m_Width.OnEditChange()) return;
    Couple(Changed::Width);
  });
  connect(height.edit, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!m_bReady || !ScanInt(RemoveWhiteSpace(text)) || !m_Height.OnEditChange()) return;
    Couple(Changed::Height);
  });
  for (QLineEdit* edit : {percent.edit, width.edit, height.edit}) {
    connect(edit, &QLineEdit::editingFinished, this, [this] {
      if (!m_bReady) return;
      m_Percent.ShowValueInUse();
      m_Width.ShowValueInUse();
      m_Height.ShowValueInUse();
    });
  }
}

CResizeDlg::~CResizeDlg() {
  // An edit losing the focus as the dialog goes must not reach the pairs,
  // which go first.
  for (QLineEdit* edit : findChildren<QLineEdit*>()) disconnect(edit, nullptr, this, nullptr);
}

void CResizeDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  m_bReady = false;
  m_dPercent = m_iOrigWidth > 0 ? m_iWidth * 100.0 / m_iOrigWidth : kMaxPercent;
  auto slider = [this](int id) { return findChild<QSlider*>(QStringLiteral("sld%1").arg(id)); };
  auto edit = [this](int id) { return findChild<QLineEdit*>(QStringLiteral("edt%1").arg(id)); };
  TellFailure(m_Width.Init(&m_iWidth, kMinSide, m_iOrigWidth, &m_csWidth, edit(1055), slider(1056), this, "%d"));
  TellFailure(m_Height.Init(&m_iHeight, kMinSide, m_iOrigHeight, &m_csHeight, edit(1057), slider(1058), this, "%d"));
  TellFailure(
      m_Percent.Init(&m_dPercent, kMinPercent, kMaxPercent, &m_csPercent, edit(1053), slider(1054), this, "%6.2f"));
  m_bReady = true;
  ShowMemory();
}

void CResizeDlg::Couple(Changed changed) {
  if (!m_bReady || m_iOrigWidth <= 0 || m_iOrigHeight <= 0) return;
  const auto origW = static_cast<std::uint32_t>(m_iOrigWidth), origH = static_cast<std::uint32_t>(m_iOrigHeight);
  switch (changed) {
    case Changed::Percent:
      m_iWidth = static_cast<int>(m_dPercent * m_iOrigWidth * 0.01);
      m_iHeight = static_cast<int>(m_dPercent * m_iOrigHeight * 0.01);
      m_Width.SetVal(m_iWidth);
      m_Height.SetVal(m_iHeight);
      break;
    case Changed::Width:
      m_iHeight = static_cast<int>(origH * static_cast<std::uint32_t>(m_iWidth) / origW);
      m_Height.SetVal(m_iHeight);
      m_dPercent = m_iWidth * 100.0 / m_iOrigWidth;
      m_Percent.SetVal(m_dPercent);
      break;
    case Changed::Height:
      m_iWidth = static_cast<int>(static_cast<std::uint32_t>(m_iHeight) * origW / origH);
      m_Width.SetVal(m_iWidth);
      m_dPercent = m_iWidth * 100.0 / m_iOrigWidth;
      m_Percent.SetVal(m_dPercent);
      break;
  }
  ShowMemory();
}

unsigned CResizeDlg::MegaBytes(int width, int height) {
  const std::uint32_t bytes = 3u * static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height);
  return bytes >> 20;
}

QString CResizeDlg::MemoryText(int width, int height) {
  const std::uint32_t pixels = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height);
  const std::uint32_t bytes = 3u * pixels;
  const double megaBytes = bytes * 9.536743e-7;
  if (megaBytes >= 1.0) return FormatC("Requires %6.1f MegaBytes", megaBytes);
  return FormatC("Requires %6.1f KiloBytes", bytes * 0.0009765625);
}

void CResizeDlg::ShowMemory() {
  SetControlTxt(this, kMemoryId, "%s", MemoryText(m_iWidth, m_iHeight).toLatin1().constData());
}

void CResizeDlg::accept() {
  const unsigned megaBytes = MegaBytes(m_iWidth, m_iHeight);
  if (megaBytes >= kAskFromMegaBytes &&
      AskYesNo("You are going to need %d MBytes for the new image\nThat is a lot of MegaBytes!\nContinue ? ",
               static_cast<int>(megaBytes)) != AlertAnswer::Yes) {
    return;
  }
  QDialog::accept();
}

}  // namespace brisol
