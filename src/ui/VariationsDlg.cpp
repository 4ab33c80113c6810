#include "ui/VariationsDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <atomic>
#include <stop_token>
#include <thread>

#include "effect/DrawJob.h"
#include "effect/Effect.h"
#include "logger/Alerts.h"
#include "raster/Dadc.h"
#include "ui/ParamTitle.h"

namespace brisol {
namespace {

constexpr int kColumns = 3;
constexpr int kMaxCellWidth = 480, kMaxCellHeight = 320;

// The largest cell picture that lets the grid and its controls fit the
// screen.
QSize BoxForScreen(const QWidget* parent) {
  const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
  const QRect room = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1280, 720);
  return QSize(std::clamp((room.width() - 120) / kColumns, 64, kMaxCellWidth),
               std::clamp((room.height() - 280) / kColumns, 48, kMaxCellHeight));
}

}  // namespace

// Draws the cells of one page, one after another, on a thread of its own;
// each drawing uses every core. Results come back as queued calls.
class CVariationsDlg::Painter {
 public:
  Painter(CVariationsDlg* dialog, const PictureSource& source, std::vector<Variation> cells, QSize size,
          unsigned generation)
      : m_thread([dialog, source, cells = std::move(cells), size, generation](std::stop_token stop) {
          Run(dialog, source, cells, size, generation, stop);
        }) {}
  void Stop() { m_thread.request_stop(); }

 private:
  static void Run(CVariationsDlg* dialog, const PictureSource& source, const std::vector<Variation>& cells, QSize size,
                  unsigned generation, std::stop_token stop) {
    // The grid tells what went wrong in its cells; nothing pops up.
    LogOnlyAlertSink quiet;
    const ScopedThreadAlertSink scoped(quiet);
    for (std::size_t i = 0; i < cells.size() && !stop.stop_requested(); ++i) {
      QImage image;
      QString problem;
      const Outcome<std::unique_ptr<CDADC>> drawn =
          DrawPicture({*cells[i].effect, *source.photo, source.quality, nullptr, stop});
      if (drawn.stopped()) break;
      if (drawn)
        image = ReducePicture(**drawn, size);
      else
        problem = QString::fromStdString(drawn.message());
      QMetaObject::invokeMethod(
          dialog,
          [dialog, generation, i, image, problem] {
            dialog->OnCellDrawn(generation, static_cast<int>(i), image, problem);
          },
          Qt::QueuedConnection);
    }
    QMetaObject::invokeMethod(
        dialog, [dialog, generation] { dialog->OnCellDrawn(generation, -1, {}, {}); }, Qt::QueuedConnection);
  }

  std::jthread m_thread;
};

CVariationsDlg::CVariationsDlg(QWidget* parent, PictureSource source, QSize box)
    : QDialog(parent), m_source(std::move(source)), m_box(box.isEmpty() ? BoxForScreen(parent) : box) {
  setObjectName(QStringLiteral("variationsDialog"));
  setWindowTitle(tr("Variations"));
  auto* layout = new QVBoxLayout(this);

  auto* top = new QHBoxLayout;
  auto* prompt = new QLabel(tr("&Vary:"), this);
  m_pVary = new QComboBox(this);
  m_pVary->setObjectName(QStringLiteral("varyCombo"));
  prompt->setBuddy(m_pVary);
  m_pVary->addItem(tr("The seed: new arrangements"));
  m_params = VariableParams(*m_source.effect);
  for (const EffectParam* p : m_params) m_pVary->addItem(ParamHeading(*p));
  m_pVary->setToolTip(tr("What changes from picture to picture; everything else stays as it is"));
  m_pMore = new QPushButton(tr("&More"), this);
  m_pMore->setObjectName(QStringLiteral("moreButton"));
  m_pMore->setToolTip(tr("Draw the next nine"));
  m_pStop = new QPushButton(tr("&Stop"), this);
  m_pStop->setObjectName(QStringLiteral("stopButton"));
  m_pStop->setToolTip(tr("Stop drawing; the pictures drawn stay"));
  top->addWidget(prompt);
  top->addWidget(m_pVary, 1);
  top->addWidget(m_pMore);
  top->addWidget(m_pStop);
  layout->addLayout(top);

  // Every cell as large as the picture reduced into the box.
  const QSize cellSize = ReducedSize(QSize(m_source.photo->GetWidth(), m_source.photo->GetHeight()), m_box);
  auto* grid = new QGridLayout;
  grid->setSpacing(6);
  for (int i = 0; i < kVariationsPerPage; ++i) {
    auto* button = new QToolButton(this);
    button->setObjectName(QStringLiteral("cell%1").arg(i));
    button->setCheckable(true);
    button->setIconSize(cellSize);
    button->setFixedSize(cellSize + QSize(10, 10));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    auto* caption = new QLabel(this);
    caption->setObjectName(QStringLiteral("caption%1").arg(i));
    caption->setAlignment(Qt::AlignHCenter);
    auto* cell = new QVBoxLayout;
    cell->setSpacing(2);
    cell->addWidget(button, 0, Qt::AlignHCenter);
    cell->addWidget(caption);
    grid->addLayout(cell, i / kColumns, i % kColumns);
    connect(button, &QToolButton::clicked, this, [this, i] { Adopt(i); });
    m_buttons.push_back(button);
    m_captions.push_back(caption);
  }
  layout->addLayout(grid);

  m_pStatus = new QLabel(this);
  m_pStatus->setObjectName(QStringLiteral("variationsStatus"));
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(m_pStatus, 1);
  bottom->addWidget(close);
  layout->addLayout(bottom);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(m_pVary, &QComboBox::activated, this,
          [this](int index) { Vary(index <= 0 ? nullptr : m_params[static_cast<std::size_t>(index - 1)]); });
  connect(m_pMore, &QPushButton::clicked, this, &CVariationsDlg::OnMore);
  connect(m_pStop, &QPushButton::clicked, this, &CVariationsDlg::OnStop);
  connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
  Start();
}

