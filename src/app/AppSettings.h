// The program's settings: one INI file ($XDG_CONFIG_HOME/Brisol/Brisol.ini)
// with the sections FILES, MAINFRAME, VARS, LASTFILES, EXPORT and one per
// panel.
// Read once at start-up and written once at exit; panel placements are read
// when the main window makes its panels and written when it closes. FILES /
// MAIN and VARS / LOGGING are only ever read: they change when a person
// edits the file.
#pragma once

#include <QRect>
#include <QString>
#include <string>

#include "app/RecentFiles.h"

namespace brisol {

// Where a panel stood and whether it was visible.
struct PanelPlacement {
  int left = 20;
  int top = 20;
  bool visible = true;
  // Whether the settings held a place for it (not so on a first start).
  bool stored = false;
};

// The show states the settings keep for the main window.
enum FrameShowState : int { kFrameNormal = 1, kFrameMinimized = 2, kFrameMaximized = 3 };

class CAppSettings {
 public:
  // $XDG_CONFIG_HOME/Brisol/Brisol.ini (~/.config/Brisol/Brisol.ini).
  static QString DefaultPath();

  // Every value at its default; startDirectory is the directory the program
  // was started in (the default of the picture folders).
  CAppSettings(QString path, std::string startDirectory);

  const QString& Path() const { return m_path; }

  // Reads every setting, correcting what cannot be used; a missing or
  // unreadable file gives the defaults.
  void Read();
  // Writes every setting but MAIN and LOGGING; false (and a log entry) when
  // the file cannot be written.
  bool Write() const;

  // A panel's placement: left and top outside 0..2000 become 50.
  PanelPlacement ReadPanel(const char* section) const;
  void WritePanel(const char* section, const PanelPlacement& placement) const;

  // Keeps the main window's normal rectangle and show state (section must be
  // "MAINFRAME", letter case ignored): normal keeps both, maximised only the
  // state, anything else state 1.
  void SWPRS(const char* section, const QRect& normal, int showState);
  QRect FrameRect() const { return QRect(QPoint(m_iLeft, m_iTop), QPoint(m_iRight - 1, m_iBottom - 1)); }
  // The rectangle in use, which is what the settings keep from now on.
  void SetFrameRect(const QRect& rect);

  // FILES
  std::string m_szMainDir;
  std::string m_szImageWriteDir;
  int m_iImageWriteType = 2;
  std::string m_szImageReadDir;
  int m_iImageReadType = 2;
  // MAINFRAME
  int m_iLeft = 20, m_iTop = 30, m_iRight = 600, m_iBottom = 400;
  int m_iState = kFrameNormal;
  // Whether the settings held the window's rectangle (not so on a first
  // start, when the program chooses one for the screen).
  bool m_bFrameStored = false;
  // VARS
  int m_iTipCount = 0;
  std::string m_szDefaultEffect;
  bool m_bLogging = true;
  // PRINT: whether printing draws the picture anew at the printer's resolution.
  bool m_bPrintAtPrinterResolution = false;
  // LASTFILES
  CRecentFiles m_Recent;
  // EXPORT: the page, margin and photo resolution of the last export, where
  // it went and its format's extension.
  std::string m_szExportPage;  // a paper, "WxH" with a unit, or empty: the picture's size
  bool m_bExportLandscape = false;
  std::string m_szExportMargin = "0mm";
  int m_iExportDpi = 0;             // 0: the photo's own pixels
  std::string m_szExportDir;        // empty: the photo's folder
  std::string m_szExportExtension;  // "pdf", "svg", ...; empty: none yet

 private:
  QString m_path;
  std::string m_startDirectory;
};

}  // namespace brisol
