// Steps that can be undone. Each change of a picture's effect (a value, the
// collection, the seed) or of its quality is one step on its document's
// QUndoStack; a step holds the state before and after it as snapshots that
// share the shapes, so going back and forth reads no file.
#pragma once

#include <QString>
#include <QUndoCommand>
#include <memory>

namespace brisol {

class CBrisolDoc;
class CEffect;

// What a picture is made from besides its photo.
struct EffectState {
  std::shared_ptr<const CEffect> effect;
  int quality = 1;

  // The same values (as effects compare: every parameter, the seed and the
  // collection's folder) and the same quality; two empty states are equal.
  bool SameAs(const CEffect* other, int otherQuality) const;
};

// The name of the step from one state to another, as it follows "Undo":
// the one parameter that changed ("object size"), "Randomize", "collection",
// "quality", or "changes" when several did.
QString StepName(const EffectState& before, const EffectState& after);

// One step: redo puts the state after in place, undo the state before.
// The first redo, when the step is pushed, finds the change already made.
// A change still under way (a slider held, an edit not left) is an open
// step: the next state of that change merges into it, until the change is
// finished or undone; taken back to where it began, it is no step at all.
class CEffectStep : public QUndoCommand {
 public:
  CEffectStep(CBrisolDoc& doc, EffectState before, EffectState after, const QString& text, bool open = false);
  void undo() override;
  void redo() override;
  int id() const override { return 1; }
  bool mergeWith(const QUndoCommand* other) override;
  bool IsOpen() const { return m_bOpen; }

  const EffectState& Before() const { return m_before; }
  const EffectState& After() const { return m_after; }

 private:
  CBrisolDoc& m_doc;
  EffectState m_before;
  EffectState m_after;
  bool m_bMade = true;
  bool m_bOpen = false;
};

}  // namespace brisol
