// The main window's commands for keeping and repeating looks: undo and
// redo, recipes, presets, variations and batches.
#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QStatusBar>

#include "app/BrisolApp.h"
#include "app/BrisolDoc.h"
#include "app/MainFrame.h"
#include "app/RecipeDrop.h"
#include "app/ScrollView.h"
#include "effect/Effect.h"
#include "effect/Runner.h"
#include "logger/Alerts.h"
#include "recipe/RecipeFile.h"
#include "ui/BatchDlg.h"
#include "ui/ColMixDlg.h"
#include "ui/FileFilters.h"
#include "ui/ManagePresetsDlg.h"
#include "ui/ParamDlg.h"
#include "ui/PresetsMenu.h"
#include "ui/SavePresetDlg.h"
#include "ui/VariationsDlg.h"

namespace brisol {
namespace {

constexpr int kStatusMs = 5000;

QString RecipeExtension() { return Latin1(kRecipeExtension); }

}  // namespace

void CMainFrame::createRecipeActions() {
  MainActions& a = m_actions;
  auto on = [this](QAction* action, auto handler) {
    connect(action, &QAction::triggered, this, [this, handler] {
      (this->*handler)();
      updateMenus();
    });
  };
  // The steps of the picture in front (see OnSubWindowActivated).
  a.undo = m_undoGroup.createUndoAction(this, tr("&Undo"));
  DescribeAction(a.undo, tr("Take back the last change of the picture's settings\nUndo"),
                 {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
  a.redo = m_undoGroup.createRedoAction(this, tr("&Redo"));
  DescribeAction(a.redo, tr("Make the change taken back again\nRedo"),
                 {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  // Also while a panel has the keyboard (an edit keeps Ctrl+Z for its text).
  for (QAction* action : {a.undo, a.redo}) action->setShortcutContext(Qt::ApplicationShortcut);
  a.openRecipe = MakeAction(this, tr("Open R&ecipe..."),
                            tr("Give the picture in front the look of a recipe file or of a picture Brisol made\n"
                               "Open Recipe"));
  on(a.openRecipe, &CMainFrame::OnOpenRecipe);
  a.saveRecipe = MakeAction(this, tr("Save Re&cipe..."),
                            tr("Keep how the picture in front is made in a recipe file\nSave Recipe"));
  on(a.saveRecipe, &CMainFrame::OnSaveRecipe);
  a.batch = MakeAction(this, tr("&Batch..."), tr("Paint many photos with one look\nBatch"));
  on(a.batch, &CMainFrame::OnBatch);
  a.variations = MakeAction(this, tr("&Variations..."),
                            tr("See the picture with other seeds or another value of one setting\nVariations"));
  on(a.variations, &CMainFrame::OnVariations);

  m_pPresetsMenu = new CPresetsMenu(this);
  connect(m_pPresetsMenu, &CPresetsMenu::PresetChosen, this, [this](const QString& name, const QString& path) {
    OnPresetChosen(name, path);
    updateMenus();
  });
  connect(m_pPresetsMenu, &CPresetsMenu::SaveAsPresetRequested, this, &CMainFrame::OnSaveAsPreset);
  connect(m_pPresetsMenu, &CPresetsMenu::ManageRequested, this, &CMainFrame::OnManagePresets);
}

void CMainFrame::updateRecipeMenus(CBrisolDoc* doc) {
  const MainActions& a = m_actions;
  const bool hasRunner = doc && doc->GetRunner();
  a.openRecipe->setEnabled(doc && doc->GetOriginal());
  a.saveRecipe->setEnabled(hasRunner);
  a.variations->setEnabled(doc && doc->CanSetQuality());
  m_pPresetsMenu->SetCanApply(doc && doc->GetOriginal());
  m_pPresetsMenu->SaveAsPresetAction()->setEnabled(hasRunner);
}

void CMainFrame::ListenForSteps(CBrisolDoc* doc) {
  m_undoGroup.addStack(&doc->UndoStack());
  // The panels show the values put back (they read them; nothing is
  // written back into the effect).
  connect(doc, &CBrisolDoc::EffectReplaced, this, [this, doc] {
    if (doc != m_pBoundDoc || doc->GetRunner() == nullptr) return;
    CEffect* effect = &doc->GetRunner()->GetEffect();
    m_pParamDlg->SetEffect(doc, effect);
    m_pColMixDlg->SetEffect(doc, effect);
  });
}

void CMainFrame::OnOpenRecipe() {
  CBrisolDoc* doc = ActiveDocument();
  if (doc == nullptr || doc->GetOriginal() == nullptr) return;
  const QString folder = QString::fromStdString(m_app.Settings().m_szImageWriteDir);
  const QString path = QFileDialog::getOpenFileName(this, tr("Open Recipe"), folder, RecipeSourcesFilters(), nullptr,
                                                    QFileDialog::DontUseNativeDialog);
  if (path.isEmpty()) return;
  const RecipeApplied applied =
      doc->ApplyRecipeFile(path.toStdString(), false, tr("recipe %1").arg(QFileInfo(path).fileName()));
  TellRecipeApplied(applied);
  if (applied.ok())
    statusBar()->showMessage(tr("The look of %1 is applied").arg(QFileInfo(path).fileName()), kStatusMs);
}

void CMainFrame::OnSaveRecipe() {
  CBrisolDoc* doc = ActiveDocument();
  if (doc == nullptr || doc->GetRunner() == nullptr) return;
  QString folder = QString::fromStdString(m_app.Settings().m_szImageWriteDir);
  const QString stem = QFileInfo(QString::fromStdString(doc->ImageName())).completeBaseName();
  QFileDialog dialog(this, tr("Save Recipe"), folder);
  dialog.setObjectName(QStringLiteral("saveRecipeDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(RecipeFilesFilter());
  dialog.setDefaultSuffix(RecipeExtension().mid(1));
  dialog.selectFile((stem.isEmpty() ? QStringLiteral("picture") : stem) + RecipeExtension());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().front();
  const Done saved = SaveRecipeFile(doc->CurrentRecipe(), path.toStdString());
  if (!saved) {
    WalertBox(kIconExclamation, "The recipe was not saved.\n%s", saved.message().c_str());
    return;
  }
  statusBar()->showMessage(tr("The recipe is saved in %1").arg(QFileInfo(path).fileName()), kStatusMs);
}

void CMainFrame::OnPresetChosen(const QString& name, const QString& path) {
  CBrisolDoc* doc = ActiveDocument();
  if (doc == nullptr || doc->GetOriginal() == nullptr) return;
  const RecipeApplied applied = doc->ApplyRecipeFile(path.toStdString(), true, tr("preset %1").arg(name));
  TellRecipeApplied(applied);
  if (applied.ok()) statusBar()->showMessage(tr("The preset %1 is applied").arg(name), kStatusMs);
}

void CMainFrame::OnSaveAsPreset() {
  CBrisolDoc* doc = ActiveDocument();
  if (doc == nullptr || doc->GetRunner() == nullptr) return;
  CSavePresetDlg dialog(this, doc->CurrentRecipe());
  if (dialog.exec() == QDialog::Accepted)
    statusBar()->showMessage(tr("Saved as your preset %1").arg(dialog.SavedName()), kStatusMs);
}

void CMainFrame::OnManagePresets() {
  CManagePresetsDlg dialog(this);
  dialog.exec();
}

void CMainFrame::OnVariations() {
  CBrisolDoc* doc = ActiveDocument();
  if (doc == nullptr || !doc->CanSetQuality()) return;
  // The values of the picture as they are set now: a change still being
  // made is one step first.
  doc->CommitStep();
  PictureSource source{doc->GetRunner()->SharedOriginal(), doc->GetRunner()->GetEffect().Snapshot(), doc->Quality()};
  CVariationsDlg dialog(this, std::move(source));
  const QPointer<CBrisolDoc> target(doc);
  dialog.SetAdopter([this, target](const CEffect& effect, const QString& caption) {
    if (!target) return;
    target->ApplyAsStep(effect, target->Quality(), tr("variation %1").arg(caption));
    updateMenus();
  });
  dialog.exec();
}

void CMainFrame::OnBatch() {
  if (!m_pBatch) m_pBatch = new CBatchDlg(this, m_app.MainDirectoryPath());
  if (!m_pBatch->IsRunning()) {
    std::optional<PictureLook> look;
    CBrisolDoc* doc = ActiveDocument();
    if (doc != nullptr && doc->CanSetQuality()) {
      doc->CommitStep();
      look =
          PictureLook{doc->GetRunner()->GetEffect().Snapshot(), doc->Quality(), doc->Title(), doc->RecipeJpegQuality()};
    }
    m_pBatch->SetPicture(std::move(look));
  }
  m_pBatch->show();
  KeepOnScreenSoon(m_pBatch);
  m_pBatch->raise();
  m_pBatch->activateWindow();
}

}  // namespace brisol
