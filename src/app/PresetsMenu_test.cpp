// The Presets menu: your presets, then the bundled ones; applying one is
// one step that can be undone; Save as Preset... (the seed kept only when
// asked, a name of yours replaced only when you say so); Manage Presets...
// renames, deletes and shows the folder.
#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "app/StepTestSupport.h"
#include "recipe/Presets.h"
#include "recipe/RecipeEffect.h"
#include "ui/ManagePresetsDlg.h"
#include "ui/PresetsMenu.h"
#include "ui/SavePresetDlg.h"

using namespace brisol;
using test::StartedApp;

namespace {

QString PresetFile(const QString& name) {
  return QString::fromStdString(UserPresetFolder()) + '/' + name + QStringLiteral(".brisol");
}

// The menu's items as it shows them when opened ("-" for a line).
QStringList Items(QMenu* menu) {
  emit menu->aboutToShow();
  QStringList items;
  for (QAction* a : menu->actions()) items << (a->isSeparator() ? QStringLiteral("-") : a->text());
  return items;
}

QAction* Item(QMenu* menu, const QString& text) {
  emit menu->aboutToShow();
  for (QAction* a : menu->actions())
    if (a->text() == text) return a;
  return nullptr;
}

Recipe ALook(double size) {
  CEffect effect(test::MakeCollection("Tests").c_str());
  effect.SetSize(size);
  effect.SetSeed(606);
  return RecipeOf(effect, 1);
}

}  // namespace

class PresetsMenuTest : public QObject {
  Q_OBJECT

  std::unique_ptr<StartedApp> m;

  CBrisolDoc* Open() {
    const std::string path = test::WritePictureFile("presets.png", 150, 110);
    CBrisolDoc* doc = test::OpenWithCollection(*m, path, "Tests");
    if (doc) test::WaitForPicture(doc);
    return doc;
  }

 private slots:
  void initTestCase() { test::QuietOffscreenNotes(); }
  void init() {
    m = std::make_unique<StartedApp>();
    test::MakeCollection("Tests");
    QDir(QString::fromStdString(UserPresetFolder())).removeRecursively();
    test::TakeAlerts();
  }
  void cleanup() {
    m.reset();
    test::TakeAlerts();
  }

  void yourPresetsComeFirstThenTheBundledOnes() {
    QVERIFY(SavePreset(ALook(3), "zebra", false, false).ok());
    QVERIFY(SavePreset(ALook(4), "Aardvark", false, false).ok());
    // Yours hides a bundled one of the same name.
    QVERIFY(SavePreset(ALook(5), "pointillist", false, false).ok());
    QStringList items = Items(m->Frame().PresetsMenu());
    QCOMPARE(items.mid(0, 4), (QStringList{"Aardvark", "pointillist", "zebra", "-"}));
    QVERIFY(items.contains(QStringLiteral("Stained Glass")));
    QCOMPARE(items.count(QStringLiteral("Pointillist")), 0);
    QVERIFY(items.size() >= 4 + 10 + 3);
    QCOMPARE(items.mid(items.size() - 3), (QStringList{"-", "&Save as Preset...", "&Manage Presets..."}));
    // Listed afresh each time the menu opens.
    QVERIFY(DeletePreset("zebra").ok());
    QVERIFY(!Items(m->Frame().PresetsMenu()).contains(QStringLiteral("zebra")));
    // Nothing to apply a preset to yet.
    m->Frame().updateMenus();
    QVERIFY(!Item(m->Frame().PresetsMenu(), QStringLiteral("Stained Glass"))->isEnabled());
    QVERIFY(!m->Frame().PresetsMenu()->SaveAsPresetAction()->isEnabled());
  }

  // A bundled preset brings its own collection; applying it is one step,
  // and its undo brings back every value and the picture.
  void applyingAPresetIsOneStep() {
    CBrisolDoc* doc = Open();
    QVERIFY(doc);
    const QStringList before = test::Values(doc);
    const QByteArray picture = test::PictureOnView(doc);
    // What the preset should give: the recipe library's own application.
    const std::vector<PresetInfo> presets = ListPresets();
    const auto pointillist =
        std::find_if(presets.begin(), presets.end(), [](const PresetInfo& p) { return p.name == "Pointillist"; });
    QVERIFY(pointillist != presets.end());
    std::unique_ptr<CEffect> expected = doc->GetRunner()->GetEffect().Snapshot();
    int quality = doc->Quality();
    QVERIFY(ApplyRecipe(*ReadPresetFile(pointillist->path).recipe, *expected, &quality).ok());

    m->Frame().updateMenus();
    QAction* item = Item(m->Frame().PresetsMenu(), QStringLiteral("Pointillist"));
    QVERIFY(item && item->isEnabled());
    item->trigger();
    QVERIFY2(test::TakeAlerts().isEmpty(), test::AlertsText().c_str());
    QVERIFY(doc->GetRunner()->GetEffect() == *expected);
    QCOMPARE(doc->Quality(), quality);
    QCOMPARE(doc->UndoStack().count(), 1);
    QCOMPARE(doc->UndoText(), QStringLiteral("preset Pointillist"));
    QVERIFY(test::PictureOnView(doc) != picture);
    // The panels show the preset's values.
    QCOMPARE(m->Frame().ParamDlg()->findChild<QLineEdit*>(QStringLiteral("edt1030"))->text(),
             QString::number(expected->GetNumObjects()));
    m->Frame().Actions().undo->trigger();
    QCOMPARE(test::Values(doc), before);
    QVERIFY(test::PictureOnView(doc) == picture);
  }

