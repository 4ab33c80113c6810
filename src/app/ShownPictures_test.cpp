// Pictures made at the size a view shows them: the reduction by whole
// pixels, when a change draws a preview, the preview as the same effect
// drawn from the reduced photo, the preview before its exact picture, a
// newer request stopping both, and each reduced photo made once.
#include <QThread>
#include <condition_variable>
#include <mutex>

#include "app/AlertQueue.h"
#include "app/AppTestSupport.h"
#include "app/RenderController.h"
#include "app/ShownPictures.h"
#include "ui/DadcImage.h"

using namespace brisol;

namespace {

// The picture's pixel under the centre of each pixel of a size x size
// picture laid over it, worked out here in doubles.
QImage PixelsUnderCentres(const CDADC& picture, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y)
    for (int x = 0; x < size.width(); ++x) {
      const int sx = static_cast<int>((x + 0.5) * picture.GetWidth() / size.width());
      const int sy = static_cast<int>((y + 0.5) * picture.GetHeight() / size.height());
      const COLORREF c = picture.GetDC().GetPixel(sx, sy);
      image.setPixel(x, y, qRgb(GetRValue(c), GetGValue(c), GetBValue(c)));
    }
  return image;
}

// Holds a drawing (at the hook it is given to) until it is asked to stop.
struct Hold {
  std::mutex mutex;
  std::condition_variable_any released;
  int calls = 0;
  int holdCall = 0;  // which call to hold, counted from 0
  void operator()(std::stop_token stop) {
    std::unique_lock lock(mutex);
    if (calls++ == holdCall) released.wait(lock, stop, [] { return false; });
  }
};

}  // namespace

class ShownPicturesTest : public QObject {
  Q_OBJECT

  test::TempDir m_dir;
  std::shared_ptr<const CDADC> m_original;
  std::unique_ptr<CEffect> m_effect;
  CAlertQueue m_alerts;
  const QSize m_shown{160, 107};

  std::shared_ptr<const CEffect> Effect(int seed, unsigned objects = 300) {
    m_effect->SetSeed(seed);
    m_effect->SetNumObjects(objects);
    return m_effect->Snapshot();
  }
  RenderJob PreviewJob(std::shared_ptr<const CEffect> effect, int quality = 1) {
    return RenderJob(std::move(effect), m_original, quality, m_shown, true);
  }

 private slots:
  void initTestCase() {
    test::QuietOffscreenNotes();
    test::WriteFile(m_dir.File("a.dxf"), test::PaddedDxf(test::SquareDxf(), 300));
    test::WriteFile(m_dir.File("b.dxf"), test::PaddedDxf(test::CircleDxf(), 300));
    m_effect = std::make_unique<CEffect>(m_dir.path().c_str());
    QCOMPARE(m_effect->GetNumShapes(), 2u);
    m_original = std::make_shared<const CDADC>(test::MakePicture(480, 321));
  }
  void cleanup() { test::TakeAlerts(); }

