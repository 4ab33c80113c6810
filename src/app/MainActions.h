// The main window's commands, one QAction each, with the texts, shortcuts,
// status-bar prompts and tooltips of the program.
#pragma once

#include <array>

class QAction;

namespace brisol {

struct MainActions {
  // File
  QAction* openImage = nullptr;
  QAction* saveImage = nullptr;
  QAction* printSetup = nullptr;
  QAction* printPreview = nullptr;
  QAction* print = nullptr;
  std::array<QAction*, 5> recent{};
  QAction* exit = nullptr;
  QAction* newImage = nullptr;  // Ctrl+N, no menu item
  // Edit
  QAction* cut = nullptr;  // no handler: always disabled
  QAction* copy = nullptr;
  QAction* paste = nullptr;
  QAction* copyCommandLine = nullptr;
  // Dialogs
  QAction* origOnOff = nullptr;
  QAction* settingsOnOff = nullptr;
  QAction* colorsOnOff = nullptr;
  QAction* chooseObjects = nullptr;
  QAction* debugOnOff = nullptr;  // no menu item
  // View
  QAction* qualitySettings = nullptr;  // always disabled
  QAction* viewOriginal = nullptr;
  QAction* showCreated = nullptr;
  QAction* randomize = nullptr;
  QAction* imageQuality = nullptr;
  QAction* zoomIn = nullptr;
  QAction* zoomOut = nullptr;
  QAction* zoomNormal = nullptr;
  // Window
  QAction* cascade = nullptr;
  QAction* tile = nullptr;
  QAction* nextWindow = nullptr;
  QAction* previousWindow = nullptr;
  QAction* closeWindow = nullptr;
  QAction* closeAll = nullptr;
  // Help
  QAction* helpTopics = nullptr;
  QAction* about = nullptr;
};

}  // namespace brisol
