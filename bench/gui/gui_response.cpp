// brisol-gui-bench PHOTO [--resize WxH] [--runs N] [--quality 1|2] [--objects N]
//                        [--collection NAME] [--drag-steps N]
//
// Opens PHOTO in the desktop program (in private settings and data folders;
// with --resize, a copy of it resized to W x H first), accepts the objects
// wizard with the collection and leaves the view at the zoom it opens with.
// Then it moves the "Size" slider of the size panel one page at a time, as a
// click on its groove does, and measures for each step the time from the
// slider's action to the view's first paint of something new (a preview or
// the exact picture) and to its first paint of the exact picture.
// Meanwhile a 1 ms timer on the user-interface thread measures how late it
// fires, and every event handled there is timed: the longest is the
// longest the window was ever unresponsive. A second pass drags the slider
// (one step every 16 ms) while drawings are stopped and started over, and
// counts the steps whose preview was finished (the others were skipped: a
// newer step came first) and the previews painted. Prints medians and
// maxima, and a last line "summary ..." for scripts.
#include <QAbstractButton>
#include <QComboBox>
#include <QFileInfo>
#include <QMdiArea>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <QThread>
#include <clocale>
#include <cstdio>

#include "GuiProbes.h"
#include "app/BrisolApp.h"
#include "app/BrisolDoc.h"
#include "app/MainFrame.h"
#include "app/ScrollView.h"
#include "effect/EffectPaths.h"
#include "effect/Runner.h"
#include "imageio/Dib.h"
#include "imageio/ImageSave.h"
#include "imageio/LoadPicture.h"
#include "logger/Alerts.h"
#include "ui/EffectDlg.h"
#include "ui/ParamDlg.h"

// Built against a program without previews too, to compare with it.
#if __has_include("app/ShownPictures.h")
#define BENCH_HAS_PREVIEW 1
#endif

using namespace brisol;
using namespace brisol::bench;

namespace {

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

// The photo resized to size, written as a BMP (quick to read) into folder.
QString ResizedCopy(const QString& photo, QSize size, const QString& folder) {
  LoadResult loaded = LoadPicture(photo.toStdString());
  if (!loaded.ok()) {
    std::fprintf(stderr, "%s\n", loaded.message().c_str());
    return {};
  }
  if (!ResizeImage(&*loaded, SIZE{size.width(), size.height()})) return {};
  const QString path = folder + QStringLiteral("/photo-%1x%2.bmp").arg(size.width()).arg(size.height());
  const Done saved = SaveImageFile(**loaded, path.toStdString());
  if (!saved.ok()) {
    std::fprintf(stderr, "%s\n", saved.message().c_str());
    return {};
  }
  return path;
}

struct Options {
  QString photo;
  QSize resize;
  int runs = 21, quality = 1, objects = 3333, dragSteps = 40;
  QString collection = QStringLiteral("Leaves");
};

bool ReadOptions(QStringList args, Options& o) {
  if (args.isEmpty() || args[0].startsWith('-')) return false;
  // Made absolute before the program makes its main folder the current one.
  o.photo = QFileInfo(args.takeFirst()).absoluteFilePath();
  for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
    const QString& value = args[i + 1];
    if (args[i] == "--runs") o.runs = value.toInt();
    if (args[i] == "--quality") o.quality = value.toInt();
    if (args[i] == "--objects") o.objects = value.toInt();
    if (args[i] == "--collection") o.collection = value;
    if (args[i] == "--drag-steps") o.dragSteps = value.toInt();
    if (args[i] == "--resize") {
      const auto match = QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)$")).match(value);
      if (!match.hasMatch()) return false;
      o.resize = QSize(match.captured(1).toInt(), match.captured(2).toInt());
    }
  }
  return o.runs > 0 && o.dragSteps > 0;
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
  Options o;
  if (!ReadOptions(args, o)) {
    std::fprintf(stderr,
                 "usage: brisol-gui-bench PHOTO [--resize WxH] [--runs N] [--quality 1|2] [--objects N] "
                 "[--collection NAME] [--drag-steps N]\n");
    return 2;
  }
  if (o.resize.isValid()) {
    o.photo = ResizedCopy(o.photo, o.resize, folders.path());
    if (o.photo.isEmpty()) return 1;
  }

  SetAlertSink(std::make_shared<NoSink>());
  CBrisolApp app;
  app.InitInstance(false);
  app.m_iScreenWidth = 100000;  // never offer to shrink
  app.m_iScreenHeight = 100000;
  app.MainFrame()->resize(1600, 1000);
  AnswerWizard(o.collection);
  CBrisolDoc* doc = app.OpenImage(o.photo);
  if (doc == nullptr || doc->GetRunner() == nullptr) {
    std::fprintf(stderr, "could not open %s with %s\n", qPrintable(o.photo), qPrintable(o.collection));
    return 1;
  }
  CEffect& effect = doc->GetRunner()->GetEffect();
  effect.SetNumObjects(static_cast<unsigned>(o.objects));
  auto* size = app.MainFrame()->ParamDlg()->findChild<QSlider*>(QStringLiteral("sld1015"));
  CBrisolScrollView* view = doc->GV();
  CRenderController& renderer = doc->Renderer();
  PaintWatch watch;
  view->viewport()->installEventFilter(&watch);
  QObject::connect(&renderer, &CRenderController::PictureReady, &watch, [&watch] { watch.PictureArrived(); });
