// Every window as a person sees it: all of it inside the window, no text
// cut off, no controls on top of each other. With BRISOL_SHOTS_DIR set the
// windows are also saved there as PNG pictures.
#include <QAbstractButton>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPainter>
#include <filesystem>

#include "effect/Effect.h"
#include "effect/EffectTestUtil.h"
#include "raster/Dadc.h"
#include "ui/ColMixDlg.h"
#include "ui/DebugDlg.h"
#include "ui/EffectDlg.h"
#include "ui/Icons.h"
#include "ui/MessageBoxAlertSink.h"
#include "ui/OpenImageDialog.h"
#include "ui/OpenImagePreview.h"
#include "ui/OrigDlg.h"
#include "ui/PanelControls.h"
#include "ui/ParamDlg.h"
#include "ui/QualityDlg.h"
#include "ui/ResizeDlg.h"
#include "ui/UiTestSupport.h"

using namespace brisol;
namespace fs = std::filesystem;

namespace {

void Save(const QImage& image, const char* name) {
  const QByteArray dir = qgetenv("BRISOL_SHOTS_DIR");
  if (dir.isEmpty()) return;
  fs::create_directories(dir.constData());
  image.save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

// A star with five points, for the wizard's preview.
std::string StarDxf() {
  std::string d = "  0\nSECTION\n  2\nENTITIES\n  0\nLWPOLYLINE\n  8\n0\n 90\n10\n 70\n1\n";
  for (int i = 0; i < 10; ++i) {
    const double r = i % 2 == 0 ? 0.5 : 0.2, a = 3.14159265358979 / 2 + i * 3.14159265358979 / 5;
    d += " 10\n" + std::to_string(r * std::cos(a)) + "\n 20\n" + std::to_string(r * std::sin(a)) + "\n";
  }
  return d + "  0\nENDSEC\n  0\nEOF\n";
}

// Checks what a person would notice at once.
void CheckLayout(QWidget* window) {
  const QRect inside(QPoint(0, 0), window->size());
  // The title bar shows the whole title (panels keep to their contents).
  if (qobject_cast<QDialog*>(window) && !(window->windowFlags() & Qt::Tool) && !qobject_cast<QMessageBox*>(window))
    QVERIFY2(window->width() >= TitleBarWidth(window), qPrintable(window->windowTitle() + " is cut off"));
  for (QWidget* child : window->findChildren<QWidget*>()) {
    if (!child->isVisibleTo(window) || child->isWindow()) continue;
    const QRect area(child->mapTo(window, QPoint(0, 0)), child->size());
    QVERIFY2(inside.contains(area), qPrintable(child->objectName() + QStringLiteral(" leaves its window")));
    QString text;
    if (auto* label = qobject_cast<QLabel*>(child)) text = label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(child)) text = button->text();
    if (!text.isEmpty() && !qobject_cast<QMessageBox*>(window)) {
      QVERIFY2(child->width() >= child->minimumSizeHint().width(),
               qPrintable(QStringLiteral("\"%1\" is cut off").arg(text)));
    }
  }
  // Sliders and edits of one window never overlap.
  QList<QRect> inputs;
  for (QWidget* child : window->findChildren<QWidget*>()) {
    if (!child->isVisibleTo(window)) continue;
    if (!qobject_cast<QSlider*>(child) && !qobject_cast<QLineEdit*>(child) && !qobject_cast<QComboBox*>(child))
      continue;
    if (child->parentWidget() != nullptr && qobject_cast<QComboBox*>(child->parentWidget())) continue;
    const QRect area(child->mapTo(window, QPoint(0, 0)), child->size());
    for (const QRect& other : inputs) QVERIFY2(!other.intersects(area), qPrintable(child->objectName()));
    inputs << area;
  }
}

QImage Shoot(QWidget* window) {
  window->show();
  if (!QTest::qWaitForWindowExposed(window)) return {};
  QCoreApplication::processEvents();
  return window->grab().toImage();
}

}  // namespace

class ScreensTest : public QObject {
  Q_OBJECT

  test::CountingDocument doc;

 private slots:
  void settingsPanel() {
    CParamDlg dlg(nullptr);
    CEffect effect;
    dlg.SetEffect(&doc, &effect);
    const QImage shot = Shoot(&dlg);
    CheckLayout(&dlg);
    QVERIFY(dlg.width() < 520);  // compact beside the picture
    Save(shot, "size-number-angle");
  }

  void coloursPanel() {
    CColMixDlg dlg(nullptr);
    CEffect effect;
    effect.SetSolidColSrc(eColSrcSingle);
    effect.SetSolidColor(RGB(230, 120, 30));
    effect.SetMixGeom(eMixEllipVignette);
    effect.SetMixSharpness(75);
    effect.SetMixVisible(42);
    dlg.SetEffect(&doc, &effect);
    const QImage shot = Shoot(&dlg);
    CheckLayout(&dlg);
    QVERIFY(dlg.width() < 520);
    Save(shot, "coloring-mixing");
  }

