// CBrisolDoc: one opened picture. It owns the original image (kept once,
// read-only, shared with its runner and its drawings), the effect runner
// that turns it into the output picture, and the quality level; it is the
// one place where the output picture is re-created: the panels change the
// runner's effect and ask for UpdateImage, which compares the effect with
// the one the view last asked for and, when it differs, hands a snapshot to
// the document's render controller. The drawing runs on the controller's
// thread; the view keeps showing the last picture meanwhile.
//
// A document tells of its changes by signals and never calls the main
// window: whoever binds panels to documents listens.
#pragma once

#include <QObject>
#include <QSize>
#include <QUndoStack>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/RenderController.h"
#include "app/UndoCommands.h"
#include "logger/Outcome.h"
#include "recipe/Recipe.h"
#include "recipe/RecipeEffect.h"
#include "ui/EffectDocument.h"

class QWidget;

namespace brisol {

// The name, and title, of a document made from the clipboard's picture.
inline constexpr const char* kClipboardName = "From Clip Board";

class CBrisol;
class CBrisolApp;
class CBrisolScrollView;
class CDADC;

class CBrisolDoc : public QObject, public EffectDocument {
  Q_OBJECT
 public:
  CBrisolDoc(CBrisolApp& app, QObject* parent = nullptr,
             CRenderController::Threading threading = CRenderController::Threading::Worker);
  ~CBrisolDoc() override;

  // Takes the picture; the title becomes its file name. Marks the document
  // modified, so that closing it always asks about saving (a picture stays
  // modified until it is closed).
  void SetOriginalImage(std::unique_ptr<CDADC> surface, const std::string& name);
  // Runs the objects wizard on the original and installs the new runner.
  void DWGAC();
  // Re-creates the output picture unless the view already shows (or is
  // drawing) this effect; force draws anyway (a new quality level).
  void UpdateImage(bool force) override;
  // The document's view, kept once found.
  CBrisolScrollView* GV();
  void SetView(CBrisolScrollView* view) { m_pView = view; }

  // Commands.
  void OnRunWiz();
  void OnRandomize();
  void OnSetQuality();
  // Stops the drawing under way; the view keeps the last finished picture.
  void OnStopDrawing();
  bool CanRandomize() const { return m_pBrisol != nullptr; }
  bool CanSetQuality() const;

  // The save-before-close question, naming the picture. Close: it may
  // close now (not modified, or No). Keep: Cancel. AfterSaving: Yes; the
  // picture is saved once it is the newest, and saved is told how that
  // ended (a cancelled or failed save keeps it open).
  enum class CloseAnswer { Close, Keep, AfterSaving };
  CloseAnswer SaveModified(std::function<void(Done)> saved);
  // Tells that the document is going and stops the drawing (waiting for
  // it) before the window goes.
  void OnCloseDocument();
  // Runs then once the drawings asked for have ended (at once when none is
  // under way), so that what is copied, saved, printed or exported is the
  // newest exact picture. The window keeps answering meanwhile; a document
  // that closes first drops what waits, unrun.
  void WhenPictureReady(std::function<void()> then);

  const CDADC* GetOriginal() const { return m_pOrigDADC.get(); }
  const std::shared_ptr<const CDADC>& SharedOriginal() const { return m_pOrigDADC; }
  CBrisol* GetRunner() const { return m_pBrisol.get(); }
  const std::string& ImageName() const { return m_szImageName; }
  const QString& Title() const { return m_title; }
  int Quality() const { return m_iQuality; }
  // The quality the output picture on view was drawn at.
  int ShownQuality() const { return m_iShownQuality; }
  bool IsModified() const { return m_bModified; }
  CRenderController& Renderer() { return m_render; }
  CBrisolApp& App() const { return m_app; }
  // The clock Randomize takes its seed from (seconds since 1970).
  void SetClock(std::function<std::time_t()> clock) { m_clock = std::move(clock); }
  void NotifyStateChanged() { emit StateChanged(); }
  // The picture's size as it was read, before it was shrunk to fit the
  // screen (when it was).
  void SetReadSize(QSize size) { m_readSize = size; }
  QSize ReadSize() const { return m_readSize; }

