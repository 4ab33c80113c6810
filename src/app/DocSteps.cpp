// The document's steps that can be undone: each change of the effect or the
// quality becomes one step once it is finished (a panel says so, or a
// command has made it), and undo and redo put a state back in place.
#include "app/BrisolDoc.h"
#include "app/ScrollView.h"
#include "effect/Runner.h"

namespace brisol {

void CBrisolDoc::ResetSteps() {
  m_undo.clear();
  m_committed = m_pBrisol ? CurrentState() : EffectState{};
}

EffectState CBrisolDoc::CurrentState() const {
  if (!m_pBrisol) return {};
  return EffectState{m_pBrisol->GetEffect().Snapshot(), m_iQuality};
}

bool CBrisolDoc::HasUncommittedChange() const {
  return m_pBrisol && !m_committed.SameAs(&m_pBrisol->GetEffect(), m_iQuality);
}

void CBrisolDoc::CommitStep(const QString& text) {
  if (!HasUncommittedChange()) return;
  EffectState before = m_committed;
  m_committed = CurrentState();
  const QString name = text.isEmpty() ? StepName(before, m_committed) : text;
  m_undo.push(new CEffectStep(*this, std::move(before), m_committed, name));
  emit StateChanged();
}

QString CBrisolDoc::UndoText() const {
  return HasUncommittedChange() ? StepName(m_committed, CurrentState()) : m_undo.undoText();
}

void CBrisolDoc::Undo() {
  CommitStep();
  m_undo.undo();
}

void CBrisolDoc::Redo() {
  if (HasUncommittedChange()) return;  // a new change ends what could be redone
  m_undo.redo();
}

void CBrisolDoc::RestoreState(const EffectState& state) {
  if (!m_pBrisol || !state.effect) return;
  const bool newQuality = state.quality != m_iQuality;
  m_pBrisol->GetEffect().AssignShared(*state.effect);
  m_iQuality = state.quality;
  m_committed = state;
  // Drawn first, so that the panels showing the values again find the
  // picture asked for already.
  UpdateImage(newQuality);
  emit EffectReplaced();
  emit StateChanged();
}

void CBrisolDoc::ApplyAsStep(const CEffect& effect, int quality, const QString& text) {
  if (!m_pBrisol) return;
  CommitStep();
  const bool newQuality = quality != m_iQuality;
  m_pBrisol->GetEffect().AssignShared(effect);
  m_iQuality = quality;
  UpdateImage(newQuality);
  emit EffectReplaced();
  CommitStep(text);
}

}  // namespace brisol