  void originalImage() {
    COrigDlg dlg(nullptr);
    CDADC original(SIZE{400, 300});
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < 400; ++x)
        original.GetDC().SetPixel(x, y, y < 180 ? RGB(90 + x / 4, 150, 230) : RGB(60, 140 + x / 8, 60));
    dlg.SetImage(&original);
    const QImage shot = Shoot(&dlg);
    CheckLayout(&dlg);
    Save(shot, "original-image");
  }

  void debugPanel() {
    CDebugDlg dlg(nullptr);
    const QImage shot = Shoot(&dlg);
    CheckLayout(&dlg);
    Save(shot, "debug");
  }

  void qualityDialog() {
    CQualityDlg dlg(nullptr);
    dlg.m_iQuality = 2;
    const QImage shot = Shoot(&dlg);
    CheckLayout(&dlg);
    Save(shot, "quality");
  }

  void resizeDialog() {
    CResizeDlg dlg(nullptr);
    dlg.m_iWidth = 1600;
    dlg.m_iHeight = 1200;
    dlg.m_iOrigWidth = 4000;
    dlg.m_iOrigHeight = 3000;
    const QImage shot = Shoot(&dlg);
    CheckLayout(&dlg);
    Save(shot, "resize");
  }

  void objectsWizard() {
    test::TempDir main;
    for (const char* name : {"Stars", "Circles", "Squares"}) {
      const fs::path dir = main.path() / "Effects" / name;
      fs::create_directories(dir);
      const std::string shape = std::string(name) == "Stars"     ? StarDxf()
                                : std::string(name) == "Circles" ? test::CircleDxf()
                                                                 : test::SquareDxf();
      test::WriteFile((dir / "shape.dxf").string(), test::PaddedDxf(shape, 300));
    }
    CEffectDlg dlg(nullptr, main.path().string(), nullptr, "Stars");
    dlg.SetEffectRoots({(main.path() / "Effects").string()});
    const QImage shot = Shoot(&dlg);
    CheckLayout(&dlg);
    Save(shot, "select-objects");
  }

  void openDialog() {
    test::TempDir dir;
    const fs::path file = dir.path() / "garden.bmp";
    {
      QImage image(320, 240, QImage::Format_RGB32);
      image.fill(QColor(40, 120, 200));
      QPainter p(&image);
      p.fillRect(0, 150, 320, 90, QColor(50, 140, 60));
      p.setBrush(QColor(250, 210, 60));
      p.drawEllipse(QPoint(240, 60), 30, 30);
      p.end();
      image.save(QString::fromStdString(file.string()));
    }
    QImage shot;
    test::WhenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      dialog->resize(900, 480);
      auto* pane = dialog->findChild<COpenImagePreview*>();
      // Chosen in the list, as a person clicks it: the name field may hold
      // the focus, and then the dialog's own selectFile() leaves it alone.
      auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
      QVERIFY(list != nullptr);
      QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 1);
      list->setCurrentIndex(list->model()->index(0, 0, list->rootIndex()));
      QTRY_VERIFY(pane->Frame()->HasPicture());
      QCOMPARE(dialog->selectedFiles().value(0), QString::fromStdString(file.string()));
      shot = dialog->grab().toImage();
      CheckLayout(dialog);
      static_cast<QDialog*>(dialog)->reject();
    });
    int filterIndex = 5;
    GetOpenImageName(nullptr, QStringLiteral("Select image to open"), QString::fromStdString(dir.path().string()),
                     filterIndex);
    QVERIFY(!shot.isNull());
    Save(shot, "open-image");
  }

  void messageBox() {
    QImage shot;
    test::WhenModal([&](QWidget* modal) {
      shot = modal->grab().toImage();
      qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Cancel)->click();
    });
    MessageBoxAlertSink().Show(Alert{"Brisol", "Save this image?", kIconQuestion, AlertButtons::YesNoCancel, true});
    Save(shot, "message-box");
  }

  void iconsAndSplash() {
    constexpr IconId kIcons[] = {
        IconId::OpenImage,   IconId::SaveImage,     IconId::Cut,           IconId::Copy,
        IconId::Paste,       IconId::Print,         IconId::OriginalOnOff, IconId::SettingsOnOff,
        IconId::ColorsOnOff, IconId::ChooseObjects, IconId::Randomize,     IconId::Quality,
        IconId::ZoomIn,      IconId::ZoomOut,       IconId::ZoomNormal,    IconId::App};
    const int count = int(std::size(kIcons));
    QImage sheet(count * 44 + 8, 4 * 44 + 8, QImage::Format_RGB32);
    sheet.fill(QColor(246, 245, 244));
    QPainter p(&sheet);
    p.fillRect(0, 2 * 44 + 4, sheet.width(), 2 * 44 + 4, QColor(45, 45, 48));  // a dark theme below
    for (int i = 0; i < count; ++i) {
      int row = 0;
      for (int size : {16, 32, 16, 32}) {
        p.drawPixmap(8 + i * 44 + (32 - size) / 2, 8 + row * 44 + (32 - size) / 2, BrisolIconPixmap(kIcons[i], size));
        ++row;
      }
    }
    p.end();
    Save(sheet, "icons");
    Save(SplashPicture().toImage(), "splash");
    Save(BrisolIconPixmap(IconId::App, 128).toImage(), "app-icon");
  }
};

BRISOL_UI_TEST_MAIN(ScreensTest)
#include "Screens_test.moc"