CVariationsDlg::~CVariationsDlg() { m_pPainter.reset(); }

void CVariationsDlg::Vary(const EffectParam* param) {
  m_param = param;
  m_page = 0;
  const auto at = std::find(m_params.begin(), m_params.end(), param);
  m_pVary->setCurrentIndex(param == nullptr || at == m_params.end() ? 0 : static_cast<int>(at - m_params.begin()) + 1);
  Start();
}

void CVariationsDlg::OnMore() {
  if (!HasMoreVariations(*m_source.effect, m_param, m_page)) return;
  ++m_page;
  Start();
}

void CVariationsDlg::OnStop() {
  if (m_pPainter) m_pPainter->Stop();
}

bool CVariationsDlg::IsDrawing() const { return m_pPainter != nullptr; }

QImage CVariationsDlg::CellImage(int cell) const {
  return cell >= 0 && cell < static_cast<int>(m_images.size()) ? m_images[static_cast<std::size_t>(cell)] : QImage();
}

void CVariationsDlg::Start() {
  // The page before stops first; its late results are told apart by their
  // generation and passed over.
  m_pPainter.reset();
  ++m_generation;
  m_cells = MakeVariations(*m_source.effect, m_param, m_page);
  m_images.assign(m_cells.size(), QImage());
  m_adopted = -1;
  m_drawn = 0;
  for (int i = 0; i < kVariationsPerPage; ++i) {
    QToolButton* button = m_buttons[static_cast<std::size_t>(i)];
    const bool used = i < CellCount();
    button->setVisible(used);
    m_captions[static_cast<std::size_t>(i)]->setVisible(used);
    button->setIcon(QIcon());
    button->setChecked(false);
    button->setEnabled(false);
    QFont font = m_captions[static_cast<std::size_t>(i)]->font();
    font.setBold(false);
    m_captions[static_cast<std::size_t>(i)]->setFont(font);
    button->setText(tr("drawing..."));
    button->setToolTip(QString());
    m_captions[static_cast<std::size_t>(i)]->setText(used ? CellVariation(i).caption : QString());
  }
  const QSize size = ReducedSize(QSize(m_source.photo->GetWidth(), m_source.photo->GetHeight()), m_box);
  m_pPainter = std::make_unique<Painter>(this, m_source, m_cells, size, m_generation);
  UpdateState();
}

void CVariationsDlg::OnCellDrawn(unsigned generation, int cell, const QImage& image, const QString& problem) {
  if (generation != m_generation) return;
  if (cell < 0) {
    m_pPainter.reset();
    for (int i = 0; i < CellCount(); ++i)
      if (m_images[static_cast<std::size_t>(i)].isNull() && m_buttons[static_cast<std::size_t>(i)]->toolTip().isEmpty())
        m_buttons[static_cast<std::size_t>(i)]->setText(tr("stopped"));
    UpdateState();
    emit DrawingEnded();
    return;
  }
  QToolButton* button = m_buttons[static_cast<std::size_t>(cell)];
  ++m_drawn;
  if (image.isNull()) {
    button->setText(tr("not drawn"));
    button->setToolTip(problem);
  } else {
    m_images[static_cast<std::size_t>(cell)] = image;
    button->setIcon(QIcon(QPixmap::fromImage(image)));
    button->setIconSize(image.size());
    button->setText(QString());
    button->setEnabled(true);
    button->setToolTip(tr("Take these values: %1").arg(CellVariation(cell).caption));
  }
  UpdateState();
  emit CellDrawn(cell);
}

void CVariationsDlg::Adopt(int cell) {
  if (cell < 0 || cell >= CellCount() || CellImage(cell).isNull()) return;
  m_adopted = cell;
  // The cell taken is marked, its caption too.
  for (int i = 0; i < kVariationsPerPage; ++i) {
    m_buttons[static_cast<std::size_t>(i)]->setChecked(i == cell);
    QFont font = m_captions[static_cast<std::size_t>(i)]->font();
    font.setBold(i == cell);
    m_captions[static_cast<std::size_t>(i)]->setFont(font);
  }
  if (m_adopter) m_adopter(*CellVariation(cell).effect, CellVariation(cell).caption);
  UpdateState();
}

void CVariationsDlg::UpdateState() {
  m_pStop->setEnabled(IsDrawing());
  m_pMore->setEnabled(HasMoreVariations(*m_source.effect, m_param, m_page));
  if (IsDrawing()) {
    m_pStatus->setText(tr("Drawing %1 of %2...").arg(m_drawn + 1).arg(CellCount()));
  } else if (m_adopted >= 0) {
    m_pStatus->setText(tr("The picture now has %1 (Edit > Undo takes it back).").arg(CellVariation(m_adopted).caption));
  } else {
    m_pStatus->setText(m_drawn < CellCount() ? tr("Stopped: %1 of %2 drawn.").arg(m_drawn).arg(CellCount())
                                             : tr("Click a picture to give its values to yours."));
  }
}

void CVariationsDlg::done(int result) {
  // Nothing draws for a window that is gone.
  m_pPainter.reset();
  QDialog::done(result);
}

}  // namespace brisol
