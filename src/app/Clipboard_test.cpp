// Copy and paste: the shown picture goes to the clipboard (the original when
// it is shown), comes back as a new document "From Clip Board" with the same
// pixels, a clipboard without a picture is refused, and the clipboard only
// changes once the picture is on it.
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>

#include "app/AppTestSupport.h"
#include "app/Clipboard.h"
#include "imageio/Dib.h"
#include "ui/DadcImage.h"
#include "ui/ParamDlg.h"

using namespace brisol;
using test::StartedApp;

class ClipboardTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;

  CBrisolDoc* Open(const QString& collection, int w = 70, int h = 50) {
    const std::string path = test::WritePictureFile("clip.png", w, h);
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, collection);
    if (doc) test::WaitForPicture(doc);
    return doc;
  }
  static QImage ClipboardImage() { return QGuiApplication::clipboard()->image(); }

 private slots:
  void initTestCase() { test::QuietOffscreenNotes(); }
  void init() {
    m = std::make_unique<StartedApp>();
    test::MakeCollection("Tests");
    QGuiApplication::clipboard()->clear();
    test::TakeAlerts();
  }
  void cleanup() {
    m.reset();
    test::TakeAlerts();
  }

  void copyTakesTheShownPicture() {
    CBrisolDoc* doc = Open("Tests");
    QVERIFY(doc && doc->GetRunner());
    m->Frame().Actions().copy->trigger();
    QCOMPARE(ClipboardImage().convertToFormat(QImage::Format_RGB32), ToQImage(*doc->GV()->GetOutputDADC()));
    m->Frame().Actions().viewOriginal->trigger();
    m->Frame().Actions().copy->trigger();
    QCOMPARE(ClipboardImage().convertToFormat(QImage::Format_RGB32), ToQImage(*doc->GetOriginal()));
  }

  void copyThenPasteMakesAnEqualDocument() {
    CBrisolDoc* doc = Open("Tests");
    const QByteArray copied = test::Pixels(*doc->GV()->GetCurrentDADC());
    const std::string readDir = m->app->Settings().m_szImageReadDir;
    m->Frame().Actions().copy->trigger();
    bool wizardCame = false;
    test::DriveModal<QDialog>([&](QDialog* modal) {
      wizardCame = modal->objectName() == QStringLiteral("EFFECTDLG");
      modal->reject();
      return true;
    });
    m->Frame().Actions().paste->trigger();
    QVERIFY(wizardCame);
    QCOMPARE(m->Documents(), 2);
    CBrisolDoc* pasted = m->Doc();
    QVERIFY(pasted != doc);
    QCOMPARE(pasted->Title(), QStringLiteral("From Clip Board"));
    QCOMPARE(m->Frame().ActiveFrame()->windowTitle(), QStringLiteral("From Clip Board[*]"));
    QCOMPARE(test::Pixels(*pasted->GetOriginal()), copied);
    // Not a file: neither the recent files nor the open folder change, and
    // there is no command line for it.
    QCOMPARE(m->app->Settings().m_Recent.Entry(1), std::string());
    QCOMPARE(m->app->Settings().m_szImageReadDir, readDir);
    QVERIFY(!m->Frame().Actions().copyCommandLine->isEnabled());
  }

  void aPictureComesInThroughTheSamePathAsAFile() {
    QImage image(5, 3, QImage::Format_ARGB32);
    image.fill(qRgba(10, 20, 30, 255));
    image.setPixel(4, 2, qRgba(0, 0, 0, 0));  // transparent: over white
    const ByteBuffer dib = DibFromImage(image);
    QVERIFY(dib);
    const std::unique_ptr<CDADC> surface = CreateBitmapDADC(dib, 0, 0);
    QVERIFY(surface);
    QCOMPARE(surface->GetSize(), (SIZE{5, 3}));
    QCOMPARE(surface->GetDC().GetPixel(0, 0), RGB(10, 20, 30));
    QCOMPARE(surface->GetDC().GetPixel(4, 2), RGB(255, 255, 255));
  }

  void textIsNoPicture() {
    QGuiApplication::clipboard()->setText(QStringLiteral("just words"));
    m->Frame().Actions().paste->trigger();
    QCOMPARE(test::TakeAlerts(), QStringList{"The clipboard does not contain an image"});
    QCOMPARE(m->Documents(), 0);
    // An empty clipboard holds no picture either (it can be read: it is
    // not "empty" in the sense of a clipboard that cannot be opened).
    QGuiApplication::clipboard()->clear();
    m->Frame().Actions().paste->trigger();
    QCOMPARE(test::TakeAlerts(), QStringList{"The clipboard does not contain an image"});
    QCOMPARE(m->Documents(), 0);
  }

  void aLargePastedPictureIsOfferedToShrink() {
    m->app->m_iScreenWidth = 100;
    m->app->m_iScreenHeight = 100;
    QImage image(150, 80, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QGuiApplication::clipboard()->setImage(image);
    test::Alerts().QueueAnswer(AlertAnswer::Cancel);
    m->Frame().Actions().paste->trigger();
    QCOMPARE(test::TakeAlerts(), QStringList{"The image is larger than your screen\nWould you like to resize it?"});
    QCOMPARE(m->Documents(), 0);
  }

  void theClipboardKeepsItsContentWhenThereIsNoPicture() {
    QGuiApplication::clipboard()->setText(QStringLiteral("keep me"));
    QVERIFY(!CopyImageToClipboard(QImage()));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("keep me"));
    QCOMPARE(test::TakeAlerts().size(), 1);
    QVERIFY(!m->Frame().Actions().copy->isEnabled());
  }

  void ctrlCInAPanelCopiesThePicture() {
    CBrisolDoc* doc = Open("Tests");
    auto* edit = m->Frame().ParamDlg()->findChild<QLineEdit*>(QStringLiteral("edt1016"));
    QVERIFY(edit);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    m->Frame().ParamDlg()->activateWindow();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(ClipboardImage().convertToFormat(QImage::Format_RGB32), ToQImage(*doc->GV()->GetCurrentDADC()));
  }
};

BRISOL_APP_TEST_MAIN(ClipboardTest)
#include "Clipboard_test.moc"
