// Opening pictures: the offer to shrink a picture larger than the screen,
// the refusals, the recent files in the File menu, and where the open
// dialog starts next time.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include <unistd.h>

#include "app/AppTestSupport.h"
#include "ui/ResizeDlg.h"

using namespace brisol;
using test::StartedApp;

namespace {

const QString kLarger = QStringLiteral("The image is larger than your screen\nWould you like to resize it?");

QSize OriginalSize(const CBrisolDoc* doc) {
  return doc && doc->GetOriginal() ? QSize(doc->GetOriginal()->GetWidth(), doc->GetOriginal()->GetHeight()) : QSize();
}

}  // namespace

class AppOpenTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;

 private slots:
  void initTestCase() { test::QuietOffscreenNotes(); }
  void init() {
    m = std::make_unique<StartedApp>();
    m->app->m_iScreenWidth = 1024;
    m->app->m_iScreenHeight = 768;
    test::TakeAlerts();
  }
  void cleanup() {
    m.reset();
    test::TakeAlerts();
  }

  void proposedSize_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("proposed");
    QTest::newRow("fourteen steps") << QSize(2000, 1500) << QSize(1024, 768) << QSize(975, 731);
    QTest::newRow("fits") << QSize(1024, 768) << QSize(1024, 768) << QSize(1024, 768);
    QTest::newRow("one step") << QSize(1060, 700) << QSize(1024, 768) << QSize(1007, 665);
    QTest::newRow("tall, 21 steps") << QSize(500, 3000) << QSize(1280, 1024) << QSize(170, 1021);
  }
  void proposedSize() {
    QFETCH(QSize, picture);
    QFETCH(QSize, screen);
    QFETCH(QSize, proposed);
    int w = 0, h = 0;
    CBrisolApp::ProposeSize(picture.width(), picture.height(), screen.width(), screen.height(), w, h);
    QCOMPARE(QSize(w, h), proposed);
  }

  // Yes proposes the shrunk size to the resize dialog; OK shrinks the
  // picture before it becomes a document.
  void aLargerPictureIsShrunkOnYes() {
    const std::string path = test::WritePictureFile("large.png", 2000, 1500);
    test::Alerts().QueueAnswer(AlertAnswer::Yes);
    QSize proposed, original;
    test::DriveModal<CResizeDlg>([&](CResizeDlg* resize) {
      proposed = QSize(resize->m_iWidth, resize->m_iHeight);
      original = QSize(resize->m_iOrigWidth, resize->m_iOrigHeight);
      test::AnswerWizard(QString());  // the wizard comes next: cancelled
      resize->accept();
      return true;
    });
    CBrisolDoc* doc = m->app->OpenImage(QString::fromStdString(path));
    QCOMPARE(test::TakeAlerts(), QStringList{kLarger});
    QCOMPARE(proposed, QSize(975, 731));
    QCOMPARE(original, QSize(2000, 1500));
    QVERIFY(doc);
    QCOMPARE(OriginalSize(doc), QSize(975, 731));
    QCOMPARE(doc->ReadSize(), QSize(2000, 1500));
    QCOMPARE(m->Documents(), 1);
  }

  void cancellingTheResizeDialogKeepsTheSize() {
    const std::string path = test::WritePictureFile("large2.png", 1100, 500);
    test::Alerts().QueueAnswer(AlertAnswer::Yes);
    test::DriveModal<CResizeDlg>([](CResizeDlg* resize) {
      test::AnswerWizard(QString());
      resize->reject();
      return true;
    });
    CBrisolDoc* doc = m->app->OpenImage(QString::fromStdString(path));
    QCOMPARE(OriginalSize(doc), QSize(1100, 500));
  }

  void noKeepsTheSize() {
    const std::string path = test::WritePictureFile("wide.png", 1025, 20);
    test::Alerts().QueueAnswer(AlertAnswer::No);
    test::AnswerWizard(QString());
    CBrisolDoc* doc = m->app->OpenImage(QString::fromStdString(path));
    QCOMPARE(test::TakeAlerts(), QStringList{kLarger});
    QCOMPARE(OriginalSize(doc), QSize(1025, 20));
  }

  void cancelOpensNothing() {
    const std::string path = test::WritePictureFile("tall.png", 30, 769);
    test::Alerts().QueueAnswer(AlertAnswer::Cancel);
    QVERIFY(m->app->OpenImage(QString::fromStdString(path)) == nullptr);
    QCOMPARE(test::TakeAlerts(), QStringList{kLarger});
    QCOMPARE(m->Documents(), 0);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
  }

  void aPictureAsLargeAsTheScreenIsNotQuestioned() {
    const std::string path = test::WritePictureFile("screen.png", 1024, 768);
    test::AnswerWizard(QString());
    CBrisolDoc* doc = m->app->OpenImage(QString::fromStdString(path));
    QVERIFY(test::TakeAlerts().isEmpty());
    QCOMPARE(OriginalSize(doc), QSize(1024, 768));
    QCOMPARE(doc->Title(), QStringLiteral("screen.png"));
    QCOMPARE(m->Frame().ActiveFrame()->windowTitle(), QStringLiteral("screen.png[*]"));
    QVERIFY(m->Frame().ActiveFrame()->isWindowModified());
  }

  // Every way a picture cannot be read ends in one box with the warning
  // icon: one sentence naming the file and the cause, whichever way it was
  // opened (here: by name, as the dialog, a drop and the command line do).
  void anUnreadablePictureIsOneSentence_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cause");
    QTest::newRow("zero bytes") << "empty.png"
                                << "the file is empty (0 bytes)";
    QTest::newRow("truncated") << "cut.png"
                               << "truncated";
    QTest::newRow("another format") << "jpeg.png"
                                    << "not a PNG file (it is a JPEG file)";
    QTest::newRow("too large") << "huge.bmp"
                               << "megapixels";
    QTest::newRow("a folder") << "folder.png"
                              << "it is a folder";
    QTest::newRow("missing") << "missing.png"
                             << "No such file or directory";
    if (::geteuid() != 0)
      QTest::newRow("no permission") << "locked.png"
                                     << "Permission denied";
  }
  void anUnreadablePictureIsOneSentence() {
    QFETCH(QString, name);
    QFETCH(QString, cause);
    const std::string folder = (test::UiTestEnvironment::Get().Folder() + "/unreadable").toStdString();
    std::filesystem::create_directories(folder);
    const std::string png = test::ReadFile(test::WritePictureFile("whole.png", 64, 48));
    test::WriteFile(folder + "/empty.png", "");
    test::WriteFile(folder + "/cut.png", png.substr(0, png.size() / 2));
    test::WriteFile(folder + "/jpeg.png", test::ReadFile(test::WritePictureFile("photo.jpg", 16, 16)));
    std::string bmp = "BM";  // a header claiming 30000 x 30000 pixels, nothing behind it
    for (std::uint32_t v : {54u, 0u, 54u, 40u, 30000u, 30000u}) bmp.append(reinterpret_cast<const char*>(&v), 4);
    test::WriteFile(folder + "/huge.bmp", bmp + std::string("\x01\x00\x18\x00", 4) + std::string(24, '\0'));
    std::filesystem::create_directories(folder + "/folder.png");
    test::WriteFile(folder + "/locked.png", png);
    std::filesystem::permissions(folder + "/locked.png", std::filesystem::perms::none);

    const std::string path = folder + "/" + name.toStdString();
    QVERIFY(m->app->OpenImage(QString::fromStdString(path)) == nullptr);
    const std::vector<Alert> alerts = test::Alerts().Alerts();
    QCOMPARE(alerts.size(), std::size_t{1});
    const QString text = QString::fromStdString(alerts[0].text);
    QVERIFY2(text.startsWith(QString::fromStdString("Cannot read '" + path + "': ")), qPrintable(text));
    QVERIFY2(text.contains(cause) && text.endsWith('.') && !text.contains('\n'), qPrintable(text));
    QCOMPARE(alerts[0].icon, int(kIconExclamation));
    QCOMPARE(m->Documents(), 0);
    QCOMPARE(m->app->Settings().m_Recent.Entry(0), std::string());
    std::filesystem::permissions(folder + "/locked.png", std::filesystem::perms::owner_all);
  }

  // A JPEG cut short is opened as far as it goes, and the status bar says
  // so once in the decoder's words, without a box.
  void aDamagedJpegIsOpenedWithAWordInTheStatusBar() {
    const std::string whole = test::ReadFile(test::WritePictureFile("whole.jpg", 64, 48));
    const std::string path = (test::UiTestEnvironment::Get().Folder() + "/cut.jpg").toStdString();
    test::WriteFile(path, whole.substr(0, whole.size() * 2 / 3) + "\xFF\xD9");
    test::AnswerWizard(QString());
    CBrisolDoc* doc = m->app->OpenImage(QString::fromStdString(path));
    QVERIFY2(doc, qPrintable(test::TakeAlerts().join('|')));
    QCOMPARE(OriginalSize(doc), QSize(64, 48));
    QVERIFY(test::TakeAlerts().isEmpty());
    const QString status = m->Frame().statusBar()->currentMessage();
    QVERIFY2(status.startsWith(QString::fromStdString("'" + path + "' is damaged")), qPrintable(status));
    QVERIFY2(status.contains("rows are missing"), qPrintable(status));
  }

  void aNameOfNoPictureTypeIsRefused() {
    const std::string path = (test::UiTestEnvironment::Get().Folder() + "/pictures/notes.txt").toStdString();
    QVERIFY(m->app->OpenImage(QString::fromStdString(path)) == nullptr);
    QCOMPARE(test::TakeAlerts(),
             QStringList{QString::fromStdString("This file format is not supported:\n<" + path + ">")});
  }

  void jpegReadsLikeJpg() {
    const std::string path = test::WritePictureFile("photo.jpeg", 64, 48);
    test::AnswerWizard(QString());
    CBrisolDoc* doc = m->app->OpenImage(QString::fromStdString(path));
    QVERIFY2(doc, qPrintable(test::TakeAlerts().join('|')));
    QCOMPARE(OriginalSize(doc), QSize(64, 48));
    QCOMPARE(m->app->Settings().m_iImageReadType, 2);
  }

  void openingRemembersTheFolderTypeAndFile() {
    const std::string path = test::WritePictureFile("sub/one.bmp", 40, 30);
    test::AnswerWizard(QString());
    QVERIFY(m->app->OpenImage(QString::fromStdString(path)));
    const CAppSettings& s = m->app->Settings();
    QCOMPARE(s.m_szImageReadDir, std::filesystem::path(path).parent_path().string());
    QCOMPARE(s.m_iImageReadType, 0);
    QCOMPARE(s.m_Recent.Entry(0), path);
  }

  void theFileMenuListsTheRecentFiles() {
    const std::string a = test::WritePictureFile("a.png", 20, 20), b = test::WritePictureFile("b.png", 20, 20);
    for (const std::string& path : {a, b, a}) {
      test::AnswerWizard(QString());
      QVERIFY(m->app->OpenImage(QString::fromStdString(path)));
    }
    m->Frame().updateMenus();
    const auto& recent = m->Frame().Actions().recent;
    QCOMPARE(recent[0]->text(), QString::fromStdString("&1: " + b));
    QCOMPARE(recent[1]->text(), QString::fromStdString("&2: " + a));
    QVERIFY(recent[0]->isEnabled() && recent[1]->isEnabled());
    QVERIFY(recent[0]->isVisible() && recent[1]->isVisible());
    // Slots without a file are not shown at all.
    for (int i = 2; i < 5; ++i) QVERIFY(!recent[static_cast<std::size_t>(i)]->isVisible());
    // The items sit in the File menu, in order, after the printing items.
    QMenu* file = m->Frame().menuBar()->actions().first()->menu();
    QVERIFY(file->actions().indexOf(recent[0]) < file->actions().indexOf(recent[4]));
  }

  void reopeningADeletedFileKeepsItsEntry() {
    const std::string path = test::WritePictureFile("gone.png", 20, 20);
    test::AnswerWizard(QString());
    QVERIFY(m->app->OpenImage(QString::fromStdString(path)));
    std::filesystem::remove(path);
    test::TakeAlerts();
    m->Frame().Actions().recent[0]->trigger();
    QCOMPARE(test::TakeAlerts(), QStringList{QString::fromStdString("This file has been deleted or moved:\n" + path)});
    QCOMPARE(m->app->Settings().m_Recent.Entry(0), path);
    m->app->OpenMROFile(7);
    m->app->OpenMROFile(3);
    QCOMPARE(test::TakeAlerts(),
             (QStringList{"***WARNING*** OpenMROFile (7)\n", "***WARNING*** OpenMROFile (3) strange filename <>\n"}));
  }

  void reopeningARecentFileOpensIt() {
    const std::string path = test::WritePictureFile("again.tga", 33, 22);
    test::AnswerWizard(QString());
    QVERIFY(m->app->OpenImage(QString::fromStdString(path)));
    test::AnswerWizard(QString());
    m->Frame().Actions().recent[0]->trigger();
    QCOMPARE(m->Documents(), 2);
    QCOMPARE(OriginalSize(m->Doc()), QSize(33, 22));
  }
};

BRISOL_APP_TEST_MAIN(AppOpenTest)
#include "AppOpen_test.moc"
