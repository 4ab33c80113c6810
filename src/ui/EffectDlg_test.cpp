// The objects wizard: listing the collections, preselection, the preview,
// the refusals with their messages, and the wizard's driver.
#include <QPushButton>
#include <filesystem>
#include <set>

#include "dxf/DxfFile.h"
#include "effect/Effect.h"
#include "effect/EffectTestUtil.h"
#include "effect/Runner.h"
#include "raster/Dadc.h"
#include "ui/EffectDlg.h"
#include "ui/ObjectPreview.h"
#include "ui/UiTestSupport.h"

using namespace brisol;
namespace fs = std::filesystem;

namespace {

void WriteShape(const fs::path& path, const std::string& dxf) {
  fs::create_directories(path.parent_path());
  test::WriteFile(path.string(), test::PaddedDxf(dxf, 400));
}

// The user's folder and an installed one, with collections of every kind.
struct Collections {
  test::TempDir main, installed;
  fs::path user = main.path() / "Effects";

  Collections() {
    WriteShape(user / "Alpha" / "a.dxf", test::SquareDxf());
    WriteShape(user / "Alpha" / "b.DXF", test::CircleDxf());
    WriteShape(user / "Alpha" / "c.dxf", test::SquareDxf());
    WriteShape(user / "Alpha" / "d.dxf", test::CircleDxf());
    WriteShape(user / "beta" / "one.dxf", test::CircleDxf());
    WriteShape(user / ".hidden" / "one.dxf", test::CircleDxf());
    fs::create_directories(user / "Empty");
    test::WriteFile((user / "Empty" / "readme.txt").string(), "no shapes here");
    fs::create_directories(user / "Folders" / "inner.dxf");
    WriteShape(installed.path() / "ALPHA" / "x.dxf", test::SquareDxf());
    WriteShape(installed.path() / "Gamma" / "g.dxf", test::SquareDxf());
  }
  std::vector<std::string> Roots() const { return {user.string(), installed.path().string()}; }
};

QStringList Items(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

using test::TakeAlerts;
using test::Texts;

}  // namespace

class EffectDlgTest : public QObject {
  Q_OBJECT

  std::unique_ptr<Collections> c;

  std::unique_ptr<CEffectDlg> Open(const std::string& preselect, CEffect* preset = nullptr) {
    auto dlg = std::make_unique<CEffectDlg>(nullptr, c->main.path().string(), preset, preselect);
    dlg->SetEffectRoots(c->Roots());
    dlg->show();
    return dlg;
  }
  static QComboBox* Combo(QWidget* dlg) { return dlg->findChild<QComboBox*>(QStringLiteral("cmb1034")); }
  static QPushButton* Button(QWidget* dlg, int id) {
    return dlg->findChild<QPushButton*>(QStringLiteral("btn%1").arg(id));
  }

 private slots:
  void init() {
    test::Alerts().Clear();
    c = std::make_unique<Collections>();
  }
  void cleanup() {
    c.reset();
    QVERIFY2(test::Alerts().Texts().empty(), test::AlertsText().c_str());
  }

  void listsUserAndInstalledCollections() {
    auto dlg = Open("beta");
    QCOMPARE(dlg->windowTitle(), QStringLiteral("Select Objects"));
    QCOMPARE(Items(Combo(dlg.get())), (QStringList{"Alpha", "beta", "Empty", "Folders", "Gamma"}));
    QCOMPARE(Combo(dlg.get())->currentText(), QStringLiteral("beta"));
    QCOMPARE(dlg->PreviewFile(), (c->user / "beta" / "one.dxf").string());
  }

  void preselection_data() {
    QTest::addColumn<QString>("preselect");
    QTest::addColumn<QString>("selected");
    QTest::newRow("exact") << QStringLiteral("Gamma") << QStringLiteral("Gamma");
    QTest::newRow("other letter case") << QStringLiteral("BETA") << QStringLiteral("beta");
    QTest::newRow("gone") << QStringLiteral("Zeta") << QStringLiteral("Alpha");
    QTest::newRow("empty") << QString() << QStringLiteral("Alpha");
    QTest::newRow("a path") << QStringLiteral("/somewhere/else/Gamma") << QStringLiteral("Gamma");
  }
  void preselection() {
    QFETCH(QString, preselect);
    QFETCH(QString, selected);
    auto dlg = Open(preselect.toStdString());
    QCOMPARE(Combo(dlg.get())->currentText(), selected);
  }

  void okMakesAnEffectOfTheUsersCopy() {
    auto dlg = Open("alpha");
    QTest::mouseClick(Button(dlg.get(), 1010), Qt::LeftButton);
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    QCOMPARE(dlg->EffectName(), std::string("Alpha"));
    std::unique_ptr<CEffect> effect = dlg->TakeEffect();
    QVERIFY(effect != nullptr);
    QCOMPARE(effect->GetEffectDir(), (c->user / "Alpha").string());
    QCOMPARE(effect->GetNumShapes(), 4u);
  }

