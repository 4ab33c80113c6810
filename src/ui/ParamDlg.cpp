#include "ui/ParamDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

#include "effect/Effect.h"
#include "effect/EffectParams.h"
#include "logger/Logger.h"
#include "ui/EffectDocument.h"
#include "ui/PanelControls.h"
#include "ui/SliderPair.h"

namespace brisol {
namespace {

constexpr int kEditChars = 10;

// The size variation edit asks for a new picture only for values in the
// size's range (so a variation typed below 0.1 is stored quietly).
constexpr double kSizeVarRedrawMin = CEffect::kMinSize, kSizeVarRedrawMax = CEffect::kMaxSize;

const EffectParam& Param(const char* key) { return *FindEffectParam(key); }

}  // namespace

struct CParamDlg::Impl {
  // One floating-point row of the panel.
  struct RealRow {
    const char* key;
    int sliderId, editId;
    CDblSldrPair pair;
    QString buddy;
    SliderRow widgets;
  };

  EffectDocument* doc = nullptr;
  CEffect* effect = nullptr;

  RealRow size{"size", 1015, 1016, {}, {}, {}};
  RealRow sizeVar{"size-var", 1019, 1020, {}, {}, {}};
  RealRow angle{"angle", 1023, 1024, {}, {}, {}};
  RealRow angleVar{"angle-var", 1027, 1028, {}, {}, {}};
  RealRow area{"area", 1035, 1036, {}, {}, {}};
  Cisp number;
  QString numberBuddy;
  SliderRow numberWidgets;

  QComboBox* sizeReaction = nullptr;    // 1037
  QComboBox* angleReaction = nullptr;   // 1038
  QComboBox* numberReaction = nullptr;  // 1039

  void InitReal(RealRow& row, QWidget* dlg) {
    const EffectParam& p = Param(row.key);
    row.pair.Init(p.get(*effect), p.panelMin, p.panelMax, &row.buddy, row.widgets.edit, row.widgets.slider, dlg,
                  p.format);
  }
};

CParamDlg::CParamDlg(QWidget* parent)
    : CPanelDlg(parent, "PARAMDLG", QStringLiteral("Size, Number and Angle")), m(std::make_unique<Impl>()) {
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  auto addGroup = [&](const char* title) {
    auto* group = new QGroupBox(QString::fromLatin1(title), this);
    auto* grid = new QGridLayout(group);
    grid->setColumnStretch(1, 1);
    layout->addWidget(group);
    return grid;
  };
  auto addReaction = [&](QGridLayout* grid, int id) {
    QComboBox* combo = MakeComboBox(grid->parentWidget(), id);
    // Sorted, the descriptions stand in enumerator order.
    for (int i = 0; i < ikNumReactions; ++i) AddSorted(combo, QString::fromLatin1(GetReactionDesc(i)));
    combo->setCurrentIndex(0);
    grid->addWidget(combo, 0, 0, 1, 3);
    return combo;
  };
  auto addReal = [&](QGridLayout* grid, int row, Impl::RealRow& r) {
    r.widgets = AddSliderRow(grid, row, QString::fromLatin1(Param(r.key).label.data(), Param(r.key).label.size()),
                             r.sliderId, r.editId, kEditChars);
  };

  QGridLayout* sizeGrid = addGroup("Size of objects");
  m->sizeReaction = addReaction(sizeGrid, 1037);
  addReal(sizeGrid, 1, m->size);
  addReal(sizeGrid, 2, m->sizeVar);

  QGridLayout* numberGrid = addGroup("Number of objects and their distribution");
  m->numberReaction = addReaction(numberGrid, 1039);
  const EffectParam& objects = Param("objects");
  m->numberWidgets = AddSliderRow(numberGrid, 1, QString::fromLatin1(objects.label.data(), objects.label.size()),
                                  1029, 1030, kEditChars);
  addReal(numberGrid, 2, m->area);

  QGridLayout* angleGrid = addGroup("Angle Settings");
  m->angleReaction = addReaction(angleGrid, 1038);
  addReal(angleGrid, 1, m->angle);
  addReal(angleGrid, 2, m->angleVar);

  AlignFirstColumns(this);

  // Every slider's action is one horizontal scroll of the panel.
  for (QSlider* slider : findChildren<QSlider*>())
    connect(slider, &QAbstractSlider::actionTriggered, this, [this] { OnHScroll(); });

  auto onEdit = [this](Impl::RealRow& row) {
    connect(row.widgets.edit, &QLineEdit::textChanged, this, [this, &row] { OnRealEdit(row.key); });
    ForwardCopyPaste(row.widgets.edit);
  };
  for (Impl::RealRow* row : {&m->size, &m->sizeVar, &m->angle, &m->angleVar, &m->area}) onEdit(*row);
  connect(m->numberWidgets.edit, &QLineEdit::textChanged, this, [this] { OnNumberEdit(); });
  ForwardCopyPaste(m->numberWidgets.edit);

  connect(m->sizeReaction, &QComboBox::activated, this, [this] { OnReaction(m->sizeReaction, "size-reaction"); });
  connect(m->angleReaction, &QComboBox::activated, this,
          [this] { OnReaction(m->angleReaction, "angle-reaction"); });
  connect(m->numberReaction, &QComboBox::activated, this,
          [this] { OnReaction(m->numberReaction, "number-reaction"); });
}

CParamDlg::~CParamDlg() = default;

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

