// brisol-gui-bench PHOTO [--runs N] [--quality 1|2] [--objects N] [--collection NAME]
//
// Opens PHOTO in the desktop program (in private settings and data folders),
// accepts the objects wizard with the collection, then moves the "Size"
// slider of the size panel one page at a time, as a click on its groove
// does. For each step it measures the time from the slider's action to the
// first paint of the view that shows the new picture. Meanwhile a 1 ms timer
// on the user-interface thread measures how late it fires: the longest
// lateness is the longest the window was ever unresponsive. A second pass
// drags the slider (one step every 16 ms, 40 steps) to measure the same
// while drawings are stopped and started over. For each step it also notes
// how soon the status bar's progress came up, when the drawing lasted long
// enough for it to. Prints medians and maxima.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMdiArea>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <vector>

#include "app/BrisolApp.h"
#include "app/BrisolDoc.h"
#include "app/MainFrame.h"
#include "app/ScrollView.h"
#include "effect/EffectPaths.h"
#include "effect/Runner.h"
#include "logger/Alerts.h"
#include "ui/EffectDlg.h"
#include "ui/ParamDlg.h"

using namespace brisol;

namespace {

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Measures how late a 1 ms timer fires on the user-interface thread.
class BlockProbe : public QObject {
 public:
  BlockProbe() {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, [this] {
      const double now = m_clock.nsecsElapsed() / 1e6;
      if (m_last >= 0) m_worst = std::max(m_worst, now - m_last - 1.0);
      m_last = now;
    });
  }
  void Start() {
    m_worst = 0;
    m_last = -1;
    m_clock.start();
    m_timer.start();
  }
  double Stop() {
    m_timer.stop();
    return m_worst;
  }

 private:
  QTimer m_timer;
  QElapsedTimer m_clock;
  double m_last = -1;
  double m_worst = 0;
};

// Times every event the user-interface thread handles (outermost only): the
// longest is the longest the program itself kept the thread busy, whatever
// the machine's other work adds to the timer's lateness.
class TimedApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    if (m_depth++ > 0) {
      const bool handled = QApplication::notify(receiver, event);
      --m_depth;
      return handled;
    }
    QElapsedTimer clock;
    clock.start();
    const bool handled = QApplication::notify(receiver, event);
    --m_depth;
    if (m_measuring) {
      const double ms = clock.nsecsElapsed() / 1e6;
      if (ms > m_longest) {
        m_longest = ms;
        m_longestType = event->type();
      }
    }
    return handled;
  }
  void Measure(bool on) {
    m_measuring = on;
    if (on) m_longest = 0;
  }
  double Longest() const { return m_longest; }
  int LongestType() const { return m_longestType; }

 private:
  int m_depth = 0;
  bool m_measuring = false;
  double m_longest = 0;
  int m_longestType = 0;
};

// Notes the first paint of the view after a picture arrived.
class PaintWatch : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && waiting && pictureArrived) {
      painted = true;
      waiting = false;
    }
    return QObject::eventFilter(watched, event);
  }
  bool waiting = false;
  bool pictureArrived = false;
  bool painted = false;
};

// Writes alerts to standard error; the closing question gets "No".
class NoSink : public AlertSink {
 public:
  AlertAnswer Show(const Alert& alert) override {
    std::fprintf(stderr, "%s: %s\n", alert.caption.c_str(), alert.text.c_str());
    return alert.buttons == AlertButtons::Ok ? AlertAnswer::Ok : AlertAnswer::No;
  }
};