  void noEffectDirectories() {
    test::TempDir main;
    fs::create_directories(main.path() / "Effects");
    test::WriteFile((main.path() / "Effects" / "file.txt").string(), "x");
    CEffectDlg dlg(nullptr, main.path().string(), nullptr, "Alpha");
    dlg.SetEffectRoots({(main.path() / "Effects").string()});
    dlg.show();
    const std::string folder = (main.path() / "Effects").string();
    QCOMPARE(TakeAlerts(), Texts({"No effect directories in\n" + folder}));
    QCOMPARE(Combo(&dlg)->count(), 0);
    QTest::mouseClick(Button(&dlg, 1010), Qt::LeftButton);
    QCOMPARE(TakeAlerts(), Texts({"Could not get Effect string from CB", "Please choose an effect"}));
    QVERIFY(dlg.isVisible());
    QVERIFY(dlg.TakeEffect() == nullptr);
  }

  void noEffectsFolderAtAll() {
    test::TempDir main;
    CEffectDlg dlg(nullptr, main.path().string(), nullptr, "");
    dlg.SetEffectRoots({(main.path() / "Effects").string()});
    dlg.show();
    QCOMPARE(TakeAlerts(),
             Texts({"There are no effect sub directories in\n<" + (main.path() / "Effects").string() + ">"}));
    QCOMPARE(Combo(&dlg)->count(), 0);
  }

  void collectionWithoutShapes() {
    auto dlg = Open("Alpha");
    test::Choose(Combo(dlg.get()), QStringLiteral("Empty"));
    const std::string dir = (c->user / "Empty").string();
    QCOMPARE(TakeAlerts(), Texts({"No shape files in " + dir + "/*.DXF (1)"}));
    QVERIFY(dlg->PreviewFile().empty());
    // The wizard refuses it and stays open ...
    QTest::mouseClick(Button(dlg.get(), 1010), Qt::LeftButton);
    // The effect reports the empty folder itself, then the wizard refuses it.
    const QStringList refused = TakeAlerts();
    QCOMPARE(refused.size(), 2);
    QVERIFY(refused[0].startsWith(QStringLiteral("No shape files in ")));
    QCOMPARE(refused[1], QString::fromStdString("The effect in directory\n" + dir + "\ndoes not contain any shapes"));
    QVERIFY(dlg->isVisible());
    QVERIFY(dlg->TakeEffect() == nullptr);
  }

  void chooseObjectsAcceptsACollectionWithoutShapes() {
    CEffect effect((c->user / "Alpha").string().c_str());
    QCOMPARE(effect.GetNumShapes(), 4u);
    auto dlg = Open("Alpha", &effect);
    test::Choose(Combo(dlg.get()), QStringLiteral("Empty"));
    TakeAlerts();
    QTest::mouseClick(Button(dlg.get(), 1010), Qt::LeftButton);
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    QCOMPARE(effect.GetNumShapes(), 0u);
    QCOMPARE(effect.GetEffectDir(), (c->user / "Empty").string());
    QCOMPARE(dlg->EffectName(), std::string("Empty"));
    QVERIFY(dlg->TakeEffect() == nullptr);
    TakeAlerts();  // the effect's own report of an empty folder
  }

  void onlyDirectoriesNamedLikeShapes() {
    auto dlg = Open("Folders");
    QCOMPARE(TakeAlerts(), Texts({"No shape files in " + (c->user / "Folders").string() + " (2)"}));
  }

  void previewPicksAmongSeveral() {
    auto dlg = Open("Alpha");
    std::set<std::string> seen;
    for (int i = 0; i < 40; ++i) {
      QTest::mouseClick(Button(dlg.get(), 1056), Qt::LeftButton);
      seen.insert(dlg->PreviewFile());
    }
    QVERIFY(seen.size() >= 2);
    for (const std::string& file : seen) QCOMPARE(fs::path(file).parent_path(), c->user / "Alpha");
    const auto* preview = dlg->findChild<CObjectPreview*>(QStringLiteral("frm1055"));
    QVERIFY(preview != nullptr);
    QVERIFY(!preview->Picture().isNull());
  }

  void previewDrawsTheShapeInTheFrame() {
    const fs::path file = c->user / "Alpha" / "a.dxf";
    const QImage picture = LoadShapePreview(file.string(), QSize(110, 90));
    QCOMPARE(picture.size(), QSize(110, 90));
    // The unit square fills the frame but for 5 pixels all round.
    QCOMPARE(QColor(picture.pixel(2, 45)), QColor(Qt::white));
    QCOMPARE(QColor(picture.pixel(107, 45)), QColor(Qt::white));
    QCOMPARE(QColor(picture.pixel(55, 2)), QColor(Qt::white));
    QCOMPARE(QColor(picture.pixel(5, 45)), QColor(Qt::black));
    QCOMPARE(QColor(picture.pixel(105, 45)), QColor(Qt::black));
  }