  // Each edit whose text changes reads its value back into the effect; a
  // message box shown meanwhile may even see the panel unbound.
  for (Impl::RealRow* row : {&m->size, &m->sizeVar, &m->angle, &m->angleVar, &m->area}) {
    if (m->effect == nullptr) return;
    m->InitReal(*row, this);
  }
  if (m->effect == nullptr) return;
  const EffectParam& objects = Param("objects");
  m->number.Init(static_cast<int>(objects.get(*m->effect)), static_cast<int>(objects.panelMin),
                 static_cast<int>(objects.panelMax), &m->numberBuddy, m->numberWidgets.edit,
                 m->numberWidgets.slider, this, objects.format);
  ApplyEnabling();
  if (m->doc != nullptr) m->doc->UpdateImage(false);
}

void CParamDlg::ApplyEnabling() {
  if (m->effect == nullptr) return;
  auto apply = [this](const char* key, std::initializer_list<QWidget*> controls) {
    const char* reason = Param(key).inactiveBecause(*m->effect);
    const QString tip = reason != nullptr ? QStringLiteral("Not used: %1").arg(QString::fromLatin1(reason)) : QString();
    for (QWidget* control : controls) {
      control->setEnabled(reason == nullptr);
      control->setToolTip(tip);
    }
  };
  apply("area", {m->area.widgets.slider, m->area.widgets.edit});
  apply("angle", {m->angle.widgets.slider, m->angle.widgets.edit});
  apply("angle-var", {m->angleVar.widgets.slider, m->angleVar.widgets.edit});
}

void CParamDlg::OnHScroll() {
  if (m->effect == nullptr || m->doc == nullptr) {
    TheLogger().Log(kLogInfo, "OnHScroll with NULL members");
    return;
  }
  for (Impl::RealRow* row : {&m->size, &m->sizeVar, &m->angle, &m->angleVar}) {
    row->pair.OnScroll();
    if (m->effect == nullptr) return;
    Param(row->key).set(*m->effect, row->pair.GetVal());
  }
  m->number.OnScroll();
  if (m->effect == nullptr) return;
  Param("objects").set(*m->effect, m->number.GetIntVal());
  m->area.pair.OnScroll();
  if (m->effect == nullptr) return;
  Param("area").set(*m->effect, m->area.pair.GetVal());
  m->doc->UpdateImage(false);
}

void CParamDlg::OnRealEdit(const char* key) {
  if (m->effect == nullptr) return;
  Impl::RealRow* row = nullptr;
  for (Impl::RealRow* r : {&m->size, &m->sizeVar, &m->angle, &m->angleVar, &m->area})
    if (std::string_view(r->key) == key) row = r;
  if (row == nullptr || !row->pair.OnEditChange()) return;
  const double value = row->pair.GetVal();
  Param(key).set(*m->effect, value);
  const bool quiet = row == &m->sizeVar && !(value >= kSizeVarRedrawMin && value <= kSizeVarRedrawMax);
  if (!quiet && m->doc != nullptr) m->doc->UpdateImage(false);
}

void CParamDlg::OnNumberEdit() {
  if (m->effect == nullptr || !m->number.OnEditChange()) return;
  Param("objects").set(*m->effect, m->number.GetIntVal());
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
  Param(key).set(*m->effect, reaction);
  if (m->doc != nullptr) m->doc->UpdateImage(false);
  ApplyEnabling();
}

}  // namespace brisol
