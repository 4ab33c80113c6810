// The grid's variations and its reduction: seeds spread apart, numbers
// stepped around their value within the panel's range, choices page by
// page; a reduced picture equals the plain mean over each cell's block of
// pixels, on many sizes and pictures.
#include <QTest>
#include <random>
#include <set>

#include "effect/Effect.h"
#include "effect/EffectParams.h"
#include "raster/Dadc.h"
#include "ui/UiTestSupport.h"
#include "ui/Variations.h"
#include "ui/VariationsTestSupport.h"

using namespace brisol;

namespace {

const EffectParam& Param(const char* key) { return *FindEffectParam(key); }

}  // namespace

class VariationsTest : public QObject {
  Q_OBJECT

 private slots:
  void reductionIsTheMeanOfEachBlock_data() {
    QTest::addColumn<int>("W");
    QTest::addColumn<int>("H");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::newRow("halves") << 64 << 48 << 32 << 24;
    QTest::newRow("uneven") << 101 << 67 << 30 << 19;
    QTest::newRow("one row") << 37 << 1 << 5 << 1;
    QTest::newRow("to one pixel") << 13 << 9 << 1 << 1;
    QTest::newRow("same size") << 20 << 15 << 20 << 15;
    QTest::newRow("tall") << 9 << 211 << 4 << 97;
  }
  void reductionIsTheMeanOfEachBlock() {
    QFETCH(int, W);
    QFETCH(int, H);
    QFETCH(int, w);
    QFETCH(int, h);
    std::mt19937 random(static_cast<unsigned>(W * 1000 + H));
    for (int round = 0; round < 5; ++round) {
      CDADC picture(SIZE{W, H});
      for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
          picture.GetDC().SetPixel(x, y, RGB(random() % 256, random() % 256, round == 0 ? 255 : random() % 256));
      const QImage reduced = ReducePicture(picture, QSize(w, h));
      QCOMPARE(reduced.size(), QSize(w, h));
      QVERIFY(reduced == test::PlainReduction(picture, w, h));
    }
  }

