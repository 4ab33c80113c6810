// Draws a document's output pictures off the user-interface thread.
//
// Each request carries a snapshot of the effect and the original, so the
// panels may go on changing the effect while a drawing runs. A newer
// request stops the running drawing at its next object (or mix row) and
// replaces a request still waiting, so at most one drawing waits however
// fast a slider moves. Finished pictures, progress and the alerts raised
// while drawing come back to the user-interface thread as queued calls;
// the alerts are shown there, in order, once their drawing has ended. A
// drawing that fails (running out of memory too) ends with one alert
// saying why, and no picture. Stop ends the drawings asked for without
// waiting. When no thread can be started the drawing runs on the calling
// thread instead and gives the same pixels.
//
// A view that shows the picture reduced gets it at the size it shows it:
// the exact picture comes with its reduction, and a job that asks for a
// preview draws one at that size first (see app/ShownPictures.h). The
// preview comes before its exact picture; a newer request stops either.
// Reducing the photo and the picture for a new zoom is a job of its own,
// done on the drawing thread before the next drawing, never stopped by one.
#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "app/ShownPictures.h"
#include "logger/Alerts.h"

namespace brisol {

class CAlertQueue;
class CDADC;
class CEffect;

struct RenderJob {
  RenderJob() = default;
  RenderJob(std::shared_ptr<const CEffect> e, std::shared_ptr<const CDADC> o, int q, QSize s = {}, bool p = false)
      : effect(std::move(e)), original(std::move(o)), quality(q), shown(s), preview(p) {}

  std::shared_ptr<const CEffect> effect;
  std::shared_ptr<const CDADC> original;
  int quality = 1;
  // The size the view shows the picture at, in the screen's pixels; empty
  // when it shows it whole or larger.
  QSize shown;
  // Draw a preview at the shown size before the exact picture.
  bool preview = false;
};

// The photo and a picture of it, to be reduced to the size a view shows
// them at.
struct ShowJob {
  std::shared_ptr<const CDADC> original;
  std::shared_ptr<const CDADC> picture;  // may be null
  QSize shown;
};

class CRenderController : public QObject {
  Q_OBJECT
 public:
  enum class Threading { Worker, CallingThread };

  // alerts: where the alerts raised while drawing are shown (not owned; null
  // shows them straight through the program's alert sink).
  explicit CRenderController(CAlertQueue* alerts, QObject* parent = nullptr, Threading threading = Threading::Worker);
  ~CRenderController() override;

  // Draws the job, stopping the running drawing and replacing a waiting one.
  void Request(RenderJob job);
  // Reduces the photo and the picture to the shown size (replacing such a
  // job still waiting); ShownReady follows. A running drawing goes on.
  void RequestShown(ShowJob job);
  // Stops the running drawing, drops a waiting one and waits for the
  // drawing thread; the alerts raised so far are then shown.
  void StopAndWait();
  // The user's Stop: the running drawing stops at its next step and a
  // waiting one is dropped, without waiting; Stopped and Idle follow once
  // the drawing has ended.
  void Stop();

  // A drawing was requested whose end has not been reported yet.
  bool IsBusy() const { return m_lastDelivered != m_lastRequested; }
  bool UsesWorkerThread() const { return m_threading == Threading::Worker; }
  int DrawingsRequested() const { return static_cast<int>(m_lastRequested); }
  // Drawings that actually began (a replaced request never begins).
  int DrawingsStarted() const { return m_started.load(); }
  // Previews that began, and that were finished (whether shown or not).
  int PreviewsStarted() const { return m_previewsStarted.load(); }
  int PreviewsFinished() const { return m_previewsFinished.load(); }
  // Reductions of the photo made so far (each size is made once and kept).
  int ReducedPhotosMade() const { return m_reducedMade.load(); }

