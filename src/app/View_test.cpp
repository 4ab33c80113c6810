// The view: zoom limits and the scroll area, scroll steps, what is shown
// before anything was drawn, the window sized to the picture, the context
// menu, binding the panels to the window in front, and printing (placement, a page, a
// PDF file, the preview).
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>

#include "app/AppTestSupport.h"
#include "app/Printing.h"
#include "app/ScrollSteps.h"
#include "app/Sfs.h"
#include "ui/ParamDlg.h"

using namespace brisol;
using test::StartedApp;

class ViewTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;

  CBrisolScrollView* Open(int w, int h, const QString& collection = QString()) {
    if (!collection.isEmpty()) test::MakeCollection(collection.toStdString());
    const std::string path = test::WritePictureFile("view.png", w, h);
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, collection);
    return doc ? doc->GV() : nullptr;
  }

 private slots:
  void initTestCase() { test::QuietOffscreenNotes(); }
  void init() {
    m = std::make_unique<StartedApp>();
    m->Frame().resize(1400, 1000);
    test::TakeAlerts();
  }
  void cleanup() {
    m.reset();
    test::TakeAlerts();
  }

  // Sizing a picture's window: a minimised one is left alone, a maximised
  // one comes back to normal with the view's visible area at the size.
  void sizingAWindowForItsPicture() {
    CBrisolScrollView* view = Open(64, 48);
    QVERIFY(view);
    auto* frame = qobject_cast<QMdiSubWindow*>(view->parentWidget());
    QVERIFY(frame);
    SFS(frame, 200, 150);
    QCOMPARE(view->contentsRect().size(), QSize(200, 150));
    frame->showMinimized();
    QVERIFY(frame->isMinimized());
    const QSize minimised = frame->size();
    SFS(frame, 300, 200);
    QVERIFY(frame->isMinimized());
    QCOMPARE(frame->size(), minimised);
    frame->showMaximized();
    QVERIFY(frame->isMaximized());
    SFS(frame, 240, 160);
    QVERIFY(!frame->isMaximized() && !frame->isMinimized());
    QCOMPARE(view->contentsRect().size(), QSize(240, 160));
    SFS(nullptr, 10, 10);
    QCOMPARE(test::TakeAlerts(), QStringList{"SFS: Bad window pointer"});
  }

  void zoomStaysWithinTenAndThreeHundred() {
    CBrisolScrollView* view = Open(64, 48);
    QVERIFY(view);
    QCOMPARE(view->Zoom(), 100u);
    for (int i = 0; i < 21; ++i) view->OnZoomIn();
    QCOMPARE(view->Zoom(), 300u);
    QCOMPARE(view->ScrollAreaSize(), QSize(192, 144));
    view->OnZoomNormal();
    QCOMPARE(view->Zoom(), 100u);
    for (int i = 0; i < 8; ++i) view->OnZoomOut();
    QCOMPARE(view->Zoom(), 20u);
    view->OnZoomOut();
    QCOMPARE(view->Zoom(), 10u);
    view->OnZoomOut();
    QCOMPARE(view->Zoom(), 10u);
    QCOMPARE(view->ScrollAreaSize(), QSize(6, 4));
  }

  void theZoomedPictureSetsTheScrollArea() {
    CBrisolScrollView* view = Open(640, 480);
    for (int i = 0; i < 5; ++i) view->OnZoomIn();
    QCOMPARE(view->Zoom(), 150u);
    QCOMPARE(view->ScrollAreaSize(), QSize(960, 720));
    const QSize room = view->viewport()->size();
    QCOMPARE(view->horizontalScrollBar()->maximum(), std::max(0, 960 - room.width()));
    QCOMPARE(view->verticalScrollBar()->maximum(), std::max(0, 720 - room.height()));
    // The picture is stretched pixel by pixel, no smoothing.
    QImage shown(view->viewport()->size(), QImage::Format_RGB32);
    view->viewport()->render(&shown);
    const QImage& picture = view->CurrentImage();
    QCOMPARE(shown.pixel(0, 0), picture.pixel(0, 0));
    QCOMPARE(shown.pixel(1, 0), picture.pixel(0, 0));
    QCOMPARE(shown.pixel(2, 0), picture.pixel(1, 0));
  }

  void theWindowFitsThePicture() {
    CBrisolScrollView* view = Open(300, 200);
    QCOMPARE(view->viewport()->size(), QSize(300, 200));
    view->OnZoomIn();
    QCOMPARE(view->viewport()->size(), QSize(330, 220));
    QVERIFY(!view->horizontalScrollBar()->isVisible());
  }

  void scrollSteps_data() {
    QTest::addColumn<int>("extent");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("page");
    QTest::newRow("640") << 640 << 7 << 64;
    QTest::newRow("700") << 700 << 7 << 70;
    QTest::newRow("99") << 99 << 1 << 9;
    QTest::newRow("1000") << 1000 << 11 << 100;
  }
  void scrollSteps() {
    QFETCH(int, extent);
    QFETCH(int, line);
    QFETCH(int, page);
    QCOMPARE(ScrollStepsFor(extent).line, line);
    QCOMPARE(ScrollStepsFor(extent).page, page);
  }

  void theScrollBarsMoveByTheSteps() {
    CBrisolScrollView* view = Open(640, 480);
    view->parentWidget()->resize(300, 250);
    QScrollBar* bar = view->horizontalScrollBar();
    QVERIFY(bar->maximum() > 100);
    QCOMPARE(bar->singleStep(), 7);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(bar->value(), 64);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(bar->value(), 71);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(bar->value(), 7);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(view->verticalScrollBar()->singleStep(), 5);  // 480 / 100 = 4, or-ed with 1
  }

  void theCreatedPictureIsBlackBeforeAnythingWasDrawn() {
    CBrisolScrollView* view = Open(40, 30);
    QCOMPARE(view->GetShow(), 0);
    QCOMPARE(view->GetCurrentDADC(), view->GetDocument()->GetOriginal());
    view->OnShowCreated();
    QCOMPARE(view->GetShow(), 1);
    const CDADC* shown = view->GetCurrentDADC();
    QVERIFY(shown && shown != view->GetDocument()->GetOriginal());
    QCOMPARE(shown->GetSize(), (SIZE{40, 30}));
    const QByteArray pixels = test::Pixels(*shown);
    QVERIFY(std::all_of(pixels.begin(), pixels.end(), [](char c) { return c == 0; }));
    QCOMPARE(view->CurrentImage().pixel(5, 5), qRgb(0, 0, 0));
    m->Frame().Actions().viewOriginal->trigger();
    QCOMPARE(view->GetShow(), 0);
  }

  void theContextMenuOffersWizardAndShows() {
    CBrisolScrollView* view = Open(40, 30);
    QStringList items;
    QTimer::singleShot(50, [&] {
      if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        for (QAction* a : menu->actions()) items << a->text();
        menu->close();
      }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), view->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(view->viewport(), &event);
    QCOMPARE(items, (QStringList{"&Wizard", "Show &Original Image", "Show Final Image"}));
  }

  void activatingAWindowBindsThePanelsToItsDocument() {
    CBrisolScrollView* first = Open(60, 40, "Tests");
    CBrisolScrollView* second = Open(50, 40, "Tests");
    QVERIFY(first && second && first != second);
    m->Frame().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m->Frame()));
    first->GetDocument()->GetRunner()->GetEffect().SetSize(3);
    second->GetDocument()->GetRunner()->GetEffect().SetSize(20);
    auto* size = m->Frame().ParamDlg()->findChild<QLineEdit*>(QStringLiteral("edt1016"));
    m->Frame().MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    QCOMPARE(size->text().trimmed(), QStringLiteral("3.00"));
    m->Frame().MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(second->parentWidget()));
    QCOMPARE(size->text().trimmed(), QStringLiteral("20.00"));
    QVERIFY(test::WaitForPicture(first->GetDocument()));
    QVERIFY(test::WaitForPicture(second->GetDocument()));
  }

  void printPlacement_data() {
    QTest::addColumn<QSize>("page");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("placed");
    QTest::newRow("wide") << QSize(4800, 6600) << QSize(2000, 1000) << QRect(0, 2100, 4800, 2400);
    QTest::newRow("tall") << QSize(4800, 6600) << QSize(1000, 2000) << QRect(750, 0, 3300, 6600);
    QTest::newRow("same shape") << QSize(400, 300) << QSize(40, 30) << QRect(0, 0, 400, 300);
    QTest::newRow("odd halves") << QSize(101, 100) << QSize(10, 10) << QRect(0, 0, 100, 100);
  }
  void printPlacement() {
    QFETCH(QSize, page);
    QFETCH(QSize, picture);
    QFETCH(QRect, placed);
    QCOMPARE(PrintPlacement(page, picture), placed);
  }

  void aPageShowsThePictureStretchedInPlace() {
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(qRgb(200, 0, 0));
    picture.setPixel(0, 0, qRgb(0, 0, 255));
    QImage page(48, 66, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
      QPainter painter(&page);
      PrintDraw(painter, page.size(), picture);
    }
    // 20 x 10 on 48 x 66: 48 x 24, 21 rows down.
    QCOMPARE(page.pixel(0, 20), qRgb(255, 255, 255));
    QCOMPARE(page.pixel(0, 21), qRgb(0, 0, 255));
    QCOMPARE(page.pixel(1, 22), qRgb(0, 0, 255));
    QCOMPARE(page.pixel(3, 21), qRgb(200, 0, 0));
    QCOMPARE(page.pixel(47, 44), qRgb(200, 0, 0));
    QCOMPARE(page.pixel(47, 45), qRgb(255, 255, 255));
  }

  void printingToAPdfFileWorks() {
    CBrisolScrollView* view = Open(80, 60);
    QVERIFY(view);
    const QString pdf = test::UiTestEnvironment::Get().Folder() + "/printed.pdf";
    QPrinter& printer = m->Frame().Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    bool dialogShown = false;
    test::DriveModal<QPrintDialog>([&](QPrintDialog* dialog) {
      dialogShown = true;
      dialog->accept();
      return true;
    });
    m->Frame().Actions().print->trigger();
    QVERIFY(dialogShown);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    QVERIFY(file.size() > 1000);
  }

  void printPreviewDrawsThePage() {
    CBrisolScrollView* view = Open(80, 60);
    QVERIFY(view);
    bool previewShown = false;
    test::DriveModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* dialog) {
      previewShown = true;
      dialog->reject();
      return true;
    });
    m->Frame().Actions().printPreview->trigger();
    QVERIFY(previewShown);
  }
};

BRISOL_APP_TEST_MAIN(ViewTest)
#include "View_test.moc"