  // Each shown pixel is the picture's pixel under its centre, whether made
  // as a surface (to draw from) or as an image (to paint).
  void aReductionTakesThePixelUnderEachCentre_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("shown");
    QTest::newRow("a fifth") << QSize(600, 400) << QSize(120, 80);
    QTest::newRow("uneven") << QSize(481, 317) << QSize(96, 63);
    QTest::newRow("one row") << QSize(301, 7) << QSize(30, 1);
    QTest::newRow("a third of a column") << QSize(1, 90) << QSize(1, 30);
    QTest::newRow("same size") << QSize(50, 40) << QSize(50, 40);
  }
  void aReductionTakesThePixelUnderEachCentre() {
    QFETCH(QSize, picture);
    QFETCH(QSize, shown);
    const CDADC photo = test::MakePicture(picture.width(), picture.height());
    const QImage expected = PixelsUnderCentres(photo, shown);
    const std::unique_ptr<CDADC> reduced = ReducedCopy(photo, shown);
    QVERIFY(reduced);
    QCOMPARE(reduced->GetWidth(), shown.width());
    QCOMPARE(reduced->GetHeight(), shown.height());
    QCOMPARE(ToQImage(*reduced), expected);
    QCOMPARE(ReducedImage(photo, shown), expected);
  }

  void whenAChangeDrawsAPreview_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<unsigned>("zoom");
    QTest::addColumn<int>("quality");
    QTest::addColumn<bool>("preview");
    QTest::newRow("24 MP at 20 %") << QSize(6000, 4000) << 20u << 2 << true;
    QTest::newRow("24 MP at 100 %") << QSize(6000, 4000) << 100u << 2 << false;
    QTest::newRow("24 MP at 200 %") << QSize(6000, 4000) << 200u << 1 << false;
    QTest::newRow("24 MP at 70 %") << QSize(6000, 4000) << 70u << 1 << true;
    QTest::newRow("24 MP at 80 %: as dear as the picture") << QSize(6000, 4000) << 80u << 1 << false;
    QTest::newRow("small at 10 %") << QSize(640, 480) << 10u << 2 << false;
    QTest::newRow("1920 x 1080 at 50 %, quality 1") << QSize(1920, 1080) << 50u << 1 << false;
    QTest::newRow("1920 x 1080 at 50 %, quality 2") << QSize(1920, 1080) << 50u << 2 << true;
    QTest::newRow("1921 x 1080 at 50 %, quality 1") << QSize(1921, 1080) << 50u << 1 << true;
  }
  void whenAChangeDrawsAPreview() {
    QFETCH(QSize, picture);
    QFETCH(unsigned, zoom);
    QFETCH(int, quality);
    QFETCH(bool, preview);
    const SIZE size{picture.width(), picture.height()};
    QSize shown = ZoomedSize(size, zoom);
    if (shown.width() >= size.cx) shown = QSize();  // as the view gives it
    QCOMPARE(DrawsPreview(size, shown, quality), preview);
  }

  void aLargePictureOpensAtTheLargestZoomThatFits_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("room");
    QTest::addColumn<unsigned>("zoom");
    QTest::newRow("fits") << QSize(800, 600) << QSize(800, 600) << 100u;
    QTest::newRow("24 MP in 1570 x 850") << QSize(6000, 4000) << QSize(1570, 850) << 20u;
    QTest::newRow("one pixel too wide") << QSize(801, 600) << QSize(800, 600) << 90u;
    QTest::newRow("tall") << QSize(1000, 3000) << QSize(1000, 700) << 20u;
    QTest::newRow("never below 10 %") << QSize(100000, 100) << QSize(500, 500) << 10u;
  }
  void aLargePictureOpensAtTheLargestZoomThatFits() {
    QFETCH(QSize, picture);
    QFETCH(QSize, room);
    QFETCH(unsigned, zoom);
    QCOMPARE(FittingZoom(SIZE{picture.width(), picture.height()}, room), zoom);
  }

  // The preview is the effect, with its seed, drawn from the photo reduced
  // to the shown size; the exact picture is the effect drawn at full size
  // and comes after it with its own reduction.
  void thePreviewIsTheEffectDrawnFromTheReducedPhoto() {
    for (const auto threading : {CRenderController::Threading::Worker, CRenderController::Threading::CallingThread}) {
      for (const int quality : {1, 2}) {
        for (const int seed : {3, 71}) {
          CRenderController controller(&m_alerts, nullptr, threading);
          QStringList order;
          QImage preview, shownExact;
          std::shared_ptr<CDADC> exact;
          connect(&controller, &CRenderController::PreviewReady, this,
                  [&](QImage image, std::shared_ptr<const CEffect>) {
                    order << "preview";
                    preview = image;
                  });
          connect(&controller, &CRenderController::PictureReady, this,
                  [&](std::shared_ptr<CDADC> picture, std::shared_ptr<const CEffect>, QImage shown) {
                    order << "exact";
                    exact = picture;
                    shownExact = shown;
                  });
          const auto effect = Effect(seed);
          controller.Request(PreviewJob(effect, quality));
          QTRY_VERIFY_WITH_TIMEOUT(!controller.IsBusy(), 60000);
          QCOMPARE(order, (QStringList{"preview", "exact"}));
          const std::unique_ptr<CDADC> reducedPhoto = ReducedCopy(*m_original, m_shown);
          QCOMPARE(preview, ToQImage(*test::DrawInPlace(*reducedPhoto, *effect, quality)));
          QVERIFY(test::Pixels(*exact) == test::Pixels(*test::DrawInPlace(*m_original, *effect, quality)));
          QCOMPARE(shownExact, PixelsUnderCentres(*exact, m_shown));
        }
      }
    }
  }

  void withoutAShownSizeOnlyTheExactPictureComes() {
    CRenderController controller(&m_alerts);
    QSignalSpy previews(&controller, &CRenderController::PreviewReady);
    QSignalSpy pictures(&controller, &CRenderController::PictureReady);
    controller.Request(RenderJob(Effect(5), m_original, 1, QSize(), true));
    QTRY_VERIFY_WITH_TIMEOUT(!controller.IsBusy(), 60000);
    controller.Request(RenderJob(Effect(6), m_original, 1, m_shown, false));
    QTRY_VERIFY_WITH_TIMEOUT(!controller.IsBusy(), 60000);
    QCOMPARE(previews.size(), 0);
    QCOMPARE(pictures.size(), 2);
    QVERIFY(pictures[0][2].value<QImage>().isNull());
    QCOMPARE(pictures[1][2].value<QImage>().size(), m_shown);
    QCOMPARE(controller.PreviewsStarted(), 0);
  }

  // A newer request stops the older one wherever it is: before its
  // preview, or between its preview and its exact picture. Neither the
  // stopped preview nor the stopped exact picture comes.
  void aNewerRequestStopsThePreviewAndTheExactPicture_data() {
    QTest::addColumn<bool>("duringThePreview");
    QTest::newRow("before its preview") << true;
    QTest::newRow("before its exact picture") << false;
  }
  void aNewerRequestStopsThePreviewAndTheExactPicture() {
    QFETCH(bool, duringThePreview);
    Hold hold;  // outlives the controller, whose thread it may hold
    CRenderController controller(&m_alerts);
    if (duringThePreview)
      controller.SetBeforeDrawing(std::ref(hold));
    else
      controller.SetBeforeExact(std::ref(hold));
    QList<std::shared_ptr<const CEffect>> previews, pictures;
    connect(&controller, &CRenderController::PreviewReady, this,
            [&](QImage, std::shared_ptr<const CEffect> effect) { previews << effect; });
    connect(&controller, &CRenderController::PictureReady, this,
            [&](std::shared_ptr<CDADC>, std::shared_ptr<const CEffect> effect, QImage) { pictures << effect; });
    const auto older = Effect(11), newer = Effect(12);
    controller.Request(PreviewJob(older));
    if (duringThePreview) {
      QTRY_COMPARE(hold.calls, 1);
    } else {
      QTRY_COMPARE(previews.size(), 1);  // shown while its exact picture is held
      QCOMPARE(previews[0], older);
    }
    controller.Request(PreviewJob(newer));
    QTRY_VERIFY_WITH_TIMEOUT(!controller.IsBusy(), 60000);
    QCOMPARE(pictures, (QList<std::shared_ptr<const CEffect>>{newer}));
    QCOMPARE(previews.last(), newer);
    QCOMPARE(previews.size(), duringThePreview ? 1 : 2);
    QCOMPARE(controller.PreviewsFinished(), duringThePreview ? 1 : 2);
  }

  // Stop during the exact drawing: the preview goes with it (the view
  // forgets it) and no exact picture comes.
  void stopAfterThePreviewBringsNoExactPicture() {
    Hold hold;  // outlives the controller, whose thread it may hold
    CRenderController controller(&m_alerts);
    controller.SetBeforeExact(std::ref(hold));
    QSignalSpy previews(&controller, &CRenderController::PreviewReady);
    QSignalSpy pictures(&controller, &CRenderController::PictureReady);
    QSignalSpy stopped(&controller, &CRenderController::Stopped);
    controller.Request(PreviewJob(Effect(20)));
    QVERIFY(previews.wait(60000));
    controller.Stop();
    QVERIFY(stopped.wait(60000));
    QCOMPARE(pictures.size(), 0);
    QVERIFY(!controller.IsBusy());
  }

  // The photo is reduced once for each size and kept: the next drawings at
  // that size, and showing it, use it again.
  void theReducedPhotoIsMadeOncePerSize() {
    CRenderController controller(&m_alerts);
    QSignalSpy shown(&controller, &CRenderController::ShownReady);
    const QSize other(96, 64);
    controller.Request(PreviewJob(Effect(30)));
    QTRY_VERIFY_WITH_TIMEOUT(!controller.IsBusy(), 60000);
    controller.Request(PreviewJob(Effect(31)));
    QTRY_VERIFY_WITH_TIMEOUT(!controller.IsBusy(), 60000);
    QCOMPARE(controller.ReducedPhotosMade(), 1);
    controller.RequestShown(ShowJob{m_original, nullptr, other});
    QVERIFY(shown.wait(60000));
    QCOMPARE(controller.ReducedPhotosMade(), 2);
    QCOMPARE(shown[0][0].value<QSize>(), other);
    QCOMPARE(shown[0][1].value<QImage>(), PixelsUnderCentres(*m_original, other));
    QVERIFY(shown[0][2].value<QImage>().isNull());
    controller.Request(PreviewJob(Effect(32)));
    QTRY_VERIFY_WITH_TIMEOUT(!controller.IsBusy(), 60000);
    QCOMPARE(controller.ReducedPhotosMade(), 2);
    // Another photo starts afresh.
    const auto second = std::make_shared<const CDADC>(test::MakePicture(300, 200));
    controller.RequestShown(ShowJob{second, second, other});
    QVERIFY(shown.wait(60000));
    QCOMPARE(controller.ReducedPhotosMade(), 3);
    QCOMPARE(shown[1][1].value<QImage>(), PixelsUnderCentres(*second, other));
    QCOMPARE(shown[1][2].value<QImage>(), PixelsUnderCentres(*second, other));
  }

  // Showing at a new size is not a drawing: it neither stops the running
  // one nor waits for it to end more than its own work.
  void showingAtANewSizeLeavesTheDrawingAlone() {
    Hold hold;  // outlives the controller, whose thread it may hold
    CRenderController controller(&m_alerts);
    controller.SetBeforeDrawing(std::ref(hold));
    QSignalSpy pictures(&controller, &CRenderController::PictureReady);
    QSignalSpy shown(&controller, &CRenderController::ShownReady);
    const auto effect = Effect(40);
    controller.Request(RenderJob(effect, m_original, 1));
    QTRY_COMPARE(hold.calls, 1);
    controller.RequestShown(ShowJob{m_original, nullptr, QSize(48, 32)});
    controller.Request(RenderJob(Effect(41), m_original, 1));  // releases the hold
    QTRY_VERIFY_WITH_TIMEOUT(!controller.IsBusy(), 60000);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(pictures.size(), 1);
    QCOMPARE(controller.DrawingsStarted(), 2);
  }
};

BRISOL_APP_TEST_MAIN(ShownPicturesTest)
#include "ShownPictures_test.moc"