#ifdef BENCH_HAS_PREVIEW
  QObject::connect(&renderer, &CRenderController::PreviewReady, &watch, [&watch] { watch.PreviewArrived(); });
#endif

  auto waitIdle = [&] {
    while (renderer.IsBusy()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
  };
  // The quality level and the first picture.
  if (o.quality != doc->Quality()) {
    QTimer::singleShot(20, [quality = o.quality] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* button = modal->findChild<QAbstractButton*>(quality == 2 ? "rad1054" : "rad1053")) button->click();
        QMetaObject::invokeMethod(modal, "accept", Qt::QueuedConnection);
      }
    });
    doc->OnSetQuality();
  }
  doc->UpdateImage(true);
  waitIdle();
  // Let the view settle at its zoom (its reduced pictures made).
  for (int i = 0; i < 20; ++i) {
    QApplication::processEvents();
    QThread::msleep(5);
  }

  BlockProbe probe;
  qapp.Measure(true);
  std::vector<double> firstShown, exactShown, progressShown;
  int previewFirst = 0;
  double worstBlocked = 0;
  auto* bar = app.MainFrame()->findChild<QWidget*>(QStringLiteral("drawingProgress"));
  const QSize picture(doc->GetOriginal()->GetWidth(), doc->GetOriginal()->GetHeight());
  size->setValue(size->minimum() + 1000);
  waitIdle();
  for (int i = 0; i < o.runs; ++i) {
    watch.Start();
    probe.Start();
    QElapsedTimer clock;
    clock.start();
    size->triggerAction(i % 2 ? QAbstractSlider::SliderPageStepSub : QAbstractSlider::SliderPageStepAdd);
    double barAt = -1;
    while (watch.exactShown < 0) {
      QApplication::processEvents(QEventLoop::WaitForMoreEvents);
      if (barAt < 0 && bar != nullptr && bar->isVisible()) barAt = clock.nsecsElapsed() / 1e6;
    }
    firstShown.push_back(watch.firstShown);
    exactShown.push_back(watch.exactShown);
    if (watch.previewShownFirst) ++previewFirst;
    if (barAt >= 0) progressShown.push_back(barAt);
    waitIdle();
    worstBlocked = std::max(worstBlocked, probe.Stop());
  }
  const double longestEvent = qapp.Longest();
  const char* longestType = qapp.LongestType();

  // A drag: a step every 16 ms; every step stops the running drawing.
  qapp.Measure(true);
  watch.Start();
  watch.previewsPainted = 0;
  probe.Start();
  QElapsedTimer dragClock;
  dragClock.start();
  int steps = 0;
  const int startedBefore = renderer.DrawingsStarted();
