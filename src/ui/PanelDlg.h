// The common ground of the panels: a tool window beside the main window (or
// a page docked in it) that closing only hides, and whose line edits leave
// Ctrl+C and Ctrl+V to the main window's Copy and Paste.
#pragma once

#include <QDialog>
#include <functional>

class QGridLayout;
class QLineEdit;
class QVBoxLayout;

namespace brisol {

class EffectDocument;

class CPanelDlg : public QDialog {
  Q_OBJECT
 public:
  CPanelDlg(QWidget* parent, const char* objectName, const QString& title);

  // Escape and the "Close" button hide the panel as well.
  void reject() override;

  // The window the panel is shown in: the panel itself, or the dock it
  // sits in when docked in the main window.
  QWidget* Host() const;
  // Whether the panel is shown (docked, its page may lie behind another).
  bool IsShown() const;
  // Hides the panel's window.
  void HidePanel();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Lets Ctrl+C and Ctrl+V typed into the edit reach the main window.
  void ForwardCopyPaste(QLineEdit* edit);
  // A titled group at the foot of the panel's column; its grid's middle
  // column (the sliders) takes the spare width.
  QGridLayout* AddGroup(QVBoxLayout* column, const char* title);
  // Tells the bound document (as doc gives it, null when none) that an edit
  // is finished whenever the user lets go of a slider, moves one by a click
  // or a key, leaves an edit, makes a choice or presses a button of the
  // panel; called last in the constructor, so that the panel's own handlers
  // have stored the change by then.
  void ReportFinishedEdits(std::function<EffectDocument*()> doc);
};

}  // namespace brisol