  // --- steps that can be undone (DocSteps.cpp) -----------------------------------
  QUndoStack& UndoStack() { return m_undo; }
  // Makes the change of the effect and the quality since the last step one
  // step, named text (or after what changed); nothing when nothing changed.
  void CommitStep(const QString& text = {});
  void EditFinished() override { CommitStep(); }
  // A change not yet made a step (a slider still held, an edit not left);
  // it is on the stack as an open step once its picture was asked for.
  bool HasUncommittedChange() const;
  bool CanUndo() const { return HasUncommittedChange() || m_undo.canUndo(); }
  // What Undo would take back.
  QString UndoText() const;
  // Undo first makes a change not yet a step one, then takes it back (the
  // main window's Undo and Redo are the undo group's, on the stack).
  void Undo();
  // The effect's values and shapes and the quality now.
  EffectState CurrentState() const;
  // Puts a state in place: the picture is drawn again and the panels show
  // its values (EffectReplaced).
  void RestoreState(const EffectState& state);
  // Puts an effect's values and shapes (and a quality) in place as one step
  // named text; a change not yet a step becomes one first.
  void ApplyAsStep(const CEffect& effect, int quality, const QString& text);

  // --- recipes (DocRecipes.cpp) ------------------------------------------------------
  // The recipe of the picture as it is set now: the effect, the quality and
  // the photo (named without its hash for a picture shrunk when it was
  // opened; none for a pasted one).
  Recipe CurrentRecipe() const;
  // The recipe of the output picture on view, as a picture file keeps it:
  // the effect and quality it was drawn with; none before the first one.
  std::optional<Recipe> ShownRecipe() const;
  // Reads a recipe (a .brisol file or a picture Brisol made) and applies
  // it as one step; a preset's photo is passed over. Gives what differs and
  // what was passed over, or why it cannot be read or applied (in the
  // words of a box: TellRecipeApplied shows either).
  RecipeApplied ApplyRecipeFile(const std::string& path, bool asPreset, const QString& stepText);
  RecipeApplied ApplyRecipe(const Recipe& recipe, const QString& stepText, const RecipeNotices& warnings = {});
  // The JPEG quality the last recipe applied was written with, kept for
  // saving the picture as JPEG the same way.
  std::optional<int> RecipeJpegQuality() const { return m_recipeJpegQuality; }

 signals:
  void DrawingRequested();
  void DrawingProgress(int done, int total);
  void DrawingIdle();
  // The runner or the shown picture changed: commands may change state.
  void StateChanged();
  // The runner, and with it the effect the panels edit, is about to be
  // replaced: whatever points at the effect must let go of it now.
  void RunnerAboutToChange();
  // The objects wizard made a new runner: the panels bind to it and show.
  void RunnerInstalled();
  // The document's window is closing.
  void Closing();
  // The name the document's window shows, and whether it is modified.
  void TitleChanged(const QString& title);
  void ModifiedChanged(bool modified);
  // The effect's values were replaced as a whole (undo, redo, a recipe, a
  // preset, a variation): whoever shows them shows them again.
  void EffectReplaced();

 private:
  void InstallRunner(std::unique_ptr<CBrisol> runner);
  void SetModified(bool modified);
  void OnPictureReady(std::shared_ptr<CDADC> picture, std::shared_ptr<const CEffect> effect, QImage shown);
  void OnPreviewReady(QImage preview, std::shared_ptr<const CEffect> effect);
  // The window the document's dialogs belong to.
  QWidget* DialogParent() const;

  CBrisolApp& m_app;
  std::shared_ptr<const CDADC> m_pOrigDADC;
  std::string m_szImageName;
  int m_iQuality = 1;
  std::unique_ptr<CBrisol> m_pBrisol;
  CBrisolScrollView* m_pView = nullptr;
  bool m_bModified = false;
  QString m_title;
  QSize m_readSize;
  std::function<std::time_t()> m_clock;
  // The steps, and the state after the last one.
  QUndoStack m_undo;
  EffectState m_committed;
  void ResetSteps();
  // The change under way goes on the stack as an open step (see
  // CEffectStep), so that undo takes it back as any other.
  void NoteChange();
  bool HasOpenStep() const;
  // The quality each drawing was asked at, for the recipe of the picture
  // it brings (the last few; a drawing never waits behind more).
  std::vector<std::pair<std::shared_ptr<const CEffect>, int>> m_askedQualities;
  int m_iShownQuality = 1;
  void NoteAskedQuality(const std::shared_ptr<const CEffect>& snapshot);
  void NoteShownQuality(const std::shared_ptr<const CEffect>& shown);
  std::optional<int> m_recipeJpegQuality;
  // What waits for the newest picture, in the order asked.
  std::vector<std::function<void()>> m_whenReady;
  bool m_bClosing = false;
  void RunWhenReady();
  CRenderController m_render;
};

}  // namespace brisol