  void reducedSizeKeepsTheProportionsAndNeverEnlarges_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("wide") << QSize(1600, 900) << QSize(320, 240) << QSize(320, 180);
    QTest::newRow("tall") << QSize(900, 1600) << QSize(320, 240) << QSize(135, 240);
    QTest::newRow("small") << QSize(100, 80) << QSize(320, 240) << QSize(100, 80);
    QTest::newRow("a line") << QSize(5000, 1) << QSize(320, 240) << QSize(320, 1);
  }
  void reducedSizeKeepsTheProportionsAndNeverEnlarges() {
    QFETCH(QSize, picture);
    QFETCH(QSize, box);
    QFETCH(QSize, expected);
    QCOMPARE(ReducedSize(picture, box), expected);
  }

  void seedsAreNewOnEveryCellAndPage() {
    CEffect base;
    base.SetSeed(1234);
    std::set<int> seeds;
    for (int page = 0; page < 3; ++page) {
      const std::vector<Variation> cells = MakeVariations(base, nullptr, page);
      QCOMPARE(static_cast<int>(cells.size()), kVariationsPerPage);
      for (const Variation& v : cells) {
        QVERIFY(v.effect->GetSeed() >= 0);
        seeds.insert(v.effect->GetSeed());
        // Only the seed changes.
        CEffect same = *v.effect;
        same.SetSeed(base.GetSeed());
        QVERIFY(same == base);
        QCOMPARE(v.caption, QStringLiteral("seed %1").arg(v.effect->GetSeed()));
      }
      QVERIFY(HasMoreVariations(base, nullptr, page));
    }
    QCOMPARE(seeds.size(), std::size_t(27));
    QVERIFY(!seeds.contains(1234));
    // The same picture gives the same grid.
    QCOMPARE(MakeVariations(base, nullptr, 1)[4].effect->GetSeed(), VariationSeed(1234, 13));
  }

  // Nine values a step apart around the value; at the ends of the range
  // they move inward; later pages step wider, up to an eighth of the range.
  void numbersAreSteppedAroundTheirValue_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("page");
    QTest::addColumn<QList<double>>("expected");
    QTest::newRow("size, middle") << "size" << 15.05 << 0 << QList<double>{11.3125, 12.2469, 13.1812, 14.1156, 15.05,
                                                                           15.9844, 16.9188, 17.8531, 18.7875};
    QTest::newRow("size, low end") << "size" << 0.1 << 0
                                   << QList<double>{0.1, 1.0344, 1.9688, 2.9031, 3.8375, 4.7719, 5.7062, 6.6406, 7.575};
    QTest::newRow("angle, page 1") << "angle" << 170.0 << 1
                                   << QList<double>{-10, 12.5, 35, 57.5, 80, 102.5, 125, 147.5, 170};
    QTest::newRow("objects, page 5 at most an eighth")
        << "objects" << 5000.0 << 5 << QList<double>{0, 1250, 2500, 3750, 5000, 6250, 7500, 8750, 10000};
    QTest::newRow("mix visible, whole numbers")
        << "mix-visible" << 50.0 << 0 << QList<double>{38, 41, 44, 47, 50, 53, 56, 59, 62};
  }
  void numbersAreSteppedAroundTheirValue() {
    QFETCH(QString, key);
    QFETCH(double, value);
    QFETCH(int, page);
    QFETCH(QList<double>, expected);
    const EffectParam& p = Param(key.toLatin1().constData());
    CEffect base;
    p.set(base, value);
    const std::vector<Variation> cells = MakeVariations(base, &p, page);
    QCOMPARE(static_cast<int>(cells.size()), kVariationsPerPage);
    for (int i = 0; i < kVariationsPerPage; ++i) {
      const double got = p.get(*cells[static_cast<std::size_t>(i)].effect);
      QVERIFY2(std::abs(got - expected[i]) < 1e-3, qPrintable(QStringLiteral("%1: %2").arg(i).arg(got)));
      QVERIFY(got >= p.panelMin && got <= p.panelMax);
    }
  }

  void widerPagesEndAtAnEighthOfTheRange() {
    CEffect base;
    const EffectParam& size = Param("size");
    QVERIFY(HasMoreVariations(base, &size, 0));
    QVERIFY(HasMoreVariations(base, &size, 2));
    QVERIFY(!HasMoreVariations(base, &size, 3));
  }

  void choicesComeNineAPage() {
    CEffect base;
    const EffectParam& mix = Param("mix");
    const std::vector<Variation> first = MakeVariations(base, &mix, 0);
    const std::vector<Variation> second = MakeVariations(base, &mix, 1);
    QCOMPARE(first.size() + second.size(), std::size_t(ikNumMixGeoms));
    QCOMPARE(first[7].caption, QStringLiteral("Circular Vignette"));
    QCOMPARE(second.back().effect->GetMix().m_eGeom, ikNumMixGeoms - 1);
    QVERIFY(HasMoreVariations(base, &mix, 0));
    QVERIFY(!HasMoreVariations(base, &mix, 1));
    QCOMPARE(MakeVariations(base, &Param("size-reaction"), 0).size(), std::size_t(3));
  }

  // Colours and what changes nothing under the other values are not
  // offered.
  void whatCanBeVaried() {
    CEffect base;
    base.SetAngleReaction(eReactRandom);
    QStringList keys;
    for (const EffectParam* p : VariableParams(base)) keys << QString::fromLatin1(p->key.data(), p->key.size());
    QVERIFY(keys.contains("size"));
    QVERIFY(keys.contains("mix"));
    QVERIFY(!keys.contains("angle"));
    QVERIFY(!keys.contains("fill-color"));
    QVERIFY(!keys.contains("background-color"));
  }
};

BRISOL_UI_TEST_MAIN(VariationsTest)
#include "Variations_test.moc"
