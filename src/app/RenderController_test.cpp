// Drawing off the user-interface thread: the same pixels as drawing in
// place, a newer request stopping the running drawing, at most one waiting
// request, alerts shown afterwards on the user-interface thread in order,
// and stopping that waits and loses nothing.
#include <QThread>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/AlertQueue.h"
#include "app/AppTestSupport.h"
#include "app/RenderController.h"

using namespace brisol;

namespace {

std::vector<std::uint8_t> Bytes(const CDADC& surface) {
  return {surface.GetBits(), surface.GetBits() + surface.GetImageSize()};
}

std::vector<std::uint8_t> DrawInPlace(const CDADC& original, const CEffect& effect, int quality) {
  const std::unique_ptr<CDADC> picture = test::DrawInPlace(original, effect, quality);
  return picture ? Bytes(*picture) : std::vector<std::uint8_t>{};
}

// Holds the first drawing (or every one) until it is asked to stop.
struct HoldFirstDrawing {
  std::mutex mutex;
  std::condition_variable_any stopped;
  int calls = 0;
  bool holdAll = false;
  void operator()(std::stop_token stop) {
    std::unique_lock lock(mutex);
    if (calls++ == 0 || holdAll) stopped.wait(lock, stop, [] { return false; });
  }
};

// Holds the first drawing until the test lets it go, stopped or not: what
// is asked for meanwhile cannot race its end.
struct HoldFirstUntilReleased {
  std::mutex mutex;
  std::condition_variable released;
  bool go = false;
  int calls = 0;
  void operator()(std::stop_token) {
    std::unique_lock lock(mutex);
    if (calls++ == 0) released.wait(lock, [this] { return go; });
  }
  void Release() {
    {
      const std::lock_guard lock(mutex);
      go = true;
    }
    released.notify_all();
  }
};

// Records each alert with whether it was shown on the user-interface thread.
class ThreadCheckingSink : public AlertSink {
 public:
  AlertAnswer Show(const Alert& alert) override {
    texts.push_back(alert.text);
    onUiThread.push_back(QThread::currentThread() == qApp->thread());
    return AlertAnswer::Ok;
  }
  std::vector<std::string> texts;
  std::vector<bool> onUiThread;
};

}  // namespace

class RenderControllerTest : public QObject {
  Q_OBJECT

  test::TempDir m_dir;
  std::shared_ptr<const CDADC> m_original;
  std::unique_ptr<CEffect> m_effect;
  CAlertQueue m_alerts;

  std::shared_ptr<const CEffect> Effect(int seed, unsigned objects = 400) {
    m_effect->SetSeed(seed);
    m_effect->SetNumObjects(objects);
    return m_effect->Snapshot();
  }

 private slots:
  void initTestCase() {
    test::QuietOffscreenNotes();
    test::WriteFile(m_dir.File("a.dxf"), test::PaddedDxf(test::SquareDxf(), 300));
    test::WriteFile(m_dir.File("b.dxf"), test::PaddedDxf(test::CircleDxf(), 300));
    m_effect = std::make_unique<CEffect>(m_dir.path().c_str());
    QCOMPARE(m_effect->GetNumShapes(), 2u);
    m_original = std::make_shared<const CDADC>(test::MakePicture(160, 120));
  }
  void cleanup() { test::TakeAlerts(); }

  void workerAndCallingThreadGiveThePicturesOfDrawingInPlace() {
    for (const auto threading : {CRenderController::Threading::Worker, CRenderController::Threading::CallingThread}) {
      for (int quality : {1, 2}) {
        CRenderController controller(&m_alerts, nullptr, threading);
        QSignalSpy ready(&controller, &CRenderController::PictureReady);
        const auto effect = Effect(17 + quality);
        controller.Request(RenderJob{effect, m_original, quality});
        if (threading == CRenderController::Threading::Worker) QVERIFY(ready.wait(60000));
        QCOMPARE(ready.size(), 1);
        const auto picture = ready[0][0].value<std::shared_ptr<CDADC>>();
        QVERIFY(picture);
        QVERIFY(Bytes(*picture) == DrawInPlace(*m_original, *effect, quality));
        // The picture comes with the effect it shows.
        QCOMPARE(ready[0][1].value<std::shared_ptr<const CEffect>>(), effect);
        QCOMPARE(controller.UsesWorkerThread(), threading == CRenderController::Threading::Worker);
        QVERIFY(!controller.IsBusy());
      }
    }
  }

  void aNewerRequestStopsTheRunningDrawing() {
    CRenderController controller(&m_alerts);
    HoldFirstDrawing hold;
    controller.SetBeforeDrawing(std::ref(hold));
    QSignalSpy ready(&controller, &CRenderController::PictureReady);
    QSignalSpy idle(&controller, &CRenderController::Idle);
    controller.Request(RenderJob{Effect(1), m_original, 1});
    QTRY_COMPARE(controller.DrawingsStarted(), 1);
    const auto newest = Effect(2);
    controller.Request(RenderJob{newest, m_original, 1});
    QVERIFY(idle.wait(60000));
    // Only the newest effect's picture arrives; the held drawing was dropped.
    QCOMPARE(ready.size(), 1);
    QVERIFY(Bytes(*ready[0][0].value<std::shared_ptr<CDADC>>()) == DrawInPlace(*m_original, *newest, 1));
    QCOMPARE(controller.DrawingsStarted(), 2);
    QCOMPARE(controller.DrawingsRequested(), 2);
  }