  // Called on the drawing thread at the start of each drawing with that
  // drawing's stop token (lets tests hold a drawing).
  void SetBeforeDrawing(std::function<void(std::stop_token)> hook) { m_beforeDrawing = std::move(hook); }
  // Called on the drawing thread once a job's preview is done (handed over
  // or not), before its exact drawing.
  void SetBeforeExact(std::function<void(std::stop_token)> hook) { m_beforeExact = std::move(hook); }

  // Drawings ended on the drawing thread whose end has not reached the
  // user-interface thread yet.
  int EndedNotDelivered() const;

  // User-interface thread: a progress report of drawing id, passed on
  // unless that drawing has already ended.
  void RelayProgress(std::uint64_t id, int done, int total);

 signals:
  // A drawing was asked for (emitted at once, on the calling thread).
  void DrawingRequested();
  void DrawingStarted();
  // The part of the drawing's work done so far.
  void Progress(int done, int total);
  // A drawing finished: the output picture, the effect it shows and, when
  // its job had a shown size, the picture reduced to that size.
  void PictureReady(std::shared_ptr<CDADC> picture, std::shared_ptr<const CEffect> effect, QImage shown);
  // A preview at the shown size of a drawing whose exact picture has not
  // come yet, with the effect it shows.
  void PreviewReady(QImage preview, std::shared_ptr<const CEffect> effect);
  // A show job is done: the photo and the picture reduced to the size
  // (null images for what could not be made or was not asked).
  void ShownReady(QSize shown, QImage original, QImage picture, std::shared_ptr<const CDADC> of);
  // The drawings asked for before Stop have ended; the last of them may
  // have finished all the same.
  void Stopped();
  // Every requested drawing has ended (finished, failed or stopped).
  void Idle();

 private:
  struct Result {
    enum class Kind { Picture, Preview, Shown };
    Kind kind = Kind::Picture;
    std::uint64_t id = 0;
    bool finished = false;
    std::shared_ptr<CDADC> picture;
    std::shared_ptr<const CEffect> effect;
    QImage image;  // the picture or preview at the shown size
    // A show job's photo, size and picture.
    QImage original;
    QSize shown;
    std::shared_ptr<const CDADC> of;
    std::vector<Alert> alerts;
  };
  struct Waiting {
    RenderJob job;
    std::uint64_t id = 0;
  };

  bool StartWorker();
  // Whether the drawing thread has a drawing running or waiting.
  bool WorkerBusy() const;
  void WorkerLoop(std::stop_token quit);
  Result Draw(const RenderJob& job, std::uint64_t id, std::stop_token stop);
  // Draws the job's preview and hands it over; nothing when stopped or
  // when it fails (the exact drawing tells why).
  void DrawPreview(const RenderJob& job, std::uint64_t id, std::stop_token stop);
  Result Show(const ShowJob& job);
  // Adds a result and has the user-interface thread take it.
  void Hand(Result result);
  // User-interface thread: hands over every result the worker has finished.
  void Deliver();

  CAlertQueue* m_pAlerts;
  Threading m_threading;
  std::function<void(std::stop_token)> m_beforeDrawing;
  std::function<void(std::stop_token)> m_beforeExact;
  std::uint64_t m_lastRequested = 0;
  std::uint64_t m_lastDelivered = 0;
  // The last drawing asked for when Stop was, until its end is handed over.
  std::uint64_t m_stopPending = 0;
  std::atomic<int> m_started{0};
  std::atomic<int> m_previewsStarted{0};
  std::atomic<int> m_previewsFinished{0};
  std::atomic<int> m_reducedMade{0};
  // Used by the one thread that draws.
  CReducedPhotos m_reduced;

  mutable std::mutex m_mutex;
  std::condition_variable_any m_wake;
  std::condition_variable m_drawingEnded;
  std::optional<Waiting> m_waiting;
  std::optional<ShowJob> m_showWaiting;
  std::stop_source m_stop;
  bool m_bRunning = false;
  std::deque<Result> m_results;
  std::jthread m_thread;  // last: stopped and joined before the rest goes
};

}  // namespace brisol
