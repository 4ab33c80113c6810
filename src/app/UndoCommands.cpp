#include "app/UndoCommands.h"

#include "app/BrisolDoc.h"
#include "effect/Effect.h"
#include "effect/EffectParams.h"
#include "ui/ParamTitle.h"

namespace brisol {

bool EffectState::SameAs(const CEffect* other, int otherQuality) const {
  if (!effect || other == nullptr) return !effect && other == nullptr;
  return quality == otherQuality && *effect == *other;
}

QString StepName(const EffectState& before, const EffectState& after) {
  if (!before.effect || !after.effect) return QObject::tr("changes");
  const CEffect& a = *before.effect;
  const CEffect& b = *after.effect;
  QStringList changed;
  if (a.GetEffectDir() != b.GetEffectDir()) changed << QObject::tr("collection");
  for (const EffectParam& p : EffectParams())
    if (p.get(a) != p.get(b)) changed << ParamTitle(p);
  if (a.GetSeed() != b.GetSeed()) changed << QObject::tr("Randomize");
  if (before.quality != after.quality) changed << QObject::tr("quality");
  return changed.size() == 1 ? changed.front() : QObject::tr("changes");
}

CEffectStep::CEffectStep(CBrisolDoc& doc, EffectState before, EffectState after, const QString& text, bool open)
    : QUndoCommand(text), m_doc(doc), m_before(std::move(before)), m_after(std::move(after)), m_bOpen(open) {}

void CEffectStep::undo() {
  m_bOpen = false;  // what comes after is another change
  m_doc.RestoreState(m_before);
}

bool CEffectStep::mergeWith(const QUndoCommand* other) {
  if (!m_bOpen) return false;
  const auto& next = static_cast<const CEffectStep&>(*other);  // the one kind of step
  m_after = next.m_after;
  m_bOpen = next.m_bOpen;
  setText(next.text());
  setObsolete(m_before.SameAs(m_after.effect.get(), m_after.quality));
  return true;
}

void CEffectStep::redo() {
  // Pushed once the change is made: only a later redo puts it back.
  if (m_bMade) {
    m_bMade = false;
    return;
  }
  m_doc.RestoreState(m_after);
}

}  // namespace brisol
