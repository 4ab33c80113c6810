#include "ui/ParamDlg.h"
#include "ui/Tell.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>
#include <array>

#include "effect/Effect.h"
#include "logger/Logger.h"
#include "ui/EffectDocument.h"
#include "ui/PanelControls.h"
#include "ui/PanelRows.h"

namespace brisol {
namespace {

constexpr int kEditChars = 10;

// The size variation edit asks for a new picture only for values in the
// size's range (so a variation typed below 0.1 is stored quietly).
constexpr double kSizeVarRedrawMin = CEffect::kMinSize, kSizeVarRedrawMax = CEffect::kMaxSize;

}  // namespace

struct CParamDlg::Impl {
  EffectDocument* doc = nullptr;
  CEffect* effect = nullptr;

  RealRow size{"size", 1015, 1016};
  RealRow sizeVar{"size-var", 1019, 1020};
  RealRow angle{"angle", 1023, 1024};
  RealRow angleVar{"angle-var", 1027, 1028};
  RealRow area{"area", 1035, 1036};
  CountRow number{"objects", 1029, 1030};

  QComboBox* sizeReaction = nullptr;    // 1037
  QComboBox* angleReaction = nullptr;   // 1038
  QComboBox* numberReaction = nullptr;  // 1039

  // In the order the panel loads them.
  std::array<RealRow*, 5> RealRows() { return {&size, &sizeVar, &angle, &angleVar, &area}; }
};

CParamDlg::CParamDlg(QWidget* parent)
    : CPanelDlg(parent, "PARAMDLG", QStringLiteral("Size, Number and Angle")), m(std::make_unique<Impl>()) {
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  auto addReaction = [&](QGridLayout* grid, int id) {
    QComboBox* combo = MakeComboBox(grid->parentWidget(), id);
    // Sorted, the descriptions stand in enumerator order.
    for (int i = 0; i < ikNumReactions; ++i) AddSorted(combo, QString::fromLatin1(GetReactionDesc(i)));
    combo->setCurrentIndex(0);
    grid->addWidget(combo, 0, 0, 1, 3);
    return combo;
  };
  auto addRow = [&](QGridLayout* grid, int row, auto& r) {
    r.widgets = AddSliderRow(grid, row, PanelLabel(r.key), r.sliderId, r.editId, kEditChars);
  };

  QGridLayout* sizeGrid = AddGroup(layout, "Size of objects");
  m->sizeReaction = addReaction(sizeGrid, 1037);
  addRow(sizeGrid, 1, m->size);
  addRow(sizeGrid, 2, m->sizeVar);

  QGridLayout* numberGrid = AddGroup(layout, "Number of objects and their distribution");
  m->numberReaction = addReaction(numberGrid, 1039);
  addRow(numberGrid, 1, m->number);
  addRow(numberGrid, 2, m->area);

  QGridLayout* angleGrid = AddGroup(layout, "Angle Settings");
  m->angleReaction = addReaction(angleGrid, 1038);
  addRow(angleGrid, 1, m->angle);
  addRow(angleGrid, 2, m->angleVar);
  AlignFirstColumns(this);

  // Every slider's action is one horizontal scroll of the panel.
  for (QSlider* slider : findChildren<QSlider*>())
    connect(slider, &QAbstractSlider::actionTriggered, this, [this] { OnHScroll(); });
  for (RealRow* row : m->RealRows()) {
    row->Describe();
    row->RouteEdit(this, [this, row] { OnRealEdit(*row); });
    ForwardCopyPaste(row->widgets.edit);
  }
  m->number.Describe();
  m->number.RouteEdit(this, [this] { OnNumberEdit(); });
  ForwardCopyPaste(m->number.widgets.edit);

  connect(m->sizeReaction, &QComboBox::activated, this, [this] { OnReaction(m->sizeReaction, "size-reaction"); });
  connect(m->angleReaction, &QComboBox::activated, this, [this] { OnReaction(m->angleReaction, "angle-reaction"); });
  connect(m->numberReaction, &QComboBox::activated, this, [this] { OnReaction(m->numberReaction, "number-reaction"); });
  ReportFinishedEdits([this] { return m->doc; });
}

CParamDlg::~CParamDlg() {
  // An edit losing the focus as the panel goes must not reach the rows,
  // which go first.
  for (QLineEdit* edit : findChildren<QLineEdit*>()) disconnect(edit, nullptr, this, nullptr);
}

void CParamDlg::SetEffect(EffectDocument* doc, CEffect* effect) {
  if (doc == nullptr) {
    // A panel without a document keeps no effect either: the effect belongs
    // to the document's runner.
    m->doc = nullptr;
    m->effect = nullptr;
    return;
  }
  m->doc = doc;
  if (effect == nullptr) {
    m->effect = nullptr;
    return;
  }
  m->effect = effect;
  LoadFromEffect();
}

void CParamDlg::LoadFromEffect() {
  auto selectReaction = [](QComboBox* combo, int reaction) {
    combo->setCurrentIndex(reaction >= 0 && reaction < ikNumReactions ? reaction : 0);
  };
  selectReaction(m->sizeReaction, m->effect->GetSizeReaction());
  selectReaction(m->angleReaction, m->effect->GetAngleReaction());
  selectReaction(m->numberReaction, m->effect->GetNumObjReaction());

  // Showing the values reads nothing back: the effect stays as it is. (A
  // message box shown meanwhile may even see the panel unbound.)
  for (RealRow* row : m->RealRows()) {
    if (m->effect == nullptr) return;
    TellFailure(row->Load(*m->effect, this));
  }
  if (m->effect == nullptr) return;
  TellFailure(m->number.Load(*m->effect, this));
  ApplyEnabling();
  if (m->doc != nullptr) m->doc->UpdateImage(false);
}

void CParamDlg::ApplyEnabling() {
  if (m->effect == nullptr) return;
  for (const RealRow* row : {&m->area, &m->angle, &m->angleVar}) row->Enable(*m->effect);
}

void CParamDlg::OnHScroll() {
  if (m->effect == nullptr || m->doc == nullptr) {
    TheLogger().Log(kLogInfo, "OnHScroll with NULL members");
    return;
  }
  for (RealRow* row : {&m->size, &m->sizeVar, &m->angle, &m->angleVar}) {
    row->pair.OnScroll();
    if (m->effect == nullptr) return;
    row->Store(*m->effect);
  }
  m->number.pair.OnScroll();
  if (m->effect == nullptr) return;
  m->number.Store(*m->effect);
  m->area.pair.OnScroll();
  if (m->effect == nullptr || m->doc == nullptr) return;
  m->area.Store(*m->effect);
  m->doc->UpdateImage(false);
}

void CParamDlg::OnRealEdit(RealRow& row) {
  if (m->effect == nullptr || !row.pair.OnEditChange()) return;
  row.Store(*m->effect);
  const double value = row.pair.GetVal();
  const bool quiet = &row == &m->sizeVar && !(value >= kSizeVarRedrawMin && value <= kSizeVarRedrawMax);
  if (!quiet && m->doc != nullptr) m->doc->UpdateImage(false);
}

void CParamDlg::OnNumberEdit() {
  if (m->effect == nullptr || !m->number.pair.OnEditChange()) return;
  m->number.Store(*m->effect);
  if (m->doc != nullptr) m->doc->UpdateImage(false);
}

void CParamDlg::OnReaction(QComboBox* combo, const char* key) {
  if (m->effect == nullptr) return;
  int reaction = 0;
  if (combo->currentIndex() < 0) {
    TheLogger().Log(kLogError, "Could not get reaction selection");
  } else {
    reaction = GetReactionFromDesc(SelectedText(combo).toLatin1().constData());
  }
  PanelParam(key).set(*m->effect, reaction);
  if (m->doc != nullptr) m->doc->UpdateImage(false);
  ApplyEnabling();
}

}  // namespace brisol
