// CBrisolScrollView: one document's picture in its window. It shows either
// the original image or the output picture, at 10 % to 300 % in steps of
// 10 (stretched pixel by pixel), keeps the output surface with the effect
// it shows and the effect it last asked to draw, and offers zoom, the two
// show commands, copy, save and a context menu. It knows its document,
// never the main window.
//
// A picture larger than the room its window gets is first shown whole, at
// the largest zoom step that fits. Shown reduced, the view paints images
// made at its size on the drawing thread (app/ShownPictures.h), never
// reducing a large surface while painting; while a change is drawn it shows
// the change's preview until the exact picture replaces it.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <functional>
#include <memory>

#include "logger/Outcome.h"

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
  // A finished drawing: the new output surface, the effect it shows and,
  // when it was drawn for this view's size, its reduction to that size. It
  // replaces any preview.
  void SetOutputPicture(std::shared_ptr<CDADC> picture, std::shared_ptr<const CEffect> effect, QImage shown = {});
  // A preview of a change, shown until the exact picture (or a newer
  // preview) comes.
  void SetPreview(QImage preview, std::shared_ptr<const CEffect> effect);
  // The photo and the picture reduced to the size shown (of: the picture
  // the reduction was made from).
  void SetShownPictures(QSize shown, QImage original, QImage picture, std::shared_ptr<const CDADC> of);
  // The drawing asked for was stopped: the picture on view is what the
  // next comparison is made with again, and its preview goes.
  void ForgetUnfinishedEffect();
  // The preview on view (a null image when the exact picture is shown).
  const QImage& Preview() const { return m_preview; }
  const std::shared_ptr<const CEffect>& PreviewEffect() const { return m_pPreviewEffect; }
  // The output picture as the drawing made it (null before the first).
  const std::shared_ptr<CDADC>& OutputPicture() const { return m_pOutputDADC; }
  // The size, in the screen's pixels, the picture is shown at when that is
  // smaller than the picture itself; empty when it is shown whole or larger.
  QSize ShownSize() const;
  // Whether a paint now takes the shown picture from an image made at its
  // size (no preview on view).
  bool PaintsReducedImage() const;
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
  // Asks for a file and, once the picture on view is the newest (see
  // CBrisolDoc::WhenPictureReady), writes it; saved is then told how it
  // ended: Stopped when no file was chosen. Dropped, unrun, when the
  // document closes first.
  void SaveImage(std::function<void(Done)> saved);
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
  // The image made at the shown size for what is shown now, if there is one.
  const QImage* ReducedForPaint(QSize shown) const;
  // Asks the drawing thread for the photo and the picture at the shown
  // size, once for each size and picture.
  void AskForShownPictures(QSize shown);

  CBrisolDoc* m_pDoc;
  unsigned m_iZoom = 100;
  int m_iShow = 0;
  std::shared_ptr<CDADC> m_pOutputDADC;
  std::shared_ptr<const CEffect> m_pLastEffect;   // last asked to draw
  std::shared_ptr<const CEffect> m_pShownEffect;  // of the output on view
  QSize m_scrollArea;
  // Made on the drawing thread at ShownSize(): the photo, the output picture.
  QImage m_originalShown;
  QImage m_outputShown;
  QImage m_preview;
  std::shared_ptr<const CEffect> m_pPreviewEffect;
  // The last size and picture asked for, so that each is asked once.
  QSize m_askedSize;
  std::weak_ptr<const CDADC> m_askedPicture;
  bool m_bAsked = false;
};

}  // namespace brisol