  void aSliderDraggedAcrossItsRangeLeavesOneDrawingWaiting() {
    CRenderController controller(&m_alerts);
    HoldFirstUntilReleased hold;
    controller.SetBeforeDrawing(std::ref(hold));
    QSignalSpy ready(&controller, &CRenderController::PictureReady);
    QSignalSpy idle(&controller, &CRenderController::Idle);
    controller.Request(RenderJob{Effect(100), m_original, 1});
    QTRY_COMPARE(controller.DrawingsStarted(), 1);
    std::shared_ptr<const CEffect> last;
    for (int seed = 101; seed <= 150; ++seed) {
      last = Effect(seed, 50);
      controller.Request(RenderJob{last, m_original, 1});
    }
    hold.Release();
    QVERIFY(idle.wait(60000));
    QCOMPARE(controller.DrawingsStarted(), 2);
    QCOMPARE(ready.size(), 1);
    QVERIFY(Bytes(*ready[0][0].value<std::shared_ptr<CDADC>>()) == DrawInPlace(*m_original, *last, 1));
  }

  // Two drawings end before the window's thread looks: the first hand-over
  // takes both, and the second drawing's progress reports, still queued,
  // must not bring the progress back after the end.
  void noProgressArrivesAfterTheEnd() {
    CRenderController controller(&m_alerts);
    HoldFirstDrawing hold;
    controller.SetBeforeDrawing(std::ref(hold));
    QStringList order;
    connect(&controller, &CRenderController::Progress, this, [&] { order << "progress"; });
    connect(&controller, &CRenderController::Idle, this, [&] { order << "idle"; });
    controller.Request(RenderJob{Effect(3, 600), m_original, 1});
    QTRY_COMPARE(controller.DrawingsStarted(), 1);
    controller.Request(RenderJob{Effect(4, 600), m_original, 1});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (controller.EndedNotDelivered() < 2 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    QCOMPARE(controller.EndedNotDelivered(), 2);
    QTRY_VERIFY(!controller.IsBusy());
    QTRY_VERIFY(order.contains("idle"));
    QCoreApplication::processEvents();
    QCOMPARE(order.last(), QStringLiteral("idle"));
    QCOMPARE(order.count("idle"), 1);
  }

  void alertsAreShownAfterTheirDrawingOnTheUserInterfaceThreadInOrder() {
    auto sink = std::make_shared<ThreadCheckingSink>();
    const auto previous = SetAlertSink(sink);
    {
      CRenderController controller(&m_alerts);
      QSignalSpy idle(&controller, &CRenderController::Idle);
      CEffect empty1, empty2;
      empty1.LoadShapes("/no/such/first");
      empty2.LoadShapes("/no/such/second");
      sink->texts.clear();
      sink->onUiThread.clear();
      controller.Request(RenderJob{empty1.Snapshot(), m_original, 1});
      QVERIFY(idle.wait(60000));
      controller.Request(RenderJob{empty2.Snapshot(), m_original, 1});
      QVERIFY(idle.wait(60000));
      QTRY_COMPARE(sink->texts.size(), std::size_t{2});
    }
    SetAlertSink(previous);
    QCOMPARE(sink->texts[0],
             std::string("The picture could not be made: the collection </no/such/first> has no shapes to draw"));
    QCOMPARE(sink->texts[1],
             std::string("The picture could not be made: the collection </no/such/second> has no shapes to draw"));
    QVERIFY(sink->onUiThread[0] && sink->onUiThread[1]);
  }

  void stoppingWaitsForTheDrawingAndLosesNoAlert() {
    CEffect empty;
    empty.LoadShapes("/no/such/collection");
    test::TakeAlerts();
    auto controller = std::make_unique<CRenderController>(&m_alerts);
    HoldFirstDrawing hold;
    hold.holdAll = true;
    controller->SetBeforeDrawing(std::ref(hold));
    QSignalSpy idle(controller.get(), &CRenderController::Idle);
    QSignalSpy ready(controller.get(), &CRenderController::PictureReady);
    controller->Request(RenderJob{empty.Snapshot(), m_original, 1});
    QTRY_COMPARE(controller->DrawingsStarted(), 1);
    controller->Request(RenderJob{Effect(5), m_original, 1});  // waits behind it
    controller->StopAndWait();
    // Back at once: no picture, nothing left waiting, the alert shown.
    QVERIFY(!controller->IsBusy());
    QCOMPARE(idle.size(), 1);
    QCOMPARE(ready.size(), 0);
    QCOMPARE(test::TakeAlerts(),
             QStringList{"The picture could not be made: the collection </no/such/collection> has no shapes to draw"});
    controller.reset();
    QCoreApplication::processEvents();
    QVERIFY(test::TakeAlerts().isEmpty());
  }

  void destroyingWhileDrawingStopsAndJoins() {
    for (int i = 0; i < 3; ++i) {
      CRenderController controller(&m_alerts);
      controller.Request(RenderJob{Effect(7, 10000), m_original, 2});
      QTRY_COMPARE(controller.DrawingsStarted(), 1);
    }
    QCoreApplication::processEvents();
    QVERIFY(test::TakeAlerts().isEmpty());
  }
};

BRISOL_APP_TEST_MAIN(RenderControllerTest)
#include "RenderController_test.moc"
