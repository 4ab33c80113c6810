#include "app/BrisolDoc.h"

#include <QPointer>
#include <utility>

#include "app/BrisolApp.h"
#include "app/ScrollView.h"
#include "effect/Runner.h"
#include "logger/Alerts.h"
#include "logger/Logger.h"
#include "raster/Dadc.h"
#include "raster/FileUtil.h"
#include "ui/EffectDlg.h"
#include "ui/QualityDlg.h"

namespace brisol {

CBrisolDoc::CBrisolDoc(CBrisolApp& app, QObject* parent, CRenderController::Threading threading)
    : QObject(parent),
      m_app(app),
      m_clock([] { return std::time(nullptr); }),
      m_render(&app.Alerts(), nullptr, threading) {
  connect(&m_render, &CRenderController::PictureReady, this, &CBrisolDoc::OnPictureReady);
  connect(&m_render, &CRenderController::PreviewReady, this, &CBrisolDoc::OnPreviewReady);
  connect(&m_render, &CRenderController::ShownReady, this,
          [this](QSize shown, QImage original, QImage picture, std::shared_ptr<const CDADC> of) {
            if (m_pView) m_pView->SetShownPictures(shown, std::move(original), std::move(picture), std::move(of));
          });
  connect(&m_render, &CRenderController::DrawingRequested, this, &CBrisolDoc::DrawingRequested);
  connect(&m_render, &CRenderController::Progress, this, &CBrisolDoc::DrawingProgress);
  connect(&m_render, &CRenderController::Idle, this, &CBrisolDoc::DrawingIdle);
  // Run from the event loop, not from within the drawing's delivery: what waits
  // may open dialogs.
  connect(&m_render, &CRenderController::Idle, this, &CBrisolDoc::RunWhenReady, Qt::QueuedConnection);
  // A stopped drawing never showed its effect: the next comparison is with
  // the picture on view.
  connect(&m_render, &CRenderController::Stopped, this, [this] {
    if (m_pView) m_pView->ForgetUnfinishedEffect();
    emit StateChanged();
  });
}

CBrisolDoc::~CBrisolDoc() { m_render.StopAndWait(); }

void CBrisolDoc::SetOriginalImage(std::unique_ptr<CDADC> surface, const std::string& name) {
  SetModified(true);
  if (!surface) {
    TheLogger().Log(kLogError, "CBrisolDoc::SetOriginalImage with NULL Pointer,");
    return;
  }
  m_pOrigDADC = std::move(surface);
  m_szImageName = name;
  std::string file, extension;
  MySplitPath(nullptr, nullptr, &file, &extension, name.c_str());
  m_title = QString::fromStdString(file + extension);
  emit TitleChanged(m_title);
}

void CBrisolDoc::SetModified(bool modified) {
  if (modified == m_bModified) return;
  m_bModified = modified;
  emit ModifiedChanged(modified);
}

void CBrisolDoc::DWGAC() {
  if (!m_pOrigDADC) {
    TheLogger().Log(kLogError, "CBrisolDoc::DWGAC with NULL image pointer,");
    return;
  }
  std::string defaultEffect = m_app.DefaultEffect();
  std::unique_ptr<CBrisol> runner =
      RunObjectsWizard(DialogParent(), m_pOrigDADC, m_app.MainDirectoryPath(), defaultEffect);
  if (!runner) {
    if (CBrisolScrollView* view = GV()) view->SetShow(0);
    emit StateChanged();
    return;
  }
  m_app.SetDefaultEffect(defaultEffect);
  InstallRunner(std::move(runner));
}

void CBrisolDoc::InstallRunner(std::unique_ptr<CBrisol> runner) {
  emit RunnerAboutToChange();
  m_pBrisol = std::move(runner);
  ResetSteps();
  emit StateChanged();
  emit RunnerInstalled();
}

QWidget* CBrisolDoc::DialogParent() const { return m_pView ? m_pView->window() : nullptr; }

CBrisolScrollView* CBrisolDoc::GV() {
  if (m_pView == nullptr) TheLogger().Log(kLogError, "GV:Cannot get view");
  return m_pView;
}

void CBrisolDoc::UpdateImage(bool force) {
  if (!m_pBrisol) {
    TheLogger().Log(kLogError, "UpdateImage with NULL m_pBrisol");
    return;
  }
  NoteChange();
  CBrisolScrollView* view = GV();
  if (view == nullptr) return;
  const CEffect& effect = m_pBrisol->GetEffect();
  if (view->IsSameEffect(&effect) && !force) return;
  if (view->GetOutputDADC() == nullptr) return;
  std::shared_ptr<const CEffect> snapshot = effect.Snapshot();
  NoteAskedQuality(snapshot);
  view->RememberEffect(snapshot);
  // A view showing the picture reduced gets it at that size, and a preview
  // first when that pays.
  const QSize shown = view->ShownSize();
  const bool preview = m_pOrigDADC && DrawsPreview(m_pOrigDADC->GetSize(), shown, m_iQuality);
  m_render.Request(RenderJob{std::move(snapshot), m_pOrigDADC, m_iQuality, shown, preview});
}

void CBrisolDoc::OnPictureReady(std::shared_ptr<CDADC> picture, std::shared_ptr<const CEffect> effect, QImage shown) {
  if (m_pView == nullptr) return;
  NoteShownQuality(effect);
  m_pView->SetOutputPicture(std::move(picture), std::move(effect), std::move(shown));
  m_pView->SetShow(1);
  emit StateChanged();
}

void CBrisolDoc::OnPreviewReady(QImage preview, std::shared_ptr<const CEffect> effect) {
  if (m_pView == nullptr) return;
  m_pView->SetPreview(std::move(preview), std::move(effect));
  m_pView->SetShow(1);
}

void CBrisolDoc::WhenPictureReady(std::function<void()> then) {
  if (!m_render.IsBusy()) {
    then();
    return;
  }
  m_whenReady.push_back(std::move(then));
}

void CBrisolDoc::RunWhenReady() {
  // What runs may ask for another drawing, or close the document.
  const QPointer<CBrisolDoc> alive(this);
  auto waiting = std::exchange(m_whenReady, {});
  for (auto& then : waiting) {
    if (!alive || m_bClosing) return;
    if (m_render.IsBusy()) {
      m_whenReady.push_back(std::move(then));
      continue;
    }
    then();
  }
}

bool CBrisolDoc::CanSetQuality() const { return m_pBrisol && m_pBrisol->GetEffect().GetNumShapes() > 0; }

void CBrisolDoc::OnRandomize() {
  if (!m_pBrisol) return;
  CommitStep();
  m_pBrisol->SetSeed(static_cast<int>(m_clock()));
  UpdateImage(false);
  CommitStep(tr("Randomize"));
}

void CBrisolDoc::OnStopDrawing() { m_render.Stop(); }

void CBrisolDoc::OnSetQuality() {
  CQualityDlg dialog(DialogParent());
  dialog.m_iQuality = m_iQuality;
  if (dialog.exec() != QDialog::Accepted || dialog.m_iQuality == m_iQuality) return;
  CommitStep();
  m_iQuality = dialog.m_iQuality;
  UpdateImage(true);
  CommitStep(tr("quality"));
}

void CBrisolDoc::OnRunWiz() {
  if (!m_pBrisol) {
    // Without a runner (the wizard was cancelled when the picture was
    // opened) this is the way to choose a collection after all.
    DWGAC();
    return;
  }
  CommitStep();
  CEffect& effect = m_pBrisol->GetEffect();
  const std::string kept = effect.GetEffectDir();
  std::string name, extension;
  MySplitPath(nullptr, nullptr, &name, &extension, kept.c_str());
  CEffectDlg dialog(DialogParent(), m_app.MainDirectoryPath(), &effect, name + extension);
  if (dialog.exec() == QDialog::Accepted) {
    m_app.SetDefaultEffect(effect.GetEffectDir());
  } else {
    effect.LoadShapes(kept.c_str());
  }
  UpdateImage(false);
  CommitStep(tr("collection"));
}

CBrisolDoc::CloseAnswer CBrisolDoc::SaveModified(std::function<void(Done)> saved) {
  if (!m_bModified) return CloseAnswer::Close;
  switch (AskYesNoCancel("Save this image?\n%s", m_szImageName.c_str())) {
    case AlertAnswer::Yes: {
      CBrisolScrollView* view = GV();
      if (view == nullptr) return CloseAnswer::Keep;
      view->SaveImage(std::move(saved));
      return CloseAnswer::AfterSaving;
    }
    case AlertAnswer::No:
      return CloseAnswer::Close;
    default:
      return CloseAnswer::Keep;
  }
}

void CBrisolDoc::OnCloseDocument() {
  m_bClosing = true;
  m_whenReady.clear();
  emit Closing();
  m_render.StopAndWait();
}

}  // namespace brisol
