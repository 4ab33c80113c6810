// Dialogs > Variations...: the picture in front as a 3 x 3 grid of
// variations (new seeds, or one parameter stepped around its value). The
// cells are drawn one after another off the window's thread, each on all
// cores, and each appears as it is done; Stop ends the drawing, "More"
// draws the next nine. Clicking a drawn cell hands its effect to the
// adopter (the document takes it as one step).
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "ui/PictureSource.h"
#include "ui/Variations.h"

class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;

namespace brisol {

class CDADC;
class CEffect;

class CVariationsDlg : public QDialog {
  Q_OBJECT
 public:
  // box: the largest size of a cell's picture (0: as the screen allows).
  CVariationsDlg(QWidget* parent, PictureSource source, QSize box = {});
  ~CVariationsDlg() override;

  // Called with a cell's effect and caption when the user clicks it.
  void SetAdopter(std::function<void(const CEffect&, const QString&)> adopter) { m_adopter = std::move(adopter); }

  // What the grid varies: null for the seed.
  void Vary(const EffectParam* param);
  void OnMore();
  void OnStop();
  // A drawn cell's values taken as the picture's.
  void Adopt(int cell);

  bool IsDrawing() const;
  int Page() const { return m_page; }
  int CellCount() const { return static_cast<int>(m_cells.size()); }
  const Variation& CellVariation(int cell) const { return m_cells[static_cast<std::size_t>(cell)]; }
  // The cell's picture; null until drawn.
  QImage CellImage(int cell) const;
  QSize CellBox() const { return m_box; }

 signals:
  void CellDrawn(int cell);
  // Every cell of the page is drawn, or the drawing was stopped.
  void DrawingEnded();

 protected:
  void done(int result) override;

 private:
  class Painter;
  void Start();
  void OnCellDrawn(unsigned generation, int cell, const QImage& image, const QString& problem);
  void UpdateState();

  PictureSource m_source;
  QSize m_box;
  const EffectParam* m_param = nullptr;
  int m_page = 0;
  std::vector<Variation> m_cells;
  std::vector<QImage> m_images;
  std::vector<QToolButton*> m_buttons;
  std::vector<QLabel*> m_captions;
  QComboBox* m_pVary = nullptr;
  QPushButton* m_pMore = nullptr;
  QPushButton* m_pStop = nullptr;
  QLabel* m_pStatus = nullptr;
  std::vector<const EffectParam*> m_params;
  std::function<void(const CEffect&, const QString&)> m_adopter;
  int m_adopted = -1;
  unsigned m_generation = 0;
  int m_drawn = 0;
  std::unique_ptr<Painter> m_pPainter;
};

}  // namespace brisol
