#include "app/RenderController.h"

#include <algorithm>
#include <system_error>

#include "app/AlertQueue.h"
#include "effect/DrawJob.h"
#include "effect/Runner.h"
#include "logger/Logger.h"
#include "raster/Dadc.h"
#include "ui/DadcImage.h"

namespace brisol {
namespace {

// Passes the drawing's progress to the user-interface thread.
class ProgressRelay : public DrawObserver {
 public:
  ProgressRelay(CRenderController* controller, std::uint64_t id) : m_controller(controller), m_id(id) {}
  void Progress(std::size_t done, std::size_t total) override {
    const int d = static_cast<int>(done), t = static_cast<int>(total);
    CRenderController* controller = m_controller;
    const std::uint64_t id = m_id;
    QMetaObject::invokeMethod(
        controller, [controller, id, d, t] { controller->RelayProgress(id, d, t); }, Qt::QueuedConnection);
  }

 private:
  CRenderController* m_controller;
  std::uint64_t m_id;
};

}  // namespace

CRenderController::CRenderController(CAlertQueue* alerts, QObject* parent, Threading threading)
    : QObject(parent), m_pAlerts(alerts), m_threading(threading) {}

CRenderController::~CRenderController() {
  StopAndWait();
  if (m_thread.joinable()) {
    m_thread.request_stop();
    m_thread.join();
  }
}

bool CRenderController::StartWorker() {
  if (m_thread.joinable()) return true;
  try {
    m_thread = std::jthread([this](std::stop_token quit) { WorkerLoop(quit); });
    return true;
  } catch (const std::system_error& error) {
    TheLogger().Log(kLogInfo, "No drawing thread (%s): drawing on the calling thread\n", error.what());
    m_threading = Threading::CallingThread;
    return false;
  }
}

void CRenderController::Request(RenderJob job) {
  const std::uint64_t id = ++m_lastRequested;
  emit DrawingRequested();
  if (m_threading == Threading::Worker && StartWorker()) {
    std::lock_guard lock(m_mutex);
    if (m_bRunning) m_stop.request_stop();
    m_waiting = Waiting{std::move(job), id};
    m_wake.notify_all();
    return;
  }
  Result result = Draw(job, id, std::stop_token{});
  {
    std::lock_guard lock(m_mutex);
    m_results.push_back(std::move(result));
  }
  Deliver();
}

void CRenderController::RequestShown(ShowJob job) {
  if (m_threading == Threading::Worker && StartWorker()) {
    std::lock_guard lock(m_mutex);
    m_showWaiting = std::move(job);
    m_wake.notify_all();
    return;
  }
  Hand(Show(job));
}

void CRenderController::StopAndWait() {
  {
    std::unique_lock lock(m_mutex);
    m_waiting.reset();
    if (m_bRunning) m_stop.request_stop();
    m_drawingEnded.wait(lock, [this] { return !m_bRunning; });
  }
  Deliver();
  if (IsBusy()) {
    // The dropped request never reports back.
    m_lastDelivered = m_lastRequested;
    emit Idle();
  }
}

void CRenderController::Stop() {
  if (!IsBusy()) return;
  {
    std::lock_guard lock(m_mutex);
    m_waiting.reset();
    if (m_bRunning) m_stop.request_stop();
  }
  m_stopPending = m_lastRequested;
  // The running drawing's end comes back as usual; without one, nothing
  // will.
  if (!WorkerBusy())
    QMetaObject::invokeMethod(
        this, [this] { Deliver(); }, Qt::QueuedConnection);
}

bool CRenderController::WorkerBusy() const {
  std::lock_guard lock(m_mutex);
  return m_bRunning || m_waiting.has_value();
}

void CRenderController::WorkerLoop(std::stop_token quit) {
  std::unique_lock lock(m_mutex);
  for (;;) {
    if (!m_wake.wait(lock, quit, [this] { return m_waiting.has_value() || m_showWaiting.has_value(); })) return;
    if (m_showWaiting) {
      // Quick, and what the view shows at its new size: before any drawing.
      ShowJob show = std::move(*m_showWaiting);
      m_showWaiting.reset();
      lock.unlock();
      Result shown = Show(show);
      lock.lock();
      m_results.push_back(std::move(shown));
      QMetaObject::invokeMethod(
          this, [this] { Deliver(); }, Qt::QueuedConnection);
      continue;
    }
    Waiting next = std::move(*m_waiting);
    m_waiting.reset();
    m_stop = std::stop_source();
    const std::stop_token stop = m_stop.get_token();
    m_bRunning = true;
    lock.unlock();
    Result result = Draw(next.job, next.id, stop);
    lock.lock();
    m_bRunning = false;
    m_results.push_back(std::move(result));
    m_drawingEnded.notify_all();
    QMetaObject::invokeMethod(
        this, [this] { Deliver(); }, Qt::QueuedConnection);
  }
}

CRenderController::Result CRenderController::Draw(const RenderJob& job, std::uint64_t id, std::stop_token stop) {
  Result result;
  result.id = id;
  Done ended;
  CCollectingAlertSink sink;
  {
    const ScopedThreadAlertSink collect(sink);
    ++m_started;
    if (m_beforeDrawing) m_beforeDrawing(stop);
    QMetaObject::invokeMethod(
        this, [this] { emit DrawingStarted(); }, Qt::QueuedConnection);
    const bool preview = job.effect && job.original && job.preview && !job.shown.isEmpty();
    if (preview) {
      DrawPreview(job, id, stop);
      if (m_beforeExact) m_beforeExact(stop);
    }
    // Stopped during its preview, the exact picture is not begun (a drawing
    // stopped before it is, to tell why it could not be made).
    if (job.effect && job.original && !(preview && stop.stop_requested())) {
      ProgressRelay progress(this, id);
      Outcome<std::unique_ptr<CDADC>> drawn =
          DrawPicture({*job.effect, *job.original, job.quality, &progress, stop});
      // What the view shows of it, made here rather than at each paint.
      if (drawn && !job.shown.isEmpty()) {
        auto shown = TryAllocate("the picture as shown", [&] { return ReducedImage(**drawn, job.shown); });
        if (shown)
          result.image = std::move(*shown);
        else
          drawn = std::move(shown).failure();
      }
      if (drawn) {
        result.finished = true;
        result.picture = std::move(*drawn);
        result.effect = job.effect;
      } else {
        ended = std::move(drawn).failure();
      }
    }
  }
  // What the libraries raised while drawing, then why there is no picture
  // (the view keeps its last one); both are shown on the window's thread.
  result.alerts = sink.Take();
  if (!ended && !ended.stopped()) {
    result.alerts.push_back(Alert{"Brisol", "The picture could not be made: " + ended.message(), kIconExclamation});
  }
  return result;
}

void CRenderController::DrawPreview(const RenderJob& job, std::uint64_t id, std::stop_token stop) {
  ++m_previewsStarted;
  // Its failures are the exact drawing's too, which tells them once.
  CCollectingAlertSink quiet;
  const ScopedThreadAlertSink collect(quiet);
  const auto reduced = TryAllocate("the photo as shown", [&] { return m_reduced.Get(job.original, job.shown); });
  m_reducedMade = m_reduced.Made();
  if (!reduced) {
    TheLogger().Log(kLogInfo, "No memory for a preview of %d x %d pixels\n", job.shown.width(), job.shown.height());
    return;
  }
  if (!reduced->photo || stop.stop_requested()) return;
  const Outcome<std::unique_ptr<CDADC>> preview =
      DrawPicture({*job.effect, *reduced->photo, job.quality, nullptr, stop});
  if (!preview) return;
  Result result;
  result.kind = Result::Kind::Preview;
  result.id = id;
  result.image = ToQImage(**preview);
  result.effect = job.effect;
  if (result.image.isNull()) return;
  ++m_previewsFinished;
  Hand(std::move(result));
}

CRenderController::Result CRenderController::Show(const ShowJob& job) {
  Result result;
  result.kind = Result::Kind::Shown;
  result.shown = job.shown;
  result.of = job.picture;
  const Done made = TryAllocate("the pictures as shown", [&] {
    if (job.original) result.original = m_reduced.Get(job.original, job.shown).image;
    m_reducedMade = m_reduced.Made();
    if (job.picture) result.image = ReducedImage(*job.picture, job.shown);
  });
  if (!made) {
    TheLogger().Log(kLogInfo, "No memory to show the pictures at %d x %d pixels\n", job.shown.width(),
                    job.shown.height());
  }
  return result;
}

void CRenderController::Hand(Result result) {
  {
    std::lock_guard lock(m_mutex);
    m_results.push_back(std::move(result));
  }
  QMetaObject::invokeMethod(
      this, [this] { Deliver(); }, Qt::QueuedConnection);
}

int CRenderController::EndedNotDelivered() const {
  std::lock_guard lock(m_mutex);
  return static_cast<int>(std::count_if(m_results.begin(), m_results.end(),
                                        [](const Result& result) { return result.kind == Result::Kind::Picture; }));
}

void CRenderController::RelayProgress(std::uint64_t id, int done, int total) {
  // The result of a drawing may be handed over before its last progress
  // report arrives (with an earlier drawing's): that report is stale.
  if (id > m_lastDelivered) emit Progress(done, total);
}

void CRenderController::Deliver() {
  std::deque<Result> results;
  {
    std::lock_guard lock(m_mutex);
    results.swap(m_results);
  }
  bool ended = false;
  for (Result& result : results) {
    if (result.kind == Result::Kind::Shown) {
      emit ShownReady(result.shown, std::move(result.original), std::move(result.image), std::move(result.of));
      continue;
    }
    if (result.kind == Result::Kind::Preview) {
      // Shown unless an exact picture as new came first (or Stop).
      if (result.id > m_lastDelivered) emit PreviewReady(std::move(result.image), std::move(result.effect));
      continue;
    }
    ended = true;
    if (result.id > m_lastDelivered) m_lastDelivered = result.id;
    if (result.finished)
      emit PictureReady(std::move(result.picture), std::move(result.effect), std::move(result.image));
    if (m_pAlerts)
      m_pAlerts->Add(std::move(result.alerts));
    else
      for (const Alert& alert : result.alerts) ShowAlert(alert);
  }
  // After Stop, the drawings dropped unbegun never report: once nothing
  // runs or waits, everything asked for until then has ended.
  if (m_stopPending != 0 && (m_lastDelivered >= m_stopPending || !WorkerBusy())) {
    if (m_lastDelivered < m_stopPending) m_lastDelivered = m_stopPending;
    m_stopPending = 0;
    emit Stopped();
    ended = true;
  }
  if (!ended) return;
  if (!IsBusy()) emit Idle();
  if (m_pAlerts) m_pAlerts->ShowAll();
}

}  // namespace brisol
