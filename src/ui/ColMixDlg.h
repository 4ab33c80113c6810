// The "Coloring and Mixing" panel: where fill and outline colours come from
// and how much they vary, the outline width, the background, and how the
// finished picture is mixed with the original image.
#pragma once

#include <memory>

#include "ui/DlgHelpers.h"
#include "ui/PanelDlg.h"

namespace brisol {

class CEffect;
class EffectDocument;

class CColMixDlg : public CPanelDlg {
  Q_OBJECT
 public:
  explicit CColMixDlg(QWidget* parent);
  ~CColMixDlg() override;

  // Without a document: forget the document. With a document but no effect:
  // forget the effect. With both: bind them and load every control.
  void SetEffect(EffectDocument* doc, CEffect* effect);
  // Reloads every control from the bound effect and asks for a picture.
  void InitFromCurrentEffect();
  // The colour chooser the swatches open (QColorDialog unless replaced).
  void SetColorChooser(ColorChooser chooser);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> m;
};

}  // namespace brisol
