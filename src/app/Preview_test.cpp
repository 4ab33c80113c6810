// A large picture in the desktop program as its user meets it: shown whole,
// a change's preview on screen before the exact picture replaces it, the
// exact picture whatever leaves the program right after a change (copy,
// save, print), a newer change or Stop ending both, no preview at 100 % or
// for a small picture, and what a view shows reduced made off the window's
// thread.
#include <QClipboard>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSlider>
#include <condition_variable>
#include <mutex>

#include "app/AppTestSupport.h"
#include "app/ShownPictures.h"
#include "imageio/LoadPicture.h"
#include "ui/DadcImage.h"
#include "ui/ParamDlg.h"

using namespace brisol;
using test::StartedApp;

namespace {

// What the view's window shows of the picture (its top left corner).
QImage Painted(CBrisolScrollView* view, QSize size) {
  return view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32).copy(QRect(QPoint(0, 0), size));
}

// Holds the drawing thread before the exact picture of the first job with
// a preview until released or stopped; later jobs pass.
struct ExactHold {
  std::mutex mutex;
  std::condition_variable_any wake;
  bool released = false;
  int calls = 0;
  void operator()(std::stop_token stop) {
    std::unique_lock lock(mutex);
    if (calls++ == 0) wake.wait(lock, stop, [this] { return released; });
  }
  void Release() {
    std::lock_guard lock(mutex);
    released = true;
    wake.notify_all();
  }
  int Calls() {
    std::lock_guard lock(mutex);
    return calls;
  }
};

}  // namespace

class PreviewTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;
  // Outlives the program, whose drawing thread it may hold.
  std::shared_ptr<ExactHold> m_hold;
  // Large enough that its exact drawing is not quick (2.2 MP).
  const QSize m_large{1800, 1200};

  CBrisolDoc* OpenLarge() {
    const std::string path = test::WritePictureFile("large.bmp", m_large.width(), m_large.height());
    // Kept as large as it is, as camera photos are.
    test::Alerts().QueueAnswer(AlertAnswer::No);
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, "Tests");
    if (test::TakeAlerts() != QStringList{"The image is larger than your screen\nWould you like to resize it?"})
      return nullptr;
    if (doc == nullptr || doc->GetRunner() == nullptr || !test::WaitForPicture(doc)) return nullptr;
    doc->GetRunner()->GetEffect().SetNumObjects(600);
    return doc;
  }
  QSlider* SizeSlider() const { return m->Frame().ParamDlg()->findChild<QSlider*>(QStringLiteral("sld1015")); }
  // A click on the size slider's groove.
  void Change(int step = 1) {
    SizeSlider()->triggerAction(step > 0 ? QAbstractSlider::SliderPageStepAdd : QAbstractSlider::SliderPageStepSub);
  }
  // Holds the document's next exact drawing.
  ExactHold& HoldExact(CBrisolDoc* doc) {
    m_hold = std::make_shared<ExactHold>();
    doc->Renderer().SetBeforeExact(std::ref(*m_hold));
    return *m_hold;
  }
  // The exact picture of the effect the panels hold now.
  std::unique_ptr<CDADC> ExactOfTheCurrentEffect(CBrisolDoc* doc) {
    return test::DrawInPlace(*doc->GetOriginal(), doc->GetRunner()->GetEffect(), doc->Quality());
  }

 private slots:
  void initTestCase() { test::QuietOffscreenNotes(); }
  void init() {
    m = std::make_unique<StartedApp>();
    test::MakeCollection("Tests");
    test::TakeAlerts();
  }
  void cleanup() {
    m.reset();
    m_hold.reset();
    test::TakeAlerts();
  }

  // The preview is on screen first, and is the effect drawn from the photo
  // reduced to the size shown; the exact picture then replaces it, shown
  // as its reduction to that size.
  void aChangeShowsItsPreviewThenTheExactPicture() {
    CBrisolDoc* doc = OpenLarge();
    QVERIFY(doc);
    CBrisolScrollView* view = doc->GV();
    QVERIFY2(view->Zoom() <= 70, qPrintable(QString::number(view->Zoom())));
    const QSize shown = view->ShownSize();
    QCOMPARE(shown, ZoomedSize(doc->GetOriginal()->GetSize(), view->Zoom()));
    QStringList order;
    QImage preview, paintedPreview;
    std::shared_ptr<const CEffect> previewEffect;
    connect(&doc->Renderer(), &CRenderController::PreviewReady, this,
            [&](QImage image, std::shared_ptr<const CEffect> effect) {
              order << "preview";
              preview = image;
              previewEffect = effect;
              QCOMPARE(view->Preview(), image);
              paintedPreview = Painted(view, shown);
            });
    connect(&doc->Renderer(), &CRenderController::PictureReady, this, [&] { order << "exact"; });
    for (int step : {1, -1, 1}) {
      order.clear();
      Change(step);
      QVERIFY(test::WaitForPicture(doc));
      QCOMPARE(order, (QStringList{"preview", "exact"}));
      const CEffect& effect = doc->GetRunner()->GetEffect();
      QVERIFY(*previewEffect == effect);
      QCOMPARE(paintedPreview, preview);
      const std::unique_ptr<CDADC> reducedPhoto = ReducedCopy(*doc->GetOriginal(), shown);
      QCOMPARE(preview, ToQImage(*test::DrawInPlace(*reducedPhoto, effect, doc->Quality())));
      // Replaced: the exact picture, at full size, shown reduced.
      QVERIFY(view->Preview().isNull());
      const std::unique_ptr<CDADC> exact = ExactOfTheCurrentEffect(doc);
      QVERIFY(test::Pixels(*view->OutputPicture()) == test::Pixels(*exact));
      QVERIFY(view->PaintsReducedImage());
      QCOMPARE(Painted(view, shown), ReducedImage(*exact, shown));
    }
    QVERIFY2(test::Alerts().Texts().empty(), test::AlertsText().c_str());
  }

  // Copy, save and print, asked for right after a change, wait for the
  // exact picture of that change: never the preview, never the picture
  // before.
  void whatLeavesTheProgramIsTheExactPicture_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("copy") << "copy";
    QTest::newRow("save") << "save";
    QTest::newRow("print preview") << "print preview";
    QTest::newRow("print") << "print";
  }
  void whatLeavesTheProgramIsTheExactPicture() {
    QFETCH(QString, command);
    CBrisolDoc* doc = OpenLarge();
    QVERIFY(doc);
    CMainFrame& f = m->Frame();
    // The exact drawing held until the command has been asked for.
    ExactHold& hold = HoldExact(doc);
    QSignalSpy previews(&doc->Renderer(), &CRenderController::PreviewReady);
    Change();
    QVERIFY(previews.wait(60000));  // the preview is on screen
    QTRY_COMPARE(hold.Calls(), 1);
    const QString file = test::UiTestEnvironment::Get().Folder() + (command == "save" ? "/saved.png" : "/printed.pdf");
    QFile::remove(file);
    QGuiApplication::clipboard()->clear();
    QImage got;
    bool previewed = false;
    if (command == "save") test::AnswerFileDialog(file);
    if (command == "print") {
      f.Printer().setOutputFormat(QPrinter::PdfFormat);
      f.Printer().setOutputFileName(file);
      test::DriveModal<QPrintDialog>([](QPrintDialog* dialog) {
        dialog->accept();
        return true;
      });
    }
    if (command == "print preview") {
      test::DriveModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* dialog) {
        // What each page is painted with.
        connect(dialog, &QPrintPreviewDialog::paintRequested, this, [&] { got = m->View()->CurrentImage(); });
        QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        return previewed = true;
      });
    }
    const MainActions& a = f.Actions();
    (command == "copy"    ? a.copy
     : command == "save"  ? a.saveImage
     : command == "print" ? a.print
                          : a.printPreview)
        ->trigger();
    // It waits for the exact picture, the window answering meanwhile.
    QVERIFY(QGuiApplication::clipboard()->image().isNull() && !QFileInfo::exists(file) && !previewed);
    hold.Release();
    if (command == "copy") {
      QTRY_VERIFY_WITH_TIMEOUT(!QGuiApplication::clipboard()->image().isNull(), 60000);
      got = QGuiApplication::clipboard()->image();
    } else if (command == "save") {
      QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(file), 60000);
      LoadResult saved = LoadPicture(file.toStdString());
      QVERIFY2(saved.ok(), saved.message().c_str());
      got = ToQImage(**saved);
    } else if (command == "print preview") {
      QTRY_VERIFY_WITH_TIMEOUT(previewed && !QApplication::activeModalWidget(), 60000);
      if (got.isNull()) got = m->View()->CurrentImage();
    } else {
      QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(file), 60000);
      got = m->View()->CurrentImage();
    }
    QVERIFY(!doc->Renderer().IsBusy());
    QCOMPARE(got.convertToFormat(QImage::Format_RGB32), ToQImage(*ExactOfTheCurrentEffect(doc)));
    QVERIFY2(test::Alerts().Texts().empty(), test::AlertsText().c_str());
  }

  // Two changes in a row: the first one's preview and exact picture are
  // stopped wherever they were; only the second one's come.
  void aNewerChangeEndsBoth() {
    CBrisolDoc* doc = OpenLarge();
    QVERIFY(doc);
    QList<std::shared_ptr<const CEffect>> previews, pictures;
    connect(&doc->Renderer(), &CRenderController::PreviewReady, this,
            [&](QImage, std::shared_ptr<const CEffect> effect) { previews << effect; });
    connect(&doc->Renderer(), &CRenderController::PictureReady, this,
            [&](std::shared_ptr<CDADC>, std::shared_ptr<const CEffect> effect, QImage) { pictures << effect; });
    // Without a pause between them.
    Change();
    Change();
    QVERIFY(test::WaitForPicture(doc));
    const CEffect& newest = doc->GetRunner()->GetEffect();
    QCOMPARE(pictures.size(), 1);
    QVERIFY(*pictures[0] == newest);
    QVERIFY(!previews.isEmpty());
    QVERIFY(*previews.last() == newest);
    // The first change's preview on screen, its exact picture held: the
    // next change ends it.
    previews.clear();
    pictures.clear();
    ExactHold& hold = HoldExact(doc);
    Change(-1);
    QTRY_COMPARE(previews.size(), 1);
    QTRY_COMPARE(hold.Calls(), 1);
    const auto stale = previews[0];
    Change(-1);
    QVERIFY(test::WaitForPicture(doc));
    QCOMPARE(pictures.size(), 1);
    QVERIFY(*pictures[0] == doc->GetRunner()->GetEffect());
    QVERIFY(!(*pictures[0] == *stale));
    QCOMPARE(previews.size(), 2);
    QVERIFY(doc->GV()->Preview().isNull());
  }

  // Stop while the exact picture is drawn: the preview goes and the last
  // exact picture is shown again.
  void stopShowsTheLastExactPictureAgain() {
    CBrisolDoc* doc = OpenLarge();
    QVERIFY(doc);
    CBrisolScrollView* view = doc->GV();
    const QImage before = Painted(view, view->ShownSize());
    HoldExact(doc);
    QSignalSpy previews(&doc->Renderer(), &CRenderController::PreviewReady);
    Change();
    QVERIFY(previews.wait(60000));
    QVERIFY(!view->Preview().isNull());
    QVERIFY(Painted(view, view->ShownSize()) != before);
    m->Frame().Actions().stopDrawing->trigger();
    QVERIFY(test::WaitForPicture(doc));
    QVERIFY(view->Preview().isNull());
    QCOMPARE(Painted(view, view->ShownSize()), before);
    // The stopped settings are drawn when asked again.
    doc->Renderer().SetBeforeExact({});
    doc->UpdateImage(false);
    QVERIFY(test::WaitForPicture(doc));
    QVERIFY(test::Pixels(*view->OutputPicture()) == test::Pixels(*ExactOfTheCurrentEffect(doc)));
  }

  // At 100 % and for a small picture the exact picture is all that comes.
  void noPreviewAtFullSizeOrForASmallPicture_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<int>("zoomSteps");  // from 100 %
    QTest::newRow("large at 100 %") << m_large << 0;
    QTest::newRow("large at 200 %") << m_large << 10;
    QTest::newRow("small at 50 %") << QSize(400, 300) << -5;
  }
  void noPreviewAtFullSizeOrForASmallPicture() {
    QFETCH(QSize, picture);
    QFETCH(int, zoomSteps);
    const std::string path = test::WritePictureFile("picture.bmp", picture.width(), picture.height());
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, "Tests");
    QVERIFY(doc && doc->GetRunner());
    QVERIFY(test::WaitForPicture(doc));
    CBrisolScrollView* view = doc->GV();
    view->OnZoomNormal();
    for (int i = 0; i < std::abs(zoomSteps); ++i) zoomSteps > 0 ? view->OnZoomIn() : view->OnZoomOut();
    QCOMPARE(view->Zoom(), static_cast<unsigned>(100 + 10 * zoomSteps));
    QSignalSpy previews(&doc->Renderer(), &CRenderController::PreviewReady);
    QSignalSpy pictures(&doc->Renderer(), &CRenderController::PictureReady);
    const int started = doc->Renderer().PreviewsStarted();
    Change();
    QVERIFY(test::WaitForPicture(doc));
    QCOMPARE(previews.size(), 0);
    QCOMPARE(pictures.size(), 1);
    QCOMPARE(doc->Renderer().PreviewsStarted(), started);
  }

  // A new zoom is shown from pictures reduced on the drawing thread, the
  // photo's as well as the output's, without drawing anything again; at
  // 100 % the surfaces are painted as they are.
  void aNewZoomIsShownFromPicturesReducedOffTheWindowsThread() {
    CBrisolDoc* doc = OpenLarge();
    QVERIFY(doc);
    CBrisolScrollView* view = doc->GV();
    const int drawings = doc->Renderer().DrawingsStarted();
    const std::shared_ptr<CDADC> exact = view->OutputPicture();
    view->OnZoomOut();
    const QSize shown = view->ShownSize();
    QVERIFY(!shown.isEmpty());
    QTRY_VERIFY(view->PaintsReducedImage());
    QCOMPARE(Painted(view, shown), ReducedImage(*exact, shown));
    view->OnViewOriginal();
    QTRY_VERIFY(view->PaintsReducedImage());
    QCOMPARE(Painted(view, shown), ReducedImage(*doc->GetOriginal(), shown));
    view->OnShowCreated();
    view->OnZoomNormal();
    QVERIFY(view->ShownSize().isEmpty());
    QVERIFY(!view->PaintsReducedImage());
    QCOMPARE(Painted(view, QSize(200, 100)), ToQImage(*exact).copy(0, 0, 200, 100));
    QCOMPARE(doc->Renderer().DrawingsStarted(), drawings);
  }
};

BRISOL_APP_TEST_MAIN(PreviewTest)
#include "Preview_test.moc"
