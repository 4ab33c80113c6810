// What a settings panel needs of the document whose effect it edits.
#pragma once

namespace brisol {

class EffectDocument {
 public:
  virtual ~EffectDocument() = default;
  // Re-creates the output picture unless the picture on view was made from
  // equal effect settings; force re-creates it anyway.
  virtual void UpdateImage(bool force) = 0;
  // The user has finished one change of the effect (a slider let go, a
  // value typed and left, a choice made, a colour chosen): from here on it
  // is one step that can be undone. A document without steps ignores it.
  virtual void EditFinished() {}
};

}  // namespace brisol
