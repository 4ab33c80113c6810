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

bool CBrisolDoc::HasOpenStep() const {
  const auto* top = dynamic_cast<const CEffectStep*>(m_undo.command(m_undo.index() - 1));
  return top != nullptr && top->IsOpen();
}

void CBrisolDoc::NoteChange() {
  if (!HasUncommittedChange() && !HasOpenStep()) return;
  // Pushed, it merges into the open step of the same change.
  const EffectState now = CurrentState();
  m_undo.push(new CEffectStep(*this, m_committed, now, StepName(m_committed, now), /*open=*/true));
}

void CBrisolDoc::CommitStep(const QString& text) {
  if (!HasUncommittedChange()) {
    // A change taken back to where it began: its open step goes.
    if (HasOpenStep()) m_undo.push(new CEffectStep(*this, m_committed, m_committed, {}));
    return;
  }
  EffectState before = m_committed;
  m_committed = CurrentState();
  const QString name = text.isEmpty() ? StepName(before, m_committed) : text;
  // Closes the open step of the change, if there is one.
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
