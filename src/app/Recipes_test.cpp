// Recipes in the desktop program: opening one (a .brisol file or a picture
// Brisol made) gives the picture brisol-cli render --recipe gives, byte for
// byte; a recipe saved, or kept in a saved picture, gives the command line
// the picture on screen; what differs from the recipe is told and the
// picture still made; a recipe that cannot be used changes nothing; files
// dropped on a picture's window.
#include <QAction>
#include <QMimeData>
#include <QUrl>
#include <thread>

#include "app/RecipeDrop.h"
#include "app/StepTestSupport.h"
#include "recipe/RecipeEffect.h"
#include "recipe/RecipeFile.h"

using namespace brisol;
using test::StartedApp;

namespace {

QString Folder() { return test::UiTestEnvironment::Get().Folder(); }

// Runs brisol-cli of this build; false with what it printed.
bool RunCli(const QStringList& args, QString& output) { return test::RunCli(args, output) == 0; }

using test::FileBytes;
using test::PicturePixels;

// Sends a drag and a drop of the files to a widget, as a file manager does.
void DropFiles(QWidget* target, const QStringList& paths) {
  QMimeData mime;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  mime.setUrls(urls);
  const QPointF at(10, 10);
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  QVERIFY(drop.isAccepted());
  QCoreApplication::processEvents();
}

}  // namespace

class RecipesTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;
  QString m_photo;

  CBrisolDoc* Open(const QString& path, const QString& collection = QStringLiteral("Tests")) {
    CBrisolDoc* doc = test::OpenWithCollection(*m, path.toStdString(), collection);
    if (doc) test::WaitForPicture(doc);
    return doc;
  }
  // A picture the command line made of the photo, with its recipe inside.
  QString MadeByTheCommandLine(const QString& name, const QStringList& look) {
    const QString made = Folder() + "/cli/" + name;
    QDir().mkpath(Folder() + "/cli");
    QString log;
    if (!RunCli(QStringList{"render", "--quiet", m_photo, made} + look, log)) qWarning("%s", qPrintable(log));
    return made;
  }
  QString Again(const QString& recipe, const QString& name) {
    const QString again = Folder() + "/cli/" + name;
    QString log;
    if (!RunCli({"render", "--quiet", m_photo, again, "--recipe", recipe}, log)) qWarning("%s", qPrintable(log));
    return again;
  }
  void MoveASlider() { test::DragTo(m->Frame().ParamDlg()->findChild<QSlider*>(QStringLiteral("sld1015")), 7100); }

 private slots:
  void initTestCase() { test::QuietOffscreenNotes(); }
  void init() {
    m = std::make_unique<StartedApp>();
    test::MakeCollection("Tests");
    test::MakeCollection("Others");
    m_photo = QString::fromStdString(test::WritePictureFile("photo.png", 180, 130));
    test::TakeAlerts();
  }
  void cleanup() {
    m.reset();
    test::TakeAlerts();
  }

  void openingARecipeGivesTheCommandLinesPicture_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("look");
    QTest::newRow("png") << "png" << QStringList{"--effect", "Others", "--size",          "3.25",      "--seed",
                                                 "4242",     "--mix",  "circle-vignette", "--objects", "1500"};
    QTest::newRow("jpg at high quality") << "jpg"
                                         << QStringList{"--effect",  "Others", "--angle",        "-35", "--seed", "77",
                                                        "--quality", "2",      "--jpeg-quality", "81"};
  }
  void openingARecipeGivesTheCommandLinesPicture() {
    QFETCH(QString, format);
    QFETCH(QStringList, look);
    const QString made = MadeByTheCommandLine("made." + format, look);
    const QString again = Again(made, "again." + format);
    const QString againPng = Again(made, "again-lossless.png");
    CBrisolDoc* doc = Open(m_photo);
    QVERIFY(doc && doc->GetRunner());
    MoveASlider();
    test::AnswerFileDialog(made);
    m->Frame().Actions().openRecipe->trigger();
    QVERIFY2(test::TakeAlerts().isEmpty(), test::AlertsText().c_str());
    const QByteArray shown = test::PictureOnView(doc);
    QVERIFY(!shown.isEmpty());
    QVERIFY(shown == PicturePixels(againPng));
    QVERIFY(QString::fromStdString(doc->GetRunner()->GetEffect().GetEffectDir()).endsWith("/Others"));
    QCOMPARE(doc->UndoStack().count(), 2);  // the slider, the recipe
    // Saved from the window, the picture is the command line's, byte for
    // byte, recipe and all.
    const QString saved = Folder() + "/saved." + format;
    test::AnswerFileDialog(saved);
    m->Frame().Actions().saveImage->trigger();
    QVERIFY(QFile::exists(saved));
    QVERIFY(FileBytes(saved) == FileBytes(again));
    QVERIFY(FileBytes(saved) == FileBytes(made));
  }

  // The other way round: what the window shows, saved as a recipe or a
  // picture, the command line paints again.
  void theCommandLinePaintsTheSavedRecipe_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("recipe file") << "look.brisol";
    QTest::newRow("png picture") << "look.png";
    QTest::newRow("jpeg picture") << "look.jpg";
  }
  void theCommandLinePaintsTheSavedRecipe() {
    QFETCH(QString, file);
    CBrisolDoc* doc = Open(m_photo);
    QVERIFY(doc);
    CMainFrame& f = m->Frame();
    MoveASlider();
    test::Choose(f.ColMixDlg()->findChild<QComboBox*>(QStringLiteral("cmb1058")), QStringLiteral("Rectangular Frame"));
    doc->SetClock([] { return std::time_t(31337); });
    f.Actions().randomize->trigger();
    const QByteArray shown = test::PictureOnView(doc);
    const QString path = Folder() + "/" + file;
    test::AnswerFileDialog(path);
    (file.endsWith(".brisol") ? f.Actions().saveRecipe : f.Actions().saveImage)->trigger();
    const RecipeRead read = ReadRecipeFile(path.toStdString());
    QVERIFY2(read.ok(), read.ErrorText().c_str());
    QVERIFY(*read.recipe == [&] {
      Recipe expected = doc->CurrentRecipe();
      if (file.endsWith(".jpg")) expected.jpegQuality = 92;
      return expected;
    }());
    QCOMPARE(QString::fromStdString(read.recipe->photo), QStringLiteral("photo.png"));
    QVERIFY(!read.recipe->photoSha256.empty());
    QVERIFY(PicturePixels(Again(path, "from-saved.png")) == shown);
  }

  // A picture saved as BMP (which has no room for one) holds no recipe,
  // and is saved all the same.
  void aBmpPictureHoldsNoRecipe() {
    CBrisolDoc* doc = Open(m_photo);
    QVERIFY(doc);
    const QString path = Folder() + "/plain.bmp";
    test::AnswerFileDialog(path);
    m->Frame().Actions().saveImage->trigger();
    QVERIFY(QFile::exists(path));
    QVERIFY(!ReadRecipeFile(path.toStdString()).ok());
    QVERIFY2(test::TakeAlerts().isEmpty(), test::AlertsText().c_str());
  }

  // A drawing stopped before it showed a new quality leaves the picture of
  // the old one on view: a picture saved then keeps the old quality in its
  // recipe, the one its pixels were drawn at.
  void theRecipeOfAStoppedDrawingIsThatOfThePictureShown() {
    CBrisolDoc* doc = Open(m_photo);
    QVERIFY(doc);
    const QByteArray shown = test::PictureOnView(doc);
    doc->Renderer().SetBeforeDrawing([](std::stop_token stop) {
      while (!stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    });
    test::AnswerHighQuality();
    m->Frame().Actions().imageQuality->trigger();
    QCOMPARE(doc->Quality(), 2);
    QTRY_VERIFY(doc->Renderer().DrawingsStarted() >= 2);
    m->Frame().Actions().stopDrawing->trigger();
    QVERIFY(test::WaitForPicture(doc));
    doc->Renderer().SetBeforeDrawing({});
    const QString path = Folder() + "/stopped.png";
    test::AnswerFileDialog(path);
    m->Frame().Actions().saveImage->trigger();
    QVERIFY(PicturePixels(path) == shown);
    const RecipeRead read = ReadRecipeFile(path.toStdString());
    QVERIFY(read.ok());
    QCOMPARE(read.recipe->quality, std::optional<int>(1));
    QVERIFY(PicturePixels(Again(path, "stopped-again.png")) == shown);
  }

  // Another photo, or drawings changed since: the user hears of it, and the
  // picture is made with the recipe's values all the same.
  void whatDiffersIsToldAndThePictureStillMade() {
    const QString made = MadeByTheCommandLine("made.png", {"--effect", "Others", "--size", "2", "--seed", "5"});
    // A drawing of the collection changes after the recipe was made.
    test::WriteFile(test::MainDir() + "/Effects/Others/a_square.dxf", test::PaddedDxf(test::SquareDxf(), 420));
    const QString other = QString::fromStdString(test::WritePictureFile("another.png", 150, 100));
    CBrisolDoc* doc = Open(other);
    QVERIFY(doc);
    const RecipeApplied applied = doc->ApplyRecipeFile(made.toStdString(), false, QStringLiteral("recipe"));
    QVERIFY(applied.ok());
    TellRecipeApplied(applied);
    const QStringList alerts = test::TakeAlerts();
    QCOMPARE(alerts.size(), 1);
    QVERIFY2(alerts[0].contains(QStringLiteral("the photo 'another.png' is not the one the recipe was made with "
                                               "('photo.png')")),
             qPrintable(alerts[0]));
    QVERIFY2(alerts[0].contains(QStringLiteral("the drawings of the collection 'Others' are not those")),
             qPrintable(alerts[0]));
    QVERIFY(!test::PictureOnView(doc).isEmpty());
    QCOMPARE(doc->GetRunner()->GetEffect().GetSize(), 2.0);
    QCOMPARE(doc->GetRunner()->GetEffect().GetSeed(), 5);
  }

  // A recipe that cannot be read or applied is told in one message and
  // changes nothing: no value, no step.
  void aRecipeThatCannotBeUsedChangesNothing_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("said");
    QTest::newRow("bad value") << "format = 1\nsize = 45\n"
                               << "line 2: bad value '45' for size (accepted: 0.1 to 30)";
    QTest::newRow("collection not installed") << "format = 1\ncollection = Nowhere\nsize = 3\n"
                                              << "the collection 'Nowhere' is not installed";
    QTest::newRow("no recipe") << "Dear Brisol,\nplease paint my cat.\n"
                               << "/wrong.brisol': not a Brisol recipe: it must begin with 'format = 1'";
  }
  void aRecipeThatCannotBeUsedChangesNothing() {
    QFETCH(QString, text);
    QFETCH(QString, said);
    CBrisolDoc* doc = Open(m_photo);
    QVERIFY(doc);
    MoveASlider();
    const QStringList before = test::Values(doc);
    const int steps = doc->UndoStack().count();
    const QString path = Folder() + "/wrong.brisol";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
    file.close();
    const RecipeApplied applied = doc->ApplyRecipeFile(path.toStdString(), false, QStringLiteral("recipe"));
    QVERIFY(!applied.ok());
    TellRecipeApplied(applied);
    const QStringList alerts = test::TakeAlerts();
    QCOMPARE(alerts.size(), 1);
    QVERIFY2(alerts[0].contains(said), qPrintable(alerts[0]));
    QCOMPARE(test::Values(doc), before);
    QCOMPARE(doc->UndoStack().count(), steps);
  }

  // On a picture's window: a recipe file or a picture Brisol made gives
  // that picture its look; another picture opens in a window of its own.
  void filesDroppedOnAPicture() {
    const QString made = MadeByTheCommandLine("made.png", {"--effect", "Others", "--size", "4", "--seed", "9"});
    const QString recipe = Folder() + "/dropped.brisol";
    {
      CEffect look(test::MakeCollection("Tests").c_str());
      look.SetSize(12);
      look.SetSeed(12);
      QVERIFY(SaveRecipeFile(RecipeOf(look, 1), recipe.toStdString()).ok());
    }
    CBrisolDoc* doc = Open(m_photo);
    QVERIFY(doc);
    QWidget* target = doc->GV()->viewport();
    DropFiles(target, {made});
    QTRY_COMPARE(doc->GetRunner()->GetEffect().GetSeed(), 9);
    QCOMPARE(doc->GetRunner()->GetEffect().GetSize(), 4.0);
    QVERIFY(PicturePixels(made) == test::PictureOnView(doc));
    DropFiles(target, {recipe});
    QTRY_COMPARE(doc->GetRunner()->GetEffect().GetSeed(), 12);
    QCOMPARE(m->Documents(), 1);
    QCOMPARE(doc->UndoStack().count(), 2);
    // A vector file the command line wrote keeps its recipe too.
    const QString poster = MadeByTheCommandLine("poster.svg", {"--effect", "Others", "--size", "5", "--seed", "21"});
    DropFiles(target, {poster});
    QTRY_COMPARE(doc->GetRunner()->GetEffect().GetSeed(), 21);
    QCOMPARE(doc->GetRunner()->GetEffect().GetSize(), 5.0);
    QCOMPARE(m->Documents(), 1);
    QCOMPARE(doc->UndoStack().count(), 3);
    // A photo holds no recipe: it is opened.
    const QString photo = QString::fromStdString(test::WritePictureFile("plain.png", 90, 60));
    test::AnswerWizard(QStringLiteral("Tests"));
    DropFiles(target, {photo});
    QTRY_COMPARE(m->Documents(), 2);
    QCOMPARE(doc->UndoStack().count(), 3);
    QVERIFY2(test::TakeAlerts().isEmpty(), test::AlertsText().c_str());
  }

  // The collections a recipe names are looked for where the program keeps
  // its own, also when its main folder is set by hand.
  void aRecipesCollectionInAMainFolderSetByHand() {
    m.reset();
    const QString main = Folder() + "/elsewhere";
    test::WriteSettings("[VARS]\nLOGGING=0\n[FILES]\nMAIN=" + main + "\n");
    m = std::make_unique<StartedApp>();
    QCOMPARE(QString::fromStdString(m->app->MainDirectoryPath()), main);
    const std::filesystem::path dir = std::filesystem::path(main.toStdString()) / "Effects" / "Own";
    std::filesystem::create_directories(dir);
    test::WriteFile((dir / "a_square.dxf").string(), test::PaddedDxf(test::SquareDxf(), 300));
    CBrisolDoc* doc = Open(m_photo, QStringLiteral("Own"));
    QVERIFY(doc && doc->GetRunner());
    test::Choose(m->Frame().ParamDlg()->findChild<QComboBox*>(QStringLiteral("cmb1038")), QStringLiteral("is random"));
    const std::string path = (Folder() + "/own.brisol").toStdString();
    QVERIFY(SaveRecipeFile(doc->CurrentRecipe(), path).ok());
    doc->Undo();
    QVERIFY(doc->ApplyRecipeFile(path, false, QStringLiteral("recipe")));
    QVERIFY2(test::TakeAlerts().isEmpty(), test::AlertsText().c_str());
    QCOMPARE(doc->GetRunner()->GetEffect().GetAngleReaction(), int(eReactRandom));
  }

  // A picture whose wizard was cancelled has no collection: a recipe gives
  // it one, and its picture.
  void aPictureWithoutCollectionTakesTheRecipes() {
    const QString made = MadeByTheCommandLine("made.png", {"--effect", "Others", "--seed", "3"});
    CBrisolDoc* doc = Open(m_photo, QString());
    QVERIFY(doc && !doc->GetRunner());
    test::AnswerFileDialog(made);
    m->Frame().Actions().openRecipe->trigger();
    QVERIFY(doc->GetRunner());
    QVERIFY(test::PictureOnView(doc) == PicturePixels(made));
    QCOMPARE(m->Frame().BoundDocument(), doc);
    QVERIFY(m->Frame().ParamDlg()->isEnabled());
  }
};

BRISOL_APP_TEST_MAIN(RecipesTest)
#include "Recipes_test.moc"
