// The main window's commands, one QAction each, with the texts, shortcuts,
// status-bar prompts and tooltips of the program.
#pragma once

#include <QList>
#include <QString>
#include <array>

class QAction;
class QKeySequence;
class QObject;

namespace brisol {

struct MainActions {
  // File
  QAction* openImage = nullptr;
  QAction* saveImage = nullptr;
  QAction* exportPicture = nullptr;  // File > Export...: a vector file
  QAction* printSetup = nullptr;
  QAction* printPreview = nullptr;
  QAction* print = nullptr;
  std::array<QAction*, 5> recent{};  // shown only when there is a file
  QAction* recentSeparator = nullptr;
  QAction* exit = nullptr;
  QAction* newImage = nullptr;  // Ctrl+N, no menu item
  QAction* openRecipe = nullptr;
  QAction* saveRecipe = nullptr;
  QAction* batch = nullptr;
  // Edit
  QAction* undo = nullptr;  // Ctrl+Z, Alt+Backspace
  QAction* redo = nullptr;  // Ctrl+Shift+Z, Ctrl+Y
  QAction* cut = nullptr;   // no handler: always disabled
  QAction* copy = nullptr;
  QAction* paste = nullptr;
  QAction* copyCommandLine = nullptr;
  QAction* stopDrawing = nullptr;  // Esc; the status bar's Stop button
  // Dialogs
  QAction* origOnOff = nullptr;
  QAction* settingsOnOff = nullptr;
  QAction* colorsOnOff = nullptr;
  QAction* chooseObjects = nullptr;
  QAction* variations = nullptr;
  // View
  QAction* viewOriginal = nullptr;
  QAction* showCreated = nullptr;
  QAction* randomize = nullptr;
  QAction* imageQuality = nullptr;
  QAction* zoomIn = nullptr;
  QAction* zoomOut = nullptr;
  QAction* zoomNormal = nullptr;
  QAction* debugOnOff = nullptr;
  // Window
  QAction* cascade = nullptr;
  QAction* tile = nullptr;
  QAction* nextWindow = nullptr;
  QAction* previousWindow = nullptr;
  QAction* closeWindow = nullptr;
  QAction* closeAll = nullptr;
  // Help
  QAction* helpTopics = nullptr;
  QAction* whatsThis = nullptr;  // Shift+F1
  QAction* about = nullptr;
};

// An action with its menu text and "prompt\ntooltip" (the prompt shows in
// the status bar, the tooltip over the toolbar button).
QAction* MakeAction(QObject* parent, const QString& text, const QString& promptAndTip,
                    const QList<QKeySequence>& keys = {});
// The same for an action made elsewhere, with its text.
void DescribeAction(QAction* action, const QString& promptAndTip, const QList<QKeySequence>& keys = {});

}  // namespace brisol