// Answers the objects wizard with the collection.
void AnswerWizard(const QString& collection) {
  QTimer::singleShot(20, [collection] {
    auto* wizard = qobject_cast<CEffectDlg*>(QApplication::activeModalWidget());
    if (wizard == nullptr) return AnswerWizard(collection);
    auto* combo = wizard->findChild<QComboBox*>(QStringLiteral("cmb1034"));
    const int index = combo ? combo->findText(collection) : -1;
    if (index < 0) {
      std::fprintf(stderr, "no collection '%s'\n", qPrintable(collection));
      wizard->reject();
      return;
    }
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    QMetaObject::invokeMethod(wizard, "OnOK", Qt::QueuedConnection);
  });
}

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir folders;
  qputenv("XDG_CONFIG_HOME", (folders.path() + "/config").toLocal8Bit());
  qputenv("XDG_DATA_HOME", (folders.path() + "/data").toLocal8Bit());
  TimedApplication qapp(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  QStringList args = QApplication::arguments();
  args.removeFirst();
  if (args.isEmpty() || args[0].startsWith('-')) {
    std::fprintf(stderr,
                 "usage: brisol-gui-bench PHOTO [--runs N] [--quality 1|2] [--objects N] [--collection NAME]\n");
    return 2;
  }
  // Made absolute before the program makes its main folder the current one.
  const QString photo = QFileInfo(args.takeFirst()).absoluteFilePath();
  int runs = 21, quality = 1, objects = 3333;
  QString collection = QStringLiteral("Leaves");
  for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
    if (args[i] == "--runs") runs = args[i + 1].toInt();
    if (args[i] == "--quality") quality = args[i + 1].toInt();
    if (args[i] == "--objects") objects = args[i + 1].toInt();
    if (args[i] == "--collection") collection = args[i + 1];
  }

  SetAlertSink(std::make_shared<NoSink>());
  CBrisolApp app;
  app.InitInstance(false);
  app.m_iScreenWidth = 100000;  // never offer to shrink
  app.m_iScreenHeight = 100000;
  app.MainFrame()->resize(1600, 1000);
  AnswerWizard(collection);
  CBrisolDoc* doc = app.OpenImage(photo);
  if (doc == nullptr || doc->GetRunner() == nullptr) {
    std::fprintf(stderr, "could not open %s with %s\n", qPrintable(photo), qPrintable(collection));
    return 1;
  }
  CEffect& effect = doc->GetRunner()->GetEffect();
  effect.SetNumObjects(static_cast<unsigned>(objects));
  auto* size = app.MainFrame()->ParamDlg()->findChild<QSlider*>(QStringLiteral("sld1015"));
  CBrisolScrollView* view = doc->GV();
  PaintWatch watch;
  view->viewport()->installEventFilter(&watch);
  QObject::connect(&doc->Renderer(), &CRenderController::PictureReady, &watch,
                   [&watch] { watch.pictureArrived = true; });

  auto waitIdle = [&] {
    while (doc->Renderer().IsBusy()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
  };
  // The quality level and the first picture.
  if (quality != doc->Quality()) {
    QTimer::singleShot(20, [quality] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* button = modal->findChild<QAbstractButton*>(quality == 2 ? "rad1054" : "rad1053")) button->click();
        QMetaObject::invokeMethod(modal, "accept", Qt::QueuedConnection);
      }
    });
    doc->OnSetQuality();
  }
  doc->UpdateImage(true);
  waitIdle();

  BlockProbe probe;
  qapp.Measure(true);
  std::vector<double> latencies, progressShown;
  double worstBlocked = 0;
  auto* bar = app.MainFrame()->findChild<QWidget*>(QStringLiteral("drawingProgress"));
  const QSize picture(doc->GetOriginal()->GetWidth(), doc->GetOriginal()->GetHeight());
  size->setValue(size->minimum() + 1000);
  for (int i = 0; i < runs; ++i) {
    watch.pictureArrived = false;
    watch.painted = false;
    watch.waiting = true;
    probe.Start();
    QElapsedTimer clock;
    clock.start();
    size->triggerAction(i % 2 ? QAbstractSlider::SliderPageStepSub : QAbstractSlider::SliderPageStepAdd);
    double shownAt = -1;
    while (!watch.painted) {
      QApplication::processEvents(QEventLoop::WaitForMoreEvents);
      if (shownAt < 0 && bar != nullptr && bar->isVisible()) shownAt = clock.nsecsElapsed() / 1e6;
    }
    latencies.push_back(clock.nsecsElapsed() / 1e6);
    if (shownAt >= 0) progressShown.push_back(shownAt);
    waitIdle();
    worstBlocked = std::max(worstBlocked, probe.Stop());
  }

  // A drag: a step every 16 ms; every step stops the running drawing.
  probe.Start();
  QElapsedTimer dragClock;
  dragClock.start();
  int steps = 0;
  const int startedBefore = doc->Renderer().DrawingsStarted();
  QTimer drag;
  drag.setInterval(16);
  QObject::connect(&drag, &QTimer::timeout, [&] {
    size->setSliderDown(true);
    size->setSliderPosition(size->sliderPosition() + (steps % 2 ? -37 : 53));
    size->setSliderDown(false);
    if (++steps == 40) drag.stop();
  });
  drag.start();
  while (drag.isActive()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  const double dragMs = dragClock.nsecsElapsed() / 1e6;
  waitIdle();
  const double dragToPicture = dragClock.nsecsElapsed() / 1e6 - dragMs;
  const double dragBlocked = probe.Stop();
  const double longestEvent = qapp.Longest();
  const int longestType = qapp.LongestType();
  qapp.Measure(false);

  std::printf("photo %dx%d, quality %d, %d objects, collection %s, %d runs, %s\n", picture.width(), picture.height(),
              quality, objects, qPrintable(collection), runs,
              doc->Renderer().UsesWorkerThread() ? "drawing thread" : "calling thread");
  std::printf("slider change to picture shown: median %.1f ms, min %.1f, max %.1f\n", Median(latencies),
              *std::min_element(latencies.begin(), latencies.end()),
              *std::max_element(latencies.begin(), latencies.end()));
  std::printf("longest user-interface block during those drawings: %.1f ms\n", worstBlocked);
  if (progressShown.empty())
    std::printf("progress never came up: every picture came first\n");
  else
    std::printf("progress shown after: median %.1f ms, max %.1f (%zu of %d drawings lasted long enough)\n",
                Median(progressShown), *std::max_element(progressShown.begin(), progressShown.end()),
                progressShown.size(), runs);
  std::printf(
      "drag of 40 steps over %.0f ms: %d drawings started, last picture %.0f ms after the last step, "
      "longest block %.1f ms\n",
      dragMs, doc->Renderer().DrawingsStarted() - startedBefore, dragToPicture, dragBlocked);
  std::printf("longest single event handled on the user-interface thread: %.1f ms (event type %d)\n", longestEvent,
              longestType);
  app.MainFrame()->close();
  app.ExitInstance();
  return 0;
}