  void saveAsPreset() {
    CBrisolDoc* doc = Open();
    QVERIFY(doc);
    doc->SetClock([] { return std::time_t(5151); });
    m->Frame().Actions().randomize->trigger();
    QStringList seen;
    test::DriveModal<CSavePresetDlg>([&](CSavePresetDlg* dialog) {
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("presetName"));
      auto* problem = dialog->findChild<QLabel*>(QStringLiteral("nameProblem"));
      QPushButton* save = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save);
      seen << QString::number(save->isEnabled());
      test::TypeInto(name, QStringLiteral("a/b"));
      seen << QString::number(save->isEnabled()) << problem->text();
      test::TypeInto(name, QStringLiteral("My Look"));
      seen << QString::number(save->isEnabled());
      save->click();
      return true;
    });
    // Opened (and so listed afresh) before, as a person does.
    Items(m->Frame().PresetsMenu());
    Items(m->Frame().PresetsMenu());
    m->Frame().PresetsMenu()->SaveAsPresetAction()->trigger();
    QCOMPARE(seen, (QStringList{"0", "0", "a preset's name cannot hold '/'", "1"}));
    RecipeRead read = ReadRecipeFile(PresetFile("My Look").toStdString());
    QVERIFY2(read.ok(), read.ErrorText().c_str());
    QVERIFY(!read.recipe->seed);  // not kept unless asked
    QVERIFY(read.recipe->photo.empty());
    QVERIFY(*read.recipe == PresetOf(doc->CurrentRecipe(), false));

    // The same name again (another letter case), the seed kept: asked
    // first; "No" keeps the dialog up, "Yes" replaces it.
    test::Alerts().QueueAnswer(AlertAnswer::No);
    test::Alerts().QueueAnswer(AlertAnswer::Yes);
    int asked = 0;
    test::DriveModal<CSavePresetDlg>([&](CSavePresetDlg* dialog) {
      test::TypeInto(dialog->findChild<QLineEdit*>(QStringLiteral("presetName")), QStringLiteral("my look"));
      dialog->findChild<QCheckBox*>(QStringLiteral("keepSeed"))->setChecked(true);
      dialog->accept();
      asked += dialog->isVisible() ? 1 : 0;
      if (dialog->isVisible()) dialog->accept();
      return true;
    });
    m->Frame().PresetsMenu()->SaveAsPresetAction()->trigger();
    QCOMPARE(asked, 1);
    QCOMPARE(test::TakeAlerts(), (QStringList{"You have a preset named \"My Look\" already.\nReplace it?",
                                              "You have a preset named \"My Look\" already.\nReplace it?"}));
    QVERIFY(!QFile::exists(PresetFile("My Look")));
    read = ReadRecipeFile(PresetFile("my look").toStdString());
    QVERIFY(read.ok());
    QCOMPARE(read.recipe->seed, std::optional<int>(5151));
  }

  void managePresets() {
    QVERIFY(SavePreset(ALook(3), "One", false, false).ok());
    QVERIFY(SavePreset(ALook(4), "Two", false, false).ok());
    QStringList opened;
    QStringList states;
    test::Alerts().QueueAnswer(AlertAnswer::Yes);
    test::DriveModal<CManagePresetsDlg>([&](CManagePresetsDlg* dialog) {
      dialog->SetNameAsker([](const QString& current) { return current == "One" ? QStringLiteral("Uno") : QString(); });
      dialog->SetFolderOpener([&](const QString& folder) {
        opened << folder;
        return true;
      });
      auto* list = dialog->findChild<QListWidget*>(QStringLiteral("presetList"));
      auto* rename = dialog->findChild<QPushButton*>(QStringLiteral("renamePreset"));
      auto* remove = dialog->findChild<QPushButton*>(QStringLiteral("deletePreset"));
      auto select = [&](const QString& name) {
        const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
        if (!found.isEmpty()) list->setCurrentItem(found.front());
        return !found.isEmpty();
      };
      const bool bundled = select("Pointillist");
      states << QString::number(bundled) + QString::number(list->count()) + QString::number(rename->isEnabled()) +
                    QString::number(remove->isEnabled());
      select("One");
      rename->click();
      select("Two");
      remove->click();
      dialog->findChild<QPushButton*>(QStringLiteral("showPresetFolder"))->click();
      const bool uno = select("Uno");
      const bool two = select("Two");
      states << QString::number(uno) + QString::number(two);
      dialog->reject();
      return true;
    });
    Items(m->Frame().PresetsMenu());
    m->Frame().PresetsMenu()->ManageAction()->trigger();
    QCOMPARE(states, (QStringList{"0211", "10"}));
    QVERIFY(QFile::exists(PresetFile("Uno")));
    QVERIFY(!QFile::exists(PresetFile("One")));
    QVERIFY(!QFile::exists(PresetFile("Two")));
    QCOMPARE(opened, QStringList{QString::fromStdString(UserPresetFolder())});
    QCOMPARE(test::TakeAlerts(), QStringList{"Delete your preset \"Two\"?"});
  }
};

BRISOL_APP_TEST_MAIN(PresetsMenuTest)
#include "PresetsMenu_test.moc"
