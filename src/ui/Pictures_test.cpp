// The program's pictures: icons, splash, and the surface <-> QImage
// conversions every window uses.
#include <QCryptographicHash>
#include <QPainter>
#include <set>

#include "raster/Dadc.h"
#include "ui/DadcImage.h"
#include "ui/Icons.h"
#include "ui/UiTestSupport.h"

using namespace brisol;

namespace {

constexpr IconId kAll[] = {IconId::OpenImage,   IconId::SaveImage,     IconId::Cut,           IconId::Copy,
                           IconId::Paste,       IconId::Print,         IconId::OriginalOnOff, IconId::SettingsOnOff,
                           IconId::ColorsOnOff, IconId::ChooseObjects, IconId::Randomize,     IconId::Quality,
                           IconId::ZoomIn,      IconId::ZoomOut,       IconId::ZoomNormal,    IconId::App};

QByteArray Fingerprint(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  return QCryptographicHash::hash(QByteArrayView(argb.constBits(), argb.sizeInBytes()), QCryptographicHash::Sha1);
}

}  // namespace

class PicturesTest : public QObject {
  Q_OBJECT

 private slots:
  void iconsAreDrawnAtEverySize_data() {
    QTest::addColumn<int>("size");
    for (int size : {16, 22, 24, 32, 48}) QTest::addRow("%d", size) << size;
  }
  void iconsAreDrawnAtEverySize() {
    QFETCH(int, size);
    std::set<QByteArray> seen;
    for (IconId id : kAll) {
      const QImage image = BrisolIconPixmap(id, size).toImage().convertToFormat(QImage::Format_ARGB32);
      QCOMPARE(image.size(), QSize(size, size));
      int opaque = 0, dark = 0, coloured = 0;
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
          const QColor c = image.pixelColor(x, y);
          if (c.alpha() > 200) ++opaque;
          if (c.alpha() > 200 && c.lightness() < 90) ++dark;
          if (c.alpha() > 200 && c.hslSaturation() > 60) ++coloured;
        }
      // Something to see, neither a blot nor a speck, and some colour.
      QVERIFY2(opaque > size * size / 8, qPrintable(QString::number(int(id))));
      QVERIFY2(opaque < size * size, qPrintable(QString::number(int(id))));
      QVERIFY2(dark > 0 || coloured > 0, qPrintable(QString::number(int(id))));
      QVERIFY2(seen.insert(Fingerprint(image)).second, qPrintable(QString::number(int(id))));
    }
  }

  void iconsCarryTheirSizes() {
    for (IconId id : kAll) {
      const QList<QSize> sizes = BrisolIcon(id).availableSizes();
      for (int size : {16, 22, 24, 32}) QVERIFY(sizes.contains(QSize(size, size)));
    }
    QVERIFY(BrisolIcon(IconId::App).availableSizes().contains(QSize(256, 256)));
  }

  void splashIsAPicture() {
    const QImage splash = SplashPicture().toImage();
    QVERIFY(splash.width() >= 400 && splash.height() >= 250);
    std::set<QRgb> colours;
    for (int y = 0; y < splash.height(); y += 7)
      for (int x = 0; x < splash.width(); x += 7) colours.insert(splash.pixel(x, y));
    QVERIFY(colours.size() > 200);
    QCOMPARE(Fingerprint(splash), Fingerprint(SplashPicture().toImage()));  // the same every time
  }

  void surfaceToImage_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("odd width, padded rows") << 5 << 3;
    QTest::newRow("one pixel") << 1 << 1;
    QTest::newRow("multiple of four") << 8 << 2;
  }
  void surfaceToImage() {
    QFETCH(int, width);
    QFETCH(int, height);
    CDADC surface(SIZE{width, height});
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) surface.GetDC().SetPixel(x, y, RGB(x * 40, y * 70, 200 - x - y));
    const QImage image = ToQImage(surface);
    QCOMPARE(image.size(), QSize(width, height));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) QCOMPARE(image.pixel(x, y), qRgb(x * 40, y * 70, 200 - x - y));
    const std::unique_ptr<CDADC> back = FromQImage(image);
    QVERIFY(back != nullptr);
    QCOMPARE(back->GetSize(), (SIZE{width, height}));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) QCOMPARE(back->GetDC().GetPixel(x, y), surface.GetDC().GetPixel(x, y));
  }

  // The view paints straight from the surface's block: at 100 % the same
  // pixels as the copy, at whole zooms each pixel repeated.
  void paintingTheSurfaceShowsItsPixels_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("zoom");
    for (int zoom : {1, 2, 3}) {
      QTest::addRow("7x5 at %d", zoom) << 7 << 5 << zoom;
      QTest::addRow("64x33 at %d", zoom) << 64 << 33 << zoom;
    }
  }
  void paintingTheSurfaceShowsItsPixels() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, zoom);
    CDADC surface(SIZE{width, height});
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) surface.GetDC().SetPixel(x, y, RGB((x * 37) & 255, (y * 53) & 255, (x ^ y) * 9));
    QImage canvas(width * zoom + 6, height * zoom + 4, QImage::Format_RGB32);
    canvas.fill(qRgb(1, 2, 3));
    {
      QPainter painter(&canvas);
      PaintDadc(painter, surface, QRect(QPoint(4, 3), QSize(width * zoom, height * zoom)));
    }
    const QImage copy = ToQImage(surface);
    for (int y = 0; y < canvas.height(); ++y) {
      for (int x = 0; x < canvas.width(); ++x) {
        const bool inside = x >= 4 && y >= 3 && x < 4 + width * zoom && y < 3 + height * zoom;
        const QRgb expected = inside ? copy.pixel((x - 4) / zoom, (y - 3) / zoom) : qRgb(1, 2, 3);
        if (canvas.pixel(x, y) != expected) QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
      }
    }
  }

  void imageFormatsToSurface_data() {
    QTest::addColumn<int>("format");
    QTest::newRow("RGB888") << int(QImage::Format_RGB888);
    QTest::newRow("Indexed8") << int(QImage::Format_Indexed8);
    QTest::newRow("Grayscale8") << int(QImage::Format_Grayscale8);
    QTest::newRow("RGB16") << int(QImage::Format_RGB16);
  }
  void imageFormatsToSurface() {
    QFETCH(int, format);
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    image.setPixel(1, 0, qRgb(0, 0, 0));
    const QImage converted = image.convertToFormat(QImage::Format(format));
    const std::unique_ptr<CDADC> surface = FromQImage(converted);
    QVERIFY(surface != nullptr);
    QCOMPARE(surface->GetDC().GetPixel(1, 0), RGB(0, 0, 0));
    QCOMPARE(surface->GetDC().GetPixel(2, 1), RGB(255, 255, 255));
  }

  void transparencyGoesOverWhite() {
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    image.setPixel(1, 0, qRgba(255, 0, 0, 255));
    const std::unique_ptr<CDADC> surface = FromQImage(image);
    QCOMPARE(surface->GetDC().GetPixel(0, 0), RGB(255, 255, 255));
    QCOMPARE(surface->GetDC().GetPixel(1, 0), RGB(255, 0, 0));
  }

  void emptyPictures() {
    QVERIFY(FromQImage(QImage()) == nullptr);
    QVERIFY(ToQImage(CDADC()).isNull());
  }
};

BRISOL_UI_TEST_MAIN(PicturesTest)
#include "Pictures_test.moc"