  // The preview draws the drawing as its layers say: each layer's pen,
  // nothing filled, invisible (frozen or off) layers left out.
  void previewDrawsWithTheLayersPensUnfilled() {
    const std::string dxf =
        "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n"
        "  0\nLAYER\n  2\nFROZEN\n 70\n1\n 62\n1\n"
        "  0\nLAYER\n  2\nOFF\n 70\n0\n 62\n-3\n"
        "  0\nENDTAB\n  0\nENDSEC\n"
        "  0\nSECTION\n  2\nENTITIES\n"
        "  0\nLWPOLYLINE\n  8\n0\n 90\n4\n 70\n1\n 10\n-0.5\n 20\n-0.5\n 10\n0.5\n 20\n-0.5\n"
        " 10\n0.5\n 20\n0.5\n 10\n-0.5\n 20\n0.5\n"
        "  0\nCIRCLE\n  8\nFROZEN\n 10\n0.0\n 20\n0.0\n 40\n0.25\n"
        "  0\nLINE\n  8\nOFF\n 10\n-0.5\n 20\n0.0\n 11\n0.5\n 21\n0.0\n"
        "  0\nENDSEC\n  0\nEOF\n";
    const fs::path file = c->main.path() / "layers.dxf";
    test::WriteFile(file.string(), dxf);
    const QImage picture = LoadShapePreview(file.string(), QSize(110, 110));
    QCOMPARE(picture.size(), QSize(110, 110));
    // The square's outline in pen 0's black, its inside not filled.
    QCOMPARE(QColor(picture.pixel(5, 55)), QColor(Qt::black));
    QCOMPARE(QColor(picture.pixel(40, 40)), QColor(Qt::white));
    // Neither the frozen layer's circle nor the line on the layer that is
    // off.
    for (int x = 10; x < 100; ++x) QCOMPARE(QColor(picture.pixel(x, 55)), QColor(Qt::white));
    QCOMPARE(QColor(picture.pixel(55 + 25, 55)), QColor(Qt::white));
    QVERIFY(test::TakeAlerts().isEmpty());
  }

  void unreadablePreviewIsReportedOnce() {
    const fs::path file = c->main.path() / "empty.dxf";
    test::WriteFile(file.string(), "  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n  0\nEOF\n");
    QVERIFY(LoadShapePreview(file.string(), QSize(50, 50)).isNull());
    QCOMPARE(TakeAlerts(), Texts({file.string() + " does not contain any entities\n"}));
    QVERIFY(LoadShapePreview((c->main.path() / "missing.dxf").string(), QSize(50, 50)).isNull());
    const QStringList texts = TakeAlerts();
    QVERIFY(!texts.isEmpty());
    QCOMPARE(texts.back(),
             QString::fromStdString("Could not read " + (c->main.path() / "missing.dxf").string() + "\n"));
  }

  void wizardMakesARunner() {
    const auto original = std::make_shared<const CDADC>(SIZE{64, 48}, RGB(10, 120, 200));
    std::string defaultEffect = (c->user / "beta").string();
    fs::create_directories(c->main.path() / "Effects");
    test::WhenModal([](QWidget* modal) {
      QCOMPARE(Combo(modal)->currentText(), QStringLiteral("beta"));
      test::Choose(Combo(modal), QStringLiteral("Alpha"));
      QTest::mouseClick(Button(modal, 1010), Qt::LeftButton);
    });
    std::unique_ptr<CBrisol> runner = RunObjectsWizard(nullptr, original, c->main.path().string(), defaultEffect);
    QVERIFY(runner != nullptr);
    QCOMPARE(defaultEffect, std::string("Alpha"));
    QCOMPARE(runner->GetEffect().GetEffectDir(), (c->user / "Alpha").string());
    QCOMPARE(runner->GetSize(), (SIZE{64, 48}));
    // The runner shares the document's original; no copy is made.
    QCOMPARE(runner->GetOriginal(), original.get());
  }

  void cancelledWizardMakesNothing() {
    const auto original = std::make_shared<const CDADC>(SIZE{8, 8});
    std::string defaultEffect = "Alpha";
    test::WhenModal([](QWidget* modal) { QTest::mouseClick(Button(modal, 2), Qt::LeftButton); });
    QVERIFY(RunObjectsWizard(nullptr, original, c->main.path().string(), defaultEffect) == nullptr);
    QCOMPARE(defaultEffect, std::string("Alpha"));
  }

  void shapeFilesAreCappedAtOneHundred() {
    for (int i = 0; i < 105; ++i)
      WriteShape(c->user / "Many" / QStringLiteral("s%1.dxf").arg(1000 + i).toStdString(), test::SquareDxf());
    const ShapeFileList list = ListShapeFiles((c->user / "Many").string());
    QVERIFY(list.anyMatch);
    QCOMPARE(list.files.size(), std::size_t{100});
    QCOMPARE(fs::path(list.files.front()).filename().string(), std::string("s1000.dxf"));
  }
};

BRISOL_UI_TEST_MAIN(EffectDlgTest)
#include "EffectDlg_test.moc"
