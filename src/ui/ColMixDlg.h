// The "Coloring and Mixing" panel: where fill and outline colours come from
// and how much they vary, the outline width, the background, and how the
// finished picture is mixed with the original image.
#pragma once

#include <memory>

#include "ui/DlgHelpers.h"
#include "ui/PanelDlg.h"

class QComboBox;

namespace brisol {

class CEffect;
class EffectDocument;

class CColMixDlg : public CPanelDlg {
  Q_OBJECT
 public:
  explicit CColMixDlg(QWidget* parent);
  ~CColMixDlg() override;

  // Without a document: forget document and effect. With a document but no
  // effect: forget the effect. With both: bind them and load every control.
  void SetEffect(EffectDocument* doc, CEffect* effect);
  // Reloads every control from the bound effect and asks for a picture.
  void InitFromCurrentEffect();
  // The colour chooser the swatches open (QColorDialog unless replaced).
  void SetColorChooser(ColorChooser chooser);

  // The default sharpness and visibility a mix geometry brings; -1 keeps
  // the current value.
  struct MixDefaults {
    int sharpness;
    int visible;
  };
  static MixDefaults DefaultsOf(int geometry);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ApplyEnabling();
  void OnHScroll();
  void OnEdit(int editId);
  void OnColorSource(QComboBox* combo, const char* key);
  void OnBackground();
  void OnGeometry();
  void OnReset();
  void OnLButtonDown(QPoint point);
  void PaintSwatch(QWidget* swatch);

  struct Impl;
  std::unique_ptr<Impl> m;
};

}  // namespace brisol
