// What a settings panel needs of the document whose effect it edits.
#pragma once

namespace brisol {

class EffectDocument {
 public:
  virtual ~EffectDocument() = default;
  // Re-creates the output picture unless the picture on view was made from
  // equal effect settings; force re-creates it anyway.
  virtual void UpdateImage(bool force) = 0;
};

}  // namespace brisol
