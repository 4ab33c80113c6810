// The open-image dialog: its filters, the preview with the picture's facts,
// "Show Preview" kept between uses, and the dialog driven to the end.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QListView>
#include <filesystem>

#include "imageio/ImageSave.h"
#include "raster/Dadc.h"
#include "ui/FileFilters.h"
#include "ui/FitPicture.h"
#include "ui/OpenImageDialog.h"
#include "ui/OpenImagePreview.h"
#include "ui/UiTestSupport.h"

using namespace brisol;
namespace fs = std::filesystem;

namespace {

// A picture file of that size written by the program's own saver.
void WritePicture(const fs::path& path, int width, int height) {
  CDADC surface(SIZE{width, height}, RGB(30, 120, 220));
  QVERIFY(SaveImageFile(surface, path.string()).ok());
}

// An 8-bit BMP with a grey palette.
std::string GreyBmp(int width, int height) {
  const int stride = (width + 3) / 4 * 4;
  const std::uint32_t offset = 14 + 40 + 256 * 4, size = offset + static_cast<std::uint32_t>(stride * height);
  std::string bytes;
  auto put = [&](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  bytes += "BM";
  put(size, 4), put(0, 4), put(offset, 4);
  put(40, 4), put(static_cast<std::uint32_t>(width), 4), put(static_cast<std::uint32_t>(height), 4);
  put(1, 2), put(8, 2), put(0, 4), put(0, 4), put(0, 4), put(0, 4), put(256, 4), put(0, 4);
  for (std::uint32_t i = 0; i < 256; ++i) put(i | (i << 8) | (i << 16), 4);
  bytes += std::string(static_cast<std::size_t>(stride * height), '\x80');
  return bytes;
}

}  // namespace

class OpenImageDialogTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::TempDir> dir;

  fs::path File(const char* name) const { return dir->path() / name; }

 private slots:
  void init() {
    test::Alerts().Clear();
    SetOpenDialogShowsPreview(true);
    dir = std::make_unique<test::TempDir>();
  }
  void cleanup() {
    dir.reset();
    QVERIFY2(test::Alerts().Texts().empty(), test::AlertsText().c_str());
  }

  void filterTexts() {
    QCOMPARE(OpenImageFilters(), (QStringList{"Bitmap   (*.BMP)", "Targa    (*.TGA)", "Jpeg     (*.JPG)",
                                              "Pcx      (*.PCX)", "PNG      (*.PNG)", "All Files(*.*)"}));
  }