#ifdef BENCH_HAS_PREVIEW
  const int previewsStartedBefore = renderer.PreviewsStarted();
  const int previewsFinishedBefore = renderer.PreviewsFinished();
#endif
  QTimer drag;
  drag.setInterval(16);
  QObject::connect(&drag, &QTimer::timeout, [&] {
    size->setSliderDown(true);
    size->setSliderPosition(size->sliderPosition() + (steps % 2 ? -37 : 53));
    size->setSliderDown(false);
    if (++steps == o.dragSteps) drag.stop();
  });
  drag.start();
  while (drag.isActive()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  const double dragMs = dragClock.nsecsElapsed() / 1e6;
  waitIdle();
  const double dragToPicture = dragClock.nsecsElapsed() / 1e6 - dragMs;
  const double dragBlocked = probe.Stop();
  const double dragLongestEvent = qapp.Longest();
  const char* dragLongestType = qapp.LongestType();
  qapp.Measure(false);
  const int dragDrawings = renderer.DrawingsStarted() - startedBefore;

  std::printf("photo %dx%d, quality %d, %d objects, collection %s, %d runs, %s\n", picture.width(), picture.height(),
              o.quality, o.objects, qPrintable(o.collection), o.runs,
              renderer.UsesWorkerThread() ? "drawing thread" : "calling thread");
  std::printf("view at %u %%, the picture shown at %dx%d\n", view->Zoom(), view->ScrollAreaSize().width(),
              view->ScrollAreaSize().height());
  std::printf("slider change to first visible update: median %.1f ms, max %.1f (a preview first in %d of %d)\n",
              Median(firstShown), Max(firstShown), previewFirst, o.runs);
  std::printf("slider change to exact picture shown: median %.1f ms, max %.1f\n", Median(exactShown), Max(exactShown));
  std::printf("longest user-interface block (timer lateness) during those drawings: %.1f ms\n", worstBlocked);
  std::printf("longest single event on the user-interface thread: %.1f ms (%s)\n", longestEvent, longestType);
  if (progressShown.empty())
    std::printf("progress never came up: every picture came first\n");
  else
    std::printf("progress shown after: median %.1f ms, max %.1f (%zu of %d drawings lasted long enough)\n",
                Median(progressShown), Max(progressShown), progressShown.size(), o.runs);
  std::printf(
      "drag of %d steps over %.0f ms: %d drawings started, exact picture %.0f ms after the last step, "
      "longest block %.1f ms, longest event %.1f ms (%s)\n",
      o.dragSteps, dragMs, dragDrawings, dragToPicture, dragBlocked, dragLongestEvent, dragLongestType);
  int previewsFinished = 0, previewsStarted = 0;
#ifdef BENCH_HAS_PREVIEW
  previewsStarted = renderer.PreviewsStarted() - previewsStartedBefore;
  previewsFinished = renderer.PreviewsFinished() - previewsFinishedBefore;
  std::printf(
      "drag previews: %d started, %d finished, %d painted; %d steps skipped (a newer step came first); "
      "a preview after every step not skipped: %s\n",
      previewsStarted, previewsFinished, watch.previewsPainted, o.dragSteps - previewsFinished,
      watch.previewsPainted >= previewsFinished ? "yes" : "no (some finished previews came together)");
#endif
  std::printf(
      "summary first %.1f exact %.1f blocked %.1f event %.1f drag_blocked %.1f drag_event %.1f drag_drawings %d "
      "drag_previews_finished %d drag_previews_painted %d\n",
      Median(firstShown), Median(exactShown), worstBlocked, longestEvent, dragBlocked, dragLongestEvent, dragDrawings,
      previewsFinished, watch.previewsPainted);
  app.MainFrame()->close();
  app.ExitInstance();
  return 0;
}
