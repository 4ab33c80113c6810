#include "app/RenderController.h"

#include <new>
#include <system_error>

#include "app/AlertQueue.h"
#include "effect/Runner.h"
#include "effect/WorkingPictureLimit.h"
#include "logger/Logger.h"
#include "raster/Dadc.h"

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
    if (!m_wake.wait(lock, quit, [this] { return m_waiting.has_value(); })) return;
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
  CCollectingAlertSink sink;
  {
    const ScopedThreadAlertSink collect(sink);
    ++m_started;
    if (m_beforeDrawing) m_beforeDrawing(stop);
    QMetaObject::invokeMethod(
        this, [this] { emit DrawingStarted(); }, Qt::QueuedConnection);
    if (job.effect && job.original) {
      const SIZE size = job.original->GetSize();
      DrawResult drawn;
      std::shared_ptr<CDADC> picture;
      try {
        picture = std::make_shared<CDADC>(size);
        if (!picture->IsValid()) throw std::bad_alloc();
        CEffectOutput target;
        target.SetUp(picture.get(), nullptr, size);
        ProgressRelay progress(this, id);
        drawn = job.effect->DrawIntoOutput(&target, job.original.get(), job.quality, &progress, stop);
        target.Close();
      } catch (const std::bad_alloc&) {
        // Whatever part of the drawing found no memory: the user hears of
        // the working picture, the one large thing a drawing makes.
        const SIZE work{size.cx * job.quality, size.cy * job.quality};
        drawn = DrawResult::Failure(NotEnoughMemoryText(work, kMaxBandedWorkingPixels));
        picture.reset();
      }
      if (drawn.ok()) {
        result.finished = true;
        result.picture = std::move(picture);
        result.effect = job.effect;
      } else if (drawn.outcome == DrawResult::Outcome::Failed) {
        // The view keeps its last picture; the user is told why.
        WalertBox(kIconExclamation, "The picture could not be made: %s", drawn.message.c_str());
      }
    }
  }
  result.alerts = sink.Take();
  return result;
}

int CRenderController::EndedNotDelivered() const {
  std::lock_guard lock(m_mutex);
  return static_cast<int>(m_results.size());
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
  for (Result& result : results) {
    if (result.id > m_lastDelivered) m_lastDelivered = result.id;
    if (result.finished) emit PictureReady(std::move(result.picture), std::move(result.effect));
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
    results.emplace_back();  // something ended: Idle below
  }
  if (results.empty()) return;
  if (!IsBusy()) emit Idle();
  if (m_pAlerts) m_pAlerts->ShowAll();
}

}  // namespace brisol
