#include "ui/ColMixDlg.h"
#include "ui/Tell.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <array>

#include "effect/Effect.h"
#include "logger/Alerts.h"
#include "logger/Logger.h"
#include "ui/EffectDocument.h"
#include "ui/PanelControls.h"
#include "ui/PanelRows.h"

namespace brisol {
namespace {

constexpr int kRealEditChars = 10, kIntEditChars = 8;
constexpr int kPromptSharpness = 1063, kPromptVisible = 1064;

// The mix values each geometry starts from; -1 keeps the current value.
constexpr std::array<CColMixDlg::MixDefaults, ikNumMixGeoms> kMixDefaults = {{
    {-1, -1},  // Off (No Mix)
    {10, -1},  // Even
    {60, 50},  // Left-Right
    {60, 50},  // Right-Left
    {60, 50},  // Top-Bottom
    {60, 50},  // Bottom-Top
    {60, 50},  // Circular In-Out
    {60, 50},  // Circular Vignette
    {80, 55},  // Elliptical In-Out
    {75, 42},  // Elliptical Vignette
    {60, 50},  // Rectangular In-Out
    {50, 70},  // Rectangular Frame
}};

// The mix geometry chosen in the combo box; 0 with an alert without a
// selection.
int GetImageMixGeomFromCb(const QComboBox* combo) {
  if (combo->currentIndex() < 0) {
    AlertBox("GetImageMixGeomFromCb: Could not get string selection");
    return 0;
  }
  return GetMixGeomFromDesc(SelectedText(combo).toLatin1().constData());
}

// A colour swatch: a framed box the panel paints, clickable when active.
QFrame* MakeSwatch(QWidget* parent, int id) {
  auto* swatch = new QFrame(parent);
  swatch->setObjectName(QStringLiteral("swatch%1").arg(id));
  swatch->setFrameShape(QFrame::Box);
  swatch->setFixedSize(34, 22);
  return swatch;
}

}  // namespace

struct CColMixDlg::Impl {
  // A swatch, the colour parameter it shows and when it is active.
  struct Swatch {
    int id;
    const char* key;
    QFrame* frame = nullptr;
  };

  EffectDocument* doc = nullptr;
  CEffect* effect = nullptr;
  ColorChooser chooser;

  RealRow solidVar{"fill-var", 1044, 1045};
  RealRow lineVar{"line-var", 1046, 1047};
  RealRow lineWidth{"line-width", 1049, 1048};
  CountRow sharpness{"mix-sharpness", 1059, 1060};
  CountRow visible{"mix-visible", 1061, 1062};

  QComboBox* solidSource = nullptr;  // 1040
  QComboBox* lineSource = nullptr;   // 1043
  QComboBox* background = nullptr;   // 1050
  QComboBox* geometry = nullptr;     // 1058
  // In the order a click tries them.
  std::array<Swatch, 3> swatches = {{{1052, "background-color"}, {1054, "line-color"}, {1053, "fill-color"}}};

