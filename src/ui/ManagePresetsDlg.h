// Manage Presets...: the user's own presets, to rename or delete, and the
// folder they are kept in, to show in the file manager. The bundled
// presets cannot be changed and are not listed.
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

namespace brisol {

class CManagePresetsDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CManagePresetsDlg(QWidget* parent);

  // How a folder is shown (the desktop's file manager unless replaced);
  // false when it could not be.
  void SetFolderOpener(std::function<bool(const QString&)> opener) { m_opener = std::move(opener); }
  // How a new name is asked for (a small dialog unless replaced); empty
  // when cancelled.
  void SetNameAsker(std::function<QString(const QString& current)> asker) { m_asker = std::move(asker); }

  // Lists the presets again.
  void Refill();
  void OnRename();
  void OnDelete();
  void OnShowFolder();

 private:
  QString SelectedUserPreset() const;
  void UpdateButtons();

  QListWidget* m_pList = nullptr;
  QPushButton* m_pRename = nullptr;
  QPushButton* m_pDelete = nullptr;
  QLabel* m_pFolder = nullptr;
  std::function<bool(const QString&)> m_opener;
  std::function<QString(const QString&)> m_asker;
};

}  // namespace brisol
