// CBrisolDoc: one opened picture. It owns the original image (kept once,
// read-only, shared with its runner and its drawings), the effect runner
// that turns it into the output picture, and the quality level; it is the
// one place where the output picture is re-created: the panels change the
// runner's effect and ask for UpdateImage, which compares the effect with
// the one the view last asked for and, when it differs, hands a snapshot to
// the document's render controller. The drawing runs on the controller's
// thread; the view keeps showing the last picture meanwhile.
//
// A document tells of its changes by signals and never calls the main
// window: whoever binds panels to documents listens.
#pragma once

#include <QObject>
#include <QSize>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "app/RenderController.h"
#include "ui/EffectDocument.h"

class QWidget;

namespace brisol {

// The name, and title, of a document made from the clipboard's picture.
inline constexpr const char* kClipboardName = "From Clip Board";

class CBrisol;
class CBrisolApp;
class CBrisolScrollView;
class CDADC;

class CBrisolDoc : public QObject, public EffectDocument {
  Q_OBJECT
 public:
  CBrisolDoc(CBrisolApp& app, QObject* parent = nullptr,
             CRenderController::Threading threading = CRenderController::Threading::Worker);
  ~CBrisolDoc() override;

  // Takes the picture; the title becomes its file name. Marks the document
  // modified, so that closing it always asks about saving.
  void SetOriginalImage(std::unique_ptr<CDADC> surface, const std::string& name);
  // Runs the objects wizard on the original and installs the new runner.
  void DWGAC();
  // Re-creates the output picture unless the view already shows (or is
  // drawing) this effect; force draws anyway (a new quality level).
  void UpdateImage(bool force) override;
  // The document's view, kept once found.
  CBrisolScrollView* GV();
  void SetView(CBrisolScrollView* view) { m_pView = view; }

  // Commands.
  void OnRunWiz();
  void OnRandomize();
  void OnSetQuality();
  // Stops the drawing under way; the view keeps the last finished picture.
  void OnStopDrawing();
  bool CanRandomize() const { return m_pBrisol != nullptr; }
  bool CanSetQuality() const;

  // The save-before-close question, naming the picture; true lets the
  // document close. A cancelled or failed save keeps it open.
  bool SaveModified();
  // Tells that the document is going and stops the drawing (waiting for
  // it) before the window goes.
  void OnCloseDocument();
  // Waits, without taking user input, until the drawings asked for have
  // ended, so that what is saved or printed is the newest picture.
  void WaitForDrawing();

  const CDADC* GetOriginal() const { return m_pOrigDADC.get(); }
  const std::shared_ptr<const CDADC>& SharedOriginal() const { return m_pOrigDADC; }
  CBrisol* GetRunner() const { return m_pBrisol.get(); }
  const std::string& ImageName() const { return m_szImageName; }
  const QString& Title() const { return m_title; }
  int Quality() const { return m_iQuality; }
  bool IsModified() const { return m_bModified; }
  CRenderController& Renderer() { return m_render; }
  CBrisolApp& App() const { return m_app; }
  // The clock Randomize takes its seed from (seconds since 1970).
  void SetClock(std::function<std::time_t()> clock) { m_clock = std::move(clock); }
  void NotifyStateChanged() { emit StateChanged(); }
  // The picture's size as it was read, before it was shrunk to fit the
  // screen (when it was).
  void SetReadSize(QSize size) { m_readSize = size; }
  QSize ReadSize() const { return m_readSize; }

 signals:
  void DrawingRequested();
  void DrawingProgress(int done, int total);
  void DrawingIdle();
  // The runner or the shown picture changed: commands may change state.
  void StateChanged();
  // The runner, and with it the effect the panels edit, is about to be
  // replaced: whatever points at the effect must let go of it now.
  void RunnerAboutToChange();
  // The objects wizard made a new runner: the panels bind to it and show.
  void RunnerInstalled();
  // The document's window is closing.
  void Closing();

 private:
  void InstallRunner(std::unique_ptr<CBrisol> runner);
  void OnPictureReady(std::shared_ptr<CDADC> picture, std::shared_ptr<const CEffect> effect, QImage shown);
  void OnPreviewReady(QImage preview, std::shared_ptr<const CEffect> effect);
  // The window the document's dialogs belong to.
  QWidget* DialogParent() const;

  CBrisolApp& m_app;
  std::shared_ptr<const CDADC> m_pOrigDADC;
  std::string m_szImageName;
  int m_iQuality = 1;
  std::unique_ptr<CBrisol> m_pBrisol;
  CBrisolScrollView* m_pView = nullptr;
  bool m_bModified = false;
  QString m_title;
  QSize m_readSize;
  std::function<std::time_t()> m_clock;
  CRenderController m_render;
};

}  // namespace brisol
