// CBrisolScrollView: one document's picture in its window. It shows either
// the original image or the output picture, at 10 % to 300 % in steps of
// 10 (stretched pixel by pixel, painted straight from the surfaces), keeps
// the output surface with the effect it shows and the effect it last asked
// to draw, and offers zoom, the two show commands, copy, save and a context
// menu. It knows its document, never the main window.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <memory>

class QScrollBar;

namespace brisol {

class CBrisolDoc;
class CDADC;
class CEffect;
struct SaveOptions;

class CBrisolScrollView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  static constexpr unsigned kMinZoom = 10, kMaxZoom = 300, kZoomStep = 10;

  explicit CBrisolScrollView(CBrisolDoc* doc, QWidget* parent = nullptr);
  ~CBrisolScrollView() override;

  CBrisolDoc* GetDocument() const { return m_pDoc; }
  // The surface being shown: the output picture (show 1) or the original.
  const CDADC* GetCurrentDADC() const;
  // A copy of the shown picture for the printer or the clipboard (a null
  // image when there is none).
  QImage CurrentImage() const;
  // The output surface; reported when missing.
  CDADC* GetOutputDADC() const;
  // Whether the effect equals the one last asked to draw (both absent
  // counts as equal).
  bool IsSameEffect(const CEffect* effect) const;
  // Keeps the effect the picture is being drawn from; only the compared
  // values matter, so a snapshot sharing the shapes does.
  void RememberEffect(std::shared_ptr<const CEffect> effect);
  // A finished drawing: the new output surface and the effect it shows.
  void SetOutputPicture(std::shared_ptr<CDADC> picture, std::shared_ptr<const CEffect> effect);
  // The drawing asked for was stopped: the picture on view is what the
  // next comparison is made with again.
  void ForgetUnfinishedEffect() { m_pLastEffect = m_pShownEffect; }
  // The effect the output picture on view was drawn from; null before the
  // first picture.
  const std::shared_ptr<const CEffect>& ShownEffect() const { return m_pShownEffect; }

  int GetShow() const { return m_iShow; }
  // 0 the original, 1 the output picture; repaints.
  void SetShow(int show);

  // Creates the black output surface at the original's size and sizes the
  // window to show the picture.
  void OnInitialUpdate();
  // Sets the scroll area from the shown picture and the zoom.
  void OnUpdate();
  // Sizes the window for the zoomed picture and sets the scroll area.
  void ApplyZoom();

  void OnZoomIn();
  void OnZoomOut();
  void OnZoomNormal();
  void OnViewOriginal() { SetShow(0); }
  void OnShowCreated() { SetShow(1); }
  unsigned Zoom() const { return m_iZoom; }
  // The shown picture's size at the current zoom.
  QSize ScrollAreaSize() const { return m_scrollArea; }

  // Copies the shown picture to the clipboard.
  void OnEditCopy();
  // Asks for a file and writes the shown picture; false when the user
  // cancelled or the file could not be written (which is reported).
  bool SaveImage();
  // How the shown picture is written to path: the output picture with the
  // recipe it was made from.
  SaveOptions PictureSaveOptions(const QString& path) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void UpdateScrollBars();
  void OnScrollAction(QScrollBar* bar, int action, int extent);

  CBrisolDoc* m_pDoc;
  unsigned m_iZoom = 100;
  int m_iShow = 0;
  std::shared_ptr<CDADC> m_pOutputDADC;
  std::shared_ptr<const CEffect> m_pLastEffect;   // last asked to draw
  std::shared_ptr<const CEffect> m_pShownEffect;  // of the output on view
  QSize m_scrollArea;
};

}  // namespace brisol