  bool Active(const Swatch& s) const { return PanelParam(s.key).inactiveBecause(*effect) == nullptr; }
  void Redraw() {
    if (doc != nullptr) doc->UpdateImage(false);
  }
};

CColMixDlg::CColMixDlg(QWidget* parent)
    : CPanelDlg(parent, "COLMIXDLG", QStringLiteral("Coloring and Mixing")), m(std::make_unique<Impl>()) {
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  // A combo box and its swatch in one row of the grid.
  auto addComboRow = [&](QGridLayout* grid, int row, QComboBox* combo, QFrame* swatch) {
    auto* line = new QHBoxLayout;
    line->addWidget(combo, 1);
    if (swatch != nullptr) line->addWidget(swatch);
    grid->addLayout(line, row, 0, 1, 3);
  };
  auto addColorSources = [&](QComboBox* combo) {
    for (int i = 0; i < ikNumColSrcs; ++i) AddSorted(combo, QString::fromLatin1(GetColSrcDesc(i)));
    SelectByText(combo, QString::fromLatin1(GetColSrcDesc(0)));
  };
  auto real = [&](QGridLayout* grid, int row, RealRow& r) {
    r.widgets = AddSliderRow(grid, row, PanelLabel(r.key), r.sliderId, r.editId, kRealEditChars);
  };

  QGridLayout* solid = AddGroup(layout, "Solid Coloring");
  solid->addWidget(new QLabel(PanelLabel("fill-source"), solid->parentWidget()), 0, 0, 1, 3);
  m->solidSource = MakeComboBox(solid->parentWidget(), 1040);
  addColorSources(m->solidSource);
  m->swatches[2].frame = MakeSwatch(solid->parentWidget(), 1053);
  addComboRow(solid, 1, m->solidSource, m->swatches[2].frame);
  real(solid, 2, m->solidVar);

  QGridLayout* outline = AddGroup(layout, "Outline Coloring");
  outline->addWidget(new QLabel(PanelLabel("line-source"), outline->parentWidget()), 0, 0, 1, 3);
  m->lineSource = MakeComboBox(outline->parentWidget(), 1043);
  addColorSources(m->lineSource);
  m->swatches[1].frame = MakeSwatch(outline->parentWidget(), 1054);
  addComboRow(outline, 1, m->lineSource, m->swatches[1].frame);
  real(outline, 2, m->lineVar);
  real(outline, 3, m->lineWidth);

  QGridLayout* back = AddGroup(layout, "Background");
  m->background = MakeComboBox(back->parentWidget(), 1050);
  for (int i = 0; i < ikNumBkgTypes; ++i) AddSorted(m->background, QString::fromLatin1(GetBkgTypeDesc(i)));
  SelectByText(m->background, QString::fromLatin1(GetBkgTypeDesc(eBkgOriginal)));
  m->swatches[0].frame = MakeSwatch(back->parentWidget(), 1052);
  addComboRow(back, 0, m->background, m->swatches[0].frame);

  QGridLayout* mix = AddGroup(layout, "Mix with original image");
  m->geometry = MakeComboBox(mix->parentWidget(), 1058);
  for (int i = 0; i < ikNumMixGeoms; ++i) m->geometry->addItem(QString::fromLatin1(GetMixGeomDesc(i)));
  SelectByPrefix(m->geometry, QString::fromLatin1(GetMixGeomDesc(0)));
  addComboRow(mix, 0, m->geometry, nullptr);
  // Each mix slider's prompt stands beside it, in the labels' column, so
  // that no prompt can be read as the other slider's.
  auto addIntRow = [&](int row, CountRow& r, int promptId) {
    r.widgets = AddSliderRow(mix, row, QStringLiteral("-"), r.sliderId, r.editId, kIntEditChars);
    r.widgets.label->setObjectName(QStringLiteral("txt%1").arg(promptId));
    r.widgets.label->clear();
  };
  addIntRow(1, m->sharpness, kPromptSharpness);
  addIntRow(2, m->visible, kPromptVisible);

  auto* reset = new QPushButton(QStringLiteral("Reset to Normal Settings"), this);
  reset->setObjectName(QStringLiteral("btn1065"));
  reset->setAutoDefault(false);
  layout->addWidget(reset, 0, Qt::AlignHCenter);

  AlignFirstColumns(this);

  for (QSlider* slider : findChildren<QSlider*>())
    connect(slider, &QAbstractSlider::actionTriggered, this, [this] { OnHScroll(); });
  for (RealRow* row : {&m->solidVar, &m->lineVar, &m->lineWidth}) {
    const int id = row->editId;
    row->Describe();
    row->RouteEdit(this, [this, id] { OnEdit(id); });
    ForwardCopyPaste(row->widgets.edit);
  }
  for (CountRow* row : {&m->sharpness, &m->visible}) {
    const int id = row->editId;
    row->Describe();
    row->RouteEdit(this, [this, id] { OnEdit(id); });
    ForwardCopyPaste(row->widgets.edit);
  }
  connect(m->solidSource, &QComboBox::activated, this, [this] { OnColorSource(m->solidSource, "fill-source"); });
  connect(m->lineSource, &QComboBox::activated, this, [this] { OnColorSource(m->lineSource, "line-source"); });
  connect(m->background, &QComboBox::activated, this, [this] { OnBackground(); });
  connect(m->geometry, &QComboBox::activated, this, [this] { OnGeometry(); });
  connect(reset, &QPushButton::clicked, this, [this] { OnReset(); });
  for (const Impl::Swatch& s : m->swatches) s.frame->installEventFilter(this);
  ReportFinishedEdits([this] { return m->doc; });
}

CColMixDlg::~CColMixDlg() {
  // An edit losing the focus as the panel goes must not reach the rows,
  // which go first.
  for (QLineEdit* edit : findChildren<QLineEdit*>()) disconnect(edit, nullptr, this, nullptr);
}

CColMixDlg::MixDefaults CColMixDlg::DefaultsOf(int geometry) {
  return geometry >= 0 && geometry < ikNumMixGeoms ? kMixDefaults[static_cast<std::size_t>(geometry)]
                                                   : MixDefaults{-1, -1};
}

void CColMixDlg::SetEffect(EffectDocument* doc, CEffect* effect) {
  if (doc == nullptr) {
    // The effect belongs to the document's runner: without a document the
    // panel keeps no effect either.
    m->doc = nullptr;
    m->effect = nullptr;
    update();
    return;
  }
  m->doc = doc;
  if (effect == nullptr) {
    m->effect = nullptr;
    update();
    return;
  }
  m->effect = effect;
  InitFromCurrentEffect();
}

void CColMixDlg::SetColorChooser(ColorChooser chooser) { m->chooser = std::move(chooser); }

void CColMixDlg::InitFromCurrentEffect() {
  if (m->effect == nullptr || m->doc == nullptr) {
    TheLogger().Log(kLogError, "InitFromCurrentEffect NULL m_pEffect or m_pBrisolDoc");
    return;
  }
  SelectByText(m->solidSource, QString::fromLatin1(GetColSrcDesc(m->effect->GetSolidColSrc())));
  SelectByText(m->lineSource, QString::fromLatin1(GetColSrcDesc(m->effect->GetLineColSrc())));
  SelectByText(m->background, QString::fromLatin1(GetBkgTypeDesc(m->effect->GetBkgType())));

  // Showing the values reads nothing back: the effect stays as it is. (A
  // message box shown meanwhile may even see the panel unbound.)
  for (RealRow* row : {&m->solidVar, &m->lineVar, &m->lineWidth}) {
    if (m->effect == nullptr) return;
    TellFailure(row->Load(*m->effect, this));
  }
  for (CountRow* row : {&m->sharpness, &m->visible}) {
    if (m->effect == nullptr) return;
    TellFailure(row->Load(*m->effect, this));
  }
  if (m->effect == nullptr) return;
  SelectByPrefix(m->geometry, QString::fromLatin1(GetMixGeomDesc(m->effect->GetMix().m_eGeom)));
  ApplyEnabling();
  m->Redraw();
}

void CColMixDlg::ApplyEnabling() {
  if (m->effect == nullptr) return;
  for (const RealRow* row : {&m->solidVar, &m->lineVar}) row->Enable(*m->effect);
  for (const CountRow* row : {&m->sharpness, &m->visible}) row->Enable(*m->effect);

  const bool even = m->effect->GetMix().m_eGeom == eMixEven;
  if (even) {
    SetControlTxt(this, kPromptSharpness, "%% of original");
    SetControlTxt(this, kPromptVisible, "%s", "");
  } else {
    SetControlTxt(this, kPromptSharpness, "%s", PanelLabel("mix-sharpness").toLatin1().constData());
    SetControlTxt(this, kPromptVisible, "%s", PanelLabel("mix-visible").toLatin1().constData());
  }
  for (const Impl::Swatch& s : m->swatches) {
    const bool active = m->Active(s);
    s.frame->setToolTip(active ? QStringLiteral("Click to choose the color") : QString());
    s.frame->setCursor(active ? Qt::PointingHandCursor : Qt::ArrowCursor);
  }
  update();
}

void CColMixDlg::OnHScroll() {
  if (m->effect == nullptr) return;
  for (RealRow* row : {&m->solidVar, &m->lineVar, &m->lineWidth}) row->pair.OnScroll();
  for (CountRow* row : {&m->sharpness, &m->visible}) row->pair.OnScroll();
  if (m->effect == nullptr) return;
  m->lineVar.Store(*m->effect);
  m->solidVar.Store(*m->effect);
  m->lineWidth.Store(*m->effect);
  m->sharpness.Store(*m->effect);
  m->visible.Store(*m->effect);
  m->Redraw();
}

void CColMixDlg::OnEdit(int editId) {
  if (m->effect == nullptr) return;
  for (RealRow* row : {&m->solidVar, &m->lineVar, &m->lineWidth}) {
    if (row->editId != editId) continue;
    if (!row->pair.OnEditChange()) return;
    row->Store(*m->effect);
  }
  for (CountRow* row : {&m->sharpness, &m->visible}) {
    if (row->editId != editId) continue;
    if (!row->pair.OnEditChange()) return;
    row->Store(*m->effect);
  }
  m->Redraw();
}

void CColMixDlg::OnColorSource(QComboBox* combo, const char* key) {
  if (m->effect == nullptr) return;
  int source = 0;
  const QString text = SelectedText(combo);
  if (text.isEmpty())
    TheLogger().Log(kLogError, "Could not get SolSrc string from CB");
  else
    source = GetColSrcFromDesc(text.toLatin1().constData());
  PanelParam(key).set(*m->effect, source);
  ApplyEnabling();
  m->Redraw();
}

void CColMixDlg::OnBackground() {
  if (m->effect == nullptr) return;
  int type = 0;
  const QString text = SelectedText(m->background);
  if (text.isEmpty())
    TheLogger().Log(kLogError, "Could not get BkgType string from CB");
  else
    type = GetBkgFromDesc(text.toLatin1().constData());
  PanelParam("background").set(*m->effect, type);
  ApplyEnabling();
  m->Redraw();
}

void CColMixDlg::OnGeometry() {
  if (m->effect == nullptr) return;
  const int geometry = GetImageMixGeomFromCb(m->geometry);
  PanelParam("mix").set(*m->effect, geometry);
  const MixDefaults defaults = DefaultsOf(geometry);
  if (defaults.sharpness >= 0) PanelParam("mix-sharpness").set(*m->effect, defaults.sharpness);
  if (defaults.visible >= 0) PanelParam("mix-visible").set(*m->effect, defaults.visible);
  ApplyEnabling();
  InitFromCurrentEffect();
  m->Redraw();
}

void CColMixDlg::OnReset() {
  if (m->effect == nullptr) return;
  const EffectParam& mix = PanelParam("mix");
  const EffectParam& sharpness = PanelParam("mix-sharpness");
  mix.set(*m->effect, mix.defaultValue);
  sharpness.set(*m->effect, sharpness.defaultValue);
  InitFromCurrentEffect();
}

void CColMixDlg::paintEvent(QPaintEvent* event) { CPanelDlg::paintEvent(event); }

void CColMixDlg::PaintSwatch(QWidget* swatch) {
  if (m->effect == nullptr) return;
  for (const Impl::Swatch& s : m->swatches) {
    if (s.frame != swatch) continue;
    // Painted in the panel's coordinates, over whatever the group box drew.
    QPainter painter(swatch);
    painter.translate(-swatch->mapTo(this, QPoint(0, 0)));
    if (m->Active(s)) {
      PaintColorRect(this, s.id, painter, static_cast<COLORREF>(PanelParam(s.key).get(*m->effect)));
      return;
    }
    QRect rect;
    if (!ControlRect(this, s.id, rect)) return;
    painter.fillRect(rect, palette().button());
    // Crossed out corner to corner; right and bottom are the exclusive edges.
    const int left = rect.left(), top = rect.top();
    const int right = left + rect.width(), bottom = top + rect.height();
    painter.setPen(palette().windowText().color());
    painter.drawLine(left, top + 1, right - 1, bottom - 1);
    painter.drawLine(right - 1, top + 1, left, bottom - 1);
  }
}

void CColMixDlg::OnLButtonDown(QPoint point) {
  if (m->effect == nullptr) return;
  bool changed = false;
  for (const Impl::Swatch& s : m->swatches) {
    if (!m->Active(s)) continue;
    const EffectParam& p = PanelParam(s.key);
    auto colour = static_cast<COLORREF>(p.get(*m->effect));
    if (PickColorOnClick(this, s.id, point, colour, m->chooser)) {
      if (m->effect == nullptr) return;
      p.set(*m->effect, colour);
      changed = true;
    }
  }
  if (!changed) return;
  update();
  m->Redraw();
  if (m->doc != nullptr) m->doc->EditFinished();
}

void CColMixDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) OnLButtonDown(event->position().toPoint());
  CPanelDlg::mousePressEvent(event);
}

bool CColMixDlg::eventFilter(QObject* watched, QEvent* event) {
  // The panel paints the swatches; their frames are drawn over afterwards.
  if (event->type() == QEvent::Paint) PaintSwatch(qobject_cast<QWidget*>(watched));
  // A click on a swatch is a click on the panel at that place.
  if (event->type() == QEvent::MouseButtonPress) {
    auto* press = static_cast<QMouseEvent*>(event);
    auto* swatch = qobject_cast<QWidget*>(watched);
    if (swatch != nullptr && press->button() == Qt::LeftButton) {
      OnLButtonDown(swatch->mapTo(this, press->position().toPoint()));
      return true;
    }
  }
  return CPanelDlg::eventFilter(watched, event);
}

}  // namespace brisol