  void fitting_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("fitted");
    QTest::newRow("640 x 480 in 120 x 100") << QSize(640, 480) << QRect(0, 0, 120, 100) << QRect(0, 5, 120, 90);
    QTest::newRow("tall") << QSize(480, 640) << QRect(0, 0, 120, 100) << QRect(22, 0, 75, 100);
    QTest::newRow("square") << QSize(50, 50) << QRect(0, 0, 120, 100) << QRect(10, 0, 100, 100);
    QTest::newRow("frame elsewhere") << QSize(640, 480) << QRect(30, 40, 120, 100) << QRect(30, 45, 120, 90);
    QTest::newRow("odd spare height") << QSize(300, 100) << QRect(0, 0, 90, 40) << QRect(0, 5, 90, 30);
    QTest::newRow("empty picture") << QSize(0, 10) << QRect(0, 0, 120, 100) << QRect();
  }
  void fitting() {
    QFETCH(QSize, picture);
    QFETCH(QRect, frame);
    QFETCH(QRect, fitted);
    QCOMPARE(FitPicture(picture, frame), fitted);
  }

  void previewShowsThePictureAndItsFacts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("bmp") << QStringLiteral("photo.bmp") << 640 << 480;
    QTest::newRow("upper-case PNG") << QStringLiteral("PHOTO.PNG") << 300 << 200;
    QTest::newRow("jpeg") << QStringLiteral("photo.jpeg") << 200 << 300;
    QTest::newRow("tga") << QStringLiteral("photo.tga") << 64 << 64;
    QTest::newRow("pcx") << QStringLiteral("photo.Pcx") << 33 << 17;
  }
  void previewShowsThePictureAndItsFacts() {
    QFETCH(QString, name);
    QFETCH(int, width);
    QFETCH(int, height);
    const fs::path path = File(name.toUtf8().constData());
    WritePicture(path, width, height);
    COpenImagePreview pane(nullptr);
    pane.OnSelChange(QString::fromStdString(path.string()));
    QVERIFY(pane.Frame()->HasPicture());
    const QRect frame(0, 0, COpenImagePreview::kFrameWidth, COpenImagePreview::kFrameHeight);
    QCOMPARE(pane.Frame()->PictureRect(), FitPicture(QSize(width, height), frame));
    QCOMPARE(pane.InfoText(0), QStringLiteral("Width: %1 pixels").arg(width));
    QCOMPARE(pane.InfoText(1), QStringLiteral("Height: %1 pixels").arg(height));
    QCOMPARE(pane.InfoText(2), QStringLiteral("Colors: 16 millions"));
    QCOMPARE(pane.InfoText(3), QStringLiteral("Size: %1 Kb").arg(fs::file_size(path) / 1024));
  }

  void colorsFollowTheFilesDepth() {
    const fs::path path = File("grey.bmp");
    test::WriteFile(path.string(), GreyBmp(40, 30));
    COpenImagePreview pane(nullptr);
    pane.OnSelChange(QString::fromStdString(path.string()));
    QVERIFY(pane.Frame()->HasPicture());
    QCOMPARE(pane.InfoText(2), QStringLiteral("Colors: 256"));
  }

  void colorTexts_data() {
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("text");
    QTest::newRow("1") << 1 << QStringLiteral("Colors: 2 (monocromatic)");
    QTest::newRow("4") << 4 << QStringLiteral("Colors: 16");
    QTest::newRow("8") << 8 << QStringLiteral("Colors: 256");
    QTest::newRow("16") << 16 << QStringLiteral("Colors: 65,536");
    QTest::newRow("24") << 24 << QStringLiteral("Colors: 16 millions");
    QTest::newRow("32") << 32 << QString();
  }
  void colorTexts() {
    QFETCH(int, depth);
    QFETCH(QString, text);
    QCOMPARE(COpenImagePreview::ColorsText(depth), text);
  }

  void nothingToPreview_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("directory") << QStringLiteral("folder.bmp");
    QTest::newRow("unknown extension") << QStringLiteral("picture.gif");
    QTest::newRow("no extension") << QStringLiteral("picture");
    QTest::newRow("missing") << QStringLiteral("missing.png");
    QTest::newRow("empty") << QString();
  }
  void nothingToPreview() {
    QFETCH(QString, name);
    fs::create_directories(File("folder.bmp"));
    WritePicture(File("picture.bmp"), 20, 20);
    fs::copy_file(File("picture.bmp"), File("picture.gif"));
    fs::copy_file(File("picture.bmp"), File("picture"));
    COpenImagePreview pane(nullptr);
    pane.OnSelChange(QString::fromStdString(File("picture.bmp").string()));
    QVERIFY(pane.Frame()->HasPicture());
    pane.OnSelChange(name.isEmpty() ? QString() : QString::fromStdString(File(name.toUtf8().constData()).string()));
    QVERIFY(!pane.Frame()->HasPicture());
    for (int i = 0; i < 4; ++i) QCOMPARE(pane.InfoText(i), QString());
  }

  // A picture file that cannot be read shows no picture and, instead of
  // its facts, the one sentence every opening gives; no box comes up while
  // the user browses.
  void anUnreadableFileSaysWhy_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("cause");
    // (The decoder's own words for this one are the loader's business.)
    QTest::newRow("damaged") << "broken.png" << QByteArray("\x89PNG\r\n\x1a\n and then nothing useful") << QString();
    QTest::newRow("empty") << "empty.bmp" << QByteArray() << "the file is empty (0 bytes)";
    QTest::newRow("another format") << "text.jpg" << QByteArray("just words, no picture") << "not a JPEG file";
  }
  void anUnreadableFileSaysWhy() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, cause);
    const fs::path path = File(name.toUtf8().constData());
    test::WriteFile(path.string(), bytes.toStdString());
    COpenImagePreview pane(nullptr);
    pane.OnSelChange(QString::fromStdString(path.string()));
    QVERIFY(!pane.Frame()->HasPicture());
    QVERIFY2(pane.InfoText(0).startsWith(QString::fromStdString("Cannot read '" + path.string() + "': ")),
             qPrintable(pane.InfoText(0)));
    QVERIFY2(pane.InfoText(0).contains(cause), qPrintable(pane.InfoText(0)));
    for (int i = 1; i < 4; ++i) QCOMPARE(pane.InfoText(i), QString());
    QVERIFY(test::Alerts().Texts().empty());
  }

  void showPreviewIsRemembered() {
    WritePicture(File("a.bmp"), 40, 30);
    const QString a = QString::fromStdString(File("a.bmp").string());
    {
      COpenImagePreview pane(nullptr);
      auto* box = pane.findChild<QCheckBox*>(QStringLiteral("chk5006"));
      QCOMPARE(box->text(), QStringLiteral("Show Preview"));
      QVERIFY(box->isChecked());
      pane.OnSelChange(a);
      QVERIFY(pane.Frame()->HasPicture());
      box->click();
      QVERIFY(!OpenDialogShowsPreview());
      QVERIFY(!pane.Frame()->HasPicture());
      QCOMPARE(pane.InfoText(0), QString());
      box->click();  // checked again: the selection is shown again
      QVERIFY(pane.Frame()->HasPicture());
      QCOMPARE(pane.InfoText(0), QStringLiteral("Width: 40 pixels"));
      box->click();
    }
    COpenImagePreview next(nullptr);
    QVERIFY(!next.findChild<QCheckBox*>(QStringLiteral("chk5006"))->isChecked());
    next.OnSelChange(a);
    QVERIFY(!next.Frame()->HasPicture());
  }

  void dialogReturnsTheChosenFile() {
    WritePicture(File("a.png"), 40, 30);
    WritePicture(File("B.PNG"), 40, 30);
    WritePicture(File("c.bmp"), 40, 30);
    const QString dirName = QString::fromStdString(dir->path().string());
    int listed = -1;
    bool previewed = false;
    QString title;
    test::WhenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      QVERIFY(dialog != nullptr);
      title = dialog->windowTitle();
      QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("PNG (*.PNG)"));
      auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
      QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 2);
      listed = view->model()->rowCount(view->rootIndex());
      // Clicked in the list: the name field may hold the focus, and then
      // the dialog's own selectFile() leaves it alone.
      auto* pane = dialog->findChild<COpenImagePreview*>();
      const QModelIndexList named = view->model()->match(view->model()->index(0, 0, view->rootIndex()), Qt::DisplayRole,
                                                         QStringLiteral("B.PNG"), 1, Qt::MatchExactly);
      QCOMPARE(named.size(), 1);
      view->setCurrentIndex(named.front());
      QTRY_VERIFY(pane->Frame()->HasPicture());
      previewed = true;
      static_cast<QDialog*>(dialog)->accept();
    });
    int filterIndex = 4;
    const QString chosen = GetOpenImageName(nullptr, QStringLiteral("Select image to open"), dirName, filterIndex);
    QCOMPARE(title, QStringLiteral("Select image to open"));
    QCOMPARE(listed, 2);
    QVERIFY(previewed);
    QCOMPARE(chosen, dirName + QStringLiteral("/B.PNG"));
    QCOMPARE(filterIndex, 4);
  }

  // The JPEG filter lists .jpeg files with the .jpg ones, chosen first or
  // later from the list of types.
  void theJpegFilterTakesJpegToo_data() {
    QTest::addColumn<int>("start");
    QTest::newRow("opened with it") << 2;
    QTest::newRow("chosen later") << 4;
  }
  void theJpegFilterTakesJpegToo() {
    QFETCH(int, start);
    for (const char* name : {"a.jpg", "b.JPEG", "c.jpeg", "d.Jpg", "e.png"}) WritePicture(File(name), 10, 10);
    const QString dirName = QString::fromStdString(dir->path().string());
    QStringList listed;
    test::WhenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
      QVERIFY(types);
      // Chosen with the keys, as a person does.
      while (types->currentIndex() > 2) QTest::keyClick(types, Qt::Key_Up);
      QCOMPARE(types->currentIndex(), 2);
      auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
      QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 4);
      for (int row = 0; row < 4; ++row) listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
      dialog->reject();
    });
    int filterIndex = start;
    GetOpenImageName(nullptr, QStringLiteral("Open"), dirName, filterIndex);
    listed.sort(Qt::CaseInsensitive);
    QCOMPARE(listed, (QStringList{"a.jpg", "b.JPEG", "c.jpeg", "d.Jpg"}));
  }

  void allPicturesAndCancel() {
    WritePicture(File("a.png"), 10, 10);
    WritePicture(File("b.jpeg"), 10, 10);
    WritePicture(File("c.Bmp"), 10, 10);
    test::WriteFile(File("notes.txt").string(), "not a picture");
    const QString dirName = QString::fromStdString(dir->path().string());
    int listed = -1;
    test::WhenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("All Files(*.*)"));
      QCOMPARE(dialog->nameFilters().size(), 6);
      auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
      QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 3);
      listed = view->model()->rowCount(view->rootIndex());
      dialog->reject();
    });
    int filterIndex = 9;  // out of range: the last filter
    QVERIFY(GetOpenImageName(nullptr, QStringLiteral("Open"), dirName, filterIndex).isEmpty());
    QCOMPARE(listed, 3);
    QCOMPARE(filterIndex, 9);
  }
};

BRISOL_UI_TEST_MAIN(OpenImageDialogTest)
#include "OpenImageDialog_test.moc"
